// A folder of 100,000 pictures, measured from the program itself (offscreen, the main window
// as a user starts it). One measurement per process, so that each memory figure is its own:
//
//   bench_bigfolder list <folder> <images> [--order date|filedate|size]
//                                            listing and sorting; the longest event-loop pause;
//                                            in another order than the name's, until its facts
//                                            are read
//   bench_bigfolder open <image>             `pictarn <image>`: until the picture is painted;
//                                            then the viewer opened again three times
//   bench_bigfolder grid <folder> [--full]   first screen of previews; with --full also the
//                                            pass's end, its memory, a jump to the end and a
//                                            scroll from end to end
//   bench_bigfolder folders <parent>         every folder under parent named at once
//
// Each prints one line of figures in milliseconds and kilobytes; scripts/bigfolder-bench.sh
// makes the folders and runs them.

#include "app/pictarn.h"
#include "browse/folderlister.h"
#include "browse/imagelistview.h"
#include "browse/sortmenu.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailview.h"
#include "viewer/imagewidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include "procstatus.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

QElapsedTimer clock_;
double now()
{
    return clock_.nsecsElapsed() / 1e6;
}

// The longest gap between two turns of the event loop, from a precise timer of a short
// interval: one of zero interval would keep the loop from ever sleeping and, on one core, take
// the core from the work measured. A gap reads up to the interval more than the pause.
constexpr int meterInterval = 2; // ms
struct PauseMeter
{
    QTimer timer;
    double last = 0;
    double longest = 0;
    double longestAt = 0; // when it ended
    PauseMeter()
    {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(meterInterval);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const double t = now();
            if (t - last > longest) {
                longest = t - last;
                longestAt = t;
            }
            last = t;
        });
        last = now();
        timer.start();
    }
};

