#include "common/testmain.h"
#include "common/testutil.h"

#include "viewer/imageloader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>

namespace {

QByteArray encoded(const QImage &image, const char *format = "jpg")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
}

// An APP1 Exif segment holding one big-endian IFD with only the Orientation tag: byte order,
// magic, IFD0 at 8; one entry (Orientation, SHORT, count 1, value); no next IFD.
QByteArray exifOrientation(int orientation)
{
    QByteArray tiff("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\0\0\0\0\0\0\0", 26);
    tiff[19] = char(orientation);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    return QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff) + payload;
}

// Fine stripes, different along each axis, and a gradient, as a JPEG with an EXIF
// orientation: a picture resampled through a wrongly shaped intermediate size, turned the
// wrong way or left in the file's orientation no longer matches its plain decode.
QByteArray photo(int w, int h, int orientation = 1)
{
    QImage source(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            source.setPixel(x, y, qRgb((x / 6) % 2 * 200, (y / 6) % 2 * 200, x * 255 / w));
    }
    return encoded(source).insert(2, exifOrientation(orientation));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, 0);
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray pngChunk(const char *type, const QByteArray &data, quint32 length)
{
    const QByteArray body = type + data;
    return bigEndian(length) + body
           + bigEndian(quint32(::crc32(0, reinterpret_cast<const Bytef *>(body.constData()),
                                       uInt(body.size()))));
}

// A PNG the toolkit will not write: any bit depth and colour type, rows of raw samples, and
// one more chunk after the pixels whose declared length may lie.
QByteArray craftedPng(QSize size, int depth, int colourType, const QByteArray &samples,
                      const char *extraType = "tEXt", const QByteArray &extra = QByteArray(),
                      qint64 extraLength = -1)
{
    const QByteArray header = bigEndian(quint32(size.width())) + bigEndian(quint32(size.height()))
                              + char(depth) + char(colourType) + QByteArray(3, 0);
    const QByteArray pixels = qCompress(samples).mid(4); // a zlib stream without Qt's length
    QByteArray bytes = QByteArray("\x89PNG\r\n\x1a\n") + pngChunk("IHDR", header, 13)
                       + pngChunk("IDAT", pixels, quint32(pixels.size()));
    if (extraLength >= 0)
        bytes += pngChunk(extraType, extra, quint32(extraLength));
    return bytes + pngChunk("IEND", QByteArray(), 0);
}

// A GIF of one frame with a w x h screen and a 1 x 1 frame of index 1; the colour table is
// global, or the frame's own when local.
QByteArray gif(int w, int h, int colours, bool local)
{
    QByteArray table;
    for (int i = 0; i < colours; ++i)
        table += i == 1 ? QByteArray("\xff\0\0", 3) : QByteArray(3, char(i));
    const char flags = char(0x80 | (qCountTrailingZeroBits(uint(colours)) - 1));
    QByteArray bytes("GIF89a");
    const char screen[] = {char(w & 0xff), char(w >> 8), char(h & 0xff), char(h >> 8)};
    bytes += QByteArray(screen, 4);
    bytes += local ? QByteArray(3, 0) : char(flags) + QByteArray(2, 0) + table;
    bytes += QByteArray("\x2c\0\0\0\0\x01\0\x01\0", 9);
    bytes += local ? char(flags) + table : QByteArray(1, 0);
    // LZW minimum code size 2: clear, 1, end of information.
    return bytes + QByteArray("\x02\x02\x4c\x01\0\x3b", 6);
}

} // namespace

class tst_ImageLoader : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void matchesAFullDecode_data();
    void matchesAFullDecode();
    void undecodableFilesGiveNothing_data();
    void undecodableFilesGiveNothing();

