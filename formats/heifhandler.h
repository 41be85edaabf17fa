#pragma once

#include "formats/wholefilehandler.h"

struct heif_context;
struct heif_image_handle;

// Reads the primary picture of a HEIF or AVIF file, turned and mirrored as the file says; a
// scaled read takes the file's own thumbnail when it is large enough.
class HeifHandler : public WholeFileHandler
{
public:
    HeifHandler() = default;
    ~HeifHandler() override;
    HeifHandler(const HeifHandler &) = delete;
    HeifHandler &operator=(const HeifHandler &) = delete;

    bool canRead() const override;
    bool read(QImage *image) override;

    // Whether the device holds a HEIF file whose pictures this build decodes.
    static bool canRead(QIODevice *device);

private:
    QSize parse() override; // the context reads data in place
    heif_image_handle *thumbnailFor(QSize target) const;

    heif_context *context = nullptr;
    heif_image_handle *primary = nullptr;
    bool av1 = false;
};
