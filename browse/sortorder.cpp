#include "browse/sortorder.h"

#include "browse/naturalorder.h"
#include "thumbs/takendate.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>

SortOrder SortOrder::fromNumber(int number)
{
    if (number < 0 || number >= keyCount * 2)
        return {};
    return {Key(number / 2), number % 2 == 1};
}

QString SortOrder::label(Key key)
{
    switch (key) {
    case Name:
        return tr("Name");
    case DateTaken:
        return tr("Date taken");
    case FileDate:
        return tr("File date");
    case Size:
        return tr("Size");
    }
    return {};
}

QList<SortOrder::Facts> SortOrder::factsOf(const QStringList &paths, Key key)
{
    QList<Facts> facts(paths.size());
    QList<QDateTime> fileTimes;
    fileTimes.reserve(paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i) {
        Facts &fact = facts[i];
        fact.known = true;
        if (key == Name)
            continue;
        // Times in UTC: converting a local time costs the C library a time-zone look-up.
        struct stat info;
        if (::stat(QFile::encodeName(paths.at(i)).constData(), &info) == 0) {
            fact.size = info.st_size;
            fact.when = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
        }
        fact.date = QDateTime::fromMSecsSinceEpoch(fact.when, Qt::UTC);
        fileTimes.append(fact.date);
    }
    if (key == DateTaken) {
        // A camera's clock has no time zone: taken as this one's, at today's offset.
        const qint64 offset = qint64(QDateTime::currentDateTime().offsetFromUtc()) * 1000;
        const QList<QDateTime> taken = TakenDate::of(paths, fileTimes);
        for (qsizetype i = 0; i < paths.size(); ++i) {
            const QDateTime &date = taken.at(i);
            if (!date.isValid())
                continue;
            facts[i].date = date;
            facts[i].when
                    = QDateTime(date.date(), date.time(), Qt::UTC).toMSecsSinceEpoch() - offset;
        }
    }
    return facts;
}

bool SortOrder::lessThan(const QString &nameA, const Facts &a, const QString &nameB,
                         const Facts &b) const
{
    // Facts still being read put an image after those known, in name order among themselves.
    if (m_key != Name && a.known != b.known)
        return a.known;
    if (m_key == Size && a.size != b.size)
        return a.size < b.size;
    if ((m_key == DateTaken || m_key == FileDate) && a.when != b.when)
        return a.when < b.when;
    return NaturalOrder::lessThan(nameA, nameB);
}

QStringList SortOrder::sorted(const QStringList &paths) const
{
    struct Row
    {
        QString name;
        QString path;
        Facts facts;
    };
    const QList<Facts> facts = factsOf(paths, m_key);
    QList<Row> rows;
    rows.reserve(paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i)
        rows.append({QFileInfo(paths.at(i)).fileName(), paths.at(i), facts.at(i)});
    std::sort(rows.begin(), rows.end(), [this](const Row &a, const Row &b) {
        return m_reversed ? lessThan(b.name, b.facts, a.name, a.facts)
                          : lessThan(a.name, a.facts, b.name, b.facts);
    });
    QStringList result;
    result.reserve(rows.size());
    for (const Row &row : std::as_const(rows))
        result.append(row.path);
    return result;
}
