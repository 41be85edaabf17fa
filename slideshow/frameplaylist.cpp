#include "slideshow/frameplaylist.h"

#include <QSet>

#include <algorithm>

FramePlaylist::FramePlaylist(Order order, quint32 seed) : m_order(order), random(seed) { }

void FramePlaylist::setOrder(Order order)
{
    m_order = order;
    pending.clear();
    refill();
}

void FramePlaylist::setPictures(const QList<FramePicture> &pictures)
{
    QHash<QString, QDateTime> fresh;
    fresh.reserve(pictures.size());
    for (const FramePicture &picture : pictures)
        fresh.insert(picture.path, picture.date);
    const auto gone = [&fresh](const QString &path) { return !fresh.contains(path); };
    pending.removeIf(gone);
    history.removeIf(gone);

    QStringList added;
    for (auto it = fresh.cbegin(); it != fresh.cend(); ++it) {
        const auto known = dates.constFind(it.key());
        if (known == dates.cend())
            added << it.key();
        else if (known.value() != it.value() && pending.removeOne(it.key()))
            added << it.key(); // a new date puts it in a new place
    }
    dates = fresh;
    // Hash order is not an order: the same folders must give the same rounds.
    std::sort(added.begin(), added.end());
    for (const QString &path : std::as_const(added))
        add(path);
    if (pending.isEmpty())
        refill();
}

QString FramePlaylist::next()
{
    if (pending.isEmpty())
        refill();
    if (pending.isEmpty())
        return {};
    const QString path = pending.takeFirst();
    history << path;
    if (history.size() > historyLength)
        history.removeFirst();
    if (pending.isEmpty())
        refill();
    return path;
}

QString FramePlaylist::previous()
{
    if (history.size() < 2)
        return {};
    pending.prepend(history.takeLast());
    return history.last();
}

void FramePlaylist::refill()
{
    pending = dates.keys();
    std::sort(pending.begin(), pending.end());
    if (m_order == NewestFirst) {
        std::stable_sort(pending.begin(), pending.end(),
                         [this](const QString &a, const QString &b) { return newer(a, b); });
        return;
    }
    std::shuffle(pending.begin(), pending.end(), random);
    // No picture twice in a row across the turn of a round.
    if (pending.size() > 1 && !history.isEmpty() && pending.first() == history.last())
        pending.swapItemsAt(0, 1 + int(random.bounded(quint32(pending.size() - 1))));
}

void FramePlaylist::add(const QString &path)
{
    if (m_order == NewestFirst) {
        const auto at = std::upper_bound(
                pending.begin(), pending.end(), path,
                [this](const QString &a, const QString &b) { return newer(a, b); });
        pending.insert(at, path);
        return;
    }
    pending.insert(int(random.bounded(quint32(pending.size() + 1))), path);
}

bool FramePlaylist::newer(const QString &a, const QString &b) const
{
    const QDateTime da = dates.value(a), db = dates.value(b);
    if (da != db)
        return da > db;
    return a < b;
}
