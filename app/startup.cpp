#include "app/startup.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

namespace {
bool holdsPictures(const QString &dir)
{
    return QFileInfo::exists(dir + QStringLiteral("/image/wmenu.png"));
}

QString binaryFolder(const char *argv0)
{
    // /proc/self/exe is right however the program was started; argv[0] is the fallback.
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString exe = self.exists() ? self.canonicalFilePath() : QString::fromLocal8Bit(argv0);
    return QFileInfo(exe).absolutePath();
}
} // namespace

bool Startup::enterDataDirectory(const char *argv0)
{
    const QString bin = binaryFolder(argv0);
    const QStringList candidates = {
            qEnvironmentVariable("PICTARN_DATA_DIR"),
            QDir::cleanPath(bin + QStringLiteral("/../share/pictarn")),
            QStringLiteral(PICTARN_INSTALL_DATADIR),
            bin,
    };
    for (const QString &dir : candidates) {
        if (!dir.isEmpty() && holdsPictures(dir))
            return QDir::setCurrent(dir);
    }
    return false;
}
