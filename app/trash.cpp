#include "app/trash.h"

#include "app/fileoperations.h"
#include "platform/filedescriptor.h"
#include "thumbs/thumbnailcache.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString why(int error)
{
    if (error == ESTALE)
        return QCoreApplication::translate("Trash", "The folder has changed since it was listed");
    return QString::fromLocal8Bit(std::strerror(error));
}

// A folder of ours in parent: made if missing, never a link, owned by this user, closed to
// others.
int openOwnFolder(int parent, const char *name)
{
    ::mkdirat(parent, name, 0700);
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info;
    if (fd >= 0 && (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid())) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}

// The top folder of the file system that holds folder: the last folder up the way to it on
// the same device.
QString topOf(const QString &folder, dev_t device)
{
    QString top = QDir(folder).canonicalPath();
    for (;;) {
        const QString up = ListedFolder::folderOf(top);
        struct stat info;
        if (up == top || ::stat(QFile::encodeName(up).constData(), &info) != 0
            || info.st_dev != device)
            return top;
        top = up;
    }
}

} // namespace

QString Trash::homeTrash()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/Trash");
}

std::optional<Trash::Entry> Trash::put(const QString &path, const ListedFolder &folder,
                                       QString &reason)
{
    const FileDescriptor from(folder.open());
    const QByteArray name = QFile::encodeName(ListedFolder::nameOf(path));
    struct stat file;
    if (!from.isOpen() || ::fstatat(from.fd, name.constData(), &file, AT_SYMLINK_NOFOLLOW) != 0) {
        reason = why(errno);
        return std::nullopt;
    }

    // The home's trash for files on its file system, else one at the top of the file's own.
    Entry entry{path, homeTrash(), {}};
    QString recorded = path;
    struct stat home;
    const QString data = ListedFolder::folderOf(entry.trashFolder);
    QDir().mkpath(data);
    if (::stat(QFile::encodeName(data).constData(), &home) != 0 || home.st_dev != file.st_dev) {
        const QString top = topOf(folder.path(), file.st_dev);
        entry.trashFolder = top + QStringLiteral("/.Trash-%1").arg(::geteuid());
        // Paths in a trash on another file system are relative to its top.
        if (path.startsWith(top + QLatin1Char('/')))
            recorded = path.mid(top.size() + (top == QLatin1String("/") ? 0 : 1));
    }
    const FileDescriptor parent(
            ::open(QFile::encodeName(ListedFolder::folderOf(entry.trashFolder)).constData(),
                   O_PATH | O_DIRECTORY | O_CLOEXEC));
    const FileDescriptor trash(
            parent.isOpen() ? openOwnFolder(
                    parent.fd,
                    QFile::encodeName(ListedFolder::nameOf(entry.trashFolder)).constData())
                            : -1);
    const FileDescriptor files(trash.isOpen() ? openOwnFolder(trash.fd, "files") : -1);
    const FileDescriptor info(files.isOpen() ? openOwnFolder(trash.fd, "info") : -1);
    if (!info.isOpen()) {
        reason = why(errno);
        return std::nullopt;
    }

    // The info file claims a name first, made so that no two deletes share one.
    const QByteArray text = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(recorded, "/")
                            + "\nDeletionDate="
                            + QDateTime::currentDateTime().toString(Qt::ISODate).toLatin1() + "\n";
    for (int n = 1; n < 1000; ++n) {
        const QByteArray trashName = n == 1 ? name : name + '.' + QByteArray::number(n);
        const QByteArray infoName = trashName + ".trashinfo";
        FileDescriptor infoFile(::openat(info.fd, infoName.constData(),
                                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                         0600));
        if (!infoFile.isOpen()) {
            if (errno == EEXIST)
                continue;
            reason = why(errno);
            return std::nullopt;
        }
        const bool written
                = ::write(infoFile.fd, text.constData(), size_t(text.size())) == text.size()
                  && ::fsync(infoFile.fd) == 0;
        if (written
            && ::renameat2(from.fd, name.constData(), files.fd, trashName.constData(),
                           RENAME_NOREPLACE)
                       == 0) {
            ThumbnailCache::remove(from.fd, name);
            entry.name = QFile::decodeName(trashName);
            return entry;
        }
        const int error = written ? errno : EIO;
        ::unlinkat(info.fd, infoName.constData(), 0);
        if (error != EEXIST) {
            reason = why(error);
            return std::nullopt;
        }
    }
    reason = why(EEXIST);
    return std::nullopt;
}

bool Trash::restore(const Entry &entry, const ListedFolder &folder, QString &reason)
{
    const FileDescriptor to(folder.open());
    const FileDescriptor trash(::open(QFile::encodeName(entry.trashFolder).constData(),
                                      O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const FileDescriptor files(
            trash.isOpen()
                    ? ::openat(trash.fd, "files", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                    : -1);
    const QByteArray name = QFile::encodeName(entry.name);
    const QByteArray target = QFile::encodeName(ListedFolder::nameOf(entry.originalPath));
    if (!to.isOpen() || !files.isOpen()) {
        reason = why(errno);
        return false;
    }
    if (!FileOperations::move(files.fd, name, to.fd, target)) {
        reason = errno == EEXIST ? QCoreApplication::translate(
                                           "Trash", "Another %1 is there now: both are kept")
                                           .arg(ListedFolder::nameOf(entry.originalPath))
                                 : why(errno);
        return false;
    }
    ::unlinkat(trash.fd, ("info/" + name + ".trashinfo").constData(), 0);
    return true;
}
