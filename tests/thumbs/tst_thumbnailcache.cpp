#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "resources/iconset.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailcache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <climits>
#include <cstdio>
#include <map>
#include <memory>
#include <sys/stat.h>

namespace {

QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 3, y * 4, 90));
    return image;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

bool setTime(const QString &path, const QDateTime &time)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite)
           && file.setFileTime(time, QFileDevice::FileModificationTime);
}

QDateTime timeOf(const QString &path)
{
    return QFileInfo(path).lastModified();
}

QStringList files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// A folder of images with their list rows and boxes, made as the grid makes them.
struct Folder
{
    Folder() { settings.setThumbFileSize(0); }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString cache(const QString &name) const { return ThumbnailCache::filePath(path(name)); }
    ImageBox *load(const QString &name)
    {
        auto *item = new ImageListItem(&list, name, path(name));
        boxes.push_back(std::make_unique<ImageBox>(nullptr, &settings, item));
        rows[boxes.back().get()] = item;
        boxes.back()->loadThumb();
        return boxes.back().get();
    }
    // What the box and its list row tell of the image, e.g. "40x30 row 40x30 preview 40x30".
    QString state(ImageBox *b) const
    {
        return QStringLiteral("%1x%2 row %3 preview %4x%5")
                .arg(b->imageWidth())
                .arg(b->imageHeight())
                .arg(rows.at(b)->text(1))
                .arg(b->pixmap().width())
                .arg(b->pixmap().height());
    }
    QTemporaryDir dir;
    Settings settings;
    ImageListView list;
    std::vector<std::unique_ptr<ImageBox>> boxes;
    std::map<ImageBox *, ImageListItem *> rows;
};

} // namespace

// The cache files in .ptthumbs, and the boxes of the grid that read and write them.
class tst_ThumbnailCache : public QObject
{
    Q_OBJECT
private slots:
    void readsOnlyWholeSaneFreshFiles_data();
    void readsOnlyWholeSaneFreshFiles();
    void matchesTheFileByTheLetterBothWays();
    void neverWritesThroughALinkNorLeavesAPart();
    void boxesUseOnlyAGoodCacheFile_data();
    void boxesUseOnlyAGoodCacheFile();
    void keepsOneCacheFilePerImageName();
    void showsTransparentImagesAlikeOnEveryVisit();
    void composesTheCaption_data();
    void composesTheCaption();
};

