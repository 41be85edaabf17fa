#include "common/testmain.h"
#include "common/testutil.h"

#include "browse/imagefiles.h"
#include "viewer/imageloader.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <array>

namespace {

// Four flat quarters, so that a turn or a mirror shows; the alpha one fades to the right.
QImage quarters(bool alpha)
{
    QImage image(160, 120, QImage::Format_ARGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, 80, 60, QColor(220, 30, 30));
    painter.fillRect(80, 0, 80, 60, QColor(30, 200, 40));
    painter.fillRect(0, 60, 80, 60, QColor(40, 50, 210));
    painter.fillRect(80, 60, 80, 60, QColor(240, 240, 240));
    painter.end();
    for (int y = 0; alpha && y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (image.pixel(x, y) & 0xffffff) | uint(255 - x / 2) << 24);
    }
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 98);
    return bytes;
}

// An APP1 Exif segment holding only the Orientation tag, put right after the JPEG's SOI.
QByteArray withOrientation(QByteArray jpeg, int orientation)
{
    QByteArray tiff("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\0\0\0\0\0\0\0", 26);
    tiff[19] = char(orientation);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    return jpeg.insert(2, QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff)
                                  + payload);
}

// A DNG of 64 x 64 black sensor samples whose 160 x 120 preview is the given JPEG, turned as
// a camera held upright records it (TIFF orientation 6). Every value fits in its entry.
QByteArray dng(const QByteArray &jpeg)
{
    using Ifd = QList<std::array<quint32, 4>>; // tag, type, count, value or offset
    const quint32 sensor = 8 + 2 + 15 * 12 + 4, make = sensor + 2 + 11 * 12 + 4;
    const quint32 jpegAt = make + 8, samplesAt = jpegAt + quint32(jpeg.size());
    const Ifd preview{{254, 4, 1, 1},      {256, 4, 1, 160},      {257, 4, 1, 120},
                      {258, 3, 1, 8},      {259, 3, 1, 7},        {262, 3, 1, 6},
                      {271, 2, 6, make},   {272, 2, 4, 0x534f45}, {273, 4, 1, jpegAt},
                      {274, 3, 1, 6},      {277, 3, 1, 3},        {279, 4, 1, quint32(jpeg.size())},
                      {330, 4, 1, sensor}, {50706, 1, 4, 0x401},  {50708, 2, 4, 0x747354}};
    const Ifd samples{{254, 4, 1, 0},           {256, 4, 1, 64},       {257, 4, 1, 64},
                      {258, 3, 1, 16},          {259, 3, 1, 1},        {262, 3, 1, 32803},
                      {273, 4, 1, samplesAt},   {277, 3, 1, 1},        {278, 4, 1, 64},
                      {279, 4, 1, 64 * 64 * 2}, {33421, 3, 2, 0x20002}};
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0x4949) << quint16(42) << quint32(8);
    for (const Ifd &ifd : {preview, samples}) {
        out << quint16(ifd.size());
        for (const auto &entry : ifd)
            out << quint16(entry[0]) << quint16(entry[1]) << entry[2] << entry[3];
        out << quint32(0);
    }
    return bytes + QByteArray("Canon\0\0\0", 8) + jpeg + QByteArray(64 * 64 * 2, 0);
}

const char svg[] = "<svg xmlns='http://www.w3.org/2000/svg' width='160' height='120'>"
                   "<rect width='80' height='60' fill='#dc1e1e'/>"
                   "<rect x='80' width='80' height='60' fill='#1ec828'/>"
                   "<rect y='60' width='80' height='60' fill='#2832d2'/>"
                   "<rect x='80' y='60' width='80' height='60' fill='#f0f0f0'/></svg>";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class tst_Formats : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void decodesUpright_data();
    void decodesUpright();
    void storedThumbnails();
    void damagedFilesGiveNothing_data();
    void damagedFilesGiveNothing();
    void svgTextShows_data();
    void svgTextShows();

