#include "common/testmain.h"

#include "app/settings.h"
#include "browse/directoryview.h"
#include "platform/util_cst.h"
#include "settings/settingsdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace {

// Runs action once the screen or dialog that the code under test brings up is showing.
void whenShown(std::function<QWidget *()> find, std::function<void(QWidget *)> action)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, find, action] {
        QWidget *widget = find();
        if (!widget || !widget->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action(widget);
    });
    poll->start();
}

// Answers the path chooser with path, or cancels it when path is null.
void answerChooser(const QString &path)
{
    whenShown(
            []() -> QWidget * {
                return qobject_cast<QDialog *>(QApplication::activeModalWidget());
            },
            [path](QWidget *shown) {
                auto *dialog = static_cast<QDialog *>(shown);
                auto *view = dialog->findChild<DirectoryView *>();
                if (path.isNull() || !view)
                    return dialog->reject();
                view->setDir(path);
                dialog->accept();
            });
}

const QStringList systemNames{"bin",  "dev", "diskb", "ezxlocal", "etc", "home", "lib",
                              "proc", "ram", "sbin",  "tmp",      "usr", "var",  "root"};

QString reachable(const QTemporaryDir &dir)
{
    if (!dir.isValid())
        return QString();
    for (const QString &part : dir.path().split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (systemNames.contains(part) || part.startsWith(QLatin1Char('.')))
            return QString();
    }
    return dir.path();
}

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

private slots:
    void init();
    void cleanup();

    void delaySliderFollowsTheRecord_data();
    void delaySliderFollowsTheRecord();
    void checkBoxesEditTheirFields_data();
    void checkBoxesEditTheirFields();
    void thumbSizeFollowsTheSaveCheck();
    void pageComboShowsOnePage_data();
    void pageComboShowsOnePage();
    void addAppendsTheChosenFolder();
    void typingRenamesTheSelectedRow();
    void deletingTheOnlyBookmark();
    void deletingLeavesNoRowToRename();
    void bookmarksAreSavedInListOrder_data();
    void bookmarksAreSavedInListOrder();
    void softKeysSaveOrDiscard_data();
    void softKeysSaveOrDiscard();

private:
    template<typename T>
    T *control(const char *name)
    {
        return screen->findChild<T *>(QLatin1String(name));
    }
    QPushButton *button(const QString &text);
    void open();
    void openPage(int index);
    void addBookmarks(const Marks &marks);
    QTreeWidget *openBookmarks(const Marks &marks);
    void tapRow(QTreeWidget *list, int row);

    std::unique_ptr<Settings> settings;
    std::unique_ptr<SettingsDialog> screen;
};

void tst_SettingsDialog::init()
{
    settings = std::make_unique<Settings>();
}

void tst_SettingsDialog::cleanup()
{
    screen.reset();
    settings.reset();
}

void tst_SettingsDialog::open()
{
    screen = std::make_unique<SettingsDialog>(nullptr);
    screen->setSettings(settings.get());
}

void tst_SettingsDialog::openPage(int index)
{
    auto *combo = screen->findChild<QComboBox *>();
    QVERIFY(combo);
    combo->setFocus();
    while (combo->currentIndex() < index)
        QTest::keyClick(combo, Qt::Key_Down);
    while (combo->currentIndex() > index)
        QTest::keyClick(combo, Qt::Key_Up);
}

void tst_SettingsDialog::addBookmarks(const Marks &marks)
{
    for (const auto &mark : marks)
        settings->addBookmark(new Bookmark(mark.first, mark.second));
}

QTreeWidget *tst_SettingsDialog::openBookmarks(const Marks &marks)
{
    addBookmarks(marks);
    open();
    openPage(2);
    if (!QTest::qWaitForWindowExposed(screen.get()))
        qWarning("the settings screen did not show");
    return control<QTreeWidget>("bmListView");
}

