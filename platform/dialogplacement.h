#pragma once

#include <QSize>

class QWidget;

// Where a dialog opens. On a phone's screen it fills the screen as the platform's dialogs do;
// on a larger screen it opens at the size its content asks for, centred on the window it
// serves.
namespace DialogPlacement {

// The window a dialog serves: over's window, or the active one.
QWidget *anchor(QWidget *over);

// True when the screen of anchor(over) is larger than a phone's.
bool onDesktop(QWidget *over = nullptr);

// On a desktop, sizes dialog to its content (at least minimum, within the screen) and centres
// it on anchor(over); returns false and changes nothing on a phone.
bool place(QWidget *dialog, QWidget *over = nullptr, QSize minimum = QSize());

} // namespace DialogPlacement
