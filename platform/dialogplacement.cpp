#include "platform/dialogplacement.h"

#include <QApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace DialogPlacement {

namespace {

QScreen *screenOf(QWidget *over)
{
    QWidget *window = anchor(over);
    return window ? window->screen() : QGuiApplication::primaryScreen();
}

} // namespace

QWidget *anchor(QWidget *over)
{
    return over ? over->window() : QApplication::activeWindow();
}

bool onDesktop(QWidget *over)
{
    // VGA phones are phones still.
    const QScreen *screen = screenOf(over);
    return screen && (screen->size().width() > 480 || screen->size().height() > 640);
}

bool place(QWidget *dialog, QWidget *over, QSize minimum)
{
    if (!onDesktop(over))
        return false;
    const QRect room = screenOf(over)->availableGeometry();
    if (dialog->layout())
        dialog->layout()->activate();
    const QSize size = dialog->sizeHint()
                               .expandedTo(dialog->minimumSizeHint())
                               .expandedTo(minimum)
                               .boundedTo(room.size() * 9 / 10);
    dialog->resize(size);
    const QWidget *window = anchor(over);
    QRect at(QPoint(), size);
    at.moveCenter(window && window->isVisible() ? window->frameGeometry().center() : room.center());
    at.moveLeft(qBound(room.left(), at.left(), room.right() + 1 - size.width()));
    at.moveTop(qBound(room.top(), at.top(), room.bottom() + 1 - size.height()));
    dialog->move(at.topLeft());
    return true;
}

} // namespace DialogPlacement
