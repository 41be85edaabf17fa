#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QtGlobal>

// What an image file's own header declares, read from an already open file in a few small
// reads, so that a file whose decode would take far more than its picture can be refused
// before any decoder sees it.
class ImageHeader
{
public:
    // fd stays the caller's; fileSize is the size fstat() gave for it.
    ImageHeader(int fd, qint64 fileSize);

    // The file claims more bytes than it holds, or its decode would hold more than the budget.
    bool damaged() const { return bad; }
    // A GIF's logical screen, which its decoder allocates whatever its frames' size.
    QSize screenSize() const { return screen; }
    // Entries of a GIF's colour table (global, else the first frame's); 0 when none is known.
    int colorCount() const { return colours; }
    // A JPEG's embedded colour profile, its pieces joined; empty when it has none or they do
    // not fit together.
    QByteArray iccProfile() const { return icc; }
    // A JPEG's colour channels: 4 for CMYK (or YCCK); 0 when unknown.
    int jpegComponents() const { return components; }
    // A 16-bit grey or RGB PNG with one colour marked transparent (tRNS).
    bool deepKeyedPng() const { return deepKeyed; }

    // The most a decode may hold besides its picture.
    static constexpr qint64 budget = qint64(256) << 20;

private:
    bool readAt(qint64 offset, void *data, int size) const;
    void readJpeg();
    void readIccPiece(qint64 offset, int length, QList<QByteArray> &pieces);
    void readPng();
    bool compressedText(qint64 offset, qint64 length) const;
    void readGif();

    int fd;
    qint64 fileSize;
    bool bad = false;
    QSize screen;
    int colours = 0;
    int components = 0;
    bool deepKeyed = false;
    QByteArray icc;
};
