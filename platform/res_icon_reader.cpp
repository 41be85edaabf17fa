#include "platform/res_icon_reader.h"

#include <QApplication>
#include <QStyle>

QPixmap RES_ICON_Reader::getIcon(const char *name, bool) const
{
    if (qstrcmp(name, "Dialog_Exclamatory_Mark.gif") == 0) {
        const QStyle *style = QApplication::style();
        const int size = style->pixelMetric(QStyle::PM_MessageBoxIconSize);
        return style->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size);
    }
    return QPixmap();
}
