#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>

// The decode itself, run inside the decoding helper on a file descriptor it was handed: the
// content is sniffed among the formats we read and nothing else, and the picture comes out
// upright, 32-bit and at the size asked.
class Decoder
{
public:
    // The formats read, by the names the image readers give them; content of any other
    // format is refused, whatever reader would take it.
    static const QList<QByteArray> &formats();

    struct Facts
    {
        QByteArray format;
        QSize stored; // as the file stores it; null when the file does not decode
        bool swapped = false; // the file stores the picture turned by a quarter
    };
    static Facts probe(int fd);

    struct Picture
    {
        QImage image; // null when the file does not decode
        int colours = 0; // entries in the decoded picture's colour table
    };
    // full and target are upright; clip, when valid, is the part of the target-sized picture
    // wanted.
    static Picture decode(int fd, const QByteArray &format, QSize full, QSize target, bool swapped,
                          QRect clip = QRect());

    // Loads the readers of our formats now, while plugins can still be opened.
    static void loadReaders();
};
