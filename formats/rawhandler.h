#pragma once

#include "formats/wholefilehandler.h"

#include <QList>

#include <memory>

class LibRaw;

// Reads the JPEG or bitmap preview a camera stores in its RAW file; the turn the camera
// recorded is told as the picture's transformation.
class RawHandler : public WholeFileHandler
{
public:
    RawHandler();
    ~RawHandler() override;

    bool canRead() const override;
    bool read(QImage *image) override;
    QVariant option(ImageOption option) const override;
    bool supportsOption(ImageOption option) const override;

    // What a file's first bytes say: a RAW layout of its own, a TIFF (as most RAW files
    // are), or neither.
    enum class Kind { None, Tiff, Own };
    static Kind kindOf(QIODevice *device);
    static QList<QByteArray> formats();

private:
    QSize parse() override; // the preview's size, as stored

    std::unique_ptr<LibRaw> raw;
    QByteArray preview; // JPEG bytes, or RGB rows of fullSize
    bool jpeg = false;
    Transformations turn = TransformationNone;
};
