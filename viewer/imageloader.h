#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include "platform/fileid.h"

#include <optional>

// Turns an image file into a picture fitted to a box, upright as its EXIF orientation says,
// optionally turned by quarter turns or turned to fill the box best.
//
// load() checks the file's header and has a decoding helper (DecoderPool) read what the
// file's content is; the pixels are decoded there too, when a scaling call names its target,
// at the smallest scale the decoder offers that is not below it. The image a call returns
// stays the loader's: it is valid until the next load(), scaling call or release().
class ImageLoader
{
public:
    ImageLoader() = default;
    ~ImageLoader();
    ImageLoader(const ImageLoader &) = delete;
    ImageLoader &operator=(const ImageLoader &) = delete;

    // Opens the file without waiting on it and reads its header; only a regular file that
    // is not empty is read, and that same open file is what later decodes read.
    void load(const QString &fileName);

    // A decoding helper read the file's content and no reader knew it.
    bool notAPicture() const { return refused; }

    // The format the file's content showed ("jpeg", "png"...); empty when no reader knows it.
    QByteArray imageFormat() const { return format; }
    // Entries in the file's own colour table, 0 when it has none; a GIF tells at load(),
    // other files once a scaling call has decoded them.
    int colorCount() const { return colours; }

    // The full image's size, upright; 0 when nothing is loaded or the file does not decode.
    int width() const;
    int height() const;

    // Never 0 on either side for an image that has a size: a thin strip stays one pixel wide.
    QSize fitSize(int boxWidth, int boxHeight) const;

    // Null when nothing is loaded; a null image when the file does not decode.
    QImage *scaledImage(int boxWidth, int boxHeight, bool &rotate, int degrees, bool bestFit);
    QImage *fittedImage(int boxWidth, int boxHeight);
    QImage *bestFitImage(int boxWidth, int boxHeight, bool &rotated);
    QImage *bestFitImage(int boxWidth, int boxHeight);
    QImage *rotatedImage(int boxWidth, int boxHeight, int degrees);

    // Turns image clockwise by 90, 180 or 270 degrees; the result becomes the current image.
    QImage *rotateImage(QImage image, int degrees);

    void release();

    // Which file load() opened; null when none is open.
    FileId fileId() const { return FileId::ofDescriptor(fd); }

    // The pixel turn alone, for 8-bit and 32-bit images (others are converted first).
    static QImage turned(const QImage &image, int degrees);

    // Headers declaring more pixels than this are taken for damaged files.
    static constexpr qint64 maxPixels = qint64(1) << 28;

private:
    QImage decode(QSize target);
    void fail();
    void close();

    int fd = -1;
    QByteArray format;
    int colours = 0;
    QSize fullSize; // upright
    bool swapped = false; // the file stores the image turned by a quarter
    bool loaded = false;
    bool refused = false;
    std::optional<QImage> image;
};
