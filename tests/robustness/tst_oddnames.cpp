#include "common/testmain.h"
#include "common/testutil.h"
#include "tst_robustness.h"

#include "app/pictarn.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailcache.h"
#include "thumbs/thumbnailview.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using R = tst_Robustness;

class tst_OddNames : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> root;

private slots:
    void init() { QVERIFY(R::beginCase(root)); }
    void cleanup() { R::endCase(root); }

    void everyStepCopesWithTheName_data()
    {
        QTest::addColumn<QByteArray>("rawName"); // as the file system holds it
        QTest::addColumn<QString>("listed"); // null: left out of the list

        const QByteArray longAscii = QByteArray(251, 'n') + ".png";
        QByteArray longWide;
        for (int i = 0; i < 83; ++i)
            longWide += "\xe5\x9b\xbe"; // three bytes each
        longWide += "ab.png";
        QCOMPARE(longAscii.size(), 255);
        QCOMPARE(longWide.size(), 255);

        QTest::newRow("spaces") << QByteArray("  two  spaces  .png")
                                << QStringLiteral("  two  spaces  .png");
        QTest::newRow("quotes") << QByteArray("it's \"quoted\".png")
                                << QStringLiteral("it's \"quoted\".png");
        QTest::newRow("newline") << QByteArray("line\nbreak.png")
                                 << QStringLiteral("line\nbreak.png");
        QTest::newRow("shell characters")
                << QByteArray("-rf $HOME `x` *;|&.png") << QStringLiteral("-rf $HOME `x` *;|&.png");
        QTest::newRow("255 bytes") << longAscii << QString::fromLatin1(longAscii);
        QTest::newRow("255 bytes of utf-8") << longWide << QString::fromUtf8(longWide);
        // Bytes that are no UTF-8 cannot be named again from the decoded text: such a file is
        // left out of the list rather than shown as one that fails.
        QTest::newRow("latin-1 byte") << QByteArray("caf\xe9.png") << QString();
        QTest::newRow("stray bytes") << QByteArray("\xff\xfe.jpg") << QString();
    }

    void everyStepCopesWithTheName()
    {
        QFETCH(QByteArray, rawName);
        QFETCH(QString, listed);
        const QSize size(64, 48);

        const QString dir = root->path() + QStringLiteral("/names");
        QVERIFY(QDir().mkpath(dir));
        const QByteArray picture = rawName.endsWith(".jpg")
                                           ? Crafted::jpeg(Crafted::gradient(64, 48))
                                           : Crafted::png(Crafted::gradient(64, 48));
        QVERIFY(Crafted::write(QFile::encodeName(dir) + '/' + rawName, picture));
        const auto before = Crafted::snapshot(dir);
        QCOMPARE(before.size(), 1);
        // Checked however the steps end, once the windows are gone.
        const auto unchanged = qScopeGuard([&] { QCOMPARE(Crafted::snapshot(dir), before); });

        {
            Pictarn window;
            R::loadFolder(window, dir);
            if (listed.isNull()) {
                QVERIFY(R::listedNames(window).isEmpty());
                R::settle();
                QCOMPARE(R::thumbnailView(window)->boxCount(), 0);
                R::startSlideShow(window);
                QVERIFY(!R::slideShow());
                return;
            }
            QCOMPARE(R::listedNames(window), QStringList(listed));
            R::settle();
            const ImageBox *box = R::thumbnailView(window)->boxAt(0);
            QVERIFY(box->isThumbLoaded());
            QCOMPARE(QSize(box->imageWidth(), box->imageHeight()), size);
            QCOMPARE(box->fileName(), listed);
            const QString path = dir + QLatin1Char('/') + listed;
            QCOMPARE(box->imagePath(), path);
            QVERIFY(QFile::exists(ThumbnailCache::filePath(path)));
            QVERIFY(Crafted::damagedCacheFiles(ThumbnailCache::folderPath(path)).isEmpty());

            R::useViewer(window, path, size);
            if (QTest::currentTestFailed())
                return;
            R::runSlideShow(window, {true});
            if (QTest::currentTestFailed())
                return;

            Pictarn again;
            R::loadFolder(again, dir);
            R::settle();
            QCOMPARE(R::listedSizes(again), QStringList(QStringLiteral("64x48")));
        }
    }

    void namesDifferingInCaseAreTwoImages()
    {
        const QString dir = root->path();
        QVERIFY(TestUtil::writeImage(dir + QStringLiteral("/Photo.png"), 30, 20));
        QVERIFY(TestUtil::writeImage(dir + QStringLiteral("/photo.png"), 50, 40));
        QVERIFY(TestUtil::writeImage(dir + QStringLiteral("/PHOTO.PNG"), 70, 60));
        if (Crafted::snapshot(dir).size() != 3)
            QSKIP("this file system does not tell names apart by case");
        const auto before = Crafted::snapshot(dir);
        {
            Pictarn window;
            R::loadFolder(window, dir);
            R::settle();
            QCOMPARE(R::listedNames(window),
                     QStringList({QStringLiteral("PHOTO.PNG"), QStringLiteral("Photo.png"),
                                  QStringLiteral("photo.png")}));
            QCOMPARE(R::listedSizes(window),
                     QStringList({QStringLiteral("70x60"), QStringLiteral("30x20"),
                                  QStringLiteral("50x40")}));
            QCOMPARE(QDir(ThumbnailCache::folderPath(dir + QStringLiteral("/x.png")))
                             .entryList(QDir::Files, QDir::Name),
                     QStringList({QStringLiteral("PHOTO.PNG"), QStringLiteral("Photo.png"),
                                  QStringLiteral("photo.png")}));
            R::useViewer(window, dir + QStringLiteral("/photo.png"), QSize(50, 40));
            if (QTest::currentTestFailed())
                return;
            R::runSlideShow(window, {true, true, true});
            if (QTest::currentTestFailed())
                return;

            // Read back from the cache, each keeps its own size.
            Pictarn again;
            R::loadFolder(again, dir);
            R::settle();
            QCOMPARE(R::listedSizes(again),
                     QStringList({QStringLiteral("70x60"), QStringLiteral("30x20"),
                                  QStringLiteral("50x40")}));
        }
        QCOMPARE(Crafted::snapshot(dir), before);
    }
};

PICTARN_TEST(tst_OddNames)
#include "tst_oddnames.moc"
