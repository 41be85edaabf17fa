#include "common/testmain.h"

#include "viewer/imageloader.h"

#include <QColorSpace>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Flat patches on the JPEG's 8 x 8 grid, saturated and grey: what a wrong conversion moves
// most, and what a JPEG keeps best.
QImage patches()
{
    QImage image(128, 64, QImage::Format_RGB32);
    QPainter painter(&image);
    const QList<QColor> colours{QColor(220, 40, 30),   QColor(30, 180, 60),  QColor(40, 60, 210),
                                QColor(240, 220, 40),  QColor(200, 60, 200), QColor(30, 200, 210),
                                QColor(128, 128, 128), QColor(250, 250, 250)};
    for (int i = 0; i < 16; ++i)
        painter.fillRect(i % 8 * 16, i / 8 * 32, 16, 32,
                         colours.at(i % 8).darker(100 + i / 8 * 60));
    return image;
}

} // namespace

class tst_ColourConverter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }
    void showsSrgb_data();
    void showsSrgb();

private:
    QTemporaryDir dir;
};

void tst_ColourConverter::showsSrgb_data()
{
    QTest::addColumn<QString>("profile"); // a toolkit colour space, or an ICC file
    QTest::addColumn<bool>("grey");
    // Whether the reference is Little CMS's conversion of the file back rather than the source:
    // a wide space's 8 bits lose more than the tolerance of the source's dark saturated colours.
    QTest::addColumn<bool>("wide");
    QTest::newRow("Adobe RGB") << "AdobeRgb" << false << true;
    QTest::newRow("ProPhoto") << "ProPhotoRgb" << false << true;
    QTest::newRow("Display P3") << "DisplayP3" << false << true;
    QTest::newRow("ProPhoto, ghostscript's")
            << "/usr/share/color/icc/ghostscript/rommrgb.icc" << false << true;
    QTest::newRow("L* RGB") << "/usr/share/color/icc/LStar-RGB.icc" << false << false;
    QTest::newRow("grey, L* curve") << "/usr/share/color/icc/Gray-CIE_L.icc" << true << false;
    QTest::newRow("grey") << "/usr/share/color/icc/Gray.icc" << true << false;
}

void tst_ColourConverter::showsSrgb()
{
    QFETCH(QString, profile);
    QFETCH(bool, grey);
    QFETCH(bool, wide);

    QImage reference = patches();
    if (grey)
        reference = reference.convertToFormat(QImage::Format_Grayscale8)
                            .convertToFormat(QImage::Format_RGB32);
    reference.setColorSpace(QColorSpace::SRgb);
    const QString path = dir.filePath(QStringLiteral("%1.jpg").arg(QTest::currentDataTag()));
    // The toolkit's own profiles written out; its sRGB, a matrix profile, is the source's.
    QString srgb = QStringLiteral("SRgb");
    for (QString *name : {&profile, &srgb}) {
        if (name->startsWith('/'))
            continue;
        const auto space = QColorSpace::NamedColorSpace(
                QMetaEnum::fromType<QColorSpace::NamedColorSpace>().keyToValue(qPrintable(*name)));
        QFile icc(dir.filePath(*name + ".icc"));
        QVERIFY(icc.open(QIODevice::WriteOnly) && icc.write(QColorSpace(space).iccProfile()) > 0);
        *name = icc.fileName();
    }
    const QString convert = QStandardPaths::findExecutable("convert");
    if (convert.isEmpty() || !QFile::exists(profile))
        QSKIP("ImageMagick or the profile is missing");
    const QString source = dir.filePath("reference.png");
    QVERIFY(reference.save(source));
    // Chroma at full resolution: libjpeg's smooth upsampling would blend the patches' edges.
    QProcess process;
    process.start(convert, {source, "-profile", srgb, "-profile", profile, "-quality", "100",
                            "-sampling-factor", "1x1", path});
    QVERIFY(process.waitForFinished(30000) && process.exitCode() == 0);
    const QString converted = dir.filePath("converted.png");
    if (wide) {
        process.start(convert, {path, "-profile", srgb, converted});
        QVERIFY(process.waitForFinished(30000) && process.exitCode() == 0);
        reference = QImage(converted).convertToFormat(QImage::Format_RGB32);
    }

    ImageLoader loader;
    loader.load(path);
    const QImage *shown = loader.fittedImage(240, 320);
    QVERIFY(shown && shown->size() == reference.size());
    qint64 sum = 0;
    int most = 0;
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb a = shown->pixel(x, y), b = reference.pixel(x, y);
            for (const int d : {qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b)}) {
                sum += qAbs(d);
                if (qAbs(d) > most)
                    qWarning("%d %d: %08x %08x", x, y, a, b);
                most = std::max(most, qAbs(d));
            }
        }
    }
    const double mean = double(sum) / (3.0 * reference.width() * reference.height());
    QVERIFY2(mean <= 2 && most <= 8,
             qPrintable(QStringLiteral("mean %1, most %2").arg(mean).arg(most)));
}

PICTARN_TEST(tst_ColourConverter)
#include "tst_colourconverter.moc"
