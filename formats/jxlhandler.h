#pragma once

#include "formats/wholefilehandler.h"

// Reads the first frame of a JPEG XL file, upright as its orientation says, on the calling
// thread; a read at an eighth of the size or less stops at the frame's 1:8 DC image.
class JxlHandler : public WholeFileHandler
{
public:
    bool canRead() const override;
    bool read(QImage *image) override;

    static bool canRead(QIODevice *device);

private:
    QSize parse() override;

    bool alpha = false;
};
