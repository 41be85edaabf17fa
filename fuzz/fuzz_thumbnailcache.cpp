// Feeds arbitrary bytes to the preview cache reader, both as bytes and as a file on disk.
// With PICTARN_FUZZ_SEEDS=<dir> set it writes good cache files there to start from and exits.

#include "thumbs/thumbnailcache.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QTemporaryDir *workDir = nullptr;
const QDateTime imageTime = QDateTime::fromSecsSinceEpoch(1'000'000'000);

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_thumbnailcache: %s\n", what);
        std::abort();
    }
}

// Compares pixels, not storage: a preview may come back in another format.
bool samePicture(const QImage &a, const QImage &b)
{
    return a.size() == b.size()
           && a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

QImage gradient(int w, int h, QImage::Format format)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x + y) % 256));
    return image.convertToFormat(format);
}

void put16(QByteArray &data, quint16 value)
{
    data.append(char(value & 0xff)).append(char(value >> 8));
}

void put32(QByteArray &data, quint32 value)
{
    put16(data, quint16(value & 0xffff));
    put16(data, quint16(value >> 16));
}

// A BMP laid out by hand, for the kinds the toolkit's writer never puts out: 4 and 16 bits,
// bit fields, short colour tables, rows stored top-down.
QByteArray handMadeBmp(int width, int height, quint16 bits, quint32 compression,
                       const QList<quint32> &masks, int colours)
{
    const int rows = qAbs(height);
    const int stride = (width * bits + 31) / 32 * 4;
    const quint32 pixelsAt = 14 + 40 + 4 * (masks.size() + colours);
    QByteArray data("BM");
    put32(data, pixelsAt + quint32(stride * rows));
    put32(data, 0);
    put32(data, pixelsAt);
    put32(data, 40);
    put32(data, quint32(width));
    put32(data, quint32(height));
    put16(data, 1);
    put16(data, bits);
    put32(data, compression);
    put32(data, quint32(stride * rows));
    put32(data, 2835);
    put32(data, 2835);
    put32(data, quint32(colours));
    put32(data, 0);
    for (quint32 mask : masks)
        put32(data, mask);
    for (int i = 0; i < colours; ++i)
        put32(data, quint32(qRgb(i * 40 % 256, i * 90 % 256, i * 15 % 256)));
    for (int i = 0; i < stride * rows; ++i)
        data.append(char(i * 37 % 251));
    return data;
}

void writeSeeds(const QString &dir)
{
    QDir().mkpath(dir);
    struct Seed
    {
        const char *name;
        int width, height;
        QImage preview;
    } seeds[] = {
            {"rgb32", 640, 480, gradient(80, 60, QImage::Format_RGB32)},
            {"portrait", 480, 640, gradient(45, 60, QImage::Format_RGB32)},
            {"indexed8", 800, 600, gradient(80, 60, QImage::Format_Indexed8)},
            {"mono", 16, 12, gradient(16, 12, QImage::Format_Mono)},
            {"argb32", 3, 2, gradient(3, 2, QImage::Format_ARGB32)},
            {"onepixel", 1, 1, gradient(1, 1, QImage::Format_RGB32)},
    };
    for (const Seed &seed : seeds) {
        QFile file(dir + QLatin1Char('/') + QLatin1String(seed.name));
        const QByteArray data = ThumbnailCache::encode(seed.width, seed.height, seed.preview);
        check(!data.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(data) == data.size(),
              "cannot write a seed");
    }
    const struct
    {
        const char *name;
        QByteArray bmp;
    } handMade[] = {
            {"bits4", handMadeBmp(7, 5, 4, 0, {}, 16)},
            {"bits16-565", handMadeBmp(9, 4, 16, 3, {0xf800, 0x07e0, 0x001f}, 0)},
            {"bits32-fields", handMadeBmp(4, 3, 32, 3, {0xff0000, 0xff00, 0xff}, 0)},
            {"topdown24", handMadeBmp(5, -6, 24, 0, {}, 0)},
            {"bits8-shortpalette", handMadeBmp(6, 6, 8, 0, {}, 3)},
    };
    for (const auto &seed : handMade) {
        QFile file(dir + QLatin1Char('/') + QLatin1String(seed.name));
        const QByteArray data = QByteArray("320 240\n") + seed.bmp;
        check(file.open(QIODevice::WriteOnly) && file.write(data) == data.size(),
              "cannot write a seed");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "fuzz_thumbnailcache";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
    // The image reader's complaints about odd files would drown the fuzzer's own output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    if (qEnvironmentVariableIsSet("PICTARN_FUZZ_SEEDS")) {
        writeSeeds(qEnvironmentVariable("PICTARN_FUZZ_SEEDS"));
        std::exit(0);
    }
    workDir = new QTemporaryDir;
    check(workDir->isValid(), "no temporary folder");
    // The image the cache file belongs to: only a regular file gets one.
    QFile image(workDir->filePath(QStringLiteral("picture.jpg")));
    check(image.open(QIODevice::WriteOnly), "cannot make the image file");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char *>(bytes), qsizetype(size));
    const std::optional<ThumbnailCache::Thumbnail> decoded = ThumbnailCache::decode(data);
    if (decoded) {
        check(decoded->width > 0 && decoded->height > 0, "image size not positive");
        check(!decoded->preview.isNull(), "null preview");
        check(decoded->preview.width() <= ThumbnailCache::previewWidth
                      && decoded->preview.height() <= ThumbnailCache::previewHeight,
              "preview larger than its box");
        // Storing what was read and reading it again gives it back.
        const QByteArray again
                = ThumbnailCache::encode(decoded->width, decoded->height, decoded->preview);
        const std::optional<ThumbnailCache::Thumbnail> back = ThumbnailCache::decode(again);
        check(back.has_value(), "re-encoded preview does not decode");
        check(back->width == decoded->width && back->height == decoded->height,
              "image size changed on re-encoding");
        check(samePicture(back->preview, decoded->preview), "preview changed on re-encoding");
    }

    // The same bytes as a cache file on disk read the same as from memory.
    const QString path = workDir->filePath(QStringLiteral("picture.jpg"));
    ThumbnailCache::remove(path);
    if (!data.isEmpty())
        check(ThumbnailCache::store(path, data, imageTime), "cannot store the cache file");
    const std::optional<ThumbnailCache::Thumbnail> fromFile = ThumbnailCache::read(path, imageTime);
    const bool fits = size <= 256 * 1024;
    check(fromFile.has_value() == (decoded.has_value() && fits), "file and memory disagree");
    if (fromFile)
        check(fromFile->width == decoded->width && fromFile->height == decoded->height
                      && samePicture(fromFile->preview, decoded->preview),
              "file and memory give different previews");
    return 0;
}
