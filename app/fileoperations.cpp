#include "app/fileoperations.h"

#include "app/movejournal.h"
#include "platform/filedescriptor.h"
#include "thumbs/thumbnailcache.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString reason(int error)
{
    if (error == ESTALE)
        return QCoreApplication::translate("FileOperations",
                                           "The folder has changed since it was listed");
    if (error == ENOENT)
        return QCoreApplication::translate("FileOperations", "The file is gone");
    return QString::fromLocal8Bit(std::strerror(error));
}

bool sameFile(int fromFolder, const QByteArray &from, int toFolder, const QByteArray &to)
{
    struct stat a, b;
    return ::fstatat(fromFolder, from.constData(), &a, AT_SYMLINK_NOFOLLOW) == 0
           && ::fstatat(toFolder, to.constData(), &b, AT_SYMLINK_NOFOLLOW) == 0
           && FileId::of(a) == FileId::of(b);
}

bool readAll(int fd, char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Copies source to target from the start, or compares them when compare is set.
bool copyOrCompare(int source, int target, off_t size, bool compare)
{
    constexpr size_t chunk = 256 * 1024;
    QByteArray a(chunk, Qt::Uninitialized), b(compare ? chunk : 0, Qt::Uninitialized);
    if (::lseek(source, 0, SEEK_SET) != 0 || ::lseek(target, 0, SEEK_SET) != 0)
        return false;
    for (off_t done = 0; done < size;) {
        const size_t n = size_t(std::min<off_t>(chunk, size - done));
        if (!readAll(source, a.data(), n))
            return false;
        if (compare ? !readAll(target, b.data(), n) || std::memcmp(a.data(), b.data(), n) != 0
                    : !writeAll(target, a.data(), n))
            return false;
        done += off_t(n);
    }
    char extra;
    return !compare || ::read(target, &extra, 1) == 0;
}

// Gives the file at from the name to, failing with EEXIST rather than replacing a file there.
bool renameNoReplace(int fromFolder, const char *from, int toFolder, const char *to)
{
    if (::renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL)
        return false;
    // A file system that cannot promise it (FAT on older kernels): a hard link never
    // replaces; where there are none, the name is checked just before.
    if (::linkat(fromFolder, from, toFolder, to, 0) == 0) {
        if (::unlinkat(fromFolder, from, 0) == 0)
            return true;
        const int error = errno;
        ::unlinkat(toFolder, to, 0);
        errno = error;
        return false;
    }
    if (errno == EEXIST)
        return false;
    struct stat info;
    if (::fstatat(toFolder, to, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(fromFolder, from, toFolder, to) == 0;
}

bool copyAcross(int from, const QByteArray &name, int to, const QByteArray &toName, bool move)
{
    const FileDescriptor source(
            ::openat(from, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (!source.isOpen() || ::fstat(source.fd, &info) != 0)
        return false;
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return false;
    }
    // Written unnamed where the file system allows, else under a name of its own, so that no
    // half-copied file ever has the final name.
    const QByteArray part = ".pictarn-"
                            + QByteArray::number(QRandomGenerator::system()->generate64(), 16)
                            + ".part";
    const MoveJournal journal(from, name, to, toName, part, move);
    FileDescriptor target(::openat(to, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    const bool named = !target.isOpen();
    if (named)
        target.reset(::openat(to, part.constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    bool ok = target.isOpen() && copyOrCompare(source.fd, target.fd, info.st_size, false)
              && ::fsync(target.fd) == 0 && copyOrCompare(source.fd, target.fd, info.st_size, true)
              && ::fchmod(target.fd, info.st_mode & 07777) == 0
              && ::futimens(target.fd, times) == 0;
    if (ok && !named) {
        // A link never replaces a file of that name.
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(target.fd);
        ok = ::linkat(AT_FDCWD, self.constData(), to, toName.constData(), AT_SYMLINK_FOLLOW) == 0;
    } else if (ok) {
        ok = renameNoReplace(to, part.constData(), to, toName.constData());
    }
    int error = ok ? 0 : errno ? errno : EIO;
    if (ok) {
        const FileDescriptor folder(::openat(to, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ::fsync(folder.fd);
        // The original goes only once the copy is whole at its new place.
        if (move && ::unlinkat(from, name.constData(), 0) != 0) {
            error = errno;
            ::unlinkat(to, toName.constData(), 0);
            ok = false;
        }
    } else if (named && target.isOpen()) {
        ::unlinkat(to, part.constData(), 0);
    }
    errno = error;
    return ok;
}

} // namespace

bool FileOperations::move(int from, const QByteArray &name, int to, const QByteArray &toName)
{
    if (renameNoReplace(from, name.constData(), to, toName.constData()))
        return true;
    return errno == EXDEV && copyAcross(from, name, to, toName, true);
}

FileOperations::Outcome FileOperations::remove(const QString &path, const ListedFolder &folder)
{
    const QByteArray name = QFile::encodeName(ListedFolder::nameOf(path));
    const FileDescriptor dir(folder.open());
    if (!dir.isOpen() || ::unlinkat(dir.fd, name.constData(), 0) != 0)
        return {false, reason(errno), path};
    ThumbnailCache::remove(dir.fd, name);
    return {true, {}, {}};
}

FileOperations::Outcome FileOperations::rename(const QString &path, const ListedFolder &folder,
                                               const QString &newName)
{
    const bool absolute = newName.startsWith(QLatin1Char('/'));
    const QString targetName = absolute ? ListedFolder::nameOf(newName) : newName;
    if (targetName.isEmpty())
        return {false, QCoreApplication::translate("FileOperations", "The name is empty"), path};
    if (targetName == QLatin1String(".") || targetName == QLatin1String(".."))
        return {false,
                QCoreApplication::translate("FileOperations", "\"%1\" is not a file name")
                        .arg(targetName),
                path};
    if (!absolute && newName.contains(QLatin1Char('/')))
        return {false, QCoreApplication::translate("FileOperations", "A name cannot hold \"/\""),
                path};

    const FileDescriptor from(folder.open());
    if (!from.isOpen())
        return {false, reason(errno), path};
    const QString targetFolder = absolute ? ListedFolder::folderOf(newName) : folder.path();
    FileDescriptor to(absolute ? ::open(QFile::encodeName(targetFolder).constData(),
                                        O_PATH | O_DIRECTORY | O_CLOEXEC)
                               : ::dup(from.fd));
    if (!to.isOpen())
        return {false,
                QCoreApplication::translate("FileOperations", "There is no folder %1")
                        .arg(targetFolder),
                path};

    const QByteArray oldBytes = QFile::encodeName(ListedFolder::nameOf(path));
    const QByteArray newBytes = QFile::encodeName(targetName);
    const long limit = ::fpathconf(to.fd, _PC_NAME_MAX);
    if (newBytes.size() > (limit > 0 ? limit : NAME_MAX))
        return {false, QCoreApplication::translate("FileOperations", "The name is too long"), path};
    const QString target
            = targetFolder
              + (targetFolder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/"))
              + targetName;

    struct stat info;
    if (::fstatat(to.fd, newBytes.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!sameFile(from.fd, oldBytes, to.fd, newBytes))
            return {false,
                    QCoreApplication::translate("FileOperations", "%1 already exists")
                            .arg(targetName),
                    path};
        if (oldBytes == newBytes)
            return {true, {}, path};
        // Another spelling of the same name on a file system that ignores case.
        if (::renameat(from.fd, oldBytes.constData(), to.fd, newBytes.constData()) != 0)
            return {false, reason(errno), path};
        return {true, {}, target};
    }
    if (!move(from.fd, oldBytes, to.fd, newBytes))
        return {false,
                errno == EEXIST ? QCoreApplication::translate("FileOperations", "%1 already exists")
                                          .arg(targetName)
                                : reason(errno),
                path};
    ThumbnailCache::rename(from.fd, oldBytes, to.fd, newBytes);
    return {true, {}, target};
}

FileOperations::Outcome FileOperations::transfer(const QString &path, const ListedFolder &folder,
                                                 const QString &targetFolder, bool copy,
                                                 FileId *copied)
{
    const QString name = ListedFolder::nameOf(path);
    const QString target
            = targetFolder
              + (targetFolder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + name;
    // Taken first: across file systems the preview cannot be renamed along.
    const QDateTime time = QFileInfo(path).lastModified();
    const std::optional<ThumbnailCache::Thumbnail> preview = ThumbnailCache::read(path, time);
    Outcome outcome;
    if (!copy) {
        outcome = rename(path, folder, target);
        if (outcome.done && outcome.path == path)
            return {false, tr("%1 is in that folder already").arg(name), path};
    } else {
        const FileDescriptor from(folder.open());
        if (!from.isOpen())
            return {false, reason(errno), path};
        const FileDescriptor to(::open(QFile::encodeName(targetFolder).constData(),
                                       O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!to.isOpen())
            return {false, tr("There is no folder %1").arg(targetFolder), path};
        const QByteArray bytes = QFile::encodeName(name);
        struct stat info;
        if (::fstatat(to.fd, bytes.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0)
            errno = EEXIST;
        else if (copyAcross(from.fd, bytes, to.fd, bytes, false)
                 && ::fstatat(to.fd, bytes.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0)
            outcome = {true, {}, target};
        if (outcome.done && copied)
            *copied = FileId::of(info);
        if (!outcome.done)
            return {false,
                    errno == EEXIST ? tr("%1 already exists there").arg(name) : reason(errno),
                    path};
    }
    if (outcome.done && preview && !QFile::exists(ThumbnailCache::filePath(outcome.path)))
        ThumbnailCache::store(
                outcome.path,
                ThumbnailCache::encode(preview->width, preview->height, preview->preview), time);
    return outcome;
}

FileOperations::Outcome FileOperations::removeCopy(const QString &path, FileId file)
{
    const QByteArray name = QFile::encodeName(ListedFolder::nameOf(path));
    const FileDescriptor dir(::open(QFile::encodeName(ListedFolder::folderOf(path)).constData(),
                                    O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat info;
    if (!dir.isOpen() || ::fstatat(dir.fd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return {false, reason(errno), path};
    // Another file put at that name since is the user's, not the copy.
    if (FileId::of(info) != file)
        return {false, tr("%1 is another file now").arg(path), path};
    if (::unlinkat(dir.fd, name.constData(), 0) != 0)
        return {false, reason(errno), path};
    ThumbnailCache::remove(dir.fd, name);
    return {true, {}, {}};
}