private:
    QString file(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

void tst_ImageLoader::initTestCase()
{
    QVERIFY(dir.isValid());
}

void tst_ImageLoader::matchesAFullDecode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<int>("degrees"); // -1: best fit
    QTest::addColumn<bool>("turned");
    QTest::addColumn<int>("colours");

    const QSize phone(240, 320), box(240, 300), preview(80, 60);
    QTest::newRow("best fit turns") << photo(640, 480) << box << -1 << true << 0;
    QTest::newRow("270") << photo(640, 480) << phone << 270 << true << 0;
    QTest::newRow("thin strip") << photo(4000, 30) << phone << 0 << false << 0;
    QTest::newRow("truncation") << photo(1000, 333) << phone << 0 << false << 0;
    QTest::newRow("orientation 6, best fit")
            << photo(1600, 1200, 6) << QSize(320, 240) << -1 << true << 0;
    QTest::newRow("orientation 3") << photo(1600, 1200, 3) << phone << 0 << false << 0;
    QTest::newRow("orientation 8") << photo(1600, 1200, 8) << phone << 0 << false << 0;

    // Every kind is converted to 32 bits before it is scaled, so no colour is quantised again.
    QImage red(400, 300, QImage::Format_Mono);
    red.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 0)});
    red.fill(0);
    QTest::newRow("1-bit red") << encoded(red, "png") << preview << 0 << false << 2;
    // Stripes of every grey level the depth holds, a little off the scaling grid.
    QByteArray samples;
    for (int y = 0; y < 150; ++y)
        samples += char(0) + QByteArray(63, char(y * 7 / 3 % 256));
    QTest::newRow("2-bit grey") << craftedPng(QSize(252, 150), 2, 0, samples) << preview << 0
                                << false << 4;
    QImage palette(300, 200, QImage::Format_Indexed8);
    QImage deep(300, 200, QImage::Format_RGBA64);
    palette.setColorTable({qRgba(0, 0, 0, 0), qRgba(255, 0, 0, 255), qRgba(0, 0, 255, 128),
                           qRgb(0, 255, 0), qRgb(255, 255, 0)});
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) {
            palette.setPixel(x, y, uint((x / 3 + y / 5) % 5));
            deep.setPixelColor(x, y, QColor::fromRgba64(x * 218, y * 327, 40000, (x + y) * 130));
        }
    }
    QTest::newRow("palette with transparency")
            << encoded(palette, "png") << preview << 0 << false << 5;
    QTest::newRow("16-bit with alpha") << encoded(deep, "png") << preview << 0 << false << 0;
    QTest::newRow("gif, global table") << gif(1, 1, 4, false) << preview << 0 << false << 4;
    QTest::newRow("gif, local table") << gif(1, 1, 8, true) << preview << 0 << false << 8;
    // The decoder allocates the whole screen for its one-pixel frame.
    QTest::newRow("gif screen over its frame")
            << gif(2000, 1500, 2, false) << preview << 0 << false << 2;
}

void tst_ImageLoader::matchesAFullDecode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, box);
    QFETCH(int, degrees);
    QFETCH(bool, turned);
    QFETCH(int, colours);

    const QString path = file(QStringLiteral("picture"));
    QVERIFY(writeFile(path, bytes));
    ImageLoader loader;
    loader.load(path);
    // A later, larger request starts from the file again, not from this small copy.
    loader.fittedImage(8, 8);
    bool rotated = degrees > 0;
    const QImage *image = degrees < 0 ? loader.bestFitImage(box.width(), box.height(), rotated)
                                      : loader.rotatedImage(box.width(), box.height(), degrees);
    QVERIFY(image && !image->isNull());
    QCOMPARE(rotated, turned);
    QCOMPARE(image->depth(), 32);
    QCOMPARE(loader.colorCount(), colours);

    // The same picture made the plain way: the whole file decoded upright, scaled, turned.
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage full = reader.read().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(QSize(loader.width(), loader.height()), full.size());
    const int turn = degrees < 0 ? (turned ? 90 : 0) : degrees;
    const QSize fitBox = turn % 180 ? box.transposed() : box;
    // Never enlarged.
    const double s = std::min(
            {1.0, double(fitBox.width()) / full.width(), double(fitBox.height()) / full.height()});
    const QImage reference = full.scaled(int(s * full.width()), int(s * full.height()),
                                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                     .transformed(QTransform().rotate(turn));
    QCOMPARE(image->size(), reference.size());
    QVERIFY(TestUtil::meanDifference(*image, reference) < (bytes.startsWith("\xff\xd8") ? 16 : 2));
}

