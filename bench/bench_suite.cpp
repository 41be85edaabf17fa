// The hot paths of the program on one folder of photos, side by side with the tools a user
// would otherwise reach for: the thumbnail pass of the grid (first visit, and second visit
// with the cache), the viewer's fit and full-screen best fit, and the listing of a large
// folder. Every figure is the median over the rounds; the peers' figures are taken in the same
// rounds, and each is printed as a ratio against vipsthumbnail's time in the same round.
//
//   bench_suite run <corpus> [--rounds N] [--quick]     (corpus made by make-corpus.sh)
//
// Each measurement runs in a child process of its own, so that each peak memory is its own.
// The children are this program in one of its other modes:
//
//   bench_suite pass <folder> [--per-box] [--debug] [--threads N]
//                                                       one thumbnail pass over the folder
//   bench_suite view <file> fit|best|full|direct        one viewer step on one file
//   bench_suite slide <file> [--no-wait]                one slide-show step to the file
//   bench_suite next <file> <file> [--no-wait]          Right in the viewer, first to second
//   bench_suite list <folder>                           the main window lists the folder

#include "app/pictarn.h"
#include "app/settings.h"
#include "app/startup.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "sandbox/decoder.h"
#include "slideshow/slideshow.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailview.h"
#include "viewer/imageheader.h"
#include "viewer/imageloader.h"
#include "viewer/imageviewer.h"
#include "viewer/prefetcher.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImageReader>
#include <QKeyEvent>
#include <QMap>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>

#include "procstatus.h"
#include <algorithm>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// ---- figures of this process ----

using ProcStatus::resetPeak;
long statusField(const char *name)
{
    return ProcStatus::field(name);
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

bool isImageName(const QString &name)
{
    static const QStringList suffixes{"png", "jpg", "bmp", "gif", "jpeg", "heic", "jxl"};
    return suffixes.contains(QFileInfo(name).suffix().toLower());
}

QStringList imageFiles(const QString &folder)
{
    QStringList names;
    const QStringList entries = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString &name : entries) {
        if (isImageName(name))
            names << name;
    }
    return names;
}

// The class a corpus file belongs to: its name up to the first '-'.
QString classOf(const QString &name)
{
    return name.section(QLatin1Char('-'), 0, 0).toLower();
}

// ---- child: one thumbnail pass ----

int loads = 0; // files the loader opened, as its debug lines tell
int decodes = 0; // pictures it decoded
int debugLines = 0;
QtMessageHandler defaultHandler = nullptr;
bool writeDebug = false;

void countingHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg) {
        ++debugLines;
        if (message.startsWith(QLatin1String("loading "))
            && !message.startsWith(QLatin1String("loading thumbnail ")))
            ++loads;
        if (message.startsWith(QLatin1String("returning image: "))
            && message != QLatin1String("returning image: 0x0"))
            ++decodes;
        if (!writeDebug)
            return;
    }
    defaultHandler(type, context, message);
}

int runPass(int argc, char **argv, const QString &folder, bool perBox, int threads)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "pictarn.debug=true");
    defaultHandler = qInstallMessageHandler(countingHandler);
    QApplication app(argc, argv);
    if (threads > 0)
        Prefetcher::pool()->setMaxThreadCount(threads);
    Settings settings; // the defaults: previews of files above 30 KB are kept
    ImageListView list;
    // For comparison only: the list's columns no longer sized from all its rows on each change.
    if (qEnvironmentVariableIsSet("BENCH_FIXED_COLUMNS"))
        list.header()->setSectionResizeMode(QHeaderView::Interactive);
    ThumbnailView view(nullptr, &settings);
    view.resize(240, 290);
    // As the main window lists a folder.
    for (const QString &name : imageFiles(folder))
        new ImageListItem(&list, name, folder + QLatin1Char('/') + name);
    for (int n = 0; n < list.topLevelItemCount(); ++n)
        view.addBox(static_cast<ImageListItem *>(list.topLevelItem(n)), n / 2, n % 2);
    view.show();
    QCoreApplication::processEvents();
    // The image-format plugins are loaded once per process, by whatever picture is shown
    // first; a program that has shown anything has them already.
    for (const QByteArray &format : QImageReader::supportedImageFormats()) {
        QBuffer nothing;
        nothing.open(QIODevice::ReadOnly);
        QImageReader(&nothing, format).canRead();
    }

    // The longest time the event loop did not run: a zero timer fires on every turn.
    QElapsedTimer sinceTurn;
    double longestPause = 0;
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (sinceTurn.isValid())
            longestPause = std::max(longestPause, msSince(sinceTurn));
        sinceTurn.start();
    });
    ticker.start();
    QCoreApplication::processEvents();

    loads = 0;
    decodes = 0;
    debugLines = 0;
    resetPeak();
    const long before = statusField("VmRSS");
    QElapsedTimer timer;
    double total = 0;
    if (!perBox) {
        // The pass returns at once; the previews come in while the event loop runs.
        QEventLoop loop;
        QObject::connect(&view, &ThumbnailView::passFinished, &loop, &QEventLoop::quit);
        timer.start();
        view.loadThumbs();
        if (view.isLoading())
            loop.exec();
        total = msSince(timer);
    } else {
        // Box by box in grid order, as loadThumbs() goes; each box's own time and peak.
        for (int n = 0; n < view.boxCount(); ++n) {
            ImageBox *box = view.boxAt(n);
            resetPeak();
            const long boxBefore = statusField("VmRSS");
            timer.start();
            box->loadThumb();
            const double ms = msSince(timer);
            total += ms;
            std::printf("BOX %s %.4f %ld\n", qPrintable(box->fileName()), ms,
                        statusField("VmHWM") - boxBefore);
        }
        timer.start();
        QCoreApplication::processEvents();
        total += msSince(timer);
    }
    const long peak = statusField("VmHWM") - before;
    ticker.stop();
    std::printf("PASS %.3f %d %.3f %ld %ld %d %d %d\n", total, view.boxCount(), longestPause, peak,
                statusField("VmRSS"), decodes, debugLines, loads);
    return 0;
}

