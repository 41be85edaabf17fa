#include "common/testmain.h"
#include "common/testutil.h"

#include "app/bookmarkmenu.h"
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

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <unistd.h>

namespace {
// Answers the bookmark menu the next time it opens: the item of that id, or -1 to close it.
void answerMenu(int id)
{
    QTimer::singleShot(0, [id] {
        QTRY_VERIFY(qobject_cast<BookmarkMenu *>(QApplication::activePopupWidget()));
        auto *menu = qobject_cast<BookmarkMenu *>(QApplication::activePopupWidget());
        if (id < 0) {
            QTest::keyClick(menu, Qt::Key_Escape);
            return;
        }
        menu->setActiveAction(menu->item(id));
        QTest::keyClick(menu, Qt::Key_Return);
    });
}

// Answers the next modal dialog with the given function.
void answerDialog(std::function<void(QWidget *)> answer)
{
    QTimer::singleShot(0, [answer] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        answer(QApplication::activeModalWidget());
    });
}

void clickButton(QWidget *dialog, const QString &text)
{
    for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no button ") + text));
}

QStringList listNames(ImageListView *view)
{
    QStringList names;
    for (int i = 0; i < view->topLevelItemCount(); ++i)
        names << static_cast<ImageListItem *>(view->topLevelItem(i))->name();
    return names;
}

ImageWidget *fullScreenSurface()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *surface = qobject_cast<ImageWidget *>(widget); surface && surface->isVisible())
            return surface;
    }
    return nullptr;
}

void closeFullScreenSurfaces()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<ImageWidget *>(widget))
            widget->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

class tst_MainRoad : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firstStartShowsTheEmptyGrid();
    void nonZeroViewStartsInTheList_data();
    void nonZeroViewStartsInTheList();
    void pressingTheShownViewKeepsIt();
    void bookmarkMenuWithoutBookmarksHoldsTheDocumentsOnly();
    void bookmarkMenuDisablesMissingFolders();
    void closingTheBookmarkMenuChoosesNothing();
    void listingKeepsImageFilesOnly();
    void fiveImagesMakeThreeRows();
    void choosingTheSameBookmarkTwiceLoadsOnce();
    void anotherBookmarkReplacesTheList();
    void documentsEntryWorksWheneverItIsNotShown();
    void mainRoadFromTheConfigurationFile();
    void fullScreenSettingSkipsTheViewer();
    void documentModeRunsTheViewerModally();
    void renameThroughTheDialog_data();
    void renameThroughTheDialog();
    void renameNeverReplacesAnotherFile();
    void renameRemovesTheOldPreview();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void deleteKeepsAFileThatCannotBeRemoved();
    void mountNoticeRebuildsTheBookmarkMenu();
    void openAddsFoldersToOneList();
    void openCancelledChangesNothing();
    void slideShowNeedsImages();
    void slideShowStartsAtTheFirstListedImage();
    void settingsScreenSavesAndRebuildsTheMenu();
    void settingsScreenExitDiscardsTheEdits();
    void aboutBoxShowsTheProgram();

private:
    QString makeFolder(const QStringList &names, int size = 16);
    void writeBookmarks(const QList<QPair<QString, QString>> &bookmarks,
                        const QString &extra = QString());

    std::unique_ptr<QTemporaryDir> root;
};

void tst_MainRoad::init()
{
    root = std::make_unique<QTemporaryDir>();
    QFile::remove(TestUtil::configFile());
    qputenv("PICTARN_DOCUMENTS", QFile::encodeName(root->path() + QStringLiteral("/docs")));
}

void tst_MainRoad::cleanup()
{
    closeFullScreenSurfaces();
    root.reset();
}

QString tst_MainRoad::makeFolder(const QStringList &names, int size)
{
    static int count = 0;
    const QString dir = root->path() + QStringLiteral("/folder%1").arg(++count);
    QDir().mkpath(dir);
    for (const QString &name : names) {
        const QString suffix = QFileInfo(name).suffix().toLower();
        // Qt writes no GIF: such files get PNG data, which the readers take all the same.
        const char *format = suffix == QLatin1String("jpeg") || suffix == QLatin1String("jpg")
                                     ? "jpg"
                             : suffix == QLatin1String("bmp") ? "bmp"
                                                              : "png";
        QTest::qVerify(TestUtil::writeImage(dir + QLatin1Char('/') + name, size + 4, size, format),
                       "writeImage", qPrintable(name), __FILE__, __LINE__);
    }
    return dir;
}

