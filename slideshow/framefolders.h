#pragma once

#include "slideshow/framepicture.h"

#include <QFileSystemWatcher>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QFileInfo;

// The pictures of the frame's folders (and their subfolders when recursive), read again
// whenever a folder changes and every few seconds in case a change went unnoticed (network
// and FAT cards, watch limits).
class FrameFolders : public QObject
{
    Q_OBJECT
public:
    FrameFolders(const QStringList &folders, bool recursive, QObject *parent = nullptr);

    // Reads the folders now and starts watching them.
    void start();
    const QList<FramePicture> &pictures() const { return m_pictures; }

    // The pictures found, sorted by path; folders read go to dirs. Hidden folders (the
    // thumbnail caches among them) are skipped, a folder reached twice (a link loop) is read
    // once, and no deeper than maxDepth below a named folder.
    static QList<FramePicture> scan(const QStringList &folders, bool recursive,
                                    QStringList *dirs = nullptr);
    // The time a picture stands for among the newest: the date it was taken, else the file's
    // time. scan() gives each picture this date.
    static QDateTime dateOf(const QFileInfo &file);

    static constexpr int maxDepth = 16;
    static constexpr int maxPictures = 100000;
    static constexpr int maxWatched = 1000;
    static constexpr int pollMilliseconds = 3000;
    static constexpr int settleMilliseconds = 300;

signals:
    // The pictures are not what they were.
    void changed();

public slots:
    void rescan();

private:
    QStringList folders;
    bool recursive;
    QList<FramePicture> m_pictures;
    QFileSystemWatcher watcher;
    QTimer poll;
    QTimer settle; // a burst of changes is read once
};
