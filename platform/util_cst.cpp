#include "platform/util_cst.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>

UTIL_CST::UTIL_CST(QWidget *parent, const QString &middle, const QString &left,
                   const QString &right)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    leftButton = new QPushButton(label(left), this);
    midButton = new QPushButton(label(middle), this);
    rightButton = new QPushButton(label(right), this);
    for (QPushButton *button : {leftButton, midButton, rightButton}) {
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
        // Three keys share the width of a 240-pixel screen whatever the style's minimum.
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        layout->addWidget(button, 1);
    }
}

QString UTIL_CST::label(const QString &text)
{
    if (text == QLatin1String("CST_Menu"))
        return QCoreApplication::translate("UTIL_CST", "Menu");
    if (text == QLatin1String("CST_Exit"))
        return QCoreApplication::translate("UTIL_CST", "Exit");
    return text;
}
