#include "platform/listedfolder.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
int openFolder(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}
} // namespace

ListedFolder::ListedFolder(const QString &path) : m_path(path)
{
    const int fd = openFolder(path);
    m_id = FileId::ofDescriptor(fd);
    if (fd >= 0)
        ::close(fd);
}

ListedFolder ListedFolder::holding(const QString &filePath)
{
    return ListedFolder(folderOf(filePath));
}

int ListedFolder::open() const
{
    if (!isValid()) {
        errno = ENOENT;
        return -1;
    }
    const int fd = openFolder(m_path);
    if (fd < 0)
        return -1;
    if (FileId::ofDescriptor(fd) != m_id) {
        ::close(fd);
        errno = ESTALE;
        return -1;
    }
    return fd;
}

QString ListedFolder::folderOf(const QString &filePath)
{
    const qsizetype slash = filePath.lastIndexOf(QLatin1Char('/'));
    return slash < 0    ? QStringLiteral(".")
           : slash == 0 ? QStringLiteral("/")
                        : filePath.left(slash);
}

QString ListedFolder::nameOf(const QString &filePath)
{
    return filePath.mid(filePath.lastIndexOf(QLatin1Char('/')) + 1);
}
