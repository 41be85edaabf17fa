#include "sandbox/decoderservice.h"

#include "sandbox/decoder.h"
#include "sandbox/decodermessage.h"
#include "viewer/imageheader.h"

#include <QFont>
#include <QGuiApplication>
#include <QImageReader>
#include <QRawFont>
#include <QStringList>

#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#ifdef PICTARN_SECCOMP
#include <sched.h>
#include <seccomp.h>
#endif

namespace {

#ifndef PICTARN_SANITIZED
qint64 mappedBytes()
{
    long pages = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    return qint64(pages) * ::sysconf(_SC_PAGESIZE);
}
#endif

int receive(DecodeRequest &request)
{
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec io{&request, sizeof request};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got;
    do {
        got = ::recvmsg(DecoderService::socket, &message, MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    if (got <= 0)
        ::_exit(0); // the program has gone
    int fd = -1;
    const cmsghdr *header = CMSG_FIRSTHDR(&message);
    if (header && header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS
        && header->cmsg_len == CMSG_LEN(sizeof(int)))
        std::memcpy(&fd, CMSG_DATA(header), sizeof fd);
    if (got != sizeof request || fd < 0)
        ::_exit(1);
    return fd;
}

void reply(const DecodeReply &answer, int memfd)
{
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec io{const_cast<DecodeReply *>(&answer), sizeof answer};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    if (memfd >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr *header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &memfd, sizeof memfd);
    }
    ssize_t sent;
    do {
        sent = ::sendmsg(DecoderService::socket, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent != sizeof answer)
        ::_exit(0);
}

// The picture in a sealed memfd, so that the program can map it knowing it will neither
// shrink nor change under it.
int shared(const QImage &image)
{
    const qsizetype line = qsizetype(image.width()) * 4;
    const size_t size = size_t(line) * size_t(image.height());
    const int memfd = ::memfd_create("pictarn-picture", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (memfd < 0)
        return -1;
    void *map = MAP_FAILED;
    if (::ftruncate(memfd, off_t(size)) == 0)
        map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memfd, 0);
    if (map == MAP_FAILED) {
        ::close(memfd);
        return -1;
    }
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(static_cast<char *>(map) + y * line, image.constScanLine(y), size_t(line));
    ::munmap(map, size);
    if (::fcntl(memfd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL)
        != 0) {
        ::close(memfd);
        return -1;
    }
    return memfd;
}

bool retiring()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec > DecoderService::cpuSeconds / 2;
}

} // namespace

bool DecoderService::filtered()
{
#ifdef PICTARN_SECCOMP
    return true;
#else
    return false;
#endif
}

int DecoderService::main(int argc, char **argv, Fault fault)
{
    struct stat info;
    if (::fstat(socket, &info) != 0 || !S_ISSOCK(info.st_mode)) {
        std::fprintf(stderr, "%s decodes pictures for pictarn, which starts it\n", argv[0]);
        return 2;
    }
    // Nothing the program had open besides the socket, and no folder held.
    if (::close_range(socket + 1, ~0U, 0) != 0) {
        for (int fd = socket + 1; fd < 1024; ++fd)
            ::close(fd);
    }
    if (::chdir("/") != 0)
        return 1;
    // Every thread in the one heap: per-thread heaps reserve address space by the 64 MiB.
    ::mallopt(M_ARENA_MAX, 1);

    QStringList paths;
    for (int i = 1; i < argc; ++i)
        paths << QString::fromLocal8Bit(argv[i]);
    QCoreApplication::setLibraryPaths(paths);
    // Text in an SVG is laid out through the font database, which only a QGuiApplication has;
    // the offscreen platform, told so, connects to no window system, not even for GL.
    int guiArgc = 3;
    char platform[] = "-platform", offscreen[] = "offscreen";
    char *guiArgv[] = {argv[0], platform, offscreen, nullptr};
    qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
    const QGuiApplication application(guiArgc, guiArgv);
    openFonts();
    // Sizes the header check does not already bound: what a reader may allocate for a picture.
    QImageReader::setAllocationLimit(int(ImageHeader::budget >> 20));
    Decoder::loadReaders();

    limit();
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || !filter())
        return 1;
    serve(fault);
}

void DecoderService::openFonts()
{
    // Font files cannot be opened once filtered: the faces of the generic families, in the
    // styles an SVG asks most, are opened now. The raw fonts keep them open (FreeType maps
    // the files) for the text drawn later on this thread; a family an SVG names that is not
    // among them falls back to them.
    static QList<QRawFont> opened;
    const std::pair<const char *, QFont::StyleHint> families[] = {
            {"sans-serif", QFont::SansSerif},
            {"serif", QFont::Serif},
            {"monospace", QFont::Monospace},
    };
    for (const auto &[family, hint] : families) {
        for (const bool bold : {false, true}) {
            for (const bool italic : {false, true}) {
                QFont font(QString::fromLatin1(family));
                font.setStyleHint(hint);
                font.setBold(bold);
                font.setItalic(italic);
                opened << QRawFont::fromFont(font);
            }
        }
    }
    opened << QRawFont::fromFont(QGuiApplication::font());
}

void DecoderService::limit()
{
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none); // no dump of a card's file lands anywhere
    const rlimit cpu{rlim_t(cpuSeconds), rlim_t(cpuSeconds + 5)};
    ::setrlimit(RLIMIT_CPU, &cpu);
    const rlimit files{64, 64};
    ::setrlimit(RLIMIT_NOFILE, &files);
#ifndef PICTARN_SANITIZED
    // Under AddressSanitizer the shadow memory alone is terabytes of address space; the
    // program's watch on the helper's resident size stands in for this.
    const rlim_t bytes = rlim_t(mappedBytes() + memoryLimit);
    const rlimit space{bytes, bytes};
    ::setrlimit(RLIMIT_AS, &space);