// ---- child: one viewer step ----

int runView(int argc, char **argv, const QString &path, const QByteArray &step)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "pictarn.debug=false");
    QApplication app(argc, argv);
    // The start-up's own peak is over before the step begins.
    QPixmap warm(8, 8);
    warm.fill(Qt::black);
    // A program that shows a picture has its decoding helpers running from its grid's
    // previews, and its image readers loaded.
    QTemporaryDir scratch;
    warm.save(scratch.filePath(QStringLiteral("warm.png")));
    ImageLoader warmer;
    warmer.load(scratch.filePath(QStringLiteral("warm.png")));
    warmer.fittedImage(8, 8);
    warmer.release();
    if (step == "direct")
        Decoder::loadReaders();
    resetPeak();
    const long before = statusField("VmRSS");
    QElapsedTimer timer;
    timer.start();
    QSize size;
    if (step == "fit" || step == "best") {
        ImageLoader loader;
        loader.load(path);
        const QImage *image
                = step == "fit" ? loader.fittedImage(240, 290) : loader.bestFitImage(240, 320);
        const QPixmap pixmap = image ? QPixmap::fromImage(*image) : QPixmap();
        loader.release();
        size = pixmap.size();
    } else if (step == "direct") {
        // The fit as the loader made it before it had helpers: the same checks and decode,
        // in this process.
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        struct stat info;
        if (fd >= 0 && ::fstat(fd, &info) == 0 && !ImageHeader(fd, info.st_size).damaged()) {
            const Decoder::Facts facts = Decoder::probe(fd);
            const QSize full = facts.swapped ? facts.stored.transposed() : facts.stored;
            const double s = std::min({1.0, 240.0 / full.width(), 290.0 / full.height()});
            const QSize target(std::max(1, int(s * full.width())),
                               std::max(1, int(s * full.height())));
            size = QPixmap::fromImage(
                           Decoder::decode(fd, facts.format, full, target, facts.swapped).image)
                           .size();
        }
        if (fd >= 0)
            ::close(fd);
    } else {
        // What a viewer without reduced-scale decoding does.
        QImageReader reader(path);
        reader.setAutoTransform(true);
        QImage image = reader.read();
        if (!image.isNull()) {
            const double s = std::min(240.0 / image.width(), 290.0 / image.height());
            image = image.scaled(int(s * image.width()), int(s * image.height()),
                                 Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        size = QPixmap::fromImage(image).size();
    }
    const double ms = msSince(timer);
    std::printf("VIEW %.3f %ld %dx%d\n", ms, statusField("VmHWM") - before, size.width(),
                size.height());
    return 0;
}

// ---- child: one slide-show step ----

// The show's step from one picture to the next, both of them file: after the delay of 3 s
// that the next slide has to decode in, or at once, with its decode still running.
int runSlide(int argc, char **argv, const QString &path, bool wait)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "pictarn.debug=false");
    QApplication app(argc, argv);
    Settings settings;
    settings.setSlideDelay(3);
    settings.setControlBarInSlide(false);
    settings.setRotateInSlide(false);
    auto *show
            = new SlideShow({{QStringLiteral("a"), path}, {QStringLiteral("b"), path}}, &settings);
    show->start();
    auto *timer = show->findChild<QTimer *>(QStringLiteral("timer"));
    if (!timer)
        return 1;
    // The step is taken here, where the timer would take it.
    timer->stop();
    double ms = 0;
    QEventLoop loop;
    QTimer::singleShot(wait ? 3000 : 0, [&] {
        QElapsedTimer step;
        step.start();
        show->showNextImage();
        ms = msSince(step);
        loop.quit();
    });
    loop.exec();
    std::printf("SLIDE %.3f %dx%d\n", ms, show->width(), show->height());
    delete show;
    return 0;
}

