#include "viewer/viewgeometry.h"

#include <QRect>

#include <algorithm>
#include <cmath>

namespace {

// Steps closer than this to the scale they start from are passed over.
constexpr double leastStep = 1.2;

// Exact at whole powers of two: 12.5 %, 100 % and 800 % come out as themselves.
double stepValue(double index)
{
    return std::exp2(index / 2);
}

} // namespace

double ViewGeometry::fitScale() const
{
    if (full.isEmpty() || view.isEmpty())
        return 1.0;
    return std::min(
            {1.0, double(view.width()) / full.width(), double(view.height()) / full.height()});
}

void ViewGeometry::setScale(double scale)
{
    // Never below one pixel on the picture's longer side.
    const double least = full.isEmpty() ? 0.0 : 1.0 / std::max(full.width(), full.height());
    zoom = std::clamp(scale, least, maxScale);
    fitted = false;
}

double ViewGeometry::nextStep(int direction) const
{
    const double now = scale();
    const double index = 2 * std::log2(now);
    if (direction > 0) {
        double next = stepValue(std::floor(index + 1e-9) + 1);
        if (next < now * leastStep)
            next = stepValue(std::floor(index + 1e-9) + 2);
        return std::min(next, std::max(now, maxScale));
    }
    double next = stepValue(std::ceil(index - 1e-9) - 1);
    if (next > now / leastStep)
        next = stepValue(std::ceil(index - 1e-9) - 2);
    const double fit = fitScale();
    return now > fit * 1.001 && next < fit * leastStep ? fit : next;
}

double ViewGeometry::doubleTapScale() const
{
    return std::min(maxScale, std::max(2 * fitScale(), 1.0));
}

QSize ViewGeometry::shownSize() const
{
    const double s = scale();
    return QSize(std::max(1, int(std::lround(full.width() * s))),
                 std::max(1, int(std::lround(full.height() * s))));
}

int ViewGeometry::percent() const
{
    return int(std::lround(scale() * 100));
}

bool ViewGeometry::hardEdges() const
{
    return scale() > 1.0 && full.width() <= pixelArtSide && full.height() <= pixelArtSide;
}

QPointF ViewGeometry::pictureAt(QPointF viewPoint, QPointF origin, double scale)
{
    return scale > 0 ? (viewPoint - origin) / scale : QPointF();
}

QPointF ViewGeometry::offsetFor(QPointF picturePoint, double scale, QPointF viewPoint)
{
    return picturePoint * scale - viewPoint;
}

QRect ViewGeometry::sourceRect(const QRect &exposed, QSize shown, QSize source)
{
    if (shown.isEmpty() || source.isEmpty())
        return QRect();
    const double sx = double(source.width()) / shown.width();
    const double sy = double(source.height()) / shown.height();
    const int left = int(std::floor(exposed.left() * sx));
    const int top = int(std::floor(exposed.top() * sy));
    const int right = int(std::ceil((exposed.right() + 1) * sx));
    const int bottom = int(std::ceil((exposed.bottom() + 1) * sy));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))
            .intersected(QRect(QPoint(0, 0), source));
}

QRectF ViewGeometry::targetRect(const QRect &source, QSize shown, QSize sourceSize)
{
    const double sx = double(shown.width()) / sourceSize.width();
    const double sy = double(shown.height()) / sourceSize.height();
    return QRectF(source.x() * sx, source.y() * sy, source.width() * sx, source.height() * sy);
}
