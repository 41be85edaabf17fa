#include "slideshow/screenblanker.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <fcntl.h>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <unistd.h>

ScreenBlanker::ScreenBlanker() = default;

ScreenBlanker::~ScreenBlanker()
{
    // A frame that stops at night must not leave the screen off for whatever comes next.
    if (blanked)
        setBlank(false);
}

void ScreenBlanker::setBlank(bool blank)
{
    if (blank == blanked)
        return;
    blanked = blank;
    if (backlight(blank))
        m_method = QStringLiteral("backlight");
    else if (framebuffer(blank))
        m_method = QStringLiteral("framebuffer");
    else if (dpms(blank))
        m_method = QStringLiteral("dpms");
    else
        m_method = QStringLiteral("black");
}

bool ScreenBlanker::backlight(bool blank)
{
    const QDir lights(QStringLiteral("/sys/class/backlight"));
    bool done = false;
    for (const QString &name : lights.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile power(lights.filePath(name + QStringLiteral("/bl_power")));
        // 4 is FB_BLANK_POWERDOWN, 0 FB_BLANK_UNBLANK.
        if (power.open(QIODevice::WriteOnly))
            done = power.write(blank ? "4\n" : "0\n") == 2 || done;
    }
    return done;
}

bool ScreenBlanker::framebuffer(bool blank)
{
    if (QGuiApplication::platformName() != QLatin1String("linuxfb"))
        return false;
    // The device Qt draws on: -platform linuxfb:fb=/dev/fb1, or its default.
    QString device = QStringLiteral("/dev/fb0");
    const QString spec = qEnvironmentVariable("QT_QPA_PLATFORM") + QLatin1Char(':')
                         + QCoreApplication::arguments().join(QLatin1Char(':'));
    static const QRegularExpression fb(QStringLiteral("fb=(/dev/[^:, ]+)"));
    const QRegularExpressionMatch match = fb.match(spec);
    if (match.hasMatch())
        device = match.captured(1);
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool done = ::ioctl(fd, FBIOBLANK, blank ? FB_BLANK_POWERDOWN : FB_BLANK_UNBLANK) == 0;
    ::close(fd);
    return done;
}

bool ScreenBlanker::dpms(bool blank)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")
        || QStandardPaths::findExecutable(QStringLiteral("xset")).isEmpty())
        return false;
    // Never waited for: a stuck X server must not stop the show.
    if (blank)
        return QProcess::startDetached(
                QStringLiteral("xset"),
                {QStringLiteral("dpms"), QStringLiteral("force"), QStringLiteral("off")});
    return QProcess::startDetached(
            QStringLiteral("xset"),
            {QStringLiteral("dpms"), QStringLiteral("force"), QStringLiteral("on")});
}
