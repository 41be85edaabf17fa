#include "platform/zconfig.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

ZConfig::ZConfig(const QString &file, bool create)
{
    const QString path = filePath(file);
    if (create)
        QDir().mkpath(QFileInfo(path).path());
    settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    unreadable = settings->status() != QSettings::NoError;
}

ZConfig::~ZConfig()
{
    sync();
}

QString ZConfig::filePath(const QString &file)
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/pictarn/") + file;
}

QVariant ZConfig::value(const QString &group, const QString &key) const
{
    if (unreadable)
        return {};
    return settings->value(group + QLatin1Char('/') + key);
}

int ZConfig::readNumEntry(const QString &group, const QString &key, int def) const
{
    const QVariant v = value(group, key);
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    return ok ? n : def;
}

bool ZConfig::readBoolEntry(const QString &group, const QString &key, bool def) const
{
    const QString text = value(group, key).toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return def;
}

QString ZConfig::readEntry(const QString &group, const QString &key, const QString &def) const
{
    // Anything but plain text (a list, a serialized object) was not written by this program.
    const QVariant v = value(group, key);
    if (v.typeId() != QMetaType::QString)
        return def;
    return v.toString();
}

void ZConfig::writeEntry(const QString &group, const QString &key, int value)
{
    settings->setValue(group + QLatin1Char('/') + key, value);
}

void ZConfig::writeEntry(const QString &group, const QString &key, bool value)
{
    settings->setValue(group + QLatin1Char('/') + key, value);
}

void ZConfig::writeEntry(const QString &group, const QString &key, const QString &value)
{
    settings->setValue(group + QLatin1Char('/') + key, value);
}

bool ZConfig::sync()
{
    settings->sync();
    return settings->status() == QSettings::NoError;
}
