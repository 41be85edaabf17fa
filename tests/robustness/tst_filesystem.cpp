#include "common/testmain.h"
#include "common/testutil.h"
#include "tst_robustness.h"

#include "app/pictarn.h"
#include "app/settings.h"
#include "browse/directoryview.h"
#include "browse/foldertreeitem.h"
#include "slideshow/slideshow.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailcache.h"
#include "thumbs/thumbnailview.h"
#include "viewer/prefetcher.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <linux/capability.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

using R = tst_Robustness;

namespace {
// Root reads whatever the permissions say; while this lives, this thread (the only one the
// program uses) goes by the permissions like any other user.
class PermissionsApply
{
public:
    PermissionsApply()
    {
        if (::syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved[0], saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped = ::syscall(SYS_capset, &header, lowered) == 0;
        // Capabilities are a thread's own: the workers are started again from this thread.
        Prefetcher::pool()->waitForDone();
    }
    ~PermissionsApply()
    {
        if (dropped)
            ::syscall(SYS_capset, &header, saved);
        Prefetcher::pool()->waitForDone();
    }

private:
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2]{};
    bool dropped = false;
};
} // namespace

class tst_FileSystem : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> root;

    QString makeFolder(const QString &name, const QList<QSize> &sizes)
    {
        const QString dir = root->path() + QLatin1Char('/') + name;
        QDir().mkpath(dir);
        for (int i = 0; i < sizes.size(); ++i) {
            const QString path = dir + QLatin1Char('/') + QChar(QLatin1Char('a').unicode() + i)
                                 + QStringLiteral(".png");
            if (!Crafted::write(
                        QFile::encodeName(path),
                        Crafted::png(Crafted::gradient(sizes[i].width(), sizes[i].height()))))
                return QString();
        }
        return dir;
    }

