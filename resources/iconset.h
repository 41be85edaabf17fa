#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// One picture of the compiled-in icon set.
struct EmbeddedImage
{
    int width;
    int height;
    int depth; // 32: 0xAARRGGBB words; 8: colour-table indexes, rows padded to 4 bytes
    const unsigned char *data;
    int numColors;
    const unsigned int *colorTable;
    bool alpha;
    const char *name;
};

// The table, in its fixed order, ending with a row whose data is null.
extern const EmbeddedImage embeddedImages[];

// The image of that name, valid until the program ends; the shared empty image for a miss.
const QImage &findIconImage(const QString &name);

// A pixmap of the icon of that name; a null pixmap for a miss.
QPixmap iconPixmap(const QString &name);
