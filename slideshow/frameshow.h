#pragma once

#include "slideshow/frameoptions.h"
#include "slideshow/frameplaylist.h"
#include "slideshow/screenblanker.h"
#include "viewer/imagewidget.h"
#include "viewer/prefetcher.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QSet>

#include <functional>

class FrameFolders;
class QTimer;
class SlideBar;
class QVariantAnimation;

// A photo frame: the pictures of some folders, full screen, one after another for ever, in
// step with the folders as pictures come and go, dark at night. A tap shows the bar of the
// slide show, a swipe steps. Deletes itself when closed.
class FrameShow : public ImageWidget
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    explicit FrameShow(const FrameOptions &options, Clock clock = &QDateTime::currentDateTime);

    void start();
    bool isDark() const { return dark; }
    bool isRunning() const { return running; }
    QString shownPath() const { return m_shownPath; }
    const FramePlaylist &playlist() const { return list; }

    // The picture as the frame shows it: scaled to fill box as far as it keeps its shape,
    // up as well as down, on black where it is transparent.
    static QImage fitted(const QImage &image, QSize box,
                         QImage::Format format = QImage::Format_RGB32);

    // How long a crossfade lasts.
    static constexpr int fadeMilliseconds = 500;
    // The shortest time between two frames of a crossfade: every other tick of the
    // animations' 60 Hz clock, about 30 frames a second.
    static constexpr int fadeFrameMilliseconds = 25;
    // How often the dark hours are looked at.
    static constexpr int scheduleMilliseconds = 10000;

signals:
    // A picture reached the screen (a null path: the screen went black).
    void pictureShown(const QString &path);

public slots:
    void showNextImage();
    void showPreviousImage();
    void pause();
    void stop();
    void showControlBar();
    // Turns the screen dark or light as the clock and the last wake-up say.
    void checkSchedule();
    // Reads the folders' pictures in.
    void foldersChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void request(const QString &path);
    void decoded(const QString &path);
    void finish(const QString &path);
    void present(const QString &path, QImage &&image);
    void blackScreen();
    void setRunning(bool on);
    void setDark(bool on);
    void arm();
    QSize screenSize() const;

    FrameOptions options;
    Clock clock;
    FramePlaylist list;
    FrameFolders *folders;
    Prefetcher prefetcher;
    ScreenBlanker blanker;
    QTimer *timer;
    QTimer *scheduleTimer;
    QVariantAnimation *fade;
    QPixmap current, before; // before fades out as current fades in
    QElapsedTimer fadeFrame; // since the last frame of a crossfade
    QImage::Format screenFormat = QImage::Format_RGB32;
    QString m_shownPath;
    QString wanted; // the picture being decoded to be shown next
    // Pictures made ready for the screen in a worker (filling it, opaque), by path; at most
    // the one wanted and the one after it.
    QHash<QString, QImage> finished;
    QSet<QString> finishing;
    int skipped = 0; // pictures in a row gone before they could be shown
    bool running = true;
    bool dark = false;
    bool wakingTouch = false; // the touch that woke the screen is not also a tap
    QDateTime wakeUntil;
    SlideBar *controlBar;
};
