#pragma once

#include <QImage>
#include <QList>
#include <QString>

// A named picture for the contact sheet: a table row's name or a file's path.
struct SheetEntry
{
    QString name;
    QImage image;
};

// Every picture four times enlarged with its real size beside it on a light and a dark ground,
// then the tool bars and the control bar as the program lines them up, twice enlarged.
QImage contactSheet(const QList<SheetEntry> &entries);
