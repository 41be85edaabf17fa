#include "platform/accessibility.h"

#include <QAbstractButton>
#include <QWidget>

void Accessibility::describe(QWidget *control, const QString &text)
{
    control->setToolTip(text);
    control->setAccessibleName(text);
}

void Accessibility::describeButtons(QWidget *root)
{
    const auto buttons = root->findChildren<QAbstractButton *>();
    for (QAbstractButton *button : buttons) {
        if (button->toolTip().isEmpty() && !button->text().trimmed().isEmpty())
            describe(button, button->text().trimmed());
    }
}
