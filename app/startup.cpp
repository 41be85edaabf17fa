#include "app/startup.h"

#include <QByteArray>
#include <QCoreApplication>
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

bool Startup::addPluginFolder(const char *argv0)
{
    const QString bin = binaryFolder(argv0);
    const QStringList candidates = {
            bin,
            QDir::cleanPath(bin + QStringLiteral("/../" PICTARN_INSTALL_LIBDIR "/pictarn")),
            QStringLiteral(PICTARN_INSTALL_PLUGINDIR),
            QStringLiteral(PICTARN_BUILD_PLUGINDIR),
    };
    for (const QString &dir : candidates) {
        if (QFileInfo(dir + QStringLiteral("/imageformats")).isDir()) {
            QCoreApplication::addLibraryPath(dir);
            return true;
        }
    }
    return false;
}
