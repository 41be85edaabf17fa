#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The order the images are listed in, one for the grid, the list, the viewer's steps and the
// slide show: by name (natural order), by the date a photo was taken (the file's date where it
// has none), by file date or by size. Equal keys go by name; reversed turns it all round.
class SortOrder
{
    Q_DECLARE_TR_FUNCTIONS(SortOrder)
public:
    enum Key { Name, DateTaken, FileDate, Size };
    static constexpr int keyCount = 4;

    SortOrder() = default;
    SortOrder(Key key, bool reversed) : m_key(key), m_reversed(reversed) { }

    Key key() const { return m_key; }
    bool isReversed() const { return m_reversed; }
    bool operator==(const SortOrder &other) const
    {
        return m_key == other.m_key && m_reversed == other.m_reversed;
    }
    bool operator!=(const SortOrder &other) const { return !(*this == other); }

    // As kept in pictarn.cfg: the key times two, plus one when reversed. Anything else reads
    // as the name order.
    int toNumber() const { return int(m_key) * 2 + (m_reversed ? 1 : 0); }
    static SortOrder fromNumber(int number);

    // The menu's text for a key.
    static QString label(Key key);

    // What an order compares besides the name; read from the file.
    struct Facts
    {
        QDateTime date; // taken, else the file's
        qint64 when = 0; // the date in ms since the epoch, which the order compares
        qint64 size = 0;
        bool known = false;
    };
    // Reads the facts the key needs, one for each path. Reads the photos (or the dates kept
    // beside them) for DateTaken: call it off the GUI thread.
    static QList<Facts> factsOf(const QStringList &paths, Key key);

    // Forward order, whatever the reversal: a view that sorts applies that itself.
    bool lessThan(const QString &nameA, const Facts &a, const QString &nameB, const Facts &b) const;

    // The paths in this order, their facts read here (off the GUI thread for DateTaken).
    QStringList sorted(const QStringList &paths) const;

private:
    Key m_key = Name;
    bool m_reversed = false;
};
