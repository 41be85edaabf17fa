#include "slideshow/slidebar.h"

#include "platform/accessibility.h"
#include "resources/iconset.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>

SlideBar::SlideBar(QWidget *show) : QFrame(show)
{
    setObjectName(QStringLiteral("controlBar"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    // The show's black would otherwise reach the bar and hide its texts.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    setPalette(colours);
    setAutoFillBackground(true);
    // A tap that misses the buttons is still meant for the bar, not for the picture under it.
    setAttribute(Qt::WA_NoMousePropagation);

    buttons = new QHBoxLayout(this);
    const int frame = frameWidth();
    buttons->setContentsMargins(frame, frame, frame, frame);
    buttons->setSpacing(0);
    auto addButton = [this](const QString &icon, const char *name, const QString &tip,
                            void (SlideBar::*signal)()) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        Accessibility::describe(button, tip);
        const QPixmap pixmap = iconPixmap(icon);
        button->setIcon(pixmap);
        if (!pixmap.isNull())
            button->setIconSize(pixmap.size());
        button->setAutoRaise(true);
        // Keys belong to the show: a focused button would take Space for a click.
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, signal);
        buttons->addWidget(button);
        return button;
    };
    // In the slide show's context, whose translations they have.
    addButton(QStringLiteral("back"), "backButton",
              QCoreApplication::translate("SlideShow", "Back"), &SlideBar::back);
    playButton = addButton(QStringLiteral("play"), "playButton",
                           QCoreApplication::translate("SlideShow", "Pause, resume"),
                           &SlideBar::playPause);
    addButton(QStringLiteral("stop"), "stopButton",
              QCoreApplication::translate("SlideShow", "Stop"), &SlideBar::stop);
    addButton(QStringLiteral("next"), "nextButton",
              QCoreApplication::translate("SlideShow", "Next"), &SlideBar::next);
}

void SlideBar::setRunning(bool running)
{
    playButton->setIcon(iconPixmap(running ? QStringLiteral("pause") : QStringLiteral("play")));
}

void SlideBar::place()
{
    const QWidget *show = parentWidget();
    const QSize bar = sizeHint();
    setGeometry((show->width() - bar.width()) / 2, (show->height() - 1) - bar.height() - 4,
                bar.width(), bar.height());
}

void SlideBar::keyPressed(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        pressedKey = event->key();
    event->accept();
}

SlideBar::Action SlideBar::keyReleased(QKeyEvent *event)
{
    event->accept();
    if (event->key() != pressedKey)
        return None;
    if (!event->isAutoRepeat())
        pressedKey = 0;
    switch (event->key()) {
    case Qt::Key_Space:
        return Pause;
    case Qt::Key_Escape:
        return Stop;
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Right:
    case Qt::Key_Down:
        return Next;
    case Qt::Key_Left:
    case Qt::Key_Up:
        return Previous;
    default:
        return None;
    }
}