private:
    // Makes name from the source picture with the tool; skips the row when either is missing.
    QString make(const QString &name, const QString &source, QStringList command);
    QString file(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

void tst_Formats::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(file("plain.png"), encoded(quarters(false), "png")));
    QVERIFY(writeFile(file("alpha.png"), encoded(quarters(true), "png")));
    QVERIFY(writeFile(file("turned.jpg"), withOrientation(encoded(quarters(false), "jpg"), 6)));
    QVERIFY(writeFile(file("quarters.svg"), svg));
    QVERIFY(writeFile(file("camera.dng"), dng(encoded(quarters(false), "jpg"))));
    // Opaque (a PPM): libjxl gives no DC image of a frame with an alpha channel.
    QVERIFY(quarters(false).scaled(1280, 960).save(file("large.ppm")));
}

QString tst_Formats::make(const QString &name, const QString &source, QStringList command)
{
    const QString path = file(name);
    if (command.isEmpty() || QFile::exists(path))
        return QFile::exists(path) ? path : QString();
    const QString tool = QStandardPaths::findExecutable(command.takeFirst());
    if (tool.isEmpty())
        return QString();
    command.replaceInStrings(QStringLiteral("IN"), file(source));
    command.replaceInStrings(QStringLiteral("OUT"), path);
    QProcess process;
    process.start(tool, command);
    return process.waitForFinished(60000) && process.exitCode() == 0 ? path : QString();
}

void tst_Formats::decodesUpright_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("command"); // empty: written by initTestCase
    QTest::addColumn<int>("turn");
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<double>("tolerance");

    const QStringList heifEnc{"heif-enc", "-q", "95", "IN", "-o", "OUT"};
    const QStringList avifEnc{"avifenc", "-s", "9", "--min", "0", "--max", "4", "IN", "OUT"};
    const QStringList cjxl{"cjxl", "-e", "1", "-d", "0", "IN", "OUT"};
    QTest::newRow("heic") << "plain.heic"
                          << "plain.png" << heifEnc << 0 << false << 4.0;
    QTest::newRow("heic alpha") << "alpha.heic"
                                << "alpha.png" << heifEnc << 0 << false << 4.0;
    QTest::newRow("heic thumbnail")
            << "thumb.heic"
            << "plain.png" << QStringList{"heif-enc", "-t", "100", "IN", "-o", "OUT"} << 0 << false
            << 6.0;
    QTest::newRow("avif") << "plain.avif"
                          << "plain.png" << avifEnc << 0 << false << 4.0;
    QTest::newRow("avif alpha") << "alpha.avif"
                                << "alpha.png" << avifEnc << 0 << false << 4.0;
    QTest::newRow("avif turned") << "turned.avif"
                                 << "plain.png"
                                 << QStringList{"avifenc", "--irot", "1", "IN", "OUT"} << 270
                                 << false << 4.0;
    QTest::newRow("avif mirrored")
            << "mirrored.avif"
            << "plain.png" << QStringList{"avifenc", "--imir", "1", "IN", "OUT"} << 0 << true
            << 4.0;
    QTest::newRow("jxl") << "plain.jxl"
                         << "plain.png" << cjxl << 0 << false << 1.0;
    QTest::newRow("jxl alpha") << "alpha.jxl"
                               << "alpha.png" << cjxl << 0 << false << 1.0;
    QTest::newRow("jxl turned") << "turned.jxl"
                                << "turned.jpg" << cjxl << 90 << false << 3.0;
    // 80 x 60 is a sixteenth: fitted from the DC image where the file has one.
    QTest::newRow("jxl fitted from its DC image")
            << "large.jxl"
            << "large.ppm" << QStringList{"cjxl", "-d", "1", "IN", "OUT"} << 0 << false << 2.0;
    QTest::newRow("svg") << "quarters.svg"
                         << "" << QStringList() << 0 << false << 1.0;
    QTest::newRow("dng preview") << "camera.dng"
                                 << "" << QStringList() << 90 << false << 3.0;
    QTest::newRow("png 16-bit, a transparent colour")
            << "keyed.png"
            << "plain.png"
            << QStringList{"convert", "IN", "-depth", "16", "-transparent", "#1ec828", "PNG48:OUT"}
            << 0 << false << 1.0;
    // Endings that lie: the content decides.
    QTest::newRow("png called heic")
            << "png.heic"
            << "plain.png" << QStringList{"cp", "IN", "OUT"} << 0 << false << 0.0;
    QTest::newRow("heic called jpg")
            << "heic.jpg"
            << "plain.heic" << QStringList{"cp", "IN", "OUT"} << 0 << false << 4.0;
    QTest::newRow("tiff called dng")
            << "tiff.dng"
            << "plain.png" << QStringList{"convert", "IN", "tiff:OUT"} << 0 << false << 0.0;
}

