#include "formats/heifplugin.h"

#include "formats/heifhandler.h"

QImageIOPlugin::Capabilities HeifPlugin::capabilities(QIODevice *device,
                                                      const QByteArray &format) const
{
    const bool ours = format == "heic" || format == "heif" || format == "hif" || format == "avif";
    if (!format.isEmpty() && !ours)
        return {};
    if (!device)
        return ours ? CanRead : Capabilities();
    return device->isReadable() && HeifHandler::canRead(device) ? CanRead : Capabilities();
}

QImageIOHandler *HeifPlugin::create(QIODevice *device, const QByteArray &format) const
{
    auto *handler = new HeifHandler;
    handler->setDevice(device);
    handler->setFormat(format);
    return handler;
}
