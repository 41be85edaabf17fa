#include "platform/folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>

QString Folders::documents()
{
    const QString custom = qEnvironmentVariable("PICTARN_DOCUMENTS");
    if (!custom.isEmpty())
        return custom;
    const QStringList candidates = {
            QStringLiteral("/diska/MyImages"),
            QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
    };
    for (const QString &dir : candidates) {
        if (!dir.isEmpty() && QFileInfo(dir).isDir())
            return dir;
    }
    return QDir::homePath();
}

QString Folders::records()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString path = base + QStringLiteral("/pictarn");
    QDir().mkpath(path);
    return path;
}
