#include "common/testmain.h"
#include "common/testutil.h"

#include "slideshow/blankschedule.h"
#include "slideshow/framefolders.h"
#include "slideshow/frameplaylist.h"
#include "slideshow/frameshow.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScopeGuard>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QList<FramePicture> pictures(const QStringList &names)
{
    QList<FramePicture> list;
    const QDateTime base(QDate(2026, 1, 1), QTime(0, 0));
    // "name@hours" dates a picture hours after the base; plain names share the base.
    for (const QString &name : names) {
        const QStringList parts = name.split('@');
        list.append({parts[0], base.addSecs(parts.value(1).toInt() * 3600)});
    }
    return list;
}

} // namespace

class tst_Frame : public QObject
{
    Q_OBJECT
private slots:
    // The pictures handed out round after round, with pictures coming and going between steps.
    // script: "+name@h" adds, "-name" removes, "n" takes the next picture, "p" steps back.
    void playlist_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("shown"); // for NewestFirst; "" checks only rounds
        QTest::newRow("newest first, ties by name")
                << int(FramePlaylist::NewestFirst) << QStringList{"a@1", "c@3", "b@3", "d@2"}
                << "n n n n n"
                << "b c d a b";
        QTest::newRow("newest first, an added picture comes next, a removed one never")
                << int(FramePlaylist::NewestFirst) << QStringList{"a@1", "b@2", "c@3"}
                << "n +n@9 n -b n n"
                << "c n a n";
        QTest::newRow("newest first, a step back shows the one before, then on again")
                << int(FramePlaylist::NewestFirst) << QStringList{"a@1", "b@2", "c@3"}
                << "n n p n n"
                << "c b c b a";
        QTest::newRow("shuffled, seven over four rounds")
                << int(FramePlaylist::Shuffled) << QStringList{"a", "b", "c", "d", "e", "f", "g"}
                << "n n n n n n n n n n n n n n n n n n n n n n n n n n n n"
                << "";
        QTest::newRow("shuffled, churn mid-round")
                << int(FramePlaylist::Shuffled) << QStringList{"a", "b", "c", "d", "e"}
                << "n n +x -a -b -c -d -e +y n n n n n n"
                << "";
        QTest::newRow("one picture") << int(FramePlaylist::Shuffled) << QStringList{"a"} << "n n n"
                                     << "a a a";
        QTest::newRow("none, then one")
                << int(FramePlaylist::Shuffled) << QStringList{} << "n +a n -a n"
                << " a ";
    }

    void playlist()
    {
        QFETCH(int, order);
        QFETCH(QStringList, start);
        QFETCH(QString, script);
        QFETCH(QString, shown);
        QSet<QString> orders; // what each seed showed
        for (quint32 seed : {1u, 2u, 3u, 4u, 5u}) {
            FramePlaylist list(FramePlaylist::Order(order), seed);
            QStringList names = start;
            list.setPictures(pictures(names));
            QStringList seen, removed;
            QSet<QString> round; // shown since the last round began
            for (const QString &step : script.split(' ')) {
                if (step.startsWith('+') || step.startsWith('-')) {
                    const QString name = step.mid(1).section('@', 0, 0);
                    if (step.startsWith('+')) {
                        names << step.mid(1);
                    } else {
                        names.removeIf([&](const QString &n) {
                            return n.startsWith(name + '@') || n == name;
                        });
                        removed << name;
                    }
                    list.setPictures(pictures(names));
                    continue;
                }
                if (step == "p" && !seen.isEmpty())
                    round.remove(seen.last()); // it comes again
                const QString path = step == "p" ? list.previous() : list.next();
                QVERIFY2(!removed.contains(path) || names.contains(path), qPrintable(path));
                if (step == "n" && !path.isEmpty()) {
                    // No picture twice before every other has had its turn.
                    if (round.size() >= names.size())
                        round.clear();
                    QVERIFY2(!round.contains(path), qPrintable(script + ": " + path));
                    round.insert(path);
                }
                seen << path;
            }
            if (!shown.isEmpty())
                QCOMPARE(seen.join(' '), shown);
            orders.insert(seen.join(' '));
        }
        // Shuffled means another order for another seed.
        if (shown.isEmpty())
            QVERIFY(orders.size() > 1);
    }

    void folders()
    {
        QTemporaryDir dir;
        const QString top = dir.path();
        QVERIFY(TestUtil::writeImages(top, {"a.png", "notes.txt"}));
        QVERIFY(TestUtil::writeImages(top + "/sub", {"b.jpg"}));
        QVERIFY(TestUtil::writeImages(top + "/.ptthumbs", {"c.png"}));
        QString deep = top + "/sub";
        for (int i = 0; i <= FrameFolders::maxDepth + 1; ++i)
            deep += "/d";
        QVERIFY(TestUtil::writeImages(deep, {"deep.png"}));
        // A loop back to the top: read once, not forever.
        QVERIFY(QFile::link(top, top + "/sub/loop"));
        const auto names = [&](bool recursive) {
            QStringList found;
            for (const FramePicture &picture :
                 FrameFolders::scan({top, top + "/missing"}, recursive).pictures)
                found << QDir(top).relativeFilePath(picture.path);
            return found.join(' ');
        };
        QCOMPARE(names(false), QString("a.png"));
        QCOMPARE(names(true), QString("a.png sub/b.jpg"));
        QVERIFY(FrameFolders::scan({top}, true, [] { return true; }).pictures.isEmpty());
        // Read in a worker: nothing is known when start() returns, all of it soon after.
        FrameFolders watched({top}, true);
        QSignalSpy changed(&watched, &FrameFolders::changed);
        watched.start();
        QVERIFY(watched.pictures().isEmpty());
        QVERIFY(changed.wait());
        QCOMPARE(watched.pictures().size(), 2);

        // Newest first: by the date taken, else by the file's date.
        const QList<std::tuple<QString, QString, QDate>> photos{
                {"old.jpg", "2010:01:01 00:00:00", {2023, 1, 1}},
                {"plain.png", "", {2015, 1, 1}},
                {"new.jpg", "2020:01:01 00:00:00", {2001, 1, 1}}};
        for (const auto &[name, taken, date] : photos) {
            const QString path = top + "/sub/" + name;
            QVERIFY(TestUtil::writeImage(path, 8, 8));
            if (!taken.isEmpty() && !TestUtil::writeExif(path, {"-DateTimeOriginal=" + taken}))
                QSKIP("exiftool is missing");
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append)
                    && file.setFileTime(QDateTime(date, {}), QFileDevice::FileModificationTime));
        }
        FramePlaylist list(FramePlaylist::NewestFirst);
        list.setPictures(FrameFolders::scan({top + "/sub"}, false).pictures);
        QStringList shown;
        for (int i = 0; i < 4; ++i)
            shown << QFileInfo(list.next()).fileName();
        QCOMPARE(shown.join(' '), QString("b.jpg new.jpg plain.png old.jpg"));
    }

    // Filling the screen, up as well as down, keeping the shape; transparency on black.
    void fitted_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("small photo, big screen")
                << QSize(800, 600) << QSize(1280, 800) << QSize(1066, 800);
        QTest::newRow("square, portrait screen")
                << QSize(100, 100) << QSize(240, 320) << QSize(240, 240);
        QTest::newRow("already fits") << QSize(240, 180) << QSize(240, 320) << QSize(240, 180);
        QTest::newRow("too big") << QSize(960, 1280) << QSize(240, 320) << QSize(240, 320);
    }

    void fitted()
    {
        QFETCH(QSize, image);
        QFETCH(QSize, screen);
        QImage picture(image, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        const QImage shown = FrameShow::fitted(picture, screen);
        QTEST(shown.size(), "shown");
        QCOMPARE(shown.pixel(shown.width() / 2, shown.height() / 2), qRgb(0, 0, 0));
    }

    void schedule_data()
    {
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("time");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<int>("minutesToChange"); // -1: never
        QTest::newRow("over midnight, late") << "22:30-07:00"
                                             << "23:59" << true << 421;
        QTest::newRow("over midnight, early") << "22:30-07:00"
                                              << "06:59" << true << 1;
        QTest::newRow("over midnight, day") << "22:30-07:00"
                                            << "07:00" << false << 930;
        QTest::newRow("over midnight, start") << "22:30-07:00"
                                              << "22:30" << true << 510;
        QTest::newRow("within a day") << "1:00-5:30"
                                      << "00:30" << false << 30;
        QTest::newRow("within a day, end") << "01:00-05:30"
                                           << "05:30" << false << 1170;
        QTest::newRow("same times: never") << "07:00-07:00"
                                           << "07:00" << false << -1;
        QTest::newRow("hour out of range") << "24:00-07:00"
                                           << "23:00" << false << -1;
        QTest::newRow("not a range") << "22:30"
                                     << "23:00" << false << -1;
    }

    void schedule()
    {
        QFETCH(QString, range);
        QFETCH(QString, time);
        QFETCH(int, minutesToChange);
        const BlankSchedule schedule = BlankSchedule::parse(range);
        const QTime at = QTime::fromString(time, "HH:mm");
        QTEST(schedule.isDark(at), "dark");
        const int msecs = schedule.msecsToChange(at);
        QCOMPARE(msecs < 0 ? -1 : msecs / 60000, minutesToChange);
    }

    // Pictures that come and go while the frame runs; the dark hours on an injected clock.
    void frameShow()
    {
        QTemporaryDir dir;
        QVERIFY(TestUtil::writeImages(dir.path(), {"a.png", "b.png", "c.png", "d.png"}, 64));
        QDateTime now(QDate(2026, 12, 7), QTime(21, 59));
        FrameOptions options;
        options.folders = {dir.path()};
        options.intervalMs = 0;
        options.blank = BlankSchedule::parse("22:00-07:00");
        QPointer<FrameShow> show = new FrameShow(options, [&now] { return now; });
        const auto cleanup = qScopeGuard([&show] { delete show; });
        QStringList shown;
        connect(show, &FrameShow::pictureShown,
                [&shown](const QString &path) { shown << QFileInfo(path).fileName(); });
        show->start();
        QTRY_VERIFY(shown.size() >= 4);
        // Drawn, and filling the screen's width however small the file.
        const QImage screen = show->grab().toImage();
        QVERIFY(qRed(screen.pixel(screen.width() - 1, screen.height() / 2)) > 100);

        QVERIFY(QFile::remove(dir.path() + "/b.png"));
        QVERIFY(TestUtil::writeImages(dir.path(), {"e.png"}, 64));
        const int removedAt = int(shown.size());
        // Seen within one round once the folder was read again.
        QTRY_VERIFY_WITH_TIMEOUT(shown.mid(removedAt).contains("e.png"), 6000);
        QTRY_VERIFY(shown.size() > removedAt + 8);
        QVERIFY(!show->playlist().contains(dir.path() + "/b.png"));
        QVERIFY2(!shown.mid(removedAt + 1).contains("b.png"), qPrintable(shown.join(' ')));

        now = now.addSecs(120);
        show->checkSchedule();
        QVERIFY(show->isDark());
        shown.clear();
        QTest::qWait(50);
        QCOMPARE(shown, QStringList()); // nothing decoded while dark
        QTest::mousePress(show, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(show, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!show->isDark());
        QTRY_VERIFY(!shown.isEmpty());
        now = now.addSecs(1);
        show->checkSchedule();
        QVERIFY(show->isDark());
        now = now.addSecs(9 * 3600);
        show->checkSchedule();
        QVERIFY(!show->isDark());
        show->close();
        QTRY_VERIFY(!show);
    }
};

PICTARN_TEST(tst_Frame)
#include "tst_frame.moc"
