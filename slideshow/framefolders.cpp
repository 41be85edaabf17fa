#include "slideshow/framefolders.h"

#include "browse/imagefiles.h"
#include "thumbs/takendate.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <sys/stat.h>

#include <algorithm>

namespace {

struct Walk
{
    bool recursive;
    QSet<QPair<quint64, quint64>> seen; // device and inode of the folders read
    QList<FramePicture> pictures;
    QStringList dirs;

    void read(const QString &folder, int depth)
    {
        struct stat status;
        if (::stat(QFile::encodeName(folder).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
            return;
        const QPair<quint64, quint64> id(quint64(status.st_dev), quint64(status.st_ino));
        if (seen.contains(id))
            return;
        seen.insert(id);
        dirs << folder;
        const QDir dir(folder);
        const QFileInfoList entries
                = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &entry : entries) {
            if (pictures.size() >= FrameFolders::maxPictures)
                return;
            if (entry.isDir()) {
                if (recursive && depth < FrameFolders::maxDepth)
                    read(entry.filePath(), depth + 1);
            } else if (ImageFiles::isImageName(entry.fileName()) && entry.isReadable()) {
                pictures.append({entry.filePath(), entry.lastModified()});
            }
        }
    }
};

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
}

void FrameFolders::start()
{
    rescan();
    poll.start();
}

QList<FramePicture> FrameFolders::scan(const QStringList &folders, bool recursive,
                                       QStringList *dirs)
{
    Walk walk{recursive, {}, {}, {}};
    for (const QString &folder : folders)
        walk.read(QDir::cleanPath(folder), 0);
    std::sort(walk.pictures.begin(), walk.pictures.end(),
              [](const FramePicture &a, const FramePicture &b) { return a.path < b.path; });
    // The dates taken of all at once: each folder's kept dates are then read and written once.
    QStringList paths;
    QList<QDateTime> fileTimes;
    for (const FramePicture &picture : std::as_const(walk.pictures)) {
        paths << picture.path;
        fileTimes << picture.date;
    }
    const QList<QDateTime> taken = TakenDate::of(paths, fileTimes);
    for (qsizetype i = 0; i < walk.pictures.size(); ++i)
        if (taken.at(i).isValid())
            walk.pictures[i].date = taken.at(i);
    if (dirs)
        *dirs = walk.dirs;
    return walk.pictures;
}

QDateTime FrameFolders::dateOf(const QFileInfo &file)
{
    const QDateTime taken = TakenDate::of(file.filePath(), file.lastModified());
    return taken.isValid() ? taken : file.lastModified();
}

void FrameFolders::rescan()
{
    QStringList dirs;
    QList<FramePicture> found = scan(folders, recursive, &dirs);
    dirs = dirs.mid(0, maxWatched);
    const QStringList watched = watcher.directories();
    if (watched != dirs) {
        if (!watched.isEmpty())
            watcher.removePaths(watched);
        if (!dirs.isEmpty())
            watcher.addPaths(dirs);
    }
    if (found == m_pictures)
        return;
    m_pictures = std::move(found);
    emit changed();
}
