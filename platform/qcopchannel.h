#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// A named message channel within the process: send() reaches every channel object of
// that name through its received() signal.
class QCopChannel : public QObject
{
    Q_OBJECT
public:
    explicit QCopChannel(const QString &channel, QObject *parent = nullptr);
    ~QCopChannel() override;

    QString channel() const { return name; }

    static void send(const QString &channel, const QByteArray &message,
                     const QByteArray &data = QByteArray());

signals:
    void received(const QByteArray &message, const QByteArray &data);

private:
    QString name;
};
