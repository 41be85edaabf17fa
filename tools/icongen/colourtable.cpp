#include "colourtable.h"

#include <QHash>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

// A group of colours that end up as one table entry, shown in the colour most of its pixels
// have, so that the common colours of the drawing stay exact.
struct Group
{
    QRgb colour = 0;
    int pixels = 0;
    bool fixed = false; // the transparent entry: others may join it, it never changes
    std::vector<QRgb> members;
};

// How far two colours look apart: premultiplied, so faint edge pixels are near transparency.
double distance(QRgb a, QRgb b)
{
    const QRgb pa = qPremultiply(a);
    const QRgb pb = qPremultiply(b);
    const double da = qAlpha(pa) - qAlpha(pb);
    const double dr = qRed(pa) - qRed(pb);
    const double dg = qGreen(pa) - qGreen(pb);
    const double db = qBlue(pa) - qBlue(pb);
    return da * da + dr * dr + dg * dg + db * db;
}

// The smaller group takes the larger one's colour; the cost is how much its pixels change.
double mergeCost(const Group &a, const Group &b)
{
    const int moved = a.fixed ? b.pixels : b.fixed ? a.pixels : std::min(a.pixels, b.pixels);
    return moved * distance(a.colour, b.colour);
}

} // namespace

QImage reduceColours(const QImage &picture, int colours, QString *error)
{
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < source.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        for (int x = 0; x < source.width(); ++x)
            ++counts[qAlpha(line[x]) == 0 ? 0 : line[x]];
    }

    std::vector<Group> groups(1);
    groups[0].fixed = true;
    groups[0].members.push_back(0);
    groups[0].pixels = counts.value(0);
    // In colour order, not hash order, so that the same picture always gives the same table.
    QList<QRgb> shades = counts.keys();
    std::sort(shades.begin(), shades.end());
    for (const QRgb shade : std::as_const(shades)) {
        if (shade != 0)
            groups.push_back({shade, counts.value(shade), false, {shade}});
    }
    if (int(groups.size()) < colours) {
        *error = QStringLiteral("only %1 shades for %2 colours").arg(groups.size()).arg(colours);
        return {};
    }

    while (int(groups.size()) > colours) {
        double best = std::numeric_limits<double>::max();
        size_t keep = 0, drop = 0;
        for (size_t i = 0; i < groups.size(); ++i) {
            for (size_t j = i + 1; j < groups.size(); ++j) {
                const double cost = mergeCost(groups[i], groups[j]);
                if (cost < best) {
                    best = cost;
                    keep = i;
                    drop = j;
                }
            }
        }
        Group &into = groups[keep];
        const Group &from = groups[drop];
        if (!into.fixed && from.pixels > into.pixels)
            into.colour = from.colour;
        into.pixels += from.pixels;
        into.members.insert(into.members.end(), from.members.begin(), from.members.end());
        groups.erase(groups.begin() + drop);
    }

    std::sort(groups.begin() + 1, groups.end(), [](const Group &a, const Group &b) {
        if (a.pixels != b.pixels)
            return a.pixels > b.pixels;
        return a.colour < b.colour;
    });

    QList<QRgb> table;
    QHash<QRgb, int> entryOf;
    for (const Group &group : groups) {
        for (QRgb member : group.members)
            entryOf.insert(member, int(table.size()));
        table.append(group.colour);
    }

    QImage reduced(source.size(), QImage::Format_Indexed8);
    reduced.setColorTable(table);
    for (int y = 0; y < source.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        uchar *out = reduced.scanLine(y);
        for (int x = 0; x < source.width(); ++x)
            out[x] = uchar(entryOf.value(qAlpha(line[x]) == 0 ? 0 : line[x]));
    }
    return reduced;
}
