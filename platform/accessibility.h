#pragma once

#include <QString>

class QWidget;

namespace Accessibility {
// Gives a control the words a mouse user reads on hovering and a screen reader says.
void describe(QWidget *control, const QString &text);
// Gives every button under root that shows a text but has no tooltip that text as both.
void describeButtons(QWidget *root);
} // namespace Accessibility
