#include "platform/mountwatcher.h"

#include "platform/qcopchannel.h"

#include <QSocketNotifier>

MountWatcher::MountWatcher(QObject *parent, const QString &mounts)
    : QObject(parent), mountTable(mounts)
{
    if (!mountTable.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
    // The kernel flags a change of the mount table as an exceptional condition (POLLPRI);
    // it stays flagged until the table has been read again from the start.
    readToEnd();
    notifier = new QSocketNotifier(mountTable.handle(), QSocketNotifier::Exception, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        readToEnd();
        emit changed();
        QCopChannel::send(QStringLiteral("QPE/Card"), QByteArrayLiteral("mtabChanged()"));
    });
}

void MountWatcher::readToEnd()
{
    mountTable.seek(0);
    char buffer[4096];
    while (mountTable.read(buffer, sizeof buffer) > 0) { }
}
