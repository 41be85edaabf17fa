#include "app/keyshelp.h"

#include "platform/dialogplacement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

// No parent: the gestures of a picture beneath would take its taps.
KeysHelp::KeysHelp(Screen screen, QWidget *parent) : QDialog(nullptr)
{
    setObjectName(QStringLiteral("keysHelp"));
    setWindowTitle(tr("Keys and gestures"));
    QString html = QStringLiteral("<table cellspacing=3>");
    for (const auto &[keys, does] : rows(screen))
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                        .arg(keys.toHtmlEscaped(), does.toHtmlEscaped());
    html += QStringLiteral("</table><p><i>%1</i></p>").arg(tr("Escape or a tap closes this."));
    auto *text = new QLabel(html);
    text->setObjectName(QStringLiteral("keysText"));
    text->setWordWrap(true);
    text->setTextFormat(Qt::RichText);
    text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    text->setContentsMargins(4, 4, 4, 4);
    scrollArea = new QScrollArea(this);
    scrollArea->setWidget(text);
    scrollArea->setWidgetResizable(true);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setAccessibleName(windowTitle());
    scrollArea->setToolTip(tr("Escape or a tap closes this."));
    scrollArea->viewport()->installEventFilter(this);
    text->installEventFilter(this); // the text covers the viewport and takes its presses
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea);
    // On a phone it fills the screen, as the platform's dialogs do.
    if (!DialogPlacement::place(this, parent, QSize(360, 480)) && QWidget::screen())
        setGeometry(QWidget::screen()->availableGeometry());
}

void KeysHelp::present(Screen screen, QWidget *parent)
{
    KeysHelp help(screen, parent);
    help.exec();
}

void KeysHelp::addShortcuts(QWidget *window, Screen screen)
{
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_F1), QKeySequence(Qt::Key_Question)}) {
        auto *shortcut = new QShortcut(keys, window);
        connect(shortcut, &QShortcut::activated, window,
                [window, screen] { present(screen, window); });
    }
}

// Escape closes on its release, so that the window beneath does not take the release for its
// own Escape.
void KeysHelp::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        QDialog::keyPressEvent(event);
}

void KeysHelp::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !event->isAutoRepeat())
        reject();
}

// A tap closes; a drag scrolls. By hand, for a kinetic scroller beneath a full-screen
// picture loses the taps.
bool KeysHelp::eventFilter(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove
        && type != QEvent::MouseButtonRelease)
        return QDialog::eventFilter(watched, event);
    const QPoint at = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
    QScrollBar *bar = scrollArea->verticalScrollBar();
    if (type == QEvent::MouseButtonPress) {
        pressedAt = at;
        pressedValue = bar->value();
        dragged = false;
    } else if (type == QEvent::MouseMove) {
        dragged = dragged || (at - pressedAt).manhattanLength() >= 8;
        if (dragged)
            bar->setValue(pressedValue - (at.y() - pressedAt.y()));
    } else if (!dragged) {
        reject();
    }
    return true;
}

QList<QPair<QString, QString>> KeysHelp::rows(Screen screen)
{
    const QPair<QString, QString> help{tr("F1, ?"), tr("This help")};
    switch (screen) {
    case MainWindow:
        return {{tr("Tap, Space, Return"), tr("Open the picture")},
                {tr("Arrow keys"), tr("Move the selection")},
                {tr("Home, End"), tr("First, last picture")},
                {tr("Drag a finger"), tr("Scroll")},
                {tr("Delete"), tr("Delete the picture (after a question)")},
                {tr("F2"), tr("Rename the picture")},
                {tr("F5"), tr("Read the folders again")},
                {tr("F11"), tr("The picture full screen")},
                {tr("Ctrl+O"), tr("Open a folder")},
                {tr("Ctrl+Z"), tr("Undo the last delete or rename")},
                {tr("Ctrl+Q"), tr("Exit")},
                help};
    case Viewer:
        return {{tr("Right, Page Down, Space; swipe left"), tr("Next picture")},
                {tr("Left, Page Up, BackSpace; swipe right"), tr("Previous picture")},
                {tr("Home, End"), tr("First, last picture")},
                {tr("+, -; Ctrl+wheel"), tr("Zoom in, out")},
                {tr("0"), tr("Fit to the screen")},
                {tr("1"), tr("Full size")},
                {tr("Drag; arrow keys"), tr("Move a zoomed picture")},
                {tr("Escape, Return"), tr("Close the viewer")},
                help};
    case FullScreen:
        return {{tr("Tap, Escape"), tr("Back")},
                {tr("Right, Page Down, Space; swipe left"), tr("Next picture")},
                {tr("Left, Page Up, BackSpace; swipe right"), tr("Previous picture")},
                {tr("Home, End"), tr("First, last picture")},
                help};
    case SlideShow:
        return {{tr("Tap"), tr("Show or hide the control bar")},
                {tr("Space"), tr("Pause, resume")},
                {tr("Right, Down, Return; swipe left"), tr("Next picture")},
                {tr("Left, Up; swipe right"), tr("Previous picture (and pause)")},
                {tr("Escape"), tr("End the show")},
                help};
    }
    return {help};
}
