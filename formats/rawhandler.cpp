#include "formats/rawhandler.h"

#include "formats/wholefile.h"

#include <QBuffer>
#include <QImageReader>
#include <QVariant>

#include <libraw/libraw.h>

namespace {

QImageIOHandler::Transformations turnOf(int flip)
{
    switch (flip) {
    case 3:
        return QImageIOHandler::TransformationRotate180;
    case 5:
        return QImageIOHandler::TransformationRotate270;
    case 6:
        return QImageIOHandler::TransformationRotate90;
    default:
        return QImageIOHandler::TransformationNone;
    }
}

} // namespace

RawHandler::RawHandler() = default;
RawHandler::~RawHandler() = default;

QList<QByteArray> RawHandler::formats()
{
    return {"dng", "cr2", "cr3", "nef", "arw", "orf", "rw2", "raf", "pef", "srw"};
}

RawHandler::Kind RawHandler::kindOf(QIODevice *device)
{
    const QByteArray head = device ? device->peek(16) : QByteArray();
    if (head.size() < 16)
        return Kind::None;
    if (head.startsWith("FUJIFILM") || head.startsWith("IIRO") || head.startsWith("IIRS")
        || head.startsWith("MMOR") || head.startsWith(QByteArray("IIU\0", 4))
        || head.mid(4, 8) == "ftypcrx ")
        return Kind::Own;
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return Kind::Tiff;
    return Kind::None;
}

bool RawHandler::canRead() const
{
    const Kind kind = kindOf(device());
    if (kind == Kind::Own) {
        // Found by content: named by its layout, as the list of formats read names them.
        const QByteArray head = device()->peek(16);
        const_cast<RawHandler *>(this)->setFormat(head.startsWith("FUJIFILM")    ? "raf"
                                                  : head.startsWith("IIU")       ? "rw2"
                                                  : head.mid(4, 8) == "ftypcrx " ? "cr3"
                                                                                 : "orf");
    }
    return kind != Kind::None;
}

QSize RawHandler::parse()
{
    raw = std::make_unique<LibRaw>(LIBRAW_OPIONS_NO_MEMERR_CALLBACK
                                   | LIBRAW_OPIONS_NO_DATAERR_CALLBACK);
    raw->imgdata.params.max_raw_memory_mb = unsigned(ImageHeader::budget >> 20);
    if (raw->open_buffer(data.data(), size_t(data.size())) != LIBRAW_SUCCESS)
        return QSize();
    const libraw_thumbnail_t &thumbnail = raw->imgdata.thumbnail;
    if (thumbnail.tlength == 0 || qint64(thumbnail.tlength) > data.size()
        || raw->unpack_thumb() != LIBRAW_SUCCESS || !thumbnail.thumb)
        return QSize();
    QSize previewSize;
    turn = turnOf(raw->imgdata.sizes.flip);
    if (thumbnail.tformat == LIBRAW_THUMBNAIL_JPEG) {
        jpeg = true;
        preview = QByteArray(thumbnail.thumb, qsizetype(thumbnail.tlength));
        QBuffer buffer(&preview);
        buffer.open(QIODevice::ReadOnly);
        previewSize = QImageReader(&buffer, "jpeg").size();
    } else if (thumbnail.tformat == LIBRAW_THUMBNAIL_BITMAP && thumbnail.tcolors == 3) {
        previewSize = QSize(thumbnail.twidth, thumbnail.theight);
        if (qint64(previewSize.width()) * previewSize.height() * 3 > qint64(thumbnail.tlength))
            return QSize();
        preview = QByteArray(thumbnail.thumb, qsizetype(thumbnail.tlength));
    }
    // The file itself is no longer needed: only the preview is decoded.
    raw.reset();
    data.clear();
    return previewSize;
}

bool RawHandler::read(QImage *image)
{
    if (!open())
        return false;
    QImage result;
    if (jpeg) {
        QBuffer buffer(&preview);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "jpeg");
        reader.setAutoTransform(false); // the camera's turn is told as this file's
        if (scaledSize.isValid())
            reader.setScaledSize(scaledSize);
        result = reader.read();
    } else {
        result = WholeFile::copied(reinterpret_cast<const uchar *>(preview.constData()),
                                   fullSize.width() * 3, fullSize, false);
        if (!result.isNull() && scaledSize.isValid() && scaledSize != result.size())
            result = result.scaled(scaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (result.isNull())
        return false;
    *image = result;
    return true;
}

QVariant RawHandler::option(ImageOption option) const
{
    if (option == ImageTransformation)
        return const_cast<RawHandler *>(this)->open() ? int(turn) : int(TransformationNone);
    return WholeFileHandler::option(option);
}

bool RawHandler::supportsOption(ImageOption option) const
{
    return option == ImageTransformation || WholeFileHandler::supportsOption(option);
}
