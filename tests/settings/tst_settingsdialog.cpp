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
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
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

void whenModal(std::function<void(QDialog *)> action)
{
    whenShown([] { return qobject_cast<QDialog *>(QApplication::activeModalWidget()); },
              [action](QWidget *w) { action(static_cast<QDialog *>(w)); });
}

// Answers the path chooser with path, or cancels it when path is null.
void answerChooser(const QString &path)
{
    whenModal([path](QDialog *dialog) {
        auto *view = dialog->findChild<DirectoryView *>();
        if (path.isNull() || !view) {
            dialog->reject();
            return;
        }
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

    void showsTheTextsOfItsControls_data();
    void showsTheTextsOfItsControls();
    void showsItsTitleKeysAndRanges();
    void pageComboSitsOnTheTitleLine();
    void delaySliderFollowsTheRecord_data();
    void delaySliderFollowsTheRecord();
    void thumbSizeIsKeptInRange_data();
    void thumbSizeIsKeptInRange();
    void checkBoxesEditTheirFields_data();
    void checkBoxesEditTheirFields();
    void thumbSizeFollowsTheSaveCheck();
    void pageComboShowsOnePage_data();
    void pageComboShowsOnePage();
    void everyPageFitsTheScreen_data();
    void everyPageFitsTheScreen();
    void addAppendsTheChosenFolder();
    void cancelledChooserAddsNothing();
    void typingRenamesTheSelectedRow();
    void deletingTheOnlyBookmark();
    void deletingLeavesNoRowToRename();
    void bookmarksAreSavedInListOrder_data();
    void bookmarksAreSavedInListOrder();
    void rightKeyDiscardsTheEdits();
    void saveKeyAppliesAndCloses();

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

QPushButton *tst_SettingsDialog::button(const QString &text)
{
    const QList<QPushButton *> buttons = screen->findChildren<QPushButton *>();
    for (QPushButton *candidate : buttons) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

void tst_SettingsDialog::showsTheTextsOfItsControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("dimension") << "dimensionCheck"
                               << "View Pics Size    ";
    QTest::newRow("extension") << "extCheck"
                               << "View document role";
    QTest::newRow("save thumbnails") << "thumbCheck"
                                     << "Save icons  ";
    QTest::newRow("size caption") << "thumbLabel"
                                  << "Greater than:  ";
    QTest::newRow("delay caption") << "TextLabel2"
                                   << "Changing Time: ";
    QTest::newRow("delay") << "delayLabel"
                           << "2 s";
    QTest::newRow("bar") << "barCheck"
                         << "Screen Setting ";
    QTest::newRow("rotate") << "rotateCheck"
                            << "Rotate Type ";
    QTest::newRow("name caption") << "TextLabel4"
                                  << "Pics name   ";
    QTest::newRow("folder caption") << "textdir"
                                    << "Pash:    ";
}

void tst_SettingsDialog::showsTheTextsOfItsControls()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    // Before a record is given the screen shows the controls' own starting texts.
    screen = std::make_unique<SettingsDialog>(nullptr);
    auto *widget = screen->findChild<QWidget *>(name);
    QVERIFY(widget);
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), text);
    else if (auto *check = qobject_cast<QCheckBox *>(widget))
        QCOMPARE(check->text(), text);
    else
        QFAIL("neither a label nor a check box");
}

void tst_SettingsDialog::showsItsTitleKeysAndRanges()
{
    open();
    QCOMPARE(screen->titleLabel()->text(), QStringLiteral("Set   "));
    auto *keys = qobject_cast<UTIL_CST *>(screen->getCSTWidget());
    QVERIFY(keys);
    QCOMPARE(keys->getLeftBtn()->text(), QStringLiteral("Menu"));
    QCOMPARE(keys->getMidBtn()->text(), QStringLiteral("Save "));
    QCOMPARE(keys->getRightBtn()->text(), QStringLiteral("Exit"));
    QStringList groups;
    for (const QGroupBox *group : screen->findChildren<QGroupBox *>())
        groups << group->title();
    QCOMPARE(groups, (QStringList{"Set thumbnail ", "Set Slde Type     ", QString(), QString()}));
    auto *list = control<QTreeWidget>("bmListView");
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Pics Name"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Path: "));
    QVERIFY(button(QStringLiteral("Add  ")));
    QVERIFY(button(QStringLiteral("Delete")));
    QVERIFY(!button(QStringLiteral("Delete"))->isEnabled());
    QVERIFY(!control<QFrame>("editFrame")->isEnabled());
    auto *size = control<QSpinBox>("thumbSize");
    QCOMPARE(size->minimum(), 0);
    QCOMPARE(size->maximum(), 3000);
    QCOMPARE(size->singleStep(), 10);
    QCOMPARE(size->suffix(), QStringLiteral(" Kb"));
    auto *delay = control<QSlider>("delaySlider");
    QCOMPARE(delay->minimum(), 2);
    QCOMPARE(delay->maximum(), 60);
    QCOMPARE(delay->singleStep(), 2);
    QCOMPARE(delay->pageStep(), 10);
    QCOMPARE(delay->orientation(), Qt::Horizontal);
    QCOMPARE(delay->tickPosition(), QSlider::TicksBelow);
    QCOMPARE(delay->tickInterval(), 10);
}

