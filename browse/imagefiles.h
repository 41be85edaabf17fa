#pragma once

#include <QByteArray>
#include <QString>

namespace ImageFiles {

// Whether a file of that name is listed as an image: the five endings every build reads, and
// the others (WebP, TIFF, SVG, HEIC/HEIF, AVIF, JPEG XL, camera RAW) where a reader for them
// is present. Case is ignored.
bool isImageName(const QString &name);

// The format a reader should try first for a file of that name: a camera RAW file is most
// often also a TIFF file, whose reader would show a small thumbnail instead. Empty for other
// names, which are recognised by their content alone.
QByteArray formatHint(const QString &name);

} // namespace ImageFiles
