#include "formats/jxlhandler.h"

#include "formats/wholefile.h"

#include <QColorSpace>
#include <QVariant>

#include <jxl/decode.h>

#include <memory>

namespace {

struct DecoderDeleter
{
    void operator()(JxlDecoder *decoder) const { JxlDecoderDestroy(decoder); }
};
using Decoder = std::unique_ptr<JxlDecoder, DecoderDeleter>;

Decoder decoderFor(const QByteArray &data, int events)
{
    Decoder decoder(JxlDecoderCreate(nullptr));
    if (!decoder || JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS
        || JxlDecoderSetInput(decoder.get(), reinterpret_cast<const uint8_t *>(data.constData()),
                              size_t(data.size()))
                   != JXL_DEC_SUCCESS)
        return Decoder();
    JxlDecoderCloseInput(decoder.get());
    return decoder;
}

// libjxl keeps its frame in floats, one plane per channel, besides the picture handed out.
bool decodeFits(const JxlBasicInfo &info)
{
    const qint64 pixels = qint64(info.xsize) * info.ysize;
    const qint64 planes = 3 + qint64(info.num_extra_channels);
    return info.xsize <= uint32_t(WholeFile::maxSide) && info.ysize <= uint32_t(WholeFile::maxSide)
           && pixels <= ImageLoader::maxPixels && pixels * 4 * (planes - 1) <= ImageHeader::budget;
}

QColorSpace colourSpaceOf(JxlDecoder *decoder, const JxlPixelFormat &format)
{
    size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, &format, JXL_COLOR_PROFILE_TARGET_DATA, &size)
                != JXL_DEC_SUCCESS
        || size == 0 || size > (1u << 24))
        return QColorSpace();
    QByteArray icc(qsizetype(size), Qt::Uninitialized);
    if (JxlDecoderGetColorAsICCProfile(decoder, &format, JXL_COLOR_PROFILE_TARGET_DATA,
                                       reinterpret_cast<uint8_t *>(icc.data()), size)
        != JXL_DEC_SUCCESS)
        return QColorSpace();
    return QColorSpace::fromIccProfile(icc);
}

} // namespace

bool JxlHandler::canRead(QIODevice *device)
{
    const QByteArray head = device ? device->peek(16) : QByteArray();
    const JxlSignature signature
            = JxlSignatureCheck(reinterpret_cast<const uint8_t *>(head.constData()), head.size());
    return signature == JXL_SIG_CODESTREAM || signature == JXL_SIG_CONTAINER;
}

bool JxlHandler::canRead() const
{
    return canRead(device());
}

QSize JxlHandler::parse()
{
    const Decoder decoder = decoderFor(data, JXL_DEC_BASIC_INFO);
    JxlBasicInfo info;
    if (!decoder || JxlDecoderProcessInput(decoder.get()) != JXL_DEC_BASIC_INFO
        || JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS || !decodeFits(info))
        return QSize();
    alpha = info.alpha_bits > 0;
    return info.orientation > JXL_ORIENT_ROTATE_180 ? QSize(int(info.ysize), int(info.xsize))
                                                    : QSize(int(info.xsize), int(info.ysize));
}

bool JxlHandler::read(QImage *image)
{
    if (!open())
        return false;
    // The DC image holds every eighth pixel's worth of the picture; below that size the rest
    // of the frame adds nothing a smooth scale keeps. The DC is handed out upsampled to the
    // full size, in the buffer the whole frame would take. A file cut short after its DC
    // image shows that, as a JPEG cut short shows the rows that arrived.
    const QSize wanted = target();
    const bool dcEnough
            = wanted.width() * 8 <= fullSize.width() && wanted.height() * 8 <= fullSize.height();
    const Decoder decoder
            = decoderFor(data, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE
                                       | (dcEnough ? JXL_DEC_FRAME_PROGRESSION : 0));
    if (!decoder
        || (dcEnough && JxlDecoderSetProgressiveDetail(decoder.get(), kDC) != JXL_DEC_SUCCESS))
        return false;
    const JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    QImage result;
    QColorSpace colourSpace;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        if (status == JXL_DEC_BASIC_INFO) {
            JxlBasicInfo info;
            if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS
                || !decodeFits(info))
                return false;
        } else if (status == JXL_DEC_COLOR_ENCODING) {
            colourSpace = colourSpaceOf(decoder.get(), format);
        } else if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
            result = QImage(fullSize, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
            size_t needed = 0;
            if (result.isNull()
                || JxlDecoderImageOutBufferSize(decoder.get(), &format, &needed) != JXL_DEC_SUCCESS
                || needed != size_t(result.sizeInBytes())
                || JxlDecoderSetImageOutBuffer(decoder.get(), &format, result.bits(), needed)
                           != JXL_DEC_SUCCESS)
                return false;
        } else if (status == JXL_DEC_FRAME_PROGRESSION) {
            // A frame with no DC image of its own (lossless, or with alpha) is decoded whole.
            if (JxlDecoderGetIntendedDownsamplingRatio(decoder.get()) == 8
                && JxlDecoderFlushImage(decoder.get()) == JXL_DEC_SUCCESS)
                break;
        } else if (status == JXL_DEC_FULL_IMAGE) {
            break; // the first frame of an animation is the picture
        } else {
            return false; // an error, or a file that ends before its picture
        }
    }
    if (result.isNull())
        return false;
    result = result.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    result.setColorSpace(colourSpace);
    if (wanted != result.size())
        result = result.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    *image = result;
    return !image->isNull();
}
