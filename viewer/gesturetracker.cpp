#include "viewer/gesturetracker.h"

#include <QLineF>

#include <cmath>

void GestureTracker::press(QPointF at, qint64 ms, bool zoomed, bool atLeft, bool atRight,
                           bool second)
{
    second = second || (ms - tapTime <= interval && QLineF(at, tapAt).length() <= 2 * tapRadius);
    state = second ? SecondPress : Pressed;
    this->zoomed = zoomed;
    this->atLeft = atLeft;
    this->atRight = atRight;
    start = previous = sample = at;
    startTime = sampleTime = ms;
    speed = QPointF();
}

GestureTracker::Step GestureTracker::move(QPointF at, qint64 ms)
{
    Step step;
    if (state == Idle || state == Pinching)
        return step;
    const QPointF moved = at - start;
    const bool far = std::abs(moved.x()) >= tapRadius || std::abs(moved.y()) >= tapRadius;
    if (state == SecondPress && far) {
        state = ZoomDrag;
    } else if (state == Pressed && far) {
        if (zoomed)
            state = Panning;
        else if (std::abs(moved.x()) >= std::abs(moved.y()))
            state = Swiping;
        else
            state = SwipingDown;
    }
    if (state == ZoomDrag) {
        // Down enlarges, up shrinks, at the point first tapped.
        step.zoom = std::exp((at.y() - previous.y()) / dragZoom);
        step.anchor = start;
    } else if (state == Panning) {
        step.pan = at - previous;
    } else if (state == Swiping) {
        step.swiping = true;
        step.across = moved.x();
    }
    if (ms - sampleTime > 50) {
        speed = (at - sample) / double(ms - sampleTime);
        sample = at;
        sampleTime = ms;
    }
    previous = at;
    return step;
}

GestureTracker::Step GestureTracker::touch(QPointF first, QPointF second)
{
    Step step;
    const double apart = std::max(1.0, QLineF(first, second).length());
    const QPointF centre = (first + second) / 2;
    if (state != Pinching) {
        state = Pinching;
    } else {
        step.zoom = apart / spread;
        step.anchor = centre;
        step.pan = centre - middle;
    }
    spread = apart;
    middle = centre;
    return step;
}

GestureTracker::Gesture GestureTracker::release(QPointF at, qint64 ms)
{
    // A release without its press (the press went elsewhere) still counts as a tap.
    if (state == Idle)
        return result = Tap;
    move(at, ms);
    if (ms - sampleTime > 0 && ms - sampleTime <= 100)
        speed = (at - sample) / double(ms - sampleTime);
    const State was = state;
    state = Idle;
    const QPointF moved = at - start;
    const bool across = std::abs(moved.x()) >= swipeDistance
                        && std::abs(moved.x()) >= 2 * std::abs(moved.y());
    // Finger to the left brings in the picture on the right.
    const Gesture sideways = moved.x() < 0 ? Next : Previous;
    tapTime = -1000000;
    switch (was) {
    case Pressed:
        tapAt = at;
        tapTime = ms;
        return result = Tap;
    case SecondPress:
        return result = DoubleTap;
    case ZoomDrag:
        return result = DoubleTapDrag;
    case Pinching:
        return result = Pinch;
    case Swiping:
        return result = across ? sideways : SpringBack;
    case SwipingDown:
        return result = moved.y() >= downDistance && moved.y() >= 2 * std::abs(moved.x())
                                ? Down
                                : SpringBack;
    case Panning:
        if (across && ms - startTime < quickSwipe && (sideways == Next ? atRight : atLeft))
            return result = sideways;
        return result = std::hypot(speed.x(), speed.y()) >= flickSpeed ? Flick : Pan;
    case Idle:
        break;
    }
    return result = None;
}