// ---- child: the viewer moves to the next picture ----

// Right pressed in the viewer showing first, second next in the list: a second after first
// was shown, the neighbours made ready meanwhile, or at once, with their decodes running.
int runNext(int argc, char **argv, const QString &first, const QString &second, bool wait)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "pictarn.debug=false");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    Settings settings;
    auto *viewer = new ImageViewer(nullptr, &settings);
    QString shown;
    QObject::connect(viewer, &ImageViewer::imageChanged,
                     [&](const QString &path) { shown = path; });
    viewer->setImageList({first, second});
    viewer->load(first);
    double ms = 0;
    QEventLoop loop;
    QTimer::singleShot(wait ? 1000 : 0, [&] {
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QElapsedTimer step;
        step.start();
        // Returns once the new picture is painted.
        QCoreApplication::sendEvent(viewer, &right);
        ms = msSince(step);
        loop.quit();
    });
    loop.exec();
    std::printf("NEXT %.3f %d\n", ms, int(shown == second));
    delete viewer;
    return shown == second ? 0 : 1;
}

// ---- child: the main window lists a folder ----

int runList(int argc, char **argv, const QString &folder)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "pictarn.debug=false");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("PICTARN_DOCUMENTS", QFile::encodeName(folder));
    QApplication app(argc, argv);
    auto *window = new Pictarn;
    QCoreApplication::processEvents();
    resetPeak();
    const long before = statusField("VmRSS");
    QElapsedTimer timer;
    timer.start();
    // The documents entry of the bookmark menu: the folder is listed into both views and the
    // thumbnail pass is queued; it never runs, as the window goes before the event loop turns.
    QMetaObject::invokeMethod(window, "documentsSelected", Qt::DirectConnection);
    // And the grid laid out, which waits for the event loop otherwise.
    if (auto *view = window->findChild<ThumbnailView *>(); view && view->boxCount() > 0)
        view->selectBox(0);
    const double ms = msSince(timer);
    const long peak = statusField("VmHWM") - before;
    const auto *list = window->findChild<ImageListView *>();
    std::printf("LIST %.3f %d %ld\n", ms, list ? list->topLevelItemCount() : -1, peak);
    delete window;
    return 0;
}

// ---- the driver ----

struct Run
{
    bool ok = false;
    double ms = 0; // wall time of the whole process
    long peakKb = 0; // the process's peak resident size
    QByteArray out;
};

// Runs a program to its end; its standard output is kept when asked for, else dropped, and its
// error output goes to errorFile (dropped when empty).
Run run(const QStringList &arguments, bool keepOutput = true, const QString &errorFile = {})
{
    QList<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes << QFile::encodeName(argument);
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const QByteArray errorPath
            = errorFile.isEmpty() ? QByteArray("/dev/null") : QFile::encodeName(errorFile);

    int pipeFds[2] = {-1, -1};
    if (keepOutput && pipe(pipeFds) != 0)
        return {};
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        const int error = ::open(errorPath.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(keepOutput ? pipeFds[1] : null, 1);
        dup2(error >= 0 ? error : null, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    Run result;
    if (keepOutput) {
        ::close(pipeFds[1]);
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
            result.out.append(buffer, n);
        ::close(pipeFds[0]);
    }
    int status = 0;
    struct rusage usage;
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        result.ms = msSince(timer);
        result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        result.peakKb = usage.ru_maxrss;
    }
    return result;
}

QList<QByteArray> fieldsOf(const QByteArray &output, const char *tag)
{
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith(QByteArray(tag) + ' '))
            return line.split(' ');
    }
    return {};
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

double maximum(const QList<double> &values)
{
    return values.isEmpty() ? 0 : *std::max_element(values.cbegin(), values.cend());
}

QString firstLine(const QStringList &command)
{
    QProcess process;
    process.start(command.first(), command.mid(1));
    process.waitForFinished();
    const QString text = QString::fromLocal8Bit(process.readAllStandardOutput()
                                                + process.readAllStandardError());
    return text.section(QLatin1Char('\n'), 0, 0).trimmed();
}

QString cpuName()
{
    QFile cpu(QStringLiteral("/proc/cpuinfo"));
    if (cpu.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : cpu.readAll().split('\n')) {
            if (line.startsWith("model name"))
                return QString::fromLatin1(line).section(QLatin1Char(':'), 1).trimmed();
        }
    }
    return QSysInfo::currentCpuArchitecture();
}

const QList<QPair<QString, QString>> classNames{
        {"jpeg1", "JPEG 1 MP"},
        {"jpeg3", "JPEG 3 MP"},
        {"jpeg12", "JPEG 12 MP"},
        {"jpeg24", "JPEG 24 MP"},
        {"prog3", "JPEG 3 MP progr."},
        {"prog12", "JPEG 12 MP progr."},
        {"prog24", "JPEG 24 MP progr."},
        {"icc24", "JPEG 24 MP Adobe RGB"},
        {"heic12", "HEIC 12 MP"},
        {"jxl12", "JPEG XL 12 MP"},
        {"png", "PNG truecolour"},
        {"pngpal", "PNG palette"},
        {"gif", "GIF"},
        {"bmp24", "BMP 24-bit"},
        {"bmp8", "BMP 8-bit"},
        {"bad", "bad files"},
};

