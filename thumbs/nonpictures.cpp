#include "thumbs/nonpictures.h"

#include "thumbs/thumbnailcache.h"

#include <QHash>
#include <QImageReader>
#include <QMutex>

namespace {

struct Stamp
{
    qint64 size;
    qint64 modifiedMs;
    bool operator==(const Stamp &other) const
    {
        return size == other.size && modifiedMs == other.modifiedMs;
    }
};

using Folder = QHash<QString, Stamp>;

// A card full of other files must not grow the memo or the file without bound.
constexpr qsizetype maxPerFolder = 4096;
constexpr qsizetype maxFolders = 256;
constexpr qint64 maxFileSize = 1024 * 1024;

QMutex lock;
QHash<QString, Folder> memo;

// The readers decide what is no picture: a record made with other readers is not trusted.
QByteArray heading()
{
    static const QByteArray text
            = "pictarn-nonpictures 1 " + QImageReader::supportedImageFormats().join(',') + '\n';
    return text;
}

// Lines of "<size> <modification time in ms> <name>"; anything else is skipped.
Folder load(const QString &folder)
{
    Folder names;
    const std::optional<QByteArray> data
            = ThumbnailCache::readFolderFile(folder, NonPictures::fileName, maxFileSize);
    if (!data || !data->startsWith(heading()))
        return names;
    for (const QByteArray &line : data->mid(heading().size()).split('\n')) {
        const qsizetype first = line.indexOf(' ');
        const qsizetype second = line.indexOf(' ', first + 1);
        if (first <= 0 || second <= first + 1 || second + 1 >= line.size()
            || names.size() >= maxPerFolder)
            continue;
        bool sizeOk = false;
        bool timeOk = false;
        const Stamp stamp{line.left(first).toLongLong(&sizeOk),
                          line.mid(first + 1, second - first - 1).toLongLong(&timeOk)};
        if (sizeOk && timeOk)
            names.insert(QString::fromUtf8(line.mid(second + 1)), stamp);
    }
    return names;
}

Folder &folderOf(const QString &folder)
{
    auto found = memo.find(folder);
    if (found == memo.end()) {
        if (memo.size() >= maxFolders)
            memo.clear();
        found = memo.insert(folder, load(folder));
    }
    return *found;
}

std::pair<QString, QString> split(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return {slash < 0 ? QStringLiteral(".") : path.left(qMax<qsizetype>(slash, 1)),
            path.mid(slash + 1)};
}

} // namespace

namespace NonPictures {

bool known(const QString &path, qint64 size, const QDateTime &modified)
{
    if (!modified.isValid())
        return false;
    const auto [folder, name] = split(path);
    const QMutexLocker locker(&lock);
    const Folder &names = folderOf(folder);
    const auto found = names.constFind(name);
    return found != names.cend() && *found == Stamp{size, modified.toMSecsSinceEpoch()};
}

void add(const QString &path, qint64 size, const QDateTime &modified)
{
    const auto [folder, name] = split(path);
    if (!modified.isValid() || name.contains(QLatin1Char('\n')))
        return;
    const QMutexLocker locker(&lock);
    Folder &names = folderOf(folder);
    if (names.size() >= maxPerFolder)
        names.clear(); // older records go first: their files may be gone
    names.insert(name, {size, modified.toMSecsSinceEpoch()});
    QByteArray data = heading();
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        data += QByteArray::number(it->size) + ' ' + QByteArray::number(it->modifiedMs) + ' '
                + it.key().toUtf8() + '\n';
    ThumbnailCache::writeFolderFile(folder, fileName, data);
}

void forget()
{
    const QMutexLocker locker(&lock);
    memo.clear();
}

} // namespace NonPictures
