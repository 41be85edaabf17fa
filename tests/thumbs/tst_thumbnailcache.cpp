#include "common/testmain.h"
#include "common/testutil.h"

#include "thumbs/thumbnailcache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
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

// An image file for the cache to keep a preview of; the cache never looks into it.
QString image(const QTemporaryDir &dir, const char *name)
{
    const QString path = dir.filePath(QLatin1String(name));
    return TestUtil::writeBytes(path, 1) ? path : QString();
}

bool setTime(const QString &path, const QDateTime &time)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite)
           && file.setFileTime(time, QFileDevice::FileModificationTime);
}

// A cache file read the way the file was first defined: one line into a 12-byte buffer, two
// numbers scanned from it, then a BMP read from the same file right after the line.
bool readByTheLetter(const QString &path, int *width, int *height, QImage *preview)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    char line[12];
    if (file.readLine(line, sizeof line) <= 0)
        return false;
    if (std::sscanf(line, "%d %d", width, height) != 2)
        return false;
    QImageReader reader(&file, "bmp");
    return reader.read(preview);
}
} // namespace

class tst_ThumbnailCache : public QObject
{
    Q_OBJECT
private slots:
    void readsBackWhatItWrites_data();
    void readsBackWhatItWrites();
    void rejectsDamagedFiles_data();
    void rejectsDamagedFiles();
    void matchesTheFileByTheLetterBothWays();
    void tellsStaleFiles_data();
    void tellsStaleFiles();
    void replacesALinkInsteadOfWritingThroughIt();
    void leavesNothingWhenTheWriteFails();
    void readsNoPipeAndNoLink();
};

void tst_ThumbnailCache::readsBackWhatItWrites_data()
{
    QTest::addColumn<QImage>("preview");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("32-bit") << gradient(80, 60) << 1600 << 1200;
    QTest::newRow("small and tall") << gradient(7, 60) << 70 << 600;
    QTest::newRow("ten thousand square") << gradient(60, 60) << 10000 << 10000;
    QTest::newRow("as large as the loader takes") << gradient(80, 1) << 16384 << 16384;
    QImage indexed = gradient(40, 30).convertToFormat(QImage::Format_Indexed8);
    QTest::newRow("8-bit") << indexed << 40 << 30;
    QTest::newRow("24-bit") << gradient(20, 10).convertToFormat(QImage::Format_RGB888) << 20 << 10;
}

void tst_ThumbnailCache::readsBackWhatItWrites()
{
    QFETCH(QImage, preview);
    QFETCH(int, width);
    QFETCH(int, height);
    QTemporaryDir dir;
    const QString path = image(dir, "x.jpg");
    const QDateTime time = QDateTime::currentDateTime().addDays(-3);
    QVERIFY(ThumbnailCache::store(path, ThumbnailCache::encode(width, height, preview), time));
    const auto thumbnail = ThumbnailCache::read(path, time);
    QVERIFY(thumbnail);
    QCOMPARE(QSize(thumbnail->width, thumbnail->height), QSize(width, height));
    QCOMPARE(thumbnail->preview.convertToFormat(QImage::Format_RGB32),
             preview.convertToFormat(QImage::Format_RGB32));
    QVERIFY(qAbs(QFileInfo(ThumbnailCache::filePath(path)).lastModified().msecsTo(time)) < 1000);
}

void tst_ThumbnailCache::rejectsDamagedFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    const QByteArray good = ThumbnailCache::encode(640, 480, gradient(80, 60));
    const QByteArray bmp = good.mid(good.indexOf('\n') + 1);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only") << QByteArray("640 480\n");
    QTest::newRow("no line feed") << QByteArray("640 480");
    QTest::newRow("one number") << QByteArray("640\n") + bmp;
    QTest::newRow("three numbers") << QByteArray("640 480 3\n") + bmp;
    QTest::newRow("words") << QByteArray("wide high\n") + bmp;
    QTest::newRow("negative") << QByteArray("-640 480\n") + bmp;
    QTest::newRow("zero") << QByteArray("0 0\n") + bmp;
    QTest::newRow("overlong line") << QByteArray(40, '1') + " 1\n" + bmp;
    QTest::newRow("too big a number") << QByteArray("99999999999 1\n") + bmp;
    QTest::newRow("more pixels than the loader takes") << QByteArray("16385 16384\n") + bmp;
    QTest::newRow("largest ints") << QByteArray("2147483647 2147483647\n") + bmp;
    QTest::newRow("cut in the pixels") << good.left(good.size() - 100);
    QTest::newRow("cut in the bmp header") << good.left(good.indexOf('\n') + 20);
    QTest::newRow("not a bmp") << QByteArray("640 480\n") + QByteArray(20000, 'x');
    QTest::newRow("preview too big") << ThumbnailCache::encode(640, 480, gradient(81, 60));
}

void tst_ThumbnailCache::rejectsDamagedFiles()
{
    QFETCH(QByteArray, data);
    QVERIFY(!ThumbnailCache::decode(data));
}

