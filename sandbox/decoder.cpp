#include "sandbox/decoder.h"

#ifdef PICTARN_HAVE_LIBJPEG_LIBPNG
#include "sandbox/cmykjpegreader.h"
#include "sandbox/pngreader.h"
#endif
#include "viewer/colourconverter.h"
#include "viewer/imageheader.h"
#include "viewer/imageloader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isThirtyTwoBit(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
           || format == QImage::Format_ARGB32_Premultiplied;
}

// Scaling works on 32-bit pixels only: shrunk in their own format, 1-bit, palette, grey and
// 16-bit pictures are quantised again and come out as noise, lost colours or washed out.
QImage thirtyTwoBit(QImage image)
{
    if (image.isNull() || isThirtyTwoBit(image.format()))
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

// What the picture's colour table held before it was brought to 32 bits; 8-bit grey counts
// as 256 greys.
int tableSize(const QImage &image)
{
    if (image.format() == QImage::Format_Grayscale8)
        return 256;
    return int(image.colorCount());
}

bool openAtStart(QFile &file, int fd)
{
    return ::lseek(fd, 0, SEEK_SET) == 0
           && file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
}

// Only the reader of the format named looks at the content, never one found by sniffing.
void restrict(QImageReader &reader)
{
    reader.setAutoDetectImageFormat(false);
    reader.setAutoTransform(true);
}

// Readers that decode straight at a smaller size, or take a stored preview for it.
bool scalesWhileDecoding(const QByteArray &format)
{
    static const QList<QByteArray> list
            = {"jpeg", "svg", "heic", "avif", "jxl", "dng", "cr2", "cr3",
               "nef",  "arw", "orf",  "rw2",  "raf", "pef", "srw"};
    return list.contains(format);
}

ImageHeader headerOf(int fd)
{
    struct stat info;
    return ImageHeader(fd, ::fstat(fd, &info) == 0 ? info.st_size : 0);
}

// What the toolkit's readers do with a file's orientation, for the pictures decoded without them.
QImage transformed(QImage image, QImageIOHandler::Transformations transformation)
{
    if (transformation == QImageIOHandler::TransformationRotate270)
        return ImageLoader::turned(image, 270);
    image = image.mirrored(transformation & QImageIOHandler::TransformationMirror,
                           transformation & QImageIOHandler::TransformationFlip);
    return transformation & QImageIOHandler::TransformationRotate90 ? ImageLoader::turned(image, 90)
                                                                    : image;
}

} // namespace

const QList<QByteArray> &Decoder::formats()
{
    // One line per format.
    static const QList<QByteArray> list = {
            "jpeg", "png",  "gif", "bmp", "webp", "tiff",
            "svg", // Qt's SVG module
            "heic", "avif", // Pictarn's plugin, libheif
            "jxl", // Pictarn's plugin, libjxl
            "dng",  "cr2",  "cr3", "nef", "arw",  "orf",  "rw2", "raf", "pef", "srw", // libraw
    };
    return list;
}

void Decoder::loadReaders()
{
    QBuffer nothing;
    nothing.open(QIODevice::ReadOnly);
    // Sniffing asks every reader, ours or not, whether it knows the content.
    QImageReader::imageFormat(&nothing);
    for (const QByteArray &format : formats())
        QImageReader(&nothing, format).canRead();
}

Decoder::Facts Decoder::probe(int fd, const QByteArray &hint)
{
    Facts facts;
    QFile file;
    if (!openAtStart(file, fd))
        return facts;
    std::optional<QImageReader> reader;
    if (formats().contains(hint)) {
        // A camera's RAW file is most often a TIFF too: its own reader is asked first.
        reader.emplace(&file, hint);
        restrict(*reader);
        if (reader->size().isValid())
            facts.format = hint;
        else
            reader.reset();
    }
    if (!reader) {
        // The toolkit's own sniffing, which only peeks; the readers' canRead() may decode.
        const QByteArray format = QImageReader::imageFormat(&file);
        if (formats().contains(format))
            facts.format = format;
        if (facts.format.isEmpty())
            return facts;
        reader.emplace(&file, facts.format);
        restrict(*reader);
    }
    facts.swapped = reader->transformation() & QImageIOHandler::TransformationRotate90;
    facts.stored = reader->size();
    if (!facts.stored.isValid()) {
        // A reader that cannot tell the size without decoding: decode once to learn it.
        const QImage whole = reader->read();
        facts.stored = facts.swapped ? whole.size().transposed() : whole.size();
    }
    return facts;
}

Decoder::Picture Decoder::decode(int fd, const QByteArray &format, QSize full, QSize target,
                                 bool swapped, QRect clip)
{
    Picture picture;
    QFile file;
    if (target.isEmpty() || !formats().contains(format) || !openAtStart(file, fd))
        return picture;
    QImageReader reader(&file, format);
    restrict(reader);
    const QSize stored = swapped ? target.transposed() : target;
    if (target != full && scalesWhileDecoding(format)) {
        // libjpeg decodes at a reduced scale no smaller than asked and the reader scales the
        // rest smoothly, SVG draws at that size, HEIF and RAW files may hold a preview of it;
        // the size is asked in the orientation the file stores.
        reader.setScaledSize(stored);
    }
    const ImageHeader header = headerOf(fd);
    QImage decoded;
    QByteArray icc = header.iccProfile();
#ifdef PICTARN_HAVE_LIBJPEG_LIBPNG
    if (format == "jpeg" && header.jpegComponents() == 4) {
        const QImageIOHandler::Transformations transformation = reader.transformation();
        decoded = transformed(CmykJpegReader::read(fd, stored, icc), transformation);
    } else if (format == "png" && header.deepKeyedPng())
        decoded = PngReader::read(fd, icc);
    else
#endif
        decoded = reader.read();
    if (decoded.isNull())
        return picture;
    picture.colours = tableSize(decoded);
    decoded = thirtyTwoBit(std::move(decoded));
    if (decoded.size() != target)
        decoded = decoded.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (clip.isValid())
        decoded = decoded.copy(clip & decoded.rect());
    // After the scaling: the conversion costs by the pixel.
    decoded = ColourConverter::toSrgb(std::move(decoded), icc);
    picture.image = std::move(decoded);
    return picture;
}
