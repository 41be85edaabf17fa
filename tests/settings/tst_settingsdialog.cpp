#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "browse/directoryview.h"
#include "platform/util_cst.h"
#include "settings/settingsdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace TestUtil;

namespace {
using Marks = QList<QPair<QString, QString>>;

Marks marksOf(Settings &settings)
{
    Marks marks;
    for (const Bookmark *bookmark : settings.bookmarks())
        marks << qMakePair(bookmark->name(), bookmark->dir());
    return marks;
}
} // namespace

class tst_SettingsDialog : public QObject
{
    Q_OBJECT
    std::unique_ptr<Settings> settings;
    std::unique_ptr<SettingsDialog> screen;

    template<typename T = QWidget>
    T *control(const char *name) const
    {
        return screen->findChild<T *>(QLatin1String(name));
    }

    QPushButton *button(const QString &text) const
    {
        for (QPushButton *candidate : screen->findChildren<QPushButton *>()) {
            if (candidate->text() == text)
                return candidate;
        }
        return nullptr;
    }

    void open(const Marks &marks = {})
    {
        for (const auto &mark : marks)
            settings->addBookmark(new Bookmark(mark.first, mark.second));
        screen = std::make_unique<SettingsDialog>(nullptr);
        screen->setSettings(settings.get());
    }

