#include "drawing.h"
#include "paintkit.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QRadialGradient>

#include <cmath>

using namespace PaintKit;

namespace {

void program(QPainter &p)
{
    programPicture(p, 32);
}

QPainterPath skipShape()
{
    QPainterPath path;
    path.addRoundedRect(QRectF(2.5, 3.5, 2, 9), 0.5, 0.5);
    QPainterPath arrow;
    arrow.moveTo(13.5, 3.5);
    arrow.lineTo(6.5, 8);
    arrow.lineTo(13.5, 12.5);
    arrow.closeSubpath();
    return path.united(arrow);
}

void back(QPainter &p)
{
    glyph(p, skipShape(), blueLight, blueDark);
}

void next(QPainter &p)
{
    glyph(p, QTransform(-1, 0, 0, 1, 16, 0).map(skipShape()), blueLight, blueDark);
}

void play(QPainter &p)
{
    QPainterPath path;
    path.moveTo(4.5, 2.5);
    path.lineTo(13.5, 8);
    path.lineTo(4.5, 13.5);
    path.closeSubpath();
    glyph(p, path, greenLight, greenDark);
}

void pause(QPainter &p)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(3.5, 2.5, 3, 11), 0.8, 0.8);
    path.addRoundedRect(QRectF(9.5, 2.5, 3, 11), 0.8, 0.8);
    glyph(p, path, blueLight, blueDark);
}

void stop(QPainter &p)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(3.5, 3.5, 9, 9), 1.2, 1.2);
    glyph(p, path, redLight, redDark);
}

void bookmarkFolder(QPainter &p)
{
    folder(p, QRectF(1.5, 3.5, 15, 12), false);
    QPainterPath ribbon;
    ribbon.moveTo(10.5, 0.5);
    ribbon.lineTo(14.5, 0.5);
    ribbon.lineTo(14.5, 12.5);
    ribbon.lineTo(12.5, 10.5);
    ribbon.lineTo(10.5, 12.5);
    ribbon.closeSubpath();
    glyph(p, ribbon, redLight, redDark, QColor(110, 16, 16));
}

// A plus or a minus in the free corner of a brightness icon.
void sign(QPainter &p, const QPointF &centre, bool plus)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRectF(centre.x() - 3, centre.y() - 1, 6, 2));
    if (plus)
        p.drawRect(QRectF(centre.x() - 1, centre.y() - 3, 2, 6));
    p.restore();
}

void brightDown(QPainter &p)
{
    sun(p, QPointF(7, 7), 2.8, 1.6, 0.1);
    sign(p, QPointF(12, 15), false);
}

void brightUp(QPainter &p)
{
    sun(p, QPointF(7, 7), 3, 2.2, 1);
    sign(p, QPointF(12, 15), true);
}

void image(QPainter &p)
{
    photo(p, QRectF(1.5, 2.5, 13, 11), 1.5, QColor(96, 164, 236), QColor(196, 226, 255));
}

void info(QPainter &p)
{
    // Many shades on purpose: the row keeps a colour table of more than a hundred entries.
    QRadialGradient ball(QPointF(8, 8), 7.6, QPointF(5, 4.5));
    ball.setColorAt(0, QColor(196, 230, 255));
    ball.setColorAt(0.55, QColor(70, 138, 226));
    ball.setColorAt(1, QColor(18, 56, 150));
    p.setPen(Qt::NoPen);
    p.setBrush(ball);
    p.drawEllipse(QPointF(8, 8), 7.6, 7.6);

    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QPointF(8, 4.6), 1.35, 1.35);
    QPainterPath letter;
    letter.moveTo(6.2, 6.8);
    letter.lineTo(9, 6.8);
    letter.lineTo(9, 11.4);
    letter.lineTo(10, 11.4);
    letter.lineTo(10, 12.8);
    letter.lineTo(6, 12.8);
    letter.lineTo(6, 11.4);
    letter.lineTo(7, 11.4);
    letter.lineTo(7, 8.2);
    letter.lineTo(6.2, 8.2);
    letter.closeSubpath();
    p.drawPath(letter);
}

