#include "gifwriter.h"

#include <climits>

namespace {
constexpr int codeBits = 4; // 16 colours
constexpr int clearCode = 1 << codeBits;
constexpr int endCode = clearCode + 1;
// Literals between two clear codes: few enough that no decoder widens its codes.
constexpr int literalsPerClear = (1 << codeBits) - 4;

void put16(QByteArray &out, int value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

// Packs codes of codeBits + 1 bits, least significant bit first.
class BitPacker
{
public:
    void put(int code)
    {
        bits |= uint(code) << count;
        count += codeBits + 1;
        while (count >= 8) {
            bytes.append(char(bits & 0xff));
            bits >>= 8;
            count -= 8;
        }
    }
    QByteArray finish()
    {
        if (count > 0)
            bytes.append(char(bits & 0xff));
        return bytes;
    }

private:
    uint bits = 0;
    int count = 0;
    QByteArray bytes;
};
} // namespace

GifWriter::GifWriter(const QSize &size, const QList<QRgb> &palette) : size(size), palette(palette)
{
    this->palette.resize(1 << codeBits, qRgb(0, 0, 0));
    out.append("GIF89a");
    put16(out, size.width());
    put16(out, size.height());
    out.append(char(0x80 | ((codeBits - 1) << 4) | (codeBits - 1))); // global table follows
    out.append(char(0)); // background colour
    out.append(char(0)); // square pixels
    for (QRgb colour : this->palette) {
        out.append(char(qRed(colour)));
        out.append(char(qGreen(colour)));
        out.append(char(qBlue(colour)));
    }
    // Loop for ever.
    out.append("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
}

uchar GifWriter::nearest(QRgb colour) const
{
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < palette.size(); ++i) {
        const int r = qRed(colour) - qRed(palette.at(i));
        const int g = qGreen(colour) - qGreen(palette.at(i));
        const int b = qBlue(colour) - qBlue(palette.at(i));
        const int distance = r * r + g * g + b * b;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return uchar(best);
}

void GifWriter::addFrame(const QImage &frame, int delay)
{
    const QImage image = frame.convertToFormat(QImage::Format_RGB32);
    out.append("\x21\xf9\x04", 3);
    out.append(char(1 << 2)); // leave the frame in place
    put16(out, delay);
    out.append(char(0));
    out.append(char(0));

    out.append(char(0x2c));
    put16(out, 0);
    put16(out, 0);
    put16(out, size.width());
    put16(out, size.height());
    out.append(char(0)); // no local table, not interlaced

    BitPacker packer;
    packer.put(clearCode);
    int literals = 0;
    for (int y = 0; y < size.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            if (literals == literalsPerClear) {
                packer.put(clearCode);
                literals = 0;
            }
            packer.put(nearest(line[x]));
            ++literals;
        }
    }
    packer.put(endCode);
    const QByteArray data = packer.finish();

    out.append(char(codeBits));
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const qsizetype length = qMin<qsizetype>(255, data.size() - at);
        out.append(char(length));
        out.append(data.constData() + at, length);
    }
    out.append(char(0));
}

QByteArray GifWriter::finish()
{
    out.append(char(0x3b));
    return out;
}