    // Picks a page the way a user does, by keys on the page box.
    void openPage(int index)
    {
        auto *combo = screen->findChild<QComboBox *>();
        combo->setFocus();
        while (combo->currentIndex() != index)
            QTest::keyClick(combo, combo->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    }

    void tapRow(int row)
    {
        auto *list = control<QTreeWidget>("bmListView");
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

private slots:
    void init() { settings = std::make_unique<Settings>(); }

    void cleanup()
    {
        screen.reset();
        settings.reset();
    }

    // Values out of range are shown as found but saved within it.
    void valuesAreSavedWithinTheirRange_data()
    {
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("steps"); // right-arrow presses on the delay slider
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("savedDelay");
        QTest::addColumn<int>("size"); // of the files that get previews
        QTest::addColumn<int>("savedSize");
        QTest::addColumn<bool>("on"); // the check boxes
        QTest::newRow("in range, moved") << 10 << 3 << "16 s" << 16 << 30 << 30 << true;
        QTest::newRow("too long, too large") << 90 << 0 << "90 s" << 60 << 5000 << 3000 << false;
        QTest::newRow("too short, negative") << 0 << 0 << "0 s" << 2 << -20 << 0 << true;
        QTest::newRow("moved past the end") << 58 << 2 << "60 s" << 60 << 30 << 30 << false;
    }

    void valuesAreSavedWithinTheirRange()
    {
        QFETCH(int, delay);
        QFETCH(int, size);
        QFETCH(bool, on);
        settings->setSlideDelay(delay);
        settings->setThumbFileSize(size);
        for (auto set : {&Settings::setShowDimension, &Settings::setShowExtension,
                         &Settings::setSaveThumbnails, &Settings::setControlBarInSlide,
                         &Settings::setRotateInSlide})
            (settings.get()->*set)(on);
        // Fields the screen does not edit must come through untouched.
        settings->setView(1);
        settings->setImageFullScreen(true);
        settings->setRotateBestFit(true);
        open();
        openPage(1);
        QFETCH(int, steps);
        for (int i = 0; i < steps; ++i)
            QTest::keyClick(control("delaySlider"), Qt::Key_Right);
        QTEST(control<QLabel>("delayLabel")->text(), "shown");
        for (const char *name :
             {"dimensionCheck", "extCheck", "thumbCheck", "barCheck", "rotateCheck"}) {
            QCOMPARE(control<QCheckBox>(name)->isChecked(), on);
            control<QCheckBox>(name)->setChecked(!on);
        }
        QCOMPARE(settings->slideDelay(), delay); // nothing reaches the record before saving
        QTest::mouseClick(qobject_cast<UTIL_CST *>(screen->getCSTWidget())->getMidBtn(),
                          Qt::LeftButton);
        QTEST(settings->slideDelay(), "savedDelay");
        QTEST(settings->thumbFileSize(), "savedSize");
        const QList<bool> fields{settings->showDimension(),   settings->showExtension(),
                                 settings->saveThumbnails(),  settings->controlBarInSlide(),
                                 settings->rotateInSlide(),   settings->view() == 1,
                                 settings->imageFullScreen(), settings->rotateBestFit()};
        QCOMPARE(fields, (QList<bool>{!on, !on, !on, !on, !on, true, true, true}));
    }

    // One walk over the bookmark page; only apply() changes the record.
    void bookmarkPage()
    {
        const QString longer(40000, QLatin1Char('n')); // than a line edit holds
        open({{"b", "/b"},
              {"A", "/A"},
              {"a", "/a"},
              {"", "/nameless"},
              {"Nowhere", ""},
              {longer, "/" + longer},
              {"x", "/x"}});
        openPage(2);
        QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
        // Each page alone, on the narrow screen.
        for (const char *name : {"thumbCheck", "delaySlider"})
            QVERIFY(!control(name)->isVisible());
        QVERIFY(screen->minimumSizeHint().width() <= 240 && screen->width() <= 240);
        QTRY_VERIFY(screen->minimumSizeHint().height() <= 320); // once the layout has settled

        auto *list = control<QTreeWidget>("bmListView");
        auto *nameEdit = control<QLineEdit>("nameEdit");
        QTest::keyClicks(nameEdit, QStringLiteral("typed")); // no row selected: renames none
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            list->setCurrentItem(list->topLevelItem(row)); // only looked at, "x" last
        QCOMPARE(nameEdit->text(), QStringLiteral("x"));
        nameEdit->selectAll();
        QTest::keyClicks(nameEdit, QStringLiteral("Al"));
        QTest::keyClicks(control("dirEdit"), QStringLiteral("/bum"));
        tapRow(0); // the nameless one
        QTest::mouseClick(button(QStringLiteral("Delete")), Qt::LeftButton);
        QVERIFY(list->selectedItems().isEmpty());
        QTest::keyClicks(nameEdit, QStringLiteral("typed")); // renames no other row
        QCOMPARE(settings->bookmarks().size(), 7);

        // In case-sensitive order, those without a name or a folder left out, the long one whole.
        const Marks saved{
                {"A", "/A"}, {"Al", "/x/bum"}, {"a", "/a"}, {"b", "/b"}, {longer, "/" + longer}};
        screen->apply();
        QCOMPARE(marksOf(*settings), saved);
        screen->apply(); // the owner may apply again
        QCOMPARE(marksOf(*settings), saved);
        screen->setSettings(settings.get()); // filling again lists each bookmark once
        QCOMPARE(list->topLevelItemCount(), saved.size());
    }

    void addAppendsTheChosenFolder()
    {
        open({{"Zoo", "/zoo"}});
        answerModal([](QWidget *dialog) { static_cast<QDialog *>(dialog)->reject(); });
        QTest::mouseClick(button(QStringLiteral("Add  ")), Qt::LeftButton);
        QCOMPARE(control<QTreeWidget>("bmListView")->topLevelItemCount(), 1);

        // The folder tree hides some system folder names, so the folder lives in the build tree.
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/settings-XXXXXX"));
        answerModal([&](QWidget *dialog) {
            dialog->findChild<DirectoryView *>()->setDir(dir.path());
            static_cast<QDialog *>(dialog)->accept();
        });
        QTest::mouseClick(button(QStringLiteral("Add  ")), Qt::LeftButton);
        if (control<QLineEdit>("dirEdit")->text() != dir.path())
            QSKIP("the build folder lies below a folder the folder tree hides");
        QCOMPARE(control<QTreeWidget>("bmListView")->selectedItems().size(), 1);
        screen->apply();
        QCOMPARE(marksOf(*settings), (Marks{{"Path     ", dir.path()}, {"Zoo", "/zoo"}}));
    }

    void softKeysSaveOrDiscard_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("escape"); // leaves by the Escape key rather than the right soft key
        QTest::newRow("right key discards") << false << false;
        QTest::newRow("escape discards") << false << true;
        QTest::newRow("left key, then save") << true << false;
    }

    void softKeysSaveOrDiscard()
    {
        QFETCH(bool, save);
        QFETCH(bool, escape);
        settings->setSlideDelay(10);
        open({{"Camera", "/mmc/mmca1/DCIM"}});
        auto *keys = qobject_cast<UTIL_CST *>(screen->getCSTWidget());
        SettingsDialog *shown = screen.get();
        bool openAfterLeftKey = false;
        whenShown([shown] { return shown->isFullScreen() ? shown : nullptr; },
                  [&](QWidget *) {
                      QVERIFY(QTest::qWaitForWindowActive(shown)); // so that Escape reaches it
                      control<QSlider>("delaySlider")->setValue(30);
                      auto *list = control<QTreeWidget>("bmListView");
                      list->setCurrentItem(list->topLevelItem(0));
                      control<QLineEdit>("nameEdit")->setText(QStringLiteral("Changed"));
                      if (escape) {
                          QTest::keyClick(control("nameEdit"), Qt::Key_Escape);
                          if (shown->isVisible()) // still open: leave by saving, which fails below
                              QTest::mouseClick(keys->getMidBtn(), Qt::LeftButton);
                          return;
                      }
                      if (!save)
                          return QTest::mouseClick(keys->getRightBtn(), Qt::LeftButton);
                      QTest::mouseClick(keys->getLeftBtn(), Qt::LeftButton);
                      openAfterLeftKey = shown->isVisible() && !shown->saved();
                      QTest::mouseClick(keys->getMidBtn(), Qt::LeftButton);
                  });
        screen->show(); // returns when the screen is closed
        QVERIFY(!screen->isVisible());
        QCOMPARE(screen->saved(), save);
        QCOMPARE(openAfterLeftKey, save);
        QCOMPARE(settings->slideDelay(), save ? 30 : 10);
        QCOMPARE(marksOf(*settings), (Marks{{save ? "Changed" : "Camera", "/mmc/mmca1/DCIM"}}));
    }
};

PICTARN_TEST(tst_SettingsDialog)
#include "tst_settingsdialog.moc"
