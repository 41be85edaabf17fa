#include "slideshow/slideshow.h"

#include "app/keyshelp.h"
#include "app/settings.h"
#include "slideshow/slidebar.h"
#include "viewer/animationplayer.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <limits>

SlideShow::SlideShow(const QList<ImageEntry> &entries, Settings *settings)
    : ImageWidget(nullptr), images(entries), settings(settings)
{
    setAttribute(Qt::WA_DeleteOnClose);
    KeysHelp::addShortcuts(this, KeysHelp::SlideShow);
    prefetcher.setParent(this);
    setFocusPolicy(Qt::StrongFocus);

    controlBar = new SlideBar(this);
    connect(controlBar, &SlideBar::back, this, &SlideShow::showPreviousImage);
    connect(controlBar, &SlideBar::playPause, this, &SlideShow::pause);
    connect(controlBar, &SlideBar::stop, this, &SlideShow::stop);
    connect(controlBar, &SlideBar::next, this, &SlideShow::showNextImage);

    counter = new QLabel(QStringLiteral("..."), controlBar);
    counter->setObjectName(QStringLiteral("counter"));
    counter->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest count of this list, so the bar is placed once.
    const QString digits(QString::number(images.size()).size(), QLatin1Char('8'));
    const int widest = counter->fontMetrics().horizontalAdvance(digits + QLatin1Char('/') + digits);
    counter->setMinimumWidth(std::max(35, widest + 2 * counter->margin() + 2));
    controlBar->row()->addWidget(counter);

    resize(screenSize());
    setBackgroundColor(Qt::black);
    controlBar->place();
    controlBar->setVisible(settings->controlBarInSlide());

    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("timer"));
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, &SlideShow::showNextImage);
    connect(this, &ImageWidget::clicked, this, &SlideShow::showControlBar);
    // A swipe is the arrow key of its direction.
    connect(this, &ImageWidget::swiped, this, [this](int direction) {
        timer->stop();
        if (direction > 0) {
            showNextImage();
            return;
        }
        if (running)
            pause();
        showPreviousImage();
    });
}

void SlideShow::start()
{
    if (images.isEmpty()) {
        // Nothing to show, and nobody else will close it.
        deleteLater();
        return;
    }
    showFullScreen();
    activateWindow();
    setFocus();
    showNextImage();
}

void SlideShow::showNextImage()
{
    if (closing)
        return;
    if (finished) {
        close();
        return;
    }
    if (position < 0 || position >= images.size()) {
        ++position;
        return;
    }
    const int index = position;
    if (index == images.size() - 1) {
        finished = true;
        position = 0;
    }
    ++position;

    timer->stop();
    setRunning(true);
    if (!showEntry(index) || !running)
        return;
    // Counted from the moment the picture is on screen, however long the decode took.
    timer->start(delayMilliseconds());
}

void SlideShow::showPreviousImage()
{
    if (closing || position <= 0)
        return;
    if (running)
        pause();
    --position;
    finished = false;
    if (position < images.size())
        showEntry(position);
}

bool SlideShow::showEntry(int index)
{
    const QPointer<SlideShow> self(this);
    const quint64 pass = generation + 1;
    shown = index;
    showImage(images.at(index).path);
    if (!self || closing || generation != pass)
        return false;
    // The slide a step forward shows, ready by the time it is asked for.
    if (!finished && position >= 0 && position < images.size())
        prefetcher.prefetch(images.at(position).path, screenSize(), settings->rotateInSlide());
    return true;
}

void SlideShow::showImage(const QString &path)
{
    const QPointer<SlideShow> self(this);
    const quint64 pass = ++generation;
    // Lets the previous picture reach the screen before the decode blocks; a key or tap
    // handled here may close the show or ask for another image.
    QCoreApplication::processEvents();
    if (!self || closing || generation != pass)
        return;

    // Swapped in when the step ahead made it; otherwise decoded now, as the show waits for it.
    picture = QPixmap();
    const QImage image = prefetcher.take(path, screenSize(), settings->rotateInSlide());
    if (!image.isNull())
        picture = QPixmap::fromImage(image);

    setPixmap(&picture, false);
    AnimationPlayer::playOn(this, &picture, path);
    counter->setText(QStringLiteral("%1/%2").arg(shown + 1).arg(images.size()));
    repaint();
}

void SlideShow::pause()
{
    if (closing)
        return;
    if (running) {
        timer->stop();
        setRunning(false);
    } else {
        showNextImage();
    }
}

void SlideShow::stop()
{
    timer->stop();
    running = false;
    position = 0;
    close();
}

void SlideShow::showControlBar()
{
    controlBar->setHidden(!controlBar->isHidden());
}

void SlideShow::keyPressEvent(QKeyEvent *event)
{
    controlBar->keyPressed(event);
}

void SlideShow::keyReleaseEvent(QKeyEvent *event)
{
    switch (controlBar->keyReleased(event)) {
    case SlideBar::Pause:
        pause();
        break;
    case SlideBar::Stop:
        stop();
        break;
    case SlideBar::Next:
        timer->stop();
        showNextImage();
        break;
    case SlideBar::Previous:
        if (running)
            pause();
        showPreviousImage();
        break;
    case SlideBar::None:
        break;
    }
}

void SlideShow::setRunning(bool on)
{
    running = on;
    controlBar->setRunning(on);
}

int SlideShow::delayMilliseconds() const
{
    const int seconds
            = std::clamp(settings->slideDelay(), 0, std::numeric_limits<int>::max() / 1000);
    return seconds * 1000;
}

QSize SlideShow::screenSize() const
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->geometry().size();
    return size();
}
