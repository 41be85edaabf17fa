#include "viewer/imageheader.h"

#include <QList>
#include <QScopeGuard>
#include <QtEndian>

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

// Walks of PNG chunks and GIF blocks stop here; no real picture comes close.
constexpr int maxSteps = 1 << 18;
// What ancillary PNG chunks may take in any picture, however small: enough for colour
// profiles and camera notes.
constexpr qint64 ancillaryFloor = qint64(1) << 20;
// Larger colour profiles are not read; real ones are a few kilobytes, rarely a megabyte.
constexpr qint64 maxProfile = qint64(4) << 20;

// Reads forwards through a few kilobytes at a time: a scan over stray bytes costs one read
// per window, not one per byte.
class Window
{
public:
    Window(int fd, qint64 size) : fd(fd), size(size) { }

    // The byte at offset, -1 past the end.
    int at(qint64 offset)
    {
        if (offset < start || offset >= start + filled) {
            const ssize_t got = offset >= 0 && offset < size
                                        ? ::pread(fd, bytes, sizeof bytes, off_t(offset))
                                        : -1;
            if (got <= 0)
                return -1;
            start = offset;
            filled = got;
        }
        return bytes[offset - start];
    }

private:
    const int fd;
    const qint64 size;
    qint64 start = 0;
    qint64 filled = 0;
    uchar bytes[4096];
};

} // namespace

ImageHeader::ImageHeader(int fd, qint64 fileSize) : fd(fd), fileSize(fileSize)
{
    uchar magic[8];
    if (!readAt(0, magic, 8))
        return;
    if (magic[0] == 0xff && magic[1] == 0xd8)
        readJpeg();
    else if (std::memcmp(magic, "\x89PNG\r\n\x1a\n", 8) == 0)
        readPng();
    else if (std::memcmp(magic, "GIF8", 4) == 0)
        readGif();
}

bool ImageHeader::readAt(qint64 offset, void *data, int size) const
{
    return offset >= 0 && offset + size <= fileSize
           && ::pread(fd, data, size_t(size), off_t(offset)) == size;
}

// libjpeg keeps every coefficient of the whole image while it decodes a progressive or
// multi-scan file, whatever the scale asked for: two bytes per sample. The markers are found
// the way libjpeg finds them, stray bytes and fill bytes skipped, so that no header it reads
// goes unseen here.
void ImageHeader::readJpeg()
{
    Window file(fd, fileSize);
    qint64 offset = 2;
    QList<QByteArray> pieces;
    // The profile is wanted whatever ends the walk.
    const auto joinPieces = qScopeGuard([this, &pieces] {
        for (const QByteArray &piece : pieces) {
            if (piece.isNull()) {
                icc.clear();
                return;
            }
            icc += piece;
        }
    });
    qint64 coefficients = 0;
    bool progressive = false;
    for (;;) {
        int kind = 0;
        while (kind == 0) { // 0xff 0x00 is data, not a marker
            int byte;
            while ((byte = file.at(offset)) >= 0 && byte != 0xff)
                ++offset;
            while ((byte = file.at(offset)) == 0xff)
                ++offset;
            kind = byte;
            ++offset;
            if (kind < 0)
                return;
        }
        if (kind == 0x01 || (kind >= 0xd0 && kind <= 0xd7))
            continue;
        const int high = file.at(offset);
        const int length = high * 256 + file.at(offset + 1);
        if (kind == 0xd9 || high < 0 || length < 2)
            return;
        const bool frame
                = kind >= 0xc0 && kind <= 0xcf && kind != 0xc4 && kind != 0xc8 && kind != 0xcc;
        if (kind == 0xe2 && length > 16)
            readIccPiece(offset + 2, length - 2, pieces);
        if (frame && components == 0) {
            uchar sof[6]; // precision, height, width, components
            if (!readAt(offset + 2, sof, 6))
                return;
            components = sof[5];
            coefficients = qint64(qFromBigEndian<quint16>(sof + 1))
                           * qFromBigEndian<quint16>(sof + 3) * components * 2;
            progressive = (kind & 3) == 2;
        } else if (kind == 0xda) {
            const int scanComponents = file.at(offset + 2);
            if (components == 0 || scanComponents < 0)
                return;
            // A sequential file whose first scan leaves out components has more scans.
            bad = (progressive || scanComponents < components) && coefficients > budget;
            return;
        }
        offset += length;
    }
}