void tst_SettingsDialog::pageComboSitsOnTheTitleLine()
{
    open();
    auto *combo = screen->findChild<QComboBox *>();
    QVERIFY(combo);
    QCOMPARE(combo->parentWidget(), screen.get());
    QCOMPARE(combo->y(), 0);
    QCOMPARE(combo->height(), 24);
    QCOMPARE(combo->x() + combo->width(), 240);
    QVERIFY(combo->width() >= 100);
    QVERIFY(combo->width() >= combo->sizeHint().width()); // no text clipped
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(0), QStringLiteral("Thumbnail"));
    QCOMPARE(combo->itemText(1), QStringLiteral("Slide Type  "));
    QCOMPARE(combo->itemText(2), QStringLiteral("Set bookmark"));
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(!combo->isEditable());
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

void tst_SettingsDialog::thumbSizeIsKeptInRange_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("saved");

    QTest::newRow("default") << 30 << "30 Kb" << 30;
    QTest::newRow("too large") << 5000 << "3000 Kb" << 3000;
    QTest::newRow("negative") << -20 << "0 Kb" << 0;
}

void tst_SettingsDialog::thumbSizeIsKeptInRange()
{
    QFETCH(int, stored);
    QFETCH(QString, shown);
    QFETCH(int, saved);

    settings->setThumbFileSize(stored);
    open();
    QCOMPARE(control<QSpinBox>("thumbSize")->text(), shown);
    screen->apply();
    QCOMPARE(settings->thumbFileSize(), saved);
}

void tst_SettingsDialog::checkBoxesEditTheirFields_data()
{
    QTest::addColumn<bool>("on");
    QTest::newRow("all on") << true;
    QTest::newRow("all off") << false;
}

void tst_SettingsDialog::checkBoxesEditTheirFields()
{
    QFETCH(bool, on);

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
    screen->apply();

    QCOMPARE(settings->showDimension(), !on);
    QCOMPARE(settings->showExtension(), !on);
    QCOMPARE(settings->saveThumbnails(), !on);
    QCOMPARE(settings->controlBarInSlide(), !on);
    QCOMPARE(settings->rotateInSlide(), !on);
    QCOMPARE(settings->view(), 1);
    QVERIFY(settings->imageFullScreen());
    QVERIFY(settings->rotateBestFit());
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

    open();
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
    openPage(2 - page); // start from another page
    openPage(page);
    for (const char *name : {"thumbCheck", "delaySlider", "bmListView"}) {
        auto *widget = screen->findChild<QWidget *>(QLatin1String(name));
        QVERIFY(widget);
        QCOMPARE(widget->isVisible(), shownControl == QLatin1String(name));
    }
}

void tst_SettingsDialog::everyPageFitsTheScreen_data()
{
    pageComboShowsOnePage_data();
}

void tst_SettingsDialog::everyPageFitsTheScreen()
{
    QFETCH(int, page);

    addBookmarks({{"Camera", "/mmc/mmca1/DCIM"}, {"Long", "/diska/MyImages/holiday/2009/best"}});
    open();
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
    openPage(page);
    QVERIFY(screen->minimumSizeHint().width() <= 240);
    QVERIFY(screen->minimumSizeHint().height() <= 320);
    QVERIFY(screen->width() <= 240);
    QCOMPARE(screen->getContentWidget()->width(), screen->width());
}

void tst_SettingsDialog::addAppendsTheChosenFolder()
{
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/settings-XXXXXX"));
    const QString folder = reachable(dir);
    if (folder.isEmpty())
        QSKIP("the build folder lies below a folder the folder tree hides");
    addBookmarks({{"Zoo", "/zoo"}});
    open();
    openPage(2);
    auto *list = control<QTreeWidget>("bmListView");

    answerChooser(folder);
    QTest::mouseClick(button(QStringLiteral("Add  ")), Qt::LeftButton);

    QCOMPARE(list->topLevelItemCount(), 2);
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first()->text(0), QStringLiteral("Path     "));
    QCOMPARE(selected.first()->text(1), folder);
    QCOMPARE(control<QLineEdit>("nameEdit")->text(), QStringLiteral("Path     "));
    QCOMPARE(control<QLineEdit>("dirEdit")->text(), folder);
    QVERIFY(button(QStringLiteral("Delete"))->isEnabled());
    QVERIFY(control<QFrame>("editFrame")->isEnabled());

    screen->apply();
    QCOMPARE(marksOf(*settings), (Marks{{"Path     ", folder}, {"Zoo", "/zoo"}}));
}

void tst_SettingsDialog::cancelledChooserAddsNothing()
{
    open();
    openPage(2);
    answerChooser(QString());
    QTest::mouseClick(button(QStringLiteral("Add  ")), Qt::LeftButton);
    QCOMPARE(control<QTreeWidget>("bmListView")->topLevelItemCount(), 0);
    QVERIFY(!button(QStringLiteral("Delete"))->isEnabled());
    QVERIFY(!control<QFrame>("editFrame")->isEnabled());
}

