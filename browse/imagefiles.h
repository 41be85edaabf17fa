#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>

namespace ImageFiles {

// Whether a file of that name is listed as an image: the five endings every build reads, and
// the others (WebP, TIFF, SVG, HEIC/HEIF, AVIF, JPEG XL, camera RAW) where a reader for them
// is present. Case is ignored.
bool isImageName(const QString &name);

// Adds to names the images among the files of folder, as QDir::Files lists them (links to files
// included; hidden names, folders and other kinds left out), in the order the folder gives them.
// Asks the system about an entry only where its listing does not tell its kind. The number of
// files seen; -1 once more than limit are (when limit is not negative) or cancelled is set.
qsizetype readFolder(const QString &folder, QStringList &names, qsizetype limit = -1,
                     const std::atomic<bool> *cancelled = nullptr);

// The format a reader should try first for a file of that name: a camera RAW file is most
// often also a TIFF file, whose reader would show a small thumbnail instead. Empty for other
// names, which are recognised by their content alone.
QByteArray formatHint(const QString &name);

} // namespace ImageFiles
