#include "browse/sortorder.h"

#include "browse/naturalorder.h"
#include "thumbs/takendate.h"

#include <QFileInfo>

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
        facts[i].known = true;
        if (key == Name)
            continue;
        const QFileInfo file(paths.at(i));
        facts[i].size = file.size();
        facts[i].date = file.lastModified();
        fileTimes.append(facts.at(i).date);
    }
    if (key == DateTaken) {
        const QList<QDateTime> taken = TakenDate::of(paths, fileTimes);
        for (qsizetype i = 0; i < paths.size(); ++i)
            if (taken.at(i).isValid())
                facts[i].date = taken.at(i);
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
    if ((m_key == DateTaken || m_key == FileDate) && a.date != b.date)
        return a.date < b.date;
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
