#include "sandbox/pngreader.h"

#include "viewer/imageheader.h"

#include <QSysInfo>

#include <csetjmp>
#include <vector>

#include <png.h>
#include <unistd.h>

namespace {

[[noreturn]] void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) { }

void readData(png_structp png, png_bytep data, size_t length)
{
    const int fd = *static_cast<int *>(png_get_io_ptr(png));
    while (length > 0) {
        const ssize_t got = ::read(fd, data, length);
        if (got <= 0)
            png_error(png, "cut short");
        data += got;
        length -= size_t(got);
    }
}

// Both kept apart from anything with a destructor: a libpng error jumps back into them.
bool readHeader(png_structp png, png_infop info, QByteArray &icc)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length) && profile)
        icc = QByteArray(reinterpret_cast<const char *>(profile), int(length));
    // Every kind of PNG to blue, green, red, alpha bytes: 32-bit ARGB on a little-endian
    // machine.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return png_get_rowbytes(png, info) == size_t(png_get_image_width(png, info)) * 4;
}

bool readRows(png_structp png, png_infop info, std::vector<png_bytep> &rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows.data());
    png_read_end(png, info);
    return true;
}

} // namespace

QImage PngReader::read(int fd, QByteArray &icc)
{
    icc.clear();
    if (::lseek(fd, 0, SEEK_SET) != 0 || QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        return QImage();
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return QImage();
    }
    int source = fd;
    png_set_read_fn(png, &source, readData);
    png_set_user_limits(png, 1u << 28, 1u << 28);
    png_set_chunk_malloc_max(png, 8u << 20);
    QImage image;
    std::vector<png_bytep> rows;
    if (readHeader(png, info, icc)) {
        const qint64 width = png_get_image_width(png, info);
        const qint64 height = png_get_image_height(png, info);
        if (width * height * 4 <= ImageHeader::budget)
            image = QImage(int(width), int(height), QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y)
            rows.push_back(image.scanLine(y));
        if (!image.isNull() && !readRows(png, info, rows))
            image = QImage();
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return image;
}
