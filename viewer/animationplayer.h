#pragma once

#include <QFile>
#include <QImageReader>
#include <QObject>
#include <QPointer>
#include <QSize>

#include <memory>

class ImageWidget;
class QPixmap;
class QTimer;

// Plays a moving GIF or WebP on a surface that already shows its first frame: each frame is
// decoded when its turn comes, scaled and turned like that first frame, with the file's own
// delays and loops. It stops for good when the surface shows another picture or someone else
// replaces the picture it draws into (a zoom, a turn, a brightness step, the next file).
class AnimationPlayer : public QObject
{
    Q_OBJECT
public:
    // Plays fileName on widget when it moves, into *pixmap, which the widget shows; a player
    // the widget had before is dropped either way. The player belongs to the widget.
    static AnimationPlayer *playOn(ImageWidget *widget, QPixmap *pixmap, const QString &fileName);

    // Delays of 10 ms and less are taken as this, as web browsers do.
    static constexpr int shortestDelay = 100;

signals:
    // index counts from 0 within one pass through the frames.
    void frameShown(int index, int delay);

private:
    AnimationPlayer(ImageWidget *widget, QPixmap *pixmap, int fd);
    bool open();
    void showNext();
    bool stillShown() const;

    QPointer<ImageWidget> widget;
    QPixmap *pixmap; // the widget's, shown while it plays
    qint64 shownKey = 0; // the cache key of the frame last drawn into *pixmap
    QSize size; // of the picture shown, upright as shown
    int degrees = 0;
    QFile file;
    std::unique_ptr<QImageReader> reader;
    bool started = false;
    int frames = 0;
    int index = 0;
    int passesLeft = 0; // after this one; -1: for ever
    QTimer *timer;
};
