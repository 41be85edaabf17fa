#include "viewer/swipeclassifier.h"

#include <cstdlib>

void SwipeClassifier::press(QPoint position, qint64)
{
    pressed = true;
    dragging = false;
    start = position;
}

void SwipeClassifier::move(QPoint position)
{
    const QPoint moved = position - start;
    if (pressed && (std::abs(moved.x()) >= tapRadius || std::abs(moved.y()) >= tapRadius))
        dragging = true;
}

SwipeClassifier::Result SwipeClassifier::release(QPoint position, qint64)
{
    // A release without its press (the press went elsewhere) still counts as the tap it
    // always was.
    if (!pressed)
        return Tap;
    move(position);
    pressed = false;
    if (!dragging)
        return Tap;
    const int dx = position.x() - start.x();
    const int dy = position.y() - start.y();
    if (dy >= downDistance && dy >= 2 * std::abs(dx))
        return Down;
    if (std::abs(dx) < swipeDistance || std::abs(dx) < 2 * std::abs(dy))
        return None;
    // Finger to the left brings in the picture on the right.
    return dx < 0 ? Next : Previous;
}
