#include "slideshow/framefolders.h"

#include "browse/imagefiles.h"
#include "thumbs/takendate.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QPromise>
#include <QSet>
#include <QThreadPool>

#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace {

struct Walk
{
    bool recursive;
    const std::function<bool()> &stop;
    QSet<QPair<quint64, quint64>> seen; // device and inode of the folders read
    FrameFolders::Found found;

    bool full() const
    {
        return found.pictures.size() >= FrameFolders::maxPictures
               || found.dirs.size() >= FrameFolders::maxFolders || (stop && stop());
    }

    void read(const QString &folder, int depth)
    {
        struct stat status;
        if (full() || ::stat(QFile::encodeName(folder).constData(), &status) != 0
            || !S_ISDIR(status.st_mode))
            return;
        const QPair<quint64, quint64> id(quint64(status.st_dev), quint64(status.st_ino));
        if (seen.contains(id))
            return;
        seen.insert(id);
        found.dirs << folder;
        // An iterator, not a whole listing: a folder of millions of names is read only as far
        // as the limits go.
        QStringList subfolders;
        QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        while (it.hasNext() && !full()) {
            it.next();
            const QFileInfo entry = it.fileInfo();
            if (entry.isDir()) {
                if (recursive && depth < FrameFolders::maxDepth)
                    subfolders << entry.filePath();
            } else if (ImageFiles::isImageName(entry.fileName()) && entry.isReadable()) {
                found.pictures.append({entry.filePath(), entry.lastModified()});
            }
        }
        std::sort(subfolders.begin(), subfolders.end());
        for (const QString &subfolder : std::as_const(subfolders))
            read(subfolder, depth + 1);
    }
};

// One worker for every frame's folders: a scan waits for the one before rather than
// competing with the decodes. Not Qt's global pool, which the raster painter waits on.
QThreadPool *scanPool()
{
    static QThreadPool *pool = [] {
        auto *made = new QThreadPool(QCoreApplication::instance());
        made->setMaxThreadCount(1);
        return made;
    }();
    return pool;
}

} // namespace

FrameFolders::FrameFolders(const QStringList &folders, bool recursive, QObject *parent)
    : QObject(parent), folders(folders), recursive(recursive)
{
    poll.setInterval(pollMilliseconds);
    settle.setSingleShot(true);
    settle.setInterval(settleMilliseconds);
    connect(&poll, &QTimer::timeout, this, &FrameFolders::rescan);
    connect(&settle, &QTimer::timeout, this, &FrameFolders::rescan);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, &settle, qOverload<>(&QTimer::start));
    connect(&scanning, &QFutureWatcherBase::finished, this, &FrameFolders::scanned);
}

FrameFolders::~FrameFolders()
{
    // The worker stops at its next file; nobody waits for it.
    scanning.cancel();
}

void FrameFolders::start()
{
    rescan();
    poll.start();
}

FrameFolders::Found FrameFolders::scan(const QStringList &folders, bool recursive,
                                       const std::function<bool()> &stop)
{
    Walk walk{recursive, stop, {}, {}};
    for (const QString &folder : folders)
        walk.read(QDir::cleanPath(folder), 0);
    QList<FramePicture> &pictures = walk.found.pictures;
    std::sort(pictures.begin(), pictures.end(),
              [](const FramePicture &a, const FramePicture &b) { return a.path < b.path; });
    // The dates taken a batch at a time (each folder's kept dates read and written once a
    // batch), so that a stop is heard between batches.
    constexpr qsizetype batch = 2000;
    for (qsizetype from = 0; from < pictures.size() && !(stop && stop()); from += batch) {
        QStringList paths;
        QList<QDateTime> fileTimes;
        for (qsizetype i = from; i < std::min(pictures.size(), from + batch); ++i) {
            paths << pictures.at(i).path;
            fileTimes << pictures.at(i).date;
        }
        const QList<QDateTime> taken = TakenDate::of(paths, fileTimes);
        for (qsizetype i = 0; i < taken.size(); ++i)
            if (taken.at(i).isValid())
                pictures[from + i].date = taken.at(i);
    }
    return walk.found;
}

void FrameFolders::rescan()
{
    if (scanning.isRunning()) {
        again = true; // what changed meanwhile may not be in the scan under way
        return;
    }
    again = false;
    auto promise = std::make_shared<QPromise<Found>>();
    scanning.setFuture(promise->future());
    promise->start();
    scanPool()->start([promise, folders = folders, recursive = recursive] {
        const auto stop = [&promise] { return promise->isCanceled(); };
        Found found = scan(folders, recursive, stop);
        if (!promise->isCanceled())
            promise->addResult(std::move(found));
        promise->finish();
    });
}

void FrameFolders::scanned()
{
    if (scanning.isCanceled() || scanning.future().resultCount() == 0)
        return;
    Found found = scanning.future().takeResult();
    if (again)
        rescan();
    const QStringList dirs = found.dirs.mid(0, maxWatched);
    const QStringList watched = watcher.directories();
    if (watched != dirs) {
        if (!watched.isEmpty())
            watcher.removePaths(watched);
        if (!dirs.isEmpty())
            watcher.addPaths(dirs);
    }
    if (found.pictures == m_pictures)
        return;
    m_pictures = std::move(found.pictures);
    emit changed();
}
