#pragma once

#include <QPoint>

// Tells a tap, a swipe and a drag apart from the points and times of one press, its moves and
// its release. Knows nothing of widgets, so that every picture surface reads a finger alike.
class SwipeClassifier
{
public:
    enum Result { None, Tap, Next, Previous, Down };

    void press(QPoint position, qint64 milliseconds);
    void move(QPoint position);
    Result release(QPoint position, qint64 milliseconds);

    bool isPressed() const { return pressed; }
    bool isDragging() const { return pressed && dragging; }
    QPoint moved(QPoint position) const { return position - start; }

    static constexpr int tapRadius = 12;
    static constexpr int swipeDistance = 48;
    static constexpr int downDistance = 80;

private:
    bool pressed = false;
    bool dragging = false; // left the tap radius at some point
    QPoint start;
};
