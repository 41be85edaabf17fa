#pragma once

#include <QByteArray>
#include <QImage>

// Decodes a PNG through libpng itself: the toolkit's reader garbles 16-bit pictures that mark
// one colour transparent (tRNS), differently from run to run.
class PngReader
{
public:
    // The PNG read from the start of fd as 32-bit ARGB, the transparent colour matched at the
    // file's full depth; null when it does not decode or would take more than the budget.
    // icc receives the file's colour profile, empty when it has none.
    static QImage read(int fd, QByteArray &icc);
};
