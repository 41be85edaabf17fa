#pragma once

#include <QString>

// One image of the slide show's list: its file name and full path.
struct ImageEntry
{
    QString name;
    QString path;
};
