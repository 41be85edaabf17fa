// The date-taken order over a folder of photos: the first sort (every photo's EXIF block read)
// and a second visit (the dates kept in .ptthumbs), timed, and the order checked against the
// folder's expected.txt (its names by date). Make the folder with bench/make-exif-corpus.sh;
// run on one core with taskset -c 0.
#include "browse/sortorder.h"
#include "thumbs/takendate.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // --again: the dates kept by an earlier run, the second visit alone (to profile it).
    const bool again = argc == 3 && qstrcmp(argv[2], "--again") == 0;
    if (argc != 2 && !again) {
        std::fprintf(stderr,
                     "usage: bench_sortorder FOLDER [--again] (with photos/ and expected.txt)\n");
        return 2;
    }
    const QString top = QString::fromLocal8Bit(argv[1]);
    QFile expectedFile(top + QStringLiteral("/expected.txt"));
    if (!expectedFile.open(QIODevice::ReadOnly))
        return 2;
    const QString expected = QString::fromUtf8(expectedFile.readAll()).trimmed();
    const QString photos = top + QStringLiteral("/photos");
    if (!again)
        QDir(photos + QStringLiteral("/.ptthumbs")).removeRecursively();
    QStringList paths;
    for (const QString &name : QDir(photos).entryList(QDir::Files, QDir::Unsorted))
        paths << photos + QLatin1Char('/') + name;
    const SortOrder order(SortOrder::DateTaken, false);
    for (const char *visit : {"first", "second (kept dates)"}) {
        if (again && visit[0] == 'f')
            continue;
        TakenDate::forget();
        const int before = TakenDate::photosRead();
        QElapsedTimer clock;
        clock.start();
        const QStringList sorted = order.sorted(paths);
        const qint64 ms = clock.elapsed();
        QStringList names;
        for (const QString &path : sorted)
            names << QFileInfo(path).fileName();
        std::printf("%s sort by date taken of %lld photos: %lld ms, %d photos read, order %s\n",
                    visit, qlonglong(paths.size()), qlonglong(ms), TakenDate::photosRead() - before,
                    names.join(QLatin1Char('\n')) == expected ? "right" : "WRONG");
    }
    return 0;
}