void tst_MainRoad::writeBookmarks(const QList<QPair<QString, QString>> &bookmarks,
                                  const QString &extra)
{
    QString text = QStringLiteral("[Bookmarks]\nnumBookmarks=%1\n").arg(bookmarks.size());
    for (int i = 0; i < bookmarks.size(); ++i)
        text += QStringLiteral("name%1=%2\ndir%1=%3\n")
                        .arg(i)
                        .arg(bookmarks[i].first, bookmarks[i].second);
    QVERIFY(TestUtil::writeConfig(text + extra));
}

void tst_MainRoad::firstStartShowsTheEmptyGrid()
{
    Pictarn window;
    QCOMPARE(window.viewStack->currentWidget(), window.thumbnailView);
    QVERIFY(window.thumbViewButton->isChecked());
    QVERIFY(!window.listViewButton->isChecked());
    QCOMPARE(window.thumbnailView->boxCount(), 0);
    QCOMPARE(window.imageListView->topLevelItemCount(), 0);
    QVERIFY(window.currentFolder.isNull());
    QCOMPARE(window.viewStack->indexOf(window.thumbnailView), 0);
    QCOMPARE(window.viewStack->indexOf(window.imageListView), 1);
}

void tst_MainRoad::nonZeroViewStartsInTheList_data()
{
    QTest::addColumn<int>("view");
    QTest::newRow("1") << 1;
    QTest::newRow("7") << 7;
    QTest::newRow("-1") << -1;
}

void tst_MainRoad::nonZeroViewStartsInTheList()
{
    QFETCH(int, view);
    QVERIFY(TestUtil::writeConfig(QStringLiteral("[Settings]\nview=%1\n").arg(view)));
    Pictarn window;
    QCOMPARE(window.viewStack->currentWidget(), window.imageListView);
    QVERIFY(window.listViewButton->isChecked());
    QVERIFY(!window.thumbViewButton->isChecked());
    QCOMPARE(window.settings->view(), 1);
}

void tst_MainRoad::pressingTheShownViewKeepsIt()
{
    Pictarn window;
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.thumbViewButton, Qt::LeftButton);
    QCOMPARE(window.viewStack->currentWidget(), window.thumbnailView);
    QVERIFY(window.thumbViewButton->isChecked());

    QTest::mouseClick(window.listViewButton, Qt::LeftButton);
    QCOMPARE(window.viewStack->currentWidget(), window.imageListView);
    QVERIFY(!window.thumbViewButton->isChecked());
    QCOMPARE(window.settings->view(), 1);
    QTest::mouseClick(window.listViewButton, Qt::LeftButton);
    QVERIFY(window.listViewButton->isChecked());
    QCOMPARE(window.viewStack->currentWidget(), window.imageListView);
}

void tst_MainRoad::bookmarkMenuWithoutBookmarksHoldsTheDocumentsOnly()
{
    Pictarn window;
    const QList<QAction *> items = window.bookmarkMenu->actions();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.at(0)->text(), QString::fromUtf8("我的图像"));
    QCOMPARE(items.at(0)->data().toInt(), 0);
    QVERIFY(!items.at(0)->icon().isNull());
    QCOMPARE(window.bookmarkMenu->parent(), window.bookmarkButton);
}

