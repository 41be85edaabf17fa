#pragma once

#include "slideshow/framepicture.h"

#include <QHash>
#include <QList>
#include <QRandomGenerator>
#include <QStringList>

// The order of the frame's pictures, round after round for ever: within a round each picture
// comes once, shuffled or the newest first. Pictures that appear join the current round;
// pictures that go are never handed out again.
class FramePlaylist
{
public:
    enum Order { Shuffled, NewestFirst };

    explicit FramePlaylist(Order order = Shuffled,
                           quint32 seed = QRandomGenerator::global()->generate());

    Order order() const { return m_order; }
    // Starts a new round in that order.
    void setOrder(Order order);
    // Replaces the pictures, keeping what this round has shown.
    void setPictures(const QList<FramePicture> &pictures);

    bool contains(const QString &path) const { return dates.contains(path); }
    int size() const { return int(dates.size()); }

    // The picture to show now; empty when there is none.
    QString next();
    // What next() would hand out, for decoding ahead.
    QString peek() const { return pending.value(0); }
    // A step back to the picture shown before the current one (the current one comes next
    // again); empty when there is none.
    QString previous();

    // The most pictures remembered for stepping back.
    static constexpr int historyLength = 100;

private:
    void refill();
    void add(const QString &path);
    bool newer(const QString &a, const QString &b) const;

    Order m_order;
    QRandomGenerator random;
    QHash<QString, QDateTime> dates;
    QStringList pending; // the rest of the round, in order
    QStringList history; // shown, the current one last
};
