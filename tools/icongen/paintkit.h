#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

// Shapes and colours shared by the icons and the picture files, so that they read as one set.
namespace PaintKit {

extern const QColor ink;
extern const QColor blueLight;
extern const QColor blueDark;
extern const QColor greenLight;
extern const QColor greenDark;
extern const QColor redLight;
extern const QColor redDark;

// Fills path with a top-to-bottom gradient and outlines it with a one-pixel pen.
void glyph(QPainter &painter, const QPainterPath &path, const QColor &light, const QColor &dark,
           const QColor &edge = ink);

// A yellow folder filling box; an open one shows a sheet of paper and a tilted front.
void folder(QPainter &painter, const QRectF &box, bool open);

// The two halves of a closed folder, for pictures that put something between them.
void folderBack(QPainter &painter, const QRectF &box);
void folderFront(QPainter &painter, const QRectF &box);

// A magnifying glass whose lens is centred at centre with the handle running to handleEnd.
void magnifier(QPainter &painter, const QPointF &centre, qreal radius, const QPointF &handleEnd);

// A small photograph in a white border: sky, sun and hills.
void photo(QPainter &painter, const QRectF &frame, qreal border, const QColor &skyTop,
           const QColor &skyBottom);

// The program's own picture, two photographs lying on each other, drawn into a size x size square.
void programPicture(QPainter &painter, int size);

// A sun of the given brightness (0 dim to 1 bright) centred at centre.
void sun(QPainter &painter, const QPointF &centre, qreal radius, qreal rayLength, qreal brightness);

} // namespace PaintKit
