// Draws the sample pictures that a first run shows: a dozen small pictures of different shapes
// and formats, among them a JPEG turned by its EXIF orientation, a transparent PNG and an
// animated GIF.
//
//   samplegen <folder>

#include "gifwriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QTransform>

#include <cmath>
#include <cstdio>

namespace {

QImage canvas(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.fill(Qt::transparent);
    return image;
}

void fillVertical(QPainter &p, const QRect &rect, const QColor &top, const QColor &bottom)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    p.fillRect(rect, gradient);
}

QImage sunset()
{
    QImage image = canvas(320, 240);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    fillVertical(p, QRect(0, 0, 320, 150), QColor(40, 30, 110), QColor(250, 140, 60));
    p.setBrush(QColor(255, 220, 90));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(160, 150), 45, 45);
    fillVertical(p, QRect(0, 150, 320, 90), QColor(30, 60, 120), QColor(10, 20, 50));
    p.setPen(QPen(QColor(255, 200, 120), 3));
    for (int y = 160; y < 240; y += 14)
        p.drawLine(160 - (y - 140), y, 160 + (y - 140), y);
    return image;
}

QImage lighthouse()
{
    QImage image = canvas(180, 320);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    fillVertical(p, image.rect(), QColor(120, 190, 240), QColor(230, 245, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 90));
    p.drawRect(0, 270, 180, 50);
    for (int band = 0; band < 6; ++band) {
        p.setBrush(band % 2 ? QColor(230, 230, 230) : QColor(200, 30, 40));
        const int y = 80 + band * 32;
        p.drawPolygon(QPolygonF({QPointF(70 - band * 2, y), QPointF(110 + band * 2, y),
                                 QPointF(112 + band * 2, y + 32), QPointF(68 - band * 2, y + 32)}));
    }
    p.setBrush(QColor(255, 240, 120));
    p.drawRect(72, 50, 36, 30);
    p.setBrush(QColor(40, 40, 40));
    p.drawPolygon(QPolygonF({QPointF(66, 50), QPointF(114, 50), QPointF(90, 25)}));
    return image;
}

// Drawn upright, stored turned a quarter to the left: the EXIF orientation turns it back.
QImage turned()
{
    QImage upright = canvas(160, 240);
    QPainter p(&upright);
    p.setRenderHint(QPainter::Antialiasing);
    fillVertical(p, upright.rect(), QColor(250, 250, 210), QColor(170, 220, 170));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 110, 60));
    p.drawPolygon(
            QPolygonF({QPointF(80, 20), QPointF(140, 100), QPointF(100, 100), QPointF(100, 220),
                       QPointF(60, 220), QPointF(60, 100), QPointF(20, 100)}));
    p.end();
    return upright.transformed(QTransform().rotate(-90));
}

QImage leaf()
{
    QImage image = canvas(160, 160, QImage::Format_ARGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.moveTo(20, 140);
    shape.cubicTo(10, 60, 60, 10, 145, 15);
    shape.cubicTo(150, 100, 100, 150, 20, 140);
    QLinearGradient gradient(20, 140, 145, 15);
    gradient.setColorAt(0, QColor(40, 140, 40, 230));
    gradient.setColorAt(1, QColor(160, 220, 60, 200));
    p.fillPath(shape, gradient);
    p.setPen(QPen(QColor(30, 90, 30), 3));
    p.drawLine(20, 140, 130, 30);
    return image;
}

const QList<QRgb> gifPalette = {
        qRgb(255, 255, 255), qRgb(0, 0, 0),       qRgb(220, 40, 40),   qRgb(240, 140, 30),
        qRgb(240, 220, 40),  qRgb(60, 180, 60),   qRgb(40, 120, 220),  qRgb(130, 60, 200),
        qRgb(200, 200, 200), qRgb(120, 120, 120), qRgb(250, 200, 210), qRgb(20, 60, 120),
};

QByteArray spinner()
{
    const QSize size(64, 64);
    GifWriter gif(size, gifPalette);
    for (int frame = 0; frame < 8; ++frame) {
        QImage image = canvas(size.width(), size.height());
        image.fill(Qt::white);
        QPainter p(&image);
        p.setPen(Qt::NoPen);
        for (int dot = 0; dot < 8; ++dot) {
            const double angle = dot * M_PI / 4;
            p.setBrush(QColor(gifPalette.at(dot == frame ? 2 : 8)));
            p.drawEllipse(QPointF(32 + 22 * std::cos(angle), 32 + 22 * std::sin(angle)), 6, 6);
        }
        p.end();
        gif.addFrame(image, 12);
    }
    return gif.finish();
}

QByteArray badge()
{
    const QSize size(96, 96);
    GifWriter gif(size, gifPalette);
    QImage image = canvas(size.width(), size.height());
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    for (int ring = 0; ring < 5; ++ring) {
        p.setBrush(QColor(gifPalette.at(2 + ring)));
        p.drawEllipse(QPoint(48, 48), 46 - ring * 9, 46 - ring * 9);
    }
    p.end();
    gif.addFrame(image, 0);
    return gif.finish();
}

QImage tiles()
{
    QImage image = canvas(200, 200);
    QPainter p(&image);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x)
            p.fillRect(x * 25, y * 25, 25, 25, QColor::fromHsv((x + y) * 22 % 360, 150, 230));
    }
    return image;
}

