#pragma once

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <memory>

// Follows the listed images on disk: which came, went or changed since they were listed, as
// another program (a file manager, a camera import, a sync tool) makes them. Folders are read
// again off the GUI thread when the system says they changed, a burst of changes read once;
// where it cannot say (no watch to be had, a network or user-space file system) they are
// read every few seconds.
class FolderWatcher : public QObject
{
    Q_OBJECT
public:
    explicit FolderWatcher(QObject *parent = nullptr);
    ~FolderWatcher() override;

    // Follows the images of folder, the files named being those listed now.
    void watchFolder(const QString &folder, const QStringList &names);
    // Follows these images alone, by the paths they were listed under: they change or go,
    // and no other file of their folders comes.
    void watchImages(const QStringList &paths);
    void clear();
    // Reads every followed folder again now.
    void rescan();

    // Whether a reading is due or under way.
    bool isReading() const { return scanning > 0 || settle.isActive() || !dirty.isEmpty(); }

    // How long a change is left to settle before its folder is read; changes meanwhile join it.
    void setSettleTime(int milliseconds) { settle.setInterval(milliseconds); }
    static constexpr int pollTime = 4000;

signals:
    // Paths as listed: images that came, went, or changed (another time or size).
    void imagesChanged(const QStringList &added, const QStringList &removed,
                       const QStringList &changed);

private:
    struct Stamp
    {
        qint64 time = -1; // unknown until read
        qint64 size = -1;
        bool operator!=(const Stamp &other) const
        {
            return time != other.time || size != other.size;
        }
    };
    using Listing = QHash<QString, Stamp>; // by file name
    struct Folder
    {
        bool whole = false; // else only the names in given
        QHash<QString, QString> given; // file name -> path as listed
        Listing known;
        bool watched = false;
        bool polled = false;
        bool scanning = false;
    };
    struct Inbox;

    void folderChanged(const QString &folder);
    void scanDirty();
    void startScan(const QString &folder);
    void takeScan(quint64 generation, const QString &folder, bool readable, Listing listing);
    void arm(const QString &folder, Folder &entry);
    static Listing read(const QString &folder, bool whole, const QStringList &names,
                        bool *readable);

    QFileSystemWatcher watcher;
    QTimer settle;
    QTimer poll;
    QHash<QString, Folder> folders; // by the folder's path as listed
    QSet<QString> dirty;
    int scanning = 0;
    std::shared_ptr<Inbox> inbox;
};
