#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// Decodes a four-channel (CMYK or YCCK) JPEG through libjpeg itself, which hands out the inks
// the toolkit's reader turns into RGB with a fixed formula, and brings them to sRGB through
// the file's own profile.
class CmykJpegReader
{
public:
    // The JPEG read from the start of fd, at the smallest scale libjpeg offers that is not
    // below target (as the file stores it), in 32-bit sRGB; null when it does not decode.
    // icc is the file's profile; without one, or where it is no CMYK profile, the inks go
    // through the plain formula as the toolkit's reader does.
    static QImage read(int fd, QSize target, const QByteArray &icc);
};
