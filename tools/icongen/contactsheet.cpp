#include "contactsheet.h"

#include <QFont>
#include <QPainter>

namespace {

const int cellWidth = 150;
const int cellHeight = 176;
const int columns = 6;
const QColor toolBarGround(239, 239, 239);

QImage lookUp(const QList<SheetEntry> &entries, const QString &name)
{
    for (const SheetEntry &entry : entries) {
        if (entry.name == name || entry.name == QLatin1String("image/") + name)
            return entry.image;
    }
    return {};
}

// The pictures side by side at their own size, 26 pixels apart as on a 240-pixel tool bar.
QImage strip(const QList<SheetEntry> &entries, const QStringList &names, const QColor &ground)
{
    QImage bar(240, 24, QImage::Format_ARGB32_Premultiplied);
    bar.fill(ground);
    QPainter painter(&bar);
    int x = 2;
    for (const QString &name : names) {
        const QImage image = lookUp(entries, name);
        painter.drawImage(x + (24 - image.width()) / 2, (24 - image.height()) / 2, image);
        x += 26;
    }
    return bar;
}

void checkerboard(QPainter &painter, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); y += 8) {
        for (int x = area.left(); x <= area.right(); x += 8) {
            const bool dark = ((x - area.left()) / 8 + (y - area.top()) / 8) % 2;
            painter.fillRect(QRect(x, y, 8, 8).intersected(area),
                             dark ? QColor(200, 200, 200) : QColor(232, 232, 232));
        }
    }
}

} // namespace

QImage contactSheet(const QList<SheetEntry> &entries)
{
    struct Strip
    {
        const char *title;
        QStringList names;
        QColor ground;
    };
    const QList<Strip> strips = {
            {"main window tool bar",
             {"wmenu.png", "bookmark_folder", "view_icon", "view_text", "slideshow",
              "SettingsIcon.png", "fullscreen.png", "rename", "editdelete.png"},
             toolBarGround},
            {"viewer tool row",
             {"menu.png", "toscreen", "zoom", "rotate", "brightup", "brightdown", "fullscreen.png"},
             toolBarGround},
            {"slide show control bar", {"back", "play", "pause", "stop", "next"}, Qt::black},
            {"zoom popup, list and tree",
             {"zoomout", "zoomin", "zoommax", "image", "folder_closed.png", "folder_open.png",
              "folder_locked.png", "DocsIcon.png", "info"},
             Qt::white},
    };

    const int rows = (int(entries.size()) + columns - 1) / columns;
    const int stripHeight = 24 * 2 + 22;
    QImage sheet(columns * cellWidth, rows * cellHeight + int(strips.size()) * stripHeight + 10,
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    QFont font;
    font.setPixelSize(10);
    painter.setFont(font);

    for (int i = 0; i < entries.size(); ++i) {
        const SheetEntry &entry = entries.at(i);
        const QPoint cell((i % columns) * cellWidth, (i / columns) * cellHeight);
        painter.setPen(Qt::black);
        painter.drawText(QRect(cell.x(), cell.y() + 2, cellWidth, 14), Qt::AlignCenter,
                         QStringLiteral("%1 %2x%3 %4")
                                 .arg(entry.name.section(QLatin1Char('/'), -1))
                                 .arg(entry.image.width())
                                 .arg(entry.image.height())
                                 .arg(entry.image.depth()));
        const QRect big(cell.x() + (cellWidth - 128) / 2, cell.y() + 18, 128, 128);
        checkerboard(painter, big);
        const QSize enlarged = entry.image.size() * 4;
        painter.drawImage(
                QRect(big.center() - QPoint(enlarged.width(), enlarged.height()) / 2, enlarged),
                entry.image);
        const int y = cell.y() + 150;
        painter.fillRect(QRect(cell.x() + 30, y, 40, 22), toolBarGround);
        painter.fillRect(QRect(cell.x() + 80, y, 40, 22), Qt::black);
        painter.drawImage(cell.x() + 50 - entry.image.width() / 2, y, entry.image);
        painter.drawImage(cell.x() + 100 - entry.image.width() / 2, y, entry.image);
    }

    int y = rows * cellHeight + 10;
    for (const Strip &s : strips) {
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, y, sheet.width(), 18), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromLatin1(s.title));
        const QImage bar = strip(entries, s.names, s.ground);
        painter.drawImage(QRect(0, y + 20, bar.width() * 2, bar.height() * 2), bar);
        painter.drawImage(bar.width() * 2 + 20, y + 20, bar);
        y += stripHeight;
    }
    return sheet;
}
