#pragma once

#include <QByteArray>
#include <QImage>

#include <vector>

struct Drawing;

// A finished row of the icon table: the drawing and the picture it became.
struct IconRow
{
    const Drawing *drawing;
    QImage image; // Format_ARGB32 for 32-bit rows, Format_Indexed8 for 8-bit ones
};

// The C++ source of the compiled-in icon table, rows in the given order.
QByteArray iconTableSource(const std::vector<IconRow> &rows);