void tst_SettingsDialog::tapRow(QTreeWidget *list, int row)
{
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

QPushButton *tst_SettingsDialog::button(const QString &text)
{
    for (QPushButton *candidate : screen->findChildren<QPushButton *>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

void tst_SettingsDialog::delaySliderFollowsTheRecord_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("slider");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("steps"); // right-arrow presses on the slider
    QTest::addColumn<QString>("shownAfter");
    QTest::addColumn<int>("saved");

    QTest::newRow("in range, moved") << 10 << 10 << "10 s" << 3 << "16 s" << 16;
    QTest::newRow("too long") << 90 << 60 << "90 s" << 0 << "90 s" << 60;
    QTest::newRow("too short") << 0 << 2 << "0 s" << 0 << "0 s" << 2;
    QTest::newRow("moved past the end") << 58 << 58 << "58 s" << 2 << "60 s" << 60;
}

void tst_SettingsDialog::delaySliderFollowsTheRecord()
{
    QFETCH(int, stored);
    QFETCH(int, slider);
    QFETCH(QString, shown);
    QFETCH(int, steps);
    QFETCH(QString, shownAfter);
    QFETCH(int, saved);

    settings->setSlideDelay(stored);
    open();
    openPage(1);
    auto *delay = control<QSlider>("delaySlider");
    auto *label = control<QLabel>("delayLabel");
    QCOMPARE(delay->value(), slider);
    QCOMPARE(label->text(), shown);

    for (int i = 0; i < steps; ++i)
        QTest::keyClick(delay, Qt::Key_Right);
    QCOMPARE(label->text(), shownAfter);
    QCOMPARE(settings->slideDelay(), stored); // nothing reaches the record before saving

    QTest::mouseClick(qobject_cast<UTIL_CST *>(screen->getCSTWidget())->getMidBtn(),
                      Qt::LeftButton);
    QCOMPARE(settings->slideDelay(), saved);
}

void tst_SettingsDialog::checkBoxesEditTheirFields_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("thumbFileSize");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("saved");
    QTest::newRow("all on, size too large") << true << 5000 << "3000 Kb" << 3000;
    QTest::newRow("all off, size negative") << false << -20 << "0 Kb" << 0;
    QTest::newRow("all on, size in range") << true << 30 << "30 Kb" << 30;
}

void tst_SettingsDialog::checkBoxesEditTheirFields()
{
    QFETCH(bool, on);
    QFETCH(int, thumbFileSize);
    QFETCH(QString, shown);
    QFETCH(int, saved);
    settings->setThumbFileSize(thumbFileSize);
    settings->setShowDimension(on);
    settings->setShowExtension(on);
    settings->setSaveThumbnails(on);
    settings->setControlBarInSlide(on);
    settings->setRotateInSlide(on);
    // Fields the screen does not edit must come through untouched.
    settings->setView(1);
    settings->setImageFullScreen(true);
    settings->setRotateBestFit(true);
    open();

    const char *names[] = {"dimensionCheck", "extCheck", "thumbCheck", "barCheck", "rotateCheck"};
    for (const char *name : names) {
        QCheckBox *check = control<QCheckBox>(name);
        QVERIFY2(check, name);
        QCOMPARE(check->isChecked(), on);
        check->setChecked(!on);
    }
    QCOMPARE(control<QSpinBox>("thumbSize")->text(), shown);
    screen->apply();
    QCOMPARE(settings->thumbFileSize(), saved);

    const QList<bool> fields{settings->showDimension(),   settings->showExtension(),
                             settings->saveThumbnails(),  settings->controlBarInSlide(),
                             settings->rotateInSlide(),   settings->view() == 1,
                             settings->imageFullScreen(), settings->rotateBestFit()};
    QCOMPARE(fields, (QList<bool>{!on, !on, !on, !on, !on, true, true, true}));
}

void tst_SettingsDialog::thumbSizeFollowsTheSaveCheck()
{
    settings->setSaveThumbnails(false);
    open();
    auto *check = control<QCheckBox>("thumbCheck");
    auto *size = control<QSpinBox>("thumbSize");
    auto *caption = control<QLabel>("thumbLabel");
    // Unchecked from the start sends no toggle, so both stay usable until the box is used.
    QVERIFY(size->isEnabled());
    QTest::keyClick(check, Qt::Key_Space);
    QVERIFY(check->isChecked());
    QVERIFY(size->isEnabled());
    QTest::keyClick(check, Qt::Key_Space);
    QVERIFY(!size->isEnabled());
    QVERIFY(!caption->isEnabled());
    QTest::keyClick(check, Qt::Key_Space);
    QVERIFY(size->isEnabled());
    QVERIFY(caption->isEnabled());
}

void tst_SettingsDialog::pageComboShowsOnePage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("shownControl");
    QTest::newRow("thumbnails") << 0 << "thumbCheck";
    QTest::newRow("slide show") << 1 << "delaySlider";
    QTest::newRow("bookmarks") << 2 << "bmListView";
}

void tst_SettingsDialog::pageComboShowsOnePage()
{
    QFETCH(int, page);
    QFETCH(QString, shownControl);

    addBookmarks({{"Camera", "/mmc/mmca1/DCIM"}, {"Long", "/diska/MyImages/holiday/2009/best"}});
    open();
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
    openPage(2 - page); // start from another page
    openPage(page);
    for (const char *name : {"thumbCheck", "delaySlider", "bmListView"}) {
        auto *widget = screen->findChild<QWidget *>(QLatin1String(name));
        QVERIFY(widget);
        QCOMPARE(widget->isVisible(), shownControl == QLatin1String(name));
    }
    QTRY_VERIFY(screen->minimumSizeHint().height() <= 320); // once the layout has settled
    QVERIFY(screen->minimumSizeHint().width() <= 240);
    QVERIFY(screen->width() <= 240);
}

