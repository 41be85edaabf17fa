#pragma once

#include "slideshow/blankschedule.h"
#include "slideshow/frameplaylist.h"

#include <QStringList>

// How a photo frame runs: which pictures, in what order, how long each, and when it is dark.
struct FrameOptions
{
    QStringList folders;
    bool recursive = false;
    int intervalMs = 2000; // how long each picture stays
    FramePlaylist::Order order = FramePlaylist::Shuffled;
    bool crossfade = true;
    bool bestFit = true; // turn pictures a quarter when that fills the screen better
    BlankSchedule blank;
};