void tst_ThumbnailCache::readsOnlyWholeSaneFreshFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<qint64>("age"); // of the cache file against its image, in ms
    QTest::addColumn<QImage>("preview"); // null: nothing is read
    QTest::addColumn<QSize>("size");
    const auto row = [](const char *name, const QByteArray &data, QImage preview = QImage(),
                        QSize size = QSize(),
                        qint64 age = 0) { QTest::newRow(name) << data << age << preview << size; };
    const auto good = [](QSize size, const QImage &preview) {
        return ThumbnailCache::encode(size.width(), size.height(), preview);
    };
    const QImage g = gradient(80, 60);
    const QByteArray bmp = good({640, 480}, g).mid(8);
    row("32-bit", good({1600, 1200}, g), g, {1600, 1200});
    row("small and tall", good({70, 600}, gradient(7, 60)), gradient(7, 60), {70, 600});
    row("as large as the loader takes", good({16384, 16384}, gradient(80, 1)), gradient(80, 1),
        {16384, 16384});
    const QImage indexed = gradient(40, 30).convertToFormat(QImage::Format_Indexed8);
    row("8-bit", good({40, 30}, indexed), indexed, {40, 30});
    const QImage rgb888 = gradient(20, 10).convertToFormat(QImage::Format_RGB888);
    row("24-bit", good({20, 10}, rgb888), rgb888, {20, 10});
    // FAT keeps times in 2-second steps.
    row("two seconds newer", good({8, 6}, g), g, {8, 6}, 2000);
    row("two seconds older", good({8, 6}, g), g, {8, 6}, -2000);
    row("stale, newer", good({8, 6}, g), QImage(), QSize(), 2001);
    row("stale, older", good({8, 6}, g), QImage(), QSize(), -2001);
    row("stale, a year older", good({8, 6}, g), QImage(), QSize(), -365LL * 24 * 3600 * 1000);
    row("empty", QByteArray());
    row("header only", "640 480\n");
    row("no line feed", "640 480");
    row("one number", "640\n" + bmp);
    row("three numbers", "640 480 3\n" + bmp);
    row("words", "wide high\n" + bmp);
    row("negative", "-640 480\n" + bmp);
    row("zero", "0 0\n" + bmp);
    row("overlong line", QByteArray(40, '1') + " 1\n" + bmp);
    row("too big a number", "99999999999 1\n" + bmp);
    row("over the pixel limit", "16385 16384\n" + bmp);
    row("largest ints", "2147483647 2147483647\n" + bmp);
    row("cut in the pixels", good({640, 480}, g).chopped(100));
    row("cut in the bmp header", good({640, 480}, g).left(28));
    row("not a bmp", "640 480\n" + QByteArray(20000, 'x'));
    row("preview too big", good({640, 480}, gradient(81, 60)));
    // Found by the fuzzer: "1 1\n" or "8 1\n", then a BMP of 8 or 1 bits per pixel whose table
    // holds one colour, (10, 20, 30), and pixels naming colour 0 or one past the table.
    const QByteArray head8("3120310a424d3e000000000000003a000000280000000100000001000000010008"
                           "000000000004000000130b0000130b000001000000000000001e140a00");
    const QByteArray head1("3820310a424d3e000000000000003a000000280000000800000001000000010001"
                           "000000000004000000130b0000130b000001000000000000001e140a00");
    QImage known(8, 1, QImage::Format_RGB32);
    known.fill(qRgb(10, 20, 30));
    row("8 bits, colour 5 of 1", QByteArray::fromHex(head8 + "05000000"));
    row("8 bits, colour 0 of 1", QByteArray::fromHex(head8 + "00000000"), known.copy(0, 0, 1, 1),
        {1, 1});
    row("1 bit, colour 1 of 1", QByteArray::fromHex(head1 + "80000000"));
    row("1 bit, colour 0 of 1", QByteArray::fromHex(head1 + "00000000"), known, {8, 1});
    row("4 bits, colour 15 of 2",
        QByteArray::fromHex("3220310a424d42000000000000003e0000002800000002000000010000000100040"
                            "00000000004000000130b0000130b000002000000000000001e140a003c3228001f"
                            "000000"));
}

void tst_ThumbnailCache::readsOnlyWholeSaneFreshFiles()
{
    QFETCH(QByteArray, data);
    QFETCH(qint64, age);
    QFETCH(QImage, preview);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.png");
    QVERIFY(TestUtil::writeBytes(path, 1));
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(1700000000000);
    QCOMPARE(ThumbnailCache::store(path, data, time), !data.isEmpty());
    const auto thumbnail = ThumbnailCache::read(path, time.addMSecs(age));
    QCOMPARE(thumbnail.has_value(), !preview.isNull());
    if (thumbnail) {
        QCOMPARE(QSize(thumbnail->width, thumbnail->height), size);
        QCOMPARE(thumbnail->preview.convertToFormat(QImage::Format_RGB32),
                 preview.convertToFormat(QImage::Format_RGB32));
    }
}

