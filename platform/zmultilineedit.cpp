#include "platform/zmultilineedit.h"

ZMultiLineEdit::ZMultiLineEdit(QWidget *parent, bool, int, const char *name)
    : QPlainTextEdit(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
}
