#include "common/testmain.h"
#include "common/testutil.h"

#include "viewer/imageloader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

#include <algorithm>

namespace {

// A picture whose four quarters have clearly different colours, so that any turn or mirror
// shows in its corners.
QImage quarters(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, w / 2, h / 2, Qt::red);
    painter.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
    painter.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
    painter.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::white);
    return image;
}

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

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffff;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320 & (0u - (crc & 1)));
    }
    return ~crc;
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
    return bigEndian(length) + body + bigEndian(crc32(body));
}

// A PNG the toolkit will not write: any bit depth and colour type, rows of raw samples, and
// one more chunk after the pixels whose declared length may lie.
QByteArray craftedPng(QSize size, int depth, int colourType, const QByteArray &samples,
                      const char *extraType = "tEXt", const QByteArray &extra = QByteArray(),
                      qint64 extraLength = -1)
{
    QByteArray header = bigEndian(quint32(size.width())) + bigEndian(quint32(size.height()));
    header += char(depth);
    header += char(colourType);
    header += QByteArray(3, 0);
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
    bytes += char(w & 0xff);
    bytes += char(w >> 8);
    bytes += char(h & 0xff);
    bytes += char(h >> 8);
    bytes += local ? QByteArray(3, 0) : char(flags) + QByteArray(2, 0) + table;
    bytes += QByteArray("\x2c\0\0\0\0\x01\0\x01\0", 9);
    bytes += local ? char(flags) + table : QByteArray(1, 0);
    // LZW minimum code size 2: clear, 1, end of information.
    return bytes + QByteArray("\x02\x02\x4c\x01\0\x3b", 6);
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 60 && qAbs(qGreen(a) - qGreen(b)) < 60
           && qAbs(qBlue(a) - qBlue(b)) < 60;
}

// Mean absolute difference per channel, alpha included, between two images of one size.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q))
                   + qAbs(qAlpha(p) - qAlpha(q));
        }
    }
    return double(sum) / (4.0 * x.width() * x.height());
}

} // namespace

class tst_ImageLoader : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fitsTheBox_data();
    void fitsTheBox();
    void turnsPixelsAsTheTableSays_data();
    void turnsPixelsAsTheTableSays();
    void reducedDecodingMatchesFullDecoding_data();
    void reducedDecodingMatchesFullDecoding();
    void scalesEveryKindOfPicture_data();
    void scalesEveryKindOfPicture();
    void undecodableFilesGiveNothing_data();
    void undecodableFilesGiveNothing();
    void everyRequestStartsFromTheFile();

private:
    QString file(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

void tst_ImageLoader::initTestCase()
{
    QVERIFY(dir.isValid());
}

void tst_ImageLoader::fitsTheBox_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("degrees");
    QTest::addColumn<QSize>("expected");
    QTest::addColumn<bool>("turned");

    const QSize phone(240, 320);
    QTest::newRow("small kept") << QSize(100, 50) << phone << "fit" << 0 << QSize(100, 50) << false;
    QTest::newRow("small kept, best fit")
            << QSize(100, 50) << phone << "best" << 0 << QSize(100, 50) << false;
    QTest::newRow("full width kept")
            << QSize(240, 100) << phone << "fit" << 0 << QSize(240, 100) << false;
    QTest::newRow("best fit turns")
            << QSize(640, 480) << QSize(240, 300) << "best" << 0 << QSize(225, 300) << true;
    QTest::newRow("plain fit upright")
            << QSize(640, 480) << QSize(240, 300) << "fit" << 0 << QSize(240, 180) << false;
    QTest::newRow("square stays upright")
            << QSize(500, 500) << QSize(240, 300) << "best" << 0 << QSize(240, 240) << false;
    QTest::newRow("tall photo stays upright")
            << QSize(480, 640) << QSize(240, 300) << "best" << 0 << QSize(225, 300) << false;
    QTest::newRow("quarter turn into turned box")
            << QSize(640, 480) << phone << "rotated" << 90 << QSize(240, 320) << true;
    QTest::newRow("three quarters")
            << QSize(640, 480) << phone << "rotated" << 270 << QSize(240, 320) << true;
    QTest::newRow("half turn keeps box")
            << QSize(640, 480) << phone << "rotated" << 180 << QSize(240, 180) << true;
    QTest::newRow("no turn") << QSize(640, 480) << phone << "rotated" << 0 << QSize(240, 180)
                             << false;
    QTest::newRow("small indexed, turned")
            << QSize(100, 50) << phone << "rotated" << 90 << QSize(50, 100) << true;
    QTest::newRow("large indexed")
            << QSize(400, 200) << phone << "fit" << 0 << QSize(240, 120) << false;
    QTest::newRow("truncation") << QSize(1000, 333) << phone << "fit" << 0 << QSize(240, 79)
                                << false;
}

