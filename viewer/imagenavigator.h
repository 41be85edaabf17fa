#pragma once

#include "viewer/prefetcher.h"

#include <QSize>
#include <QString>
#include <QStringList>

// Where the picture shown stands in the list the viewer was opened from, and the fitted
// pictures of its neighbours, made ahead so that a move only swaps one in.
class ImageNavigator
{
public:
    // Forgets every picture made ahead for the previous list, and the position.
    void setList(const QStringList &paths);
    const QStringList &list() const { return paths; }
    // -1 when the path is not in the list.
    void setCurrent(const QString &path) { current = int(paths.indexOf(path)); }
    void moveTo(int index) { current = index; }
    int position() const { return current; }
    int count() const { return int(paths.size()); }
    QString path(int index) const { return paths.value(index); }

    // The index steps away from the current one, held at either end; -1 without a position.
    int target(qint64 steps) const;
    // The picture steps away, or an empty path when there is none to move to.
    QString neighbour(qint64 steps) const;
    // The next one first: most moves go forward.
    void prefetchNeighbours(QSize box, bool bestFit);
    // The neighbour steps away as made ahead for the last prefetchNeighbours(), when it is
    // ready; a null image otherwise.
    QImage readyNeighbour(int steps) const;

    Prefetcher &pictures() { return prefetcher; }

private:
    QStringList paths;
    int current = -1;
    Prefetcher prefetcher;
    QSize box;
    bool bestFit = false;
};
