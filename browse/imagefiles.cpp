#include "browse/imagefiles.h"

#include <QImageReader>
#include <QStringList>

bool ImageFiles::isImageName(const QString &name)
{
    static const QStringList endings = [] {
        QStringList list{QStringLiteral(".png"), QStringLiteral(".jpg"), QStringLiteral(".bmp"),
                         QStringLiteral(".gif"), QStringLiteral(".jpeg")};
        // Without the desktop's image format plugins these would be listed but never shown.
        const QList<QByteArray> formats = QImageReader::supportedImageFormats();
        for (const char *format : {"webp", "tif", "tiff"}) {
            if (formats.contains(format))
                list << QLatin1Char('.') + QLatin1String(format);
        }
        return list;
    }();
    for (const QString &ending : endings) {
        if (name.endsWith(ending, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
