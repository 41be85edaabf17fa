#include "platform/accessibility.h"

#include <QWidget>

void Accessibility::describe(QWidget *control, const QString &text)
{
    control->setToolTip(text);
    control->setAccessibleName(text);
}
