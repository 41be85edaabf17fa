#include "common/testmain.h"
#include "common/testutil.h"

#include "app/pictarn.h"
#include "app/settings.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "browse/naturalorder.h"
#include "slideshow/slideshow.h"
#include "thumbs/imagebox.h"
#include "thumbs/nonpictures.h"
#include "thumbs/thumbnailcache.h"
#include "thumbs/thumbnailview.h"
#include "viewer/imageviewer.h"
#include "viewer/imagewidget.h"
#include "viewer/prefetcher.h"

#include <QApplication>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QImageWriter>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QScopeGuard>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QtEndian>

#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

QImage gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(30 + x * 200 / width, 30 + y * 200 / height, 150));
    }
    return image;
}

QByteArray encoded(const QImage &image, const char *format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

void pngChunk(QByteArray &out, const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type) + data;
    quint32 crc = 0xffffffffu;
    for (char c : body) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    char word[4];
    qToBigEndian(quint32(data.size()), word);
    out.append(word, 4).append(body);
    qToBigEndian(~crc, word);
    out.append(word, 4);
}

// A PNG whose header declares this size, with no pixel data worth the name.
QByteArray pngDeclaring(quint32 width, quint32 height)
{
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 8;
    header[9] = 2;
    pngChunk(out, "IHDR", header);
    pngChunk(out, "IDAT", QByteArray::fromHex("789c030000000001"));
    pngChunk(out, "IEND", QByteArray());
    return out;
}

// Writes bytes at a path given as raw file-system bytes.
bool write(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool ok = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return fd >= 0 && ::close(fd) == 0 && ok;
}

// Every file below folder by raw path, with its mode, size, time and a digest of its bytes;
// the preview cache folders are the program's own and are left out.
QMap<QByteArray, QByteArray> snapshot(const QString &folder)
{
    QMap<QByteArray, QByteArray> files;
    const QByteArray raw = QFile::encodeName(folder);
    DIR *dir = ::opendir(raw.constData());
    while (const dirent *entry = dir ? ::readdir(dir) : nullptr) {
        const QByteArray name(entry->d_name), path = raw + '/' + name;
        struct stat info;
        if (name == "." || name == ".." || name == ".ptthumbs"
            || ::lstat(path.constData(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            files.insert(snapshot(QFile::decodeName(path)));
            continue;
        }
        const int fd = S_ISREG(info.st_mode) ? ::open(path.constData(), O_RDONLY | O_NOFOLLOW) : -1;
        QCryptographicHash hash(QCryptographicHash::Sha1);
        char buffer[65536];
        for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            hash.addData(QByteArrayView(buffer, n));
        files[path] = QByteArray::number(info.st_mode) + ' ' + QByteArray::number(info.st_size)
                      + ' ' + QByteArray::number(qint64(info.st_mtim.tv_nsec)) + ' '
                      + QByteArray::number(qint64(info.st_mtim.tv_sec)) + hash.result().toHex();
        if (fd >= 0)
            ::close(fd);
    }
    if (dir)
        ::closedir(dir);
    return files;
}

// The files of a cache folder that are not whole cache files: half-written or temporary ones.
QStringList damagedCacheFiles(const QString &folder)
{
    QStringList damaged;
    for (const QFileInfo &entry :
         QDir(folder + QStringLiteral("/.ptthumbs")).entryInfoList(QDir::Files | QDir::Hidden)) {
        if (entry.fileName() == QLatin1String(NonPictures::fileName))
            continue; // the folder's record, not a preview
        QFile file(entry.filePath());
        if (!file.open(QIODevice::ReadOnly) || !ThumbnailCache::decode(file.readAll()))
            damaged << entry.fileName();
    }
    return damaged;
}

// Whether anything but black is drawn.
bool drawsAPicture(QWidget *widget)
{
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage black(image.size(), QImage::Format_RGB32);
    black.fill(Qt::black);
    return image != black;
}

// The slide show, or the full-screen picture, on screen.
template<typename T>
T *shownWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *found = qobject_cast<T *>(widget);
        if (found && found->isVisible()
            && (std::is_same_v<T, SlideShow> || !qobject_cast<SlideShow *>(widget)))
            return found;
    }
    return nullptr;
}

// Root reads whatever the permissions say; while this lives, this thread, and the threads it
// starts, go by the permissions like any other user.
class PermissionsApply
{
public:
    PermissionsApply()
    {
        // Their threads would keep the old rights; new ones start from this thread.
        QThreadPool::globalInstance()->waitForDone();
        Prefetcher::pool()->waitForDone();
        if (::syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved[0], saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped = ::syscall(SYS_capset, &header, lowered) == 0;
    }
    ~PermissionsApply()
    {
        QThreadPool::globalInstance()->waitForDone();
        Prefetcher::pool()->waitForDone();
        if (dropped)
            ::syscall(SYS_capset, &header, saved);
    }

private:
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2]{};
    bool dropped = false;
};

} // namespace

