#pragma once

#include <QtGlobal>

#include <cstring>

// What the program and a decoding helper say to each other over their socket: one request,
// sent with the file's descriptor, and one reply, sent with the picture's memfd when there is
// a picture. Fixed sizes, so a message is one datagram.
struct DecodeRequest
{
    enum Kind : quint32 { Probe = 1, Decode = 2 };
    quint32 kind = Probe;
    char format[16] = {}; // for Decode: what Probe found
    qint32 fullWidth = 0, fullHeight = 0; // upright
    qint32 targetWidth = 0, targetHeight = 0; // upright
    qint32 clipX = 0, clipY = 0, clipWidth = 0, clipHeight = 0; // of the target; empty: all
    quint8 swapped = 0;
};

struct DecodeReply
{
    quint8 ok = 0;
    quint8 retiring = 0; // the helper ends after this reply
    char format[16] = {};
    qint32 width = 0, height = 0; // Probe: as stored; Decode: the picture's
    quint8 swapped = 0;
    qint32 colours = 0;
    qint32 imageFormat = 0; // QImage::Format of the picture
    qint32 bytesPerLine = 0;
};

inline void copyName(char (&to)[16], const char *from)
{
    std::strncpy(to, from, sizeof to - 1);
    to[sizeof to - 1] = 0;
}
