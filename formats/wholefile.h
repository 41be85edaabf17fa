#pragma once

#include "viewer/imageheader.h"
#include "viewer/imageloader.h"

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QSize>

// What the decoders that take a whole file in memory share.
namespace WholeFile {

// The device's bytes from its start, left where they were; empty when it holds more than a
// decode may take.
inline QByteArray read(QIODevice *device)
{
    if (!device || device->isSequential() || device->size() <= 0
        || device->size() > ImageHeader::budget)
        return QByteArray();
    const qint64 start = device->pos();
    if (!device->seek(0))
        return QByteArray();
    const QByteArray bytes = device->readAll();
    device->seek(start);
    return bytes;
}

inline bool withinBudget(QSize size)
{
    return !size.isEmpty() && qint64(size.width()) * size.height() <= ImageLoader::maxPixels;
}

// Sides no picture within the budget exceeds: a square of maxPixels.
constexpr int maxSide = 1 << 14;
static_assert(qint64(maxSide) * maxSide == ImageLoader::maxPixels);

// Interleaved 8-bit rows copied into a picture of their own, converted on the way; null
// when it cannot be held.
inline QImage copied(const uchar *rows, int stride, QSize size, bool alpha)
{
    if (!rows)
        return QImage();
    const QImage view(rows, size.width(), size.height(), stride,
                      alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    return view.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

} // namespace WholeFile
