#pragma once

#include <QSettings>
#include <QString>

#include <memory>

// An INI configuration file in the user's configuration folder. Reads fall back to the
// given default when the group, the key or a usable value is missing; what was written is
// committed atomically when the object is destroyed.
class ZConfig
{
public:
    ZConfig(const QString &file, bool create = true);
    ~ZConfig();

    ZConfig(const ZConfig &) = delete;
    ZConfig &operator=(const ZConfig &) = delete;

    // $XDG_CONFIG_HOME/pictarn/<file>, or ~/.config/pictarn/<file>.
    static QString filePath(const QString &file);

    void setGroup(const QString &group) { currentGroup = group; }
    QString group() const { return currentGroup; }

    int readNumEntry(const QString &group, const QString &key, int def = 0) const;
    bool readBoolEntry(const QString &group, const QString &key, bool def = false) const;
    QString readEntry(const QString &group, const QString &key,
                      const QString &def = QString()) const;

    void writeEntry(const QString &group, const QString &key, int value);
    void writeEntry(const QString &group, const QString &key, bool value);
    void writeEntry(const QString &group, const QString &key, const QString &value);
    void writeEntry(const QString &group, const QString &key, const char *value)
    {
        writeEntry(group, key, QString::fromUtf8(value));
    }

    // Commits now; false when the file could not be written.
    bool sync();

private:
    QVariant value(const QString &group, const QString &key) const;

    std::unique_ptr<QSettings> settings;
    QString currentGroup;
    bool unreadable = false; // a file that is not INI counts as empty
};
