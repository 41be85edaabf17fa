#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

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

// Writes each named picture into dir, made if missing; the suffix picks JPEG or BMP, else PNG
// (Qt writes no GIF; the readers take PNG data under any name).
bool writeImages(const QString &dir, const QStringList &names, int size = 16);

// Runs act on the widget find returns once it is visible; act runs from the event loop, so
// the call that brings the widget up may block meanwhile.
void whenShown(std::function<QWidget *()> find, std::function<void(QWidget *)> act);

// whenShown for the next modal dialog.
void answerModal(std::function<void(QWidget *)> act);

// Clicks the button of that text among dialog's children; false when there is none.
bool clickButton(QWidget *dialog, const QString &text);

// Runs exiftool on path with these tag assignments ("-Make=Canon"); false when it is missing or
// fails (a test then skips).
bool writeExif(const QString &path, const QStringList &tags);

// Mean absolute difference per channel, alpha included, between two images of one size.
double meanDifference(const QImage &a, const QImage &b);

} // namespace TestUtil