void tst_MainRoad::bookmarkMenuDisablesMissingFolders()
{
    const QString first = makeFolder({QStringLiteral("a.png")});
    const QString third = makeFolder({QStringLiteral("c.png"), QStringLiteral("d.png")});
    writeBookmarks({{QStringLiteral("One"), first},
                    {QStringLiteral("Two"), root->path() + QStringLiteral("/missing")},
                    {QStringLiteral("Three"), third}});
    Pictarn window;
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QList<QAction *> items = window.bookmarkMenu->actions();
    QCOMPARE(items.size(), 5);
    QVERIFY(items.at(1)->isSeparator());
    QStringList texts;
    for (int k = 1; k <= 3; ++k)
        texts << window.bookmarkMenu->item(k)->text();
    QCOMPARE(texts,
             QStringList({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")}));
    QVERIFY(window.bookmarkMenu->item(1)->isEnabled());
    QVERIFY(!window.bookmarkMenu->item(2)->isEnabled());
    QVERIFY(window.bookmarkMenu->item(3)->isEnabled());

    QList<Bookmark *> chosen;
    connect(window.bookmarkMenu, &BookmarkMenu::bookmarkSelected, this,
            [&](Bookmark &bookmark) { chosen.append(&bookmark); });
    answerMenu(3);
    QTest::mouseClick(window.bookmarkButton, Qt::LeftButton);
    QCOMPARE(chosen, QList<Bookmark *>({window.settings->bookmarks().at(2)}));
    QCOMPARE(window.currentBookmark, window.settings->bookmarks().at(2));
    QCOMPARE(window.currentFolder, third);
    QCOMPARE(listNames(window.imageListView),
             QStringList({QStringLiteral("c.png"), QStringLiteral("d.png")}));
}

void tst_MainRoad::closingTheBookmarkMenuChoosesNothing()
{
    writeBookmarks({{QStringLiteral("One"), makeFolder({QStringLiteral("a.png")})}});
    Pictarn window;
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    int chosen = 0;
    connect(window.bookmarkMenu, &BookmarkMenu::bookmarkSelected, this, [&] { ++chosen; });
    QSignalSpy documents(window.bookmarkMenu, &BookmarkMenu::documentsSelected);
    answerMenu(-1);
    window.showBookmarkMenu();
    QCOMPARE(chosen, 0);
    QCOMPARE(documents.count(), 0);
    QCOMPARE(window.imageListView->topLevelItemCount(), 0);
}

void tst_MainRoad::listingKeepsImageFilesOnly()
{
    const QString dir = makeFolder({QStringLiteral("A.JPG"), QStringLiteral("b.jpeg"),
                                    QStringLiteral("c.Png"), QStringLiteral("d.gif"),
                                    QStringLiteral("e.bmp")});
    for (const char *other : {"f.tif", "g.jpg.doc", ".h.png", "jpg"})
        QVERIFY(TestUtil::writeBytes(dir + QLatin1Char('/') + QLatin1String(other), 10));
    QDir(dir).mkdir(QStringLiteral("folder.png"));

    Pictarn window;
    window.loadFolder(dir);
    QCOMPARE(
            listNames(window.imageListView),
            QStringList({QStringLiteral("A.JPG"), QStringLiteral("b.jpeg"), QStringLiteral("c.Png"),
                         QStringLiteral("d.gif"), QStringLiteral("e.bmp")}));
    const auto *first = static_cast<ImageListItem *>(window.imageListView->topLevelItem(0));
    QCOMPARE(first->path(), dir + QStringLiteral("/A.JPG"));
    QVERIFY(first->isSelected());
    QCOMPARE(window.thumbnailView->boxCount(), 5);

    // The folder path is used as given.
    Pictarn other;
    other.loadFolder(dir + QLatin1Char('/'));
    QCOMPARE(static_cast<ImageListItem *>(other.imageListView->topLevelItem(0))->path(),
             dir + QStringLiteral("//A.JPG"));
}

void tst_MainRoad::fiveImagesMakeThreeRows()
{
    const QString dir
            = makeFolder({QStringLiteral("1.png"), QStringLiteral("2.png"), QStringLiteral("3.png"),
                          QStringLiteral("4.png"), QStringLiteral("5.png")});
    Pictarn window;
    window.loadFolder(dir);
    auto *grid = window.thumbnailView->widget()->findChild<QGridLayout *>();
    QVERIFY(grid);
    const QList<QPair<int, int>> cells = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}};
    for (int n = 0; n < 5; ++n) {
        int row, column, rowSpan, columnSpan;
        grid->getItemPosition(grid->indexOf(window.thumbnailView->boxAt(n)), &row, &column,
                              &rowSpan, &columnSpan);
        QCOMPARE(qMakePair(row, column), cells.at(n));
        QCOMPARE(window.thumbnailView->boxAt(n)->fileName(), QStringLiteral("%1.png").arg(n + 1));
    }
    QVERIFY(window.thumbnailView->boxAt(0)->isSelected());
}

void tst_MainRoad::choosingTheSameBookmarkTwiceLoadsOnce()
{
    const QString dir = makeFolder({QStringLiteral("a.png"), QStringLiteral("b.png")});
    writeBookmarks({{QStringLiteral("One"), dir}});
    Pictarn window;
    Bookmark &one = *window.settings->bookmarks().at(0);
    window.bookmarkSelected(one);
    QCOMPARE(window.imageListView->topLevelItemCount(), 2);
    ImageBox *box = window.thumbnailView->boxAt(0);
    QFile::remove(dir + QStringLiteral("/b.png"));
    window.bookmarkSelected(one);
    QCOMPARE(window.imageListView->topLevelItemCount(), 2);
    QCOMPARE(window.thumbnailView->boxAt(0), box);
}

void tst_MainRoad::anotherBookmarkReplacesTheList()
{
    writeBookmarks({{QStringLiteral("One"),
                     makeFolder({QStringLiteral("a.png"), QStringLiteral("b.png")})},
                    {QStringLiteral("Two"), makeFolder({QStringLiteral("z.png")})}});
    Pictarn window;
    window.bookmarkSelected(*window.settings->bookmarks().at(0));
    window.bookmarkSelected(*window.settings->bookmarks().at(1));
    QCOMPARE(listNames(window.imageListView), QStringList({QStringLiteral("z.png")}));
    QCOMPARE(window.thumbnailView->boxCount(), 1);
}

void tst_MainRoad::documentsEntryWorksWheneverItIsNotShown()
{
    const QString docs = root->path() + QStringLiteral("/docs");
    QDir().mkpath(docs);
    TestUtil::writeImage(docs + QStringLiteral("/doc.png"), 20, 16);
    writeBookmarks({{QStringLiteral("One"), makeFolder({QStringLiteral("a.png")})}});
    Pictarn window;

    // Right after start, with nothing listed.
    window.documentsSelected();
    QCOMPARE(listNames(window.imageListView), QStringList({QStringLiteral("doc.png")}));
    QCOMPARE(window.currentFolder, docs);
    QVERIFY(!window.currentBookmark);

    // Chosen again while shown: nothing is reloaded.
    ImageBox *box = window.thumbnailView->boxAt(0);
    window.documentsSelected();
    QCOMPARE(window.thumbnailView->boxAt(0), box);

    // After a bookmark.
    window.bookmarkSelected(*window.settings->bookmarks().at(0));
    QCOMPARE(listNames(window.imageListView), QStringList({QStringLiteral("a.png")}));
    window.documentsSelected();
    QCOMPARE(listNames(window.imageListView), QStringList({QStringLiteral("doc.png")}));

    // After "Clear list  ".
    window.moveall();
    QCOMPARE(window.imageListView->topLevelItemCount(), 0);
    window.documentsSelected();
    QCOMPARE(listNames(window.imageListView), QStringList({QStringLiteral("doc.png")}));
}

void tst_MainRoad::mainRoadFromTheConfigurationFile()
{
    const QString dir = root->path() + QStringLiteral("/photos");
    QDir().mkpath(dir);
    QVERIFY(TestUtil::writeImage(dir + QStringLiteral("/big.bmp"), 300, 200)); // ~180 KB
    QVERIFY(TestUtil::writeImage(dir + QStringLiteral("/small.gif"), 12, 10, "png")); // < 1 KB
    writeBookmarks({{QStringLiteral("Photos"), dir}},
                   QStringLiteral("[Settings]\nthumbFileSize=1\n"));

    Pictarn window;
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    answerMenu(1);
    QTest::mouseClick(window.bookmarkButton, Qt::LeftButton);
    QCOMPARE(listNames(window.imageListView),
             QStringList({QStringLiteral("big.bmp"), QStringLiteral("small.gif")}));
    QCOMPARE(window.thumbnailView->boxCount(), 2);

    auto *big = static_cast<ImageListItem *>(window.imageListView->topLevelItem(0));
    auto *small = static_cast<ImageListItem *>(window.imageListView->topLevelItem(1));
    QCOMPARE(big->text(1), QStringLiteral("0x0"));
    QTRY_COMPARE(big->text(1), QStringLiteral("300x200"));
    QTRY_COMPARE(small->text(1), QStringLiteral("12x10"));
    QTRY_VERIFY(window.thumbnailView->boxAt(1)->isThumbLoaded());
    QVERIFY(QFile::exists(ThumbnailCache::filePath(dir + QStringLiteral("/big.bmp"))));
    QVERIFY(!QFile::exists(ThumbnailCache::filePath(dir + QStringLiteral("/small.gif"))));

    // A tap on a thumbnail opens the viewer.
    QTest::mouseClick(window.thumbnailView->boxAt(1), Qt::LeftButton);
    QTRY_VERIFY(window.imageViewer->isVisible());
    QCOMPARE(window.currentImage, dir + QStringLiteral("/small.gif"));
    window.imageViewer->reject();
    QTRY_VERIFY(!window.imageViewer->isVisible());

    // The list view's rows open it too.
    window.switchListView();
    emit window.imageListView->clicked(big);
    QTRY_VERIFY(window.imageViewer->isVisible());
    QCOMPARE(window.currentImage, dir + QStringLiteral("/big.bmp"));
    window.imageViewer->reject();
}

void tst_MainRoad::fullScreenSettingSkipsTheViewer()
{
    const QString dir = makeFolder({QStringLiteral("a.png")});
    QVERIFY(TestUtil::writeConfig(QStringLiteral("[Settings]\nimageFullScreen=true\n")));
    Pictarn window;
    window.loadFolder(dir);
    window.thumbClicked();
    QTRY_VERIFY(fullScreenSurface());
    QVERIFY(!window.imageViewer->isVisible());
    closeFullScreenSurfaces();

    // The tool bar's action goes full screen whatever the setting says.
    window.setFullScreen();
    QVERIFY(!window.settings->imageFullScreen());
    window.showImageFullScreen();
    QTRY_VERIFY(fullScreenSurface());
    QVERIFY(!window.imageViewer->isVisible());
}

void tst_MainRoad::documentModeRunsTheViewerModally()
{
    const QString dir = makeFolder({QStringLiteral("a.png")});
    Pictarn window;
    window.setDocument(QStringLiteral("/ignored.png"));
    window.loadFolder(dir);
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(window.imageViewer->isVisible());
        wasModal = QApplication::activeModalWidget() == window.imageViewer;
        window.imageViewer->reject();
    });
    window.thumbClicked(); // returns when the modal viewer has been closed
    QVERIFY(wasModal);
    QCOMPARE(window.currentImage, dir + QStringLiteral("/a.png"));
}

