#pragma once

#include <QString>

namespace Folders {

// The folder behind the documents entry: $PICTARN_DOCUMENTS; else the phone's
// "/diska/MyImages", the user's pictures folder or the home folder, the first that exists.
QString documents();

} // namespace Folders