// Every class of hostile input, from the card to the screen: the folder is listed, its previews
// made, the pictures viewed and shown, and no file of the user's is ever changed.
class tst_Robustness : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> root;

    static QStringList column(Pictarn &window, int column)
    {
        QStringList texts;
        for (int i = 0; i < window.imageListView->topLevelItemCount(); ++i) {
            auto *item = static_cast<ImageListItem *>(window.imageListView->topLevelItem(i));
            texts << (column ? item->text(column) : item->name());
        }
        return texts;
    }

    static QList<bool> previews(Pictarn &window)
    {
        QList<bool> loaded;
        for (int i = 0; i < window.thumbnailView->boxCount(); ++i)
            loaded << window.thumbnailView->boxAt(i)->isThumbLoaded();
        return loaded;
    }

    static void load(Pictarn &window, const QString &folder)
    {
        window.currentFolder = folder;
        window.loadFolder(folder);
    }

    // Opens the image in the viewer and goes through its tools; size is the image's, 0x0 for
    // one that cannot be shown.
    static void useViewer(Pictarn &window, const QString &path, QSize size)
    {
        ImageViewer *viewer = window.imageViewer;
        window.showImage(path);
        QTRY_VERIFY(viewer->isVisible());
        auto *surface = qobject_cast<ImageWidget *>(viewer->findChild<QScrollArea *>()->widget());
        const bool shown = !size.isEmpty(), small = size.width() < 200 && size.height() < 200;
        QTRY_COMPARE(!surface->size().isEmpty(), shown);
        const QSize fitted = surface->size();
        QCOMPARE(fitted, shown && small ? size : fitted);
        for (auto tool : {&ImageViewer::zoomIn, &ImageViewer::zoomOut, &ImageViewer::zoomMax})
            (viewer->*tool)();
        QCOMPARE(!surface->size().isEmpty(), shown);
        viewer->scaleToScreen();
        viewer->rotate90();
        QCOMPARE(surface->size(), small ? fitted.transposed() : surface->size());
        for (auto tool :
             {&ImageViewer::rotate270, &ImageViewer::brightUpImage, &ImageViewer::brightDownImage})
            (viewer->*tool)();
        QCOMPARE(surface->size(), fitted);
        // Full screen: the picture on black, or black alone.
        viewer->showFullScreen();
        ImageWidget *full = nullptr;
        QTRY_VERIFY((full = shownWindow<ImageWidget>()));
        QCOMPARE(drawsAPicture(full), shown);
        QTest::mouseClick(full, Qt::LeftButton);
        QTRY_VERIFY(viewer->isVisible());
        viewer->reject();
    }

    // Steps the slide show through the listed images and past the last; shown tells for each
    // whether a picture (rather than black) is expected.
    static void runShow(Pictarn &window, const QList<bool> &shown)
    {
        window.startSlideShow();
        const QPointer<SlideShow> show = shownWindow<SlideShow>();
        QVERIFY(show);
        auto *counter = show->findChild<QLabel *>(QStringLiteral("counter"));
        for (int i = 0; i < shown.size(); ++i) {
            if (i > 0)
                QTest::keyClick(show, Qt::Key_Right);
            QTRY_COMPARE(counter->text(), QStringLiteral("%1/%2").arg(i + 1).arg(shown.size()));
            QCOMPARE(drawsAPicture(show), shown.at(i));
        }
        QTest::keyClick(show, Qt::Key_Right);
        QTRY_VERIFY(show.isNull());
    }