void tst_MainRoad::renameThroughTheDialog_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("new name, grid")
            << 0 << QStringLiteral("m.png") << true
            << QStringList({QStringLiteral("m.png"), QStringLiteral("z.png")});
    QTest::newRow("new name, list")
            << 1 << QStringLiteral("y.png") << true
            << QStringList({QStringLiteral("y.png"), QStringLiteral("z.png")});
    QTest::newRow("case only") << 0 << QStringLiteral("B.png") << true
                               << QStringList({QStringLiteral("B.png"), QStringLiteral("z.png")});
    QTest::newRow("escape") << 0 << QStringLiteral("m.png") << false
                            << QStringList({QStringLiteral("b.png"), QStringLiteral("z.png")});
}

void tst_MainRoad::renameThroughTheDialog()
{
    QFETCH(int, view);
    QFETCH(QString, newName);
    QFETCH(bool, accept);
    QFETCH(QStringList, after);
    const QString dir = makeFolder({QStringLiteral("b.png"), QStringLiteral("z.png")});
    Pictarn window;
    if (view)
        window.switchListView();
    window.currentFolder = dir;
    window.loadFolder(dir);

    answerDialog([&](QWidget *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>();
        QVERIFY(edit);
        QCOMPARE(edit->text(), QStringLiteral("b.png"));
        edit->setText(newName);
        if (accept)
            clickButton(dialog, QStringLiteral("Accept"));
        else
            QTest::keyClick(dialog, Qt::Key_Escape);
    });
    window.renameImage();
    QCOMPARE(QDir(dir).entryList(QDir::Files, QDir::Name), after);
    QCOMPARE(listNames(window.imageListView), after);
    QCOMPARE(window.thumbnailView->boxCount(), 2);
}