void tst_Formats::decodesUpright()
{
    QFETCH(QString, name);
    QFETCH(QString, source);
    QFETCH(QStringList, command);
    QFETCH(int, turn);
    QFETCH(bool, mirror);
    QFETCH(double, tolerance);

    const QString path = make(name, source, command);
    if (path.isEmpty())
        QSKIP(qPrintable(command.value(0) + QStringLiteral(" is missing or failed")));
    const QString ending = QFileInfo(name).suffix();
    const bool built = ending == "svg"   ? QImageReader::supportedImageFormats().contains("svg")
                       : ending == "jxl" ? PICTARN_HAS_JXL
                       : ending == "dng" ? PICTARN_HAS_RAW
                       : ending == "png" ? true
                                         : PICTARN_HAS_HEIF;
    if (!built)
        QSKIP("this build has no reader for the format");
    QVERIFY(ImageFiles::isImageName(name));
    ImageLoader loader;
    loader.load(path);
    QImage reference = quarters(name.startsWith("alpha"));
    if (name.startsWith("large"))
        reference = reference.scaled(reference.size() * 8);
    if (name.startsWith("keyed")) { // the green quarter
        QPainter painter(&reference);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(80, 0, 80, 60, Qt::transparent);
    }
    reference = reference.mirrored(mirror, false).transformed(QTransform().rotate(turn));
    QCOMPARE(QSize(loader.width(), loader.height()), reference.size());
    for (const QSize box : {QSize(240, 320), QSize(80, 60)}) {
        const QImage *image = loader.fittedImage(box.width(), box.height());
        QVERIFY(image && !image->isNull());
        const QImage scaled
                = reference.scaled(image->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double difference = TestUtil::meanDifference(*image, scaled);
        QVERIFY2(difference <= tolerance, qPrintable(QString::number(difference)));
    }
}

// A fit the stored thumbnail covers is made from it, a larger one from the photo. Stripes a
// pixel wide tell which: libheif's thumbnail keeps every other column, one flat colour.
void tst_Formats::storedThumbnails()
{
    if (!PICTARN_HAS_HEIF
        || make("stripes.png", "",
                {"convert", "-size", "640x480", "xc:", "-fx", "i%2", "PNG24:OUT"})
                   .isEmpty())
        QSKIP("ImageMagick or the HEIF reader is missing");
    for (const auto &[thumbnail, used] : {std::pair("320", true), std::pair("160", false)}) {
        const QString path = make(QStringLiteral("stripes%1.heic").arg(thumbnail), "stripes.png",
                                  {"heif-enc", "-q", "95", "-t", thumbnail, "IN", "-o", "OUT"});
        if (path.isEmpty())
            QSKIP("heif-enc is missing or failed");
        ImageLoader loader;
        loader.load(path);
        const QImage *image = loader.fittedImage(240, 320); // 240 x 180
        QVERIFY(image && !image->isNull());
        QCOMPARE(qAbs(qGray(image->pixel(120, 90)) - 128) > 64, used);
    }
}

void tst_Formats::damagedFilesGiveNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("keep"); // bytes kept from the start, 0: the whole file
    QTest::addColumn<QByteArray>("box"); // a box whose numbers are set to 20000 x 20000
    for (const char *name : {"plain.heic", "plain.avif", "plain.jxl", "quarters.svg"})
        QTest::addRow("%s cut short", name) << name << -2 << QByteArray();
    QTest::newRow("dng without its preview") << "camera.dng" << 700 << QByteArray();
    QTest::newRow("heic past the budget") << "plain.heic" << 0 << QByteArray("ispe");
    QTest::newRow("avif past the budget") << "plain.avif" << 0 << QByteArray("ispe");
    // A square picture: its codestream's height, 13 bits from bit 3, stands for the width too.
    QTest::newRow("jxl past the budget") << "square.jxl" << 0 << QByteArray("jxl");
}

