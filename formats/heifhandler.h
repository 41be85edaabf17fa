#pragma once

#include <QByteArray>
#include <QImageIOHandler>
#include <QSize>

struct heif_context;
struct heif_image_handle;

// Reads the primary picture of a HEIF or AVIF file, turned and mirrored as the file says; a
// scaled read takes the file's own thumbnail when it is large enough.
class HeifHandler : public QImageIOHandler
{
public:
    HeifHandler() = default;
    ~HeifHandler() override;
    HeifHandler(const HeifHandler &) = delete;
    HeifHandler &operator=(const HeifHandler &) = delete;

    bool canRead() const override;
    bool read(QImage *image) override;
    QVariant option(ImageOption option) const override;
    void setOption(ImageOption option, const QVariant &value) override;
    bool supportsOption(ImageOption option) const override;

    // Whether the device holds a HEIF file whose pictures this build decodes.
    static bool canRead(QIODevice *device);

private:
    bool open();
    heif_image_handle *thumbnailFor(QSize target) const;

    enum class State { Unread, Open, Failed };
    State state = State::Unread;
    QByteArray data; // the context reads it in place
    heif_context *context = nullptr;
    heif_image_handle *primary = nullptr;
    QSize fullSize;
    bool av1 = false;
    QSize scaledSize;
};