private slots:
    void init() { QVERIFY(R::beginCase(root)); }
    void cleanup() { R::endCase(root); }

    // Images named a.png, b.png, ... of those sizes.

    void folderRemovedBeforeThePass()
    {
        const QString dir = makeFolder(QStringLiteral("going"), {{30, 20}, {40, 30}, {50, 40}});
        QVERIFY(!dir.isEmpty());
        Pictarn window;
        R::loadFolder(window, dir);
        QCOMPARE(R::listedNames(window).size(), 3);
        QVERIFY(QDir(dir).removeRecursively());

        R::settle();
        ThumbnailView *grid = R::thumbnailView(window);
        QCOMPARE(grid->boxCount(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY(!grid->boxAt(i)->isThumbLoaded());
        QCOMPARE(R::listedSizes(window), QStringList({"0x0", "0x0", "0x0"}));
        QVERIFY(!QFileInfo::exists(dir)); // nothing made it again, no cache folder either

        R::useViewer(window, dir + QStringLiteral("/b.png"), QSize(0, 0));
        if (QTest::currentTestFailed())
            return;
        R::runSlideShow(window, {false, false, false});
        QVERIFY(!QFileInfo::exists(dir));
    }

    void imageRemovedDuringThePass()
    {
        const QString dir
                = makeFolder(QStringLiteral("pass"), {{30, 20}, {40, 30}, {50, 40}, {60, 50}});
        QVERIFY(!dir.isEmpty());
        Pictarn window;
        R::loadFolder(window, dir);
        // Queued behind the pass: it runs while the pass lets events through.
        bool removed = false;
        QMetaObject::invokeMethod(
                qApp, [&] { removed = QFile::remove(dir + QStringLiteral("/c.png")); },
                Qt::QueuedConnection);
        R::settle();
        QVERIFY(removed);
        QCOMPARE(R::listedSizes(window), QStringList({"30x20", "40x30", "0x0", "60x50"}));
        ThumbnailView *grid = R::thumbnailView(window);
        QVERIFY(grid->boxAt(0)->isThumbLoaded());
        QVERIFY(!grid->boxAt(2)->isThumbLoaded());
        QVERIFY(grid->boxAt(3)->isThumbLoaded());
        QVERIFY(!QFileInfo::exists(ThumbnailCache::filePath(dir + QStringLiteral("/c.png"))));
        QVERIFY(Crafted::damagedCacheFiles(dir + QStringLiteral("/.ptthumbs")).isEmpty());

        // Gone after its preview was made: the viewer finds nothing to show.
        QVERIFY(QFile::remove(dir + QStringLiteral("/b.png")));
        R::useViewer(window, dir + QStringLiteral("/b.png"), QSize(0, 0));
        if (QTest::currentTestFailed())
            return;
        R::useViewer(window, dir + QStringLiteral("/d.png"), QSize(60, 50));
    }

    void imageRemovedDuringTheSlideShow()
    {
        const QString dir = makeFolder(QStringLiteral("show"), {{30, 20}, {40, 30}, {50, 40}});
        QVERIFY(!dir.isEmpty());
        Pictarn window;
        R::loadFolder(window, dir);
        R::settle();
        R::startSlideShow(window);
        SlideShow *show = R::slideShow();
        QVERIFY(show);
        const QPointer<SlideShow> guard(show);
        auto *counter = show->findChild<QLabel *>(QStringLiteral("counter"));
        QTRY_COMPARE(counter->text(), QStringLiteral("1/3"));
        QCOMPARE(Crafted::pictureRect(show->grab().toImage()).size(), QSize(30, 20));

        QVERIFY(QFile::remove(dir + QStringLiteral("/b.png")));
        QTest::keyClick(show, Qt::Key_Right);
        QTRY_COMPARE(counter->text(), QStringLiteral("2/3"));
        QVERIFY(Crafted::pictureRect(show->grab().toImage()).isEmpty());

        // Going on by itself, and on to the next image.
        const auto timer = show->findChild<QTimer *>(QStringLiteral("timer"));
        QVERIFY(timer && timer->isActive());
        QVERIFY(QFile::remove(dir + QStringLiteral("/a.png")));
        QTest::keyClick(show, Qt::Key_Right);
        QTRY_COMPARE(counter->text(), QStringLiteral("3/3"));
        QCOMPARE(Crafted::pictureRect(show->grab().toImage()).size(), QSize(50, 40));
        // Back to the first, gone as well: black, and the show is still there.
        QTest::keyClick(show, Qt::Key_Left);
        QTest::keyClick(show, Qt::Key_Left);
        QTRY_COMPARE(counter->text(), QStringLiteral("1/3"));
        QVERIFY(Crafted::pictureRect(show->grab().toImage()).isEmpty());
        QVERIFY(guard);
        QTest::keyClick(show, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTRY_VERIFY(guard.isNull());
    }

    void unreadableFolderAndImage()
    {
        const QString dir = makeFolder(QStringLiteral("locked"), {{30, 20}, {40, 30}});
        QVERIFY(!dir.isEmpty());
        const QString inner = makeFolder(QStringLiteral("open"), {{30, 20}, {40, 30}});
        QVERIFY(QFile::setPermissions(inner + QStringLiteral("/a.png"), QFileDevice::WriteOwner));
        QVERIFY(QFile::setPermissions(dir, QFileDevice::WriteOwner));
        auto restore = qScopeGuard([&] {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                               | QFileDevice::ExeOwner);
        });
        const PermissionsApply permissions;
        if (!QDir(dir).entryList(QDir::Files).isEmpty())
            QSKIP("permissions do not keep this user out: nothing to try");

        Pictarn window;
        R::loadFolder(window, dir);
        R::settle();
        QVERIFY(R::listedNames(window).isEmpty());
        R::startSlideShow(window);
        QVERIFY(!R::slideShow());

        R::loadFolder(window, inner);
        R::settle();
        QCOMPARE(R::listedSizes(window), QStringList({"0x0", "40x30"}));
        R::useViewer(window, inner + QStringLiteral("/a.png"), QSize(0, 0));
        if (QTest::currentTestFailed())
            return;
        R::runSlideShow(window, {false, true});
    }

    void readOnlyFolder()
    {
        const QString dir = root->path() + QStringLiteral("/readonly");
        if (const QString why = Crafted::mountTmpfs(dir, 1024); !why.isEmpty())
            QSKIP(qPrintable(why));
        auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {dir}); });
        QVERIFY(Crafted::write(QFile::encodeName(dir + QStringLiteral("/a.png")),
                               Crafted::png(Crafted::gradient(30, 20))));
        QVERIFY(Crafted::write(QFile::encodeName(dir + QStringLiteral("/b.jpg")),
                               Crafted::jpeg(Crafted::gradient(300, 200))));
        QCOMPARE(QProcess::execute(QStringLiteral("mount"),
                                   {QStringLiteral("-o"), QStringLiteral("remount,ro"), dir}),
                 0);
        const auto before = Crafted::snapshot(dir);

        Pictarn window;
        R::loadFolder(window, dir);
        R::settle();
        QCOMPARE(R::listedSizes(window), QStringList({"30x20", "300x200"}));
        QVERIFY(R::thumbnailView(window)->boxAt(0)->isThumbLoaded());
        QVERIFY(R::thumbnailView(window)->boxAt(1)->isThumbLoaded());
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/.ptthumbs")));
        R::useViewer(window, dir + QStringLiteral("/b.jpg"), QSize(300, 200));
        if (QTest::currentTestFailed())
            return;
        R::runSlideShow(window, {true, true});
        QCOMPARE(Crafted::snapshot(dir), before);
    }

    void linkLoopsInTheFolderTree()
    {
        // The folder chooser hides some system folders, so this tree lives in the build tree.
        QTemporaryDir base(QDir::currentPath() + QStringLiteral("/loopXXXXXX"));
        const QString dir = base.path() + QStringLiteral("/top/mid");
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(QFile::link(base.path() + QStringLiteral("/top"), dir + QStringLiteral("/up")));
        QVERIFY(QFile::link(QStringLiteral("."), dir + QStringLiteral("/here")));
        QVERIFY(QFile::link(QStringLiteral("ping.png"), dir + QStringLiteral("/pong.png")));
        QVERIFY(QFile::link(QStringLiteral("pong.png"), dir + QStringLiteral("/ping.png")));
        QVERIFY(QFile::link(QStringLiteral("self.jpg"), dir + QStringLiteral("/self.jpg")));
        QVERIFY(TestUtil::writeImage(dir + QStringLiteral("/real.png"), 30, 20));
        const auto before = Crafted::snapshot(base.path());

        // Listing: the loops are no images.
        Pictarn window;
        R::loadFolder(window, dir);
        R::settle();
        QCOMPARE(R::listedNames(window), QStringList({QStringLiteral("real.png")}));
        QCOMPARE(R::listedSizes(window), QStringList({QStringLiteral("30x20")}));

        // Through the loop many times over, the folder is the same folder.
        QString deep = dir;
        for (int i = 0; i < 8; ++i)
            deep += QStringLiteral("/up/mid/here");
        Pictarn other;
        R::loadFolder(other, deep);
        R::settle();
        QCOMPARE(R::listedSizes(other), QStringList({QStringLiteral("30x20")}));

        // The tree opens along the loop as far as asked, one level at a time.
        DirectoryView tree;
        (new FolderTreeItem(&tree, QStringLiteral("/")))->setOpen(true);
        tree.setDir(base.path());
        if (!tree.currentItem() || tree.fullPath(tree.currentItem()) != base.path())
            QSKIP("the build tree lies below a folder the chooser hides");
        tree.setDir(deep);
        QVERIFY(tree.currentItem());
        QCOMPARE(tree.fullPath(tree.currentItem()), deep);
        QCOMPARE(tree.currentItem()->childCount(), 2); // "here" and "up"
        QCOMPARE(Crafted::snapshot(base.path()), before);
    }

    void fullDiskLeavesNoHalfWrittenPreview()
    {
        const QString dir = root->path() + QStringLiteral("/full");
        if (const QString why = Crafted::mountTmpfs(dir, 256); !why.isEmpty())
            QSKIP(qPrintable(why));
        auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {dir}); });
        for (const char *name : {"a.png", "b.png", "c.png", "d.bmp"}) {
            const QString path = dir + QLatin1Char('/') + QLatin1String(name);
            QVERIFY(Crafted::write(QFile::encodeName(path),
                                   name[2] == 'b' ? Crafted::bmp(16, 90, 70)
                                                  : Crafted::png(Crafted::gradient(120, 90))));
        }
        // Fill the disk, then give back two pages: less than any preview takes.
        const QString filler = dir + QStringLiteral("/filler.dat");
        TestUtil::writeBytes(filler, 1024 * 1024); // stops where the disk is full
        QFile fill(filler);
        QVERIFY(fill.resize(fill.size() - 8192));
        struct statvfs disk;
        QVERIFY(::statvfs(QFile::encodeName(dir).constData(), &disk) == 0);
        QVERIFY(qint64(disk.f_bavail) * qint64(disk.f_bsize) < 16 * 1024);
        const auto before = Crafted::snapshot(dir);

        {
            Pictarn window;
            R::loadFolder(window, dir);
            R::settle();
            QCOMPARE(R::listedSizes(window), QStringList({"120x90", "120x90", "120x90", "90x70"}));
            for (int i = 0; i < 4; ++i)
                QVERIFY(R::thumbnailView(window)->boxAt(i)->isThumbLoaded());
            QCOMPARE(Crafted::damagedCacheFiles(dir + QStringLiteral("/.ptthumbs")), QStringList());
        }
        QCOMPARE(Crafted::snapshot(dir).remove(QFile::encodeName(filler)),
                 QMap(before).remove(QFile::encodeName(filler)));

        // With room again, the previews are stored whole and read back.
        QVERIFY(QFile::remove(filler));
        {
            Pictarn window;
            R::loadFolder(window, dir);
            R::settle();
        }
        QCOMPARE(QDir(dir + QStringLiteral("/.ptthumbs")).entryList(QDir::Files, QDir::Name),
                 QStringList({"a.png", "b.png", "c.png", "d.bmp"}));
        QCOMPARE(Crafted::damagedCacheFiles(dir + QStringLiteral("/.ptthumbs")), QStringList());
        const auto stored
                = ThumbnailCache::read(dir + QStringLiteral("/d.bmp"),
                                       QFileInfo(dir + QStringLiteral("/d.bmp")).lastModified());
        QVERIFY(stored);
        QCOMPARE(QSize(stored->width, stored->height), QSize(90, 70));
    }

    void fullDiskKeepsThePreviousConfiguration()
    {
        const QString home = root->path() + QStringLiteral("/config");
        if (const QString why = Crafted::mountTmpfs(home, 64); !why.isEmpty())
            QSKIP(qPrintable(why));
        const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home));
        auto restore = qScopeGuard([&] {
            qputenv("XDG_CONFIG_HOME", oldHome);
            QProcess::execute(QStringLiteral("umount"), {home});
        });
        const QString images = makeFolder(QStringLiteral("images"), {{30, 20}});
        QVERIFY(TestUtil::writeConfig(QStringLiteral("[Settings]\nslideDelay=5\n[Bookmarks]\n"
                                                     "numBookmarks=1\nname0=Kept\ndir0=%1\n")
                                              .arg(images)));
        QFile config(TestUtil::configFile());
        QVERIFY(config.open(QIODevice::ReadOnly));
        const QByteArray before = config.readAll();
        config.close();
        TestUtil::writeBytes(home + QStringLiteral("/filler"), 64 * 1024); // stops when full

        {
            Pictarn window;
            QCOMPARE(R::settings(window)->slideDelay(), 5);
            R::loadFolder(window, images);
            R::settle();
            QCOMPARE(R::listedSizes(window), QStringList({"30x20"}));
            // More than the disk can take, saved when the window goes.
            R::settings(window)->setSlideDelay(9);
            for (int i = 0; i < 40; ++i)
                R::settings(window)->addBookmark(new Bookmark(QString(200, QLatin1Char('b')),
                                                              QString(200, QLatin1Char('d'))));
        }
        QVERIFY(config.open(QIODevice::ReadOnly));
        QCOMPARE(config.readAll(), before);
        QCOMPARE(QDir(QFileInfo(config).path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("pictarn.cfg")}));
    }
};

PICTARN_TEST(tst_FileSystem)
#include "tst_filesystem.moc"
