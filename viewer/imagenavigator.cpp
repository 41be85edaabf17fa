#include "viewer/imagenavigator.h"

#include <algorithm>

void ImageNavigator::setList(const QStringList &list)
{
    prefetcher.drop();
    paths = list;
    current = -1;
}

int ImageNavigator::target(qint64 steps) const
{
    if (current < 0)
        return -1;
    // Wide arithmetic: Home and End ask for the largest steps an int holds.
    return int(std::clamp(qint64(current) + steps, qint64(0), qint64(paths.size()) - 1));
}

QString ImageNavigator::neighbour(qint64 steps) const
{
    const int index = target(steps);
    return index >= 0 && index != current ? paths.at(index) : QString();
}

void ImageNavigator::prefetchNeighbours(QSize box, bool bestFit)
{
    this->box = box;
    this->bestFit = bestFit;
    for (const int steps : {1, -1}) {
        const QString next = neighbour(steps);
        if (!next.isEmpty())
            prefetcher.prefetch(next, box, bestFit);
    }
}

QImage ImageNavigator::readyNeighbour(int steps) const
{
    const QString next = neighbour(steps);
    return next.isEmpty() ? QImage() : prefetcher.peek(next, box, bestFit);
}
