#include "slideshow/slideshow.h"

#include "app/keyshelp.h"
#include "app/settings.h"
#include "platform/accessibility.h"
#include "resources/iconset.h"
#include "viewer/animationplayer.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <limits>

SlideShow::SlideShow(const QList<ImageEntry> &entries, Settings *settings)
    : ImageWidget(nullptr), images(entries), settings(settings)
{
    setAttribute(Qt::WA_DeleteOnClose);
    KeysHelp::addShortcuts(this, KeysHelp::SlideShow);
    prefetcher.setParent(this);
    setFocusPolicy(Qt::StrongFocus);

    controlBar = new QFrame(this);
    controlBar->setObjectName(QStringLiteral("controlBar"));
    controlBar->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    // The show's black would otherwise reach the bar and hide the counter's text.
    QPalette barColours = controlBar->palette();
    barColours.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    controlBar->setPalette(barColours);
    controlBar->setAutoFillBackground(true);
    // A tap that misses the buttons is still meant for the bar, not for the picture under it.
    controlBar->setAttribute(Qt::WA_NoMousePropagation);

    auto *row = new QHBoxLayout(controlBar);
    const int frame = controlBar->frameWidth();
    row->setContentsMargins(frame, frame, frame, frame);
    row->setSpacing(0);

    auto addButton = [this, row](const QString &icon, const char *name, const QString &tip,
                                 void (SlideShow::*slot)()) {
        auto *button = new QToolButton(controlBar);
        button->setObjectName(QLatin1String(name));
        Accessibility::describe(button, tip);
        const QPixmap pixmap = iconPixmap(icon);
        button->setIcon(pixmap);
        if (!pixmap.isNull())
            button->setIconSize(pixmap.size());
        button->setAutoRaise(true);
        // Keys belong to the show: a focused button would take Space for a click.
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, slot);
        row->addWidget(button);
        return button;
    };
    addButton(QStringLiteral("back"), "backButton", tr("Back"), &SlideShow::showPreviousImage);
    playButton = addButton(QStringLiteral("play"), "playButton", tr("Pause, resume"),
                           &SlideShow::pause);
    addButton(QStringLiteral("stop"), "stopButton", tr("Stop"), &SlideShow::stop);
    addButton(QStringLiteral("next"), "nextButton", tr("Next"), &SlideShow::showNextImage);

    counter = new QLabel(QStringLiteral("..."), controlBar);
    counter->setObjectName(QStringLiteral("counter"));
    counter->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest count of this list, so the bar is placed once.
    const QString digits(QString::number(images.size()).size(), QLatin1Char('8'));
    const int widest = counter->fontMetrics().horizontalAdvance(digits + QLatin1Char('/') + digits);
    counter->setMinimumWidth(std::max(35, widest + 2 * counter->margin() + 2));
    row->addWidget(counter);

    resize(screenSize());
    setBackgroundColor(Qt::black);

    const QSize bar = controlBar->sizeHint();
    controlBar->setGeometry((width() - bar.width()) / 2, (height() - 1) - bar.height() - 4,
                            bar.width(), bar.height());
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
    if (!event->isAutoRepeat())
        pressedKey = event->key();
    event->accept();
}

void SlideShow::keyReleaseEvent(QKeyEvent *event)
{
    event->accept();
    // The release of the key that started the show is not a step in it.
    if (event->key() != pressedKey)
        return;
    if (!event->isAutoRepeat())
        pressedKey = 0;
    switch (event->key()) {
    case Qt::Key_Space:
        pause();
        break;
    case Qt::Key_Escape:
        stop();
        break;
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Right:
    case Qt::Key_Down:
        timer->stop();
        showNextImage();
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        if (running)
            pause();
        showPreviousImage();
        break;
    default:
        break;
    }
}

void SlideShow::setRunning(bool on)
{
    running = on;
    playButton->setIcon(iconPixmap(on ? QStringLiteral("pause") : QStringLiteral("play")));
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