void tst_SettingsDialog::typingRenamesTheSelectedRow()
{
    addBookmarks({{"Camera", "/mmc/mmca1/DCIM"}, {"Phone", "/diska/MyImages"}});
    open();
    openPage(2);
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
    auto *list = control<QTreeWidget>("bmListView");
    auto *nameEdit = control<QLineEdit>("nameEdit");
    auto *dirEdit = control<QLineEdit>("dirEdit");

    // Typing with no row selected changes nothing.
    QTest::keyClicks(nameEdit, QStringLiteral("x"));
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Camera"));
    QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("Phone"));

    QTreeWidgetItem *phone = list->topLevelItem(1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(phone).center());
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
    addBookmarks({{"Camera", "/mmc/mmca1/DCIM"}});
    open();
    openPage(2);
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
    auto *list = control<QTreeWidget>("bmListView");
    QPushButton *deleteButton = button(QStringLiteral("Delete"));
    QVERIFY(deleteButton->isEnabled());

    // Nothing selected: nothing happens.
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    QCOMPARE(list->topLevelItemCount(), 1);

    QTreeWidgetItem *only = list->topLevelItem(0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(only).center());
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
    addBookmarks({{"A", "/a"}, {"B", "/b"}, {"C", "/c"}});
    open();
    openPage(2);
    QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
    auto *list = control<QTreeWidget>("bmListView");
    QTreeWidgetItem *b = list->topLevelItem(1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(b).center());
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
}

void tst_SettingsDialog::bookmarksAreSavedInListOrder()
{
    QFETCH(Marks, stored);
    QFETCH(Marks, saved);

    addBookmarks(stored);
    open();
    QCOMPARE(control<QTreeWidget>("bmListView")->topLevelItemCount(), stored.size());
    QCOMPARE(button(QStringLiteral("Delete"))->isEnabled(), !stored.isEmpty());
    screen->apply();
    QCOMPARE(marksOf(*settings), saved);
    screen->apply(); // the owner may apply again
    QCOMPARE(marksOf(*settings), saved);
    screen->setSettings(settings.get()); // filling again lists each bookmark once
    QCOMPARE(control<QTreeWidget>("bmListView")->topLevelItemCount(), saved.size());
}

void tst_SettingsDialog::rightKeyDiscardsTheEdits()
{
    settings->setSlideDelay(10);
    addBookmarks({{"Camera", "/mmc/mmca1/DCIM"}});
    open();
    auto *keys = qobject_cast<UTIL_CST *>(screen->getCSTWidget());
    SettingsDialog *shown = screen.get();

    whenShown([shown] { return shown->isFullScreen() ? shown : nullptr; },
              [this, keys](QWidget *) {
                  openPage(1);
                  control<QSlider>("delaySlider")->setValue(30);
                  control<QCheckBox>("barCheck")->setChecked(false);
                  openPage(2);
                  auto *list = control<QTreeWidget>("bmListView");
                  list->setCurrentItem(list->topLevelItem(0));
                  control<QLineEdit>("nameEdit")->setText(QStringLiteral("Changed"));
                  QTest::mouseClick(keys->getRightBtn(), Qt::LeftButton);
              });
    screen->show(); // returns when the screen is closed

    QVERIFY(!screen->isVisible());
    QVERIFY(!screen->saved());
    QCOMPARE(settings->slideDelay(), 10);
    QVERIFY(settings->controlBarInSlide());
    QCOMPARE(marksOf(*settings), (Marks{{"Camera", "/mmc/mmca1/DCIM"}}));
}

void tst_SettingsDialog::saveKeyAppliesAndCloses()
{
    settings->setSlideDelay(10);
    addBookmarks({{"Camera", "/mmc/mmca1/DCIM"}});
    open();
    auto *keys = qobject_cast<UTIL_CST *>(screen->getCSTWidget());
    SettingsDialog *shown = screen.get();

    bool openAfterLeftKey = false;
    whenShown([shown] { return shown->isFullScreen() ? shown : nullptr; },
              [this, keys, shown, &openAfterLeftKey](QWidget *) {
                  control<QSlider>("delaySlider")->setValue(30);
                  auto *list = control<QTreeWidget>("bmListView");
                  list->setCurrentItem(list->topLevelItem(0));
                  control<QLineEdit>("nameEdit")->setText(QStringLiteral("Changed"));
                  QTest::mouseClick(keys->getLeftBtn(), Qt::LeftButton);
                  openAfterLeftKey = shown->isVisible() && !shown->saved();
                  QTest::mouseClick(keys->getMidBtn(), Qt::LeftButton);
              });
    screen->show();

    QVERIFY(openAfterLeftKey);
    QVERIFY(!screen->isVisible());
    QVERIFY(screen->saved());
    QCOMPARE(settings->slideDelay(), 30);
    QCOMPARE(marksOf(*settings), (Marks{{"Changed", "/mmc/mmca1/DCIM"}}));
}

PICTARN_TEST(tst_SettingsDialog)
#include "tst_settingsdialog.moc"
