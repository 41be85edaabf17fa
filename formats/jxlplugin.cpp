#include "formats/jxlplugin.h"

#include "formats/jxlhandler.h"

QImageIOPlugin::Capabilities JxlPlugin::capabilities(QIODevice *device,
                                                     const QByteArray &format) const
{
    if (!format.isEmpty() && format != "jxl")
        return {};
    if (!device)
        return format.isEmpty() ? Capabilities() : CanRead;
    return device->isReadable() && JxlHandler::canRead(device) ? CanRead : Capabilities();
}

QImageIOHandler *JxlPlugin::create(QIODevice *device, const QByteArray &format) const
{
    auto *handler = new JxlHandler;
    handler->setDevice(device);
    handler->setFormat(format.isEmpty() ? QByteArray("jxl") : format);
    return handler;
}
