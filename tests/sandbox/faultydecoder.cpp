#include "sandbox/decoderservice.h"

#include <QByteArray>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

// The decoding helper with a decoder gone wrong: a file whose content names a fault
// ("pictarn-fault-loop" in a text chunk) makes its decode loop, allocate without end, crash,
// wait without working or try to get out of the sandbox; any other file decodes as in the program's
// own helper.
namespace {

bool escapes()
{
    const char *argv[] = {"/bin/true", nullptr};
    return ::open("/etc/hostname", O_RDONLY) >= 0
           || ::open("/tmp/pictarn-escaped", O_WRONLY | O_CREAT, 0600) >= 0
           || ::socket(AF_INET, SOCK_STREAM, 0) >= 0 || ::fork() >= 0
           || ::execv(argv[0], const_cast<char **>(argv)) >= 0;
}

void misbehave(int fd, bool decoding)
{
    char start[4096];
    const ssize_t got = ::pread(fd, start, sizeof start, 0);
    const QByteArray content(start, got > 0 ? int(got) : 0);
    if (content.contains("pictarn-probe-crash"))
        std::abort(); // while only looking at what the file is
    if (!decoding || !content.contains("pictarn-fault-"))
        return;
    if (content.contains("pictarn-fault-wait"))
        ::sleep(6); // past the tests' limit of 5 s, as a helper a busy machine gives no time
    if (content.contains("pictarn-fault-loop")) {
        for (volatile bool spinning = true; spinning;) { }
    }
    while (content.contains("pictarn-fault-alloc")) {
        if (void *block = std::malloc(1 << 20))
            std::memset(block, 1, 1 << 20);
    }
    if (content.contains("pictarn-fault-crash") || escapes())
        std::abort();
}

} // namespace

int main(int argc, char **argv)
{
    return DecoderService::main(argc, argv, misbehave);
}
