#include "drawing.h"
#include "paintkit.h"

#include <QPainter>
#include <QPainterPathStroker>

#include <cmath>

using namespace PaintKit;

namespace {

const QRectF folderBox(1.5, 2.5, 13, 11);

void mainMenu(QPainter &p)
{
    QPainterPath button;
    button.addRoundedRect(QRectF(1.5, 1.5, 13, 13), 2.5, 2.5);
    glyph(p, button, blueLight, blueDark);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (const int y : {4, 7, 10})
        p.drawRect(QRect(4, y, 8, 2));
}

void settings(QPainter &p)
{
    const QPointF centre(8, 8);
    const qreal outer = 7.4;
    const qreal inner = 5.4;
    QPainterPath gear;
    for (int tooth = 0; tooth < 8; ++tooth) {
        const qreal middle = tooth * 45.0 + 22.5;
        const qreal corners[4][2] = {{middle - 15, inner},
                                     {middle - 8, outer},
                                     {middle + 8, outer},
                                     {middle + 15, inner}};
        for (const auto &corner : corners) {
            const qreal angle = corner[0] * M_PI / 180;
            const QPointF point = centre + QPointF(std::cos(angle), std::sin(angle)) * corner[1];
            if (gear.elementCount() == 0)
                gear.moveTo(point);
            else
                gear.lineTo(point);
        }
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(centre, 2.2, 2.2);
    glyph(p, gear.subtracted(hole), QColor(188, 198, 212), QColor(92, 104, 126));
}

void fullScreen(QPainter &p)
{
    QPainterPath picture;
    picture.addRect(QRectF(5.5, 5.5, 5, 5));
    glyph(p, picture, blueLight, blueDark);

    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    for (const int sx : {-1, 1}) {
        for (const int sy : {-1, 1}) {
            const QPointF corner(8 + sx * 6, 8 + sy * 6);
            const QPointF bracket[3]
                    = {corner - QPointF(0, sy * 3.5), corner, corner - QPointF(sx * 3.5, 0)};
            p.drawPolyline(bracket, 3);
        }
    }
}

void editDelete(QPainter &p)
{
    QPainterPath lines;
    lines.moveTo(4, 4);
    lines.lineTo(12, 12);
    lines.moveTo(12, 4);
    lines.lineTo(4, 12);
    QPainterPathStroker stroker;
    stroker.setWidth(3.4);
    stroker.setCapStyle(Qt::RoundCap);
    const QPainterPath cross = stroker.createStroke(lines).simplified();
    glyph(p, cross, redLight, redDark, QColor(110, 14, 14));
}

void documents(QPainter &p)
{
    folderBack(p, folderBox);
    p.save();
    p.setPen(QPen(QColor(130, 130, 130), 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(4.5, 1.5, 8, 9));
    p.setPen(QPen(blueDark, 1));
    for (const qreal y : {3.5, 5.5})
        p.drawLine(QPointF(6, y), QPointF(11, y));
    p.restore();
    folderFront(p, folderBox);
}

void viewerMenu(QPainter &p)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRect(QRectF(3, 2, 12, 14));
    p.setPen(QPen(ink, 1));
    p.setBrush(QColor(252, 252, 250));
    p.drawRect(QRectF(1.5, 0.5, 12, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(blueDark);
    p.drawRect(QRect(2, 6, 11, 3));
    p.setBrush(ink);
    p.drawRect(QRect(4, 3, 7, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRect(4, 7, 7, 1));
    p.setBrush(ink);
    p.drawRect(QRect(4, 11, 7, 1));
    p.restore();
}

void folderClosed(QPainter &p)
{
    folder(p, folderBox, false);
}

void folderOpen(QPainter &p)
{
    folder(p, folderBox, true);
}

void folderLocked(QPainter &p)
{
    folder(p, folderBox, false);
    p.save();
    p.setPen(QPen(ink, 1.3));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(10.5, 10);
    shackle.lineTo(10.5, 8.2);
    shackle.arcTo(QRectF(10.5, 6.2, 4, 4), 180, -180);
    shackle.lineTo(14.5, 10);
    p.drawPath(shackle);
    p.restore();
    QPainterPath body;
    body.addRoundedRect(QRectF(9.5, 9.5, 6, 5.5), 0.8, 0.8);
    glyph(p, body, QColor(200, 204, 214), QColor(110, 116, 132));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRect(12, 11, 1, 2));
}

void program(QPainter &p)
{
    programPicture(p, 32);
}

} // namespace

const std::vector<Drawing> &pictureDrawings()
{
    static const std::vector<Drawing> drawings = {
            {"image/wmenu.png", 16, 16, 32, 0, mainMenu},
            {"image/SettingsIcon.png", 16, 16, 32, 0, settings},
            {"image/fullscreen.png", 16, 16, 32, 0, fullScreen},
            {"image/editdelete.png", 16, 16, 32, 0, editDelete},
            {"image/DocsIcon.png", 16, 16, 32, 0, documents},
            {"image/menu.png", 16, 16, 32, 0, viewerMenu},
            {"image/folder_closed.png", 16, 16, 32, 0, folderClosed},
            {"image/folder_open.png", 16, 16, 32, 0, folderOpen},
            {"image/folder_locked.png", 16, 16, 32, 0, folderLocked},
            {"image/pictarn.png", 32, 32, 32, 0, program},
    };
    return drawings;
}