#endif
}

bool DecoderService::filter()
{
#ifdef PICTARN_SECCOMP
    // Whatever is not named fails with EPERM: nothing can be opened, executed or connected,
    // only what was handed over is read and only the program is written to.
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ERRNO(EPERM));
    if (!filter)
        return false;
    for (int call : {
                 SCMP_SYS(read),
                 SCMP_SYS(pread64),
                 SCMP_SYS(readv),
                 SCMP_SYS(preadv),
                 SCMP_SYS(lseek),
                 SCMP_SYS(close),
                 SCMP_SYS(fstat),
                 SCMP_SYS(munmap),
                 SCMP_SYS(mremap),
                 SCMP_SYS(madvise),
                 SCMP_SYS(brk),
                 SCMP_SYS(futex),
                 SCMP_SYS(set_robust_list),
                 SCMP_SYS(rseq),
                 SCMP_SYS(exit),
                 SCMP_SYS(exit_group),
                 SCMP_SYS(rt_sigaction),
                 SCMP_SYS(rt_sigprocmask),
                 SCMP_SYS(rt_sigreturn),
                 SCMP_SYS(sigaltstack),
                 SCMP_SYS(gettid),
                 SCMP_SYS(getpid),
                 SCMP_SYS(sched_yield),
                 SCMP_SYS(sched_getaffinity),
                 SCMP_SYS(getrusage),
                 SCMP_SYS(clock_gettime),
                 SCMP_SYS(clock_getres),
                 SCMP_SYS(gettimeofday),
                 SCMP_SYS(clock_nanosleep),
                 SCMP_SYS(nanosleep),
                 SCMP_SYS(getrandom),
                 SCMP_SYS(memfd_create),
                 SCMP_SYS(ftruncate),
                 SCMP_SYS(fcntl),
                 SCMP_SYS(restart_syscall),
                 SCMP_SYS(membarrier),
                 SCMP_SYS(eventfd2), // a Qt thread's wake-up
         })
        seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0); // a call this machine lacks: none
    bool ok = true;
    auto allow = [&](int call, scmp_arg_cmp condition) {
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 1, condition) == 0;
    };
    allow(SCMP_SYS(recvmsg), SCMP_A0(SCMP_CMP_EQ, socket));
    allow(SCMP_SYS(sendmsg), SCMP_A0(SCMP_CMP_EQ, socket));
#ifdef PICTARN_SANITIZED
    // The sanitizers tell whether memory is readable by writing it into a pipe.
    for (int call : {SCMP_SYS(pipe), SCMP_SYS(pipe2), SCMP_SYS(write)})
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
#else
    allow(SCMP_SYS(write), SCMP_A0(SCMP_CMP_EQ, STDERR_FILENO)); // the readers' warnings
#endif
    allow(SCMP_SYS(writev), SCMP_A0(SCMP_CMP_EQ, STDERR_FILENO));
    allow(SCMP_SYS(mmap), SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0));
    allow(SCMP_SYS(mprotect), SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0));
    allow(SCMP_SYS(newfstatat), SCMP_A3(SCMP_CMP_MASKED_EQ, AT_EMPTY_PATH, AT_EMPTY_PATH));
    allow(SCMP_SYS(statx), SCMP_A2(SCMP_CMP_MASKED_EQ, AT_EMPTY_PATH, AT_EMPTY_PATH));
    allow(SCMP_SYS(prlimit64), SCMP_A2(SCMP_CMP_EQ, 0)); // reading limits only
    allow(SCMP_SYS(tgkill), SCMP_A0(SCMP_CMP_EQ, scmp_datum_t(::getpid()))); // abort()
    allow(SCMP_SYS(prctl), SCMP_A0(SCMP_CMP_EQ, PR_SET_NAME)); // naming threads
    // Threads, and no other kind of child; clone3's flags cannot be looked at, so it is
    // refused the way that sends the C library back to clone.
    allow(SCMP_SYS(clone), SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD));
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0;
    ok = ok && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return ok;
#else
    return true;
#endif
}

void DecoderService::serve(Fault fault)
{
    for (;;) {
        DecodeRequest request;
        const int fd = receive(request);
        if (fault)
            fault(fd, request.kind == DecodeRequest::Decode);
        DecodeReply answer;
        int memfd = -1;
        request.format[sizeof request.format - 1] = 0;
        if (request.kind == DecodeRequest::Probe) {
            const Decoder::Facts facts = Decoder::probe(fd, QByteArray(request.format));
            answer.ok = facts.stored.isValid() && !facts.format.isEmpty();
            copyName(answer.format, facts.format.constData());
            answer.width = facts.stored.width();
            answer.height = facts.stored.height();
            answer.swapped = facts.swapped;
        } else if (request.kind == DecodeRequest::Decode) {
            const Decoder::Picture picture = Decoder::decode(
                    fd, QByteArray(request.format), QSize(request.fullWidth, request.fullHeight),
                    QSize(request.targetWidth, request.targetHeight), request.swapped,
                    QRect(request.clipX, request.clipY, request.clipWidth, request.clipHeight));
            memfd = picture.image.isNull() ? -1 : shared(picture.image);
            answer.ok = memfd >= 0;
            answer.width = picture.image.width();
            answer.height = picture.image.height();
            answer.colours = picture.colours;
            answer.imageFormat = picture.image.format();
            answer.bytesPerLine = picture.image.width() * 4;
        }
        ::close(fd);
        answer.retiring = retiring();
        reply(answer, memfd);
        if (memfd >= 0)
            ::close(memfd);
        if (answer.retiring)
            ::_exit(0);
    }
}
