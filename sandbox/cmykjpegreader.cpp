#include "sandbox/cmykjpegreader.h"

#include "viewer/imageheader.h"

#include <QColorSpace>
#include <QSysInfo>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <unistd.h>

#ifdef PICTARN_HAVE_LCMS
#include <lcms2.h>
#endif

namespace {

struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

void onMessage(j_common_ptr, int) { }

// Reads the descriptor forwards; past its end libjpeg gets an end marker and shows the rest
// grey, as it does for any file cut short.
struct Source
{
    jpeg_source_mgr base;
    int fd;
    JOCTET buffer[65536];
};

void initSource(j_decompress_ptr) { }
void termSource(j_decompress_ptr) { }

boolean fillInput(j_decompress_ptr info)
{
    auto *source = reinterpret_cast<Source *>(info->src);
    ssize_t got = ::read(source->fd, source->buffer, sizeof source->buffer);
    if (got <= 0) {
        source->buffer[0] = 0xff;
        source->buffer[1] = JPEG_EOI;
        got = 2;
    }
    source->base.next_input_byte = source->buffer;
    source->base.bytes_in_buffer = size_t(got);
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count)
{
    jpeg_source_mgr *source = info->src;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        fillInput(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

// Turns a line of inks into sRGB, through the profile when there is a usable one. Adobe's
// files store the inks inverted (0 is full ink), the others as they are.
class Inks
{
public:
    Inks(const QByteArray &icc, bool inverted) : inverted(inverted)
    {
#ifdef PICTARN_HAVE_LCMS
        if (icc.isEmpty() || QSysInfo::ByteOrder != QSysInfo::LittleEndian)
            return;
        cmsHPROFILE cmyk = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        if (cmyk && srgb && cmsGetColorSpace(cmyk) == cmsSigCmykData) {
            // 32-bit pixels lie in memory as blue, green, red, alpha on a little-endian
            // machine; the alpha the line was filled with stays. Colorimetric: the colours
            // the inks make on paper, as ImageMagick shows them, rather than a rendering.
            transform = cmsCreateTransform(cmyk, inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, srgb,
                                           TYPE_BGRA_8, INTENT_RELATIVE_COLORIMETRIC, 0);
        }
        if (cmyk)
            cmsCloseProfile(cmyk);
        if (srgb)
            cmsCloseProfile(srgb);
#else
        Q_UNUSED(icc);
#endif
    }
    ~Inks()
    {
#ifdef PICTARN_HAVE_LCMS
        if (transform)
            cmsDeleteTransform(transform);
#endif
    }
    Inks(const Inks &) = delete;
    Inks &operator=(const Inks &) = delete;

    void convert(const uchar *inks, QRgb *line, int count) const
    {
#ifdef PICTARN_HAVE_LCMS
        if (transform) {
            cmsDoTransform(transform, inks, line, cmsUInt32Number(count));
            return;
        }
#endif
        for (int x = 0; x < count; ++x, inks += 4) {
            // What is left of each colour once its ink and the black are laid down.
            const auto left = [this](uchar ink) { return inverted ? int(ink) : 255 - ink; };
            const int k = left(inks[3]);
            line[x] = qRgb(left(inks[0]) * k / 255, left(inks[1]) * k / 255,
                           left(inks[2]) * k / 255);
        }
    }

private:
    bool inverted;
#ifdef PICTARN_HAVE_LCMS
    cmsHTRANSFORM transform = nullptr;
#endif
};

struct Decoding
{
    jpeg_decompress_struct info;
    ErrorManager error;
    Source source;
    std::vector<uchar> line;
};

// Both kept apart from anything with a destructor: a libjpeg error jumps back into them.
bool start(Decoding &decoding, QSize target)
{
    jpeg_decompress_struct &info = decoding.info;
    if (setjmp(decoding.error.jump))
        return false;
    jpeg_read_header(&info, TRUE);
    if (info.num_components != 4)
        return false;
    info.out_color_space = JCS_CMYK;
    info.mem->max_memory_to_use = long(ImageHeader::budget);
    info.scale_denom = 8;
    for (info.scale_num = 1; info.scale_num < 8; ++info.scale_num) {
        jpeg_calc_output_dimensions(&info);
        if (int(info.output_width) >= target.width() && int(info.output_height) >= target.height())
            break;
    }
    jpeg_calc_output_dimensions(&info);
    if (qint64(info.output_width) * info.output_height * 4 > ImageHeader::budget)
        return false;
    jpeg_start_decompress(&info);
    return true;
}

bool readLines(Decoding &decoding, const Inks &inks, QImage &image)
{
    jpeg_decompress_struct &info = decoding.info;
    if (setjmp(decoding.error.jump))
        return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = decoding.line.data();
        const int y = int(info.output_scanline);
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            return false;
        inks.convert(row, reinterpret_cast<QRgb *>(image.scanLine(y)), image.width());
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QImage CmykJpegReader::read(int fd, QSize target, const QByteArray &icc)
{
    if (::lseek(fd, 0, SEEK_SET) != 0 || target.isEmpty())
        return QImage();
    auto decoding = std::make_unique<Decoding>();
    jpeg_decompress_struct &info = decoding->info;
    info.err = jpeg_std_error(&decoding->error.base);
    decoding->error.base.error_exit = onError;
    decoding->error.base.emit_message = onMessage;
    jpeg_create_decompress(&info);
    decoding->source.fd = fd;
    decoding->source.base.init_source = initSource;
    decoding->source.base.fill_input_buffer = fillInput;
    decoding->source.base.skip_input_data = skipInput;
    decoding->source.base.resync_to_restart = jpeg_resync_to_restart;
    decoding->source.base.term_source = termSource;
    decoding->source.base.bytes_in_buffer = 0;
    decoding->source.base.next_input_byte = nullptr;
    info.src = &decoding->source.base;
    QImage image;
    if (start(*decoding, target)) {
        image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
        if (!image.isNull()) {
            image.fill(0xff000000);
            decoding->line.resize(size_t(image.width()) * 4);
            const Inks inks(icc, info.saw_Adobe_marker);
            if (!readLines(*decoding, inks, image))
                image = QImage();
            image.setColorSpace(QColorSpace::SRgb);
        }
    }
    jpeg_destroy_decompress(&info);
    return image;
}
