#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

class QTranslator;

// The program's catalogues (translations/pictarn_*.qm in the data directory) and Qt's own,
// installed for a locale. The C and POSIX locales get none: their texts are the sources'.
class Translations
{
public:
    // Installs the catalogues for `locale`: English proper words under any other language,
    // then the language's own catalogue and Qt's qtbase one where they exist. Returns the
    // files loaded.
    static QStringList install(const QLocale &locale, const QString &folder = defaultFolder());
    // Removes what install() put in.
    static void remove();
    static QString defaultFolder();
};
