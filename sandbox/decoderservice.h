#pragma once

#include <QtGlobal>

// The decoding helper's side: it shuts itself in (limits, no new privileges, a system-call
// filter) and then answers the program's requests on the socket it was started with, one at
// a time, until the program closes it.
class DecoderService
{
public:
    // What a test helper does with a file before the real probe or decode, to play a decoder
    // gone wrong; nothing in the program's own helper.
    using Fault = void (*)(int fd, bool decoding);

    // The socket to the program is descriptor 3; the arguments are the folders the image
    // readers are loaded from.
    static int main(int argc, char **argv, Fault fault = nullptr);

    // What a decode may take beyond what the helper holds when it starts.
    static constexpr qint64 memoryLimit = qint64(512) << 20;
    // Processor time a helper may use in all; it retires itself at half of it.
    static constexpr int cpuSeconds = 60;
    static constexpr int socket = 3;

    // Whether helpers run under a system-call filter in this build.
    static bool filtered();

private:
    static void openFonts();
    static void limit();
    static bool filter();
    [[noreturn]] static void serve(Fault fault);
};