// A box writes a file that a reader of the format's first definition takes (one line into a
// 12-byte buffer, two numbers scanned from it, then a BMP right after the line), and reads
// one that such a reader's writer made.
void tst_ThumbnailCache::matchesTheFileByTheLetterBothWays()
{
    Folder folder;
    QVERIFY(TestUtil::writeImage(folder.path("a.jpg"), 640, 480));
    ImageBox *box = folder.load("a.jpg");
    QCOMPARE(files(folder.path(".ptthumbs")), QStringList{"a.jpg"});
    QFile file(folder.cache("a.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    char line[12];
    int width = -1, height = -1;
    QVERIFY(file.readLine(line, sizeof line) > 0);
    QCOMPARE(std::sscanf(line, "%d %d", &width, &height), 2);
    QCOMPARE(QSize(width, height), QSize(640, 480));
    const QByteArray bmp = file.readAll();
    // The BMP's own length field covers exactly the rest of the file.
    QCOMPARE(qint64(qFromLittleEndian<quint32>(bmp.constData() + 2)), qint64(bmp.size()));
    QCOMPARE(QImage::fromData(bmp, "BMP").convertToFormat(QImage::Format_RGB32),
             box->pixmap().toImage().convertToFormat(QImage::Format_RGB32));
    file.close();

    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write("3000 3000\n"), 10);
    QVERIFY(QImageWriter(&file, "bmp").write(gradient(60, 60)));
    file.close();
    const QDateTime time = QDateTime::currentDateTime().addSecs(-100);
    QVERIFY(setTime(file.fileName(), time));
    const auto thumbnail = ThumbnailCache::read(folder.path("a.jpg"), time);
    QVERIFY(thumbnail);
    QCOMPARE(QSize(thumbnail->width, thumbnail->height), QSize(3000, 3000));
    QCOMPARE(thumbnail->preview.convertToFormat(QImage::Format_RGB32), gradient(60, 60));
}

void tst_ThumbnailCache::neverWritesThroughALinkNorLeavesAPart()
{
    QTemporaryDir dir;
    const QDateTime time = QDateTime::currentDateTime();
    const QByteArray data = ThumbnailCache::encode(10, 10, gradient(10, 10));
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        QVERIFY(TestUtil::writeBytes(dir.filePath(name), 1));
    // A link at the cache file's name is replaced, its target untouched.
    QVERIFY(TestUtil::writeBytes(dir.filePath("victim.txt"), 7, 'k'));
    QVERIFY(QDir(dir.path()).mkdir(".ptthumbs"));
    QVERIFY(QFile::link(dir.filePath("victim.txt"), dir.filePath(".ptthumbs/a.jpg")));
    QVERIFY(ThumbnailCache::store(dir.filePath("a.jpg"), data, time));
    QCOMPARE(readAll(dir.filePath("victim.txt")), QByteArray(7, 'k'));
    QVERIFY(!QFileInfo(dir.filePath(".ptthumbs/a.jpg")).isSymLink());
    QVERIFY(ThumbnailCache::read(dir.filePath("a.jpg"), time));
    // A failed write leaves nothing: no folder, a folder in the file's place, nothing to store.
    QVERIFY(!ThumbnailCache::store(dir.filePath("missing/a.jpg"), data, time));
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
    QVERIFY(QDir(dir.path()).mkpath(".ptthumbs/b.jpg"));
    QVERIFY(!ThumbnailCache::store(dir.filePath("b.jpg"), data, time));
    QVERIFY(!ThumbnailCache::store(dir.filePath("c.jpg"), QByteArray(), time));
    QCOMPARE(files(dir.filePath(".ptthumbs")), QStringList{"a.jpg"});
    // A link or a pipe in the cache is not read: opening a pipe would wait for a writer forever.
    QVERIFY(QFile::link(dir.filePath(".ptthumbs/a.jpg"), dir.filePath(".ptthumbs/link.jpg")));
    QVERIFY(!ThumbnailCache::read(dir.filePath("link.jpg"), time));
    const QString pipe = dir.filePath(".ptthumbs/pipe.jpg");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QVERIFY(!ThumbnailCache::read(dir.filePath("pipe.jpg"), timeOf(pipe)));
}

void tst_ThumbnailCache::boxesUseOnlyAGoodCacheFile_data()
{
    QTest::addColumn<QString>("kind"); // what is put where the box looks for its cache file
    QTest::addColumn<QByteArray>("content"); // of what is put there; of the image for "image"
    QTest::addColumn<int>("threshold"); // KB; INT_MIN: saving off
    QTest::addColumn<QString>("state"); // "": 40x30 read from the image itself
    QTest::addColumn<QByteArray>("cache"); // its start afterwards; "-": none, "=": as it was put
    const auto row = [](const char *name, const char *kind, const QByteArray &content,
                        QByteArray cache = "40 30\nBM", int threshold = 0, QString state = {}) {
        QTest::newRow(name) << kind << content << threshold << state << cache;
    };
    const QByteArray good = ThumbnailCache::encode(10000, 10000, gradient(80, 60));
    // A 40 x 30 BMP takes 3,654 bytes.
    row("image a byte over the threshold", "image", QByteArray(4097, 0), "40 30\nBM", 4);
    row("image exactly the threshold", "image", QByteArray(4096, 0), "-", 4);
    row("negative threshold", "image", QByteArray(), "-", -1);
    row("saving off", "image", QByteArray(), "-", INT_MIN);
    row("good", "file", good, "=", 0, "10000x10000 row 10000x10000 preview 80x60");
    row("good, saving off", "file", good, "=", INT_MIN);
    row("image replaced by a newer file", "stale", QByteArray::number(10));
    row("image replaced by an older file", "stale", QByteArray::number(-3600));
    row("garbage", "file", QByteArray(5000, 'x'));
    row("cut short", "file", good.left(good.size() / 2));
    row("unreadable header", "file", "sixteen hundred\n" + good.mid(12));
    row("empty", "file", QByteArray());
    // The link's target even looks like a good cache file; it is neither read nor written.
    row("link at the cache path", "link", good);
    row("cache folder's name taken by a file", "folder file", "not a folder", "=");
    row("cache folder a link to a folder", "folder link", good, "=");
    row("cache folder read-only", "read-only", QByteArray(), "-");
    const QString none = QString("0x0 row 0x0 preview %1x%2")
                                 .arg(iconPixmap("image").width())
                                 .arg(iconPixmap("image").height());
    row("zero-byte image", "bad image", QByteArray(), "-", 0, none);
    row("not a picture", "bad image", QByteArray(3000, 'x'), "-", 0, none);
    row("missing image", "no image", QByteArray(), "-", 0, none);
}

void tst_ThumbnailCache::boxesUseOnlyAGoodCacheFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(int, threshold);
    QFETCH(QString, state);
    QFETCH(QByteArray, cache);
    Folder folder;
    const QString image = folder.path("a.bmp");
    QString planted = folder.cache("a.bmp");
    const auto writable = qScopeGuard([&] {
        QFile::setPermissions(folder.dir.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (kind == "bad image")
        QVERIFY(writeAll(image, content));
    else if (kind != "no image")
        QVERIFY(TestUtil::writeImage(image, kind == "stale" ? 30 : 40, kind == "stale" ? 40 : 30));
    if (kind == "image" && !content.isEmpty()) {
        QFile file(image);
        QVERIFY(file.open(QIODevice::Append) && file.resize(content.size()));
    } else if (kind == "stale") {
        QVERIFY(setTime(image, QDateTime::currentDateTime().addDays(-1)));
        folder.load("a.bmp");
        QVERIFY(readAll(planted).startsWith("30 40\n"));
        const QDateTime first = timeOf(image);
        QVERIFY(TestUtil::writeImage(image, 40, 30));
        QVERIFY(setTime(image, first.addSecs(content.toInt())));
    } else if (kind == "file" || kind == "link" || kind == "folder link") {
        if (kind != "file")
            planted = folder.path("elsewhere/a.bmp");
        QVERIFY(QDir(folder.dir.path()).mkpath("elsewhere"));
        QVERIFY(kind == "folder link" || QDir(folder.dir.path()).mkpath(".ptthumbs"));
        QVERIFY(writeAll(planted, content) && setTime(planted, timeOf(image)));
        if (kind == "link")
            QVERIFY(QFile::link(planted, folder.cache("a.bmp")));
        if (kind == "folder link")
            QVERIFY(QFile::link(folder.path("elsewhere"), folder.path(".ptthumbs")));
    } else if (kind == "folder file") {
        planted = folder.path(".ptthumbs");
        QVERIFY(writeAll(planted, content));
    } else if (kind == "read-only") {
        QVERIFY(QFile::setPermissions(folder.dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        if (QFileInfo(folder.dir.path()).isWritable())
            QSKIP("this user writes into read-only folders (root?)");
    }
    if (kind.startsWith("folder") || kind == "read-only") {
        const QByteArray warning = "can't create directory: " + folder.path(".ptthumbs").toUtf8();
        QTest::ignoreMessage(QtWarningMsg, warning.constData());
    }
    folder.settings.setSaveThumbnails(threshold != INT_MIN);
    folder.settings.setThumbFileSize(threshold);
    ImageBox *box = folder.load("a.bmp");
    QCOMPARE(folder.state(box), state.isEmpty() ? "40x30 row 40x30 preview 40x30" : state);
    QCOMPARE(box->isThumbLoaded(), !state.startsWith("0x0"));
    if (cache == "=")
        QCOMPARE(readAll(planted), content);
    else if (cache == "-")
        QVERIFY(!QFileInfo::exists(folder.cache("a.bmp")));
    else
        QVERIFY(readAll(folder.cache("a.bmp")).startsWith(cache));
    QVERIFY(!QFileInfo(folder.cache("a.bmp")).isSymLink() || kind == "folder link");
    // Nothing lands beside what a link leads to, and the image is never touched.
    QCOMPARE(files(folder.path("elsewhere")).size(), kind.contains("link") ? 1 : 0);
    if (kind == "bad image")
        QCOMPARE(readAll(image), content);
    if (kind == "link")
        QCOMPARE(readAll(planted), content);
}

void tst_ThumbnailCache::keepsOneCacheFilePerImageName()
{
    Folder folder;
    QVERIFY(QDir(folder.dir.path()).mkpath("x"));
    const QList<std::tuple<QString, int, int>> images{
            {"a.jpg", 64, 48}, {"a.png", 48, 64}, {"x/a.jpg", 30, 20}};
    for (const auto &[name, w, h] : images) {
        QVERIFY(TestUtil::writeImage(folder.path(name), w, h));
        folder.load(name);
    }
    // A link may lead off the card: its preview stays in memory.
    QVERIFY(QFile::link(folder.path("a.png"), folder.path("link.png")));
    QVERIFY(folder.load("link.png")->isThumbLoaded());
    for (const auto &[name, w, h] : images) {
        const auto thumbnail = ThumbnailCache::read(folder.path(name), timeOf(folder.path(name)));
        QVERIFY2(thumbnail, qPrintable(name));
        QCOMPARE(QSize(thumbnail->width, thumbnail->height), QSize(w, h));
    }
    QCOMPARE(files(folder.path(".ptthumbs")), (QStringList{"a.jpg", "a.png"}));
}

void tst_ThumbnailCache::showsTransparentImagesAlikeOnEveryVisit()
{
    Folder folder;
    QImage picture(40, 30, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter(&picture).fillRect(10, 10, 20, 10, Qt::blue);
    QVERIFY(picture.save(folder.path("a.png")));
    const QImage made
            = folder.load("a.png")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(QFileInfo::exists(folder.cache("a.png")));
    const QImage read
            = folder.load("a.png")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(made.pixelColor(0, 0), QColor(Qt::white));
    QCOMPARE(made.pixelColor(15, 15), QColor(Qt::blue));
    QCOMPARE(read, made);
}

void tst_ThumbnailCache::composesTheCaption_data()
{
    QTest::addColumn<QString>("name"); // the list row's name; the file is always pic.png
    QTest::addColumn<bool>("showExtension");
    QTest::addColumn<QString>("caption"); // "...": shortened
    QTest::newRow("list name and size") << "pic" << false << "pic\n40x30";
    QTest::newRow("file name") << "pic" << true << "pic.png\n40x30";
    QTest::newRow("too wide") << QString(40, 'W') << false << "...";
}

void tst_ThumbnailCache::composesTheCaption()
{
    QFETCH(QString, name);
    QFETCH(bool, showExtension);
    QFETCH(QString, caption);
    Folder folder;
    QVERIFY(TestUtil::writeImage(folder.path("pic.png"), 40, 30));
    folder.settings.setShowExtension(showExtension);
    folder.settings.setShowDimension(true);
    ImageBox box(nullptr, &folder.settings,
                 new ImageListItem(&folder.list, name, folder.path("pic.png")));
    box.resize(100, 95);
    box.loadThumb();
    if (caption != "...") {
        QCOMPARE(box.caption(), caption);
        return;
    }
    // As much of the name as fits with the dots, and not a character more.
    const QFontMetrics metrics(ImageBox::captionFont());
    const QString first = box.caption().section('\n', 0, 0);
    QVERIFY(first.endsWith("...") && name.startsWith(first.chopped(3)));
    QVERIFY(metrics.horizontalAdvance(first) < 100);
    QVERIFY(metrics.horizontalAdvance(first.chopped(3) + "W...") >= 100);
    QCOMPARE(box.caption().section('\n', 1), QString("40x30"));
    // A first character alone too wide is kept all the same.
    QCOMPARE(ImageBox::shortenCaption("Wxyz", metrics, 1), QString("W..."));
}

PICTARN_TEST(tst_ThumbnailCache)
#include "tst_thumbnailcache.moc"
