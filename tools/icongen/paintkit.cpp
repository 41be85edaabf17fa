#include "paintkit.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace PaintKit {

const QColor ink(38, 50, 66);
const QColor blueLight(125, 182, 242);
const QColor blueDark(34, 90, 172);
const QColor greenLight(132, 212, 92);
const QColor greenDark(36, 132, 44);
const QColor redLight(244, 104, 92);
const QColor redDark(172, 28, 28);

namespace {
const QColor folderEdge(150, 98, 16);

QColor mix(const QColor &a, const QColor &b, qreal t)
{
    return QColor::fromRgbF(
            a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
            a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

QLinearGradient vertical(const QRectF &rect, const QColor &top, const QColor &bottom)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

// Where the front of a folder begins, kept on the same half-pixel grid as the box.
qreal frontOffset(const QRectF &box)
{
    return std::round(box.height() * 0.34);
}
} // namespace

void glyph(QPainter &painter, const QPainterPath &path, const QColor &light, const QColor &dark,
           const QColor &edge)
{
    painter.save();
    painter.setPen(QPen(edge, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(vertical(path.boundingRect(), light, dark));
    painter.drawPath(path);
    painter.restore();
}

void folderBack(QPainter &painter, const QRectF &box)
{
    const qreal x = box.left();
    const qreal y = box.top();
    const qreal tab = std::round(box.width() * 0.4);
    QPainterPath back;
    back.moveTo(x, box.bottom());
    back.lineTo(x, y + 1);
    back.lineTo(x + 1, y);
    back.lineTo(x + tab, y);
    back.lineTo(x + tab + 2, y + 2);
    back.lineTo(box.right(), y + 2);
    back.lineTo(box.right(), box.bottom());
    back.closeSubpath();
    glyph(painter, back, QColor(240, 186, 64), QColor(204, 138, 28), folderEdge);
}

void folderFront(QPainter &painter, const QRectF &box)
{
    const QRectF front(box.left(), box.top() + frontOffset(box), box.width(),
                       box.height() - frontOffset(box));
    QPainterPath path;
    path.addRoundedRect(front, 0.8, 0.8);
    glyph(painter, path, QColor(255, 230, 128), QColor(242, 182, 58), folderEdge);
}

void folder(QPainter &painter, const QRectF &box, bool open)
{
    folderBack(painter, box);
    if (!open) {
        folderFront(painter, box);
        return;
    }
    painter.save();
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    painter.setBrush(QColor(252, 252, 250));
    painter.drawRect(QRectF(box.left() + 2, box.top() + 2, box.width() - 4, box.height() - 4));
    painter.restore();
    const qreal top = box.top() + frontOffset(box) + 1;
    QPainterPath front;
    front.moveTo(box.left() + 3, top);
    front.lineTo(box.right(), top);
    front.lineTo(box.right() - 3, box.bottom());
    front.lineTo(box.left(), box.bottom());
    front.closeSubpath();
    glyph(painter, front, QColor(255, 234, 140), QColor(240, 178, 54), folderEdge);
}

void magnifier(QPainter &painter, const QPointF &centre, qreal radius, const QPointF &handleEnd)
{
    painter.save();
    const QPointF along = handleEnd - centre;
    const qreal length = std::hypot(along.x(), along.y());
    const QPointF start = centre + along * ((radius + 0.5) / length);
    painter.setPen(QPen(QColor(72, 56, 44), radius * 0.62, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(start, handleEnd);

    QRadialGradient glass(centre, radius, centre - QPointF(radius, radius) * 0.45);
    glass.setColorAt(0, QColor(250, 253, 255));
    glass.setColorAt(1, QColor(150, 196, 238));
    painter.setBrush(glass);
    painter.setPen(QPen(ink, 1.4));
    painter.drawEllipse(centre, radius, radius);
    painter.restore();
}

void photo(QPainter &painter, const QRectF &frame, qreal border, const QColor &skyTop,
           const QColor &skyBottom)
{
    painter.save();
    painter.setPen(QPen(ink, 1));
    painter.setBrush(QColor(250, 250, 244));
    painter.drawRect(frame);

    const QRectF inner = frame.adjusted(border, border, -border, -border);
    painter.setPen(Qt::NoPen);
    painter.setBrush(vertical(inner, skyTop, skyBottom));
    painter.drawRect(inner);
    painter.setClipRect(inner);

    const qreal w = inner.width();
    const qreal h = inner.height();
    const qreal sunRadius = std::max(1.2, h * 0.14);
    painter.setBrush(QColor(255, 214, 40));
    painter.drawEllipse(QPointF(inner.right() - w * 0.27, inner.top() + h * 0.3), sunRadius,
                        sunRadius);

    QPainterPath hills;
    hills.moveTo(inner.left(), inner.bottom());
    hills.lineTo(inner.left(), inner.bottom() - h * 0.3);
    hills.lineTo(inner.left() + w * 0.36, inner.bottom() - h * 0.72);
    hills.lineTo(inner.left() + w * 0.62, inner.bottom() - h * 0.34);
    hills.lineTo(inner.left() + w * 0.8, inner.bottom() - h * 0.5);
    hills.lineTo(inner.right(), inner.bottom() - h * 0.28);
    hills.lineTo(inner.right(), inner.bottom());
    hills.closeSubpath();
    painter.setBrush(vertical(hills.boundingRect(), greenLight, greenDark));
    painter.drawPath(hills);
    painter.restore();
}

void programPicture(QPainter &painter, int size)
{
    painter.save();
    painter.scale(size / 32.0, size / 32.0);

    painter.save();
    painter.translate(16, 16);
    painter.rotate(-12);
    painter.translate(-16, -16);
    photo(painter, QRectF(3.5, 5.5, 21, 17), 2, QColor(250, 160, 90), QColor(255, 222, 150));
    painter.restore();

    painter.save();
    painter.translate(16, 16);
    painter.rotate(8);
    painter.translate(-16, -16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 70));
    painter.drawRect(QRectF(9.5, 10.5, 21, 17));
    photo(painter, QRectF(8.5, 9.5, 21, 17), 2, QColor(90, 160, 235), QColor(196, 226, 255));
    painter.restore();

    painter.restore();
}

void sun(QPainter &painter, const QPointF &centre, qreal radius, qreal rayLength, qreal brightness)
{
    painter.save();
    const QColor ray = mix(QColor(118, 112, 94), QColor(246, 150, 12), brightness);
    painter.setPen(QPen(ray, 1.5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const qreal angle = i * M_PI / 4;
        const QPointF direction(std::cos(angle), std::sin(angle));
        painter.drawLine(centre + direction * (radius + 1.4),
                         centre + direction * (radius + 1.4 + rayLength));
    }
    QRadialGradient disc(centre, radius, centre - QPointF(radius, radius) * 0.4);
    disc.setColorAt(0, mix(QColor(206, 202, 184), QColor(255, 252, 190), brightness));
    disc.setColorAt(1, mix(QColor(124, 118, 96), QColor(255, 196, 30), brightness));
    painter.setBrush(disc);
    painter.setPen(QPen(mix(QColor(76, 72, 62), QColor(206, 118, 6), brightness), 1));
    painter.drawEllipse(centre, radius, radius);
    painter.restore();
}

} // namespace PaintKit
