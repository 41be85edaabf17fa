#include "browse/imagefiles.h"

#include <QImageReader>
#include <QStringList>

namespace {
const char *const rawEndings[]
        = {"dng", "cr2", "cr3", "nef", "arw", "orf", "rw2", "raf", "pef", "srw"};

QString endingOf(const QString &name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}
} // namespace

bool ImageFiles::isImageName(const QString &name)
{
    static const QStringList endings = [] {
        QStringList list{QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("bmp"),
                         QStringLiteral("gif"), QStringLiteral("jpeg")};
        // Without their readers these would be listed but never shown.
        const QList<QByteArray> formats = QImageReader::supportedImageFormats();
        for (const char *format :
             {"webp", "tif", "tiff", "svg", "svgz", "heic", "heif", "hif", "avif", "jxl"}) {
            if (formats.contains(format))
                list << QLatin1String(format);
        }
        for (const char *format : rawEndings) {
            if (formats.contains(format))
                list << QLatin1String(format);
        }
        return list;
    }();
    return endings.contains(endingOf(name));
}

QByteArray ImageFiles::formatHint(const QString &name)
{
    const QByteArray ending = endingOf(name).toLatin1();
    for (const char *format : rawEndings) {
        if (ending == format)
            return ending;
    }
    return QByteArray();
}
