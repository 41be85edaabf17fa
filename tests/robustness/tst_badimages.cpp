#include "common/testmain.h"
#include "common/testutil.h"
#include "tst_robustness.h"

#include "app/pictarn.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailcache.h"
#include "thumbs/thumbnailview.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using R = tst_Robustness;

class tst_BadImages : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> root;

private slots:
    void init() { QVERIFY(R::beginCase(root)); }
    void cleanup() { R::endCase(root); }

    void everyStepCopesWithTheFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size"); // 0x0: nothing can be shown

        const QImage picture = Crafted::gradient(64, 48);
        const QByteArray png = Crafted::png(picture);
        const QByteArray jpeg = Crafted::jpeg(picture);
        QImage deep = picture.convertToFormat(QImage::Format_RGBA64);
        QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);

        QTest::newRow("zero bytes") << "empty.jpg" << QByteArray() << QSize(0, 0);
        // Cut in the middle of the pixel data: the rows that arrived are shown.
        const QByteArray large = Crafted::jpeg(Crafted::gradient(160, 120));
        QTest::newRow("truncated jpeg")
                << "cut.jpg" << large.left(large.size() / 2) << QSize(160, 120);
        QTest::newRow("truncated png") << "cut.png" << png.left(png.size() / 2) << QSize(0, 0);
        QTest::newRow("header only png") << "head.png" << png.left(33) << QSize(0, 0);
        QTest::newRow("text named jpg")
                << "notes.jpg" << QByteArray("These are not the pixels you are looking for.\n")
                << QSize(0, 0);
        // Refused from the header alone: nothing that size is ever allocated.
        QTest::newRow("60000 x 60000 png")
                << "huge.png" << Crafted::pngDeclaring(60000, 60000) << QSize(0, 0);
        QTest::newRow("2000000000 x 1 png")
                << "wide.png" << Crafted::pngDeclaring(2000000000, 1) << QSize(0, 0);
        QTest::newRow("1 x 1") << "dot.png" << Crafted::png(Crafted::gradient(1, 1)) << QSize(1, 1);
        QTest::newRow("16-bit png") << "deep.png" << Crafted::png(deep) << QSize(64, 48);
        QTest::newRow("grayscale jpeg") << "grey.jpg" << Crafted::jpeg(grey) << QSize(64, 48);
        QTest::newRow("cmyk jpeg") << "cmyk.jpg" << Crafted::cmykJpeg() << QSize(8, 6);
        QTest::newRow("progressive jpeg")
                << "progressive.jpeg" << Crafted::jpeg(picture, true) << QSize(64, 48);
        QTest::newRow("interlaced png")
                << "interlaced.png" << Crafted::interlacedPng() << QSize(8, 6);
        QTest::newRow("animated gif") << "moving.gif" << Crafted::animatedGif() << QSize(6, 4);
        QTest::newRow("1-bit bmp") << "one.bmp" << Crafted::bmp(1, 40, 30) << QSize(40, 30);
        QTest::newRow("4-bit bmp") << "four.bmp" << Crafted::bmp(4, 40, 30) << QSize(40, 30);
        QTest::newRow("16-bit bmp") << "sixteen.bmp" << Crafted::bmp(16, 40, 30) << QSize(40, 30);
        QTest::newRow("png named jpg") << "liar.jpg" << png << QSize(64, 48);
        QTest::newRow("jpeg named gif") << "liar.gif" << jpeg << QSize(64, 48);
        QTest::newRow("bmp named png") << "liar.png" << Crafted::bmp(4, 40, 30) << QSize(40, 30);
        // Fitted, each side keeps at least a pixel.
        QTest::newRow("256 x 1") << "line.png" << Crafted::png(Crafted::gradient(256, 1))
                                 << QSize(256, 1);
        QTest::newRow("1 x 300") << "post.png" << Crafted::png(Crafted::gradient(1, 300))
                                 << QSize(1, 300);
        // Listed by its name, but a reader would wait on it for good.
        QTest::newRow("link to fifo") << "pipe.gif" << QByteArray() << QSize(0, 0);
    }

    void everyStepCopesWithTheFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        const bool shown = !size.isEmpty();

        // The odd file sits between two good ones.
        const QString dir = root->path() + QStringLiteral("/pictures");
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(TestUtil::writeImage(dir + QStringLiteral("/0 before.png"), 30, 20));
        const QString path = dir + QLatin1Char('/') + name;
        if (QByteArray(QTest::currentDataTag()).endsWith("fifo")) {
            QVERIFY(::mkfifo(QFile::encodeName(dir + QStringLiteral("/pipe")).constData(), 0644)
                    == 0);
            QVERIFY(::symlink("pipe", QFile::encodeName(path).constData()) == 0);
        } else {
            QVERIFY(Crafted::write(QFile::encodeName(path), bytes));
        }
        QVERIFY(TestUtil::writeImage(dir + QStringLiteral("/~ after.png"), 30, 20));
        const auto before = Crafted::snapshot(dir);

        {
            Pictarn window;
            R::loadFolder(window, dir);
            QCOMPARE(R::listedNames(window), QStringList({QStringLiteral("0 before.png"), name,
                                                          QStringLiteral("~ after.png")}));
            R::settle();
            ThumbnailView *grid = R::thumbnailView(window);
            QCOMPARE(grid->boxCount(), 3);
            const ImageBox *box = grid->boxAt(1);
            QCOMPARE(box->isThumbLoaded(), shown);
            QCOMPARE(QSize(box->imageWidth(), box->imageHeight()), size);
            QVERIFY(grid->boxAt(0)->isThumbLoaded());
            QVERIFY(grid->boxAt(2)->isThumbLoaded());
            QCOMPARE(R::listedSizes(window),
                     QStringList({QStringLiteral("30x20"),
                                  QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                                  QStringLiteral("30x20")}));
            if (!shown) {
                QVERIFY(!box->pixmap().isNull()); // the placeholder stays
            } else {
                QVERIFY(box->pixmap().width() <= ThumbnailCache::previewWidth);
                QVERIFY(box->pixmap().height() <= ThumbnailCache::previewHeight);
            }
            QCOMPARE(QFile::exists(ThumbnailCache::filePath(path)), shown);
            QVERIFY(Crafted::damagedCacheFiles(ThumbnailCache::folderPath(path)).isEmpty());

            R::useViewer(window, path, size);
            if (QTest::currentTestFailed())
                return;
            R::runSlideShow(window, {true, shown, true});
            if (QTest::currentTestFailed())
                return;

            // A second visit reads the previews back from the cache.
            Pictarn again;
            R::loadFolder(again, dir);
            R::settle();
            QCOMPARE(QSize(R::thumbnailView(again)->boxAt(1)->imageWidth(),
                           R::thumbnailView(again)->boxAt(1)->imageHeight()),
                     size);
        }
        QCOMPARE(Crafted::snapshot(dir), before);
    }

    void theFirstFrameOfAnAnimationIsShown()
    {
        const QString path = root->path() + QStringLiteral("/moving.gif");
        QVERIFY(Crafted::write(QFile::encodeName(path), Crafted::animatedGif()));
        Pictarn window;
        R::loadFolder(window, root->path());
        R::settle();
        const QImage preview = R::thumbnailView(window)->boxAt(0)->pixmap().toImage();
        QCOMPARE(preview.size(), QSize(6, 4));
        QCOMPARE(QColor(preview.pixel(3, 2)), QColor(Qt::red));
    }
};

PICTARN_TEST(tst_BadImages)
#include "tst_badimages.moc"
