#pragma once

#include <QFile>
#include <QObject>

class QSocketNotifier;

// Sends "mtabChanged()" on "QPE/Card" whenever a file system is mounted or unmounted.
class MountWatcher : public QObject
{
    Q_OBJECT
public:
    explicit MountWatcher(QObject *parent = nullptr,
                          const QString &mounts = QStringLiteral("/proc/self/mounts"));

    bool isWatching() const { return notifier != nullptr; }

signals:
    void changed();

private:
    void readToEnd();

    QFile mountTable;
    QSocketNotifier *notifier = nullptr;
};