void tst_MainRoad::renameNeverReplacesAnotherFile()
{
    const QString dir = makeFolder({QStringLiteral("b.png"), QStringLiteral("z.png")});
    QFile original(dir + QStringLiteral("/z.png"));
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray zBytes = original.readAll();
    original.close();

    Pictarn window;
    window.currentFolder = dir;
    window.loadFolder(dir);
    answerDialog([](QWidget *dialog) {
        dialog->findChild<QLineEdit *>()->setText(QStringLiteral("z.png"));
        clickButton(dialog, QStringLiteral("Accept"));
    });
    window.renameImage();
    QCOMPARE(QDir(dir).entryList(QDir::Files, QDir::Name),
             QStringList({QStringLiteral("b.png"), QStringLiteral("z.png")}));
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), zBytes);
    QCOMPARE(listNames(window.imageListView),
             QStringList({QStringLiteral("b.png"), QStringLiteral("z.png")}));
}

void tst_MainRoad::renameRemovesTheOldPreview()
{
    const QString dir = makeFolder({QStringLiteral("b.bmp")}, 200);
    QVERIFY(TestUtil::writeConfig(QStringLiteral("[Settings]\nthumbFileSize=1\n")));
    Pictarn window;
    window.currentFolder = dir;
    window.loadFolder(dir);
    const QString oldCache = ThumbnailCache::filePath(dir + QStringLiteral("/b.bmp"));
    QTRY_VERIFY(QFile::exists(oldCache));
    answerDialog([](QWidget *dialog) {
        dialog->findChild<QLineEdit *>()->setText(QStringLiteral("c.bmp"));
        clickButton(dialog, QStringLiteral("Accept"));
    });
    window.renameImage();
    QVERIFY(QFile::exists(dir + QStringLiteral("/c.bmp")));
    QVERIFY(!QFile::exists(oldCache));
}