// Runs the event loop until done() holds or limit ms pass; the time it held, or -1. It sleeps
// until an event comes (what done() looks at changes only in events), so it takes no core.
double waitFor(const std::function<bool()> &done, double limit = 120000)
{
    QTimer wake; // the limit, even when nothing else happens
    wake.setSingleShot(true);
    wake.start(std::max(0, int(limit - now()) + 1));
    while (!done()) {
        if (now() >= limit)
            return -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return now();
}

bool firstScreenShown(ThumbnailView *view)
{
    if (view->boxCount() == 0)
        return false;
    // The boxes whose top is in the viewport.
    const int top = view->verticalScrollBar()->value();
    const int bottom = top + view->viewport()->height();
    for (int n = 0; n < view->boxCount(); ++n) {
        ImageBox *box = view->boxAt(n);
        if (box->y() > bottom)
            break;
        if (box->y() + box->height() >= top && !box->isThumbLoaded())
            return false;
    }
    return true;
}

// First in sight, from the viewport's top row.
int firstInSight(ThumbnailView *view)
{
    const int row = std::max(0, (view->verticalScrollBar()->value() - 4) / 103);
    return row * 2;
}

bool screenShownAt(ThumbnailView *view)
{
    const int top = view->verticalScrollBar()->value();
    const int bottom = top + view->viewport()->height();
    for (int n = firstInSight(view); n < view->boxCount(); ++n) {
        ImageBox *box = view->boxAt(n);
        if (box->y() > bottom)
            break;
        if (box->y() + box->height() >= top && !box->isThumbLoaded())
            return false;
    }
    return true;
}

int run(const QByteArray &mode, const QString &target, int images, bool full,
        const QByteArray &order)
{
    auto *window = new Pictarn;
    window->resize(240, 320);
    auto *view = window->findChild<ThumbnailView *>();
    auto *list = window->findChild<ImageListView *>();
    auto *lister = window->findChild<FolderLister *>();
    // Chosen from the menu before the folder is named, as a user who sorts by it has it.
    const SortOrder::Key key = order == "date"       ? SortOrder::DateTaken
                               : order == "filedate" ? SortOrder::FileDate
                               : order == "size"     ? SortOrder::Size
                                                     : SortOrder::Name;
    bool factsRead = false;
    QObject::connect(list, &ImageListView::factsRead, [&factsRead] { factsRead = true; });
    if (key != SortOrder::Name)
        emit window->findChild<SortMenu *>()->orderChosen(SortOrder(key, false));
    QCoreApplication::processEvents();
    factsRead = false;
    const long before = ProcStatus::field("VmRSS");
    clock_.start();
    PauseMeter pauses;
    QStringList paths{target};
    if (mode == "folders") {
        paths.clear();
        for (const QString &name : QDir(target).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            paths << target + QLatin1Char('/') + name;
    }
    QMetaObject::invokeMethod(window, "openPaths", Qt::DirectConnection, Q_ARG(QStringList, paths));
    const double returned = now();
    if (mode == "list") {
        const double listed = waitFor(
                [&] { return list->topLevelItemCount() >= images && !lister->isListing(); });
        const double firstRows = returned;
        std::printf("LIST listed %.0f ms, openPaths returned %.0f ms, longest pause %.1f ms "
                    "(ending at %.0f ms), %d rows, first row %s, resident %ld kB\n",
                    listed, firstRows, pauses.longest, pauses.longestAt, list->topLevelItemCount(),
                    list->topLevelItemCount() ? qPrintable(list->topLevelItem(0)->text(0)) : "-",
                    ProcStatus::field("VmRSS"));
        if (key != SortOrder::Name) {
            const double sorted = waitFor([&] { return factsRead && !list->isReadingFacts(); });
            std::printf("FACTS read and sorted %.0f ms, longest pause %.1f ms, first row %s, "
                        "files read %.2f times each\n",
                        sorted, pauses.longest, qPrintable(list->topLevelItem(0)->text(0)),
                        double(ImageListView::filesReadForFacts()) / list->topLevelItemCount());
        }
        return 0;
    }
    if (mode == "open") {
        double painted = -1;
        struct Filter : QObject
        {
            double *painted;
            bool eventFilter(QObject *object, QEvent *event) override
            {
                if (event->type() == QEvent::Paint && *painted < 0) {
                    auto *widget = qobject_cast<ImageWidget *>(object);
                    if (widget && widget->shownPixmap() && !widget->shownPixmap()->isNull())
                        QTimer::singleShot(0, [p = painted] { *p = now(); });
                }
                return false;
            }
        } filter;
        filter.painted = &painted;
        qApp->installEventFilter(&filter);
        waitFor([&] { return painted >= 0; });
        const int rows = list->topLevelItemCount();
        const double listed = waitFor([&] { return !lister->isListing(); });
        std::printf("OPEN painted %.0f ms, %d rows listed then, all listed %.0f ms, longest "
                    "pause %.1f ms\n",
                    painted, rows, listed, pauses.longest);
        // The viewer opened again on the listed folder, as a tap on a box does: the call alone.
        std::printf("REOPEN");
        for (int n = 0; n < 3; ++n) {
            const double at = now();
            QMetaObject::invokeMethod(window, "showImage", Qt::DirectConnection,
                                      Q_ARG(QString, target));
            std::printf(" %.2f", now() - at);
            waitFor([] { return false; }, now() + 200);
        }
        std::printf(" ms\n");
        return 0;
    }
    const double first = waitFor([&] { return firstScreenShown(view); });
    const double listed = waitFor([&] { return !lister->isListing(); });
    std::printf("GRID first screen %.0f ms, listed %.0f ms, %d images, longest pause %.1f ms "
                "(ending at %.0f ms)\n",
                first, listed, view->boxCount(), pauses.longest, pauses.longestAt);
    if (!full)
        return 0;
    const double passed = waitFor([&] { return !view->isLoading(); }, 900000);
    QCoreApplication::processEvents();
    const long afterPass = ProcStatus::field("VmRSS");
    std::printf("PASS over %.0f ms, resident %ld kB (%ld kB before the window listed)\n", passed,
                afterPass, before);
    const double jumpAt = now();
    view->selectBox(view->boxCount() - 1);
    // The limit counts from the start: a pass longer than it would leave no time.
    const double jumped = waitFor([&] { return screenShownAt(view); }, jumpAt + 120000);
    std::printf("JUMP to the end shown in %.0f ms\n", jumped - jumpAt);
    long largest = 0;
    QScrollBar *bar = view->verticalScrollBar();
    const double scrollAt = now();
    for (int at = bar->maximum(); at >= 0; at -= view->viewport()->height()) {
        bar->setValue(at);
        QCoreApplication::processEvents();
        largest = std::max(largest, ProcStatus::field("VmRSS"));
    }
    for (int at = 0; at <= bar->maximum(); at += view->viewport()->height()) {
        bar->setValue(at);
        QCoreApplication::processEvents();
        largest = std::max(largest, ProcStatus::field("VmRSS"));
    }
    QCoreApplication::processEvents();
    std::printf("SCROLL end to end and back in %.0f ms: resident at most %ld kB, %ld kB after\n",
                now() - scrollAt, largest, ProcStatus::field("VmRSS"));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s list <folder> <images> [--order date|filedate|size] | open <image> "
                     "| grid <folder> [--full] "
                     "| folders <parent>\n",
                     argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    qputenv("QT_LOGGING_RULES", "pictarn.debug=false");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    if (qEnvironmentVariableIsEmpty("PICTARN_DECODER"))
        qputenv("PICTARN_DECODER", PICTARN_BUILT_DECODER);
    QApplication app(argc, argv);
    const QByteArray mode = argv[1];
    const QString target = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    const int images = argc > 3 ? atoi(argv[3]) : 0;
    const bool full = argc > 3 && qstrcmp(argv[3], "--full") == 0;
    const QByteArray order = argc > 5 && qstrcmp(argv[4], "--order") == 0 ? argv[5] : "";
    return run(mode, target, images, full, order);
}