QImage panorama()
{
    QImage image = canvas(480, 120);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    fillVertical(p, image.rect(), QColor(150, 200, 250), QColor(240, 250, 255));
    p.setPen(Qt::NoPen);
    for (int layer = 0; layer < 3; ++layer) {
        QPolygonF ridge;
        ridge << QPointF(0, 120);
        for (int x = 0; x <= 480; x += 20)
            ridge << QPointF(x, 60 + layer * 18 + 25 * std::sin(x / (40.0 + layer * 15) + layer));
        ridge << QPointF(480, 120);
        p.setBrush(QColor(60 + layer * 30, 90 + layer * 40, 120 - layer * 20));
        p.drawPolygon(ridge);
    }
    return image;
}

QImage circles()
{
    QImage image = canvas(256, 256);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gradient(128, 128, 128);
    gradient.setColorAt(0, QColor(255, 250, 220));
    gradient.setColorAt(1, QColor(200, 60, 120));
    p.fillRect(image.rect(), gradient);
    p.setBrush(Qt::NoBrush);
    for (int r = 16; r < 128; r += 16) {
        p.setPen(QPen(QColor::fromHsv(r * 2, 200, 200), 5));
        p.drawEllipse(QPoint(128, 128), r, r);
    }
    return image;
}

QImage stripes()
{
    QImage image = canvas(40, 300);
    QPainter p(&image);
    for (int y = 0; y < 300; y += 20)
        p.fillRect(0, y, 40, 20, QColor::fromHsv(y, 180, 240));
    return image;
}

QImage tiny()
{
    QImage image = canvas(16, 16);
    image.fill(QColor(40, 120, 220));
    QPainter p(&image);
    p.fillRect(4, 4, 8, 8, QColor(250, 220, 40));
    return image;
}

QImage waves()
{
    QImage image = canvas(640, 480);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    fillVertical(p, image.rect(), QColor(20, 100, 160), QColor(0, 30, 70));
    for (int row = 0; row < 12; ++row) {
        QPainterPath wave;
        const double y0 = 30 + row * 40;
        wave.moveTo(0, y0);
        for (int x = 0; x <= 640; x += 8)
            wave.lineTo(x, y0 + 12 * std::sin(x / 30.0 + row));
        p.setPen(QPen(QColor(200, 240, 255, 160), 3));
        p.drawPath(wave);
    }
    return image;
}

// A JPEG whose EXIF block says "turn a quarter to the right to show" (orientation 6).
QByteArray withOrientation(const QByteArray &jpeg)
{
    QByteArray exif("Exif\0\0", 6);
    exif.append("MM\0\x2a\0\0\0\x08", 8); // big-endian TIFF header, first directory at 8
    exif.append("\0\x01", 2); // one entry
    exif.append("\x01\x12\0\x03\0\0\0\x01\0\x06\0\0", 12); // Orientation, SHORT, 1, value 6
    exif.append("\0\0\0\0", 4); // no next directory
    QByteArray segment("\xff\xe1", 2);
    const int length = int(exif.size()) + 2;
    segment.append(char(length >> 8));
    segment.append(char(length & 0xff));
    segment.append(exif);
    // After the start marker and the JFIF block when there is one.
    int at = 2;
    if (jpeg.size() > 6 && uchar(jpeg.at(2)) == 0xff && uchar(jpeg.at(3)) == 0xe0)
        at = 4 + (uchar(jpeg.at(4)) << 8 | uchar(jpeg.at(5)));
    return jpeg.left(at) + segment + jpeg.mid(at);
}

QByteArray encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, 85))
        return {};
    return bytes;
}

bool write(const QDir &dir, const char *name, const QByteArray &bytes)
{
    QSaveFile file(dir.filePath(QString::fromLatin1(name)));
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        std::fprintf(stderr, "samplegen: cannot write %s\n", name);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // for the image format plugins
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: samplegen <folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "samplegen: cannot make %s\n", argv[1]);
        return 1;
    }
    const bool ok = write(dir, "sunset.jpg", encode(sunset(), "JPG"))
                    && write(dir, "lighthouse.jpg", encode(lighthouse(), "JPG"))
                    && write(dir, "turned.jpg", withOrientation(encode(turned(), "JPG")))
                    && write(dir, "leaf.png", encode(leaf(), "PNG"))
                    && write(dir, "spinner.gif", spinner()) && write(dir, "badge.gif", badge())
                    && write(dir, "tiles.bmp", encode(tiles(), "BMP"))
                    && write(dir, "panorama.png", encode(panorama(), "PNG"))
                    && write(dir, "circles.jpeg", encode(circles(), "JPEG"))
                    && write(dir, "stripes.bmp", encode(stripes(), "BMP"))
                    && write(dir, "tiny.png", encode(tiny(), "PNG"))
                    && write(dir, "WAVES.JPG", encode(waves(), "JPG"));
    return ok ? 0 : 1;
}
