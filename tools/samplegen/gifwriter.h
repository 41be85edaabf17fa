#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>

// A small GIF89a writer: one 16-colour table, frames that loop for ever. The codes are kept
// at five bits by clearing the table often, which is plain LZW without the compression.
class GifWriter
{
public:
    GifWriter(const QSize &size, const QList<QRgb> &palette);

    // Adds a frame of the writer's size, its pixels taken to the nearest palette colour; shown
    // for delay hundredths of a second.
    void addFrame(const QImage &frame, int delay);
    // The whole file.
    QByteArray finish();

private:
    uchar nearest(QRgb colour) const;

    QSize size;
    QList<QRgb> palette;
    QByteArray out;
};
