// Opens an image the way the viewer does and prints the time and peak memory of each step:
// the fit into the 240 x 290 picture area, the full-screen 240 x 320 best fit, and, for
// comparison, a whole-file decode followed by a smooth scale to the same fit.
//
// Usage: bench_viewer <image> [repeats]

#include "viewer/imageloader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>

#include "procstatus.h"

#include <cstdio>
#include <functional>
#include <malloc.h>

namespace {

using ProcStatus::resetPeak;
long statusField(const char *name)
{
    return ProcStatus::field(name);
}

struct Figures
{
    double milliseconds = 0;
    long peakKb = 0; // above the resident size before the step
    QSize result;
};

Figures measure(int repeats, const std::function<QSize()> &step)
{
    Figures best;
    for (int i = 0; i < repeats; ++i) {
        resetPeak();
        const long before = statusField("VmRSS");
        QElapsedTimer timer;
        timer.start();
        const QSize result = step();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        const long peak = statusField("VmHWM") - before;
        if (i == 0 || ms < best.milliseconds)
            best.milliseconds = ms;
        best.peakKb = qMax(best.peakKb, peak);
        best.result = result;
    }
    return best;
}

void print(const char *name, const Figures &figures)
{
    std::printf("%-36s %9.1f ms %9.1f MB   -> %dx%d\n", name, figures.milliseconds,
                double(figures.peakKb) / 1024.0, figures.result.width(), figures.result.height());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("PICTARN_DECODER"))
        qputenv("PICTARN_DECODER", PICTARN_BUILT_DECODER);
    // Large buffers come straight from the kernel and go back when freed, so that each step's
    // peak is its own and not memory an earlier step left in the heap.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "pictarn.debug=false");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <image> [repeats]\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int repeats = argc > 2 ? qMax(1, atoi(argv[2])) : 3;

    QImageReader header(path);
    header.setAutoTransform(true);
    std::printf("%s: %dx%d %s, %lld bytes; best of %d runs, peak above the size before each "
                "step\n\n",
                argv[1], header.size().width(), header.size().height(), header.format().constData(),
                QFile(path).size(), repeats);

    const Figures load = measure(repeats, [&] {
        ImageLoader loader;
        loader.load(path);
        return QSize(loader.width(), loader.height());
    });
    print("load (header only)", load);

    const Figures fit = measure(repeats, [&] {
        ImageLoader loader;
        loader.load(path);
        const QImage *image = loader.fittedImage(240, 290);
        const QPixmap pixmap = image ? QPixmap::fromImage(*image) : QPixmap();
        loader.release();
        return pixmap.size();
    });
    print("fit 240x290 (viewer)", fit);

    const Figures fullScreen = measure(repeats, [&] {
        ImageLoader loader;
        loader.load(path);
        const QImage *image = loader.bestFitImage(240, 320);
        const QPixmap pixmap = image ? QPixmap::fromImage(*image) : QPixmap();
        loader.release();
        return pixmap.size();
    });
    print("full screen 240x320, best fit", fullScreen);

    const Figures whole = measure(repeats, [&] {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        QImage image = reader.read();
        const double s = qMin(240.0 / image.width(), 290.0 / image.height());
        image = image.scaled(int(s * image.width()), int(s * image.height()), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
        return QPixmap::fromImage(image).size();
    });
    print("full decode + smooth scale 240x290", whole);

    std::printf("\nfit / full decode: %.1f%% of the time, %.1f%% of the peak memory\n",
                100.0 * fit.milliseconds / whole.milliseconds,
                whole.peakKb > 0 ? 100.0 * double(fit.peakKb) / double(whole.peakKb) : 0.0);
    return 0;
}
