#include "app/trash.h"

#include "app/fileoperations.h"
#include "platform/filedescriptor.h"
#include "platform/folders.h"
#include "thumbs/thumbnailcache.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
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

QString recordPath()
{
    return Folders::records() + QStringLiteral("/trashed");
}

// One line a file: the trash's folder, the name in its files/, and the file's device, inode,
// size and time, so that a file put there since under that name by anyone else is left alone
// (a freed inode is soon given to another file).
QByteArray identity(const struct stat &file)
{
    return QByteArray::number(quint64(file.st_dev)) + ' ' + QByteArray::number(quint64(file.st_ino))
           + ' ' + QByteArray::number(qint64(file.st_size)) + ' '
           + QByteArray::number(qint64(file.st_mtim.tv_sec) * 1000000000 + file.st_mtim.tv_nsec);
}

void record(const QString &trashFolder, const QByteArray &name, const struct stat &file)
{
    const QByteArray line = QFile::encodeName(trashFolder).toPercentEncoding("/") + ' '
                            + name.toPercentEncoding() + ' ' + identity(file) + '\n';
    const FileDescriptor out(::open(QFile::encodeName(recordPath()).constData(),
                                    O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.isOpen() && ::write(out.fd, line.constData(), size_t(line.size())) == line.size())
        ::fsync(out.fd);
}

// Walks the record; remove: takes the files out for good and keeps in the record only what is
// still there (a card that is out).
Trash::Contents walk(bool remove)
{
    Trash::Contents found;
    QFile in(recordPath());
    if (!in.open(QIODevice::ReadOnly))
        return found;
    const QList<QByteArray> lines = in.read(16 * 1024 * 1024).split('\n');
    in.close();
    QByteArray kept;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 6)
            continue; // a damaged line names nothing safely
        const QByteArray folder = QByteArray::fromPercentEncoding(fields.at(0));
        const QByteArray name = QByteArray::fromPercentEncoding(fields.at(1));
        if (!folder.startsWith('/') || name.isEmpty() || name == "." || name == ".."
            || name.contains('/') || name.contains('\0'))
            continue;
        // Only a trash folder of this user, its files/ and info/ real folders, not links.
        const FileDescriptor trash(
                ::open(folder.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat info;
        if (!trash.isOpen()) {
            if (errno == ENOENT || errno == EACCES)
                kept += line + '\n'; // a card that is out may come back
            continue;
        }
        if (::fstat(trash.fd, &info) != 0 || info.st_uid != ::geteuid())
            continue;
        const FileDescriptor files(
                ::openat(trash.fd, "files", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        const FileDescriptor infos(
                ::openat(trash.fd, "info", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!files.isOpen()
            || ::fstatat(files.fd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(info.st_mode) || identity(info) != fields.mid(2).join(' '))
            continue;
        if (remove && ::unlinkat(files.fd, name.constData(), 0) != 0) {
            kept += line + '\n';
            continue;
        }
        ++found.files;
        found.bytes += info.st_size;
        if (!remove) {
            kept += line + '\n';
            continue;
        }
        if (infos.isOpen())
            ::unlinkat(infos.fd, (name + ".trashinfo").constData(), 0);
    }
    if (remove) {
        QSaveFile out(recordPath());
        if (out.open(QIODevice::WriteOnly)) {
            out.write(kept);
            out.commit();
        }
    }
    return found;
}

} // namespace

Trash::Contents Trash::ours()
{
    return walk(false);
}

Trash::Contents Trash::empty()
{
    return walk(true);
}

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
            record(entry.trashFolder, trashName, file);
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
