#include "platform/zbasedialog.h"

ZBaseDialog::ZBaseDialog(QWidget *parent, const char *name, int modal, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModal(modal != 0);
}
