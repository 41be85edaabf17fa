#include "common/testmain.h"

#include "viewer/imageloader.h"

#include <QColorSpace>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#ifdef PICTARN_HAVE_LCMS
#include <lcms2.h>
#endif
#ifdef PICTARN_HAVE_LIBJPEG_LIBPNG
#include <cstdio>
#include <jpeglib.h>
#endif

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

#ifdef PICTARN_HAVE_LIBJPEG_LIBPNG
bool writePlainCmyk(const QImage &image, const QString &path)
{
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, JCS_CMYK);
    jpeg_set_quality(&info, 100, TRUE);
    info.write_Adobe_marker = FALSE;
    jpeg_start_compress(&info, TRUE);
    std::vector<uchar> line(size_t(image.width()) * 4);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb rgb = image.pixel(x, y);
            const int k = 255 - std::max({qRed(rgb), qGreen(rgb), qBlue(rgb)});
            const auto ink = [k](int c) { return k == 255 ? 0 : (255 - c - k) * 255 / (255 - k); };
            const int inks[4] = {ink(qRed(rgb)), ink(qGreen(rgb)), ink(qBlue(rgb)), k};
            std::copy(inks, inks + 4, line.begin() + x * 4);
        }
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}
#endif

#ifdef PICTARN_HAVE_LCMS
// sRGB's matrix and curves under tables of Adobe RGB both ways, which take precedence.
bool writeTableProfile(const QString &path)
{
    const QByteArray adobe = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
    cmsHPROFILE rgb = cmsOpenProfileFromMem(adobe.constData(), cmsUInt32Number(adobe.size()));
    cmsHPROFILE xyz = cmsCreateXYZProfile(), table = cmsCreate_sRGBProfile();
    bool ok = true;
    for (const bool in : {true, false}) {
        cmsHTRANSFORM transform = cmsCreateTransform(in ? rgb : xyz, in ? TYPE_RGB_16 : TYPE_XYZ_16,
                                                     in ? xyz : rgb, in ? TYPE_XYZ_16 : TYPE_RGB_16,
                                                     INTENT_RELATIVE_COLORIMETRIC, 0);
        cmsPipeline *pipeline = cmsPipelineAlloc(nullptr, 3, 3);
        cmsStage *clut = cmsStageAllocCLut16bit(nullptr, 17, 3, 3, nullptr);
        const auto sample = [](const cmsUInt16Number from[], cmsUInt16Number to[], void *t) {
            cmsDoTransform(static_cast<cmsHTRANSFORM>(t), from, to, 1);
            return int(TRUE);
        };
        // A table must lie between curves to be written.
        for (cmsStage *stage : {cmsStageAllocToneCurves(nullptr, 3, nullptr), clut,
                                cmsStageAllocToneCurves(nullptr, 3, nullptr)})
            ok = ok && cmsPipelineInsertStage(pipeline, cmsAT_END, stage);
        ok = ok && transform && cmsStageSampleCLut16bit(clut, sample, transform, 0)
             && cmsWriteTag(table, in ? cmsSigAToB0Tag : cmsSigBToA0Tag, pipeline);
        cmsPipelineFree(pipeline);
        cmsDeleteTransform(transform);
    }
    ok = ok && cmsSaveProfileToFile(table, QFile::encodeName(path).constData());
    for (cmsHPROFILE profile : {rgb, xyz, table})
        cmsCloseProfile(profile);
    return ok;
}
#endif

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
    // CMYK without a profile, by the plain formula: ImageMagick's is inverted as Adobe's are,
    // the one written here through libjpeg stores the inks as they are, with no Adobe marker.
    QTest::addColumn<QString>("cmyk");
    const QString icc = QStringLiteral("/usr/share/color/icc/");
    QTest::newRow("Adobe RGB") << "AdobeRgb" << false << true << "";
    QTest::newRow("ProPhoto") << "ProPhotoRgb" << false << true << "";
    QTest::newRow("Display P3") << "DisplayP3" << false << true << "";
    QTest::newRow("ProPhoto, ghostscript's")
            << icc + "ghostscript/rommrgb.icc" << false << true << "";
    QTest::newRow("L* RGB") << icc + "LStar-RGB.icc" << false << false << "";
    QTest::newRow("grey, L* curve") << icc + "Gray-CIE_L.icc" << true << false << "";
    QTest::newRow("grey") << icc + "Gray.icc" << true << false << "";
    QTest::newRow("RGB, tables over a matrix") << "tables" << false << true << "";
    QTest::newRow("CMYK, table-based profile")
            << icc + "ghostscript/default_cmyk.icc" << false << true << "";
    QTest::newRow("CMYK, no profile") << "" << false << false << "ImageMagick";
    QTest::newRow("CMYK, not inverted") << "" << false << false << "libjpeg";
}

void tst_ColourConverter::showsSrgb()
{
    QFETCH(QString, profile);
    QFETCH(bool, grey);
    QFETCH(bool, wide);
    QFETCH(QString, cmyk);

    QImage reference = patches();
    if (grey)
        reference = reference.convertToFormat(QImage::Format_Grayscale8)
                            .convertToFormat(QImage::Format_RGB32);
    reference.setColorSpace(QColorSpace::SRgb);
    const QString path = dir.filePath(QStringLiteral("%1.jpg").arg(QTest::currentDataTag()));
    // The toolkit's own profiles written out; its sRGB, a matrix profile, is the source's.
    QString srgb = QStringLiteral("SRgb");
    // Little CMS compensates black points on its own for a perceptual conversion from version 4.
    const QStringList blackPoint = profile.startsWith("tables")
                                           ? QStringList{"-black-point-compensation"}
                                           : QStringList();
    if (profile.startsWith("tables")) {
#ifdef PICTARN_HAVE_LCMS
        QVERIFY(writeTableProfile(dir.filePath("tables.icc")));
        profile = dir.filePath("tables.icc");
#else
        QSKIP("this build has no Little CMS");
#endif
    }
    for (QString *name : {&profile, &srgb}) {
        if (name->startsWith('/') || name->isEmpty())
            continue;
        const auto space = QColorSpace::NamedColorSpace(
                QMetaEnum::fromType<QColorSpace::NamedColorSpace>().keyToValue(qPrintable(*name)));
        QFile icc(dir.filePath(*name + ".icc"));
        QVERIFY(icc.open(QIODevice::WriteOnly) && icc.write(QColorSpace(space).iccProfile()) > 0);
        *name = icc.fileName();
    }
    const QString convert = QStandardPaths::findExecutable("convert");
    if (convert.isEmpty() || (cmyk.isEmpty() && !QFile::exists(profile)))
        QSKIP("ImageMagick or the profile is missing");
    const QString source = dir.filePath("reference.png");
    QVERIFY(reference.save(source));
    // Chroma at full resolution: libjpeg's smooth upsampling would blend the patches' edges.
    QProcess process;
    const QStringList space = cmyk.isEmpty() ? QStringList{"-profile", srgb, "-profile", profile}
                                             : QStringList{"-colorspace", "CMYK"};
    process.start(convert,
                  QStringList{source} + space
                          + QStringList{"-quality", "100", "-sampling-factor", "1x1", path});
    QVERIFY(process.waitForFinished(30000) && process.exitCode() == 0);
#ifdef PICTARN_HAVE_LIBJPEG_LIBPNG
    if (cmyk == "libjpeg")
        QVERIFY(writePlainCmyk(reference, path));
#endif
    const QString converted = dir.filePath("converted.png");
    if (wide) {
        process.start(convert,
                      QStringList{path} + blackPoint + QStringList{"-profile", srgb, converted});
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
