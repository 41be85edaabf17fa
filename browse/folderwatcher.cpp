#include "browse/folderwatcher.h"

#include "browse/imagefiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThreadPool>

#include <sys/vfs.h>

struct FolderWatcher::Inbox
{
    QMutex mutex;
    FolderWatcher *watcher = nullptr; // null once it is gone; read and set under the mutex
    quint64 generation = 0; // counts clearings; GUI thread only
};

namespace {
// The system hears nothing of what other machines or user-space drivers change there.
bool changesUnheard(const QString &folder)
{
    struct statfs facts;
    if (::statfs(QFile::encodeName(folder).constData(), &facts) != 0)
        return false;
    switch (static_cast<unsigned long>(facts.f_type)) {
    case 0x6969: // NFS
    case 0x517B: // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x65735546: // FUSE
    case 0x01021997: // 9P
        return true;
    default:
        return false;
    }
}
} // namespace

FolderWatcher::FolderWatcher(QObject *parent) : QObject(parent), inbox(std::make_shared<Inbox>())
{
    inbox->watcher = this;
    settle.setSingleShot(true);
    settle.setInterval(500);
    connect(&settle, &QTimer::timeout, this, &FolderWatcher::scanDirty);
    poll.setInterval(pollTime);
    connect(&poll, &QTimer::timeout, this, [this] {
        for (auto at = folders.cbegin(); at != folders.cend(); ++at) {
            if (!at->watched || at->polled)
                folderChanged(at.key());
        }
    });
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::folderChanged);
}

FolderWatcher::~FolderWatcher()
{
    const QMutexLocker lock(&inbox->mutex);
    inbox->watcher = nullptr;
}

void FolderWatcher::watchFolder(const QString &folder, const QStringList &names)
{
    Folder &entry = folders[folder];
    entry.whole = true;
    for (const QString &name : names)
        entry.known.insert(name, Stamp());
    arm(folder, entry);
    // Read at once: what came between the listing and the watch, and the files' times.
    folderChanged(folder);
}

void FolderWatcher::watchImages(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QFileInfo info(path);
        Folder &entry = folders[info.path()];
        entry.given.insert(info.fileName(), path);
        entry.known.insert(info.fileName(), Stamp());
        arm(info.path(), entry);
        folderChanged(info.path());
    }
}

void FolderWatcher::clear()
{
    if (!watcher.directories().isEmpty())
        watcher.removePaths(watcher.directories());
    folders.clear();
    dirty.clear();
    settle.stop();
    poll.stop();
    scanning = 0;
    ++inbox->generation; // scans under way finish into the void
}

void FolderWatcher::rescan()
{
    for (auto at = folders.cbegin(); at != folders.cend(); ++at)
        dirty.insert(at.key());
    settle.stop();
    scanDirty();
}

void FolderWatcher::arm(const QString &folder, Folder &entry)
{
    if (!entry.watched)
        entry.watched = watcher.addPath(folder);
    entry.polled = changesUnheard(folder);
    if ((!entry.watched || entry.polled) && !poll.isActive())
        poll.start();
}

void FolderWatcher::folderChanged(const QString &folder)
{
    if (!folders.contains(folder))
        return;
    dirty.insert(folder);
    // Changes that come while folders are read wait for the next reading.
    if (scanning == 0 && !settle.isActive())
        settle.start();
}

void FolderWatcher::scanDirty()
{
    const QSet<QString> due = std::exchange(dirty, {});
    for (const QString &folder : due) {
        auto entry = folders.find(folder);
        if (entry == folders.end())
            continue;
        if (entry->scanning) {
            dirty.insert(folder); // read again once the reading under way is in
            continue;
        }
        entry->scanning = true;
        startScan(folder);
    }
}

void FolderWatcher::startScan(const QString &folder)
{
    const Folder &entry = folders[folder];
    ++scanning;
    QThreadPool::globalInstance()->start([inbox = inbox, generation = inbox->generation, folder,
                                          whole = entry.whole, names = entry.given.keys()] {
        bool readable = false;
        Listing listing = read(folder, whole, names, &readable);
        const QMutexLocker lock(&inbox->mutex);
        if (FolderWatcher *watcher = inbox->watcher)
            QMetaObject::invokeMethod(
                    watcher, [=] { watcher->takeScan(generation, folder, readable, listing); },
                    Qt::QueuedConnection);
    });
}

FolderWatcher::Listing FolderWatcher::read(const QString &folder, bool whole,
                                           const QStringList &names, bool *readable)
{
    Listing listing;
    const QFileInfo self(folder);
    // A folder that went took its images along; one that cannot be read says nothing.
    *readable = !self.exists() || (self.isDir() && self.isReadable());
    if (!*readable || !self.exists())
        return listing;
    const auto take = [&listing](const QFileInfo &file) {
        if (file.isFile() && ImageFiles::isImageName(file.fileName()))
            listing.insert(file.fileName(), {file.lastModified().toMSecsSinceEpoch(), file.size()});
    };
    if (!whole) {
        for (const QString &name : names)
            take(QFileInfo(folder + QLatin1Char('/') + name));
        return listing;
    }
    QDirIterator entries(folder, QDir::Files);
    while (entries.hasNext()) {
        entries.next();
        take(entries.fileInfo());
    }
    return listing;
}

void FolderWatcher::takeScan(quint64 generation, const QString &folder, bool readable,
                             Listing listing)
{
    if (generation != inbox->generation)
        return;
    --scanning;
    if (scanning == 0 && !dirty.isEmpty())
        settle.start();
    auto entry = folders.find(folder);
    if (entry == folders.end())
        return;
    entry->scanning = false;
    // A watch ends with its folder (a card taken out): taken up again when it is back.
    entry->watched = entry->watched && QFileInfo(folder).isDir();
    arm(folder, *entry);
    if (!readable)
        return;
    const auto pathOf = [&](const QString &name) {
        return entry->whole ? folder + QLatin1Char('/') + name : entry->given.value(name);
    };
    // Updated in place rather than replaced by the listing: the names kept are those the list
    // was given, whose text the rows share, not a copy of each read again.
    QStringList added, removed, changed;
    entry->known.removeIf([&](Listing::iterator known) {
        const auto now = listing.constFind(known.key());
        if (now == listing.cend()) {
            removed << pathOf(known.key());
            return true;
        }
        if (known->time >= 0 && *known != *now)
            changed << pathOf(known.key());
        *known = *now;
        return false;
    });
    for (auto now = listing.cbegin(); now != listing.cend(); ++now) {
        if (!entry->known.contains(now.key())) {
            added << pathOf(now.key());
            entry->known.insert(now.key(), *now);
        }
    }
    if (!entry->whole) {
        // Gone from the list for good, even should a file of that name come back.
        for (const QString &path : std::as_const(removed))
            entry->given.remove(QFileInfo(path).fileName());
    }
    if (!added.isEmpty() || !removed.isEmpty() || !changed.isEmpty())
        emit imagesChanged(added, removed, changed);
}