void tst_ImageLoader::undecodableFilesGiveNothing_data()
{
    QTest::addColumn<QString>("name"); // empty: no file at all
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("loadedWidth");
    QImage grey(300, 200, QImage::Format_RGB32);
    grey.fill(Qt::gray);

    QTest::newRow("zero bytes") << "empty.jpg" << QByteArray() << 0;
    QTest::newRow("missing file") << "" << QByteArray() << 0;
    QTest::newRow("fifo") << "pipe.jpg" << QByteArray() << 0; // opening it would wait
    // Whole header, pixels damaged: the failure shows only at decoding.
    QByteArray png = encoded(grey, "png");
    png[png.indexOf("IDAT") + 8] = 'x';
    QTest::newRow("damaged png") << "bad.png" << png << 300;
    // SOF0: marker, length (2), precision (1), height (2), width (2); 60000 each way.
    QByteArray huge = photo(16, 16);
    const int frame = int(huge.indexOf(QByteArray("\xff\xc0", 2)));
    huge.replace(frame + 5, 4, QByteArray("\xea\x60\xea\x60", 4));
    QTest::newRow("absurd size") << "huge.jpg" << huge << 0;
    // Progressive: its decode keeps every coefficient, whatever the scale asked for.
    QByteArray progressive;
    QBuffer buffer(&progressive);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && writer.write(grey));
    const int scans = int(progressive.indexOf(QByteArray("\xff\xc2", 2)));
    progressive.replace(scans + 5, 4, QByteArray("\x3f\xff\x40\x00", 4));
    QTest::newRow("progressive bomb") << "bomb.jpg" << progressive << 0;
    // libjpeg passes over stray and fill bytes on its way to a marker.
    QTest::newRow("progressive bomb, a stray byte before its frame")
            << "bomb.jpg" << QByteArray(progressive).insert(scans, 'x') << 0;
    QTest::newRow("progressive bomb, 300 KB of fill")
            << "bomb.jpg" << QByteArray(progressive).insert(scans, QByteArray(300 << 10, '\xff'))
            << 0;
    // Text and other side chunks declaring 2 GB in a file of a few bytes.
    for (const char *type : {"tEXt", "zTXt", "iTXt", "pCAL", "sCAL", "sPLT"}) {
        QTest::addRow("png %s claims 2 GB", type)
                << "claims.png"
                << craftedPng(QSize(1, 1), 8, 0, QByteArray(2, 0), type, {}, 0x7ffffff0) << 0;
    }
    // 937 KB of text chunks, each inflating to 8 MB.
    const QByteArray deflated
            = QByteArray("Comment\0\0", 9) + qCompress(QByteArray(8 << 20, 'a'), 9).mid(4);
    QTest::newRow("png, 120 compressed text chunks on one pixel")
            << "inflating.png"
            << craftedPng(QSize(1, 1), 8, 0, QByteArray(2, 0))
                       .insert(33, pngChunk("zTXt", deflated, deflated.size()).repeated(120))
            << 0;
    // Content that the image plugins read but that is none of our formats.
    const QByteArray mng
            = "\x8aMNG\r\n\x1a\n"
              + pngChunk("MHDR", QByteArray(28, 0).replace(3, 1, "\1").replace(7, 1, "\1"), 28)
              + craftedPng(QSize(1, 1), 8, 0, QByteArray(2, 0)).mid(8)
              + pngChunk("MEND", QByteArray(), 0);
    QTest::newRow("mng named .jpg") << "animation.jpg" << mng << 0;
    QTest::newRow("icon named .png") << "icon.png" << encoded(grey, "ico") << 0;
    const QByteArray text(3 << 20, 'x');
    QTest::newRow("png, 3 MB of text on one pixel")
            << "chatty.png"
            << craftedPng(QSize(1, 1), 8, 0, QByteArray(2, 0), "tEXt", text, text.size()) << 0;
}

void tst_ImageLoader::undecodableFilesGiveNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, loadedWidth);
    const QString path = file(name.isEmpty() ? QStringLiteral("does-not-exist.png") : name);
    if (QByteArray(QTest::currentDataTag()) == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    else if (!name.isEmpty())
        QVERIFY(writeFile(path, bytes));
    ImageLoader loader;
    loader.load(path);
    QCOMPARE(loader.width(), loadedWidth);
    const QImage *image = loader.fittedImage(240, 320);
    QVERIFY(image && image->isNull());
    QCOMPARE(QSize(loader.width(), loader.height()), QSize(0, 0));
}

PICTARN_TEST(tst_ImageLoader)
#include "tst_imageloader.moc"
