#pragma once

#include <QDateTime>
#include <QString>

// A picture of the frame's folders and the time it stands for when the newest go first.
struct FramePicture
{
    QString path;
    QDateTime date;
    bool operator==(const FramePicture &other) const
    {
        return path == other.path && date == other.date;
    }
};
