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

bool hasQuickOrder(const QCollator &collator)
{
    // Other languages may order the Latin letters otherwise or join them ("aa" in Danish).
    return collator.locale().language() == QLocale::English && collator.numericMode()
           && collator.caseSensitivity() == Qt::CaseInsensitive && !collator.ignorePunctuation();
}

int quickCompare(QStringView a, QStringView b)
{
    const auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    const auto isLetter = [](char16_t c) { return c >= u'a' && c <= u'z'; };
    const auto runEnd = [&](QStringView s, qsizetype at) {
        while (at < s.size() && isDigit(s[at].unicode()))
            ++at;
        return at;
    };
    const auto significant = [](QStringView s, qsizetype at, qsizetype end) {
        while (at < end && s[at] == u'0')
            ++at;
        return at;
    };
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char16_t x = a[i].unicode(), y = b[j].unicode();
        if (x >= 0x80 || y >= 0x80)
            return 0;
        if (isDigit(x) && isDigit(y)) {
            // Runs of digits by their value; the same value with other leading zeros is left
            // to the collator.
            const qsizetype endA = runEnd(a, i), endB = runEnd(b, j);
            // The collator's runs take other scripts' digits in too.
            if ((endA < a.size() && a[endA].unicode() >= 0x80)
                || (endB < b.size() && b[endB].unicode() >= 0x80))
                return 0;
            const qsizetype fromA = significant(a, i, endA), fromB = significant(b, j, endB);
            if (endA - fromA != endB - fromB)
                return endA - fromA < endB - fromB ? -1 : 1;
            for (qsizetype k = 0; k < endA - fromA; ++k) {
                if (a[fromA + k] != b[fromB + k])
                    return a[fromA + k] < b[fromB + k] ? -1 : 1;
            }
            if (endA - i != endB - j)
                return 0;
            i = endA;
            j = endB;
            continue;
        }
        if (isLetter(lower(x)) && isLetter(lower(y)) && lower(x) != lower(y))
            return lower(x) < lower(y) ? -1 : 1;
        // The same letter in either case, or the same other character, weighs the same.
        if (lower(x) != lower(y))
            return 0;
        ++i;
        ++j;
    }
    return 0;
}

} // namespace NaturalOrder
