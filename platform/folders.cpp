#include "platform/folders.h"

#include <QtGlobal>

QString Folders::documents()
{
    const QString custom = qEnvironmentVariable("PICTARN_DOCUMENTS");
    return custom.isEmpty() ? QStringLiteral("/diska/MyImages") : custom;
}
