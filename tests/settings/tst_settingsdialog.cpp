#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "browse/directoryview.h"
#include "platform/util_cst.h"
#include "settings/settingsdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

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

private slots:
    void init() { settings = std::make_unique<Settings>(); }

    void cleanup() { screen.reset(); }

    // Values out of range are shown as found but saved within it.
    void valuesAreSavedWithinTheirRange_data()
    {
        QTest::addColumn<int>("delay");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("savedDelay");
        QTest::addColumn<int>("size"); // of the files that get previews
        QTest::addColumn<int>("savedSize");
        QTest::addColumn<bool>("on"); // the check boxes
        QTest::newRow("too long, too large") << 90 << "90 s" << 60 << 5000 << 3000 << false;
        QTest::newRow("too short, negative") << 0 << "0 s" << 2 << -20 << 0 << true;
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
                         &Settings::setRotateInSlide, &Settings::setFrame,
                         &Settings::setFrameRecursive, &Settings::setFrameCrossfade})
            (settings.get()->*set)(on);
        settings->setFrameOrder(on ? 1 : 0);
        settings->setView(1); // not on the screen: comes through untouched
        open();
        QTEST(control<QLabel>("delayLabel")->text(), "shown");
        for (const char *name : {"dimensionCheck", "extCheck", "thumbCheck", "barCheck",
                                 "rotateCheck", "frameCheck", "frameRecursive", "frameCrossfade"}) {
            QCOMPARE(control<QCheckBox>(name)->isChecked(), on);
            control<QCheckBox>(name)->setChecked(!on);
        }
        QCOMPARE(control<QComboBox>("frameOrder")->currentIndex(), on ? 1 : 0);
        control<QComboBox>("frameOrder")->setCurrentIndex(on ? 0 : 1);
        screen->apply();
        QTEST(settings->slideDelay(), "savedDelay");
        QTEST(settings->thumbFileSize(), "savedSize");
        const QList<bool> fields{settings->showDimension(),  settings->showExtension(),
                                 settings->saveThumbnails(), settings->controlBarInSlide(),
                                 settings->rotateInSlide(),  settings->view() == 1,
                                 settings->frame(),          settings->frameRecursive(),
                                 settings->frameCrossfade(), settings->frameOrder() == 1};
        QCOMPARE(fields, (QList<bool>{!on, !on, !on, !on, !on, true, !on, !on, !on, !on}));
    }

    // One walk over the bookmark page; only apply() changes the record.
    void bookmarkPage()
    {
        const QString n(40000, QLatin1Char('n')); // longer than a line edit holds
        open({{"B", "/B"}, {"a", "/a"}, {"", "/0"}, {"N", ""}, {n, "/" + n}, {"x", "/x"}});
        openPage(2);
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
        list->setCurrentItem(list->topLevelItem(0)); // the nameless one
        QVERIFY(clickButton(screen.get(), QStringLiteral("Delete")));
        QTest::keyClicks(nameEdit, QStringLiteral("typed")); // renames no other row
        QCOMPARE(settings->bookmarks().size(), 6);

        // In case-sensitive order, those without a name or a folder left out, the long one whole.
        const Marks saved{{"Al", "/x/bum"}, {"B", "/B"}, {"a", "/a"}, {n, "/" + n}};
        screen->apply();
        screen->apply(); // the owner may apply again
        QCOMPARE(marksOf(*settings), saved);
        screen->setSettings(settings.get()); // filling again lists each bookmark once
        QCOMPARE(list->topLevelItemCount(), saved.size());
    }

    void addAppendsTheChosenFolder()
    {
        open({{"Zoo", "/zoo"}});
        answerModal([](QWidget *dialog) { static_cast<QDialog *>(dialog)->reject(); });
        QVERIFY(clickButton(screen.get(), QStringLiteral("Add  ")));
        QCOMPARE(control<QTreeWidget>("bmListView")->topLevelItemCount(), 1);

        // The folder tree hides some system folder names, so the folder lives in the build tree.
        QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/settings-XXXXXX"));
        answerModal([&](QWidget *dialog) {
            dialog->findChild<DirectoryView *>()->setDir(dir.path());
            static_cast<QDialog *>(dialog)->accept();
        });
        QVERIFY(clickButton(screen.get(), QStringLiteral("Add  ")));
        if (control<QLineEdit>("dirEdit")->text() != dir.path())
            QSKIP("the build folder lies below a folder the folder tree hides");
        screen->apply();
        QCOMPARE(marksOf(*settings), (Marks{{"Path     ", dir.path()}, {"Zoo", "/zoo"}}));
    }

    void softKeysSaveOrDiscard_data()
    {
        QTest::addColumn<QString>("keys"); // soft keys by their names, or Escape
        QTest::addColumn<bool>("save");
        QTest::newRow("right key discards") << "Exit" << false;
        QTest::newRow("escape discards") << "Escape" << false;
        QTest::newRow("left key, then save") << "Menu Save" << true;
    }

    void softKeysSaveOrDiscard()
    {
        QFETCH(QString, keys);
        open({{"Camera", "/mmc/mmca1/DCIM"}});
        auto *soft = qobject_cast<UTIL_CST *>(screen->getCSTWidget());
        SettingsDialog *shown = screen.get();
        whenShown([shown] { return shown->isFullScreen() ? shown : nullptr; },
                  [&](QWidget *) {
                      QVERIFY(QTest::qWaitForWindowActive(shown)); // so that Escape reaches it
                      auto *list = control<QTreeWidget>("bmListView");
                      list->setCurrentItem(list->topLevelItem(0));
                      control<QLineEdit>("nameEdit")->setText(QStringLiteral("Changed"));
                      const QMap<QString, QWidget *> by{{"Menu", soft->getLeftBtn()},
                                                        {"Save", soft->getMidBtn()},
                                                        {"Exit", soft->getRightBtn()}};
                      for (const QString &key : keys.split(' ')) {
                          QVERIFY(shown->isVisible()
                                  && !shown->saved()); // still open before each key
                          if (key == QLatin1String("Escape"))
                              QTest::keyClick(control("nameEdit"), Qt::Key_Escape);
                          else
                              QTest::mouseClick(by.value(key), Qt::LeftButton);
                      }
                      if (shown->isVisible()) // still open: leave by saving, which the checks below
                                              // catch
                          QTest::mouseClick(soft->getMidBtn(), Qt::LeftButton);
                  });
        screen->show(); // returns when the screen is closed
        QFETCH(bool, save);
        QCOMPARE(screen->saved(), save);
        QCOMPARE(marksOf(*settings), (Marks{{save ? "Changed" : "Camera", "/mmc/mmca1/DCIM"}}));
    }
};

PICTARN_TEST(tst_SettingsDialog)
#include "tst_settingsdialog.moc"
