#pragma once

#include <QByteArray>
#include <QImageIOHandler>
#include <QSize>

// A reader that takes its whole file in memory once, learns the picture's size from the
// file's header before any pixel is decoded, and decodes to the scaled size asked for.
class WholeFileHandler : public QImageIOHandler
{
public:
    QVariant option(ImageOption option) const override;
    void setOption(ImageOption option, const QVariant &value) override;
    bool supportsOption(ImageOption option) const override;

protected:
    // Reads the file and its header, once; false when the picture cannot be decoded within
    // the budget.
    bool open();
    // The upright size of the picture in data, read from its header; empty when refused.
    virtual QSize parse() = 0;
    // The size read() gives: the scaled size when one was asked for.
    QSize target() const { return scaledSize.isValid() ? scaledSize : fullSize; }

    QByteArray data; // the file, cleared by a parse() that no longer needs it
    QSize fullSize;
    QSize scaledSize;

private:
    enum class State { Unread, Open, Failed };
    State state = State::Unread;
};