void tst_ImageLoader::fitsTheBox()
{
    QFETCH(QSize, imageSize);
    QFETCH(QSize, box);
    QFETCH(QString, call);
    QFETCH(int, degrees);
    QFETCH(QSize, expected);
    QFETCH(bool, turned);

    const bool indexed = QByteArray(QTest::currentDataTag()).contains("indexed");
    QImage source = quarters(imageSize.width(), imageSize.height());
    if (indexed)
        source.convertTo(QImage::Format_Indexed8);
    const QString path = file(QStringLiteral("fit.png"));
    QVERIFY(source.save(path));
    ImageLoader loader;
    loader.load(path);
    QCOMPARE(loader.width(), imageSize.width());
    QCOMPARE(loader.height(), imageSize.height());

    QImage *image = nullptr;
    bool rotated = false;
    if (call == QLatin1String("fit")) {
        image = loader.fittedImage(box.width(), box.height());
    } else if (call == QLatin1String("best")) {
        image = loader.bestFitImage(box.width(), box.height(), rotated);
    } else {
        image = loader.rotatedImage(box.width(), box.height(), degrees);
        rotated = degrees != 0;
    }
    QVERIFY(image);
    QCOMPARE(image->size(), expected);
    QCOMPARE(rotated, turned);
    QCOMPARE(image->depth(), 32);
    QCOMPARE(loader.colorCount(), indexed ? 4 : 0);
    // Width and height stay the full image's whatever was handed out.
    QCOMPARE(loader.width(), imageSize.width());

    // The source's red top-left quarter lands where the turn puts it.
    const int right = image->width() - 1;
    const int bottom = image->height() - 1;
    const QPoint redCorner = !turned                                          ? QPoint(0, 0)
                             : call == QLatin1String("best") || degrees == 90 ? QPoint(right, 0)
                             : degrees == 180 ? QPoint(right, bottom)
                                              : QPoint(0, bottom);
    QVERIFY(near(image->pixel(redCorner), qRgb(255, 0, 0)));
    // Kept at its size, it is not resampled: every pixel is the file's own.
    if (expected == imageSize)
        QCOMPARE(image->convertToFormat(QImage::Format_RGB32),
                 quarters(expected.width(), expected.height()));
    loader.release();
}

void tst_ImageLoader::turnsPixelsAsTheTableSays_data()
{
    QTest::addColumn<bool>("indexed");
    QTest::addColumn<int>("degrees");
    for (bool indexed : {true, false}) {
        for (int degrees : {90, 180, 270})
            QTest::addRow("%s %d", indexed ? "8-bit" : "32-bit", degrees) << indexed << degrees;
    }
}

void tst_ImageLoader::turnsPixelsAsTheTableSays()
{
    QFETCH(bool, indexed);
    QFETCH(int, degrees);

    // A 3 x 2 image with six different pixels.
    QImage source(3, 2, indexed ? QImage::Format_Indexed8 : QImage::Format_ARGB32);
    const QList<QRgb> colours = {qRgb(255, 0, 0),         qRgb(0, 255, 0),   qRgb(0, 0, 255),
                                 qRgba(255, 255, 0, 128), qRgb(0, 255, 255), qRgb(10, 20, 30)};
    if (indexed)
        source.setColorTable(colours);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            if (indexed)
                source.setPixel(x, y, uint(y * 3 + x));
            else
                source.setPixel(x, y, colours[y * 3 + x]);
        }
    }

    ImageLoader loader;
    const QImage *image = loader.rotateImage(source, degrees);
    QVERIFY(image);
    QCOMPARE(image->format(), source.format());
    QCOMPARE(image->size(), degrees == 180 ? QSize(3, 2) : QSize(2, 3));
    if (indexed) {
        QCOMPARE(image->colorTable(), colours);
    }
    const int w = 3;
    const int h = 2;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QPoint to = degrees == 90    ? QPoint(h - 1 - y, x)
                              : degrees == 180 ? QPoint(w - 1 - x, h - 1 - y)
                                               : QPoint(y, w - 1 - x);
            QCOMPARE(image->pixel(to), source.pixel(x, y));
        }
    }
    loader.release();
}

