#include "sandbox/decoderpool.h"

#include "sandbox/decoder.h"
#include "sandbox/decodermessage.h"
#include "sandbox/decoderservice.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

extern char **environ;

namespace {

#ifdef PICTARN_SANITIZED
constexpr qint64 residentLimit = 2 * DecoderService::memoryLimit + (qint64(512) << 20);
#else
// The address-space limit stops a helper first; this is the second line.
constexpr qint64 residentLimit = DecoderService::memoryLimit + (qint64(256) << 20);
#endif

// How often a helper that is still working is looked at.
constexpr int watchInterval = 50;

bool onGuiThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

qint64 residentBytes(pid_t pid)
{
    char name[64];
    std::snprintf(name, sizeof name, "/proc/%d/statm", int(pid));
    long size = 0, resident = 0;
    if (FILE *statm = std::fopen(name, "re")) {
        if (std::fscanf(statm, "%ld %ld", &size, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return qint64(resident) * ::sysconf(_SC_PAGESIZE);
}

// The processor time a helper has spent, in ms; 0 when it cannot be read.
qint64 workedMs(pid_t pid)
{
    char name[64];
    std::snprintf(name, sizeof name, "/proc/%d/stat", int(pid));
    FILE *file = std::fopen(name, "re");
    if (!file)
        return 0;
    char line[1024];
    const size_t got = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[got] = '\0';
    // The command name in brackets may hold blanks and brackets of its own.
    const char *end = std::strrchr(line, ')');
    unsigned long long user = 0, system = 0;
    if (!end
        || std::sscanf(end + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                       &system)
                   != 2)
        return 0;
    return qint64((user + system) * 1000 / std::max(1L, ::sysconf(_SC_CLK_TCK)));
}

struct Mapping
{
    void *address;
    size_t size;
};

void unmap(void *info)
{
    const auto *mapping = static_cast<Mapping *>(info);
    ::munmap(mapping->address, mapping->size);
    delete mapping;
}

// The helper's picture, mapped where it lies; only a memfd sealed against shrinking and
// writing, and large enough, is taken.
QImage mapped(int memfd, const DecodeReply &reply)
{
    const auto format = QImage::Format(reply.imageFormat);
    const bool thirtyTwo = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
                           || format == QImage::Format_ARGB32_Premultiplied;
    const qint64 bytes = qint64(reply.bytesPerLine) * reply.height;
    struct stat info;
    const int seals = ::fcntl(memfd, F_GET_SEALS);
    if (!thirtyTwo || reply.width <= 0 || reply.height <= 0
        || reply.bytesPerLine != qint64(reply.width) * 4 || ::fstat(memfd, &info) != 0
        || info.st_size < bytes || seals < 0
        || (seals & (F_SEAL_SHRINK | F_SEAL_WRITE)) != (F_SEAL_SHRINK | F_SEAL_WRITE))
        return QImage();
    void *address = ::mmap(nullptr, size_t(bytes), PROT_READ, MAP_SHARED, memfd, 0);
    if (address == MAP_FAILED)
        return QImage();
    auto *mapping = new Mapping{address, size_t(bytes)};
    return QImage(static_cast<const uchar *>(address), reply.width, reply.height,
                  reply.bytesPerLine, format, unmap, mapping);
}

struct Reaper
{
    ~Reaper() { DecoderPool::instance().stop(); }
};

} // namespace

DecoderPool &DecoderPool::instance()
{
    // Never destroyed: workers may still ask while the program ends; only the helpers go.
    static DecoderPool *pool = new DecoderPool;
    static Reaper reaper;
    return *pool;
}

QString DecoderPool::program()
{
    const QMutexLocker lock(&mutex);
    if (searched)
        return path;
    searched = true;
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QString bin = QFileInfo(self).absolutePath();
    const QStringList candidates = {
            qEnvironmentVariable("PICTARN_DECODER"),
            bin + QStringLiteral("/pictarn-decoder"),
            bin + QStringLiteral("/../libexec/pictarn/pictarn-decoder"),
            QStringLiteral(PICTARN_INSTALL_LIBEXECDIR "/pictarn/pictarn-decoder"),
    };
    for (const QString &candidate : candidates) {
        const QFileInfo file(candidate);
        if (!candidate.isEmpty() && file.isFile() && file.isExecutable()) {
            path = file.absoluteFilePath();
            if (!DecoderService::filtered())
                qWarning("pictarn: decoding without a system-call filter (built without "
                         "libseccomp)");
            return path;
        }
    }
    qWarning("pictarn: the decoding helper pictarn-decoder is not beside the program nor in %s; "
             "no picture is decoded",
             PICTARN_INSTALL_LIBEXECDIR "/pictarn");
    return path;
}

void DecoderPool::setProgram(const QString &program)
{
    stop();
    const QMutexLocker lock(&mutex);
    path = program;
    searched = !program.isEmpty();
}

void DecoderPool::setTimeLimit(int milliseconds)
{
    const QMutexLocker lock(&mutex);
    timeLimit = milliseconds;
}

void DecoderPool::stop()
{
    QMutexLocker lock(&mutex);
    for (auto it = helpers.begin(); it != helpers.end();) {
        Helper *helper = *it;
        if (helper->busy) {
            ::kill(helper->pid, SIGKILL); // its caller sees it gone and reaps it
            ++it;
            continue;
        }
        end(helper);
        it = helpers.erase(it);
    }
}

DecoderPool::Helper *DecoderPool::acquire()
{
    if (program().isEmpty())
        return nullptr;
    const int cores = std::max(1, QThread::idealThreadCount());
    // Workers share one helper per core; the GUI thread may use one more.
    const int allowed = onGuiThread() ? cores + 1 : cores;
    QMutexLocker lock(&mutex);
    for (;;) {
        if (busy < allowed) {
            for (Helper *helper : helpers) {
                if (!helper->busy) {
                    helper->busy = true;
                    ++busy;
                    return helper;
                }
            }
            if (int(helpers.size()) + starting < cores + 1) {
                ++starting;
                ++busy;
                lock.unlock();
                Helper *helper = start();
                lock.relock();
                --starting;
                if (!helper) {
                    --busy;
                    idle.wakeAll();
                    return nullptr;
                }
                helper->busy = true;
                helpers.push_back(helper);
                return helper;
            }
        }
        idle.wait(&mutex);
    }
}

void DecoderPool::release(Helper *helper, bool keep)
{
    QMutexLocker lock(&mutex);
    --busy;
    if (keep) {
        helper->busy = false;
    } else {
        helpers.erase(std::find(helpers.begin(), helpers.end(), helper));
        lock.unlock();
        end(helper);
        lock.relock();
    }
    idle.wakeAll();
}

DecoderPool::Helper *DecoderPool::start()
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        return nullptr;
    QString programPath;
    {
        const QMutexLocker lock(&mutex);
        programPath = path;
    }
    // The helper loads its image readers from where the program does.
    std::vector<QByteArray> arguments{QFile::encodeName(programPath)};
    for (const QString &folder : QCoreApplication::libraryPaths())
        arguments.push_back(QFile::encodeName(folder));
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pair[1], DecoderService::socket);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t mask;
    sigemptyset(&mask);
    posix_spawnattr_setsigmask(&attributes, &mask);
    sigfillset(&mask);
    posix_spawnattr_setsigdefault(&attributes, &mask);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int failed
            = ::posix_spawn(&pid, argv.front(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pair[1]);
    if (failed != 0) {
        ::close(pair[0]);
        static bool told = false;
        if (!told)
            qWarning("pictarn: cannot start %s: %s", argv.front(), std::strerror(failed));
        told = true;
        return nullptr;
    }
    return new Helper{pid, pair[0], false};
}

void DecoderPool::end(Helper *helper)
{
    ::kill(helper->pid, SIGKILL);
    while (::waitpid(helper->pid, nullptr, 0) < 0 && errno == EINTR) { }
    ::close(helper->socket);
    delete helper;
}

bool DecoderPool::await(Helper *helper, int limit)
{
    // The limit counts the work the helper did, so that a busy or slow machine does not pass a
    // large picture off as damaged; one stuck without working is let go at three times it.
    const QDeadlineTimer deadline(qint64(limit) * 3);
    const qint64 workedBefore = workedMs(helper->pid);
    for (;;) {
        pollfd watch{helper->socket, POLLIN, 0};
        const int ready
                = ::poll(&watch, 1, int(std::min<qint64>(watchInterval, deadline.remainingTime())));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
        if (deadline.hasExpired() || workedMs(helper->pid) - workedBefore > limit
            || residentBytes(helper->pid) > residentLimit)
            return false;
    }
}

bool DecoderPool::exchange(Helper *helper, const DecodeRequest &request, int fd, DecodeReply &reply,
                           int &memfd)
{
    memfd = -1;
    int limit;
    {
        const QMutexLocker lock(&mutex);
        limit = timeLimit;
    }
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec io{const_cast<DecodeRequest *>(&request), sizeof request};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr *header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &fd, sizeof fd);
    ssize_t sent;
    do {
        sent = ::sendmsg(helper->socket, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent != sizeof request || !await(helper, limit))
        return false;

    std::memset(control, 0, sizeof control);
    io = {&reply, sizeof reply};
    message.msg_controllen = sizeof control;
    ssize_t got;
    do {
        got = ::recvmsg(helper->socket, &message, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    for (header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
            continue;
        const int count = int((header->cmsg_len - CMSG_LEN(0)) / sizeof(int));
        for (int i = 0; i < count; ++i) {
            int received;
            std::memcpy(&received, CMSG_DATA(header) + i * sizeof(int), sizeof received);
            if (memfd < 0)
                memfd = received;
            else
                ::close(received);
        }
    }
    reply.format[sizeof reply.format - 1] = 0;
    return got == sizeof reply && !(message.msg_flags & (MSG_TRUNC | MSG_CTRUNC));
}

std::optional<DecoderPool::Facts> DecoderPool::probe(int fd, const QByteArray &hint, bool *refused)
{
    if (refused)
        *refused = false;
    Helper *helper = acquire();
    if (!helper)
        return std::nullopt;
    DecodeRequest request;
    request.kind = DecodeRequest::Probe;
    copyName(request.format, hint.constData());
    DecodeReply reply;
    int memfd;
    const bool answered = exchange(helper, request, fd, reply, memfd);
    // A helper that sent a picture it was not asked for is no longer ours.
    release(helper, answered && !reply.retiring && memfd < 0);
    if (memfd >= 0)
        ::close(memfd);
    const QByteArray format(reply.format);
    if (refused)
        *refused = answered && memfd < 0 && !reply.ok && format.isEmpty();
    if (!answered || !reply.ok || !Decoder::formats().contains(format) || reply.width < 0
        || reply.height < 0 || memfd >= 0)
        return std::nullopt;
    return Facts{format, QSize(reply.width, reply.height), reply.swapped != 0};
}

std::optional<DecoderPool::Picture> DecoderPool::decode(int fd, const QByteArray &format,
                                                        QSize full, QSize target, bool swapped,
                                                        QRect clip)
{
    Helper *helper = acquire();
    if (!helper)
        return std::nullopt;
    DecodeRequest request;
    request.kind = DecodeRequest::Decode;
    copyName(request.format, format.constData());
    request.fullWidth = full.width();
    request.fullHeight = full.height();
    request.targetWidth = target.width();
    request.targetHeight = target.height();
    if (clip.isValid()) {
        request.clipX = clip.x();
        request.clipY = clip.y();
        request.clipWidth = clip.width();
        request.clipHeight = clip.height();
    }
    request.swapped = swapped;
    DecodeReply reply;
    int memfd;
    const bool answered = exchange(helper, request, fd, reply, memfd);
    QImage image;
    if (answered && reply.ok && memfd >= 0)
        image = mapped(memfd, reply);
    // A helper whose answer cannot be taken is no longer trusted.
    release(helper, answered && !reply.retiring && (!reply.ok || !image.isNull()));
    if (memfd >= 0)
        ::close(memfd);
    const QSize wanted = clip.isValid() ? (clip & QRect(QPoint(), target)).size() : target;
    if (image.isNull() || image.size() != wanted)
        return std::nullopt;
    return Picture{image, reply.colours};
}
