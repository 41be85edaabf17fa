#include "thumbs/takendate.h"

#include "thumbs/thumbnailcache.h"
#include "viewer/exifreader.h"

#include <QAtomicInt>
#include <QHash>
#include <QMutex>

#include <atomic>

namespace {

struct Known
{
    qint64 fileMs;
    QDateTime taken;
};

struct Folder
{
    QHash<QString, Known> names;
    bool dirty = false;
};

// Past these the memo starts again and a folder's file is not read, rather than grow.
constexpr qsizetype maxKnown = 200000;
constexpr qint64 maxFileSize = 16 * 1024 * 1024;
const QByteArray heading = "pictarn-dates 1\n";
const QString dateFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

QMutex memoLock;
QHash<QString, Folder> memo;
qsizetype known = 0;
QAtomicInt readCount;
std::atomic<bool> keeping{true};

// Lines of "<modification time in ms> <date taken, or -> <name>"; anything else is skipped.
Folder load(const QString &folder)
{
    Folder dates;
    const std::optional<QByteArray> data
            = ThumbnailCache::readFolderFile(folder, TakenDate::fileName, maxFileSize);
    if (!data || !data->startsWith(heading))
        return dates;
    for (const QByteArray &line : data->mid(heading.size()).split('\n')) {
        const qsizetype first = line.indexOf(' ');
        const qsizetype second = line.indexOf(' ', first + 1);
        if (first <= 0 || second <= first + 1 || second + 1 >= line.size())
            continue;
        bool ok = false;
        const qint64 fileMs = line.left(first).toLongLong(&ok);
        const QByteArray date = line.mid(first + 1, second - first - 1);
        const QDateTime taken = ExifReader::parseDate(date);
        if (ok && (date == "-" || taken.isValid()))
            dates.names.insert(QString::fromUtf8(line.mid(second + 1)), {fileMs, taken});
    }
    return dates;
}

void save(const QString &folder, const Folder &dates)
{
    QByteArray data = heading;
    for (auto it = dates.names.cbegin(); it != dates.names.cend(); ++it) {
        if (it.key().contains(QLatin1Char('\n')))
            continue; // a name no line can hold is read again next time
        data += QByteArray::number(it->fileMs) + ' '
                + (it->taken.isValid() ? it->taken.toString(dateFormat).toLatin1()
                                       : QByteArray("-"))
                + ' ' + it.key().toUtf8() + '\n';
    }
    ThumbnailCache::writeFolderFile(folder, TakenDate::fileName, data);
}

} // namespace

namespace TakenDate {

QList<QDateTime> of(const QStringList &paths, const QList<QDateTime> &fileTimes)
{
    QList<QDateTime> result(paths.size());
    const QMutexLocker locker(&memoLock);
    QStringList touched;
    for (qsizetype i = 0; i < paths.size() && i < fileTimes.size(); ++i) {
        const QString &path = paths.at(i);
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        const QString folderPath
                = slash < 0 ? QStringLiteral(".") : path.left(qMax<qsizetype>(slash, 1));
        const QString name = path.mid(slash + 1);
        auto folder = memo.find(folderPath);
        if (folder == memo.end()) {
            if (known >= maxKnown) {
                memo.clear();
                known = 0;
            }
            folder = memo.insert(folderPath, load(folderPath));
            known += folder->names.size();
        }
        const qint64 fileMs = fileTimes.at(i).toMSecsSinceEpoch();
        const auto found = folder->names.constFind(name);
        if (found != folder->names.cend() && found->fileMs == fileMs) {
            result[i] = found->taken;
            continue;
        }
        result[i] = ExifReader::dateTaken(path);
        readCount.ref();
        if (found == folder->names.cend())
            ++known;
        folder->names.insert(name, {fileMs, result.at(i)});
        if (!std::exchange(folder->dirty, true))
            touched << folderPath;
    }
    for (const QString &folderPath : std::as_const(touched)) {
        Folder &folder = memo[folderPath];
        folder.dirty = false;
        if (keeping && ExifReader::isAvailable())
            save(folderPath, folder);
    }
    return result;
}

QDateTime of(const QString &path, const QDateTime &fileTime)
{
    return of(QStringList{path}, QList<QDateTime>{fileTime}).constFirst();
}

void setKeeping(bool keep)
{
    keeping = keep;
}

int photosRead()
{
    return readCount.loadRelaxed();
}

void forget()
{
    const QMutexLocker locker(&memoLock);
    memo.clear();
    known = 0;
}

} // namespace TakenDate
