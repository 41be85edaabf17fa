#include "common/testmain.h"
#include "common/testutil.h"

#include "app/bookmarkmenu.h"
#include "app/commandline.h"
#include "app/pictarn.h"
#include "app/settings.h"
#include "browse/directoryview.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
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
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace TestUtil;

namespace {
// Answers the bookmark menu the next time it opens: the item of that id, or -1 to close it.
// meanwhile runs between highlighting the item and pressing Return.
void answerMenu(int id, std::function<void()> meanwhile = {})
{
    whenShown([] { return QApplication::activePopupWidget(); },
              [id, meanwhile](QWidget *popup) {
                  auto *menu = qobject_cast<BookmarkMenu *>(popup);
                  QVERIFY(menu);
                  if (id >= 0) {
                      menu->setActiveAction(menu->item(id));
                      if (meanwhile)
                          meanwhile();
                      QTest::keyClick(menu, Qt::Key_Return);
                  }
                  if (menu->isVisible()) // closed without a choice, or Return did not choose
                      QTest::keyClick(menu, Qt::Key_Escape);
              });
}

ImageWidget *fullScreenSurface()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *surface = qobject_cast<ImageWidget *>(widget); surface && surface->isVisible())
            return surface;
    }
    return nullptr;
}

const QString ok = QString::fromUtf8("确定");

