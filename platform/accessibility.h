#pragma once

#include <QString>

class QWidget;

namespace Accessibility {
// Gives a control the words a mouse user reads on hovering and a screen reader says.
void describe(QWidget *control, const QString &text);
} // namespace Accessibility
