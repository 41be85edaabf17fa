#pragma once

#include <QtGlobal>

#include <sys/stat.h>

// Which file a name led to: its device and inode, which no rename or link changes.
struct FileId
{
    quint64 device = 0;
    quint64 inode = 0;

    static FileId of(const struct stat &info)
    {
        return {quint64(info.st_dev), quint64(info.st_ino)};
    }
    // The open file's identity; null when it cannot be told.
    static FileId ofDescriptor(int fd)
    {
        struct stat info;
        return fd >= 0 && ::fstat(fd, &info) == 0 ? of(info) : FileId();
    }
    bool isNull() const { return device == 0 && inode == 0; }
    bool operator==(const FileId &other) const
    {
        return device == other.device && inode == other.inode;
    }
    bool operator!=(const FileId &other) const { return !(*this == other); }
};
