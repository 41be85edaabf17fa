#include "platform/qcopchannel.h"

#include <QList>
#include <QPointer>

namespace {
QList<QCopChannel *> &channels()
{
    static QList<QCopChannel *> list;
    return list;
}
} // namespace

QCopChannel::QCopChannel(const QString &channel, QObject *parent) : QObject(parent), name(channel)
{
    channels().append(this);
}

QCopChannel::~QCopChannel()
{
    channels().removeOne(this);
}

void QCopChannel::send(const QString &channel, const QByteArray &message, const QByteArray &data)
{
    // A receiver may delete channels (its own or others) while handling the message.
    QList<QPointer<QCopChannel>> receivers;
    for (QCopChannel *c : std::as_const(channels())) {
        if (c->name == channel)
            receivers.append(c);
    }
    for (const QPointer<QCopChannel> &c : std::as_const(receivers)) {
        if (c)
            emit c->received(message, data);
    }
}
