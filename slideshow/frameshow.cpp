#include "slideshow/frameshow.h"

#include "app/keyshelp.h"
#include "slideshow/framefolders.h"
#include "slideshow/slidebar.h"

#include <QApplication>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMouseEvent>
#include <QPainter>
#include <QPromise>
#include <QScreen>
#include <QTimer>
#include <QVariantAnimation>

#include <algorithm>
#include <memory>

FrameShow::FrameShow(const FrameOptions &options, Clock clock)
    : ImageWidget(nullptr), options(options), clock(std::move(clock)), list(options.order)
{
    setAttribute(Qt::WA_DeleteOnClose);
    KeysHelp::addShortcuts(this, KeysHelp::SlideShow);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Pictures are made in the pixmaps' own format, so that none is converted here.
    QPixmap probe(1, 1);
    probe.fill(Qt::black);
    screenFormat = probe.toImage().format();
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::BlankCursor);
    prefetcher.setParent(this);
    folders = new FrameFolders(options.folders, options.recursive, this);
    connect(folders, &FrameFolders::changed, this, &FrameShow::foldersChanged);
    connect(&prefetcher, &Prefetcher::ready, this, &FrameShow::decoded);

    controlBar = new SlideBar(this);
    controlBar->setRunning(true);
    connect(controlBar, &SlideBar::back, this, &FrameShow::showPreviousImage);
    connect(controlBar, &SlideBar::playPause, this, &FrameShow::pause);
    connect(controlBar, &SlideBar::stop, this, &FrameShow::stop);
    connect(controlBar, &SlideBar::next, this, &FrameShow::showNextImage);
    controlBar->hide();

    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("timer"));
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, &FrameShow::showNextImage);
    scheduleTimer = new QTimer(this);
    scheduleTimer->setInterval(scheduleMilliseconds);
    connect(scheduleTimer, &QTimer::timeout, this, &FrameShow::checkSchedule);

    fade = new QVariantAnimation(this);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    fade->setDuration(std::clamp(options.intervalMs / 2, 1, fadeMilliseconds));
    // Not every tick of the animation: each frame blends two screenfuls on the GUI thread.
    connect(fade, &QVariantAnimation::valueChanged, this, [this] {
        if (!fadeFrame.isValid() || fadeFrame.elapsed() >= fadeFrameMilliseconds) {
            fadeFrame.start();
            update();
        }
    });
    connect(fade, &QVariantAnimation::finished, this, [this] {
        before = QPixmap();
        update();
    });

    connect(this, &ImageWidget::clicked, this, &FrameShow::showControlBar);
    connect(this, &ImageWidget::swiped, this, [this](int direction) {
        if (direction > 0)
            showNextImage();
        else
            showPreviousImage();
    });
    resize(screenSize());
}

void FrameShow::start()
{
    showFullScreen();
    activateWindow();
    setFocus();
    controlBar->place();
    folders->start();
    foldersChanged();
    scheduleTimer->start();
    checkSchedule();
    if (!dark)
        showNextImage();
}

void FrameShow::foldersChanged()
{
    list.setPictures(folders->pictures());
    if (closing || dark)
        return;
    const bool shownGone = !m_shownPath.isEmpty() && !list.contains(m_shownPath);
    const bool wantedGone = !wanted.isEmpty() && !list.contains(wanted);
    // Nothing was shown for want of pictures: the first one goes up now.
    const bool idle = m_shownPath.isEmpty() && wanted.isEmpty() && list.size() > 0;
    if (shownGone)
        blackScreen();
    if (shownGone || wantedGone || (idle && running))
        showNextImage();
}

void FrameShow::showNextImage()
{
    if (closing || dark)
        return;
    timer->stop();
    const QString path = list.next();
    if (path.isEmpty()) {
        wanted.clear();
        blackScreen();
        arm();
        return;
    }
    request(path);
}

void FrameShow::showPreviousImage()
{
    if (closing || dark)
        return;
    const QString path = list.previous();
    if (path.isEmpty())
        return;
    setRunning(false);
    request(path);
}

void FrameShow::request(const QString &path)
{
    wanted = path;
    if (finished.contains(path))
        present(path, finished.take(path));
    else if (finishing.contains(path))
        return; // shown when the worker hands it back
    else if (prefetcher.isReady(path, screenSize(), options.bestFit))
        finish(path);
    else
        prefetcher.prefetch(path, screenSize(), options.bestFit);
}

void FrameShow::decoded(const QString &path)
{
    // Only while the prefetcher still holds it: taking it otherwise decodes it here.
    if ((path == wanted || path == list.peek()) && !finishing.contains(path)
        && prefetcher.isReady(path, screenSize(), options.bestFit))
        finish(path);
}

void FrameShow::finish(const QString &path)
{
    // Scaling and converting a screenful takes milliseconds: not on the GUI thread.
    const QImage image = prefetcher.take(path, screenSize(), options.bestFit);
    finishing.insert(path);
    auto promise = std::make_shared<QPromise<void>>();
    auto made = std::make_shared<QImage>();
    auto *watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, path, made] {
        watcher->deleteLater();
        finishing.remove(path);
        if (closing || dark)
            return;
        // Moved, not shared: the pixmap then takes over the picture's memory as it is.
        QImage image = std::move(*made);
        if (path == wanted) {
            present(path, std::move(image));
        } else if (path == list.peek()) {
            finished.clear(); // nothing else is wanted next
            finished.insert(path, std::move(image));
        }
    });
    watcher->setFuture(promise->future());
    promise->start();
    Prefetcher::pool()->start([promise, made, image, box = screenSize(), format = screenFormat] {
        *made = fitted(image, box, format);
        promise->finish();
    });
}

