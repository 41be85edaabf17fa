#include "common/testutil.h"

#include "platform/zconfig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

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

bool writeImages(const QString &dir, const QStringList &names, int size)
{
    QDir().mkpath(dir);
    for (const QString &name : names) {
        const QString suffix = QFileInfo(name).suffix().toLower();
        const char *format = suffix.startsWith(QLatin1String("jp")) ? "jpg"
                             : suffix == QLatin1String("bmp")       ? "bmp"
                                                                    : "png";
        if (!writeImage(dir + QLatin1Char('/') + name, size + 4, size, format))
            return false;
    }
    return true;
}

void whenShown(std::function<QWidget *()> find, std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, [find, act] {
        QWidget *widget = nullptr;
        QTRY_VERIFY((widget = find()) && widget->isVisible());
        act(widget);
    });
}

void answerModal(std::function<void(QWidget *)> act)
{
    whenShown([] { return QApplication::activeModalWidget(); }, std::move(act));
}

bool clickButton(QWidget *dialog, const QString &text)
{
    for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
        if (button->text() == text) {
            button->click();
            return true;
        }
    }
    return false;
}

double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int i = 0; i < x.width() * 4; ++i)
            sum += qAbs(x.constScanLine(row)[i] - y.constScanLine(row)[i]);
    }
    return double(sum) / (4.0 * x.width() * x.height());
}

bool writeExif(const QString &path, const QStringList &tags)
{
    if (QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty())
        return false;
    QProcess tool;
    tool.start(QStringLiteral("exiftool"),
               QStringList{QStringLiteral("-q"), QStringLiteral("-overwrite_original")} + tags
                       + QStringList{path});
    return tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit
           && tool.exitCode() == 0;
}

} // namespace TestUtil
