#pragma once

#include <QByteArray>
#include <QImageIOHandler>
#include <QList>
#include <QSize>

#include <memory>

class LibRaw;

// Reads the JPEG or bitmap preview a camera stores in its RAW file; the turn the camera
// recorded is told as the picture's transformation.
class RawHandler : public QImageIOHandler
{
public:
    RawHandler();
    ~RawHandler() override;

    bool canRead() const override;
    bool read(QImage *image) override;
    QVariant option(ImageOption option) const override;
    void setOption(ImageOption option, const QVariant &value) override;
    bool supportsOption(ImageOption option) const override;

    // What a file's first bytes say: a RAW layout of its own, a TIFF (as most RAW files
    // are), or neither.
    enum class Kind { None, Tiff, Own };
    static Kind kindOf(QIODevice *device);
    static QList<QByteArray> formats();

private:
    bool open();

    enum class State { Unread, Open, Failed };
    State state = State::Unread;
    QByteArray data;
    std::unique_ptr<LibRaw> raw;
    QByteArray preview; // JPEG bytes, or RGB rows of previewSize
    bool jpeg = false;
    QSize previewSize; // as stored
    Transformations turn = TransformationNone;
    QSize scaledSize;
};