void tst_ImageLoader::reducedDecodingMatchesFullDecoding_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<bool>("bestFit");

    QTest::newRow("1600x1200 in 240x290") << QSize(1600, 1200) << 1 << QSize(240, 290) << false;
    QTest::newRow("1600x1200 best fit") << QSize(1600, 1200) << 1 << QSize(240, 320) << true;
    QTest::newRow("1001x751 thumbnail") << QSize(1001, 751) << 1 << QSize(80, 60) << false;
    QTest::newRow("333x1000 in 240x320") << QSize(333, 1000) << 1 << QSize(240, 320) << false;
    QTest::newRow("2048x1536 zoom 1:3") << QSize(2048, 1536) << 1 << QSize(682, 512) << false;
    QTest::newRow("4000x30 strip") << QSize(4000, 30) << 1 << QSize(240, 320) << false;
    QTest::newRow("250x250 just over") << QSize(250, 250) << 1 << QSize(240, 320) << true;
    QTest::newRow("orientation 6") << QSize(1600, 1200) << 6 << QSize(240, 320) << false;
    QTest::newRow("orientation 6, thumbnail") << QSize(1001, 751) << 6 << QSize(80, 60) << false;
    QTest::newRow("orientation 6, best fit") << QSize(1600, 1200) << 6 << QSize(320, 240) << true;
    QTest::newRow("orientation 6, full size") << QSize(40, 30) << 6 << QSize(240, 320) << false;
    QTest::newRow("orientation 6, wide box") << QSize(1600, 1200) << 6 << QSize(80, 60) << false;
    QTest::newRow("orientation 3") << QSize(1600, 1200) << 3 << QSize(240, 320) << false;
    QTest::newRow("orientation 3, full size") << QSize(40, 30) << 3 << QSize(240, 320) << false;
    QTest::newRow("orientation 8") << QSize(1600, 1200) << 8 << QSize(240, 320) << false;
}

void tst_ImageLoader::reducedDecodingMatchesFullDecoding()
{
    QFETCH(QSize, imageSize);
    QFETCH(int, orientation);
    QFETCH(QSize, box);
    QFETCH(bool, bestFit);

    // Fine stripes, different along each axis, and a gradient: a picture resampled through a
    // wrongly shaped intermediate size, or left in the file's orientation, no longer matches.
    QImage source(imageSize, QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y,
                            qRgb((x / 6) % 2 * 200, (y / 6) % 2 * 200, x * 255 / source.width()));
    }
    QByteArray bytes = encoded(source);
    bytes.insert(2, exifOrientation(orientation));
    const QString path = file(QStringLiteral("plain.jpg"));
    QVERIFY(writeFile(path, bytes));

    ImageLoader loader;
    loader.load(path);
    bool turned = false;
    const QImage *image = bestFit ? loader.bestFitImage(box.width(), box.height(), turned)
                                  : loader.fittedImage(box.width(), box.height());
    QVERIFY(image);

    // The same picture made the plain way: the whole file decoded upright, then scaled.
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage full = reader.read();
    QCOMPARE(QSize(loader.width(), loader.height()), full.size());
    const QSize boxForFit = turned ? box.transposed() : box;
    // Never enlarged.
    const double s = std::min({1.0, double(boxForFit.width()) / full.width(),
                               double(boxForFit.height()) / full.height()});
    const QSize size(int(s * full.width()), int(s * full.height()));
    QImage reference = full.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (turned)
        reference = reference.transformed(QTransform().rotate(90));
    QCOMPARE(image->size(), reference.size());
    const double difference = meanDifference(*image, reference);
    QVERIFY2(difference < 16.0, qPrintable(QString::number(difference)));
    loader.release();
}