// An APP2 segment of an ICC profile: "ICC_PROFILE", a zero, its number from 1, the count.
void ImageHeader::readIccPiece(qint64 offset, int length, QList<QByteArray> &pieces)
{
    uchar head[14];
    if (!readAt(offset, head, 14) || std::memcmp(head, "ICC_PROFILE\0", 12) != 0)
        return;
    const int number = head[12];
    const int count = head[13];
    if (number < 1 || number > count || (!pieces.isEmpty() && pieces.size() != count))
        return;
    if (pieces.isEmpty())
        pieces.resize(count);
    qint64 total = length - 14;
    for (const QByteArray &piece : pieces)
        total += piece.size();
    QByteArray piece(length - 14, Qt::Uninitialized);
    if (total <= maxProfile && readAt(offset + 14, piece.data(), int(piece.size())))
        pieces[number - 1] = piece;
}

void ImageHeader::readPng()
{
    qint64 offset = 8;
    qint64 picture = 0;
    qint64 ancillary = 0;
    qint64 compressed = 0;
    bool deep = false;
    for (int step = 0; step < maxSteps; ++step) {
        uchar chunk[16]; // length, type and, for the header, the size
        if (!readAt(offset, chunk, 8))
            break; // cut short: the decoder tells
        const qint64 length = qFromBigEndian<quint32>(chunk);
        if (offset + 12 + length > fileSize) {
            bad = true;
            return;
        }
        if (std::memcmp(chunk + 4, "IHDR", 4) == 0 && readAt(offset + 8, chunk + 8, 8)) {
            picture = qint64(std::min(qFromBigEndian<quint32>(chunk + 8), 1u << 28))
                      * std::min(qFromBigEndian<quint32>(chunk + 12), 1u << 28) * 4;
            uchar kind[2]; // bit depth, colour type
            deep = readAt(offset + 16, kind, 2) && kind[0] == 16 && (kind[1] == 0 || kind[1] == 2);
        }
        if (std::memcmp(chunk + 4, "tRNS", 4) == 0)
            deepKeyed = deep;
        if (chunk[4] & 0x20)
            ancillary += length;
        if (std::memcmp(chunk + 4, "zTXt", 4) == 0 || std::memcmp(chunk + 4, "iCCP", 4) == 0
            || (std::memcmp(chunk + 4, "iTXt", 4) == 0 && compressedText(offset + 8, length)))
            compressed += length;
        if (std::memcmp(chunk + 4, "IEND", 4) == 0)
            break;
        offset += 12 + length;
    }
    // The reader inflates every compressed text and profile, up to 1032 bytes per byte.
    bad = ancillary > std::max(picture, ancillaryFloor) || compressed * 1032 > budget;
}

// An iTXt chunk's keyword of at most 79 bytes ends in a zero, then comes its compression flag.
bool ImageHeader::compressedText(qint64 offset, qint64 length) const
{
    char data[81];
    const int size = int(std::min<qint64>(length, sizeof data));
    if (!readAt(offset, data, size))
        return false;
    const char *end = static_cast<const char *>(std::memchr(data, 0, size_t(size)));
    return end && end + 1 < data + size && end[1] != 0;
}

void ImageHeader::readGif()
{
    uchar logical[7]; // width, height, flags, background, aspect
    if (!readAt(6, logical, 7))
        return;
    screen = QSize(qFromLittleEndian<quint16>(logical), qFromLittleEndian<quint16>(logical + 2));
    if (logical[4] & 0x80) {
        colours = 2 << (logical[4] & 7);
        return;
    }
    qint64 offset = 13;
    for (int step = 0; step < maxSteps; ++step) {
        uchar block[10];
        if (!readAt(offset, block, 1))
            return;
        if (block[0] == 0x2c) { // the first frame
            if (readAt(offset + 1, block + 1, 9) && (block[9] & 0x80))
                colours = 2 << (block[9] & 7);
            return;
        }
        if (block[0] != 0x21) // trailer or garbage
            return;
        offset += 2; // introducer and label, then sub-blocks up to an empty one
        uchar size = 1;
        while (size != 0 && ++step < maxSteps) {
            if (!readAt(offset, &size, 1))
                return;
            offset += 1 + size;
        }
    }
}
