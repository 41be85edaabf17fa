#pragma once

#include <QImage>

#include <vector>

class QPainter;

// One picture the generator makes: a row of the compiled-in icon table or a file under image/.
struct Drawing
{
    const char *name; // the table row's name, or the file's path below the data directory
    int width;
    int height;
    int depth; // 32, or 8 for a row kept with a colour table
    int colours; // the colour-table size of an 8-bit row
    void (*draw)(QPainter &painter);
};

// The rows of the icon table, in the table's order.
const std::vector<Drawing> &iconDrawings();

// The pictures the program loads from files at run time.
const std::vector<Drawing> &pictureDrawings();

// The drawing painted antialiased on a transparent canvas of its size, as 0xAARRGGBB pixels.
QImage render(const Drawing &drawing);