void tst_MainRoad::deleteAsksFirst_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("removed");
    QTest::newRow("grid, cancel") << 0 << QStringLiteral("Cancel") << false;
    QTest::newRow("grid, ok") << 0 << QString::fromUtf8("确定") << true;
    QTest::newRow("list, cancel") << 1 << QStringLiteral("Cancel") << false;
    QTest::newRow("list, ok") << 1 << QString::fromUtf8("确定") << true;
}

void tst_MainRoad::deleteAsksFirst()
{
    QFETCH(int, view);
    QFETCH(QString, answer);
    QFETCH(bool, removed);
    const QString dir = makeFolder(
            {QStringLiteral("a.bmp"), QStringLiteral("b.png"), QStringLiteral("c.png")}, 200);
    QVERIFY(TestUtil::writeConfig(QStringLiteral("[Settings]\nthumbFileSize=1\n")));
    Pictarn window;
    window.loadFolder(dir);
    const QString target = dir + QStringLiteral("/a.bmp");
    QTRY_VERIFY(QFile::exists(ThumbnailCache::filePath(target)));
    if (view)
        window.switchListView();

    QString question;
    answerDialog([&](QWidget *dialog) {
        question = dialog->findChild<QMessageBox *>() ? QString()
                                                      : static_cast<QMessageBox *>(dialog)->text();
        clickButton(dialog, answer);
    });
    window.deleteImage();
    QCOMPARE(question, QStringLiteral("Delete         \na.bmp ?"));
    QCOMPARE(QFile::exists(target), !removed);
    QCOMPARE(QFile::exists(ThumbnailCache::filePath(target)), !removed);
    const QStringList remaining
            = removed ? QStringList({QStringLiteral("b.png"), QStringLiteral("c.png")})
                      : QStringList({QStringLiteral("a.bmp"), QStringLiteral("b.png"),
                                     QStringLiteral("c.png")});
    QCOMPARE(listNames(window.imageListView), remaining);
    QCOMPARE(window.thumbnailView->boxCount(), remaining.size());
    QVERIFY(!window.thumbnailView->findBox(target) == removed);
}

void tst_MainRoad::deleteKeepsAFileThatCannotBeRemoved()
{
    // A read-only file system refuses the removal even to root.
    const QString dir = root->path() + QStringLiteral("/readonly");
    QDir().mkpath(dir);
    if (geteuid() != 0)
        QSKIP("mounting a read-only file system needs root");
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=1m"), QStringLiteral("tmpfs"), dir})
        != 0)
        QSKIP("this machine does not allow mounting a tmpfs");
    auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {dir}); });
    QVERIFY(TestUtil::writeImage(dir + QStringLiteral("/a.png"), 20, 16));
    QCOMPARE(QProcess::execute(QStringLiteral("mount"),
                               {QStringLiteral("-o"), QStringLiteral("remount,ro"), dir}),
             0);

    Pictarn window;
    window.loadFolder(dir);
    answerDialog([](QWidget *dialog) { clickButton(dialog, QString::fromUtf8("确定")); });
    window.deleteImage();
    QVERIFY(QFile::exists(dir + QStringLiteral("/a.png")));
    QCOMPARE(listNames(window.imageListView), QStringList({QStringLiteral("a.png")}));
    QCOMPARE(window.thumbnailView->boxCount(), 1);
}

