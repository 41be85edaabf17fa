#pragma once

#include <QString>

namespace Folders {

// The folder behind the documents entry: $PICTARN_DOCUMENTS; else the phone's
// "/diska/MyImages", the user's pictures folder or the home folder, the first that exists.
QString documents();

// The folder of the program's own records ($XDG_DATA_HOME/pictarn); made when missing.
QString records();

} // namespace Folders
