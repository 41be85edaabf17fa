#pragma once

#include <unistd.h>

// An open file descriptor, closed when it goes.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : fd(fd) { }
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    FileDescriptor(FileDescriptor &&other) noexcept : fd(other.fd) { other.fd = -1; }
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        if (this != &other) {
            reset();
            fd = other.fd;
            other.fd = -1;
        }
        return *this;
    }
    void reset(int newFd = -1)
    {
        if (fd >= 0)
            ::close(fd);
        fd = newFd;
    }
    bool isOpen() const { return fd >= 0; }

    int fd;
};
