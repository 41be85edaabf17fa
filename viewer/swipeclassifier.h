#pragma once

#include <QPoint>

// Tells a tap, a swipe and a drag apart from the points and times of one press, its moves and
// its release. Knows nothing of widgets, so that every picture surface reads a finger alike.
class SwipeClassifier
{
public:
    enum Result { None, Tap, Next, Previous, Down };

    // pannable: the picture is larger than its view and a drag moves it; atLeft, atRight: the
    // view already shows that edge of the picture.
    void press(QPoint position, qint64 milliseconds, bool pannable = false, bool atLeft = true,
               bool atRight = true);
    // Returns how far to pan since the last point: nothing until the finger has left the tap
    // radius, and nothing for a picture that does not pan.
    QPoint move(QPoint position);
    Result release(QPoint position, qint64 milliseconds);

    bool isPressed() const { return pressed; }

    static constexpr int tapRadius = 12;
    static constexpr int swipeDistance = 48;
    static constexpr int downDistance = 80;
    static constexpr qint64 quickSwipe = 300; // ms: a slower movement over a zoomed picture pans

private:
    bool pressed = false;
    bool dragging = false; // left the tap radius at some point
    bool pannable = false;
    bool atLeft = true;
    bool atRight = true;
    QPoint start;
    QPoint last;
    qint64 startTime = 0;
};
