#pragma once

#include <QByteArray>
#include <QImage>
#include <QMap>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class ImageListView;
class ImageViewer;
class Pictarn;
class Settings;
class SlideShow;
class ThumbnailView;

// Files the toolkit will not write, made byte by byte, and the helpers the robustness tests
// share.
namespace Crafted {

QImage gradient(int width, int height);
QByteArray png(const QImage &image);
QByteArray jpeg(const QImage &image, bool progressive = false);
// An uncompressed bottom-up BMP of 1, 4 or 16 bits per pixel; the two halves of each axis
// differ, so a turn shows.
QByteArray bmp(int bits, int width, int height);
// A PNG whose header declares this size, with no pixel data worth the name.
QByteArray pngDeclaring(quint32 width, quint32 height);
QByteArray cmykJpeg(); // 8 x 6
QByteArray interlacedPng(); // 8 x 6
QByteArray animatedGif(); // 6 x 4, a red frame then a blue one

// Writes bytes at a path given as raw file-system bytes.
bool write(const QByteArray &path, const QByteArray &bytes);
// Every file below folder by raw path, with its mode, size, time and a digest of its bytes;
// the preview cache folders are not the user's and are left out.
QMap<QByteArray, QByteArray> snapshot(const QString &folder);
// Whether a cache folder holds a half-written or temporary file.
QStringList damagedCacheFiles(const QString &cacheFolder);
// Mounts a tmpfs of that many kilobytes at dir; an empty text when done, else why not.
QString mountTmpfs(const QString &dir, int kilobytes);
// The smallest rectangle holding every pixel that is not black.
QRect pictureRect(const QImage &image);

} // namespace Crafted

// Reaches into the main window, and drives it the way a user would.
class tst_Robustness
{
public:
    static ThumbnailView *thumbnailView(Pictarn &window);
    static ImageListView *imageListView(Pictarn &window);
    static ImageViewer *imageViewer(Pictarn &window);
    static Settings *settings(Pictarn &window);
    static void loadFolder(Pictarn &window, const QString &folder);
    static void startSlideShow(Pictarn &window);
    static void showImage(Pictarn &window, const QString &path);
    // Runs the queued work of the window (the thumbnail pass, a viewer's load) to its end.
    static void settle();

    static QStringList listedNames(Pictarn &window);
    static QStringList listedSizes(Pictarn &window);
    // The slide show on screen, if any.
    static SlideShow *slideShow();
    static void closeStrayWindows();

    // A fresh folder for one case, and settings that keep every preview and leave the slide
    // show on one picture; false when the configuration could not be written.
    static bool beginCase(std::unique_ptr<QTemporaryDir> &root);
    static void endCase(std::unique_ptr<QTemporaryDir> &root);

    // Opens the image in the viewer and goes through fit, zoom, turns, brightness, full screen
    // and the information box; size is the image's, 0x0 for one that cannot be shown.
    // Failures are reported through QTest.
    static void useViewer(Pictarn &window, const QString &path, QSize size);
    // Runs the slide show over the listed images until it closes by itself; shown tells for
    // each whether a picture (rather than black) is expected.
    static void runSlideShow(Pictarn &window, const QList<bool> &shown);
};
