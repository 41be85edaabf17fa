#pragma once

#include <QDateTime>
#include <QString>

// Files a decoding helper looked at and found no reader for, kept in the cache folder beside
// the previews, so that a later visit learns it without starting a helper. A file changed
// since (its size or time), or a reader added since, is looked at again.
namespace NonPictures {

constexpr char fileName[] = ".ptnonpictures";

bool known(const QString &path, qint64 size, const QDateTime &modified);
void add(const QString &path, qint64 size, const QDateTime &modified);

// Drops what this process holds in memory, so that the files are read again.
void forget();

} // namespace NonPictures