// Names given in one text, parted by blanks.
QStringList files(const QString &names)
{
    return names.split(QLatin1Char(' '), Qt::SkipEmptyParts);
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

    QString makeFolder(const QString &names, int size = 16)
    {
        static int count = 0;
        const QString dir = root->path() + QStringLiteral("/folder%1").arg(++count);
        QTest::qVerify(writeImages(dir, files(names), size), "writeImages", "", __FILE__, __LINE__);
        return dir;
    }

    // Turns dir's cache folder into a link to a folder holding files named like its images;
    // nothing may change what that folder holds.
    QMap<QString, QByteArray> linkCacheFolder(const QString &dir, const QString &names)
    {
        const QString elsewhere = dir + QStringLiteral("-elsewhere");
        QDir().mkpath(elsewhere);
        QFile::link(elsewhere, dir + QStringLiteral("/.ptthumbs"));
        for (const QString &name : files(names))
            writeBytes(elsewhere + QLatin1Char('/') + name, 30, 'k');
        return contents(elsewhere);
    }

    void writeBookmarks(const QStringList &marks, const QString &extra = QString())
    {
        QString text
                = QStringLiteral("%1[Bookmarks]\nnumBookmarks=%2\n").arg(extra).arg(marks.size());
        for (int i = 0; i < marks.size(); ++i)
            text += QStringLiteral("name%1=B%1\ndir%1=%2\n").arg(i).arg(marks[i]);
        QVERIFY(writeConfig(text));
    }

private slots:
    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        QFile::remove(configFile());
        qputenv("PICTARN_DOCUMENTS", QFile::encodeName(root->path() + QStringLiteral("/docs")));
    }

    void cleanup()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<ImageWidget *>(widget) || qobject_cast<SlideShow *>(widget))
                widget->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        root.reset();
    }

    void startView_data()
    {
        QTest::addColumn<QString>("config");
        QTest::addColumn<bool>("list");
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<bool>("pictures"); // the data folder holds the tools' pictures
        QTest::newRow("first start") << QString() << false << false << true;
        QTest::newRow("7, full screen, no pictures") << "[Settings]\nview=7\nimageFullScreen=true\n"
                                                     << true << true << false;
        QTest::newRow("-1") << "[Settings]\nview=-1\n" << true << false << true;
    }

    void startView()
    {
        QFETCH(QString, config);
        QFETCH(bool, list);
        QFETCH(bool, fullScreen);
        QFETCH(bool, pictures);
        QVERIFY(config.isNull() || writeConfig(config));
        const QString dataDir = QDir::currentPath();
        const auto back = qScopeGuard([&] { QDir::setCurrent(dataDir); });
        if (!pictures) {
            QVERIFY(QDir::setCurrent(root->path()));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("pictures missing.*wmenu"));
        }
        Pictarn window;
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
        for (QAction *action : window.toolBar->actions())
            QVERIFY(window.toolBar->widgetForAction(action)->isVisible());
        const auto *more = window.toolBar->findChild<QToolButton *>("qt_toolbar_ext_button");
        QVERIFY(!more || !more->isVisible());

        // The keys go to the view shown: Return opens the selected image.
        window.loadFolder(makeFolder("a.png"));
        QWidget *focus = window.focusWidget();
        QVERIFY(focus && window.viewStack->currentWidget()->isVisible());
        QVERIFY(window.viewStack->currentWidget()->isAncestorOf(focus)
                || focus == window.viewStack->currentWidget());
        QTest::keyClick(focus, Qt::Key_Return);
        QTRY_VERIFY(fullScreen ? fullScreenSurface() != nullptr : window.imageViewer->isVisible());
    }

    void startsOnTheNamedPaths_data()
    {
        QTest::addColumn<QString>("names");
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("selected"); // opened when not empty
        QTest::addColumn<QString>("refused"); // named on standard error
        QTest::addColumn<QString>("title");
        const QString photos = QStringLiteral("a.png b.png c.png");
        const QString inPhotos = QStringLiteral("Pictarn - Photos");
        QTest::newRow("folder") << "Photos" << false << photos << ""
                                << "" << inPhotos;
        QTest::newRow("image") << "Photos/b.png" << false << photos << "b.png"
                               << "" << inPhotos;
        QTest::newRow("image, full screen") << "Other/../Photos/c.png" << true << photos << "c.png"
                                            << "" << inPhotos;
        QTest::newRow("images") << "Photos/c.png Other/z.png Photos/a.png" << false
                                << "c.png z.png a.png"
                                << ""
                                << ""
                                << "Pictarn - 2 folders";
        QTest::newRow("missing") << "gone Photos" << false << photos << ""
                                 << "gone" << inPhotos;
        QTest::newRow("no image") << "notes.png.txt" << false << ""
                                  << ""
                                  << "notes.png.txt"
                                  << "Pictarn";
    }

    void startsOnTheNamedPaths()
    {
        QFETCH(QString, names);
        QFETCH(bool, fullScreen);
        QFETCH(QString, selected);
        QFETCH(QString, refused);
        QVERIFY(writeImages(root->filePath("Photos"), files("c.png a.png b.png")));
        QVERIFY(writeImages(root->filePath("Other"), files("z.png")));
        QVERIFY(writeBytes(root->filePath(QStringLiteral("notes.png.txt")), 10));
        if (fullScreen)
            QVERIFY(writeConfig(QStringLiteral("[Settings]\nimageFullScreen=true\n")));
        if (!refused.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(
                                                       root->filePath(refused) + ':')));

        CommandLine commandLine;
        commandLine.process(files("pictarn " + names));
        Pictarn window;
        window.openPaths(commandLine.paths(root->path())); // not the current folder
        QFETCH(QString, listed);
        QCOMPARE(shown(window), files(listed));
        QTEST(window.windowTitle(), "title");
        if (!listed.isEmpty()) {
            const QString first = selected.isEmpty() ? files(listed).at(0) : selected;
            QCOMPARE(static_cast<ImageListItem *>(window.imageListView->currentItem())->name(),
                     first);
            QCOMPARE(window.thumbnailView->selectedBox()->fileName(), first);
        }
        QTRY_COMPARE(window.imageViewer->isVisible(), !selected.isEmpty() && !fullScreen);
        QCOMPARE(fullScreenSurface() != nullptr, !selected.isEmpty() && fullScreen);
        if (!selected.isEmpty() && !fullScreen)
            QTRY_COMPARE(window.currentImage, root->filePath(QStringLiteral("Photos/") + selected));
    }

    // One walk from the bookmarks of the configuration file through both views, the preview
    // cache, a storage notice and the documents folder.
    void mainRoad()
    {
        const QString docs = root->path() + QStringLiteral("/docs");
        QVERIFY(writeImages(docs, files("doc.png")));
        const QString photos = makeFolder("big.bmp small.gif");
        QVERIFY(writeImage(photos + QStringLiteral("/big.bmp"), 300, 200)); // over 1 KB
        const QString card = root->path() + QStringLiteral("/card");
        writeBookmarks({photos, card, makeFolder("z.png")}, "[Settings]\nthumbFileSize=1\n");
        Pictarn window;
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.bookmarkMenu->actions().size(), 5); // documents, separator, bookmarks
        QVERIFY(window.bookmarkMenu->item(1)->isEnabled());
        QVERIFY(!window.bookmarkMenu->item(2)->isEnabled()); // no such folder yet

        // Pressing the shown view's button keeps it.
        QTest::mouseClick(window.listViewButton, Qt::LeftButton);
        QTest::mouseClick(window.listViewButton, Qt::LeftButton);
        QVERIFY(window.listViewButton->isChecked() && !window.thumbViewButton->isChecked());
        QCOMPARE(window.viewStack->currentWidget(), window.imageListView);
        QTest::mouseClick(window.thumbViewButton, Qt::LeftButton);
        QCOMPARE(window.settings->view(), 0);

        answerMenu(-1); // closed without a choice: nothing is listed
        window.showBookmarkMenu();
        QVERIFY(shown(window).isEmpty());
        answerMenu(1);
        QTest::mouseClick(window.bookmarkButton, Qt::LeftButton);
        QCOMPARE(shown(window), files("big.bmp small.gif"));
        QCOMPARE(window.currentFolder, photos);
        QTRY_VERIFY(window.thumbnailView->boxAt(1)->isThumbLoaded());
        QVERIFY(QFile::exists(ThumbnailCache::filePath(photos + QStringLiteral("/big.bmp"))));
        QVERIFY(!QFile::exists(ThumbnailCache::filePath(photos + QStringLiteral("/small.gif"))));
        window.switchListView();

        // The same bookmark again reloads nothing.
        QVERIFY(QFile::remove(photos + QStringLiteral("/small.gif")));
        window.bookmarkSelected(*window.settings->bookmarks().at(0));
        QCOMPARE(shown(window), files("big.bmp small.gif"));

        // A storage notice greys and ungreys entries, also while the menu is open: Return
        // still chooses the highlighted entry then.
        QDir().mkpath(card);
        QCopChannel::send(QStringLiteral("QPE/Card"), "somethingElse()");
        QVERIFY(!window.bookmarkMenu->item(2)->isEnabled());
        QCopChannel::send(QStringLiteral("QPE/Card"), "mtabChanged()");
        QVERIFY(window.bookmarkMenu->item(2)->isEnabled());
        answerMenu(3, [] { QCopChannel::send(QStringLiteral("QPE/Card"), "mtabChanged()"); });
        window.showBookmarkMenu();
        QCOMPARE(window.currentBookmark, window.settings->bookmarks().at(2));
        QCOMPARE(shown(window), files("z.png"));

        // The documents replace the list, and chosen again while shown reload nothing.
        window.documentsSelected();
        QCOMPARE(shown(window), files("doc.png"));
        QVERIFY(!window.currentBookmark);
        ImageBox *box = window.thumbnailView->boxAt(0);
        window.documentsSelected();
        QCOMPARE(window.thumbnailView->boxAt(0), box);
        window.mainMenu->actions().at(1)->trigger(); // "Clear list  "
        QVERIFY(shown(window).isEmpty());
        window.documentsSelected();
        QCOMPARE(shown(window), files("doc.png"));
    }

    void listingKeepsImageFilesOnly()
    {
        QStringList images = files("A.JPG b.jpeg c.Png d.gif e.bmp");
        const QString dir = makeFolder("A.JPG b.jpeg c.Png d.gif e.bmp");
        for (const QString &other : files("f.tif g.WEBP h.tiff g.jpg.doc .h.png jpg")) {
            QVERIFY(writeBytes(dir + QLatin1Char('/') + other, 10));
            // Listed where the toolkit reads them, whatever they hold.
            if (!other.startsWith(QLatin1Char('.'))
                && QImageReader::supportedImageFormats().contains(
                        QFileInfo(other).suffix().toLower().toLatin1()))
                images << other;
        }
        QDir(dir).mkdir(QStringLiteral("folder.png"));
        Pictarn window;
        window.loadFolder(dir);
        window.loadFolder(dir + QLatin1Char('/')); // listed already: adds nothing
        QCOMPARE(shown(window), images);
        QVERIFY(window.imageListView->topLevelItem(0)->isSelected());
        QVERIFY(window.thumbnailView->boxAt(0)->isSelected());
    }

    // The selected b.bmp renamed to newName, or deleted when newName is empty; accept is the
    // dialog's "Accept" or "确定", else Escape or "Cancel".
    void renameAndDeleteKeepOtherFiles_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("plant"); // "cache link", "self link" (l.bmp), "read-only"
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("previewKept");
        QTest::newRow("rename, grid") << 0 << "m.bmp" << true << ""
                                      << "m.bmp z.bmp" << false;
        QTest::newRow("rename, list") << 1 << "y.bmp" << true << ""
                                      << "y.bmp z.bmp" << false;
        QTest::newRow("rename, case only") << 0 << "B.bmp" << true << ""
                                           << "B.bmp z.bmp" << false;
        QTest::newRow("rename, escape") << 0 << "m.bmp" << false << ""
                                        << "b.bmp z.bmp" << true;
        QTest::newRow("rename onto another file") << 0 << "z.bmp" << true << ""
                                                  << "b.bmp z.bmp" << true;
        QTest::newRow("rename onto a link to itself") << 0 << "l.bmp" << true << "self link"
                                                      << "b.bmp l.bmp z.bmp" << true;
        // What the link leads to keeps its file of the old name.
        QTest::newRow("rename, cache folder is a link") << 1 << "m.bmp" << true << "cache link"
                                                        << "m.bmp z.bmp" << true;
        QTest::newRow("delete, cancel") << 0 << "" << false << ""
                                        << "b.bmp z.bmp" << true;
        QTest::newRow("delete, grid") << 0 << "" << true << ""
                                      << "z.bmp" << false;
        QTest::newRow("delete, list, cache folder is a link") << 1 << "" << true << "cache link"
                                                              << "z.bmp" << true;
        // A read-only file system refuses the removal even to root.
        QTest::newRow("delete, read-only folder") << 1 << "" << true << "read-only"
                                                  << "b.bmp z.bmp" << true;
    }

    void renameAndDeleteKeepOtherFiles()
    {
        QFETCH(QString, newName);
        QFETCH(bool, accept);
        QFETCH(QString, plant);
        const QString dir = root->path() + QStringLiteral("/d");
        QDir().mkpath(dir);
        const bool readOnly = plant == QLatin1String("read-only");
        if (readOnly && QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", dir}))
            QSKIP("mounting a tmpfs needs root, and a machine that allows it");
        auto unmount = qScopeGuard([&] {
            if (readOnly)
                QProcess::execute(QStringLiteral("umount"), {dir});
        });
        QVERIFY(writeImages(dir, files("b.bmp z.bmp"), 200));
        const auto elsewhere = plant == QLatin1String("cache link")
                                       ? linkCacheFolder(dir, "b.bmp m.bmp z.bmp")
                                       : QMap<QString, QByteArray>();
        QVERIFY(plant != QLatin1String("self link") || QFile::link("b.bmp", dir + "/l.bmp"));
        QVERIFY(writeConfig(QStringLiteral("[Settings]\nthumbFileSize=1\n")));
        const QByteArray otherBytes = contents(dir).value(QStringLiteral("z.bmp"));
        Pictarn window;
        window.currentFolder = dir;
        window.loadFolder(dir);
        const QString preview = ThumbnailCache::filePath(dir + QStringLiteral("/b.bmp"));
        QTRY_VERIFY(
                window.thumbnailView->boxAt(window.thumbnailView->boxCount() - 1)->isThumbLoaded());
        QVERIFY(QFile::exists(preview));
        QVERIFY(!readOnly || QProcess::execute("mount", {"-o", "remount,ro", dir}) == 0);
        QFETCH(int, view);
        if (view)
            window.switchListView();

        answerModal([&](QWidget *dialog) {
            if (auto *edit = dialog->findChild<QLineEdit *>()) {
                QCOMPARE(edit->text(), QStringLiteral("b.bmp"));
                edit->setText(newName);
            }
            if (!accept)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                QVERIFY(clickButton(dialog, newName.isEmpty() ? ok : QStringLiteral("Accept")));
        });
        newName.isEmpty() ? window.deleteImage() : window.renameImage();
        QFETCH(QString, after);
        QCOMPARE(QDir(dir).entryList(QDir::Files, QDir::Name), files(after));
        QCOMPARE(shown(window), files(after));
        QTEST(QFile::exists(preview), "previewKept");
        QCOMPARE(contents(dir + QStringLiteral("-elsewhere")), elsewhere);
        QCOMPARE(contents(dir).value(QStringLiteral("z.bmp")), otherBytes);
    }

    void openAddsFoldersToOneList()
    {
        // The chooser hides some system folder names, so the folders live in the build tree.
        QTemporaryDir base(QDir::currentPath() + QStringLiteral("/openXXXXXX"));
        const QString x = base.path() + QStringLiteral("/x");
        const QString y = base.path() + QStringLiteral("/y");
        QVERIFY(writeImages(x, files("b.png d.png")) && writeImages(y, files("a.png")));
        Pictarn window;
        QString reached;
        auto choose = [&](const QString &folder) {
            answerModal([&, folder](QWidget *dialog) {
                auto *tree = dialog->findChild<DirectoryView *>();
                QVERIFY(tree);
                tree->setDir(folder);
                reached = tree->currentItem() ? tree->fullPath(tree->currentItem()) : QString();
                QVERIFY(clickButton(dialog, reached == folder ? ok : QStringLiteral("Cancel")));
            });
            window.open();
        };
        choose(x);
        if (reached != x)
            QSKIP("the build tree lies below a folder the chooser hides");
        choose(y);
        QCOMPARE(window.currentFolder, y);
        choose(x); // listed already: adds nothing
        QCOMPARE(shown(window), files("a.png b.png d.png"));
        answerModal([](QWidget *dialog) { dialog->close(); });
        window.open();
        QCOMPARE(window.currentFolder, x);
        QCOMPARE(window.thumbnailView->boxCount(), 3);
    }

    void slideShowStartsAtTheFirstListedImage()
    {
        QVERIFY(writeConfig(QStringLiteral("[Settings]\nslideDelay=60\n")));
        const QString dir = makeFolder("c.png a.png b.png");
        Pictarn window;
        const int before = QApplication::topLevelWidgets().size();
        window.startSlideShow(); // nothing listed: no show
        QCOMPARE(QApplication::topLevelWidgets().size(), before);
        window.loadFolder(dir);
        window.startSlideShow();
        QCOMPARE(window.slideList.at(0).path, dir + QStringLiteral("/a.png"));
        QPointer<SlideShow> show;
        for (QWidget *widget : QApplication::topLevelWidgets())
            show = show ? show.data() : qobject_cast<SlideShow *>(widget);
        QVERIFY(show);
        auto *counter = show->findChild<QLabel *>(QStringLiteral("counter"));
        QTRY_COMPARE(counter->text(), QStringLiteral("1/3"));
        // A second start rebuilds the window's list; the running show keeps its own.
        window.moveall();
        window.startSlideShow();
        QVERIFY(window.slideList.isEmpty());
        QTest::keyClick(show, Qt::Key_Right);
        QTRY_COMPARE(counter->text(), QStringLiteral("2/3"));
    }

    void settingsScreenSavesOrDiscards()
    {
        const QString dir = makeFolder("a.png");
        writeBookmarks({dir});
        auto window_ = std::make_unique<Pictarn>();
        Pictarn &window = *window_;
        window.bookmarkSelected(*window.settings->bookmarks().at(0));
        QVERIFY(window.currentBookmark);
        auto edit = [&](bool save) {
            whenShown([&] { return window.findChild<SettingsDialog *>(); },
                      [save](QWidget *screen) {
                          auto *list = screen->findChild<QTreeWidget *>();
                          screen->findChild<QSlider *>()->setValue(16);
                          list->setCurrentItem(list->topLevelItem(0));
                          screen->findChild<QLineEdit *>(QStringLiteral("nameEdit"))
                                  ->setText("Renamed");
                          auto *keys = screen->findChild<UTIL_CST *>();
                          (save ? keys->getMidBtn() : keys->getRightBtn())
                                  ->click(); // "Save " or "Exit"
                      });
            window.showSettingsDialog();
            QVERIFY(!window.findChild<SettingsDialog *>()); // deleted after use
        };
        edit(false);
        QCOMPARE(window.settings->slideDelay(), 2);
        QCOMPARE(window.bookmarkMenu->item(1)->text(), QStringLiteral("B0"));
        QVERIFY(!QSettings(configFile(), QSettings::IniFormat).contains("Settings/slideDelay"));

        edit(true);
        QVERIFY(!window.currentBookmark);
        QCOMPARE(window.bookmarkMenu->item(1)->text(), QStringLiteral("Renamed"));
        QSettings raw(configFile(), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("Settings/slideDelay")).toInt(), 16);
        QCOMPARE(raw.value(QStringLiteral("Bookmarks/name0")).toString(),
                 QStringLiteral("Renamed"));
        // The remembered bookmark went with the old list: choosing it lists its folder.
        window.moveall();
        window.bookmarkSelected(*window.settings->bookmarks().at(0));
        QCOMPARE(shown(window), files("a.png"));
        // Other changes are written when the window goes.
        window.settings->setSlideDelay(11);
        window_.reset();
        QCOMPARE(QSettings(configFile(), QSettings::IniFormat).value("Settings/slideDelay"), 11);
    }

    void buildDrawsTheSamplePictures()
    {
        const QDir samples(QStringLiteral("samples")); // in the build tree
        QVERIFY(samples.entryList(QDir::Files).size() >= 12);
        for (const QString &name : samples.entryList(QDir::Files))
            QVERIFY2(!QImage(samples.filePath(name)).isNull(), qPrintable(name));
    }
};

PICTARN_TEST(tst_MainRoad)
#include "tst_mainroad.moc"
