#include "viewer/imageloader.h"

#include "browse/imagefiles.h"
#include "platform/trace.h"
#include "sandbox/decoderpool.h"
#include "viewer/imageheader.h"

#include <QDebug>
#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

// Only plain SVG files up to this size are drawn.
constexpr qint64 maxSvgBytes = qint64(16) << 20;

bool isThirtyTwoBit(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
           || format == QImage::Format_ARGB32_Premultiplied;
}

// Everything the loader hands out is either 8-bit with a colour table or 32-bit ARGB words,
// the two kinds the turning and the brightness steps work on.
QImage normalized(QImage image)
{
    if (image.isNull() || isThirtyTwoBit(image.format()))
        return image;
    if (image.format() == QImage::Format_Indexed8)
        return image;
    if (image.format() == QImage::Format_Grayscale8) {
        QImage indexed(image.size(), QImage::Format_Indexed8);
        if (indexed.isNull())
            return indexed;
        QList<QRgb> greys(256);
        for (int i = 0; i < 256; ++i)
            greys[i] = qRgb(i, i, i);
        indexed.setColorTable(greys);
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(indexed.scanLine(y), image.constScanLine(y), size_t(image.width()));
        return indexed;
    }
    if (image.depth() == 1)
        return image.convertToFormat(QImage::Format_Indexed8);
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

// Source column x, row y goes to (h - 1 - y, x) for 90, (w - 1 - x, h - 1 - y) for 180 and
// (y, w - 1 - x) for 270, w and h being the source's size.
template<typename Pixel>
void turnAs(const QImage &source, QImage &result, int degrees)
{
    const int w = source.width();
    const int h = source.height();
    uchar *const bits = result.bits();
    const qsizetype stride = result.bytesPerLine();
    auto at = [bits, stride](int column, int row) {
        return reinterpret_cast<Pixel *>(bits + row * stride) + column;
    };
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const Pixel *>(source.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (degrees == 90)
                *at(h - 1 - y, x) = line[x];
            else if (degrees == 180)
                *at(w - 1 - x, h - 1 - y) = line[x];
            else
                *at(y, w - 1 - x) = line[x];
        }
    }
}

void turnPixels(const QImage &source, QImage &result, int degrees)
{
    if (source.depth() == 8)
        turnAs<uchar>(source, result, degrees);
    else
        turnAs<quint32>(source, result, degrees);
}

} // namespace

ImageLoader::~ImageLoader()
{
    close();
}

void ImageLoader::load(const QString &fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : fileName.mid(dot + 1);
    qCDebug(pictarnTrace, "loading %s %s", qUtf8Printable(extension), qUtf8Printable(fileName));

    close();
    format.clear();
    colours = 0;
    fullSize = QSize();
    swapped = false;
    loaded = true;
    refused = false;
    image.reset();

    // The helpers decode; what the program still reads itself (the preview cache's pictures)
    // is held to what a decode may allocate.
    static const bool limited = [] {
        QImageReader::setAllocationLimit(int(ImageHeader::budget >> 20));
        return true;
    }();
    Q_UNUSED(limited);

    // A name may lead to a FIFO or a device: opening must not wait, and only a regular file
    // with something in it is read.
    fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        fail();
        return;
    }
    const ImageHeader header(fd, info.st_size);
    const std::optional<DecoderPool::Facts> facts
            = header.damaged() ? std::nullopt
                               : DecoderPool::instance().probe(fd, ImageFiles::formatHint(fileName),
                                                               &refused);
    // An SVG's text becomes a document many times its size.
    if (!facts || (facts->format == "svg" && info.st_size > maxSvgBytes)) {
        fail();
        return;
    }
    format = facts->format;
    colours = header.colorCount();
    swapped = facts->swapped;
    // A GIF's decoder allocates its whole logical screen, however small its frames.
    const QSize stored = header.screenSize().isEmpty() ? facts->stored : header.screenSize();
    if (stored.isEmpty() || qint64(stored.width()) * stored.height() > maxPixels) {
        fail();
        return;
    }
    fullSize = swapped ? stored.transposed() : stored;
}

void ImageLoader::fail()
{
    fullSize = QSize(0, 0);
    swapped = false;
    close();
}

void ImageLoader::close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

int ImageLoader::width() const
{
    return fullSize.isValid() ? fullSize.width() : 0;
}

int ImageLoader::height() const
{
    return fullSize.isValid() ? fullSize.height() : 0;
}

