#include "app/startup.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

#include <cstdio>
#include <cstring>

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

void Startup::chooseScreen(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0)
            return;
    }
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", "vnc:size=240x320:port=5900");
    // Qt's VNC server cannot be bound to one address: it answers on every interface.
    std::printf("No display found: serving Pictarn on a 240 x 320 screen over VNC, port 5900.\n"
                "Connect a VNC viewer to 127.0.0.1:5900 (for example: vncviewer 127.0.0.1::5900).\n"
                "The port answers on every network interface; from another machine, use\n"
                "ssh -L 5900:127.0.0.1:5900 rather than opening it to the network.\n");
    std::fflush(stdout);
}
