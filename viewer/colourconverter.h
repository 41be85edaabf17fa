#pragma once

#include <QByteArray>
#include <QImage>

// Brings a decoded picture to sRGB, the colours the screen shows, from the colour profile
// its file carries.
namespace ColourConverter {

// image is 32-bit. Its own colour space, where the toolkit read the file's profile, is
// converted by the toolkit; otherwise, or when the profile holds tables the toolkit passes
// over, icc, the file's raw profile, by Little CMS where the build has it. Unchanged when
// neither tells.
QImage toSrgb(QImage image, const QByteArray &icc);

} // namespace ColourConverter
