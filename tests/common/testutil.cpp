#include "common/testutil.h"

#include "platform/zconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

namespace TestUtil {

bool writeImage(const QString &path, int w, int h, const char *format, QColor tint)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 255) / qMax(1, w - 1), (y * 255) / qMax(1, h - 1), tint.blue());
    }
    return image.save(path, format);
}

bool writeBytes(const QString &path, qint64 size, char fill)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(QByteArray(size, fill)) == size;
}

QString configFile()
{
    return ZConfig::filePath(QStringLiteral("pictarn.cfg"));
}

bool writeConfig(const QString &text)
{
    const QString path = configFile();
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(text.toUtf8()) >= 0;
}

} // namespace TestUtil
