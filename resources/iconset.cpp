#include "resources/iconset.h"

#include <QHash>

namespace {
QHash<QString, QImage> &iconCache()
{
    static QHash<QString, QImage> cache;
    return cache;
}
} // namespace

const QImage &findIconImage(const QString &name)
{
    QHash<QString, QImage> &cache = iconCache();
    const auto hit = cache.constFind(name);
    if (hit != cache.constEnd())
        return *hit;

    const QByteArray key = name.toLatin1();
    for (const EmbeddedImage *row = embeddedImages; row->data; ++row) {
        if (key != row->name)
            continue;
        QImage image;
        if (row->depth == 32) {
            // Wraps the table's constant pixels: no copy is made.
            image = QImage(row->data, row->width, row->height, row->width * 4,
                           row->alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        } else {
            const int stride = (row->width + 3) & ~3;
            // Setting a colour table copies a read-only image's pixels; the cached image is
            // only ever handed out const, so the table's bytes are never written.
            image = QImage(const_cast<uchar *>(row->data), row->width, row->height, stride,
                           QImage::Format_Indexed8);
            QList<QRgb> colors(row->colorTable, row->colorTable + row->numColors);
            image.setColorTable(colors);
        }
        return *cache.insert(name, image);
    }
    static const QImage empty;
    return empty;
}

QPixmap iconPixmap(const QString &name)
{
    return QPixmap::fromImage(findIconImage(name));
}
