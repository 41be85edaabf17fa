#pragma once

#include <QByteArray>
#include <QFile>

// Memory figures of the running process, for the bench programs.
namespace ProcStatus {

// A field of /proc/self/status (VmRSS, VmHWM, ...), in kB; -1 when it cannot be read.
inline long field(const char *name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(name) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Starts a new peak: the kernel sets the high-water mark to the present resident size.
inline void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace ProcStatus