void tst_ImageLoader::scalesEveryKindOfPicture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<int>("colours");

    QImage red(400, 300, QImage::Format_Mono);
    red.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 0)});
    red.fill(0);
    QTest::newRow("1-bit red") << encoded(red, "png") << red.size() << QSize(240, 320) << 2;
    QTest::newRow("1-bit red preview") << encoded(red, "png") << red.size() << QSize(80, 60) << 2;
    // Stripes of every grey level the depth holds, a little off the scaling grid.
    for (const int depth : {2, 4}) {
        QByteArray samples;
        for (int y = 0; y < 150; ++y)
            samples += char(0) + QByteArray(252 * depth / 8, char(y * 7 / 3 % 256));
        QTest::addRow("%d-bit grey", depth) << craftedPng(QSize(252, 150), depth, 0, samples)
                                            << QSize(252, 150) << QSize(80, 60) << (1 << depth);
    }
    QImage palette(300, 200, QImage::Format_Indexed8);
    palette.setColorTable({qRgba(0, 0, 0, 0), qRgba(255, 0, 0, 255), qRgba(0, 0, 255, 128),
                           qRgb(0, 255, 0), qRgb(255, 255, 0)});
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x)
            palette.setPixel(x, y, uint((x / 3 + y / 5) % 5));
    }
    QTest::newRow("palette with transparency")
            << encoded(palette, "png") << palette.size() << QSize(80, 60) << 5;
    QImage deep(300, 200, QImage::Format_RGBA64);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x)
            deep.setPixelColor(x, y, QColor::fromRgba64(x * 218, y * 327, 40000, (x + y) * 130));
    }
    QTest::newRow("16-bit with alpha") << encoded(deep, "png") << deep.size() << QSize(80, 60) << 0;
    QTest::newRow("gif, global table") << gif(1, 1, 4, false) << QSize(1, 1) << QSize(80, 60) << 4;
    QTest::newRow("gif, local table") << gif(1, 1, 8, true) << QSize(1, 1) << QSize(80, 60) << 8;
    // The decoder allocates the whole screen for its one-pixel frame.
    QTest::newRow("gif screen over its frame")
            << gif(2000, 1500, 2, false) << QSize(2000, 1500) << QSize(80, 60) << 2;
}

void tst_ImageLoader::scalesEveryKindOfPicture()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QFETCH(QSize, box);
    QFETCH(int, colours);

    const QString path = file(QStringLiteral("kind"));
    QVERIFY(writeFile(path, bytes));
    ImageLoader loader;
    loader.load(path);
    QCOMPARE(QSize(loader.width(), loader.height()), size);
    const QImage *image = loader.fittedImage(box.width(), box.height());
    QVERIFY(image && !image->isNull());

    // Converted to 32 bits first, then scaled: no colour is quantised again.
    const QImage reference
            = QImageReader(path)
                      .read()
                      .convertToFormat(QImage::Format_ARGB32)
                      .scaled(image->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double difference = meanDifference(*image, reference);
    QVERIFY2(difference < 2.0, qPrintable(QString::number(difference)));
    QCOMPARE(loader.colorCount(), colours);
    loader.release();
}

