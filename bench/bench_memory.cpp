// Steps through 500 images in the viewer as Right does, the neighbours made ready in the
// workers (fit, a zoom step, a turn and a brightness step for each) and then in a slide show, and
// prints the resident memory every 50 images, as it is and after returning freed heap to the
// system. A steady figure after the first images means nothing is kept from one image to the next.
//
// Usage: bench_memory [images]   (default 500; runs offscreen unless QT_QPA_PLATFORM is set)

#include "app/settings.h"
#include "browse/imageentry.h"
#include "slideshow/slideshow.h"
#include "viewer/imageviewer.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPointer>
#include <QTemporaryDir>

#include <cstdio>
#include <malloc.h>

namespace {

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

QByteArray encoded(int width, int height, const char *format, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb((x * 255) / width, (y * 255) / height, ((seed * 40 + x) ^ y) & 0xff);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(85);
    writer.write(image);
    return bytes;
}

struct Sample
{
    long raw;
    long trimmed;
};

Sample sample()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    const long raw = residentKb();
    malloc_trim(0);
    return {raw, residentKb()};
}

void report(const char *what, int shown, Sample s, Sample base)
{
    std::printf("%-10s %4d images  RSS %7ld kB (%+6ld)  after trim %7ld kB (%+6ld)\n", what, shown,
                s.raw, s.raw - base.raw, s.trimmed, s.trimmed - base.trimmed);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("PICTARN_DECODER"))
        qputenv("PICTARN_DECODER", PICTARN_BUILT_DECODER);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);
    qSetMessagePattern(QStringLiteral("%{if-warning}%{message}%{endif}"));
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 500;

    // Ten pictures of the sizes a phone's card holds, written under 500 names.
    QTemporaryDir folder;
    const QList<QByteArray> pictures
            = {encoded(640, 480, "jpeg", 0),   encoded(1600, 1200, "jpeg", 1),
               encoded(1200, 1600, "jpeg", 2), encoded(800, 600, "png", 3),
               encoded(320, 240, "bmp", 4),    encoded(2048, 1536, "jpeg", 5),
               encoded(176, 220, "png", 6),    encoded(1024, 768, "jpeg", 7),
               encoded(480, 640, "png", 8),    encoded(1280, 960, "jpeg", 9)};
    const QStringList suffixes
            = {"jpg", "jpg", "jpg", "png", "bmp", "jpg", "png", "jpg", "png", "jpg"};
    QList<ImageEntry> entries;
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("img%1.%2")
                                     .arg(i, 4, 10, QLatin1Char('0'))
                                     .arg(suffixes.at(i % 10));
        const QString path = folder.path() + QLatin1Char('/') + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(pictures.at(i % 10)) < 0)
            return 1;
        entries.append({name, path});
        paths << path;
    }

    Settings settings;
    settings.setControlBarInSlide(false);
    settings.setSlideDelay(3600); // the bench steps the show itself
    std::printf("%d images, 10 distinct pictures up to 2048 x 1536\n", count);

    const Sample start = sample();
    report("start", 0, start, start);
    {
        ImageViewer viewer(nullptr, &settings);
        viewer.show();
        viewer.setImageList(paths);
        Sample base = sample();
        for (int i = 0; i < count; ++i) {
            if (i == 0)
                viewer.load(paths.first());
            else
                viewer.step(1);
            viewer.zoomIn();
            viewer.scaleToScreen();
            viewer.rotate90();
            viewer.brightUpImage();
            if ((i + 1) % 50 == 0 || i == 0)
                report("viewer", i + 1, sample(), i == 0 ? start : base);
            if (i == 0)
                base = sample();
        }
        viewer.reject();
    }
    const Sample afterViewer = sample();
    report("viewer end", count, afterViewer, start);

    auto *show = new SlideShow(entries, &settings);
    const QPointer<SlideShow> guard(show);
    show->start(); // shows the first image
    Sample base = sample();
    report("slides", 1, base, afterViewer);
    for (int i = 1; i < count && guard; ++i) {
        show->showNextImage();
        if ((i + 1) % 50 == 0)
            report("slides", i + 1, sample(), base);
    }
    if (guard)
        show->stop();
    report("show end", count, sample(), afterViewer);
    return 0;
}
