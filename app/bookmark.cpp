#include "app/bookmark.h"

#include <QFile>

bool Bookmark::exists() const
{
    return !folder.isEmpty() && QFile::exists(folder);
}