QImage FrameShow::fitted(const QImage &image, QSize box, QImage::Format format)
{
    if (image.isNull() || box.isEmpty())
        return image;
    QImage scaled = image.size() == image.size().scaled(box, Qt::KeepAspectRatio)
                            ? image
                            : image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!scaled.hasAlphaChannel())
        return scaled.convertToFormat(format);
    QImage opaque(scaled.size(), format);
    opaque.fill(Qt::black);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, scaled);
    return opaque;
}

void FrameShow::present(const QString &path, QImage &&image)
{
    wanted.clear();
    // Checked now, not when it was listed or decoded: a picture removed since never shows.
    if (!list.contains(path) || !QFileInfo::exists(path)) {
        if (++skipped <= list.size())
            QTimer::singleShot(0, this, &FrameShow::showNextImage);
        else
            arm();
        return;
    }
    skipped = 0;
    fade->stop();
    before = options.crossfade ? current : QPixmap();
    current = QPixmap::fromImage(std::move(image));
    m_shownPath = path;
    if (!before.isNull())
        fade->start();
    update();
    emit pictureShown(path);
    if (running)
        arm();
    const QString ahead = list.peek();
    if (!ahead.isEmpty() && ahead != path && !finished.contains(ahead)
        && !finishing.contains(ahead)) {
        if (prefetcher.isReady(ahead, screenSize(), options.bestFit))
            finish(ahead);
        else
            prefetcher.prefetch(ahead, screenSize(), options.bestFit);
    }
}

void FrameShow::blackScreen()
{
    fade->stop();
    current = before = QPixmap();
    if (!m_shownPath.isEmpty()) {
        m_shownPath.clear();
        emit pictureShown({});
    }
    update();
}

void FrameShow::arm()
{
    if (!running || dark || closing)
        return;
    timer->start(std::max(0, options.intervalMs));
}

void FrameShow::pause()
{
    if (closing)
        return;
    if (running) {
        timer->stop();
        setRunning(false);
    } else {
        setRunning(true);
        showNextImage();
    }
}

void FrameShow::setRunning(bool on)
{
    if (!on)
        timer->stop();
    running = on;
    controlBar->setRunning(on);
}

void FrameShow::stop()
{
    timer->stop();
    close();
}

void FrameShow::showControlBar()
{
    controlBar->setHidden(!controlBar->isHidden());
}

void FrameShow::checkSchedule()
{
    const QDateTime now = clock();
    const bool awake = wakeUntil.isValid() && now < wakeUntil;
    setDark(options.blank.isDark(now.time()) && !awake);
}

void FrameShow::setDark(bool on)
{
    if (on == dark || closing)
        return;
    dark = on;
    if (on) {
        timer->stop();
        wanted.clear();
        prefetcher.drop();
        finished.clear();
        controlBar->hide();
        blackScreen();
        blanker.setBlank(true);
        return;
    }
    blanker.setBlank(false);
    showNextImage();
}

void FrameShow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const auto at = [this](const QPixmap &pixmap) {
        return QRect(QPoint((width() - pixmap.width()) / 2, (height() - pixmap.height()) / 2),
                     pixmap.size());
    };
    const bool shown = !closing && !dark && !current.isNull();
    const qreal t
            = fade->state() == QAbstractAnimation::Running ? fade->currentValue().toReal() : 1.0;
    const bool fading = shown && !before.isNull() && t < 1.0;
    const QRect picture = shown ? at(current) : QRect();
    // What the new picture will not cover fades out; the rest it covers as it fades in.
    const bool covered = fading && picture.contains(at(before));
    // Black only where nothing opaque is drawn over it: a full fill is one screenful more to
    // write every frame of a fade.
    const QRect opaque = !fading ? picture : covered ? at(before) : QRect();
    painter.setClipRegion(QRegion(rect()).subtracted(opaque));
    painter.fillRect(rect(), Qt::black);
    painter.setClipping(false);
    if (!shown)
        return;
    if (fading) {
        painter.setOpacity(covered ? 1.0 : 1.0 - t);
        painter.drawPixmap(at(before), before);
    }
    painter.setOpacity(t);
    painter.drawPixmap(picture, current);
}

void FrameShow::mousePressEvent(QMouseEvent *event)
{
    if (dark) {
        // A touch lights the frame for one picture's time.
        wakingTouch = true;
        const int awake = std::max(1000, options.intervalMs);
        wakeUntil = clock().addMSecs(awake);
        checkSchedule();
        QTimer::singleShot(awake + 50, this, &FrameShow::checkSchedule);
        event->accept();
        return;
    }
    wakingTouch = false;
    ImageWidget::mousePressEvent(event);
}

void FrameShow::mouseMoveEvent(QMouseEvent *event)
{
    if (!wakingTouch)
        ImageWidget::mouseMoveEvent(event);
}

void FrameShow::mouseReleaseEvent(QMouseEvent *event)
{
    if (wakingTouch) {
        wakingTouch = false;
        event->accept();
        return;
    }
    ImageWidget::mouseReleaseEvent(event);
}

void FrameShow::keyPressEvent(QKeyEvent *event)
{
    controlBar->keyPressed(event);
}

void FrameShow::keyReleaseEvent(QKeyEvent *event)
{
    switch (controlBar->keyReleased(event)) {
    case SlideBar::Pause:
        pause();
        break;
    case SlideBar::Stop:
        stop();
        break;
    case SlideBar::Next:
        showNextImage();
        break;
    case SlideBar::Previous:
        showPreviousImage();
        break;
    case SlideBar::None:
        break;
    }
}

QSize FrameShow::screenSize() const
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->geometry().size();
    return size();
}
