#include "formats/rawplugin.h"

#include "formats/rawhandler.h"

QImageIOPlugin::Capabilities RawPlugin::capabilities(QIODevice *device,
                                                     const QByteArray &format) const
{
    const bool ours = RawHandler::formats().contains(format);
    if (!format.isEmpty() && !ours)
        return {};
    if (!device)
        return ours ? CanRead : Capabilities();
    // Most RAW files are TIFF files: unnamed, those stay the TIFF reader's.
    const RawHandler::Kind kind
            = device->isReadable() ? RawHandler::kindOf(device) : RawHandler::Kind::None;
    if (kind == RawHandler::Kind::Own || (ours && kind == RawHandler::Kind::Tiff))
        return CanRead;
    return {};
}

QImageIOHandler *RawPlugin::create(QIODevice *device, const QByteArray &format) const
{
    auto *handler = new RawHandler;
    handler->setDevice(device);
    handler->setFormat(format.isEmpty() ? QByteArray("raw") : format);
    return handler;
}
