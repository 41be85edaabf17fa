#pragma once

#include <QString>

namespace Folders {

// The folder behind the documents entry: "/diska/MyImages", or $PICTARN_DOCUMENTS.
QString documents();

} // namespace Folders
