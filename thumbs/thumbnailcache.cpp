#include "thumbs/thumbnailcache.h"

#include "platform/filedescriptor.h"
#include "viewer/imageloader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

// An image path split into its folder and its name, as the system calls take them.
struct ImageName
{
    explicit ImageName(const QString &imagePath)
    {
        const qsizetype slash = imagePath.lastIndexOf(QLatin1Char('/'));
        folder = QFile::encodeName(slash < 0    ? QStringLiteral(".")
                                   : slash == 0 ? QStringLiteral("/")
                                                : imagePath.left(slash));
        name = QFile::encodeName(imagePath.mid(slash + 1));
    }
    bool isValid() const { return !name.isEmpty() && name != "." && name != ".."; }
    QByteArray folder;
    QByteArray name;
};

const char cacheFolderName[] = ".ptthumbs";
const char partPrefix[] = ".ptthumb-";
const char partSuffix[] = ".part";
constexpr long staleSeconds = 60;

// The image's folder itself; the way to it may hold links, as a bookmark to a mount point does.
int openImageFolder(const ImageName &image)
{
    return ::open(image.folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// The cache folder in it, only when that is a real folder and not a link to one elsewhere.
int openCacheFolder(int imageFolder)
{
    return ::openat(imageFolder, cacheFolderName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

int openCacheFolder(const ImageName &image)
{
    const FileDescriptor folder(openImageFolder(image));
    return folder.fd < 0 ? -1 : openCacheFolder(folder.fd);
}

bool readAll(int fd, QByteArray &data)
{
    qsizetype got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd, data.data() + got, size_t(data.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += n;
    }
    return true;
}

bool writeAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Puts data at name in the cache folder through a temporary file of an unforeseeable name and
// a rename. The written file stays open in file, for the caller's last touches.
bool replace(int folder, const QByteArray &name, const QByteArray &data, FileDescriptor &file)
{
    // A name nobody can foresee, so that nothing put there beforehand stops the write.
    QByteArray temporary;
    for (int attempt = 0; attempt < 4 && file.fd < 0; ++attempt) {
        temporary = QByteArray(partPrefix)
                    + QByteArray::number(QRandomGenerator::system()->generate64(), 16) + partSuffix;
        file.reset(::openat(folder, temporary.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (file.fd < 0 && errno != EEXIST)
            return false;
    }
    if (file.fd < 0)
        return false;
    // renameat() replaces whatever has the name, a link included, without following it.
    if (writeAll(file.fd, data)
        && ::renameat(folder, temporary.constData(), folder, name.constData()) == 0)
        return true;
    ::unlinkat(folder, temporary.constData(), 0);
    return false;
}

// The cache folder of imageFolder (an open descriptor), made when missing and make is set.
int openOrMakeCacheFolder(int imageFolder, const QString &shownPath)
{
    int folder = openCacheFolder(imageFolder);
    if (folder < 0) {
        // mkdirat() makes nothing where a link or a file has the name, and follows no link.
        // Opened again whatever it says: another write may just have made the folder.
        ::mkdirat(imageFolder, cacheFolderName, 0777);
        folder = openCacheFolder(imageFolder);
        if (folder < 0)
            qWarning("can't create directory: %s", qUtf8Printable(shownPath));
    }
    return folder;
}

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
    // No image the loader would open is bigger: such a header is damage, not a size to show.
    if (!widthOk || !heightOk || thumbnail.width <= 0 || thumbnail.height <= 0
        || qint64(thumbnail.width) * thumbnail.height > ImageLoader::maxPixels)
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

std::optional<Thumbnail> read(const QString &imagePath, const QDateTime &imageTime)
{
    const ImageName image(imagePath);
    if (!image.isValid())
        return std::nullopt;
    const FileDescriptor folder(openCacheFolder(image));
    if (folder.fd < 0)
        return std::nullopt;
    // Not through a link, and never blocking on a pipe put in the file's place.
    const FileDescriptor file(::openat(folder.fd, image.name.constData(),
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
    return readAll(file.fd, data) ? decode(data) : std::nullopt;
}

bool store(const QString &imagePath, const QByteArray &data, const QDateTime &imageTime,
           FileId imageId, FileId folderId)
{
    const ImageName image(imagePath);
    if (data.isEmpty() || !imageTime.isValid() || !image.isValid() || imageId.isNull()
        || folderId.isNull())
        return false;
    const FileDescriptor imageFolder(openImageFolder(image));
    struct stat info;
    if (imageFolder.fd < 0 || FileId::ofDescriptor(imageFolder.fd) != folderId
        || ::fstatat(imageFolder.fd, image.name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0
        || !S_ISREG(info.st_mode) || FileId::of(info) != imageId)
        return false;
    const FileDescriptor folder(openOrMakeCacheFolder(imageFolder.fd, folderPath(imagePath)));
    if (folder.fd < 0)
        return false;
    const qint64 ms = imageTime.toMSecsSinceEpoch();
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(ms / 1000 - (ms % 1000 < 0 ? 1 : 0));
    times[1].tv_nsec = long((ms % 1000 + 1000) % 1000) * 1000000;
    // The time is set after the rename: until then the temporary file's own age tells a stale
    // one.
    FileDescriptor file;
    if (!replace(folder.fd, image.name, data, file))
        return false;
    // A file whose time or last bytes did not make it belongs to no image.
    if (::futimens(file.fd, times) == 0 && ::close(std::exchange(file.fd, -1)) == 0)
        return true;
    ::unlinkat(folder.fd, image.name.constData(), 0);
    return false;
}

bool store(const QString &imagePath, const QByteArray &data, const QDateTime &imageTime)
{
    const ImageName image(imagePath);
    const FileDescriptor folder(openImageFolder(image));
    struct stat info;
    if (folder.fd < 0 || !image.isValid()
        || ::fstatat(folder.fd, image.name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return store(imagePath, data, imageTime, FileId::of(info), FileId::ofDescriptor(folder.fd));
}

std::optional<QByteArray> readFolderFile(const QString &imageFolder, const char *name,
                                         qint64 maxSize)
{
    const FileDescriptor folder(
            ::open(QFile::encodeName(imageFolder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    const FileDescriptor cache(folder.fd < 0 ? -1 : openCacheFolder(folder.fd));
    const FileDescriptor file(
            cache.fd < 0
                    ? -1
                    : ::openat(cache.fd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)
        || info.st_size > maxSize)
        return std::nullopt;
    QByteArray data(qsizetype(info.st_size), Qt::Uninitialized);
    return readAll(file.fd, data) ? std::optional<QByteArray>(data) : std::nullopt;
}

bool writeFolderFile(const QString &imageFolder, const char *name, const QByteArray &data)
{
    const FileDescriptor folder(
            ::open(QFile::encodeName(imageFolder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd < 0)
        return false;
    const FileDescriptor cache(
            openOrMakeCacheFolder(folder.fd, imageFolder + QStringLiteral("/.ptthumbs")));
    FileDescriptor file;
    return cache.fd >= 0 && replace(cache.fd, name, data, file)
           && ::close(std::exchange(file.fd, -1)) == 0;
}

void removeStaleParts(int imageFolder)
{
    const int cache = openCacheFolder(imageFolder);
    if (cache < 0)
        return;
    DIR *entries = ::fdopendir(cache); // takes the descriptor
    if (!entries) {
        ::close(cache);
        return;
    }
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    while (const struct dirent *entry = ::readdir(entries)) {
        const QByteArrayView name(entry->d_name);
        if (!name.startsWith(partPrefix) || !name.endsWith(partSuffix))
            continue;
        struct stat info;
        if (::fstatat(cache, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(info.st_mode) && info.st_uid == ::geteuid()
            && now.tv_sec - info.st_mtim.tv_sec > staleSeconds)
            ::unlinkat(cache, entry->d_name, 0);
    }
    ::closedir(entries);
}

void remove(int imageFolder, const QByteArray &name)
{
    const FileDescriptor folder(openCacheFolder(imageFolder));
    if (folder.fd >= 0 && !name.isEmpty() && name != "." && name != "..")
        ::unlinkat(folder.fd, name.constData(), 0);
}

void remove(const QString &imagePath)
{
    const ImageName image(imagePath);
    const FileDescriptor folder(openImageFolder(image));
    if (folder.fd >= 0)
        remove(folder.fd, image.name);
}

void rename(int fromFolder, const QByteArray &fromName, int toFolder, const QByteArray &toName)
{
    const FileDescriptor fromCache(openCacheFolder(fromFolder));
    if (fromCache.fd < 0 || fromName.isEmpty() || fromName == "." || fromName == "..")
        return;
    // The preview keeps its image's time, so it still belongs to the image under the new name.
    const bool named = !toName.isEmpty() && toName != "." && toName != "..";
    const FileDescriptor toCache(named ? openCacheFolder(toFolder) : -1);
    if (toCache.fd < 0
        || ::renameat(fromCache.fd, fromName.constData(), toCache.fd, toName.constData()) != 0)
        ::unlinkat(fromCache.fd, fromName.constData(), 0);
}

} // namespace ThumbnailCache