void tst_MainRoad::mountNoticeRebuildsTheBookmarkMenu()
{
    const QString card = root->path() + QStringLiteral("/card");
    writeBookmarks({{QStringLiteral("Card"), card}});
    Pictarn window;
    QVERIFY(!window.bookmarkMenu->item(1)->isEnabled());
    QDir().mkpath(card);

    QCopChannel::send(QStringLiteral("QPE/Card"), "somethingElse()");
    QVERIFY(!window.bookmarkMenu->item(1)->isEnabled());
    QCopChannel::send(QStringLiteral("QPE/Card"), "mtabChanged()");
    QVERIFY(window.bookmarkMenu->item(1)->isEnabled());
}

void tst_MainRoad::openAddsFoldersToOneList()
{
    // The chooser hides some system folder names, so the folders live in the build tree.
    QTemporaryDir base(QDir::currentPath() + QStringLiteral("/openXXXXXX"));
    const QString x = base.path() + QStringLiteral("/x");
    const QString y = base.path() + QStringLiteral("/y");
    QDir().mkpath(x);
    QDir().mkpath(y);
    QVERIFY(TestUtil::writeImage(x + QStringLiteral("/b.png"), 20, 16));
    QVERIFY(TestUtil::writeImage(x + QStringLiteral("/d.png"), 20, 16));
    QVERIFY(TestUtil::writeImage(y + QStringLiteral("/a.png"), 20, 16));
    QVERIFY(TestUtil::writeImage(y + QStringLiteral("/c.png"), 20, 16));

    Pictarn window;
    QString reached;
    auto choose = [&](const QString &folder) {
        answerDialog([&, folder](QWidget *dialog) {
            auto *tree = dialog->findChild<DirectoryView *>();
            QVERIFY(tree);
            tree->setDir(folder);
            reached = tree->currentItem() ? tree->fullPath(tree->currentItem()) : QString();
            if (reached == folder)
                clickButton(dialog, QString::fromUtf8("确定"));
            else
                clickButton(dialog, QStringLiteral("Cancel"));
        });
        window.open();
    };
    choose(x);
    if (reached != x)
        QSKIP("the build tree lies below a folder the chooser hides");
    QCOMPARE(window.currentFolder, x);
    choose(y);
    QCOMPARE(window.currentFolder, y);
    QCOMPARE(listNames(window.imageListView),
             QStringList({QStringLiteral("a.png"), QStringLiteral("b.png"), QStringLiteral("c.png"),
                          QStringLiteral("d.png")}));
    QCOMPARE(window.thumbnailView->boxCount(), 4);
    QCOMPARE(window.thumbnailView->boxAt(3)->imagePath(), x + QStringLiteral("/d.png"));

    window.mainMenu->actions().at(1)->trigger(); // "Clear list  "
    QCOMPARE(window.imageListView->topLevelItemCount(), 0);
    QCOMPARE(window.thumbnailView->boxCount(), 0);
    QCOMPARE(window.currentFolder, y);
}

void tst_MainRoad::openCancelledChangesNothing()
{
    const QString dir = makeFolder({QStringLiteral("a.png")});
    Pictarn window;
    window.currentFolder = dir;
    window.loadFolder(dir);
    answerDialog([](QWidget *dialog) { clickButton(dialog, QStringLiteral("Cancel")); });
    window.open();
    QCOMPARE(window.currentFolder, dir);
    QCOMPARE(listNames(window.imageListView), QStringList({QStringLiteral("a.png")}));
}

void tst_MainRoad::slideShowNeedsImages()
{
    Pictarn window;
    const int before = QApplication::topLevelWidgets().size();
    window.startSlideShow();
    QCOMPARE(QApplication::topLevelWidgets().size(), before);
    QVERIFY(!fullScreenSurface());
}

void tst_MainRoad::slideShowStartsAtTheFirstListedImage()
{
    QVERIFY(TestUtil::writeConfig(QStringLiteral("[Settings]\nslideDelay=60\n")));
    const QString dir = makeFolder(
            {QStringLiteral("c.png"), QStringLiteral("a.png"), QStringLiteral("b.png")});
    Pictarn window;
    window.loadFolder(dir);
    window.startSlideShow();
    QCOMPARE(window.slideList.size(), 3);
    QCOMPARE(window.slideList.at(0).path, dir + QStringLiteral("/a.png"));
    QCOMPARE(window.slideList.at(2).name, QStringLiteral("c.png"));
    SlideShow *show = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *candidate = qobject_cast<SlideShow *>(widget))
            show = candidate;
    }
    QVERIFY(show);
    QPointer<SlideShow> guard(show);
    auto *counter = show->findChild<QLabel *>(QStringLiteral("counter"));
    QVERIFY(counter);
    QTRY_COMPARE(counter->text(), QStringLiteral("1/3"));

    // A second start rebuilds the window's list; the running show keeps its own.
    window.moveall();
    window.startSlideShow();
    QVERIFY(window.slideList.isEmpty());
    QTest::keyClick(show, Qt::Key_Right);
    QTRY_COMPARE(counter->text(), QStringLiteral("2/3"));
    show->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard.isNull());
}

