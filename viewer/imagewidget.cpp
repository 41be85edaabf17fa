#include "viewer/imagewidget.h"

#include "viewer/viewgeometry.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>

#include <limits>

ImageWidget::ImageWidget(QWidget *parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    // Every pixel is the picture's: erasing first would only make it flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageWidget::setPixmap(QPixmap *pixmap, bool resizeToPixmap)
{
    this->pixmap = pixmap;
    if (resizeToPixmap && pixmap)
        resize(pixmap->width(), pixmap->height());
}

void ImageWidget::setShownSize(QSize size, bool hardEdges)
{
    shown = size;
    this->hardEdges = hardEdges;
}

void ImageWidget::setBackgroundColor(const QColor &colour)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colour);
    setPalette(colours);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageWidget::mousePressEvent(QMouseEvent *event)
{
    pointer.press(event->globalPosition().toPoint(), event->timestamp());
    event->accept();
}

void ImageWidget::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->globalPosition().toPoint();
    pointer.move(at);
    if (pointer.isDragging())
        emit dragged(pointer.moved(at));
    event->accept();
}

void ImageWidget::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointer<ImageWidget> self(this);
    const SwipeClassifier::Result result
            = pointer.release(event->globalPosition().toPoint(), event->timestamp());
    switch (result) {
    case SwipeClassifier::Tap:
        emit clicked();
        break;
    case SwipeClassifier::Next:
        emit swiped(1);
        break;
    case SwipeClassifier::Previous:
        emit swiped(-1);
        break;
    case SwipeClassifier::Down:
        if (swipeDownCloses)
            cancel();
        break;
    case SwipeClassifier::None:
        break;
    }
    if (self && result != SwipeClassifier::Tap)
        emit dragEnded();
}

void ImageWidget::cancel()
{
    const QPointer<ImageWidget> self(this);
    emit CancelPressed();
    if (self)
        close();
}

int ImageWidget::stepsForKey(int key)
{
    constexpr int far = std::numeric_limits<int>::max();
    switch (key) {
    case Qt::Key_Right:
    case Qt::Key_PageDown:
    case Qt::Key_Space:
        return 1;
    case Qt::Key_Left:
    case Qt::Key_PageUp:
    case Qt::Key_Backspace:
        return -1;
    case Qt::Key_Home:
        return -far;
    case Qt::Key_End:
        return far;
    default:
        return 0;
    }
}

void ImageWidget::keyPressEvent(QKeyEvent *event)
{
    const int steps = stepsForKey(event->key());
    if (steps == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    emit stepRequested(steps);
}

void ImageWidget::keyReleaseEvent(QKeyEvent *event)
{
    event->accept();
    switch (event->key()) {
    case Qt::Key_Escape:
        cancel();
        break;
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Down:
        emit OKPressed();
        break;
    default:
        break;
    }
}

void ImageWidget::paintEvent(QPaintEvent *event)
{
    if (!pixmap || closing)
        return;
    QPainter painter(this);
    if (pixmap->width() == 0 && pixmap->height() == 0) {
        painter.fillRect(rect(), QColor(0, 0, 0));
        return;
    }
    const QSize size = shown.isValid() ? shown : pixmap->size();
    const QRect at(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    // Nothing is erased before painting: see-through parts would show the picture before.
    if (pixmap->hasAlphaChannel())
        painter.fillRect(at & event->rect(), QColor(0, 0, 0));
    if (size == pixmap->size()) {
        painter.drawPixmap(at.topLeft(), *pixmap);
        return;
    }
    // A zoomed picture may be tens of thousands of pixels wide: only what is in sight is
    // scaled, from the pixels behind it.
    const QRect exposed = event->rect().translated(-at.topLeft()) & QRect(QPoint(), size);
    const QRect part = ViewGeometry::sourceRect(exposed, size, pixmap->size());
    if (part.isEmpty())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !hardEdges);
    painter.drawPixmap(
            ViewGeometry::targetRect(part, size, pixmap->size()).translated(at.topLeft()), *pixmap,
            QRectF(part));
}

void ImageWidget::closeEvent(QCloseEvent *event)
{
    closing = true;
    if (pixmap)
        *pixmap = QPixmap();
    event->accept();
}
