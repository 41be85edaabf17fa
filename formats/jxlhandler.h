#pragma once

#include <QByteArray>
#include <QImageIOHandler>
#include <QSize>

// Reads the first frame of a JPEG XL file, upright as its orientation says, on the calling
// thread.
class JxlHandler : public QImageIOHandler
{
public:
    bool canRead() const override;
    bool read(QImage *image) override;
    QVariant option(ImageOption option) const override;
    void setOption(ImageOption option, const QVariant &value) override;
    bool supportsOption(ImageOption option) const override;

    static bool canRead(QIODevice *device);

private:
    bool open();

    enum class State { Unread, Open, Failed };
    State state = State::Unread;
    QByteArray data;
    QSize fullSize; // upright
    bool alpha = false;
    QSize scaledSize;
};
