#pragma once

#include <QImage>
#include <QString>

// Reduces a picture to a colour table of an exact size, entry 0 fully transparent.
//
// Colours are merged pairwise, always the pair whose merge changes the picture least, until the
// table has the size asked for; so every entry is used and the most common colours stay exact.
// Fails, with a message, when the picture has fewer shades than entries are wanted.
QImage reduceColours(const QImage &picture, int colours, QString *error);
