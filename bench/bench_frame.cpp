// The photo frame over days, shortened: the frame runs over a folder of pictures while one
// picture is added and one removed at a steady pace, and the figures a frame must hold are
// printed: resident memory after warm-up and its drift, open descriptors, the longest pause
// of the event loop, crossfade frames a second, how long an added picture took to show, and
// any removed picture shown. Exits 1 when a picture was shown after its removal or an added
// one was not shown within a round (plus the time a change takes to be seen).
//   bench_frame [--short] [--pictures N] [--interval MS] [--churn MS] [--seconds S]
//               [--size WxH]
// --short: 30 pictures, 200 ms, a change every second, 25 s (the test suite's run). Defaults:
// 500 pictures, 1000 ms, 10000 ms, 3600 s, 240x320.
#include "procstatus.h"

#include "slideshow/framefolders.h"
#include "slideshow/frameshow.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <climits>
#include <cstdio>

namespace {

// The GUI thread's time on a core and waiting for one, in ms, from the scheduler's counts.
QPair<qint64, qint64> threadTimes()
{
    QFile file(QStringLiteral("/proc/thread-self/schedstat"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> fields = file.readAll().split(' ');
    return {fields.value(0).toLongLong() / 1000000, fields.value(1).toLongLong() / 1000000};
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// A photo-sized JPEG, different for each seed.
QByteArray picture(int seed)
{
    QImage image(1024, 768, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 1024, 768);
    gradient.setColorAt(0, QColor::fromHsv(seed * 37 % 360, 200, 220));
    gradient.setColorAt(1, QColor::fromHsv(seed * 91 % 360, 160, 90));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

bool writeFile(const QString &dir, const QString &name, const QByteArray &bytes)
{
    // Written aside and renamed in, as a copy onto the card would be seen whole.
    QFile file(dir + QStringLiteral("/.") + name + QStringLiteral(".part"));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return QFile::rename(file.fileName(), dir + QLatin1Char('/') + name);
}

// Times every event the loop hands out, to tell what made a pause: the outermost events over
// 25 ms, by receiver's class and event type.
class TimedApplication : public QApplication
{
public:
    using QApplication::QApplication;
    QHash<QString, QPair<int, qint64>> slow; // cause -> count, longest ms
    qint64 longest = 0; // ms, the longest event

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (depth > 0)
            return QApplication::notify(receiver, event);
        ++depth;
        QElapsedTimer timer;
        timer.start();
        const QEvent::Type type = event->type();
        const bool result = QApplication::notify(receiver, event);
        const qint64 took = timer.elapsed();
        --depth;
        longest = std::max(longest, took);
        if (took > 25) {
            const QString cause = QStringLiteral("%1 (%2), event %3")
                                          .arg(QLatin1String(receiver->metaObject()->className()),
                                               receiver->objectName())
                                          .arg(int(type));
            auto &entry = slow[cause];
            ++entry.first;
            entry.second = std::max(entry.second, took);
        }
        return result;
    }

private:
    int depth = 0;
};

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    const bool quick = args.contains(QStringLiteral("--short"));
    const auto option = [&args](const char *name, int fallback) {
        const int at = int(args.indexOf(QLatin1String(name)));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
    };
    const int count = option("--pictures", quick ? 30 : 500);
    const int intervalMs = option("--interval", quick ? 200 : 1000);
    const int churnMs = option("--churn", quick ? 1000 : 10000);
    const int seconds = option("--seconds", quick ? 25 : 3600);
    const int at = int(args.indexOf(QStringLiteral("--size")));
    const QString size
            = at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QStringLiteral("240x320");

    QTemporaryDir work;
    const QString screen = work.filePath(QStringLiteral("screen.json"));
    {
        QFile json(screen);
        json.open(QIODevice::WriteOnly);
        json.write(QStringLiteral("{\"screens\":[{\"name\":\"frame\",\"x\":0,\"y\":0,\"width\":%1,"
                                  "\"height\":%2}]}")
                           .arg(size.section('x', 0, 0), size.section('x', 1, 1))
                           .toUtf8());
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen));
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    TimedApplication app(argc, argv);

    const QString folder = work.filePath(QStringLiteral("pictures"));
    QDir().mkpath(folder);
    const QByteArray seedPicture = picture(0);
    QStringList present;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("p%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
        if (!writeFile(folder, name, i < 8 ? picture(i) : seedPicture))
            return 2;
        present << folder + QLatin1Char('/') + name;
    }

    FrameOptions options;
    options.folders = {folder};
    options.intervalMs = intervalMs;
    QPointer<FrameShow> show = new FrameShow(options);

    QElapsedTimer clock;
    clock.start();
    QHash<QString, qint64> added, removed; // path -> when
    qint64 slowestAdded = 0;
    int shownCount = 0, removedShown = 0, addedShown = 0, paints = 0;
    QObject::connect(show, &FrameShow::pictureShown, [&](const QString &path) {
        if (path.isEmpty())
            return;
        ++shownCount;
        if (removed.contains(path)) {
            ++removedShown;
            std::printf("removed picture shown: %s\n", qPrintable(path));
        }
        if (added.contains(path)) {
            slowestAdded = std::max(slowestAdded, clock.elapsed() - added.take(path));
            ++addedShown;
        }
    });
    struct PaintCounter : QObject
    {
        int *paints;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                ++*paints;
            return false;
        }
    } counter;
    counter.paints = &paints;
    show->installEventFilter(&counter);

    int serial = count;
    QTimer churn;
    QObject::connect(&churn, &QTimer::timeout, [&] {
        const QString name = QStringLiteral("n%1.jpg").arg(serial, 6, 10, QLatin1Char('0'));
        // Encoded beforehand: the bench's own work must not count as the frame's pauses.
        if (writeFile(folder, name, seedPicture))
            added.insert(folder + QLatin1Char('/') + name, clock.elapsed());
        ++serial;
        present << folder + QLatin1Char('/') + name;
        // The oldest go, so that the added ones stay until they are shown.
        const QString gone = present.takeFirst();
        if (QFile::remove(gone))
            removed.insert(gone, clock.elapsed());
    });

    // The event loop's pauses: a 5 ms tick that comes late. Told apart by what the GUI thread
    // did for most of the pause: ran (the frame's work), waited for a core (the machine's
    // load), or neither (blocked: a lock, a file, the window system).
    QElapsedTimer tick;
    qint64 longestPause = 0, longestBusy = 0, longestQueued = 0, longestBlocked = 0;
    QPair<qint64, qint64> times = threadTimes();
    int pausesOver25 = 0, busyOver25 = 0, queuedOver25 = 0, blockedOver25 = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 late = tick.restart() - 5;
        const QPair<qint64, qint64> now = threadTimes();
        const qint64 ran = now.first - times.first, queued = now.second - times.second;
        times = now;
        if (clock.elapsed() > 3000) // warm-up done
            longestPause = std::max(longestPause, late);
        if (clock.elapsed() > 3000 && late > 25) {
            ++pausesOver25;
            if (2 * ran >= late) {
                ++busyOver25;
                longestBusy = std::max(longestBusy, late);
            } else if (2 * queued >= late) {
                ++queuedOver25;
                longestQueued = std::max(longestQueued, late);
            } else {
                ++blockedOver25;
                longestBlocked = std::max(longestBlocked, late);
            }
        }
    });

    long rssWarm = -1, rssMin = LONG_MAX, rssMax = 0;
    int fdsWarm = -1, fdsMax = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const long rss = ProcStatus::field("VmRSS");
        const int fds = openDescriptors();
        if (clock.elapsed() < 5000)
            return;
        if (rssWarm < 0) {
            rssWarm = rss;
            fdsWarm = fds;
        }
        rssMin = std::min(rssMin, rss);
        rssMax = std::max(rssMax, rss);
        fdsMax = std::max(fdsMax, fds);
    });

    show->start();
    churn.start(churnMs);
    tick.start();
    ticker.start(5);
    sampler.start(500);
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const long rssEnd = ProcStatus::field("VmRSS");
    const int fdsEnd = openDescriptors();

    const int cycleMs = count * intervalMs;
    const qint64 allowed = cycleMs + FrameFolders::pollMilliseconds
                           + FrameFolders::settleMilliseconds + 2 * intervalMs;
    int missed = 0;
    for (auto it = added.cbegin(); it != added.cend(); ++it) {
        if (clock.elapsed() - it.value() > allowed)
            ++missed;
    }
    const double fadeSeconds = std::min(FrameShow::fadeMilliseconds, intervalMs / 2) / 1000.0;
    std::printf("frame soak: %d pictures at %s, %d ms each, a change every %d ms, %d s\n", count,
                qPrintable(size), intervalMs, churnMs, seconds);
    std::printf("shown %d, added %d (shown %d, not yet due %d, late %d), removed %d, removed shown "
                "%d\n",
                shownCount, serial - count, addedShown, int(added.size()) - missed, missed,
                int(removed.size()), removedShown);
    std::printf("slowest added picture to screen: %lld ms (a round is %d ms)\n",
                static_cast<long long>(slowestAdded), cycleMs);
    std::printf("resident memory after warm-up %ld kB, range %ld-%ld kB, at the end %ld kB "
                "(drift %+ld kB)\n",
                rssWarm, rssMin, rssMax, rssEnd, rssEnd - rssWarm);
    std::printf("open descriptors after warm-up %d, at most %d, at the end %d\n", fdsWarm, fdsMax,
                fdsEnd);
    std::printf("event loop: longest pause %lld ms, %d pauses over 25 ms\n",
                static_cast<long long>(longestPause), pausesOver25);
    std::printf("  the GUI thread mostly running %d (longest %lld ms), waiting for a core %d "
                "(%lld ms), blocked %d (%lld ms); longest single event %lld ms\n",
                busyOver25, static_cast<long long>(longestBusy), queuedOver25,
                static_cast<long long>(longestQueued), blockedOver25,
                static_cast<long long>(longestBlocked), static_cast<long long>(app.longest));
    if (shownCount > 0)
        std::printf("crossfade: about %.0f frames a second (%d paints over %d pictures)\n",
                    (double(paints) / shownCount - 1) / fadeSeconds, paints, shownCount);
    for (auto it = app.slow.cbegin(); it != app.slow.cend(); ++it)
        std::printf("  events over 25 ms: %s: %d, longest %lld ms\n", qPrintable(it.key()),
                    it.value().first, static_cast<long long>(it.value().second));
    delete show; // quit() closed it already in Qt 6
    return removedShown > 0 || missed > 0 ? 1 : 0;
}
