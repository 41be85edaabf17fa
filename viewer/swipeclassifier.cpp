#include "viewer/swipeclassifier.h"

#include <cstdlib>

void SwipeClassifier::press(QPoint position, qint64 milliseconds, bool pannable, bool atLeft,
                            bool atRight)
{
    pressed = true;
    dragging = false;
    this->pannable = pannable;
    this->atLeft = atLeft;
    this->atRight = atRight;
    start = last = position;
    startTime = milliseconds;
}

QPoint SwipeClassifier::move(QPoint position)
{
    if (!pressed)
        return {};
    const QPoint moved = position - start;
    if (std::abs(moved.x()) >= tapRadius || std::abs(moved.y()) >= tapRadius)
        dragging = true;
    if (!dragging || !pannable)
        return {};
    const QPoint step = position - last;
    last = position;
    return step;
}

SwipeClassifier::Result SwipeClassifier::release(QPoint position, qint64 milliseconds)
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
    if (!pannable && dy >= downDistance && dy >= 2 * std::abs(dx))
        return Down;
    if (std::abs(dx) < swipeDistance || std::abs(dx) < 2 * std::abs(dy))
        return None;
    // Finger to the left brings in the picture on the right.
    const bool next = dx < 0;
    if (pannable && (milliseconds - startTime >= quickSwipe || !(next ? atRight : atLeft)))
        return None;
    return next ? Next : Previous;
}
