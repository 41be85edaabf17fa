#include "browse/naturalorder.h"

#include <QLocale>

namespace NaturalOrder {

QCollator collator()
{
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

bool lessThan(const QCollator &collator, const QString &a, const QString &b)
{
    const int order = collator.compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

bool lessThan(const QString &a, const QString &b)
{
    // Made again only when the default locale changes.
    thread_local QLocale locale;
    thread_local QCollator own = collator();
    if (QLocale() != locale) {
        locale = QLocale();
        own = collator();
    }
    return lessThan(own, a, b);
}

} // namespace NaturalOrder
