#include "common/testmain.h"
#include "common/testutil.h"

#include "app/bookmarkmenu.h"
#include "app/commandline.h"
#include "app/pictarn.h"
#include "app/settings.h"
#include "app/trash.h"
#include "app/undobar.h"
#include "browse/directoryview.h"
#include "browse/folderwatcher.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "browse/naturalorder.h"
#include "platform/folders.h"
#include "platform/qcopchannel.h"
#include "platform/util_cst.h"
#include "settings/settingsdialog.h"
#include "slideshow/slideshow.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailcache.h"
#include "thumbs/thumbnailview.h"
#include "viewer/imageviewer.h"
#include "viewer/imagewidget.h"

#include <QApplication>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <QToolBar>
#include <QToolButton>
#include <unistd.h>

using namespace TestUtil;

namespace {

// Names given in one text, parted by blanks.
QStringList files(const QString &names)
{
    return names.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Answers the bookmark menu the next time it opens: moves the highlight down to the item of
// that id and presses Return, or closes the menu for -1. meanwhile runs before Return.
void answerMenu(int id, std::function<void(QMenu *)> meanwhile = {})
{
    whenShown([] { return QApplication::activePopupWidget(); },
              [=](QWidget *popup) {
                  auto *menu = qobject_cast<BookmarkMenu *>(popup);
                  QVERIFY(menu);
                  if (id >= 0) {
                      for (int k = 0; k < 9 && menu->activeAction() != menu->item(id); ++k)
                          QTest::keyClick(menu, Qt::Key_Down);
                      if (meanwhile)
                          meanwhile(menu);
                      QCOMPARE(menu->activeAction(), menu->item(id));
                      QTest::keyClick(menu, Qt::Key_Return);
                  }
                  if (menu->isVisible()) // closed without a choice, or Return did not choose
                      QTest::keyClick(menu, Qt::Key_Escape);
              });
}

// Runs act on each modal dialog as it comes, with how many came before it, from a timer that
// lives as long as owner.
void answerEach(QObject *owner, std::function<void(QWidget *, int)> act)
{
    auto *timer = new QTimer(owner);
    auto seen = std::make_shared<QList<QPointer<QWidget>>>();
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible() || seen->contains(dialog))
            return;
        seen->append(dialog);
        act(dialog, int(seen->size()) - 1);
    });
    timer->start(20);
}

// What an X server tells a menu whose window shrinks away from under the pointer.
class PointerLeavesOnResize : public QObject
{
    bool eventFilter(QObject *menu, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            QCoreApplication::postEvent(menu, new QEvent(QEvent::Leave));
        return false;
    }
};

ImageWidget *fullScreenSurface()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *surface = qobject_cast<ImageWidget *>(widget); surface && surface->isVisible())
            return surface;
    return nullptr;
}

QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> bytes;
    for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(entry.filePath());
        bytes[entry.fileName()] = file.open(QIODevice::ReadOnly) ? file.readAll() : "?";
    }
    return bytes;
}
// The value fields in declaration order.
QVariantList fields(Settings &s)
{
    return {s.slideDelay(),      s.view(),          s.thumbFileSize(),     s.rotateInSlide(),
            s.imageFullScreen(), s.rotateBestFit(), s.controlBarInSlide(), s.saveThumbnails(),
            s.showExtension(),   s.showDimension()};
}

// The bookmarks as "name|dir".
QStringList marks(Settings &s)
{
    QStringList list;
    for (const Bookmark *bookmark : s.bookmarks())
        list << bookmark->name() + QLatin1Char('|') + bookmark->dir();
    return list;
}
} // namespace

class tst_MainRoad : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> root;

    // The names the list view holds; the grid must hold the same.
    static QStringList shown(const Pictarn &window)
    {
        QStringList names, boxes;
        for (int i = 0; i < window.imageListView->topLevelItemCount(); ++i)
            names << static_cast<ImageListItem *>(window.imageListView->topLevelItem(i))->name();
        for (int n = 0; n < window.thumbnailView->boxCount(); ++n)
            boxes << window.thumbnailView->boxAt(n)->fileName();
        return names == boxes ? names : QStringList{"grid differs:"} + names + boxes;
    }