private slots:
    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        qputenv("PICTARN_DOCUMENTS", QFile::encodeName(root->filePath("docs")));
        // Every preview kept; the show stays on a picture until told to go on.
        QVERIFY(TestUtil::writeConfig("[Settings]\nthumbFileSize=0\nslideDelay=60\n"
                                      "controlBarInSlide=false\n"));
    }

    void cleanup()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<ImageWidget *>(widget))
                widget->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        root.reset();
    }

    void badFile_data()
    {
        QTest::addColumn<QByteArray>("rawName"); // as the file system holds it
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size"); // 0x0: nothing can be shown; invalid: not listed
        const auto row = [](const char *tag, const QByteArray &name, const QByteArray &bytes,
                            QSize size) { QTest::newRow(tag) << name << bytes << size; };
        const QByteArray png = encoded(gradient(64, 48), "png");
        const QByteArray cut = encoded(gradient(160, 120), "jpeg");
        const QSize none(0, 0), full(64, 48);
        row("zero bytes", "empty.jpg", QByteArray(), none);
        // Cut in the pixel data: the rows that arrived are shown.
        row("truncated jpeg", "cut.jpg", cut.left(cut.size() / 2), QSize(160, 120));
        row("truncated png", "cut.png", png.left(png.size() / 2), none);
        row("text named jpg", "notes.jpg", "not pixels\n", none);
        // Refused from the header alone: nothing that size is ever allocated.
        row("60000 x 60000 png", "huge.png", pngDeclaring(60000, 60000), none);
        row("2000000000 x 1 png", "wide.png", pngDeclaring(2000000000, 1), none);
        row("progressive jpeg", "p.jpeg", encoded(gradient(64, 48), "jpeg", true), full);
        row("16-bit png", "deep.png",
            encoded(gradient(64, 48).convertToFormat(QImage::Format_RGBA64), "png"), full);
        row("png named gif", "liar.gif", png, full);
        row("1 x 300", "post.png", encoded(gradient(1, 300), "png"), QSize(1, 300));
        // Listed by its name, but a reader would wait on it for good.
        row("link to fifo", "pipe.gif", QByteArray(), none);
        row("no read permission", "locked.png", png, none);
        row("link to itself", "self.jpg", QByteArray(), QSize());
        row("odd characters", " it's \"-rf $HOME\" `x` *;|&\n.png", png, full);
        row("255 bytes", QByteArray(251, 'n') + ".png", png, full);
        row("255 bytes of utf-8", QByteArray(83, 'x').replace("x", "\xe5\x9b\xbe") + "ab.png", png,
            full);
        row("differs in case only", "0 BEFORE.png", png, full);
        // Bytes that are no UTF-8 cannot be named again from the decoded text: such a file is
        // left out rather than shown as one that fails.
        row("latin-1 byte", "caf\xe9.png", png, QSize());
        row("stray bytes", "\xff\xfe.jpg", png, QSize());
    }

    void badFile()
    {
        QFETCH(QByteArray, rawName);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        const QByteArray tag = QTest::currentDataTag();
        const bool shown = !size.isEmpty(), listed = size.isValid();
        const QString name = QString::fromUtf8(rawName);

        // The odd file sits among good ones.
        const QString dir = root->path();
        QStringList names{"0 before.png", "zz after.png"};
        for (const QString &good : names)
            QVERIFY(TestUtil::writeImage(dir + '/' + good, 30, 20));
        const QByteArray path = QFile::encodeName(dir) + '/' + rawName;
        if (tag.endsWith("fifo"))
            QVERIFY(::mkfifo(path + ".real", 0644) == 0
                    && ::symlink("pipe.gif.real", path.constData()) == 0);
        else if (tag.endsWith("itself"))
            QVERIFY(::symlink(rawName.constData(), path.constData()) == 0);
        else
            QVERIFY(write(path, bytes));
        std::optional<PermissionsApply> permissions;
        if (tag.startsWith("no read")) {
            QVERIFY(::chmod(path.constData(), 0200) == 0);
            permissions.emplace();
            if (QFile(QFile::decodeName(path)).open(QIODevice::ReadOnly))
                QSKIP("permissions do not keep this user out");
        }
        names << (listed ? QStringList(name) : QStringList());
        std::sort(names.begin(), names.end(),
                  [](const QString &a, const QString &b) { return NaturalOrder::lessThan(a, b); });
        const int at = names.indexOf(name);
        QList<bool> loaded(names.size(), true);
        if (listed)
            loaded[at] = shown;
        const auto before = snapshot(dir);
        {
            Pictarn window;
            load(window, dir);
            QCOMPARE(column(window, 0), names);
            QTRY_COMPARE(previews(window), loaded);
            const QStringList sizes = column(window, 1);
            QVERIFY(damagedCacheFiles(dir).isEmpty());
            if (listed) {
                QCOMPARE(sizes.at(at),
                         QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
                QCOMPARE(QFile::exists(ThumbnailCache::filePath(dir + '/' + name)), shown);
                useViewer(window, dir + '/' + name, size);
            }
            runShow(window, loaded);
            // A second visit reads the previews back from the cache.
            Pictarn again;
            load(again, dir);
            QTRY_COMPARE(previews(again), loaded);
            QCOMPARE(column(again, 1), sizes);
        }
        QCOMPARE(snapshot(dir), before);
    }

    void badConfiguration_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("bookmarks");
        const auto all = [](const char *value) {
            return QByteArray(
                           "[Settings]\nview=%\nthumbFileSize=%\nslideDelay=%\ncontrolBarInSlide=%"
                           "\n[Bookmarks]\nnumBookmarks=%\nname0=First\n")
                    .replace('%', value);
        };
        QByteArray garbage;
        for (int i = 0; i < 8192; ++i)
            garbage.append(char((i * 2654435761u) >> 24));
        QTest::newRow("binary garbage") << garbage << 0 << 0;
        QTest::newRow("garbage after a good start") << "[Settings]\nview=1\n" + garbage << 1 << 0;
        QTest::newRow("NUL bytes")
                << QByteArray("[Settings]\nview=\0\0\0\n[Book\0marks]\n", 32) << 0 << 0;
        QTest::newRow("words") << all("fast") << 0 << 0;
        QTest::newRow("lists") << all("1, 2") << 0 << 0;
        QTest::newRow("negative") << all("-1") << 1 << 0;
        QTest::newRow("lowest int") << all("-2147483648") << 1 << 0;
        // The bookmark count is bounded: the file cannot make the reading loop run for ever.
        QTest::newRow("highest int") << all("2147483647") << 1 << Settings::maxBookmarks;
        QTest::newRow("beyond int") << all("99999999999") << 0 << 0;
    }

    void badConfiguration()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, view);
        QFETCH(int, bookmarks);
        QVERIFY(TestUtil::writeConfig(QString()));
        QVERIFY(write(QFile::encodeName(TestUtil::configFile()), contents));
        for (int width : {30, 31})
            QVERIFY(TestUtil::writeImage(root->filePath(QStringLiteral("%1.png").arg(width)), width,
                                         20));
        {
            Pictarn window;
            QCOMPARE(window.viewStack->currentIndex(), view);
            QCOMPARE(int(window.settings->bookmarks().size()), bookmarks);
            load(window, root->path());
            QTRY_COMPARE(previews(window), QList<bool>({true, true}));
        }
        // The file the program leaves behind reads back as it was left.
        Settings again;
        again.load();
        QCOMPARE(int(again.bookmarks().size()), bookmarks);
    }

    // A folder that goes before its previews are made, and one that cannot be read.
    void vanishedAndLockedFolders()
    {
        const QString gone = root->filePath("gone"), locked = root->filePath("locked");
        QVERIFY(QDir().mkpath(gone) && QDir().mkpath(locked));
        for (const QString &image : {gone + "/a.png", gone + "/b.png", locked + "/c.png"})
            QVERIFY(TestUtil::writeImage(image, 30, 20));
        const auto unlock = qScopeGuard([&] {
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        QVERIFY(QFile::setPermissions(locked, QFile::WriteOwner));
        PermissionsApply permissions;
        Pictarn window;
        load(window, locked);
        QCOMPARE(column(window, 0), QStringList());
        window.startSlideShow();
        QVERIFY(!shownWindow<SlideShow>());
        load(window, gone);
        QVERIFY(QDir(gone).removeRecursively());
        // A folder listed after it tells when the pass is through.
        QVERIFY(TestUtil::writeImage(root->filePath("z.png"), 50, 40));
        load(window, root->path());
        QTRY_COMPARE(previews(window), QList<bool>({false, false, true}));
        QCOMPARE(column(window, 1), QStringList({"0x0", "0x0", "50x40"}));
        useViewer(window, gone + QStringLiteral("/a.png"), QSize(0, 0));
        runShow(window, {false, false, true});
        QVERIFY(!QFileInfo::exists(gone)); // nothing made it again
    }

    // Neither a preview nor the configuration is left half-written on a full disk.
    void fullDisk()
    {
        const QString dir = root->filePath("full");
        QDir().mkpath(dir);
        if (::geteuid() != 0
            || QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=256k", "tmpfs", dir}) != 0)
            QSKIP("this user may not mount a small file system");
        const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir + QStringLiteral("/config")));
        const auto restore = qScopeGuard([&] {
            qputenv("XDG_CONFIG_HOME", oldHome);
            QProcess::execute("umount", {dir});
        });
        QVERIFY(TestUtil::writeConfig("[Settings]\nslideDelay=5\nthumbFileSize=0\n"));
        for (const char *name : {"a.png", "b.jpg", "c.bmp"})
            QVERIFY(TestUtil::writeImage(dir + '/' + QLatin1String(name), 120, 90));
        // Fill the disk, then give back two pages: less than any preview takes.
        const QString filler = dir + QStringLiteral("/filler.dat");
        TestUtil::writeBytes(filler, 1024 * 1024); // stops where the disk is full
        QFile fill(filler);
        QVERIFY(fill.resize(fill.size() - 8192));
        const auto before = snapshot(dir);
        {
            Pictarn window;
            QCOMPARE(window.settings->slideDelay(), 5);
            load(window, dir);
            QTRY_COMPARE(previews(window), QList<bool>({true, true, true}));
            QCOMPARE(damagedCacheFiles(dir), QStringList());
            // More than the disk can take, saved when the window goes.
            window.settings->setSlideDelay(9);
            for (int i = 0; i < 40; ++i)
                window.settings->addBookmark(new Bookmark(QString(200, 'b'), QString(200, 'd')));
        }
        QCOMPARE(snapshot(dir), before); // the old configuration whole, no file beside it
    }
};

PICTARN_TEST(tst_Robustness)
#include "tst_robustness.moc"
