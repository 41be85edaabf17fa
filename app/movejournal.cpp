#include "app/movejournal.h"

#include "platform/filedescriptor.h"
#include "platform/folders.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray pathOf(int folder)
{
    char buffer[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(folder);
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer);
    return n > 0 && size_t(n) < sizeof buffer ? QByteArray(buffer, int(n)) : QByteArray();
}

bool readWhole(int fd, char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Two regular files, neither reached through a link at its name, with the same bytes.
bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    const FileDescriptor one(::open(a.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    const FileDescriptor two(::open(b.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat x, y;
    if (!one.isOpen() || !two.isOpen() || ::fstat(one.fd, &x) != 0 || ::fstat(two.fd, &y) != 0
        || !S_ISREG(x.st_mode) || !S_ISREG(y.st_mode) || x.st_size != y.st_size
        || (x.st_dev == y.st_dev && x.st_ino == y.st_ino))
        return false;
    QByteArray p(64 * 1024, Qt::Uninitialized), q(64 * 1024, Qt::Uninitialized);
    for (off_t left = x.st_size; left > 0;) {
        const size_t n = size_t(std::min<off_t>(left, p.size()));
        if (!readWhole(one.fd, p.data(), n) || !readWhole(two.fd, q.data(), n)
            || std::memcmp(p.constData(), q.constData(), n) != 0)
            return false;
        left -= off_t(n);
    }
    return true;
}

} // namespace

bool MoveJournal::isPartName(const QByteArray &name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.pictarn-[0-9a-f]{1,16}\\.part$"));
    return pattern.match(QString::fromLatin1(name)).hasMatch();
}

MoveJournal::MoveJournal(int from, const QByteArray &name, int to, const QByteArray &toName,
                         const QByteArray &part, bool move)
{
    const QByteArray source = pathOf(from), target = pathOf(to);
    if (source.isEmpty() || target.isEmpty())
        return;
    const QByteArray text = (move ? "move\n" : "copy\n")
                            + (source + '/' + name).toPercentEncoding("/") + '\n'
                            + (target + '/' + toName).toPercentEncoding("/") + '\n'
                            + (target + '/' + part).toPercentEncoding("/") + "\nend\n";
    path = Folders::records()
           + QStringLiteral("/moving-%1").arg(QRandomGenerator::system()->generate64(), 0, 16);
    const FileDescriptor note(::open(QFile::encodeName(path).constData(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!note.isOpen() || ::write(note.fd, text.constData(), size_t(text.size())) != text.size()
        || ::fsync(note.fd) != 0) {
        if (note.isOpen())
            QFile::remove(path);
        path.clear();
    }
}

MoveJournal::~MoveJournal()
{
    if (!path.isEmpty())
        QFile::remove(path);
}

void MoveJournal::finishInterrupted()
{
    const QDir notes(Folders::records());
    for (const QString &entry :
         notes.entryList({QStringLiteral("moving-*")}, QDir::Files | QDir::Hidden)) {
        const QString notePath = notes.filePath(entry);
        QFile note(notePath);
        QList<QByteArray> lines;
        if (note.open(QIODevice::ReadOnly) && note.size() < 64 * 1024)
            lines = note.readAll().split('\n');
        note.close();
        if (lines.size() >= 5 && lines.at(4) == "end"
            && (lines.at(0) == "move" || lines.at(0) == "copy")) {
            const QByteArray source = QByteArray::fromPercentEncoding(lines.at(1));
            const QByteArray target = QByteArray::fromPercentEncoding(lines.at(2));
            const QByteArray part = QByteArray::fromPercentEncoding(lines.at(3));
            const qsizetype slash = part.lastIndexOf('/');
            if (slash > 0 && isPartName(part.mid(slash + 1)))
                ::unlink(part.constData());
            if (lines.at(0) == "move" && sameBytes(source, target))
                ::unlink(source.constData());
        }
        QFile::remove(notePath);
    }
}
