#pragma once

#include "slideshow/framepicture.h"

#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

// The pictures of the frame's folders (and their subfolders when recursive), read again
// whenever a folder changes and every few seconds in case a change went unnoticed (network
// and FAT cards, watch limits). The folders are read in a worker thread: a slow card or a
// big tree never holds up the screen.
class FrameFolders : public QObject
{
    Q_OBJECT
public:
    FrameFolders(const QStringList &folders, bool recursive, QObject *parent = nullptr);
    ~FrameFolders() override;

    // Starts reading the folders and watching them; changed() tells when they were read.
    void start();
    const QList<FramePicture> &pictures() const { return m_pictures; }

    // The pictures found, sorted by path, each dated by when it was taken, else by the file's
    // time; and the folders read. Hidden folders (the thumbnail caches among them) are
    // skipped, a folder reached twice (a link loop) is read once, none deeper than maxDepth
    // below a named folder, and no more than maxFolders and maxPictures. Reads files: call it
    // off the GUI thread.
    // Stops early, with what it found, once stop() says so.
    struct Found
    {
        QList<FramePicture> pictures;
        QStringList dirs;
    };
    static Found scan(const QStringList &folders, bool recursive,
                      const std::function<bool()> &stop = {});

    static constexpr int maxDepth = 16;
    static constexpr int maxPictures = 100000;
    static constexpr int maxFolders = 10000;
    static constexpr int maxWatched = 1000;
    static constexpr int pollMilliseconds = 3000;
    static constexpr int settleMilliseconds = 300;

signals:
    // The pictures are not what they were.
    void changed();

public slots:
    // Reads the folders again in a worker (once more after it, when one is under way).
    void rescan();

private:
    void scanned();

    QStringList folders;
    bool recursive;
    QList<FramePicture> m_pictures;
    QFileSystemWatcher watcher;
    QTimer poll;
    QTimer settle; // a burst of changes is read once
    QFutureWatcher<Found> scanning;
    bool again = false;
};