struct Sample
{
    QList<double> ms;
    QList<double> kb;
};

int runAll(const QString &self, const QString &corpus, int rounds, bool quick)
{
    const QString folder = corpus + QStringLiteral("/images");
    const QString listFolder = corpus + QStringLiteral("/list2000");
    const QStringList files = imageFiles(folder);
    if (files.isEmpty()) {
        std::fprintf(stderr, "no images in %s (make it with bench/make-corpus.sh)\n",
                     qPrintable(folder));
        return 1;
    }
    QStringList paths;
    QStringList jpegs;
    qint64 bytes = 0;
    QMap<QString, int> perClass;
    for (const QString &name : files) {
        const QString path = folder + QLatin1Char('/') + name;
        paths << path;
        const QString klass = classOf(name);
        ++perClass[klass];
        if (klass.startsWith(QLatin1String("jpeg")) || klass.startsWith(QLatin1String("prog")))
            jpegs << path;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) // into the page cache before the first round
            bytes += file.readAll().size();
    }
    // The viewer's steps on the first file of each class.
    QStringList viewed;
    for (const auto &entry : classNames) {
        if (entry.first == QLatin1String("bad"))
            continue;
        if (quick
            && !QStringList{"jpeg24", "prog24", "icc24", "heic12", "jxl12"}.contains(entry.first))
            continue;
        for (const QString &name : files) {
            if (classOf(name) == entry.first) {
                viewed << name;
                break;
            }
        }
    }

    std::printf("Pictarn bench, %s\n", qPrintable(QDateTime::currentDateTime().toString(
                                               QStringLiteral("yyyy-MM-dd HH:mm"))));
    std::printf("machine: %s, %ld cores, %s %s; Qt %s\n", qPrintable(cpuName()),
                sysconf(_SC_NPROCESSORS_ONLN), qPrintable(QSysInfo::kernelType()),
                qPrintable(QSysInfo::kernelVersion()), qVersion());
    // A peer that is not installed is reported as missing, never timed: the time of a failed
    // start is no figure.
    const auto installed = [](const char *tool) {
        return !QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty();
    };
    const bool haveVips = installed("vipsthumbnail");
    const bool haveMogrify = installed("mogrify");
    const bool haveDjpeg = installed("djpeg");
    const auto version = [](bool present, const QStringList &command, int from, int to) {
        return present ? firstLine(command).section(QLatin1Char(' '), from, to)
                       : command.first() + QStringLiteral(" missing");
    };
    std::printf("peers: %s; %s; djpeg: %s\n",
                qPrintable(version(haveVips, {"vipsthumbnail", "--vips-version"}, 0, -1)),
                qPrintable(version(haveMogrify, {"mogrify", "-version"}, 1, 3)),
                qPrintable(version(haveDjpeg, {"djpeg", "-version"}, 0, -1)));
    QString slideFile; // the first 24-megapixel baseline JPEG
    QStringList nextFiles; // the first two, for the viewer's step
    for (const QString &name : files) {
        if (classOf(name) == QLatin1String("jpeg24") && nextFiles.size() < 2)
            nextFiles << folder + QLatin1Char('/') + name;
    }
    if (!nextFiles.isEmpty())
        slideFile = nextFiles.first();
    std::printf("corpus: %s, %lld images (%lld JPEG), %.1f MB; %d rounds\n\n", qPrintable(folder),
                static_cast<long long>(files.size()), static_cast<long long>(jpegs.size()),
                double(bytes) / (1024 * 1024), rounds);
    std::fflush(stdout);

    QTemporaryDir out;
    const QString cache = folder + QStringLiteral("/.ptthumbs");
    const auto clearCache = [&] { QDir(cache).removeRecursively(); };
    const auto cacheFiles = [&] {
        return QDir(cache).entryList(QDir::Files | QDir::Hidden | QDir::System).size();
    };

    // Per round.
    QMap<QString, QList<double>> ms; // whole-folder times
    QMap<QString, QList<double>> ratio; // against vipsthumbnail in the same round
    QMap<QString, QList<double>> peakMb;
    QList<double> pauses;
    QList<double> secondDecodes;
    QList<double> secondLoads;
    QList<double> stored;
    QString pauseNote;
    QMap<QString, Sample> firstBox;
    QMap<QString, Sample> secondBox;
    QMap<QString, QList<double>> djpegBox; // one process per file
    QMap<QString, Sample> viewSteps; // "<file> <step>"
    QList<double> fitOverFull; // 24 MP baseline, pair by pair
    QList<double> helperCost; // 24 MP baseline: the fit through a helper less the fit in-process
    QList<double> slideMs; // the step after the delay
    QList<double> slideAtOnceMs; // the step with the next slide's decode still running
    QList<double> nextMs; // the viewer's Right, a second after the picture before was shown
    QList<double> nextAtOnceMs; // the same at once, the neighbours' decodes still running
    QList<double> listMs;
    QList<double> listKb;
    int listCount = 0;
    bool failed = false;

    const auto pass = [&](const QString &key, QStringList arguments, bool perBox = false) {
        arguments.prepend(folder);
        arguments.prepend(QStringLiteral("pass"));
        arguments.prepend(self);
        if (perBox)
            arguments << QStringLiteral("--per-box");
        const QString log = out.path() + QStringLiteral("/debug.log");
        QFile::remove(log);
        const Run r = run(arguments, true, arguments.contains("--debug") ? log : QString());
        const QList<QByteArray> f = fieldsOf(r.out, "PASS");
        if (!r.ok || f.size() < 9) {
            std::fprintf(stderr, "pass %s failed\n", qPrintable(key));
            failed = true;
            return f;
        }
        if (!perBox) {
            ms[key] << f.at(1).toDouble();
            ms[key + " process"] << r.ms;
            peakMb[key] << double(r.peakKb) / 1024;
        }
        return f;
    };

    for (int round = 1; round <= rounds; ++round) {
        std::printf("round %d of %d\n", round, rounds);
        std::fflush(stdout);

        // The thumbnail pass and the peers, side by side.
        clearCache();
        const QList<QByteArray> first = pass("first", {});
        if (first.size() >= 9) {
            pauses << first.at(3).toDouble();
            stored << double(cacheFiles());
        }
        // The same first visit with one worker, then two.
        for (const char *threads : {"1", "2"}) {
            clearCache();
            pass(QStringLiteral("first, %1 threads").arg(QLatin1String(threads)),
                 {QStringLiteral("--threads"), QLatin1String(threads)});
        }
        clearCache();
        pass("first", {});
        const QList<QByteArray> second = pass("second", {});
        if (second.size() >= 9) {
            secondDecodes << second.at(6).toDouble();
            secondLoads << second.at(8).toDouble();
        }
        qputenv("BENCH_FIXED_COLUMNS", "1");
        pass("second, list columns fixed", {});
        qunsetenv("BENCH_FIXED_COLUMNS");

        Run v;
        if (haveVips) {
            QStringList vips{"vipsthumbnail", "-s", "80x60", "-o", out.path() + "/%s-vips.jpg"};
            v = run(vips + paths, false);
            ms["vips"] << v.ms;
            peakMb["vips"] << double(v.peakKb) / 1024;
        }

        if (haveMogrify) {
            QStringList mogrify{"mogrify", "-path",      out.path(), "-format",
                                "jpg",     "-thumbnail", "80x60"};
            const Run m = run(mogrify + paths, false);
            ms["mogrify"] << m.ms;
            peakMb["mogrify"] << double(m.peakKb) / 1024;
        }

        if (haveDjpeg) {
            double djpegMs = 0;
            double djpegKb = 0;
            for (const QString &jpeg : jpegs) {
                const Run d = run({"djpeg", "-scale", "1/8", "-outfile", "/dev/null", jpeg}, false);
                djpegMs += d.ms;
                djpegBox[classOf(QFileInfo(jpeg).fileName())] << d.ms;
                djpegKb = std::max(djpegKb, double(d.peakKb));
            }
            ms["djpeg"] << djpegMs;
            peakMb["djpeg"] << djpegKb / 1024;
        }

        // With the debug lines written out, as the program does when nothing drops them.
        clearCache();
        pass("first, debug written", {"--debug"});
        if (QFileInfo(out.path() + "/debug.log").exists())
            ms["debug bytes"] << double(QFileInfo(out.path() + "/debug.log").size());

        // Box by box, for the figures per class.
        clearCache();
        for (const char *visit : {"first", "second"}) {
            const Run r = run({self, "pass", folder, "--per-box"});
            for (const QByteArray &line : r.out.split('\n')) {
                const QList<QByteArray> f = line.split(' ');
                if (f.size() != 4 || f.at(0) != "BOX")
                    continue;
                Sample &s = (qstrcmp(visit, "first") == 0
                                     ? firstBox
                                     : secondBox)[classOf(QString::fromLocal8Bit(f.at(1)))];
                s.ms << f.at(2).toDouble();
                s.kb << f.at(3).toDouble();
            }
        }
        clearCache();

        for (const QString &key :
             {QStringLiteral("first"), QStringLiteral("second"),
              QStringLiteral("second, list columns fixed"), QStringLiteral("first process"),
              QStringLiteral("mogrify"), QStringLiteral("djpeg"),
              QStringLiteral("first, debug written"), QStringLiteral("first, 1 threads"),
              QStringLiteral("first, 2 threads")}) {
            // vipsthumbnail fails on the bad files, having made the others' previews.
            if (!ms[key].isEmpty() && haveVips && v.ms > 0)
                ratio[key] << ms[key].last() / v.ms;
        }

        // The viewer's steps; the 24-megapixel pair, which the targets name, three times.
        QStringList viewRuns;
        for (const QString &name : viewed)
            for (int i = name.contains(QLatin1String("24-")) ? 3 : 1; i > 0; --i)
                viewRuns << name;
        for (const QString &name : viewRuns) {
            const QString path = folder + QLatin1Char('/') + name;
            double fit = 0;
            double full = 0;
            double direct = 0;
            for (const char *step : {"fit", "best", "full", "direct"}) {
                const Run r = run({self, "view", path, step});
                const QList<QByteArray> f = fieldsOf(r.out, "VIEW");
                if (!r.ok || f.size() < 4) {
                    std::fprintf(stderr, "view %s %s failed\n", qPrintable(name), step);
                    failed = true;
                    continue;
                }
                Sample &s = viewSteps[name + ' ' + step];
                s.ms << f.at(1).toDouble();
                s.kb << f.at(2).toDouble();
                if (qstrcmp(step, "fit") == 0)
                    fit = f.at(1).toDouble();
                if (qstrcmp(step, "full") == 0)
                    full = f.at(1).toDouble();
                if (qstrcmp(step, "direct") == 0)
                    direct = f.at(1).toDouble();
            }
            if (classOf(name) == QLatin1String("jpeg24") && full > 0)
                fitOverFull << fit / full;
            if (classOf(name) == QLatin1String("jpeg24") && direct > 0)
                helperCost << fit - direct;
        }

        // A step taken a while after the picture before it was shown, then at once.
        const auto steps = [&](const QStringList &arguments, const char *tag, QList<double> &waited,
                               QList<double> &atOnce) {
            for (const bool wait : {true, false}) {
                const Run r = run(wait ? arguments : arguments + QStringList{"--no-wait"});
                const QList<QByteArray> f = fieldsOf(r.out, tag);
                if (!r.ok || f.size() < 3) {
                    std::fprintf(stderr, "%s step failed\n", tag);
                    failed = true;
                    continue;
                }
                (wait ? waited : atOnce) << f.at(1).toDouble();
            }
        };
        if (!slideFile.isEmpty())
            steps({self, "slide", slideFile}, "SLIDE", slideMs, slideAtOnceMs);
        if (nextFiles.size() >= 2)
            steps({self, "next", nextFiles.at(0), nextFiles.at(1)}, "NEXT", nextMs, nextAtOnceMs);

        const Run l = run({self, "list", listFolder});
        const QList<QByteArray> f = fieldsOf(l.out, "LIST");
        if (l.ok && f.size() >= 4) {
            listMs << f.at(1).toDouble();
            listCount = f.at(2).toInt();
            listKb << f.at(3).toDouble();
        } else {
            failed = true;
        }
    }

    // ---- the table ----
    const int count = int(files.size());
    std::printf("\nThumbnail pass over the whole folder (%d files), medians of %d rounds\n", count,
                rounds);
    std::printf("  %-44s %9s %8s %9s\n", "", "ms", "x vips", "peak MB");
    const auto row = [&](const QString &label, const QString &key, const QString &ratioKey) {
        if (ms[key].isEmpty()) {
            std::printf("  %-44s %9s\n", qPrintable(label), "missing");
            return;
        }
        std::printf("  %-44s %9.1f", qPrintable(label), median(ms[key]));
        if (ratioKey.isEmpty() || !ratio[ratioKey].isEmpty())
            std::printf(" %8.2f", ratioKey.isEmpty() ? 1.0 : median(ratio[ratioKey]));
        else
            std::printf(" %8s", "-");
        if (peakMb[key].isEmpty())
            std::printf("\n");
        else
            std::printf(" %9.1f\n", median(peakMb[key]));
    };
    row("vipsthumbnail -s 80x60, one process", "vips", {});
    row("Pictarn, first visit (no .ptthumbs)", "first", "first");
    row("  the same, whole process with start-up", "first process", "first process");
    row("  the same, 1 worker thread", "first, 1 threads", "first, 1 threads");
    row("  the same, 2 worker threads", "first, 2 threads", "first, 2 threads");
    row("Pictarn, second visit (cache)", "second", "second");
    row("  the same, list columns not sized per change", "second, list columns fixed",
        "second, list columns fixed");
    row("mogrify -thumbnail 80x60, one process", "mogrify", "mogrify");
    row(QStringLiteral("djpeg -scale 1/8, the %1 JPEGs (the floor)").arg(jpegs.size()), "djpeg",
        "djpeg");
    row("Pictarn, first visit, debug lines written", "first, debug written",
        "first, debug written");
    std::printf("  (%.0f kB of debug lines per pass; the other Pictarn runs drop them)\n",
                median(ms["debug bytes"]) / 1024);
    std::printf(
            "  previews stored on the first visit: %.0f; on the second, pictures decoded: %.0f, "
            "files opened by the loader: %.0f (those with no preview stored)\n",
            median(stored), maximum(secondDecodes), maximum(secondLoads));
    std::printf("  longest pause of the event loop during the first visit: %.1f ms (median), "
                "%.1f ms (worst round)\n",
                median(pauses), maximum(pauses));

    std::printf("\nPer class, median ms per image (largest rise of the resident size over one "
                "image, MB)\n");
    std::printf("  %-20s %5s %18s %18s %10s\n", "class", "files", "first visit", "second visit",
                "djpeg 1/8");
    for (const auto &[key, name] : classNames) {
        if (!perClass.contains(key))
            continue;
        std::printf("  %-20s %5d %9.2f (%5.1f) %9.3f (%5.1f)", qPrintable(name),
                    perClass.value(key), median(firstBox[key].ms), maximum(firstBox[key].kb) / 1024,
                    median(secondBox[key].ms), maximum(secondBox[key].kb) / 1024);
        if (djpegBox.contains(key))
            std::printf(" %10.2f", median(djpegBox[key]));
        else if (!haveDjpeg && (key.startsWith("jpeg") || key.startsWith("prog")))
            std::printf(" %10s", "missing");
        std::printf("\n");
    }
    double secondPerImage = median(ms["second"]) / std::max(1, count);

    std::printf("\nViewer, one file per class: ms (peak above start-up, MB)\n");
    std::printf("  %-20s %20s %20s %22s %9s %20s\n", "file", "fit 240x290", "best fit 240x320",
                "full decode + scale", "fit/full", "fit in-process");
    for (const QString &name : viewed) {
        const Sample &fit = viewSteps[name + " fit"];
        const Sample &best = viewSteps[name + " best"];
        const Sample &full = viewSteps[name + " full"];
        const Sample &direct = viewSteps[name + " direct"];
        std::printf("  %-20s %11.1f (%6.1f) %11.1f (%6.1f) %13.1f (%6.1f) %9.2f %11.1f (%6.1f)\n",
                    qPrintable(name), median(fit.ms), median(fit.kb) / 1024, median(best.ms),
                    median(best.kb) / 1024, median(full.ms), median(full.kb) / 1024,
                    median(full.ms) > 0 ? median(fit.ms) / median(full.ms) : 0.0, median(direct.ms),
                    median(direct.kb) / 1024);
    }

    std::printf("\nSlide show, %s at delay 3 s: the step %.1f ms; the step at once, the next "
                "slide's decode still running, %.1f ms\n",
                qPrintable(QFileInfo(slideFile).fileName()), median(slideMs),
                median(slideAtOnceMs));

    std::printf("Viewer, Right from %s: %.1f ms a second after the picture before was shown; "
                "%.1f ms at once, the neighbours' decodes still running\n",
                qPrintable(QFileInfo(nextFiles.value(0)).fileName()), median(nextMs),
                median(nextAtOnceMs));

    std::printf("\nListing %d files (no decoding): %.1f ms, peak %.1f MB above the window's "
                "start\n",
                listCount, median(listMs), median(listKb) / 1024);

    // ---- the targets ----
    QString fit24;
    QString icc24; // the same picture as fit24, with a colour profile
    for (const QString &name : viewed) {
        if (classOf(name) == QLatin1String("jpeg24") && fit24.isEmpty())
            fit24 = name;
        if (classOf(name) == QLatin1String("icc24") && icc24.isEmpty())
            icc24 = name;
    }
    const double firstRatio = median(ratio["first"]);
    const double fitRatio = median(fitOverFull);
    const double fitMb = median(viewSteps[fit24 + " fit"].kb) / 1024;
    const auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
    std::printf("\nTargets\n");
    if (haveVips)
        std::printf("  first visit <= 0.55 x vipsthumbnail:              %.2f x   %s\n", firstRatio,
                    verdict(firstRatio <= 0.55));
    else
        std::printf("  first visit <= 0.55 x vipsthumbnail:              vipsthumbnail missing\n");
    std::printf("    1 worker thread %.1f ms, 2 worker threads %.1f ms: %.2f x\n",
                median(ms["first, 1 threads"]), median(ms["first, 2 threads"]),
                median(ms["first, 1 threads"]) > 0
                        ? median(ms["first, 2 threads"]) / median(ms["first, 1 threads"])
                        : 0.0);
    std::printf("  longest event loop pause, first visit <= 25 ms:  %.1f ms (median), %.1f ms "
                "(worst round)   %s\n",
                median(pauses), maximum(pauses), verdict(maximum(pauses) <= 25));
    std::printf("  second visit <= 0.25 ms per image, none decoded:  %.3f ms, %.0f decoded   %s\n",
                secondPerImage, maximum(secondDecodes),
                verdict(secondPerImage <= 0.25 && maximum(secondDecodes) == 0));
    std::printf("    with the list's columns not sized from all rows: %.3f ms per image\n",
                median(ms["second, list columns fixed"]) / std::max(1, count));
    if (!fit24.isEmpty())
        std::printf("  24 MP fit <= 0.45 x full decode, < 10 MB:         %.2f x, %.1f MB   %s\n",
                    fitRatio, fitMb, verdict(fitRatio <= 0.45 && fitMb < 10));
    if (!fit24.isEmpty())
        std::printf("  24 MP fit through a helper <= in-process + 5 ms: %.1f ms, %.1f ms "
                    "in-process, %+.1f ms   %s\n",
                    median(viewSteps[fit24 + " fit"].ms), median(viewSteps[fit24 + " direct"].ms),
                    median(helperCost), verdict(median(helperCost) <= 5));
    if (!fit24.isEmpty() && !icc24.isEmpty()) {
        const double plain = median(viewSteps[fit24 + " fit"].ms);
        const double converted = median(viewSteps[icc24 + " fit"].ms);
        std::printf("  24 MP fit with an Adobe RGB profile <= 1.10 x without: %.1f ms, %.1f ms, "
                    "%.2f x   %s\n",
                    converted, plain, plain > 0 ? converted / plain : 0.0,
                    verdict(converted <= 1.10 * plain));
    }
    if (!slideFile.isEmpty())
        std::printf("  slide show step, 24 MP JPEG, delay 3 s <= 15 ms:  %.1f ms   %s\n"
                    "    at once, decode still running: %.1f ms (the fit alone: %.1f ms)\n",
                    median(slideMs), verdict(median(slideMs) <= 15), median(slideAtOnceMs),
                    median(viewSteps[fit24 + " fit"].ms));
    if (nextFiles.size() >= 2)
        std::printf("  next picture after Right, 24 MP JPEG, neighbours ready (1 s) <= 15 ms: "
                    "%.1f ms   %s\n"
                    "    at once, decodes still running: %.1f ms (the fit alone: %.1f ms)\n",
                    median(nextMs), verdict(median(nextMs) <= 15), median(nextAtOnceMs),
                    median(viewSteps[fit24 + " fit"].ms));
    // The decode of one box, now in a worker: what the event loop waited for before.
    std::printf("  one box's decode, 24 MP baseline JPEG: %.1f ms", median(firstBox["jpeg24"].ms));
    if (median(djpegBox["jpeg24"]) > 0)
        std::printf(", %.2f x djpeg -scale 1/8 of the same files\n",
                    median(firstBox["jpeg24"].ms) / median(djpegBox["jpeg24"]));
    else
        std::printf("; djpeg missing\n");
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("PICTARN_DECODER"))
        qputenv("PICTARN_DECODER", PICTARN_BUILT_DECODER);
    Startup::addPluginFolder(argv[0]); // the helpers load the HEIF and JPEG XL readers from it
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "pass" && argc >= 3) {
        bool perBox = false;
        int threads = 0;
        for (int i = 3; i < argc; ++i) {
            perBox = perBox || qstrcmp(argv[i], "--per-box") == 0;
            writeDebug = writeDebug || qstrcmp(argv[i], "--debug") == 0;
            if (qstrcmp(argv[i], "--threads") == 0 && i + 1 < argc)
                threads = std::max(1, atoi(argv[++i]));
        }
        return runPass(argc, argv, QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath(),
                       perBox, threads);
    }
    if (mode == "slide" && argc >= 3)
        return runSlide(argc, argv, QString::fromLocal8Bit(argv[2]),
                        !(argc > 3 && qstrcmp(argv[3], "--no-wait") == 0));
    if (mode == "next" && argc >= 4)
        return runNext(argc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                       !(argc > 4 && qstrcmp(argv[4], "--no-wait") == 0));
    if (mode == "view" && argc == 4)
        return runView(argc, argv, QString::fromLocal8Bit(argv[2]), argv[3]);
    if (mode == "list" && argc == 3)
        return runList(argc, argv, QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath());
    if (mode == "run" && argc >= 3) {
        int rounds = 5;
        bool quick = false;
        for (int i = 3; i < argc; ++i) {
            if (qstrcmp(argv[i], "--quick") == 0)
                quick = true;
            else if (qstrcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
                rounds = std::max(1, atoi(argv[++i]));
        }
        if (quick && rounds == 5)
            rounds = 2;
        QCoreApplication app(argc, argv);
        const QString self = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath();
        return runAll(self, QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath(), rounds,
                      quick);
    }
    std::fprintf(stderr,
                 "usage: %s run <corpus> [--rounds N] [--quick]\n"
                 "       %s pass <folder> [--per-box] [--debug] [--threads N]\n"
                 "       %s view <file> fit|best|full\n"
                 "       %s slide <file> [--no-wait]\n"
                 "       %s next <file> <file> [--no-wait]\n"
                 "       %s list <folder>\n",
                 argv[0], argv[0], argv[0], argv[0], argv[0], argv[0]);
    return 2;
}
