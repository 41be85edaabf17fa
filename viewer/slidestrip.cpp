#include "viewer/slidestrip.h"

#include <QEasingCurve>
#include <QPaintEvent>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

SlideStrip::SlideStrip(QWidget *view) : QWidget(view), slide(new QVariantAnimation(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents); // the view under it reads the finger
    hide();
    slide->setEasingCurve(QEasingCurve::OutCubic);
    connect(slide, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        shift = value.toDouble();
        update();
    });
    connect(slide, &QVariantAnimation::finished, this, [this] { emit settled(heading); });
}

void SlideStrip::begin(const QPixmap &shown, QPoint at, const QPixmap &next,
                       const QPixmap &previous, bool hasNext, bool hasPrevious)
{
    slide->stop();
    this->shown = shown;
    this->at = at;
    this->next = next;
    this->previous = previous;
    this->hasNext = hasNext;
    this->hasPrevious = hasPrevious;
    shift = 0;
    origin.reset();
    setGeometry(parentWidget()->rect());
    raise();
    show();
}

void SlideStrip::follow(double across)
{
    if (isSliding())
        return;
    if (!origin)
        origin = across;
    across -= *origin;
    // Past an end the picture moves a third as far as the finger: there is nothing to bring in.
    const bool end = across < 0 ? !hasNext : !hasPrevious;
    shift = end ? across / 3 : across;
    update();
}

void SlideStrip::settle(int direction)
{
    if ((direction > 0 && !hasNext) || (direction < 0 && !hasPrevious))
        direction = 0;
    heading = direction;
    const double end = -direction * double(width() + gap);
    const double way = std::abs(end - shift) / std::max(1, width() + gap);
    slide->stop();
    slide->setStartValue(shift);
    slide->setEndValue(end);
    slide->setDuration(std::max(60, int(slideTime * way)));
    slide->start();
}

void SlideStrip::hurry()
{
    if (isSliding())
        slide->setCurrentTime(slide->duration());
}

void SlideStrip::cancel()
{
    slide->stop();
    hide();
    // The pictures go with the swipe: only one neighbour at a time is held for it.
    shown = next = previous = QPixmap();
}

void SlideStrip::fillIn(int direction, const QPixmap &picture)
{
    QPixmap &slot = direction > 0 ? next : previous;
    if (!isVisible() || !slot.isNull())
        return;
    slot = picture;
    update();
}

bool SlideStrip::isSliding() const
{
    return slide->state() == QAbstractAnimation::Running;
}

void SlideStrip::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(),
                     parentWidget()->palette().brush(parentWidget()->backgroundRole()));
    const int dx = int(std::lround(shift));
    const int pitch = width() + gap;
    const auto centred = [this](const QPixmap &picture) {
        return QPoint((width() - picture.width()) / 2, (height() - picture.height()) / 2);
    };
    painter.drawPixmap(at + QPoint(dx, 0), shown);
    if (dx < 0 && !next.isNull())
        painter.drawPixmap(centred(next) + QPoint(dx + pitch, 0), next);
    if (dx > 0 && !previous.isNull())
        painter.drawPixmap(centred(previous) + QPoint(dx - pitch, 0), previous);
}