void tst_MainRoad::settingsScreenSavesAndRebuildsTheMenu()
{
    const QString dir = makeFolder({QStringLiteral("a.png")});
    writeBookmarks({{QStringLiteral("Old"), dir}});
    Pictarn window;
    window.bookmarkSelected(*window.settings->bookmarks().at(0));
    QVERIFY(window.currentBookmark);

    QTimer::singleShot(0, [&] {
        QWidget *screen = nullptr;
        QTRY_VERIFY((screen = window.findChild<SettingsDialog *>()) && screen->isVisible());
        auto *name = screen->findChild<QLineEdit *>(QStringLiteral("nameEdit"));
        auto *slider = screen->findChild<QSlider *>(QStringLiteral("delaySlider"));
        auto *list = screen->findChild<QTreeWidget *>(QStringLiteral("bmListView"));
        QVERIFY(name && slider && list);
        slider->setValue(16);
        list->setCurrentItem(list->topLevelItem(0));
        name->setText(QStringLiteral("Renamed"));
        auto *cst = screen->findChild<UTIL_CST *>();
        QVERIFY(cst);
        cst->getMidBtn()->click(); // "Save "
    });
    window.showSettingsDialog();

    QVERIFY(!window.findChild<SettingsDialog *>()); // deleted after use
    QVERIFY(!window.currentBookmark);
    QCOMPARE(window.bookmarkMenu->item(1)->text(), QStringLiteral("Renamed"));
    QSettings raw(TestUtil::configFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Settings/slideDelay")).toInt(), 16);
    QCOMPARE(raw.value(QStringLiteral("Bookmarks/name0")).toString(), QStringLiteral("Renamed"));

    // The remembered bookmark was dropped with the old list: choosing it lists its folder.
    window.moveall();
    window.bookmarkSelected(*window.settings->bookmarks().at(0));
    QCOMPARE(listNames(window.imageListView), QStringList({QStringLiteral("a.png")}));
}

void tst_MainRoad::settingsScreenExitDiscardsTheEdits()
{
    writeBookmarks({{QStringLiteral("Old"), makeFolder({QStringLiteral("a.png")})}});
    Pictarn window;
    QTimer::singleShot(0, [&] {
        QWidget *screen = nullptr;
        QTRY_VERIFY((screen = window.findChild<SettingsDialog *>()) && screen->isVisible());
        screen->findChild<QSlider *>(QStringLiteral("delaySlider"))->setValue(30);
        screen->findChild<UTIL_CST *>()->getRightBtn()->click(); // "Exit"
    });
    window.showSettingsDialog();
    QCOMPARE(window.settings->slideDelay(), 2);
    QCOMPARE(window.bookmarkMenu->item(1)->text(), QStringLiteral("Old"));
    QVERIFY(!QFile::exists(TestUtil::configFile())
            || !QSettings(TestUtil::configFile(), QSettings::IniFormat)
                        .contains(QStringLiteral("Settings/slideDelay")));
}

void tst_MainRoad::aboutBoxShowsTheProgram()
{
    Pictarn window;
    QString text;
    bool hasPicture = false;
    QStringList buttons;
    answerDialog([&](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        QVERIFY(box);
        text = box->text();
        hasPicture = !box->iconPixmap().isNull();
        for (QAbstractButton *button : box->buttons())
            buttons << button->text();
        clickButton(dialog, QStringLiteral("  Ok  "));
    });
    window.About();
    QVERIFY(text.startsWith(
            QStringLiteral("<qt><p><b>EZX PICTARN 0.2</b></p>Translate pictarn-0.2</qt>")));
    QVERIFY(text.size() > 70); // credit lines follow
    QVERIFY(hasPicture);
    QCOMPARE(buttons, QStringList({QStringLiteral("  Ok  ")}));
}

PICTARN_TEST(tst_MainRoad)
#include "tst_mainroad.moc"
