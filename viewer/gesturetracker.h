#pragma once

#include <QPointF>

#include <algorithm>

// Reads the gestures of a gallery from the points and times of fingers (or a mouse) on a
// picture: taps, double taps, a double tap held and dragged, drags and flicks of a zoomed
// picture, swipes to the neighbours, a swipe down, and a two-finger pinch. Knows nothing of
// widgets, so that it can be read and tested alone.
class GestureTracker
{
public:
    enum Gesture {
        None,
        Tap,
        DoubleTap,
        DoubleTapDrag,
        Pan,
        Flick,
        Pinch,
        Next,
        Previous,
        SpringBack,
        Down
    };
    // What to do with the picture while the fingers move.
    struct Step
    {
        QPointF pan; // move the picture by this
        double zoom = 1.0; // scale it by this, at anchor
        QPointF anchor;
        bool swiping = false; // a swipe of the fitted picture: it follows the finger
        double across = 0; // how far the finger went sideways since the press
    };

    // zoomed: the picture is larger than its view and pans; atLeft, atRight: the view shows
    // that edge of it; second: the platform took the press for a double click's second.
    void press(QPointF at, qint64 ms, bool zoomed, bool atLeft, bool atRight, bool second = false);
    Step move(QPointF at, qint64 ms);
    Gesture release(QPointF at, qint64 ms);
    // Two fingers down: a pinch zooms at their middle and pans with it.
    Step touch(QPointF first, QPointF second);

    bool isPressed() const { return state != Idle; }
    bool isSecondPress() const { return state == SecondPress; }
    // The longest pause between the taps of a double tap, at most doubleTapTime.
    void setDoubleTapInterval(qint64 ms) { interval = std::clamp<qint64>(ms, 1, doubleTapTime); }
    qint64 doubleTapInterval() const { return interval; }
    Gesture last() const { return result; }
    // Of the last moves before the release, in pixels a millisecond.
    QPointF velocity() const { return speed; }

    static constexpr int tapRadius = 12;
    static constexpr int swipeDistance = 48;
    static constexpr int downDistance = 80;
    static constexpr qint64 doubleTapTime = 300; // ms
    static constexpr qint64 quickSwipe = 300; // ms: slower over a zoomed picture pans
    static constexpr double flickSpeed = 0.5; // px/ms
    static constexpr double dragZoom = 100.0; // px of a double-tap drag for a factor of e

private:
    enum State { Idle, Pressed, SecondPress, ZoomDrag, Panning, Swiping, SwipingDown, Pinching };

    State state = Idle;
    Gesture result = None;
    bool zoomed = false;
    bool atLeft = true;
    bool atRight = true;
    QPointF start;
    QPointF previous; // the last point seen
    qint64 startTime = 0;
    QPointF sample; // a point of the last 50 ms or so, for the speed
    qint64 sampleTime = 0;
    QPointF speed;
    QPointF tapAt;
    qint64 tapTime = -1000000;
    qint64 interval = doubleTapTime;
    double spread = 0; // between two fingers
    QPointF middle;
};