void rename(QPainter &p)
{
    p.save();
    p.setPen(QPen(blueDark, 1));
    p.drawLine(QPointF(1, 15.5), QPointF(16, 15.5));
    p.restore();

    p.save();
    p.translate(9.2, 7.2);
    p.rotate(-45);
    const QPen edge(ink, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(edge);

    QPainterPath wood;
    wood.moveTo(-8.6, 0);
    wood.lineTo(-4.6, -2.1);
    wood.lineTo(-4.6, 2.1);
    wood.closeSubpath();
    p.setBrush(QColor(242, 208, 156));
    p.drawPath(wood);
    QPainterPath lead;
    lead.moveTo(-8.6, 0);
    lead.lineTo(-7, -0.85);
    lead.lineTo(-7, 0.85);
    lead.closeSubpath();
    p.setBrush(ink);
    p.drawPath(lead);

    QLinearGradient body(0, -2.1, 0, 2.1);
    body.setColorAt(0, QColor(255, 222, 96));
    body.setColorAt(1, QColor(222, 146, 24));
    p.setBrush(body);
    p.drawRect(QRectF(-4.6, -2.1, 8, 4.2));
    p.setBrush(QColor(186, 188, 196));
    p.drawRect(QRectF(3.4, -2.1, 1.6, 4.2));
    p.setBrush(QColor(240, 128, 140));
    p.drawRoundedRect(QRectF(5, -2.1, 2.4, 4.2), 0.8, 0.8);
    p.restore();
}

void rotate(QPainter &p)
{
    const QPointF centre(8, 8.5);
    const qreal radius = 4.8;
    const qreal start = 0;
    const qreal sweep = -280; // clockwise, leaving a gap at the upper right
    QPainterPath arc;
    arc.arcMoveTo(QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)), start);
    arc.arcTo(QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)), start,
              sweep);
    QPainterPathStroker stroker;
    stroker.setWidth(2.4);
    stroker.setCapStyle(Qt::FlatCap);
    QPainterPath shape = stroker.createStroke(arc);

    // The head points along the turn where the arc ends.
    const qreal end = (start + sweep) * M_PI / 180;
    const QPointF at = centre + QPointF(std::cos(end), -std::sin(end)) * radius;
    const QPointF along(std::sin(end), std::cos(end));
    const QPointF out(std::cos(end), -std::sin(end));
    QPainterPath head;
    head.moveTo(at + along * 4);
    head.lineTo(at - along * 0.5 + out * 3.3);
    head.lineTo(at - along * 0.5 - out * 3.3);
    head.closeSubpath();
    shape = shape.united(head);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(34, 140, 60));
    p.drawPath(shape);
}

void slideshow(QPainter &p)
{
    p.save();
    p.setPen(QPen(ink, 1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 12), QPointF(8, 15));
    p.drawLine(QPointF(8, 12), QPointF(4, 15.5));
    p.drawLine(QPointF(8, 12), QPointF(12, 15.5));
    p.restore();

    p.save();
    p.setPen(QPen(ink, 1));
    p.setBrush(QColor(250, 250, 248));
    p.drawRect(QRectF(1.5, 2.5, 13, 9));
    p.setPen(QPen(QColor(90, 96, 108), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1, 1.5), QPointF(15, 1.5));
    p.restore();

    QPainterPath triangle;
    triangle.moveTo(6.5, 4.5);
    triangle.lineTo(10.5, 7);
    triangle.lineTo(6.5, 9.5);
    triangle.closeSubpath();
    glyph(p, triangle, greenLight, greenDark, greenDark);
}

