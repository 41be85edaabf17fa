// Times the thumbnail pass the way the grid runs it over one folder: a first visit with no
// cache, a second visit that reads the cache, and vipsthumbnail over the same files.
//
//   bench_thumbs [folder]
//
// Without a folder, about 60 images of 1 to 24 megapixels (JPEG, PNG, GIF, BMP) are generated
// in a temporary folder. A folder that does not exist yet or holds no image is filled the same
// way and kept. Each visit runs in a child process of its own, so that each peak is its own.

#include "app/settings.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "thumbs/thumbnailview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QStringList imageSuffixes{"png", "jpg", "bmp", "gif", "jpeg"};

QStringList imageFiles(const QString &folder)
{
    QStringList names;
    const QStringList entries = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString &name : entries) {
        if (imageSuffixes.contains(QFileInfo(name).suffix().toLower()))
            names << name;
    }
    return names;
}

// Something like a photograph to the encoders: gradients, shapes and grain.
QImage picture(int w, int h, quint32 seed)
{
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    const int cx = int(random.bounded(w));
    const int cy = int(random.bounded(h));
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const quint32 grain = random.generate();
            const int ring = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (w / 8 + 1) % 64;
            line[x] = qRgb((x * 200 / w + int(grain & 15)) & 255,
                           (y * 200 / h + ring + int((grain >> 4) & 15)) & 255,
                           (120 + ring * 2 + int((grain >> 8) & 15)) & 255);
        }
    }
    return image;
}

bool generate(const QString &folder)
{
    struct Kind
    {
        const char *suffix;
        QList<double> megapixels;
    };
    const QList<Kind> kinds{
            {"jpg", {1, 1, 2, 2, 3, 3, 5, 5, 5, 8, 8, 8, 8, 12, 12, 12, 12, 16, 16, 24, 24, 24}},
            {"jpeg", {2, 3, 5, 8, 12, 20}},
            {"png", {1, 1, 2, 2, 3, 3, 5, 5, 8, 8, 12, 16, 20, 24}},
            {"gif", {1, 1, 2, 2, 3, 4, 5, 8}},
            {"bmp", {1, 1, 2, 3, 5, 8, 8, 12, 12, 24}},
    };
    QDir().mkpath(folder);
    int n = 0;
    for (const Kind &kind : kinds) {
        for (double mp : kind.megapixels) {
            // 4:3, every third one standing.
            int w = int(std::sqrt(mp * 1e6 * 4 / 3));
            int h = w * 3 / 4;
            if (n % 3 == 2)
                std::swap(w, h);
            const QString path = QStringLiteral("%1/img%2.%3")
                                         .arg(folder)
                                         .arg(n, 2, 10, QLatin1Char('0'))
                                         .arg(QLatin1String(kind.suffix));
            std::printf("  %-28s %5d x %-5d\n", qPrintable(QFileInfo(path).fileName()), w, h);
            std::fflush(stdout);
            const QImage image = picture(w, h, quint32(n + 1));
            if (qstrcmp(kind.suffix, "gif") == 0) {
                // Qt writes no GIF: ImageMagick makes it from a PNG.
                const QString png = path + QStringLiteral(".tmp.png");
                if (!image.save(png, "png", 0))
                    return false;
                const int rc = QProcess::execute("convert", {png, path});
                QFile::remove(png);
                if (rc != 0)
                    return false;
            } else if (!image.save(path, nullptr, 85)) {
                return false;
            }
            ++n;
        }
    }
    return true;
}

long peakKb()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void dropDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// One visit, in this process: the folder listed and its grid loaded.
int runPass(int argc, char **argv, const QString &folder, const char *label)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropDebug);
    QApplication app(argc, argv);
    Settings settings;
    ImageListView list;
    ThumbnailView view(nullptr, &settings);
    view.resize(240, 320);
    for (const QString &name : imageFiles(folder))
        new ImageListItem(&list, name, folder + QLatin1Char('/') + name);
    for (int n = 0; n < list.topLevelItemCount(); ++n)
        view.addBox(static_cast<ImageListItem *>(list.topLevelItem(n)), n / 2, n % 2);
    view.show();
    QCoreApplication::processEvents();
    const long before = peakKb();

    QElapsedTimer timer;
    timer.start();
    view.loadThumbs();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const int count = list.topLevelItemCount();
    std::printf("%-26s%d images  total %9.1f ms  per image %8.2f ms  peak %6.1f MB (%.1f MB before "
                "the pass)\n",
                label, count, ms, ms / qMax(1, count), double(peakKb()) / 1024,
                double(before) / 1024);
    return 0;
}

struct ChildResult
{
    bool ok = false;
    double ms = 0;
    long peakKb = 0;
};

ChildResult runChild(const QStringList &arguments)
{
    QList<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes << QFile::encodeName(argument);
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);

    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    ChildResult result;
    int status = 0;
    struct rusage usage;
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        result.ms = double(timer.nsecsElapsed()) / 1e6;
        result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        result.peakKb = usage.ru_maxrss;
    }
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--pass") == 0)
        return runPass(argc, argv, QString::fromLocal8Bit(argv[2]), argv[3]);

    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath()
                                    : temporary.path();
    if (imageFiles(folder).isEmpty()) {
        std::printf("generating images in %s\n", qPrintable(folder));
        if (!generate(folder)) {
            std::fprintf(stderr, "could not generate the images\n");
            return 1;
        }
    }
    const QStringList files = imageFiles(folder);
    qint64 bytes = 0;
    for (const QString &name : files)
        bytes += QFileInfo(folder + QLatin1Char('/') + name).size();
    std::printf("folder %s: %lld images, %.1f MB\n", qPrintable(folder),
                static_cast<long long>(files.size()), double(bytes) / (1024 * 1024));

    QDir(folder + QStringLiteral("/.ptthumbs")).removeRecursively();
    const QString self = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath();
    if (!runChild({self, "--pass", folder, "first visit (no cache):"}).ok)
        return 1;
    if (!runChild({self, "--pass", folder, "second visit (cache):"}).ok)
        return 1;

    QTemporaryDir out;
    QStringList vips{"vipsthumbnail", "-s", "80x60", "-o", out.path() + "/%s.jpg"};
    for (const QString &name : files)
        vips << folder + QLatin1Char('/') + name;
    const ChildResult v = runChild(vips);
    if (!v.ok) {
        std::printf("vipsthumbnail -s 80x60: did not run (is libvips-tools installed?)\n");
        return 0;
    }
    std::printf("%-26s%lld images  total %9.1f ms  per image %8.2f ms  "
                "peak %6.1f MB (one process, start-up included)\n",
                "vipsthumbnail -s 80x60:", static_cast<long long>(files.size()), v.ms,
                v.ms / qMax<qsizetype>(1, files.size()), double(v.peakKb) / 1024);
    return 0;
}