void tst_Formats::damagedFilesGiveNothing()
{
    QFETCH(QString, name);
    QFETCH(int, keep);
    QFETCH(QByteArray, box);

    if (box == "jxl"
        && (!QImage(1000, 1000, QImage::Format_RGB32).save(file("square.png"))
            || make(name, "square.png", {"cjxl", "-e", "1", "IN", "OUT"}).isEmpty()))
        QSKIP("cjxl is missing or failed");
    QFile original(file(name));
    if (!original.open(QIODevice::ReadOnly))
        QSKIP("made by a row of decodesUpright that was skipped");
    QByteArray bytes = original.readAll();
    bytes.truncate(keep < 0 ? bytes.size() / -keep : keep > 0 ? keep : bytes.size());
    if (box == "jxl" && PICTARN_HAS_JXL) {
        ImageLoader whole;
        whole.load(original.fileName());
        QCOMPARE(whole.width(), 1000); // refused for its size alone once patched
        QVERIFY(bytes.startsWith("\xff\x0a"));
        quint32 bits = qFromLittleEndian<quint32>(bytes.constData() + 2);
        QCOMPARE(bits & 0xffff, 2u | 999u << 3); // not small, 13 bits, 1000 high
        qToLittleEndian((bits & ~0xfff8u) | 7999u << 3, bytes.data() + 2);
    } else if (!box.isEmpty()) {
        const qsizetype at = bytes.indexOf(box);
        QVERIFY(at > 0);
        qToBigEndian(quint32(20000), bytes.data() + at + 8);
        qToBigEndian(quint32(20000), bytes.data() + at + 12);
    }
    const QString path = file(QStringLiteral("damaged-") + name);
    QVERIFY(writeFile(path, bytes));
    ImageLoader loader;
    loader.load(path);
    const QImage *image = loader.fittedImage(240, 320);
    QVERIFY(image && image->isNull());
    QCOMPARE(QSize(loader.width(), loader.height()), QSize(0, 0));
}

void tst_Formats::svgTextShows_data()
{
    QTest::addColumn<QString>("font");
    for (const char *font :
         {"font-family='sans-serif'", "font-family='serif' font-style='italic'",
          "font-family='monospace' font-weight='bold'", "font-family='No Such Family'", ""})
        QTest::newRow(*font ? font : "no family named") << font;
}

void tst_Formats::svgTextShows()
{
    QFETCH(QString, font);
    const QString path = file(QStringLiteral("text %1.svg").arg(QTest::currentDataTag()));
    QVERIFY(writeFile(path, QString(svg)
                                    .replace("</svg>", "<text x='4' y='100' font-size='100' " + font
                                                               + ">HW</text></svg>")
                                    .toUtf8()));
    ImageLoader loader;
    loader.load(path);
    // As this process draws it, with every font at hand: blank or boxes are far from it.
    const QImage *image = loader.fittedImage(240, 320);
    const QImage drawn(path);
    QVERIFY(image && image->size() == drawn.size());
    QVERIFY(TestUtil::meanDifference(*image, drawn) <= 1);
}

PICTARN_TEST(tst_Formats)
#include "tst_formats.moc"