// An arrow of the fit-to-screen icon from the picture's edge to the frame's edge.
void fitArrow(QPainter &p, const QPointF &from, const QPointF &to)
{
    const QPointF along = to - from;
    const qreal length = std::hypot(along.x(), along.y());
    const QPointF unit = along / length;
    const QPointF side(-unit.y(), unit.x());
    p.save();
    p.setPen(QPen(blueDark, 1.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(from, to - unit * 1.5);
    QPainterPath head;
    head.moveTo(to);
    head.lineTo(to - unit * 2.6 + side * 2.2);
    head.lineTo(to - unit * 2.6 - side * 2.2);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(blueDark);
    p.drawPath(head);
    p.restore();
}

void toScreen(QPainter &p)
{
    p.save();
    p.setPen(QPen(ink, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, 17, 16), 1, 1);
    p.restore();

    QPainterPath picture;
    picture.addRect(QRectF(6.5, 5.5, 5, 6));
    glyph(p, picture, blueLight, blueDark);

    fitArrow(p, QPointF(6, 8.5), QPointF(2, 8.5));
    fitArrow(p, QPointF(12, 8.5), QPointF(16, 8.5));
    fitArrow(p, QPointF(9, 5), QPointF(9, 2));
    fitArrow(p, QPointF(9, 12), QPointF(9, 15));
}

void viewIcon(QPainter &p)
{
    QPainterPath tiles;
    for (const qreal y : {1.5, 9.5})
        for (const qreal x : {1.5, 9.5})
            tiles.addRoundedRect(QRectF(x, y, 5, 5), 0.8, 0.8);
    glyph(p, tiles, blueLight, blueDark);
}

void viewText(QPainter &p)
{
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 4; ++row) {
        const int y = 2 + row * 4;
        p.setBrush(blueDark);
        p.drawRect(QRect(1, y, 2, 2));
        p.setBrush(ink);
        p.drawRect(QRect(5, y, 10, 2));
    }
}

void zoom(QPainter &p)
{
    magnifier(p, QPointF(7, 7), 4.6, QPointF(14, 14));
}

void zoomIn(QPainter &p)
{
    zoom(p);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRectF(4.5, 6.2, 5, 1.6));
    p.drawRect(QRectF(6.2, 4.5, 1.6, 5));
}

void zoomOut(QPainter &p)
{
    zoom(p);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRectF(4.5, 6.2, 5, 1.6));
}

void zoomMax(QPainter &p)
{
    magnifier(p, QPointF(8, 8), 5.6, QPointF(16, 16));
    // "1:1", full size.
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRect(5, 5, 1, 6));
    p.drawRect(QRect(4, 6, 1, 1));
    p.drawRect(QRect(7, 6, 1, 1));
    p.drawRect(QRect(7, 9, 1, 1));
    p.drawRect(QRect(10, 5, 1, 6));
    p.drawRect(QRect(9, 6, 1, 1));
}

} // namespace

const std::vector<Drawing> &iconDrawings()
{
    static const std::vector<Drawing> drawings = {
            {"pictarn", 32, 32, 32, 0, program},
            {"back", 16, 16, 32, 0, back},
            {"bookmark_folder", 18, 18, 32, 0, bookmarkFolder},
            {"brightdown", 16, 18, 32, 0, brightDown},
            {"brightup", 16, 18, 32, 0, brightUp},
            {"image", 16, 16, 32, 0, image},
            {"info", 16, 16, 8, 107, info},
            {"next", 16, 16, 32, 0, next},
            {"pause", 16, 16, 32, 0, pause},
            {"play", 16, 16, 32, 0, play},
            {"rename", 17, 16, 32, 0, rename},
            {"rotate", 16, 16, 8, 5, rotate},
            {"slideshow", 16, 16, 32, 0, slideshow},
            {"stop", 16, 16, 32, 0, stop},
            {"toscreen", 18, 17, 32, 0, toScreen},
            {"view_icon", 16, 16, 32, 0, viewIcon},
            {"view_text", 16, 16, 32, 0, viewText},
            {"zoom", 16, 16, 32, 0, zoom},
            {"zoomin", 16, 16, 32, 0, zoomIn},
            {"zoommax", 18, 18, 32, 0, zoomMax},
            {"zoomout", 16, 16, 32, 0, zoomOut},
    };
    return drawings;
}

QImage render(const Drawing &drawing)
{
    QImage canvas(drawing.width, drawing.height, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        drawing.draw(painter);
    }
    return canvas.convertToFormat(QImage::Format_ARGB32);
}
