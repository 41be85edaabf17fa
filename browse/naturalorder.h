#pragma once

#include <QCollator>
#include <QString>

// The order a file manager lists names in: case ignored and runs of digits by their value
// ("photo2" before "photo10", "b" beside "B"), in the user's language.
namespace NaturalOrder {

// A collator for that order. Under the C or POSIX locale, where the toolkit's collator
// compares plain code points and ignores numeric mode, English's collation stands in.
// QCollator is not to be shared between threads: each thread makes its own.
QCollator collator();

// Names that the collation holds equal ("b.jpg", "B.jpg") still come in one fixed order.
bool lessThan(const QCollator &collator, const QString &a, const QString &b);
// With this thread's own collator.
bool lessThan(const QString &a, const QString &b);

// Whether quickCompare() agrees with this collator: English's order of letters and digits.
bool hasQuickOrder(const QCollator &collator);
// The collator's order of two names where it follows from their ASCII letters and runs of
// digits alone (negative, positive), a fraction of the collator's cost; 0 where it does not.
int quickCompare(QStringView a, QStringView b);

} // namespace NaturalOrder
