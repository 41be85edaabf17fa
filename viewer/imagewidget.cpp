#include "viewer/imagewidget.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>

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

void ImageWidget::setBackgroundColor(const QColor &colour)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colour);
    setPalette(colours);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageWidget::mouseReleaseEvent(QMouseEvent *)
{
    emit clicked();
}

void ImageWidget::keyReleaseEvent(QKeyEvent *event)
{
    event->accept();
    switch (event->key()) {
    case Qt::Key_Escape: {
        const QPointer<ImageWidget> self(this);
        emit CancelPressed();
        if (self)
            close();
        break;
    }
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Down:
        emit OKPressed();
        break;
    default:
        break;
    }
}

void ImageWidget::paintEvent(QPaintEvent *)
{
    if (!pixmap || closing)
        return;
    QPainter painter(this);
    if (pixmap->width() != 0 || pixmap->height() != 0)
        painter.drawPixmap((width() - pixmap->width()) / 2, (height() - pixmap->height()) / 2,
                           *pixmap);
    else
        painter.fillRect(rect(), QColor(0, 0, 0));
}

void ImageWidget::closeEvent(QCloseEvent *event)
{
    closing = true;
    if (pixmap)
        *pixmap = QPixmap();
    event->accept();
}