private slots:
    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        QFile::remove(configFile());
        qputenv("PICTARN_DOCUMENTS", QFile::encodeName(root->filePath("docs")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root->filePath("data")));
    }

    void cleanup()
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (qobject_cast<ImageWidget *>(widget) || qobject_cast<SlideShow *>(widget))
                widget->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        root.reset();
    }

    // The window as the configuration and the command line leave it. A view other than 0
    // in the configuration shows the list.
    void start_data()
    {
        const QString no;
        QTest::addColumn<QString>("config");
        QTest::addColumn<bool>("pictures"); // the data folder holds the tools' pictures
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("opened"); // at start; else Return opens the first listed
        QTest::addColumn<QString>("refused"); // named on standard error
        QTest::addColumn<QString>("title");
        const QString photos = "a.png b.png c.png", inPhotos = "Pictarn - Photos";
        const QString full = "[Settings]\nimageFullScreen=true\n";
        const auto row = [](const char *name, const QString &config, bool pictures,
                            const char *names, const QString &listed, const char *opened,
                            const char *refused, const QString &title) {
            QTest::newRow(name) << config << pictures << names << listed << opened << refused
                                << title;
        };
        row("first start", no, true, "", no, "", "", "Pictarn");
        row("folder", no, true, "Photos", photos, "", "", inPhotos);
        row("folder, view 7, full screen, no pictures", full + "view=7\n", false, "Photos", photos,
            "", "", inPhotos);
        row("image", no, true, "Photos/b.png", photos, "b.png", "", inPhotos);
        row("image, full screen", full, true, "Other/../Photos/c.png", photos, "c.png", "",
            inPhotos);
        row("images, view -1", "[Settings]\nview=-1\n", true,
            "Photos/c.png Other/z.png Photos/a.png", "c.png z.png a.png", "", "",
            "Pictarn - 2 folders");
        row("missing", no, true, "gone Photos", photos, "", "gone", inPhotos);
        row("no image", no, true, "notes.png.txt", no, "", "notes.png.txt", "Pictarn");
    }

    void start()
    {
        QFETCH(QString, config);
        QFETCH(bool, pictures);
        QFETCH(QString, names);
        QFETCH(QString, listed);
        QFETCH(QString, opened);
        QFETCH(QString, refused);
        const bool list = config.contains("view="), fullScreen = config.contains("FullScreen");
        QVERIFY(writeImages(root->filePath("Photos"), files("c.png a.png b.png")));
        QVERIFY(writeImages(root->filePath("Other"), files("z.png")));
        QVERIFY(writeBytes(root->filePath("notes.png.txt"), 10));
        QVERIFY(config.isEmpty() || writeConfig(config));
        const QString dataDir = QDir::currentPath();
        const auto back = qScopeGuard([&] { QDir::setCurrent(dataDir); });
        if (!pictures) {
            QVERIFY(QDir::setCurrent(root->path()));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("pictures missing.*wmenu"));
        }
        if (!refused.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(
                                                       root->filePath(refused) + ':')));
        CommandLine commandLine;
        commandLine.process(files("pictarn " + names));
        Pictarn window;
        window.openPaths(commandLine.paths(root->path())); // not the current folder
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.viewStack->currentWidget(),
                 list ? static_cast<QWidget *>(window.imageListView) : window.thumbnailView);
        QVERIFY(window.listViewButton->isChecked() == list
                && window.thumbViewButton->isChecked() != list);
        QCOMPARE(window.settings->view(), list ? 1 : 0);
        QCOMPARE(window.fullScreenItem->isChecked(), fullScreen);
        QVERIFY(!window.bookmarkMenu->item(0)->isEnabled()); // no documents folder
        // Every tool shows on the narrow screen, none in the tool bar's overflow menu.
        QVERIFY(window.width() <= 240);
        const auto *more = window.toolBar->findChild<QToolButton *>("qt_toolbar_ext_button");
        QVERIFY(!more || !more->isVisible());

        QCOMPARE(shown(window), files(listed));
        QTEST(window.windowTitle(), "title");
        const QString first = opened.isEmpty() ? files(listed).value(0) : opened;
        if (first.isEmpty())
            return;
        QCOMPARE(static_cast<ImageListItem *>(window.imageListView->currentItem())->name(), first);
        QVERIFY(list || window.thumbnailView->selectedBox()->fileName() == first);
        if (opened.isEmpty()) {
            // The keys go to the view shown: Return opens the selected image.
            QWidget *focus = window.focusWidget();
            QVERIFY(focus && window.viewStack->currentWidget()->isVisible());
            QVERIFY(window.viewStack->currentWidget()->isAncestorOf(focus)
                    || focus == window.viewStack->currentWidget());
            QTest::keyClick(focus, Qt::Key_Return);
        }
        QTRY_VERIFY(fullScreen ? fullScreenSurface() != nullptr : window.imageViewer->isVisible());
        if (!fullScreen)
            QTRY_COMPARE(QFileInfo(window.currentImage).fileName(), first);
    }

    // One walk from the bookmarks of the configuration file through both views, the preview
    // cache, a storage notice, the documents folder, the slide show and the settings screen.
    void mainRoad()
    {
        const QString docs = root->filePath("docs"), card = root->filePath("card");
        const QString photos = root->filePath("photos"), other = root->filePath("other");
        QVERIFY(writeImages(docs, files("doc.png")) && writeImages(other, files("z.png")));
        QVERIFY(writeImages(photos, files("small.gif"))
                && writeImage(photos + "/big.bmp", 300, 200));
        QVERIFY(writeConfig(QStringLiteral("[Settings]\nthumbFileSize=1\nslideDelay=60\n"
                                           "[Bookmarks]\nnumBookmarks=3\nname0=A\ndir0=%1\n"
                                           "name1=B\ndir1=%2\nname2=C\ndir2=%3\n")
                                    .arg(photos, card, other)));
        Pictarn window;
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.bookmarkMenu->item(2)->isEnabled()); // no such folder yet

        answerMenu(-1); // closed without a choice: nothing is listed
        window.showBookmarkMenu();
        QVERIFY(shown(window).isEmpty());
        answerMenu(1);
        QTest::mouseClick(window.bookmarkButton, Qt::LeftButton);
        QCOMPARE(shown(window), files("big.bmp small.gif"));
        QTRY_VERIFY(window.thumbnailView->boxAt(1)->isThumbLoaded());
        QVERIFY(QFile::exists(ThumbnailCache::filePath(photos + "/big.bmp")));
        QVERIFY(!QFile::exists(ThumbnailCache::filePath(photos + "/small.gif"))); // under 1 KB
        window.switchListView();
        // The same bookmark again reloads nothing.
        QVERIFY(QFile::remove(photos + "/small.gif"));
        window.bookmarkSelected(*window.settings->bookmarks().at(0));
        QCOMPARE(shown(window), files("big.bmp small.gif"));

        // The slide show keeps its own list when the window's is emptied and built again.
        window.startSlideShow();
        QCOMPARE(window.slideList.at(0).path, photos + "/big.bmp");
        QPointer<SlideShow> show;
        for (QWidget *widget : QApplication::topLevelWidgets())
            show = show ? show.data() : qobject_cast<SlideShow *>(widget);
        QVERIFY(show);
        auto *counter = show->findChild<QLabel *>(QStringLiteral("counter"));
        QTRY_COMPARE(counter->text(), QStringLiteral("1/2"));
        window.moveall();
        window.startSlideShow();
        QVERIFY(window.slideList.isEmpty());
        QTest::keyClick(show, Qt::Key_Right);
        QTRY_COMPARE(counter->text(), QStringLiteral("2/2"));
        show->close();

        // A storage notice greys and ungreys entries, also while the menu is open: Return
        // still chooses the highlighted entry then.
        QDir().mkpath(card);
        QCopChannel::send(QStringLiteral("QPE/Card"), "somethingElse()");
        QVERIFY(!window.bookmarkMenu->item(2)->isEnabled());
        QCopChannel::send(QStringLiteral("QPE/Card"), "mtabChanged()");
        QVERIFY(window.bookmarkMenu->item(2)->isEnabled());
        answerMenu(3, [](QMenu *menu) {
            PointerLeavesOnResize pointer;
            menu->installEventFilter(&pointer);
            QCopChannel::send(QStringLiteral("QPE/Card"), "mtabChanged()");
            QCoreApplication::processEvents();
        });
        window.showBookmarkMenu();
        QCOMPARE(window.currentBookmark, window.settings->bookmarks().at(2));
        QCOMPARE(shown(window), files("z.png"));

        // The settings screen: "Exit" keeps everything; "Save " writes the file and drops the
        // remembered bookmark with the old list, so choosing it again lists its folder.
        for (bool save : {false, true}) {
            whenShown([&] { return window.findChild<SettingsDialog *>(); },
                      [=](QWidget *screen) {
                          auto *list = screen->findChild<QTreeWidget *>();
                          list->setCurrentItem(list->topLevelItem(2));
                          screen->findChild<QLineEdit *>(QStringLiteral("nameEdit"))
                                  ->setText("Renamed");
                          auto *keys = screen->findChild<UTIL_CST *>();
                          (save ? keys->getMidBtn() : keys->getRightBtn())->click();
                      });
            window.showSettingsDialog();
            QCOMPARE(window.currentBookmark != nullptr, !save);
            const QString name = save ? QStringLiteral("Renamed") : QStringLiteral("C");
            QCOMPARE(window.bookmarkMenu->item(3)->text(), name);
            QCOMPARE(QSettings(configFile(), QSettings::IniFormat).value("Bookmarks/name2"), name);
        }
        window.moveall();
        window.bookmarkSelected(*window.settings->bookmarks().at(2));
        QCOMPARE(shown(window), files("z.png"));

        // The documents replace the list, and chosen again while shown reload nothing.
        window.documentsSelected();
        QCOMPARE(shown(window), files("doc.png"));
        QVERIFY(QFile::remove(docs + "/doc.png"));
        window.documentsSelected();
        QCOMPARE(shown(window), files("doc.png"));
    }

    // Another program adds p2a, removes p5 and redraws p9: both views follow within seconds,
    // or at F5, keeping the highlighted p11 and where they are scrolled to.
    void foldersStayCurrent_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<bool>("given"); // p9 p5 p11 named one by one, else their folder p1-p30
        QTest::addColumn<bool>("f5"); // else left to the watch
        QTest::newRow("folder, grid") << 0 << false << false;
        QTest::newRow("folder, list, F5") << 1 << false << true;
        QTest::newRow("images given, grid") << 0 << true << false;
    }

    void foldersStayCurrent()
    {
        QFETCH(int, view);
        QFETCH(bool, given);
        QFETCH(bool, f5);
        const QString dir = root->filePath("d");
        QStringList before, after = files("p9.png p11.png");
        for (int n = 1; n <= 30; ++n)
            before << QStringLiteral("p%1.png").arg(n);
        QVERIFY(writeImages(dir, before));
        if (!given) {
            after = QStringList(before).replaceInStrings("p5.png", "p2a.png");
            std::sort(after.begin(), after.end(), [](const QString &a, const QString &b) {
                return NaturalOrder::lessThan(a, b);
            });
        }
        Pictarn window;
        window.resize(240, 320);
        if (given)
            window.openPaths({dir + "/p9.png", dir + "/p5.png", dir + "/p11.png"});
        else
            window.loadFolder(dir);
        view ? window.switchListView() : window.switchThumbnailView();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ThumbnailView *grid = window.thumbnailView;
        ImageListView *list = window.imageListView;
        if (ImageBox *first = grid->selectedBox())
            first->setSelected(false);
        grid->selectBox(int(grid->boxIndex(grid->findBox(dir + "/p11.png"))));
        list->scrollToBottom();
        list->setCurrentItem(list->findItemByPath(dir + "/p11.png"));
        const int gridAt = grid->verticalScrollBar()->value();
        const int listAt = list->verticalScrollBar()->value();
        QVERIFY(given || (view ? listAt : gridAt) > 0);
        QTRY_VERIFY(!window.folderWatcher->isReading());
        if (f5)
            window.folderWatcher->setSettleTime(3600 * 1000);
        QCOMPARE(window.listedImages().size(), given ? 3 : 30); // the viewer's list, kept

        QVERIFY(writeImage(dir + "/p2a.png", 16, 16) && QFile::remove(dir + "/p5.png")
                && writeImage(dir + "/p9.png", 30, 20));
        if (f5)
            QTest::keyClick(window.focusWidget(), Qt::Key_F5);
        QTRY_COMPARE_WITH_TIMEOUT(shown(window), after, 5000);
        QTRY_COMPARE(grid->findBox(dir + "/p9.png")->imageWidth(), 30);
        QCOMPARE(window.listedImages(),
                 QStringList(after).replaceInStrings(QRegularExpression("^"), dir + '/'));
        QCOMPARE(grid->selectedBox()->fileName(), "p11.png");
        QCOMPARE(list->currentItem()->text(0), "p11.png");
        // The view in sight stays where it was scrolled to.
        QCOMPARE((view ? list : static_cast<QAbstractScrollArea *>(grid))
                         ->verticalScrollBar()
                         ->value(),
                 view ? listAt : gridAt);
        // Read again with nothing changed since: nothing is told.
        QSignalSpy told(window.folderWatcher, &FolderWatcher::imagesChanged);
        window.folderWatcher->rescan();
        QTRY_VERIFY(!window.folderWatcher->isReading());
        QCOMPARE(told.count(), 0);
    }

    // A header tap orders the grid and the viewer's steps as the list; both views keep one
    // highlighted image.
    void oneOrderAndOneCurrentImage()
    {
        const QString dir = root->path();
        QVERIFY(writeImage(dir + "/a9.png", 50, 40) && writeImage(dir + "/a10.png", 10, 10)
                && writeImage(dir + "/B.png", 30, 20));
        Pictarn window;
        window.resize(240, 320);
        window.loadFolder(dir);
        QCOMPARE(shown(window), files("a9.png a10.png B.png"));
        QTRY_VERIFY(!window.thumbnailView->isLoading());
        window.switchListView();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.listedImages().last(), dir + "/B.png");
        QHeaderView *header = window.imageListView->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, 5));
        QTRY_COMPARE(shown(window), files("a10.png B.png a9.png"));
        QCOMPARE(window.listedImages().last(), dir + "/a9.png");

        ThumbnailView *grid = window.thumbnailView;
        window.switchThumbnailView();
        grid->selectedBox()->setSelected(false);
        grid->selectBox(1);
        window.switchListView();
        QCOMPARE(window.imageListView->currentItem()->text(0), "B.png");
        QTest::keyClick(window.imageListView, Qt::Key_Down);
        window.switchThumbnailView();
        QCOMPARE(grid->selectedBox()->fileName(), "a9.png");
        QCOMPARE(QApplication::focusWidget(), grid->selectedBox());
    }

    void listingKeepsImageFilesOnly()
    {
        QStringList images = files("A.JPG b.jpeg c.Png d.gif e.bmp");
        const QString dir = root->filePath("d");
        QVERIFY(writeImages(dir, images));
        for (const QString &other : files("f.tif g.WEBP h.tiff g.jpg.doc .h.png jpg")) {
            QVERIFY(writeBytes(dir + '/' + other, 10));
            // Listed where the toolkit reads them, whatever they hold.
            const QByteArray suffix = QFileInfo(other).suffix().toLower().toLatin1();
            if (!other.startsWith('.') && QImageReader::supportedImageFormats().contains(suffix))
                images << other;
        }
        QDir(dir).mkdir(QStringLiteral("folder.png"));
        Pictarn window;
        window.loadFolder(dir);
        window.loadFolder(dir + '/'); // listed already: adds nothing
        QCOMPARE(shown(window), images);
    }

    // The selected b.bmp renamed to newName, or deleted when newName is "(delete)"; answer is
    // the button clicked ("Accept", "确定", "Cancel") or the key pressed ("Escape", "Return").
    // message: part of what the dialog, or a box after it, says; empty when nothing is said.
    void renameAndDeleteKeepOtherFiles_data()
    {
        const QString no, del = QStringLiteral("(delete)"), ok = QStringLiteral("Accept");
        const QString yes = QString::fromUtf8("确定");
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("answer");
        // "cache link", "self link" (l.bmp), "read-only", "given", "swapped" (the folder
        // becomes a link to elsewhere while the dialog is open)
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("previewKept");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, int view, const QString &newName,
                            const QString &answer, const QString &plant, const char *after,
                            bool kept, const QString &message) {
            QTest::newRow(name) << view << newName << answer << plant << after << kept << message;
        };
        row("rename, grid", 0, "m.bmp", ok, no, "m.bmp z.bmp", false, "renamed to m.bmp");
        row("rename, case only", 0, "B.bmp", ok, no, "B.bmp z.bmp", false, "renamed to B.bmp");
        row("rename, escape", 0, "m.bmp", "Escape", no, "b.bmp z.bmp", true, no);
        row("rename, cancel", 0, "m.bmp", "Cancel", no, "b.bmp z.bmp", true, no);
        const auto refused = [&](const char *tag, const QString &name, const QString &why,
                                 const QString &plant = {}) {
            QTest::newRow(tag) << 0 << name << ok << plant << "b.bmp z.bmp" << true << why;
        };
        refused("rename onto another file", "z.bmp", "z.bmp already exists");
        row("rename onto a link to itself", 0, "l.bmp", ok, "self link", "b.bmp l.bmp z.bmp", true,
            "l.bmp already exists");
        refused("rename, empty", "", "empty");
        refused("rename, dot", ".", "not a file name");
        refused("rename, dot dot", "..", "not a file name");
        refused("rename, slash", "sub/m.bmp", "cannot hold \"/\"");
        refused("rename, too long", QString(256, 'n'), "too long");
        refused("rename, absolute into no folder", "/nowhere-at-all/m.bmp", "no folder");
        refused("rename, folder swapped", "m.bmp", "changed since it was listed", "swapped");
        row("rename, absolute into a folder", 0, "(moved)/m.bmp", ok, no, "z.bmp", false,
            "moved to /");
        // What the link leads to keeps its file of the old name.
        row("rename, cache folder is a link", 1, "m.bmp", ok, "cache link", "m.bmp z.bmp", true,
            "renamed");
        row("rename, images named at start", 0, "m.bmp", ok, "given", "m.bmp z.bmp", false,
            "renamed");
        row("delete, cancel", 0, del, "Cancel", no, "b.bmp z.bmp", true, no);
        row("delete, return alone", 0, del, "Return", no, "b.bmp z.bmp", true, no);
        const QString trashed = QStringLiteral("b.bmp moved to the trash");
        row("delete, grid", 0, del, yes, no, "z.bmp", false, trashed);
        row("delete, list, cache folder is a link", 1, del, yes, "cache link", "z.bmp", true,
            trashed);
        row("delete, folder swapped", 1, del, yes, "swapped", "b.bmp z.bmp", true,
            "changed since it was listed");
        // A read-only file system refuses the removal even to root.
        row("delete, read-only folder", 1, del, yes, "read-only", "b.bmp z.bmp", true,
            "cannot go to the trash");
    }

    void renameAndDeleteKeepOtherFiles()
    {
        QFETCH(QString, newName);
        QFETCH(QString, answer);
        QFETCH(QString, plant);
        QFETCH(QString, message);
        const QString dir = root->filePath("d"), elsewhere = root->filePath("elsewhere");
        const QString moved = root->filePath("moved");
        newName.replace(QStringLiteral("(moved)"), moved);
        QDir().mkpath(dir);
        QDir().mkpath(moved);
        const bool readOnly = plant == QLatin1String("read-only");
        if (readOnly && QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", dir}))
            QSKIP("mounting a tmpfs needs root, and a machine that allows it");
        auto unmount = qScopeGuard([&] {
            if (readOnly)
                QProcess::execute(QStringLiteral("umount"), {dir});
        });
        QVERIFY(writeImages(dir, files("b.bmp z.bmp"), 200));
        if (plant == QLatin1String("cache link") || plant == QLatin1String("swapped")) {
            QVERIFY(QDir().mkpath(elsewhere));
            for (const QString &name : files("b.bmp m.bmp z.bmp"))
                QVERIFY(writeBytes(elsewhere + '/' + name, 30, 'k'));
        }
        QVERIFY(plant != QLatin1String("cache link") || QFile::link(elsewhere, dir + "/.ptthumbs"));
        const auto elsewhereBefore = contents(elsewhere);
        QVERIFY(plant != QLatin1String("self link") || QFile::link("b.bmp", dir + "/l.bmp"));
        QVERIFY(writeConfig(QStringLiteral("[Settings]\nthumbFileSize=1\n")));
        const QByteArray otherBytes = contents(dir).value(QStringLiteral("z.bmp"));
        Pictarn window;
        if (plant == QLatin1String("given")) {
            window.openPaths({dir + "/b.bmp", dir + "/z.bmp"});
        } else {
            window.currentFolder = dir;
            window.loadFolder(dir);
        }
        const QString preview = ThumbnailCache::filePath(dir + QStringLiteral("/b.bmp"));
        QTRY_VERIFY(
                window.thumbnailView->boxAt(window.thumbnailView->boxCount() - 1)->isThumbLoaded());
        QTRY_VERIFY(QFile::exists(preview)); // stored by a worker, maybe after the last is shown
        QVERIFY(!readOnly || QProcess::execute("mount", {"-o", "remount,ro", dir}) == 0);
        QFETCH(int, view);
        if (view)
            window.switchListView();

        const bool swapped = plant == QLatin1String("swapped");
        const QString listed = dir + QStringLiteral(".listed");
        QStringList said;
        answerEach(&window, [&](QWidget *dialog, int n) {
            if (n > 0) { // a message after the question
                said << dialog->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->text();
                QTest::keyClick(dialog, Qt::Key_Escape);
                return;
            }
            if (auto *edit = dialog->findChild<QLineEdit *>()) {
                QCOMPARE(edit->text(), QStringLiteral("b.bmp"));
                edit->setText(newName);
            }
            if (swapped)
                QVERIFY(QDir().rename(dir, listed) && QFile::link(elsewhere, dir));
            if (answer == QLatin1String("Escape") || answer == QLatin1String("Return"))
                QTest::keyClick(dialog, answer == "Return" ? Qt::Key_Return : Qt::Key_Escape);
            else
                QVERIFY(clickButton(dialog, answer));
            if (dialog->isVisible()) { // a refused name: said in the dialog, kept to correct
                auto *problem = dialog->findChild<QLabel *>(QStringLiteral("problem"));
                said << (problem && problem->isVisible() ? problem->text() : QString());
                QCOMPARE(dialog->findChild<QLineEdit *>()->text(), newName);
                QTest::keyClick(dialog, Qt::Key_Escape);
            }
        });
        newName == QLatin1String("(delete)") ? window.deleteImage() : window.renameImage();
        if (window.undoBar->isVisible())
            said << window.undoBar->text();
        if (swapped)
            QVERIFY(QFile::remove(dir) && QDir().rename(listed, dir));
        QFETCH(QString, after);
        QCOMPARE(QDir(dir).entryList(QDir::Files, QDir::Name), files(after));
        QCOMPARE(shown(window), files(after));
        QTEST(QFile::exists(preview), "previewKept");
        QCOMPARE(contents(elsewhere), elsewhereBefore);
        QCOMPARE(contents(dir).value(QStringLiteral("z.bmp")), otherBytes);
        QCOMPARE(QFile::exists(moved + "/m.bmp"), newName.startsWith(moved));
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(said.size(), message.isEmpty() ? 0 : 1);
        QVERIFY2(message.isEmpty() || said.first().contains(message, Qt::CaseInsensitive),
                 qPrintable(said.join('|')));
        if (newName == QLatin1String("(delete)") && after == QLatin1String("z.bmp")) {
            // The next image takes the highlight, and the keys.
            QCOMPARE(window.imageListView->currentItem()->text(0).left(1), QStringLiteral("z"));
            QWidget *focus = window.focusWidget();
            QVERIFY(focus == window.imageListView
                    || (focus == window.thumbnailView->selectedBox() && focus));
        }
    }

    // b.bmp of a.bmp b.bmp z.bmp deleted (to the trash), renamed, moved or copied, from the grid,
    // the viewer or its full-screen surface, then taken back.
    void undoPutsTheFileBack_data()
    {
        QTest::addColumn<QString>("action"); // empty: delete; "move", "copy"; else a new name
        QTest::addColumn<QString>("plant"); // "appears": another b.bmp comes meanwhile
        QTest::addColumn<bool>("byKeys"); // Ctrl+Z, else the bar's "Undo"
        QTest::addColumn<QString>("trash"); // where the file went; relative to the folder
        QTest::addColumn<QString>("from"); // "viewer", "surface" (Delete and F2 keys); else grid
        const QString home = QStringLiteral("../data/Trash"), no;
        const auto row = [&](const char *name, const QString &action, const QString &plant,
                             bool keys, const QString &trash, const QString &from = {}) {
            QTest::newRow(name) << action << plant << keys << trash << from;
        };
        row("delete, Ctrl+Z", no, no, true, home);
        row("delete, Undo", no, no, false, home);
        row("delete, another comes", no, "appears", true, home);
        row("delete on a card", no, "card", true, ".Trash-%1");
        row("rename, Ctrl+Z", "m.bmp", no, true, no);
        // Copied, compared and removed across file systems, both ways.
        row("moved off a card, Ctrl+Z", "(moved)/m.bmp", "card", true, no);
        row("move to, Undo", "move", no, false, no);
        row("move to, off a card", "move", "card", true, no);
        row("copy to, Undo", "copy", no, false, no);
        row("copy to, off a card", "copy", "card", true, no);
        row("copy to, another comes", "copy", "appears", true, no);
        row("delete in the viewer", no, no, true, home, "viewer");
        row("delete full screen", no, no, true, home, "surface");
        row("rename in the viewer, Undo", "m.bmp", no, false, no, "viewer");
        row("rename full screen", "m.bmp", no, true, no, "surface");
    }

    void undoPutsTheFileBack()
    {
        QFETCH(QString, action);
        QFETCH(QString, plant);
        QFETCH(QString, trash);
        QFETCH(QString, from);
        const QString dir = root->filePath("d");
        QDir().mkpath(dir);
        const bool card = plant == QLatin1String("card");
        if (card && QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", dir}))
            QSKIP("mounting a tmpfs needs root, and a machine that allows it");
        auto unmount = qScopeGuard([&] {
            if (card)
                QProcess::execute(QStringLiteral("umount"), {dir});
        });
        QVERIFY(writeImages(dir, files("a.bmp b.bmp z.bmp"), 40));
        QVERIFY(writeConfig(QStringLiteral("[Settings]\nthumbFileSize=1\n")));
        const auto before = contents(dir);
        const QString moved = root->filePath("moved");
        QVERIFY(QDir().mkpath(moved));
        action.replace("(moved)", moved);
        const bool transfer = action == QLatin1String("move") || action == QLatin1String("copy");
        const bool copy = action == QLatin1String("copy");
        const bool gone = action.isEmpty() || action.startsWith(moved) || action == "move";
        Pictarn window;
        window.resize(240, 320);
        window.currentFolder = dir;
        window.loadFolder(dir);
        QTRY_VERIFY(window.thumbnailView->boxAt(2)->isThumbLoaded());
        QTRY_VERIFY(QFile::exists(ThumbnailCache::filePath(dir + "/b.bmp")));
        window.followViewer(dir + "/b.bmp");
        QStringList said;
        answerEach(&window, [&](QWidget *dialog, int) {
            if (dialog == window.imageViewer)
                return;
            auto *edit = dialog->findChild<QLineEdit *>();
            if (edit)
                edit->setText(action);
            if (auto *label = dialog->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
                said << label->text();
            QVERIFY(clickButton(dialog, edit               ? QStringLiteral("Accept")
                                        : action.isEmpty() ? QString::fromUtf8("确定")
                                                           : QStringLiteral("  Ok  ")));
        });
        const bool appears = plant == QLatin1String("appears");
        QVERIFY(!appears || !copy || writeBytes(moved + "/b.bmp", 5, 'n'));
        if (!from.isEmpty()) {
            from == "viewer" ? window.showImage(dir + "/b.bmp") : window.showImageFullScreen();
            QTRY_COMPARE(window.imageViewer->shownPath(), dir + "/b.bmp");
            QWidget *front = window.imageViewer->front();
            QVERIFY(front && QTest::qWaitForWindowActive(front));
            QTest::keyClick(front, action.isEmpty() ? Qt::Key_Delete : Qt::Key_F2);
            // The next picture in its place, and the change told over it.
            QCOMPARE(window.imageViewer->shownPath(), dir + (gone ? "/z.bmp" : "/m.bmp"));
            QVERIFY(window.undoBar->isVisible() && window.undoBar->window() == front);
            if (from == "viewer") {
                // Taken back from where it was done: the viewer shows the picture again.
                front->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(front));
                QFETCH(bool, byKeys);
                if (byKeys)
                    QTest::keyClick(front, Qt::Key_Z, Qt::ControlModifier);
                else
                    QVERIFY(clickButton(window.undoBar, "Undo"));
                QCOMPARE(window.imageViewer->shownPath(), dir + "/b.bmp");
            }
            front->close();
        } else if (transfer) {
            window.transferImage(moved, copy);
        } else {
            action.isEmpty() ? window.deleteImage() : window.renameImage();
        }
        if (appears && copy) {
            // Nothing replaced: refused with a message, both kept.
            QCOMPARE(contents(moved).value("b.bmp"), QByteArray(5, 'n'));
            QCOMPARE(contents(dir), before);
            QVERIFY2(said.last().contains("already exists"), qPrintable(said.join('|')));
            return;
        }
        const QString trashed = QDir(dir).filePath(trash.arg(::geteuid()));
        if (from != QLatin1String("viewer")) { // else taken back in the viewer already
            QCOMPARE(shown(window), files(gone   ? "a.bmp z.bmp"
                                          : copy ? "a.bmp b.bmp z.bmp"
                                                 : "a.bmp m.bmp z.bmp"));
            const QString there = transfer ? "b.bmp" : "m.bmp";
            QCOMPARE(contents(moved).value(there),
                     transfer || action.startsWith(moved) ? before.value("b.bmp") : QByteArray());
            // The preview went along.
            QCOMPARE(QFile::exists(ThumbnailCache::filePath(moved + "/" + there)), transfer);
            QVERIFY(window.undoBar->isVisible() && window.undoBar->height() >= 32);
            QVERIFY(window.undoBar->text().startsWith("b.bmp "));
            if (!trash.isEmpty()) {
                QCOMPARE(contents(trashed + "/files").value("b.bmp"), before.value("b.bmp"));
                QFile info(trashed + "/info/b.bmp.trashinfo");
                QVERIFY(info.open(QIODevice::ReadOnly));
                QVERIFY(info.readAll().startsWith(
                        "[Trash Info]\nPath=" + QFile::encodeName(card ? "b.bmp" : dir + "/b.bmp")
                        + "\nDeletionDate=2"));
            }
            QVERIFY(!appears || writeBytes(dir + "/b.bmp", 5, 'n'));
            QFETCH(bool, byKeys);
            if (byKeys) {
                window.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&window));
                QTest::keyClick(window.focusWidget(), Qt::Key_Z, Qt::ControlModifier);
            } else
                QVERIFY(clickButton(window.undoBar, "Undo"));
            if (appears) {
                // Both kept: the newcomer where it is, the old one in the trash.
                QCOMPARE(contents(dir).value("b.bmp"), QByteArray(5, 'n'));
                QCOMPARE(contents(trashed + "/files").value("b.bmp"), before.value("b.bmp"));
                QVERIFY(window.undoBar->text().contains("not put back"));
                return;
            }
        }
        QCOMPARE(contents(dir), before);
        QVERIFY(QDir(moved).entryList(QDir::Files).isEmpty());
        QCOMPARE(shown(window), files("a.bmp b.bmp z.bmp"));
        QCOMPARE(window.thumbnailView->selectedBox()->fileName(), QStringLiteral("b.bmp"));
        QVERIFY(QFile::exists(ThumbnailCache::filePath(dir + "/b.bmp")) || !transfer);
        QVERIFY(trash.isEmpty() || QDir(trashed + "/info").isEmpty());
        QVERIFY(trash.isEmpty() || QDir(trashed + "/files").isEmpty());
    }

    // "Empty trash" removes only what the program put there and is still that file; a damaged
    // record or a trash whose files/ is a link reaches nothing else.
    void emptyTrashRemovesOnlyOurs()
    {
        const QString dir = root->filePath("d"), evil = root->filePath("evil");
        QVERIFY(writeImages(dir, files("a.bmp b.bmp c.bmp"), 40));
        QString why;
        for (const char *name : {"a.bmp", "b.bmp"})
            QVERIFY2(Trash::put(dir + '/' + name, ListedFolder(dir), why), qPrintable(why));
        const QString trash = Trash::homeTrash();
        QVERIFY(writeBytes(trash + "/files/other.bmp", 7)); // another program's
        QVERIFY(QFile::remove(trash + "/files/b.bmp") && writeBytes(trash + "/files/b.bmp", 9));
        QVERIFY(QDir().mkpath(evil) && QFile::link(dir, evil + "/files"));
        struct stat c;
        QVERIFY(::stat(QFile::encodeName(dir + "/c.bmp"), &c) == 0);
        QFile record(Folders::records() + "/trashed");
        QVERIFY(record.open(QIODevice::Append));
        record.write("garbage\n" + QFile::encodeName(trash) + " .. 1 2\n" + QFile::encodeName(evil)
                     + " c.bmp " + QByteArray::number(quint64(c.st_dev)) + ' '
                     + QByteArray::number(quint64(c.st_ino)) + ' ' + QByteArray::number(c.st_size)
                     + ' ' + QByteArray::number(c.st_mtim.tv_sec * 1000000000 + c.st_mtim.tv_nsec)
                     + '\n');
        record.close();
        SettingsDialog dialog(nullptr);
        QStringList said;
        answerEach(&dialog, [&](QWidget *box, int n) {
            said << box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->text();
            QVERIFY(clickButton(box,
                                n == 0 ? QString::fromUtf8("确定") : QStringLiteral("  Ok  ")));
        });
        dialog.findChild<QPushButton *>(QStringLiteral("emptyTrash"))->click();
        QVERIFY2(said.size() == 2 && said.at(0).contains("1 picture")
                         && said.at(1).startsWith("1 picture"),
                 qPrintable(said.join('|')));
        QCOMPARE(QDir(trash + "/files").entryList(QDir::Files), files("b.bmp other.bmp"));
        QCOMPARE(QDir(trash + "/info").entryList(QDir::Files), files("b.bmp.trashinfo"));
        QCOMPARE(QDir(dir).entryList(QDir::Files), files("c.bmp"));
        QCOMPARE(Trash::ours().files, 0);
    }

    void damagedFilesReadAsDefaults_data()
    {
        QTest::addColumn<QByteArray>("contents"); // null: no file
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("first");
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage.append(char((i * 7919) % 256));
        const QString home = QStringLiteral("/mmc/mmca1/opie/home/Documents");
        QTest::newRow("no file") << QByteArray() << 0 << QStringList();
        QTest::newRow("binary garbage") << garbage << 0 << QStringList();
        QTest::newRow("wrong types") << QByteArray("[Settings]\nslideDelay=fast\nview=list\n"
                                                   "rotateInSlide=sometimes\nthumbFileSize=\n"
                                                   "[Bookmarks]\nnumBookmarks=many\n")
                                     << 0 << QStringList();
        QTest::newRow("missing keys")
                << QByteArray("[Bookmarks]\nnumBookmarks=2\nname0=Camera\ndir0=/card/DCIM\n") << 2
                << QStringList{"Camera|/card/DCIM", "name|" + home};
        QTest::newRow("no text") << QByteArray("[Bookmarks]\nnumBookmarks=2\nname0=@Point(5 6)\n"
                                               "dir0=a, b\nname1=@@Card\ndir1=/card\n")
                                 << 2 << QStringList{"name|" + home, "@Card|/card"};
        QTest::newRow("huge count")
                << QByteArray("[Bookmarks]\nnumBookmarks=2147483647\nname0=Only\ndir0=/only\n")
                << int(Settings::maxBookmarks) << QStringList{"Only|/only", "name|" + home};
        QTest::newRow("negative count")
                << QByteArray("[Bookmarks]\nnumBookmarks=-5\n") << 0 << QStringList();
        // A screen wider than tall does not turn the slides unless the user said so.
        QTest::newRow("landscape") << QByteArray() << 0 << QStringList();
        QTest::newRow("landscape, turning set")
                << QByteArray("[Settings]\nrotateInSlide=true\n") << 0 << QStringList();
    }

    void damagedFilesReadAsDefaults()
    {
        QFETCH(QByteArray, contents);
        QVERIFY(contents.isNull() || writeConfig(QString::fromLatin1(contents)));
        Settings settings;
        const QByteArray tag = QTest::currentDataTag();
        settings.load(tag.startsWith("landscape") ? QSize(1280, 800) : QSize());
        QCOMPARE(fields(settings), QVariantList({2, 0, 30, tag != "landscape", false, false, true,
                                                 true, false, true}));
        QTEST(int(settings.bookmarks().size()), "count");
        QTEST(marks(settings).mid(0, 2), "first");

        // And the program writes a good file over it.
        settings.setSlideDelay(7);
        settings.save();
        Settings again;
        again.load();
        QCOMPARE(again.slideDelay(), 7);
    }

    // With no argument the program lists the folders listed when it last ended that are still
    // there; the phone's screen stays filled whatever geometry was saved. The folder chooser
    // opens at the folder listed now, else (none, or gone since) at home; Return takes the row.
    void remembersFolders_data()
    {
        QTest::addColumn<QString>("opened"); // at the first start
        QTest::addColumn<QString>("removed"); // before the next
        QTest::addColumn<QString>("listed"); // by the next start
        QTest::addColumn<QString>("chooser"); // where it opens; "gone": removed first; else home
        const auto row = [](const char *name, const char *opened, const char *removed,
                            const char *listed, const char *chooser) {
            QTest::newRow(name) << opened << removed << listed << chooser;
        };
        row("two folders", "Photos Other", "", "a.png b.png c.png z.png", "Other");
        row("one gone", "Photos Other", "Other", "a.png b.png c.png", "Photos");
        row("all gone", "Other", "Other", "", "");
        row("an image: its folder", "Other/z.png", "", "z.png", "gone");
        row("images one by one", "Photos/a.png Other/z.png", "", "", "");
    }

    void remembersFolders()
    {
        QFETCH(QString, opened);
        QFETCH(QString, removed);
        QFETCH(QString, chooser);
        QVERIFY(writeImages(root->filePath("Photos"), files("c.png a.png b.png")));
        QVERIFY(writeImages(root->filePath("Other"), files("z.png")));
        QStringList paths;
        for (const QString &name : files(opened))
            paths << root->filePath(name);
        std::make_unique<Pictarn>()->openPaths(paths);
        QVERIFY(removed.isEmpty() || QDir(root->filePath(removed)).removeRecursively());
        QWidget small;
        small.setGeometry(10, 10, 100, 100);
        QSettings(configFile(), QSettings::IniFormat)
                .setValue("Session/geometry", QString::fromLatin1(small.saveGeometry().toBase64()));
        Pictarn window;
        window.openLastFolders();
        QTEST(shown(window).join(' '), "listed");
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.frameGeometry().size(), window.screen()->availableGeometry().size());
        QVERIFY(chooser != "gone" || QDir(window.currentFolder).removeRecursively());
        answerModal([](QWidget *dialog) {
            QTest::keyClick(dialog->findChild<DirectoryView *>(), Qt::Key_Return);
        });
        window.open();
        QCOMPARE(window.currentFolder, chooser.isEmpty() || chooser == "gone"
                                               ? QDir::homePath()
                                               : root->filePath(chooser));
    }

    void fileKeepsWhatWasSaved()
    {
        // Bookmark text that means something to the INI syntax comes back as it went in.
        const QStringList texts
                = QStringLiteral(
                          "我的图像 照片 1|Holiday, "
                          "2006|@home|@Variant(\\0\\0\\0\\t)|@Invalid()|@ByteArray(x)|"
                          "  padded  |say \"cheese\" \\ C:\\x41|; not # a comment|[Settings] a=b|"
                          "two\nlines\r\tand a tab|%2F%U0041|bell\u0007 nul\u0001 \U0001F4F7")
                          .split(QLatin1Char('|'));
        QStringList saved;
        QVERIFY(writeConfig(
                "[Settings]\nslideDelay=13\nview=1\nthumbFileSize=0\nrotateInSlide=false\n"
                "imageFullScreen=true\nrotateBestFit=true\ncontrolBarInSlide=false\n"
                "saveThumbnails=false\nshowExtension=true\nshowDimension=false\n"));
        Settings s;
        s.load();
        for (const QString &text : texts) {
            saved << text + "|/media/" + text;
            s.addBookmark(new Bookmark(text, "/media/" + text));
        }
        s.save();
        const QByteArray text = contents(QFileInfo(configFile()).path()).value("pictarn.cfg");
        for (const char *line :
             {"[Settings]\n", "\nslideDelay=13\n", "\nrotateInSlide=false\n", "[Bookmarks]\n",
              "\nnumBookmarks=13\n", "\ndir1=\"/media/Holiday, 2006\"\n"})
            QVERIFY2(text.contains(line), line);
        Settings reread;
        reread.load();
        QCOMPARE(fields(reread),
                 QVariantList({13, 1, 0, false, true, true, false, false, true, false}));
        QCOMPARE(marks(reread), saved);

        // A shorter list leaves the old keys behind, and they are not read.
        while (reread.bookmarks().size() > 2)
            reread.bookmarks().removeAt(2);
        reread.save();
        QVERIFY(QSettings(configFile(), QSettings::IniFormat).contains("Bookmarks/dir3"));
        Settings shorter;
        shorter.load();
        QCOMPARE(marks(shorter), saved.mid(0, 2));
    }

    // What takes more than a moment to read is read behind the window: the names come in
    // their order in slices, the view first, and an image named is opened before they are in.
    void listsLargeFoldersBehind_data()
    {
        QTest::addColumn<QString>("named"); // under the root; "*": every folder there
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("first"); // the first names listed
        const QString big = "Pictarn - Big", byNumber = "p0.png p1.png p2.png";
        QTest::newRow("a large folder") << "Big" << 2400 << big << byNumber;
        QTest::newRow("an image in it") << "Big/p1500.png" << 2400 << big << byNumber;
        QTest::newRow("many folders") << "*" << 2499 << "Pictarn - 100 folders"
                                      << "p0.png p0.png p1.png";
    }

    void listsLargeFoldersBehind()
    {
        QFETCH(QString, named);
        QFETCH(int, count);
        QStringList paths{root->filePath(named)};
        for (int n = 0; n < 100; ++n)
            QVERIFY(QDir(root->path()).mkpath(n ? QString("F%1").arg(n - 1) : "Big"));
        for (int n = 0; n < 2400; ++n)
            QVERIFY(writeBytes(root->filePath(QString("Big/p%1.png").arg(n)), 0));
        for (int n = 0; named == "*" && n < 99; ++n)
            QVERIFY(writeBytes(root->filePath(QString("F%1/p%1.png").arg(n)), 0));
        if (named == "*")
            paths = QDir(root->path())
                            .entryList({"Big", "F*"}, QDir::Dirs)
                            .replaceInStrings(QRegularExpression("^"), root->path() + '/');
        Pictarn window;
        window.openPaths(paths);
        QVERIFY(window.imageListView->topLevelItemCount() < count);
        QCOMPARE(window.imageViewer->isVisible(), named.endsWith(".png"));
        QTRY_COMPARE(window.imageListView->topLevelItemCount(), count);
        QTRY_VERIFY(window.imageListView->isSortingEnabled());
        QTEST(shown(window).mid(0, 3).join(' '), "first");
        // The first few, handed out before the rest is sorted, are the first of the whole order.
        const QStringList names = shown(window);
        QVERIFY(std::is_sorted(
                names.cbegin(), names.cend(),
                [](const QString &a, const QString &b) { return NaturalOrder::lessThan(a, b); }));
        QCOMPARE(window.thumbnailView->boxAt(count - 1)->fileName(), "p2399.png");
        const QString current = named.endsWith(".png") ? "p1500.png" : shown(window).first();
        QCOMPARE(static_cast<ImageListItem *>(window.imageListView->currentItem())->name(),
                 current);
        QCOMPARE(window.thumbnailView->selectedBox()->fileName(), current);
        QTEST(window.windowTitle(), "title");
    }
};

PICTARN_TEST(tst_MainRoad)
#include "tst_mainroad.moc"
