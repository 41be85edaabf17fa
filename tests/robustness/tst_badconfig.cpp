#include "common/testmain.h"
#include "common/testutil.h"
#include "tst_robustness.h"

#include "app/pictarn.h"
#include "app/settings.h"
#include "browse/imagelistview.h"
#include "slideshow/slideshow.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailcache.h"
#include "thumbs/thumbnailview.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <climits>

using R = tst_Robustness;

class tst_BadConfig : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> root;

    void writeRaw(const QByteArray &contents)
    {
        QVERIFY(TestUtil::writeConfig(QString()));
        QFile file(TestUtil::configFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(contents), contents.size());
    }

    QString makeImages(int count)
    {
        const QString dir = root->path() + QStringLiteral("/images");
        QDir().mkpath(dir);
        for (int i = 0; i < count; ++i) {
            if (!TestUtil::writeImage(dir + QStringLiteral("/%1.png").arg(i), 30 + i, 20))
                return QString();
        }
        return dir;
    }

private slots:
    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        qputenv("PICTARN_DOCUMENTS", QFile::encodeName(root->path() + QStringLiteral("/docs")));
    }

    void cleanup()
    {
        R::closeStrayWindows();
        root.reset();
    }

    void theProgramStartsAndWorks_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("bookmarks");

        QByteArray garbage;
        for (int i = 0; i < 8192; ++i)
            garbage.append(char((i * 2654435761u) >> 24));
        QTest::newRow("binary garbage") << garbage << 0 << 0;
        QTest::newRow("garbage after a good start")
                << QByteArray("[Settings]\nview=1\n") + garbage << 1 << 0;
        QTest::newRow("wrong types") << QByteArray("[Settings]\nview=list\nslideDelay=fast\n"
                                                   "thumbFileSize=big\nimageFullScreen=maybe\n"
                                                   "[Bookmarks]\nnumBookmarks=two\nname0=x\n")
                                     << 0 << 0;
        QTest::newRow("lists for numbers")
                << QByteArray("[Settings]\nview=1, 2\nthumbFileSize=0, 1\n"
                              "[Bookmarks]\nnumBookmarks=1\nname0=a, b\ndir0=c, d\n")
                << 0 << 1;
        QTest::newRow("negative numbers") << QByteArray("[Settings]\nview=-1\nthumbFileSize=-1\n"
                                                        "[Bookmarks]\nnumBookmarks=-5\n")
                                          << 1 << 0;
        QTest::newRow("lowest numbers")
                << QByteArray("[Settings]\nview=-2147483648\nthumbFileSize=-2147483648\n"
                              "slideDelay=-2147483648\n[Bookmarks]\nnumBookmarks=-2147483648\n")
                << 1 << 0;
        QTest::newRow("huge numbers")
                << QByteArray("[Settings]\nview=2147483647\nthumbFileSize=2147483647\n"
                              "slideDelay=2147483647\n")
                << 1 << 0;
        QTest::newRow("beyond int") << QByteArray("[Settings]\nview=99999999999\n"
                                                  "thumbFileSize=99999999999\n"
                                                  "[Bookmarks]\nnumBookmarks=99999999999\n")
                                    << 0 << 0;
        QTest::newRow("huge bookmark count")
                << QByteArray("[Bookmarks]\nnumBookmarks=2147483647\nname0=First\ndir0=/nowhere\n")
                << 0 << Settings::maxBookmarks;
        QTest::newRow("ordinary bookmark count")
                << QByteArray("[Bookmarks]\nnumBookmarks=3\nname0=First\ndir0=/nowhere\n") << 0
                << 3;
        QTest::newRow("NUL bytes")
                << QByteArray("[Settings]\nview=\0\0\0\n[Book\0marks]\n", 32) << 0 << 0;
    }

    void theProgramStartsAndWorks()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, view);
        QFETCH(int, bookmarks);
        writeRaw(contents);
        const QString dir = makeImages(3);
        QVERIFY(!dir.isEmpty());
        const auto before = Crafted::snapshot(dir);

        {
            Pictarn window;
            QCOMPARE(R::settings(window)->view() != 0, view != 0);
            auto *stack = window.findChild<QStackedWidget *>();
            QVERIFY(stack);
            QCOMPARE(stack->currentIndex(), view);
            QCOMPARE(int(R::settings(window)->bookmarks().size()), bookmarks);
            if (bookmarks > 0 && contents.contains("name0=First"))
                QCOMPARE(R::settings(window)->bookmarks().at(0)->name(), QStringLiteral("First"));

            R::loadFolder(window, dir);
            R::settle();
            QCOMPARE(R::listedSizes(window), QStringList({"30x20", "31x20", "32x20"}));
            for (int i = 0; i < 3; ++i)
                QVERIFY(R::thumbnailView(window)->boxAt(i)->isThumbLoaded());
            // The images are far below any threshold but 0; a negative one keeps nothing.
            QCOMPARE(QFile::exists(ThumbnailCache::filePath(dir + QStringLiteral("/0.png"))),
                     R::settings(window)->thumbFileSize() == 0);

            R::useViewer(window, dir + QStringLiteral("/1.png"), QSize(31, 20));
            if (QTest::currentTestFailed())
                return;

            // The show starts on the first image and can be stepped through whatever its delay.
            R::settings(window)->setControlBarInSlide(false);
            if (R::settings(window)->slideDelay() > 0) {
                R::runSlideShow(window, {true, true, true});
            } else {
                R::startSlideShow(window);
                const QPointer<SlideShow> show(R::slideShow());
                QVERIFY(show);
                QTRY_VERIFY(show.isNull());
            }
        }

        // The file the program leaves behind reads back as it was left.
        Settings again;
        again.load();
        QCOMPARE(again.view() != 0, view != 0);
        QCOMPARE(int(again.bookmarks().size()), bookmarks);
        QCOMPARE(Crafted::snapshot(dir), before);
    }

    void aNegativeDelayDoesNotStallTheShow_data()
    {
        QTest::addColumn<QByteArray>("delay");
        QTest::newRow("-1") << QByteArray("-1");
        QTest::newRow("-30") << QByteArray("-30");
        QTest::newRow("lowest int") << QByteArray("-2147483648");
    }

    void aNegativeDelayDoesNotStallTheShow()
    {
        QFETCH(QByteArray, delay);
        writeRaw("[Settings]\ncontrolBarInSlide=false\nslideDelay=" + delay + "\n");
        const QString dir = makeImages(4);
        QVERIFY(!dir.isEmpty());
        Pictarn window;
        QVERIFY(R::settings(window)->slideDelay() < 0);
        R::loadFolder(window, dir);
        R::settle();
        R::startSlideShow(window);
        const QPointer<SlideShow> show(R::slideShow());
        QVERIFY(show);
        auto *counter = show->findChild<QLabel *>(QStringLiteral("counter"));
        QStringList seen;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (show && (seen.isEmpty() || seen.constLast() != counter->text()))
                seen << counter->text();
        });
        watch.start(0);
        // Each image is shown in turn and the show closes after the last, all by itself.
        QTRY_VERIFY(show.isNull());
        QVERIFY(seen.contains(QStringLiteral("4/4")));
    }
};

PICTARN_TEST(tst_BadConfig)
#include "tst_badconfig.moc"
