#include "thumbs/thumbnailcache.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Two ten-digit numbers, a blank and the line feed fit with room to spare.
constexpr qsizetype maxHeaderLength = 32;
// Far more than any 80 x 60 BMP takes; anything bigger is not one of ours.
constexpr qint64 maxFileSize = 256 * 1024;
constexpr qint64 freshnessMs = 2000;

quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

// Whether bmp holds all the pixel rows its headers promise. The toolkit's reader would return
// a half-filled picture for a cut-off file instead of failing.
bool isWholeBmp(QByteArrayView bmp)
{
    constexpr qsizetype fileHeader = 14;
    constexpr qsizetype infoHeader = 40;
    if (bmp.size() < fileHeader + infoHeader || !bmp.startsWith("BM"))
        return false;
    const char *p = bmp.data();
    const quint32 pixelsAt = le32(p + 10);
    const quint32 infoSize = le32(p + 14);
    const qint64 width = qint32(le32(p + 18));
    const qint64 height = qint32(le32(p + 22));
    const quint16 bits = qFromLittleEndian<quint16>(p + 28);
    const quint32 compression = le32(p + 30);
    if (infoSize < infoHeader || width <= 0 || height == 0 || width > ThumbnailCache::previewWidth
        || qAbs(height) > ThumbnailCache::previewHeight)
        return false;
    // Uncompressed rows or bit fields only: what BMP writers put out for small pictures.
    if (compression != 0 && compression != 3)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    const qint64 stride = (width * bits + 31) / 32 * 4;
    return qint64(pixelsAt) + stride * qAbs(height) <= bmp.size();
}

// Whether every pixel of an indexed picture names a colour its table has. The toolkit takes the
// others for black or clear, and would turn them into other colours on writing the file again.
bool hasAllItsColours(const QImage &image)
{
    if (image.format() != QImage::Format_Mono && image.format() != QImage::Format_MonoLSB
        && image.format() != QImage::Format_Indexed8)
        return true;
    const int colours = image.colorCount();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelIndex(x, y) >= colours)
                return false;
    return true;
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : fd(fd) { }
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    const int fd;
};

} // namespace

namespace ThumbnailCache {

QString folderPath(const QString &imagePath)
{
    return imagePath.left(imagePath.lastIndexOf(QLatin1Char('/'))) + QStringLiteral("/.ptthumbs");
}

QString filePath(const QString &imagePath)
{
    const qsizetype slash = imagePath.lastIndexOf(QLatin1Char('/'));
    return folderPath(imagePath) + QLatin1Char('/') + imagePath.mid(slash + 1);
}

QByteArray encode(int width, int height, const QImage &preview)
{
    QByteArray data = QStringLiteral("%1 %2\n").arg(width).arg(height).toLatin1();
    QImage image = preview;
    // Formats the BMP writer stores as they are; others would lose colours or gain alpha.
    if (image.format() != QImage::Format_Mono && image.format() != QImage::Format_Indexed8
        && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly | QIODevice::Append);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image))
        return QByteArray();
    return data;
}

std::optional<Thumbnail> decode(const QByteArray &data)
{
    const qsizetype end = data.left(maxHeaderLength).indexOf('\n');
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> fields = data.left(end).simplified().split(' ');
    if (fields.size() != 2)
        return std::nullopt;
    Thumbnail thumbnail;
    bool widthOk = false;
    bool heightOk = false;
    thumbnail.width = fields.at(0).toInt(&widthOk);
    thumbnail.height = fields.at(1).toInt(&heightOk);
    if (!widthOk || !heightOk || thumbnail.width <= 0 || thumbnail.height <= 0)
        return std::nullopt;

    const QByteArray bmp
            = QByteArray::fromRawData(data.constData() + end + 1, data.size() - end - 1);
    if (!isWholeBmp(bmp))
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(bmp);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    if (!reader.read(&thumbnail.preview) || thumbnail.preview.isNull()
        || !hasAllItsColours(thumbnail.preview))
        return std::nullopt;
    return thumbnail;
}

bool isFresh(const QDateTime &cacheTime, const QDateTime &imageTime)
{
    if (!cacheTime.isValid() || !imageTime.isValid())
        return false;
    return qAbs(cacheTime.toMSecsSinceEpoch() - imageTime.toMSecsSinceEpoch()) <= freshnessMs;
}

std::optional<Thumbnail> read(const QString &cacheFile, const QDateTime &imageTime)
{
    // Not through a link, and never blocking on a pipe put in the file's place.
    const FileDescriptor file(::open(QFile::encodeName(cacheFile).constData(),
                                     O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.fd < 0)
        return std::nullopt;
    struct stat info;
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxFileSize)
        return std::nullopt;
    const QDateTime cacheTime = QDateTime::fromMSecsSinceEpoch(qint64(info.st_mtim.tv_sec) * 1000
                                                               + info.st_mtim.tv_nsec / 1000000);
    if (!isFresh(cacheTime, imageTime))
        return std::nullopt;

    QByteArray data(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(file.fd, data.data() + got, size_t(data.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        got += n;
    }
    return decode(data);
}

bool write(const QString &cacheFile, const QByteArray &data, const QDateTime &imageTime)
{
    if (data.isEmpty() || !imageTime.isValid())
        return false;
    const QString temporary
            = QFileInfo(cacheFile).path()
              + QStringLiteral("/.ptthumb-%1.part").arg(QCoreApplication::applicationPid());
    QFile::remove(temporary); // left by a write of ours that was cut short
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    bool ok = file.write(data) == data.size() && file.flush()
              && file.setFileTime(imageTime, QFileDevice::FileModificationTime);
    file.close();
    ok = ok && file.error() == QFileDevice::NoError;
    // rename() replaces whatever is at the path, a link included, without following it.
    ok = ok
         && ::rename(QFile::encodeName(temporary).constData(),
                     QFile::encodeName(cacheFile).constData())
                    == 0;
    if (!ok)
        QFile::remove(temporary);
    return ok;
}

} // namespace ThumbnailCache
