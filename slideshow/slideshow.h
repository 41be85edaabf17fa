#pragma once

#include "browse/imageentry.h"
#include "viewer/imagewidget.h"
#include "viewer/prefetcher.h"

#include <QList>
#include <QPixmap>

class QLabel;
class QTimer;
class SlideBar;
class Settings;

// The listed images one after another, full screen on black, each for the settings' delay,
// with a control bar that a tap on the picture shows or hides. Deletes itself when closed.
class SlideShow : public ImageWidget
{
    Q_OBJECT
public:
    // Keeps its own copy of the entries: the list it was made from may change or go while
    // the show runs.
    SlideShow(const QList<ImageEntry> &entries, Settings *settings);

    void start();

public slots:
    void showControlBar();
    void pause();
    void stop();
    void showImage(const QString &path);
    void showNextImage();
    void showPreviousImage();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    // False when the show closed or another image was asked for while events ran.
    bool showEntry(int index);
    void setRunning(bool on);
    int delayMilliseconds() const;
    QSize screenSize() const;

    const QList<ImageEntry> images;
    Settings *settings; // not owned
    int position = 0; // the next image to show
    int shown = 0; // the image on screen, for the counter
    bool finished = false;
    // Advancing by itself: the timer is armed, or will be once the image being shown is
    // on screen.
    bool running = false;
    quint64 generation = 0; // counts the images asked for
    QTimer *timer;
    QPixmap picture;
    Prefetcher prefetcher; // the next slide, decoded while this one is on screen
    SlideBar *controlBar;
    QLabel *counter;
};
