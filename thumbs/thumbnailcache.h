#pragma once

#include "platform/fileid.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

#include <optional>

// The previews kept in the hidden ".ptthumbs" folder of each image folder. A cache file has
// the image's own file name and holds the line "<width> <height>\n" with the full image's size,
// then the preview as a BMP file. It carries the image's modification time, so that a file
// that no longer belongs to its image can be told apart.
namespace ThumbnailCache {

// The box a preview fits into.
constexpr int previewWidth = 80;
constexpr int previewHeight = 60;

struct Thumbnail
{
    int width = 0; // of the full image
    int height = 0;
    QImage preview;
};

// The cache folder beside the image at imagePath, and the image's cache file in it. Only for
// telling where they are: every operation below goes through the folder itself, never through
// a link put in its place.
QString folderPath(const QString &imagePath);
QString filePath(const QString &imagePath);

// A cache file's bytes.
QByteArray encode(int width, int height, const QImage &preview);
// The content of a cache file's bytes; nothing when they do not make a whole, sane cache file.
std::optional<Thumbnail> decode(const QByteArray &data);

// Whether a cache file with this time still belongs to an image with that one. FAT keeps
// times in 2-second steps.
bool isFresh(const QDateTime &cacheTime, const QDateTime &imageTime);

// The image's cache file's content when the cache folder is a real folder, the file a regular
// file in it, fresh and whole; nothing otherwise.
std::optional<Thumbnail> read(const QString &imagePath, const QDateTime &imageTime);

// Puts data in the image's cache file all at once (through a temporary file of an unforeseeable
// name and a rename, so a failed write leaves no part of a file, and a link at that name is
// replaced rather than followed), with imageTime as its modification time. Makes the cache
// folder when it is missing. Nothing is stored unless the folder at the image's folder path is
// still folder, the folder that was listed, and the image's name in it still is the regular file
// image that was decoded (a link may point off the card; a name may be swapped meanwhile), nor
// where the cache folder's name is taken by anything but a folder. False when nothing was stored.
bool store(const QString &imagePath, const QByteArray &data, const QDateTime &imageTime,
           FileId image, FileId folder);
// The same for the file and folder now at imagePath.
bool store(const QString &imagePath, const QByteArray &data, const QDateTime &imageTime);

// A file of the cache folder of the image folder imageFolder that belongs to no one image (its
// name has no image ending): its bytes when it is a regular file of at most maxSize bytes in a
// real cache folder.
std::optional<QByteArray> readFolderFile(const QString &imageFolder, const char *name,
                                         qint64 maxSize);
// Replaces that file all at once, as store() does; makes the cache folder when it is missing.
bool writeFolderFile(const QString &imageFolder, const char *name, const QByteArray &data);

// Removes what writes cut short left in the cache folder of the image folder imageFolder (an
// open descriptor): temporary files older than a minute.
void removeStaleParts(int imageFolder);

// Removes the cache file of the image called name in the open image folder imageFolder; moves
// it along with its renamed image, or removes it where it cannot follow.
void remove(int imageFolder, const QByteArray &name);
void remove(const QString &imagePath);
void rename(int fromFolder, const QByteArray &fromName, int toFolder, const QByteArray &toName);

} // namespace ThumbnailCache