void tst_ImageLoader::undecodableFilesGiveNothing_data()
{
    QTest::addColumn<QString>("name"); // empty: no file at all
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("declared"); // what the header claims, when checked
    QTest::addColumn<int>("loadedWidth");

    QTest::newRow("zero bytes") << "empty.jpg" << QByteArray() << QSize() << 0;
    QTest::newRow("text named jpg") << "text.jpg" << QByteArray("not a picture\n") << QSize() << 0;
    QTest::newRow("jpeg start only")
            << "start.jpg" << QByteArray("\xff\xd8\xff\xe0\0\x10JFIF", 10) << QSize() << 0;
    QTest::newRow("missing file") << "" << QByteArray() << QSize() << 0;
    QTest::newRow("fifo") << "pipe.jpg" << QByteArray() << QSize() << 0; // opening it would wait
    // Whole header, pixels damaged: the failure shows only at decoding.
    QByteArray png = encoded(quarters(300, 200), "png");
    png[png.indexOf("IDAT") + 8] = 'x';
    QTest::newRow("damaged png") << "bad.png" << png << QSize(300, 200) << 300;
    // SOF0: marker, length (2), precision (1), height (2), width (2); 60000 each way.
    QByteArray huge = encoded(quarters(16, 16));
    const int frame = int(huge.indexOf(QByteArray("\xff\xc0", 2)));
    huge.replace(frame + 5, 4, QByteArray("\xea\x60\xea\x60", 4));
    QTest::newRow("absurd size") << "huge.jpg" << huge << QSize(60000, 60000) << 0;
    // Progressive: its decode keeps every coefficient, whatever the scale asked for.
    QByteArray progressive;
    QBuffer buffer(&progressive);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && writer.write(quarters(16, 16)));
    progressive.replace(progressive.indexOf(QByteArray("\xff\xc2", 2)) + 5, 4,
                        QByteArray("\x3f\xff\x40\x00", 4));
    QTest::newRow("progressive bomb") << "bomb.jpg" << progressive << QSize(16384, 16383) << 0;
    // Text and other side chunks declaring 2 GB in a file of a few bytes.
    for (const char *type : {"tEXt", "zTXt", "iTXt", "pCAL", "sCAL", "sPLT"}) {
        QTest::addRow("png %s claims 2 GB", type)
                << "claims.png"
                << craftedPng(QSize(1, 1), 8, 0, QByteArray(2, 0), type, {}, 0x7ffffff0)
                << QSize(1, 1) << 0;
    }
    const QByteArray text(3 << 20, 'x');
    QTest::newRow("png, 3 MB of text on one pixel")
            << "chatty.png"
            << craftedPng(QSize(1, 1), 8, 0, QByteArray(2, 0), "tEXt", text, text.size())
            << QSize(1, 1) << 0;
}

void tst_ImageLoader::undecodableFilesGiveNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, declared);
    QFETCH(int, loadedWidth);

    const QString path = file(name.isEmpty() ? QStringLiteral("does-not-exist.png") : name);
    if (QByteArray(QTest::currentDataTag()) == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    else if (!name.isEmpty())
        QVERIFY(writeFile(path, bytes));
    if (declared.isValid())
        QCOMPARE(QImageReader(path).size(), declared);
    ImageLoader loader;
    loader.load(path);
    QCOMPARE(loader.width(), loadedWidth);
    const QImage *image = loader.fittedImage(240, 320);
    QVERIFY(image && image->isNull());
    QCOMPARE(loader.width(), 0);
    QCOMPARE(loader.height(), 0);
    bool turned = true;
    image = loader.bestFitImage(240, 320, turned);
    QVERIFY(image && image->isNull());
    QVERIFY(!turned);
    image = loader.rotatedImage(240, 320, 90);
    QVERIFY(image && image->isNull());
    loader.release();
}

void tst_ImageLoader::everyRequestStartsFromTheFile()
{
    ImageLoader loader;
    QCOMPARE(loader.width(), 0);
    QVERIFY(!loader.fittedImage(240, 320));
    QVERIFY(!loader.bestFitImage(240, 320));

    const QString path = file(QStringLiteral("again.png"));
    const QImage source = quarters(640, 480);
    QVERIFY(source.save(path));
    loader.load(path);
    QCOMPARE(loader.fittedImage(80, 60)->size(), QSize(80, 60));
    // A larger request after a small one is not an enlargement of the small copy.
    const QImage *image = loader.fittedImage(640, 480);
    QCOMPARE(image->size(), QSize(640, 480));
    QCOMPARE(image->convertToFormat(QImage::Format_RGB32), source);
    loader.release();
    QVERIFY(!loader.rotatedImage(240, 320, 90));
}

PICTARN_TEST(tst_ImageLoader)
#include "tst_imageloader.moc"