QSize ImageLoader::fitSize(int boxWidth, int boxHeight) const
{
    const int iw = width();
    const int ih = height();
    if (iw <= 0 || ih <= 0 || boxWidth <= 0 || boxHeight <= 0)
        return QSize(0, 0);
    const double sh = double(boxHeight) / ih;
    const double sw = double(boxWidth) / iw;
    const double s = sh > sw ? sw : sh;
    return QSize(std::max(1, int(s * iw)), std::max(1, int(s * ih)));
}

QImage *ImageLoader::scaledImage(int boxWidth, int boxHeight, bool &rotate, int degrees,
                                 bool bestFit)
{
    const int iw = width();
    const int ih = height();
    qCDebug(pictarnTrace, "rotate=%d degree=%d bestFit=%d w=%d , h=%d", int(rotate), degrees,
            int(bestFit), boxWidth, boxHeight);
    if (rotate && (degrees == 90 || degrees == 270))
        std::swap(boxWidth, boxHeight);

    QSize target = fitSize(boxWidth, boxHeight);
    if (ih < boxHeight && iw < boxWidth) {
        target = QSize(iw, ih);
    } else if (bestFit) {
        rotate = false;
        const QSize normal = target;
        qCDebug(pictarnTrace, "normal: %dx%d", normal.width(), normal.height());
        const QSize turnedSize = fitSize(boxHeight, boxWidth);
        qCDebug(pictarnTrace, "rotated: %dx%d", turnedSize.width(), turnedSize.height());
        if (qint64(turnedSize.width()) * turnedSize.height()
            > qint64(normal.width()) * normal.height()) {
            rotate = true;
            target = turnedSize;
            degrees = 90;
        }
    }
    qCDebug(pictarnTrace, "rotate=%d degree=%d bestFit=%d w=%d , h=%d", int(rotate), degrees,
            int(bestFit), boxWidth, boxHeight);

    if (!loaded)
        return nullptr;

    image = decode(target);
    if (rotate && degrees != 0 && !image->isNull())
        image = turned(*image, degrees);

    qCDebug(pictarnTrace, "returning image: %dx%d", image->width(), image->height());
    return &*image;
}

QImage *ImageLoader::fittedImage(int boxWidth, int boxHeight)
{
    bool rotate = false;
    return scaledImage(boxWidth, boxHeight, rotate, 0, false);
}

QImage *ImageLoader::bestFitImage(int boxWidth, int boxHeight, bool &rotated)
{
    rotated = false;
    return scaledImage(boxWidth, boxHeight, rotated, 0, true);
}

QImage *ImageLoader::bestFitImage(int boxWidth, int boxHeight)
{
    bool rotated = false;
    return bestFitImage(boxWidth, boxHeight, rotated);
}

QImage *ImageLoader::rotatedImage(int boxWidth, int boxHeight, int degrees)
{
    if (degrees == 0)
        return fittedImage(boxWidth, boxHeight);
    bool rotate = true;
    return scaledImage(boxWidth, boxHeight, rotate, degrees, false);
}

QImage *ImageLoader::rotateImage(QImage source, int degrees)
{
    image.reset();
    image = turned(source, degrees);
    return &*image;
}

void ImageLoader::release()
{
    image.reset();
    loaded = false;
    close();
}

QImage ImageLoader::decode(QSize target)
{
    // The previous picture goes first, so that at most one is held while decoding.
    image.reset();
    if (target.isEmpty() || fullSize.isEmpty() || fd < 0)
        return QImage();

    const std::optional<DecoderPool::Picture> picture
            = DecoderPool::instance().decode(fd, format, fullSize, target, swapped);
    if (!picture) {
        fail();
        return QImage();
    }
    if (colours == 0)
        colours = picture->colours;
    return picture->image;
}

QImage ImageLoader::turned(const QImage &source, int degrees)
{
    const QImage image = normalized(source);
    if (image.isNull() || (degrees != 90 && degrees != 180 && degrees != 270))
        return image;

    const int w = image.width();
    const int h = image.height();
    const QSize size = degrees == 180 ? QSize(w, h) : QSize(h, w);
    QImage result(size, image.format());
    if (result.isNull())
        return result;
    if (image.depth() == 8)
        result.setColorTable(image.colorTable());
    turnPixels(image, result, degrees);
    qCDebug(pictarnTrace, "image rotated %d degrees", degrees);
    return result;
}