void tst_SettingsDialog::addAppendsTheChosenFolder()
{
    auto *list = openBookmarks({});
    answerChooser(QString()); // cancelled: nothing added
    QTest::mouseClick(button(QStringLiteral("Add  ")), Qt::LeftButton);
    QCOMPARE(list->topLevelItemCount(), 0);
    QVERIFY(!button(QStringLiteral("Delete"))->isEnabled());
    QVERIFY(!control<QFrame>("editFrame")->isEnabled());

    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/settings-XXXXXX"));
    const QString folder = reachable(dir);
    if (folder.isEmpty())
        QSKIP("the build folder lies below a folder the folder tree hides");
    addBookmarks({{"Zoo", "/zoo"}});
    screen->setSettings(settings.get());
    answerChooser(folder);
    QTest::mouseClick(button(QStringLiteral("Add  ")), Qt::LeftButton);

    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->selectedItems().first()->text(0), QStringLiteral("Path     "));
    QCOMPARE(list->selectedItems().first()->text(1), folder);
    QCOMPARE(control<QLineEdit>("nameEdit")->text(), QStringLiteral("Path     "));
    QCOMPARE(control<QLineEdit>("dirEdit")->text(), folder);
    QVERIFY(button(QStringLiteral("Delete"))->isEnabled());
    QVERIFY(control<QFrame>("editFrame")->isEnabled());

    screen->apply();
    QCOMPARE(marksOf(*settings), (Marks{{"Path     ", folder}, {"Zoo", "/zoo"}}));
}

void tst_SettingsDialog::typingRenamesTheSelectedRow()
{
    auto *list = openBookmarks({{"Camera", "/mmc/mmca1/DCIM"}, {"Phone", "/diska/MyImages"}});
    auto *nameEdit = control<QLineEdit>("nameEdit");
    auto *dirEdit = control<QLineEdit>("dirEdit");

    // Typing with no row selected changes nothing.
    QTest::keyClicks(nameEdit, QStringLiteral("x"));
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Camera"));
    QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("Phone"));

    QTreeWidgetItem *phone = list->topLevelItem(1);
    tapRow(list, 1);
    QCOMPARE(nameEdit->text(), QStringLiteral("Phone"));
    QCOMPARE(dirEdit->text(), QStringLiteral("/diska/MyImages"));

    nameEdit->selectAll();
    QTest::keyClicks(nameEdit, QStringLiteral("Al"));
    QCOMPARE(phone->text(0), QStringLiteral("Al"));
    QTest::keyClicks(nameEdit, QStringLiteral("bum"));
    QCOMPARE(phone->text(0), QStringLiteral("Album"));
    dirEdit->selectAll();
    QTest::keyClicks(dirEdit, QStringLiteral("/mmc"));
    QCOMPARE(phone->text(1), QStringLiteral("/mmc"));

    screen->apply();
    QCOMPARE(marksOf(*settings), (Marks{{"Album", "/mmc"}, {"Camera", "/mmc/mmca1/DCIM"}}));
}

void tst_SettingsDialog::deletingTheOnlyBookmark()
{
    auto *list = openBookmarks({{"Camera", "/mmc/mmca1/DCIM"}});
    QPushButton *deleteButton = button(QStringLiteral("Delete"));
    QVERIFY(deleteButton->isEnabled());

    // Nothing selected: nothing happens.
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    QCOMPARE(list->topLevelItemCount(), 1);

    tapRow(list, 0);
    QVERIFY(control<QFrame>("editFrame")->isEnabled());
    QTest::mouseClick(deleteButton, Qt::LeftButton);

    QCOMPARE(list->topLevelItemCount(), 0);
    QCOMPARE(control<QLineEdit>("nameEdit")->text(), QString());
    QCOMPARE(control<QLineEdit>("dirEdit")->text(), QString());
    QVERIFY(!control<QFrame>("editFrame")->isEnabled());
    QVERIFY(deleteButton->isEnabled());
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    QCOMPARE(list->topLevelItemCount(), 0);

    QCOMPARE(settings->bookmarks().size(), 1); // only apply() changes the record
    screen->apply();
    QVERIFY(settings->bookmarks().isEmpty());
}

