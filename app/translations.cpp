#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <vector>

namespace {
std::vector<std::unique_ptr<QTranslator>> &installed()
{
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

bool add(const QLocale &locale, const QString &name, const QString &folder, QStringList &loaded)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, name, QStringLiteral("_"), folder))
        return false;
    loaded << translator->filePath();
    QCoreApplication::installTranslator(translator.get());
    installed().push_back(std::move(translator));
    return true;
}
} // namespace

QString Translations::defaultFolder()
{
    return QStringLiteral("translations"); // the working directory is the data directory
}

QStringList Translations::install(const QLocale &locale, const QString &folder)
{
    remove();
    QStringList loaded;
    if (locale.language() == QLocale::C)
        return loaded;
    // The last installed is asked first: the language's own words over the English ones.
    if (locale.language() != QLocale::English)
        add(QLocale(QLocale::English), QStringLiteral("pictarn"), folder, loaded);
    add(locale, QStringLiteral("pictarn"), folder, loaded);
    add(locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        loaded);
    return loaded;
}

void Translations::remove()
{
    for (const auto &translator : installed())
        QCoreApplication::removeTranslator(translator.get());
    installed().clear();
}
