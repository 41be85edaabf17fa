#include "formats/heifhandler.h"

#include "formats/wholefile.h"

#include <QColorSpace>
#include <QThread>

#include <libheif/heif.h>

#include <algorithm>
#include <memory>

namespace {

// heif_init() loads the decoders once for the whole process; they stay until it ends.
bool initialised()
{
    static const bool done = heif_init(nullptr).code == heif_error_Ok;
    return done;
}

struct ImageDeleter
{
    void operator()(heif_image *image) const { heif_image_release(image); }
};
struct OptionsDeleter
{
    void operator()(heif_decoding_options *options) const { heif_decoding_options_free(options); }
};

QSize sizeOf(const heif_image_handle *handle)
{
    return QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
}

// libaom decodes AV1 on the calling thread; dav1d, libheif's first choice, starts threads.
const char *singleThreadedAv1Decoder()
{
    static const char *const id = [] {
        const heif_decoder_descriptor *decoders[8];
        const int count = heif_get_decoder_descriptors(heif_compression_AV1, decoders, 8);
        for (int i = 0; i < count; ++i) {
            if (qstrcmp(heif_decoder_descriptor_get_id_name(decoders[i]), "aom") == 0)
                return "aom";
        }
        return static_cast<const char *>(nullptr);
    }();
    return id;
}

QImage decoded(heif_image_handle *handle, bool av1)
{
    const bool alpha = heif_image_handle_has_alpha_channel(handle);
    std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    if (av1 && options->version >= 4)
        options->decoder_id = singleThreadedAv1Decoder();
    heif_image *raw = nullptr;
    if (heif_decode_image(handle, &raw, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          options.get())
                .code
        != heif_error_Ok)
        return QImage();
    const std::unique_ptr<heif_image, ImageDeleter> image(raw);
    const QSize size(heif_image_get_width(raw, heif_channel_interleaved),
                     heif_image_get_height(raw, heif_channel_interleaved));
    int stride = 0;
    const uint8_t *rows = heif_image_get_plane_readonly(raw, heif_channel_interleaved, &stride);
    if (!WholeFile::withinBudget(size) || !rows)
        return QImage();
    return WholeFile::copied(rows, stride, size, alpha);
}

QColorSpace colourSpaceOf(const heif_image_handle *handle)
{
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return QColorSpace();
    const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    if (size == 0 || size > (1u << 24))
        return QColorSpace();
    QByteArray icc(qsizetype(size), Qt::Uninitialized);
    if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
        return QColorSpace();
    return QColorSpace::fromIccProfile(icc);
}

// Counted while the plugin loads: a decoding helper cannot look once it is shut in.
const int cores = std::max(1, QThread::idealThreadCount());

} // namespace

HeifHandler::~HeifHandler()
{
    if (primary)
        heif_image_handle_release(primary);
    if (context)
        heif_context_free(context);
}

bool HeifHandler::canRead(QIODevice *device)
{
    if (!device || !initialised())
        return false;
    const QByteArray head = device->peek(32);
    const auto *bytes = reinterpret_cast<const uint8_t *>(head.constData());
    if (head.size() < 12
        || heif_check_filetype(bytes, int(head.size())) != heif_filetype_yes_supported)
        return false;
    const heif_brand brand = heif_main_brand(bytes, int(head.size()));
    return heif_have_decoder_for_format(brand == heif_avif || brand == heif_avis
                                                ? heif_compression_AV1
                                                : heif_compression_HEVC);
}

bool HeifHandler::canRead() const
{
    if (!canRead(device()))
        return false;
    const QByteArray head = device()->peek(32);
    const heif_brand brand = heif_main_brand(reinterpret_cast<const uint8_t *>(head.constData()),
                                             int(head.size()));
    const_cast<HeifHandler *>(this)->setFormat(brand == heif_avif || brand == heif_avis ? "avif"
                                                                                        : "heic");
    return true;
}

QSize HeifHandler::parse()
{
    if (!initialised())
        return QSize();
    const heif_brand brand = heif_main_brand(reinterpret_cast<const uint8_t *>(data.constData()),
                                             int(qMin(data.size(), qsizetype(64))));
    av1 = brand == heif_avif || brand == heif_avis;
    context = heif_context_alloc();
    if (!context)
        return QSize();
    // Refused while the file is parsed, before any pixel memory is taken.
    heif_context_set_maximum_image_size_limit(context, WholeFile::maxSide);
    // A grid's tiles (a phone's photo is one) decoded side by side.
    heif_context_set_max_decoding_threads(context, cores);
    if (heif_context_read_from_memory_without_copy(context, data.constData(), size_t(data.size()),
                                                   nullptr)
                        .code
                != heif_error_Ok
        || heif_context_get_primary_image_handle(context, &primary).code != heif_error_Ok)
        return QSize();
    return sizeOf(primary);
}

// A thumbnail of the picture's own shape that is at least the target on both sides.
heif_image_handle *HeifHandler::thumbnailFor(QSize target) const
{
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0 || count > 16 || target.isEmpty())
        return nullptr;
    heif_item_id ids[16];
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids, count);
    for (int i = 0; i < count; ++i) {
        heif_image_handle *thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(primary, ids[i], &thumbnail).code != heif_error_Ok)
            continue;
        const QSize size = sizeOf(thumbnail);
        const bool sameShape = qAbs(qint64(size.width()) * fullSize.height()
                                    - qint64(size.height()) * fullSize.width())
                                       * 50
                               <= qint64(size.height()) * fullSize.width();
        if (size.width() >= target.width() && size.height() >= target.height() && sameShape)
            return thumbnail;
        heif_image_handle_release(thumbnail);
    }
    return nullptr;
}

bool HeifHandler::read(QImage *image)
{
    if (!open())
        return false;
    QImage result;
    const QSize target = this->target();
    if (target != fullSize) {
        if (heif_image_handle *thumbnail = thumbnailFor(target)) {
            result = decoded(thumbnail, av1);
            heif_image_handle_release(thumbnail);
        }
    }
    if (result.isNull())
        result = decoded(primary, av1);
    if (result.isNull())
        return false;
    result.setColorSpace(colourSpaceOf(primary));
    if (result.size() != target)
        result = result.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    *image = result;
    return !image->isNull();
}
