#pragma once

#include <QString>

namespace ImageFiles {

// Whether a file of that name is listed as an image: the five endings every build reads, and
// WebP and TIFF where the toolkit has their readers. Case is ignored.
bool isImageName(const QString &name);

} // namespace ImageFiles
