#pragma once

#include <QPixmap>

// The platform's icon store.
class RES_ICON_Reader
{
public:
    // An empty pixmap for a name the store lacks.
    QPixmap getIcon(const char *name, bool cache = true) const;
};