void tst_ThumbnailCache::matchesTheFileByTheLetterBothWays()
{
    QTemporaryDir dir;
    const QString imagePath = image(dir, "a.jpg");
    const QString path = ThumbnailCache::filePath(imagePath);
    QImage preview = gradient(80, 45);
    QVERIFY(ThumbnailCache::store(imagePath, ThumbnailCache::encode(1600, 900, preview),
                                  QDateTime::currentDateTime()));
    int width = -1;
    int height = -1;
    QImage read;
    QVERIFY(readByTheLetter(path, &width, &height, &read));
    QCOMPARE(QSize(width, height), QSize(1600, 900));
    QCOMPARE(read.convertToFormat(QImage::Format_RGB32), preview);

    preview = gradient(60, 60);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write("3000 3000\n"), 10);
        QVERIFY(QImageWriter(&file, "bmp").write(preview));
    }
    const QDateTime time = QDateTime::currentDateTime().addSecs(-100);
    QVERIFY(setTime(path, time));
    const auto thumbnail = ThumbnailCache::read(imagePath, time);
    QVERIFY(thumbnail);
    QCOMPARE(QSize(thumbnail->width, thumbnail->height), QSize(3000, 3000));
    QCOMPARE(thumbnail->preview.convertToFormat(QImage::Format_RGB32), preview);
}

void tst_ThumbnailCache::tellsStaleFiles_data()
{
    QTest::addColumn<qint64>("offset"); // of the image's time from the cache file's, in ms
    QTest::addColumn<bool>("fresh");
    QTest::newRow("same time") << qint64(0) << true;
    QTest::newRow("two seconds newer") << qint64(2000) << true;
    QTest::newRow("two seconds older") << qint64(-2000) << true;
    QTest::newRow("newer") << qint64(2001) << false;
    QTest::newRow("older") << qint64(-2001) << false;
    QTest::newRow("a year older") << qint64(-365) * 24 * 3600 * 1000 << false;
}

void tst_ThumbnailCache::tellsStaleFiles()
{
    QFETCH(qint64, offset);
    QFETCH(bool, fresh);
    const QDateTime cacheTime = QDateTime::fromMSecsSinceEpoch(1700000000000);
    QCOMPARE(ThumbnailCache::isFresh(cacheTime, cacheTime.addMSecs(offset)), fresh);

    QTemporaryDir dir;
    const QString path = image(dir, "a.png");
    QVERIFY(ThumbnailCache::store(path, ThumbnailCache::encode(8, 6, gradient(8, 6)), cacheTime));
    QCOMPARE(bool(ThumbnailCache::read(path, cacheTime.addMSecs(offset))), fresh);
}

void tst_ThumbnailCache::replacesALinkInsteadOfWritingThroughIt()
{
    QTemporaryDir dir;
    const QString victim = dir.filePath("victim.txt");
    QVERIFY(TestUtil::writeBytes(victim, 7, 'k'));
    const QString imagePath = image(dir, "a.jpg");
    const QString path = ThumbnailCache::filePath(imagePath);
    QVERIFY(QDir(dir.path()).mkdir(".ptthumbs"));
    QVERIFY(QFile::link(victim, path));
    const QDateTime time = QDateTime::currentDateTime();
    QVERIFY(ThumbnailCache::store(imagePath, ThumbnailCache::encode(10, 10, gradient(10, 10)),
                                  time));
    QCOMPARE(readAll(victim), QByteArray(7, 'k'));
    QVERIFY(!QFileInfo(path).isSymLink());
    QVERIFY(readAll(path).startsWith("10 10\nBM"));
    QCOMPARE(QDir(dir.filePath(".ptthumbs")).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void tst_ThumbnailCache::leavesNothingWhenTheWriteFails()
{
    QTemporaryDir dir;
    const QByteArray data = ThumbnailCache::encode(10, 10, gradient(10, 10));
    const QDateTime time = QDateTime::currentDateTime();
    // No such folder.
    QVERIFY(!ThumbnailCache::store(dir.filePath("missing/a.jpg"), data, time));
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
    // A folder in the file's place: the rename fails and the temporary file goes.
    QVERIFY(QDir(dir.path()).mkpath(".ptthumbs/b.jpg"));
    QVERIFY(!ThumbnailCache::store(image(dir, "b.jpg"), data, time));
    QCOMPARE(QDir(dir.filePath(".ptthumbs")).entryList(QDir::Files | QDir::Hidden), QStringList());
    // Nothing to store.
    QVERIFY(!ThumbnailCache::store(image(dir, "c.jpg"), QByteArray(), time));
    QVERIFY(!QFileInfo::exists(dir.filePath(".ptthumbs/c.jpg")));
}

void tst_ThumbnailCache::readsNoPipeAndNoLink()
{
    QTemporaryDir dir;
    const QDateTime time = QDateTime::currentDateTime();
    const QString real = image(dir, "real.jpg");
    QVERIFY(ThumbnailCache::store(real, ThumbnailCache::encode(10, 10, gradient(10, 10)), time));
    QVERIFY(ThumbnailCache::read(real, time));
    QVERIFY(QFile::link(ThumbnailCache::filePath(real), dir.filePath(".ptthumbs/link.jpg")));
    QVERIFY(!ThumbnailCache::read(dir.filePath("link.jpg"), time));
    // Opening a pipe for reading would wait for a writer forever.
    const QString pipe = dir.filePath(".ptthumbs/pipe.jpg");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QVERIFY(!ThumbnailCache::read(dir.filePath("pipe.jpg"), QFileInfo(pipe).lastModified()));
}

PICTARN_TEST(tst_ThumbnailCache)
#include "tst_thumbnailcache.moc"
