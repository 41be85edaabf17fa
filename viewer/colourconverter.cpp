#include "viewer/colourconverter.h"

#include <QColorSpace>

#include <memory>

#ifdef PICTARN_HAVE_LCMS
#include <lcms2.h>
#endif

namespace {

#ifdef PICTARN_HAVE_LCMS
struct Profile
{
    explicit Profile(cmsHPROFILE handle) : handle(handle) { }
    ~Profile()
    {
        if (handle)
            cmsCloseProfile(handle);
    }
    Profile(const Profile &) = delete;
    Profile &operator=(const Profile &) = delete;
    cmsHPROFILE handle;
};

struct Transform
{
    explicit Transform(cmsHTRANSFORM handle) : handle(handle) { }
    ~Transform()
    {
        if (handle)
            cmsDeleteTransform(handle);
    }
    Transform(const Transform &) = delete;
    Transform &operator=(const Transform &) = delete;
    cmsHTRANSFORM handle;
};

// A grey picture's 32-bit pixels hold the same level three times: 256 levels go through the
// profile once, the pixels through the table.
QImage greyToSrgb(QImage image, const Profile &grey, const Profile &srgb)
{
    const Transform transform(cmsCreateTransform(grey.handle, TYPE_GRAY_8, srgb.handle, TYPE_RGB_8,
                                                 INTENT_PERCEPTUAL, 0));
    if (!transform.handle)
        return image;
    uchar levels[256];
    uchar rgb[256 * 3];
    for (int i = 0; i < 256; ++i)
        levels[i] = uchar(i);
    cmsDoTransform(transform.handle, levels, rgb, 256);
    QRgb table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = qRgb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = (line[x] & 0xff000000) | (table[qGreen(line[x])] & 0xffffff);
    }
    return image;
}

QImage rgbToSrgb(QImage image, const QByteArray &icc, bool tables, const Profile &rgb,
                 const Profile &srgb)
{
    // 32-bit pixels lie in memory as blue, green, red, alpha on a little-endian machine.
    if (QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        return image;
    // Through tables a transform takes tens of milliseconds to build: the last one is kept, as
    // a folder's photos mostly share their profile. Its 8-bit table is finer then, or the dark
    // saturated colours stray past what the eye forgives.
    thread_local QByteArray lastIcc;
    thread_local std::unique_ptr<Transform> last;
    if (!last || lastIcc != icc) {
        last = std::make_unique<Transform>(cmsCreateTransform(
                rgb.handle, TYPE_BGRA_8, srgb.handle, TYPE_BGRA_8, INTENT_PERCEPTUAL,
                cmsFLAGS_COPY_ALPHA | (tables ? cmsFLAGS_HIGHRESPRECALC : 0)));
        lastIcc = icc;
    }
    const Transform &transform = *last;
    if (!transform.handle)
        return image;
    for (int y = 0; y < image.height(); ++y)
        cmsDoTransform(transform.handle, image.constScanLine(y), image.scanLine(y),
                       cmsUInt32Number(image.width()));
    return image;
}
#endif

} // namespace

QImage ColourConverter::toSrgb(QImage image, const QByteArray &icc)
{
    if (image.isNull())
        return image;
    const QColorSpace srgb(QColorSpace::SRgb);
#ifdef PICTARN_HAVE_LCMS
    const Profile profile(
            icc.isEmpty() ? nullptr
                          : cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size())));
    // The toolkit reads a profile's matrix and curves only: one whose tables say otherwise,
    // as they take precedence, is left to Little CMS even when the toolkit accepted it.
    const bool tables
            = profile.handle && cmsIsCLUT(profile.handle, INTENT_PERCEPTUAL, LCMS_USED_AS_INPUT);
#else
    const bool tables = false;
#endif
    if (image.colorSpace().isValid() && !tables) {
        if (image.colorSpace() != srgb)
            image.convertToColorSpace(srgb);
        return image;
    }
#ifdef PICTARN_HAVE_LCMS
    const Profile standard(cmsCreate_sRGBProfile());
    if (!profile.handle || !standard.handle)
        return image;
    if (image.format() == QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_ARGB32);
    const cmsColorSpaceSignature space = cmsGetColorSpace(profile.handle);
    if (space == cmsSigGrayData)
        image = greyToSrgb(std::move(image), profile, standard);
    else if (space == cmsSigRgbData)
        image = rgbToSrgb(std::move(image), icc, tables, profile, standard);
    else
        return image;
    image.setColorSpace(srgb);
#else
    Q_UNUSED(icc);
#endif
    return image;
}
