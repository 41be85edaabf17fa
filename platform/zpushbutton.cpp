#include "platform/zpushbutton.h"

ZPushButton::ZPushButton(QWidget *parent, int, int, int) : QPushButton(parent)
{
    setAutoDefault(false);
}
