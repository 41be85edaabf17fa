// Times the frames of the viewer's gestures on a 240 x 320 screen, as the finger makes them:
// a pan step of a 24-megapixel photo at 100 % (a move of the finger, the scroll and the paint
// of the view), and a frame of a swipe of the fitted picture (a move, the picture and its
// neighbour drawn side by side). Run it on one core: taskset -c 0 build/bench/bench_gestures
//
// Usage: bench_gestures [image] [frames]   (a 6000 x 4000 JPEG of its own when none is given)

#include "app/settings.h"
#include "viewer/imageviewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Frames
{
    double median = 0;
    double mean = 0;
    double worst = 0;
};

// A press at from, then moves of step px a frame, each followed by the paint it causes; the
// release is not timed.
Frames drag(QWidget *view, QPoint from, QPoint step, int frames)
{
    const auto send = [view](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    std::vector<double> times;
    QImage frame(view->size(), QImage::Format_RGB32);
    QPoint at = from;
    for (int i = 0; i < frames; ++i) {
        at += step;
        QElapsedTimer timer;
        timer.start();
        send(QEvent::MouseMove, at, Qt::LeftButton);
        // The view and the picture surfaces over it drawn as the move left them, into a frame
        // of the screen's format.
        view->render(&frame);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    send(QEvent::MouseButtonRelease, at, Qt::NoButton);
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (const double ms : times)
        sum += ms;
    return {times[times.size() / 2], sum / double(times.size()), times.back()};
}

void print(const char *name, const Frames &frames)
{
    std::printf("%-40s %8.3f ms median %8.3f mean %8.3f worst  %7.0f frames/s (mean)\n", name,
                frames.median, frames.mean, frames.worst, 1000.0 / frames.mean);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("PICTARN_DECODER"))
        qputenv("PICTARN_DECODER", PICTARN_BUILT_DECODER);
    QTemporaryDir scratch;
    const QString screen = scratch.filePath(QStringLiteral("screen.json"));
    QFile json(screen);
    if (!json.open(QIODevice::WriteOnly)
        || json.write(R"({"screens":[{"name":"phone","width":240,"height":320}]})") < 0)
        return 1;
    json.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen));
    qputenv("QT_LOGGING_RULES", "pictarn.debug=false");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path()));
    QApplication app(argc, argv);

    QString first = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int frames = argc > 2 ? std::max(3, atoi(argv[2])) : 60;
    if (first.isEmpty()) {
        first = scratch.filePath(QStringLiteral("photo.jpg"));
        QImage photo(6000, 4000, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
            for (int x = 0; x < photo.width(); ++x)
                line[x] = qRgb((x * 3) & 255, (y * 5) & 255, ((x + y) * 2) & 255);
        }
        if (!photo.save(first, "jpg", 90))
            return 1;
    }
    const QString second = scratch.filePath(QStringLiteral("second.") + QFileInfo(first).suffix());
    if (!QFile::copy(first, second))
        return 1;

    Settings settings;
    ImageViewer viewer(nullptr, &settings);
    viewer.setImageList({first, second});
    viewer.load(first);
    QWidget *view = viewer.findChild<QScrollArea *>()->viewport();
    // The neighbour is made ahead in a worker; a swipe draws it as made.
    QThread::msleep(1500);
    QCoreApplication::processEvents();

    std::printf("%s, %d frames, %d core(s) allowed, view %dx%d\n",
                qPrintable(QFileInfo(first).fileName()), frames, QThread::idealThreadCount(),
                view->width(), view->height());
    // 2 px a frame: the finger stays on the screen, the neighbour in sight.
    const QPoint middle(view->width() / 2, view->height() / 2);
    print("swipe frame, fitted picture and neighbour", drag(view, middle, QPoint(-2, 0), frames));
    QCoreApplication::processEvents();
    QKeyEvent one(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier);
    QApplication::sendEvent(viewer.findChild<QScrollArea *>(), &one);
    print("pan step, 24 MP photo at 100 %", drag(view, middle, QPoint(-2, -1), frames));
    for (int i = 0; i < 6; ++i) {
        QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier);
        QApplication::sendEvent(viewer.findChild<QScrollArea *>(), &plus);
    }
    print("pan step, the same at 800 %", drag(view, middle, QPoint(-2, -1), frames));
    return 0;
}