void tst_SettingsDialog::deletingLeavesNoRowToRename()
{
    auto *list = openBookmarks({{"A", "/a"}, {"B", "/b"}, {"C", "/c"}});
    tapRow(list, 1);
    QTest::mouseClick(button(QStringLiteral("Delete")), Qt::LeftButton);

    QVERIFY(list->selectedItems().isEmpty());
    QVERIFY(control<QFrame>("editFrame")->isEnabled());
    QTest::keyClicks(control<QLineEdit>("nameEdit"), QStringLiteral("typed"));
    screen->apply();
    QCOMPARE(marksOf(*settings), (Marks{{"A", "/a"}, {"C", "/c"}}));
}

void tst_SettingsDialog::bookmarksAreSavedInListOrder_data()
{
    QTest::addColumn<Marks>("stored");
    QTest::addColumn<Marks>("saved");

    QTest::newRow("case-sensitive order") << Marks{{"b", "/b"}, {"A", "/A"}, {"a", "/a"}}
                                          << Marks{{"A", "/A"}, {"a", "/a"}, {"b", "/b"}};
    QTest::newRow("empty name or folder left out")
            << Marks{{"", "/nameless"}, {"Home", "/diska"}, {"Nowhere", ""}}
            << Marks{{"Home", "/diska"}};
    QTest::newRow("none") << Marks{} << Marks{};
    const QString longer(40000, QLatin1Char('n')); // than a line edit holds
    QTest::newRow("longer than a line edit holds, looked at")
            << Marks{{longer, "/" + longer}} << Marks{{longer, "/" + longer}};
}

void tst_SettingsDialog::bookmarksAreSavedInListOrder()
{
    QFETCH(Marks, stored);
    QFETCH(Marks, saved);

    addBookmarks(stored);
    open();
    QCOMPARE(control<QTreeWidget>("bmListView")->topLevelItemCount(), stored.size());
    QCOMPARE(button(QStringLiteral("Delete"))->isEnabled(), !stored.isEmpty());
    auto *list = control<QTreeWidget>("bmListView");
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->setCurrentItem(list->topLevelItem(i)); // only selected, not edited
    screen->apply();
    QCOMPARE(marksOf(*settings), saved);
    screen->apply(); // the owner may apply again
    QCOMPARE(marksOf(*settings), saved);
    screen->setSettings(settings.get()); // filling again lists each bookmark once
    QCOMPARE(control<QTreeWidget>("bmListView")->topLevelItemCount(), saved.size());
}

void tst_SettingsDialog::softKeysSaveOrDiscard_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("escape"); // leaves by the Escape key rather than the right soft key
    QTest::newRow("right key discards") << false << false;
    QTest::newRow("escape discards") << false << true;
    QTest::newRow("left key, then save") << true << false;
}

void tst_SettingsDialog::softKeysSaveOrDiscard()
{
    QFETCH(bool, save);
    QFETCH(bool, escape);
    settings->setSlideDelay(10);
    addBookmarks({{"Camera", "/mmc/mmca1/DCIM"}});
    open();
    auto *keys = qobject_cast<UTIL_CST *>(screen->getCSTWidget());
    SettingsDialog *shown = screen.get();
    bool openAfterLeftKey = false;
    whenShown([shown] { return shown->isFullScreen() ? shown : nullptr; },
              [this, keys, shown, save, escape, &openAfterLeftKey](QWidget *) {
                  openPage(1);
                  control<QSlider>("delaySlider")->setValue(30);
                  control<QCheckBox>("barCheck")->setChecked(false);
                  openPage(2);
                  auto *list = control<QTreeWidget>("bmListView");
                  list->setCurrentItem(list->topLevelItem(0));
                  control<QLineEdit>("nameEdit")->setText(QStringLiteral("Changed"));
                  if (escape) {
                      QTest::keyClick(control<QLineEdit>("nameEdit"), Qt::Key_Escape);
                      if (shown->isVisible()) // still open: leave by saving, which fails below
                          QTest::mouseClick(keys->getMidBtn(), Qt::LeftButton);
                      return;
                  }
                  if (!save) {
                      QTest::mouseClick(keys->getRightBtn(), Qt::LeftButton);
                      return;
                  }
                  QTest::mouseClick(keys->getLeftBtn(), Qt::LeftButton);
                  openAfterLeftKey = shown->isVisible() && !shown->saved();
                  QTest::mouseClick(keys->getMidBtn(), Qt::LeftButton);
              });
    screen->show(); // returns when the screen is closed

    QVERIFY(!screen->isVisible());
    QCOMPARE(screen->saved(), save);
    QCOMPARE(openAfterLeftKey, save);
    QCOMPARE(settings->slideDelay(), save ? 30 : 10);
    QCOMPARE(settings->controlBarInSlide(), !save);
    QCOMPARE(marksOf(*settings), (Marks{{save ? "Changed" : "Camera", "/mmc/mmca1/DCIM"}}));
}

PICTARN_TEST(tst_SettingsDialog)
#include "tst_settingsdialog.moc"
