#pragma once

#include <QPixmap>
#include <QString>

class QWidget;

// Modal message boxes.
class ZMessageBox
{
public:
    // Up to three buttons; a null text gives none. Returns the index of the chosen button
    // (0 for the first), or -1 when the box is closed without one. Return chooses the button
    // defaultButton when it names one.
    static int information(QWidget *parent, const QPixmap &icon, const QString &text,
                           const QString &button0, const QString &button1 = QString(),
                           const QString &button2 = QString(), int style = 1,
                           int defaultButton = -1);
};
