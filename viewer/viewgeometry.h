#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>

// The zoom of a picture in its view: the fit, the steps between the fit and the largest
// zoom, the size shown, the resolution a source needs, and which part of a source to draw.
// Scales are of the picture's full size: 1 is 100 %, one source pixel to one screen pixel.
class ViewGeometry
{
public:
    // picture: the full size as shown, turned; view: the area it is shown in.
    void setPicture(QSize picture) { full = picture; }
    void setView(QSize area) { view = area; }
    QSize picture() const { return full; }

    // The picture whole in the view; a picture smaller than the view is not enlarged.
    double fitScale() const;
    double scale() const { return fitted ? fitScale() : zoom; }
    bool isFitted() const { return fitted; }
    void fit() { fitted = true; }
    void setScale(double scale);

    // The next scale one step in (direction 1) or out (-1). Steps are powers of stepFactor,
    // so 100 % and 800 % are among them; the fit is a stop on the way out.
    double nextStep(int direction) const;
    // A double tap's zoom: twice the fit, or 100 % when that is more.
    double doubleTapScale() const;

    QSize shownSize() const;
    int percent() const;
    // Above 100 % a source at full resolution serves; below, one at the scale shown.
    double sourceScale() const { return qMin(scale(), 1.0); }
    // Icons and pixel art keep hard pixel edges when enlarged; photos are drawn smoothly.
    bool hardEdges() const;

    // The picture point, in full-resolution pixels, under a point of the view; origin is
    // where the picture's top left corner is in the view.
    static QPointF pictureAt(QPointF viewPoint, QPointF origin, double scale);
    // The scroll offset that puts a picture point under a point of the view.
    static QPointF offsetFor(QPointF picturePoint, double scale, QPointF viewPoint);
    // The whole source pixels behind the exposed part of a picture shown at shown size, and
    // where they land: drawing them covers the exposed part, pixel edges on whole pixels.
    static QRect sourceRect(const QRect &exposed, QSize shown, QSize source);
    static QRectF targetRect(const QRect &source, QSize shown, QSize sourceSize);

    static constexpr double stepFactor = 1.4142135623730951; // two steps double the size
    static constexpr double maxScale = 8.0;
    static constexpr int pixelArtSide = 256;

private:
    QSize full;
    QSize view;
    double zoom = 1.0;
    bool fitted = true;
};
