#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace TestUtil {

// Writes a w x h picture with a gradient (so scaling and turns are visible) to path.
// format is a Qt image format name ("png", "jpg", "bmp", "gif"); empty takes it from the suffix.
bool writeImage(const QString &path, int w, int h, const char *format = nullptr,
                QColor tint = QColor(40, 120, 200));

// Writes size bytes of filler to path.
bool writeBytes(const QString &path, qint64 size, char fill = 'x');

// The path of the configuration file the program uses under the current XDG_CONFIG_HOME.
QString configFile();

// Replaces the configuration file with text.
bool writeConfig(const QString &text);

} // namespace TestUtil
