#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "platform/zmultilineedit.h"
#include "platform/zpushbutton.h"
#include "viewer/imageviewer.h"
#include "viewer/imagewidget.h"
#include "viewer/zoompopup.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

// Counts the loader's "loading" lines: one per decode of the file.
class LoadCounter
{
public:
    LoadCounter() : previous(qInstallMessageHandler(&handle)) { count = 0; }
    ~LoadCounter() { qInstallMessageHandler(previous); }
    int loads() const { return count; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        // The workers' decodes do not keep the GUI thread waiting.
        if (QThread::currentThread() == qApp->thread())
            count += type == QtDebugMsg && message.startsWith(QLatin1String("loading ")) ? 1 : 0;
    }
    static inline int count = 0;
    QtMessageHandler previous;
};

QSize fit(QSize image, QSize box)
{
    const double s
            = qMin(double(box.width()) / image.width(), double(box.height()) / image.height());
    return QSize(int(s * image.width()), int(s * image.height()));
}

// A picture with a red top-left quarter on blue, so that turns show.
bool writeMarked(const QString &path, int w, int h, QColor fill = Qt::blue)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    QPainter(&image).fillRect(0, 0, w / 2, h / 2, Qt::red);
    return image.save(path);
}

// A picture with a colour table of five entries.
bool writeIndexed(const QString &path, QSize size)
{
    QImage indexed(size, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                           qRgb(255, 255, 255)});
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            indexed.setPixel(x, y, uint((x / 7 + y / 5) % 5));
    return indexed.save(path);
}

bool looksLike(QRgb a, QColor b)
{
    return qAbs(qRed(a) - b.red()) < 40 && qAbs(qGreen(a) - b.green()) < 40
           && qAbs(qBlue(a) - b.blue()) < 40;
}

// Clicks or keys a full-screen surface away; true when it is gone.
bool leave(QPointer<ImageWidget> surface, bool byEscape)
{
    if (!surface || !QTest::qWaitForWindowExposed(surface))
        return false;
    if (byEscape)
        QTest::keyClick(surface, Qt::Key_Escape);
    else
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(10, 10));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return surface.isNull();
}

} // namespace

class tst_ImageViewer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fitsAgainWhenTheWindowIsSizedLate();
    void boundsTheZoomRatio_data();
    void boundsTheZoomRatio();
    void zoomsInStepsFromTheFitToFullSize();
    void zoomsAnImageSmallerThanTheScreen();
    void tellsTheFileFacts_data();
    void tellsTheFileFacts();
    void tellsTheColours_data();
    void tellsTheColours();
    void turnsFourQuarterTurnsBackFromTheFile();
    void turnsTheShownPixelsWhileZoomed();
    void bestFitTurnsUntilATurnClearsIt();
    void adjustsBrightness_data();
    void adjustsBrightness();
    void brightnessStepsStartFromTheBasePicture();
    void showsFullScreenAndFreesTheSurface();
    void releasesPixmapsOnLeaving_data();
    void releasesPixmapsOnLeaving();
    void survivesRequestsInTheMiddleOfADecode_data();
    void survivesRequestsInTheMiddleOfADecode();
    void showsTheInformationBoxAcrossTheScreen();
    void movesThroughTheListedPictures_data();
    void movesThroughTheListedPictures();
    void keepsTheMiddleOfTheView_data();
    void keepsTheMiddleOfTheView();
    void swapsInTheReadyNeighbours_data();
    void swapsInTheReadyNeighbours();

private:
    QString file(const QString &name) const { return dir.filePath(name); }
    QToolButton *zoomButton(const char *name) const
    {
        return viewer->zoomPopup->findChild<QToolButton *>(QLatin1String(name));
    }
    QString zoomLabel() const { return viewer->zoomPopup->findChild<QLabel *>()->text(); }
    QPointF viewMiddle() const;
    void scrollTo(QPointF middle);
    bool setViewport(QSize box);
    QTemporaryDir dir;
    std::unique_ptr<Settings> settings;
    QPointer<ImageViewer> viewer;
};

void tst_ImageViewer::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(writeMarked(file(QStringLiteral("1600x1200.png")), 1600, 1200));
    QVERIFY(writeMarked(file(QStringLiteral("640x480.png")), 640, 480));
    QVERIFY(writeMarked(file(QStringLiteral("100x80.png")), 100, 80));
}

void tst_ImageViewer::init()
{
    settings = std::make_unique<Settings>();
    viewer = new ImageViewer(nullptr, settings.get());
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    QVERIFY(setViewport(QSize(240, 290)));
}

void tst_ImageViewer::cleanup()
{
    delete viewer;
    settings.reset();
}

// The phone's picture area below the tool row, whatever frame the test platform adds.
bool tst_ImageViewer::setViewport(QSize box)
{
    viewer->showNormal();
    viewer->resize(viewer->size() + box - viewer->viewportSize());
    return QTest::qWaitFor([&] { return viewer->viewportSize() == box; });
}

void tst_ImageViewer::fitsAgainWhenTheWindowIsSizedLate()
{
    // A window manager maximises the dialog after the picture was fitted to its first size.
    QVERIFY(setViewport(QSize(220, 69)));
    viewer->load(file(QStringLiteral("1600x1200.png")));
    QCOMPARE(viewer->basePixmap.size(), QSize(92, 69));
    QVERIFY(setViewport(QSize(240, 290)));
    QTRY_COMPARE(viewer->basePixmap.size(), QSize(240, 180));
    QVERIFY(viewer->fitted);

    // A zoomed picture keeps its size.
    viewer->zoomTo(4);
    const QSize zoomed = viewer->basePixmap.size();
    QVERIFY(setViewport(QSize(230, 200)));
    QCoreApplication::processEvents();
    QCOMPARE(viewer->basePixmap.size(), zoomed);
}

void tst_ImageViewer::boundsTheZoomRatio_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("ratio");
    QTest::addColumn<QSize>("largest"); // what zoom max shows; empty: not tried

    QTest::newRow("1600x1200") << QSize(1600, 1200) << 1 << QSize(1600, 1200);
    QTest::newRow("3000x3000") << QSize(3000, 3000) << 1 << QSize();
    QTest::newRow("3001x3000") << QSize(3001, 3000) << 2 << QSize();
    QTest::newRow("4000x3000") << QSize(4000, 3000) << 2 << QSize(2000, 1500);
}

void tst_ImageViewer::boundsTheZoomRatio()
{
    QFETCH(QSize, size);
    QFETCH(int, ratio);
    QFETCH(QSize, largest);

    const QString path = file(QStringLiteral("big.jpg"));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QVERIFY(image.save(path, "jpg", 50));
    image = QImage();
    viewer->load(path);
    QCOMPARE(viewer->maxZoomRatio, ratio);
    if (largest.isEmpty())
        return;
    viewer->zoomMax();
    QCOMPARE(viewer->zoomRatio, ratio);
    QCOMPARE(viewer->basePixmap.size(), largest);
    QVERIFY(!zoomButton("zoomin")->isEnabled());
    QVERIFY(!zoomButton("zoommax")->isEnabled());
    if (ratio > 1) {
        // A ratio past the bound is recorded but changes no picture.
        viewer->zoomTo(ratio - 1);
        QCOMPARE(viewer->zoomRatio, ratio - 1);
        QCOMPARE(viewer->basePixmap.size(), largest);
    }
}

void tst_ImageViewer::zoomsInStepsFromTheFitToFullSize()
{
    viewer->load(file(QStringLiteral("1600x1200.png")));
    QVERIFY(viewer->fitted);
    QCOMPARE(viewer->basePixmap.size(), QSize(240, 180));
    QCOMPARE(viewer->imageWidget->size(), QSize(240, 180));
    QCOMPARE(zoomLabel(), QStringLiteral("Zoom"));

    viewer->zoomIn();
    QCOMPARE(viewer->zoomRatio, 6);
    QVERIFY(!viewer->fitted);
    QCOMPARE(viewer->basePixmap.size(), QSize(266, 199));
    QCOMPARE(zoomLabel(), QStringLiteral("Zoom 16% "));
    QVERIFY(!viewer->bestFitItem->isEnabled());
    QVERIFY(zoomButton("zoomin")->isEnabled());

    for (int percent : {20, 25, 33, 50, 100}) {
        viewer->zoomIn();
        QCOMPARE(zoomLabel(), QStringLiteral("Zoom %1% ").arg(percent));
    }
    QCOMPARE(viewer->zoomRatio, 1);
    QCOMPARE(viewer->basePixmap.size(), QSize(1600, 1200));
    QVERIFY(!zoomButton("zoomin")->isEnabled());
    QVERIFY(!zoomButton("zoommax")->isEnabled());
    QVERIFY(zoomButton("zoomout")->isEnabled());

    viewer->zoomOut();
    QCOMPARE(viewer->zoomRatio, 2);
    QCOMPARE(viewer->basePixmap.size(), QSize(800, 600));
    QVERIFY(zoomButton("zoomin")->isEnabled());
    QVERIFY(zoomButton("zoommax")->isEnabled());

    // Back to the fit, rendered once however often asked: the zoom is forgotten and the
    // buttons come back.
    {
        LoadCounter counter;
        viewer->scaleToScreen();
        viewer->scaleToScreen();
        QCOMPARE(counter.loads(), 1);
    }
    QVERIFY(viewer->fitted);
    QCOMPARE(viewer->zoomRatio, 0);
    QCOMPARE(viewer->basePixmap.size(), QSize(240, 180));
    QCOMPARE(zoomLabel(), QStringLiteral("Zoom"));
    QVERIFY(viewer->bestFitItem->isEnabled());

    // The popup's buttons reach the viewer.
    zoomButton("zoomin")->click();
    QCOMPARE(viewer->zoomRatio, 6);
}

void tst_ImageViewer::zoomsAnImageSmallerThanTheScreen()
{
    viewer->load(file(QStringLiteral("100x80.png")));
    QCOMPARE(viewer->basePixmap.size(), QSize(100, 80));

    viewer->zoomIn();
    QVERIFY(viewer->fitted);
    QCOMPARE(viewer->zoomRatio, 0);
    QCOMPARE(viewer->basePixmap.size(), QSize(100, 80));
    QCOMPARE(viewer->imageWidget->geometry().center(), QRect(QPoint(), QSize(240, 290)).center());
    QCOMPARE(zoomLabel(), QStringLiteral("Zoom"));

    viewer->zoomOut();
    QCOMPARE(viewer->zoomRatio, 2);
    QCOMPARE(viewer->basePixmap.size(), QSize(50, 40));
    // No stop: each step goes one ratio further, the picture fitted to the full size / ratio.
    viewer->zoomOut();
    QCOMPARE(viewer->zoomRatio, 3);
    QCOMPARE(viewer->basePixmap.size(), fit(QSize(100, 80), QSize(33, 26)));
    QCOMPARE(zoomLabel(), QStringLiteral("Zoom 33% "));
}

void tst_ImageViewer::tellsTheFileFacts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("bytes"); // -1: a 64x48 picture
    QTest::addColumn<QString>("text"); // the size, or for a picture its format

    QTest::newRow("1024 bytes") << "a.dat" << 1024 << "1024 bytes";
    QTest::newRow("1025 bytes") << "b.dat" << 1025 << "1 Kb";
    QTest::newRow("2047 bytes") << "c.dat" << 2047 << "1 Kb";
    QTest::newRow("2048 bytes") << "d.dat" << 2048 << "2 Kb";
    QTest::newRow("empty") << "e.jpg" << 0 << "0 bytes";
    QTest::newRow("png") << "f.png" << -1 << "PNG image";
    QTest::newRow("jpeg") << "g.jpg" << -1 << "JPEG image";
}

void tst_ImageViewer::tellsTheFileFacts()
{
    QFETCH(QString, name);
    QFETCH(int, bytes);
    QFETCH(QString, text);

    const QString path = file(name);
    const bool picture = bytes < 0;
    QVERIFY(picture ? TestUtil::writeImage(path, 64, 48) : TestUtil::writeBytes(path, bytes));
    viewer->load(path);
    QCOMPARE(viewer->info[0], name);
    QCOMPARE(viewer->info[1], picture ? text : QStringLiteral(" image"));
    QCOMPARE(viewer->info[2], dir.path());
    if (!picture)
        QCOMPARE(viewer->info[3], text);
    QCOMPARE(viewer->info[4], picture ? QStringLiteral("64x48") : QStringLiteral("0x0"));
}

void tst_ImageViewer::tellsTheColours_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("colours");

    QTest::newRow("small indexed") << QSize(100, 50) << "5 colors";
    QTest::newRow("large indexed") << QSize(400, 300) << "5 colors";
}

void tst_ImageViewer::tellsTheColours()
{
    QFETCH(QSize, size);
    QFETCH(QString, colours);

    const QString path = file(QStringLiteral("indexed.png"));
    QVERIFY(writeIndexed(path, size));
    viewer->load(path);
    QCOMPARE(viewer->info[5], colours);

    // A file that does not decode leaves the colours as they were.
    const QString broken = file(QStringLiteral("broken.png"));
    QVERIFY(TestUtil::writeBytes(broken, 300));
    viewer->load(broken);
    QCOMPARE(viewer->info[4], QStringLiteral("0x0"));
    QCOMPARE(viewer->info[5], colours);
    QVERIFY(viewer->basePixmap.isNull());
}

void tst_ImageViewer::turnsFourQuarterTurnsBackFromTheFile()
{
    viewer->load(file(QStringLiteral("640x480.png")));
    const QSize box = viewer->viewportSize();
    QCOMPARE(viewer->basePixmap.size(), fit(QSize(640, 480), box));

    LoadCounter counter;
    const int expected[] = {90, 180, 270, 0};
    for (int step = 0; step < 4; ++step) {
        viewer->rotate90();
        QCOMPARE(viewer->rotation, expected[step]);
        QCOMPARE(counter.loads(), step + 1);
        const bool quarter = expected[step] % 180 != 0;
        const QSize upright = fit(QSize(640, 480), quarter ? box.transposed() : box);
        QCOMPARE(viewer->basePixmap.size(), quarter ? upright.transposed() : upright);
    }
    // Each step renders the whole turn: after 90 the red quarter is top-right.
    viewer->rotate90();
    const QImage shown = viewer->basePixmap.toImage();
    QVERIFY(looksLike(shown.pixel(shown.width() - 5, 5), Qt::red));
    QVERIFY(looksLike(shown.pixel(5, 5), Qt::blue));
    viewer->rotate180();
    QCOMPARE(viewer->rotation, 270);
    const QImage back = viewer->basePixmap.toImage();
    QVERIFY(looksLike(back.pixel(5, back.height() - 5), Qt::red));
}

void tst_ImageViewer::turnsTheShownPixelsWhileZoomed()
{
    viewer->load(file(QStringLiteral("640x480.png")));
    viewer->zoomOut();
    QCOMPARE(viewer->zoomRatio, 3);
    const QSize zoomed = fit(QSize(640, 480), QSize(213, 160));
    QCOMPARE(viewer->basePixmap.size(), zoomed);

    LoadCounter counter;
    viewer->rotate270();
    QCOMPARE(counter.loads(), 0);
    QCOMPARE(viewer->rotation, 270);
    QCOMPARE(viewer->basePixmap.size(), zoomed.transposed());
    const QImage shown = viewer->basePixmap.toImage();
    QVERIFY(looksLike(shown.pixel(5, shown.height() - 5), Qt::red));

    // The turn stays through the next zoom step, which starts again from the file.
    viewer->zoomOut();
    QCOMPARE(counter.loads(), 1);
    QCOMPARE(viewer->basePixmap.size(), QSize(120, 160));
    const QImage smaller = viewer->basePixmap.toImage();
    QVERIFY(looksLike(smaller.pixel(5, smaller.height() - 5), Qt::red));
}

void tst_ImageViewer::bestFitTurnsUntilATurnClearsIt()
{
    viewer->load(file(QStringLiteral("640x480.png")));
    const QSize box = viewer->viewportSize();
    QCOMPARE(viewer->basePixmap.size(), QSize(240, 180));

    viewer->bestFitItem->trigger();
    QVERIFY(settings->rotateBestFit());
    QVERIFY(viewer->bestFitItem->isChecked());
    QCOMPARE(viewer->rotation, 90);
    QCOMPARE(viewer->basePixmap.size(), fit(QSize(640, 480), box.transposed()).transposed());
    QVERIFY(viewer->fitted);

    // The next file is turned too, until a turn of the user's clears the setting.
    viewer->load(file(QStringLiteral("1600x1200.png")));
    QCOMPARE(viewer->rotation, 90);
    viewer->rotate90();
    QCOMPARE(viewer->rotation, 180);
    QVERIFY(!settings->rotateBestFit());
    QVERIFY(!viewer->bestFitItem->isChecked());

    viewer->bestFitItem->trigger();
    QCOMPARE(viewer->rotation, 90);
    viewer->rotateBestFit();
    QVERIFY(!settings->rotateBestFit());
    QVERIFY(!viewer->bestFitItem->isChecked());
    QCOMPARE(viewer->rotation, 0);
    QCOMPARE(viewer->basePixmap.size(), QSize(240, 180));

    // Zoomed, the item is out of reach.
    viewer->zoomIn();
    QVERIFY(!viewer->bestFitItem->isEnabled());
}

void tst_ImageViewer::adjustsBrightness_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QColor>("before");
    QTest::addColumn<QColor>("after");

    QTest::newRow("-100 black, alpha kept")
            << -100 << QColor(200, 100, 255, 128) << QColor(0, 0, 0, 128);
    QTest::newRow("+200 saturates from 85")
            << 200 << QColor(85, 84, 255, 255) << QColor(255, 252, 255, 255);
    QTest::newRow("+10") << 10 << QColor(200, 100, 0, 255) << QColor(220, 110, 0, 255);
    QTest::newRow("-10") << -10 << QColor(200, 100, 0, 255) << QColor(180, 90, 0, 255);
    QTest::newRow("-200 stays black") << -200 << QColor(255, 200, 130, 255) << QColor(0, 0, 0, 255);
}

void tst_ImageViewer::adjustsBrightness()
{
    QFETCH(int, level);
    QFETCH(QColor, before);
    QFETCH(QColor, after);

    const float factor = float(level) / 100.0f;
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(before);
    ImageViewer::adjustBrightness(image, factor);
    QCOMPARE(QColor::fromRgba(image.pixel(2, 1)), after);

    // An indexed image changes through its colour table, pixels untouched.
    QImage indexed(4, 3, QImage::Format_Indexed8);
    indexed.setColorTable({before.rgba(), qRgb(0, 0, 0)});
    indexed.fill(0);
    ImageViewer::adjustBrightness(indexed, factor);
    QCOMPARE(indexed.format(), QImage::Format_Indexed8);
    QCOMPARE(QColor::fromRgba(indexed.color(0)), after);
    QCOMPARE(indexed.pixelIndex(3, 2), 0);

    // A premultiplied picture, as pixmaps give, keeps its alpha too.
    image.fill(before);
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    ImageViewer::adjustBrightness(image, factor);
    QCOMPARE(qAlpha(image.pixel(0, 0)), after.alpha());
}

void tst_ImageViewer::brightnessStepsStartFromTheBasePicture()
{
    viewer->load(file(QStringLiteral("640x480.png")));
    const QImage base = viewer->basePixmap.toImage();
    for (int i = 0; i < 3; ++i)
        viewer->brightDownImage();
    QCOMPARE(viewer->brightness, -30);
    QCOMPARE(viewer->basePixmap.toImage(), base);
    QVERIFY(qRed(viewer->brightPixmap.toImage().pixel(5, 5)) < qRed(base.pixel(5, 5)));
    for (int i = 0; i < 3; ++i)
        viewer->brightUpImage();
    QCOMPARE(viewer->brightness, 0);
    QCOMPARE(viewer->brightPixmap.toImage().convertToFormat(base.format()), base);

    // The level survives zooming; a new file starts at 0.
    viewer->brightUpImage();
    viewer->zoomOut();
    QCOMPARE(viewer->brightness, 10);
    QCOMPARE(viewer->brightPixmap.size(), viewer->basePixmap.size());
    viewer->load(file(QStringLiteral("100x80.png")));
    QCOMPARE(viewer->brightness, 0);
    QCOMPARE(viewer->rotation, 0);
}

void tst_ImageViewer::showsFullScreenAndFreesTheSurface()
{
    viewer->load(file(QStringLiteral("640x480.png")));
    viewer->showFullScreen();
    QPointer<ImageWidget> surface = viewer->fullScreenWidget;
    QVERIFY(surface);
    QVERIFY(!viewer->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(surface));
    QCOMPARE(surface->size(), QSize(240, 320));

    // 640 x 480 fills 240 x 320 best turned: the red quarter is top-right, nothing is left over.
    QImage shown = surface->grab().toImage();
    QVERIFY(looksLike(shown.pixel(235, 5), Qt::red));
    QVERIFY(looksLike(shown.pixel(5, 5), Qt::blue));
    QVERIFY(looksLike(shown.pixel(5, 315), Qt::blue));
    QVERIFY(leave(surface, false));
    QVERIFY(viewer->isVisible());

    viewer->showFullScreen();
    QVERIFY(leave(viewer->fullScreenWidget, true));
    QVERIFY(viewer->isVisible());

    // The main window's own path: the viewer is hidden and stays so.
    viewer->hide();
    viewer->brightness = -100;
    const QString path = file(QStringLiteral("tall.png"));
    QVERIFY(writeMarked(path, 100, 400, Qt::white));
    viewer->showImageFullScreen(path);
    surface = viewer->fullScreenWidget;
    QVERIFY(surface && QTest::qWaitForWindowExposed(surface));
    shown = surface->grab().toImage();
    // A tall picture stays upright, fitted to 80 x 320, darkened to black, on black.
    QCOMPARE(shown.pixel(120, 300), qRgb(0, 0, 0));
    QCOMPARE(shown.pixel(2, 2), qRgb(0, 0, 0));
    QVERIFY(leave(surface, false));
    QVERIFY(!viewer->isVisible());
}

void tst_ImageViewer::releasesPixmapsOnLeaving_data()
{
    QTest::addColumn<int>("key"); // 0: close(), -1: accept(), -2: the Exit item
    QTest::newRow("close") << 0;
    QTest::newRow("accept") << -1;
    QTest::newRow("Exit item") << -2;
    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("Return") << int(Qt::Key_Return);
}

void tst_ImageViewer::releasesPixmapsOnLeaving()
{
    QFETCH(int, key);

    viewer->load(file(QStringLiteral("640x480.png")));
    viewer->brightUpImage();
    QVERIFY(!viewer->basePixmap.isNull());
    QVERIFY(!viewer->brightPixmap.isNull());
    if (key == 0)
        viewer->close();
    else if (key == -1)
        viewer->accept();
    else if (key == -2)
        viewer->findChild<QToolButton *>(QStringLiteral("menu"))
                ->menu()
                ->actions()
                .last()
                ->trigger();
    else {
        // A release whose press closed a pop-up menu leaves the picture alone.
        QTest::keyRelease(viewer, Qt::Key(key));
        QVERIFY(!viewer->basePixmap.isNull());
        QCOMPARE(viewer->imageWidget->size(), viewer->basePixmap.size());
        QVERIFY(viewer->isVisible());
        QTest::keyClick(viewer, Qt::Key(key));
    }
    QVERIFY(viewer->basePixmap.isNull());
    QVERIFY(viewer->brightPixmap.isNull());
    QCOMPARE(viewer->imageWidget->size(), QSize(0, 0));
    QVERIFY(!viewer->isVisible());
}

void tst_ImageViewer::survivesRequestsInTheMiddleOfADecode_data()
{
    QTest::addColumn<QString>("request");
    QTest::newRow("second load") << "load";
    QTest::newRow("close") << "close";
    QTest::newRow("full screen") << "full screen";
    QTest::newRow("deletion") << "delete";
    QTest::newRow("zoom and turn") << "steps";
}

void tst_ImageViewer::survivesRequestsInTheMiddleOfADecode()
{
    QFETCH(QString, request);

    const QString previous = file(QStringLiteral("previous.png"));
    const QString current = file(QStringLiteral("current.png"));
    const QString next = file(QStringLiteral("next.png"));
    QVERIFY(writeMarked(previous, 300, 200, Qt::yellow));
    QVERIFY(writeMarked(current, 200, 300, Qt::blue));
    QVERIFY(writeMarked(next, 400, 100, Qt::green));
    viewer->load(previous);
    QCOMPARE(viewer->basePixmap.size(), QSize(240, 160));

    // What the picture area shows at the moment the request arrives.
    QSize shownThen(-1, -1);
    QString statusThen;
    QPointer<ImageWidget> surface;
    QTimer::singleShot(0, viewer, [&] {
        shownThen = viewer->imageWidget->size();
        statusThen = viewer->statusLabel->text();
        if (request == QLatin1String("load")) {
            viewer->load(next);
        } else if (request == QLatin1String("close")) {
            viewer->close();
        } else if (request == QLatin1String("full screen")) {
            viewer->showFullScreen();
            surface = viewer->fullScreenWidget;
        } else if (request == QLatin1String("delete")) {
            delete viewer;
        } else {
            viewer->zoomIn();
            viewer->rotate90();
            viewer->brightUpImage();
        }
    });
    viewer->load(current);
    QVERIFY(shownThen.isValid());
    // The previous file's picture never stood for the new one.
    QCOMPARE(shownThen, QSize(0, 0));
    QCOMPARE(statusThen, QStringLiteral("Loading..."));

    if (request == QLatin1String("delete")) {
        QVERIFY(viewer.isNull());
        return;
    }
    if (request == QLatin1String("close")) {
        QVERIFY(!viewer->isVisible());
        QVERIFY(viewer->basePixmap.isNull());
        QCOMPARE(viewer->imageWidget->size(), QSize(0, 0));
        QCOMPARE(viewer->statusLabel->text(), QString());
        return;
    }

    const bool second = request == QLatin1String("load");
    const QString shownFile = second ? next : current;
    QCOMPARE(viewer->fileName, shownFile);
    QCOMPARE(viewer->info[0], QFileInfo(shownFile).fileName());
    QCOMPARE(viewer->info[4], second ? QStringLiteral("400x100") : QStringLiteral("200x300"));
    QVERIFY(viewer->fitted);
    QCOMPARE(viewer->zoomRatio, 0);
    QCOMPARE(viewer->rotation, 0);
    QCOMPARE(viewer->brightness, 0);
    QCOMPARE(viewer->statusLabel->text(), QString());
    const QSize expected = second ? QSize(240, 60) : fit(QSize(200, 300), QSize(240, 290));
    QCOMPARE(viewer->basePixmap.size(), expected);
    QCOMPARE(viewer->imageWidget->size(), expected);
    const QImage shown = viewer->basePixmap.toImage();
    QVERIFY(looksLike(shown.pixel(shown.width() - 3, shown.height() - 3),
                      second ? Qt::green : Qt::blue));

    if (request == QLatin1String("full screen")) {
        QVERIFY(surface && QTest::qWaitForWindowExposed(surface));
        // The surface shows the file being opened, not the one before.
        QVERIFY(looksLike(surface->grab().toImage().pixel(120, 300), Qt::blue));
        QVERIFY(leave(surface, false));
        QVERIFY(viewer->isVisible());
    }
}

void tst_ImageViewer::showsTheInformationBoxAcrossTheScreen()
{
    viewer->load(file(QStringLiteral("640x480.png")));
    QStringList values;
    int boxWidth = 0;
    QTimer::singleShot(0, this, [&] {
        QWidget *box = QApplication::activeModalWidget();
        QVERIFY(box && box != viewer);
        boxWidth = box->width();
        for (ZMultiLineEdit *edit : box->findChildren<ZMultiLineEdit *>())
            values << (edit->isReadOnly() ? edit->toPlainText() : QStringLiteral("(editable)"));
        box->findChild<ZPushButton *>()->click();
    });
    viewer->showInfoDialog();
    QCOMPARE(values, QStringList({"640x480.png", "PNG image", dir.path(), viewer->info[3],
                                  "640x480", "True color"}));
    QCOMPARE(boxWidth, 240); // the whole screen, so that the folder path shows
}

void tst_ImageViewer::movesThroughTheListedPictures_data()
{
    QTest::addColumn<int>("input"); // a key; 1: swipe left, 2: swipe right, 3: key on full screen
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("zoomed");
    QTest::addColumn<int>("expected");

    const int right = Qt::Key_Right, left = Qt::Key_Left;
    QTest::newRow("Right") << right << 2 << false << 3;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 2 << false << 3;
    QTest::newRow("Space") << int(Qt::Key_Space) << 2 << false << 3;
    QTest::newRow("Left") << left << 2 << false << 1;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << 2 << false << 1;
    QTest::newRow("BackSpace") << int(Qt::Key_Backspace) << 2 << false << 1;
    QTest::newRow("Home") << int(Qt::Key_Home) << 2 << false << 0;
    QTest::newRow("End") << int(Qt::Key_End) << 2 << false << 13;
    QTest::newRow("Down stays") << int(Qt::Key_Down) << 2 << false << 2;
    QTest::newRow("Left at the first") << left << 0 << false << 0;
    QTest::newRow("Right at the last") << right << 13 << false << 13;
    QTest::newRow("swipe left") << 1 << 2 << false << 3;
    QTest::newRow("swipe right") << 2 << 2 << false << 1;
    QTest::newRow("zoomed: Right scrolls") << right << 2 << true << 2;
    QTest::newRow("zoomed: Page Down") << int(Qt::Key_PageDown) << 2 << true << 3;
    QTest::newRow("full screen: Right") << 3 << 2 << false << 3;
}

void tst_ImageViewer::movesThroughTheListedPictures()
{
    QFETCH(int, input);
    QFETCH(int, start);
    QFETCH(bool, zoomed);
    QFETCH(int, expected);

    // Pictures that fail to decode take their turn like the others.
    QStringList paths;
    for (int n = 0; n < 14; ++n)
        paths.append(file(QStringLiteral("listed%1.png").arg(n)));
    paths[2] = file(QStringLiteral("1600x1200.png"));
    QVERIFY(writeMarked(paths[3], 64, 48, Qt::green));
    viewer->setImageList(paths);
    viewer->load(paths[start]);
    QCOMPARE(viewer->statusLabel->text(), QStringLiteral("%1/14").arg(start + 1));
    if (zoomed)
        viewer->zoomTo(1);
    QSignalSpy moves(viewer, &ImageViewer::imageChanged);

    QScrollBar *across = viewer->scrollView->horizontalScrollBar();
    const int scrolled = across->value();
    if (input == 1 || input == 2) {
        // The swipe right starts beside the picture, above it.
        QWidget *surface = input == 1 ? viewer->imageWidget : viewer->scrollView->viewport();
        const QPoint from(120, input == 1 ? 60 : 10);
        QTest::mousePress(surface, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 3; ++step)
            QTest::mouseMove(surface, from + QPoint((input == 1 ? -20 : 20) * step, step));
        QTest::mouseRelease(surface, Qt::LeftButton, {}, from + QPoint(input == 1 ? -60 : 60, 3));
    } else if (input == 3) {
        viewer->showFullScreen();
        QPointer<ImageWidget> surface = viewer->fullScreenWidget;
        QVERIFY(QTest::qWaitForWindowExposed(surface));
        QTest::keyClick(surface, Qt::Key_Right);
        QCOMPARE(viewer->fileName, paths[start]);
        // The surface shows the next picture: green where the first was blue.
        QVERIFY(looksLike(surface->grab().toImage().pixel(140, 175), Qt::green));
        QVERIFY(leave(surface, false));
    } else {
        QWidget *focused = viewer->focusWidget();
        QVERIFY(focused);
        QTest::keyClick(focused, Qt::Key(input));
    }

    QTRY_COMPARE(viewer->fileName, paths[expected]);
    QCOMPARE(viewer->statusLabel->text(), QStringLiteral("%1/14").arg(expected + 1));
    QVERIFY2(viewer->statusLabel->width() >= viewer->statusLabel->fontMetrics().horizontalAdvance(
                     viewer->statusLabel->text()),
             qPrintable(QString::number(viewer->statusLabel->width())));
    QCOMPARE(moves.count(), expected == start ? 0 : 1);
    QCOMPARE(viewer->zoomRatio, expected == start && zoomed ? 1 : 0);
    if (zoomed && input == Qt::Key_Right)
        QVERIFY(across->value() > scrolled);
}

QPointF tst_ImageViewer::viewMiddle() const
{
    const QSize view = viewer->scrollView->viewport()->size();
    const QSize picture = viewer->imageWidget->size();
    return QPointF((viewer->scrollView->horizontalScrollBar()->value() + view.width() / 2.0)
                           / picture.width(),
                   (viewer->scrollView->verticalScrollBar()->value() + view.height() / 2.0)
                           / picture.height());
}

void tst_ImageViewer::scrollTo(QPointF middle)
{
    const QSize view = viewer->scrollView->viewport()->size();
    const QSize picture = viewer->imageWidget->size();
    viewer->scrollView->horizontalScrollBar()->setValue(
            qRound(middle.x() * picture.width() - view.width() / 2.0));
    viewer->scrollView->verticalScrollBar()->setValue(
            qRound(middle.y() * picture.height() - view.height() / 2.0));
}

void tst_ImageViewer::keepsTheMiddleOfTheView_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QPointF>("expected");

    QTest::newRow("zoom from the fit") << "fit" << QPointF(0.5, 0.5);
    QTest::newRow("zoom in") << "in" << QPointF(0.3, 0.6);
    QTest::newRow("zoom out") << "out" << QPointF(0.3, 0.6);
    QTest::newRow("turn 90") << "90" << QPointF(0.4, 0.3);
    QTest::newRow("turn 270") << "270" << QPointF(0.6, 0.7);
}

void tst_ImageViewer::keepsTheMiddleOfTheView()
{
    QFETCH(QString, step);
    QFETCH(QPointF, expected);

    viewer->load(file(QStringLiteral("1600x1200.png")));
    if (step == QLatin1String("fit")) {
        viewer->zoomMax();
    } else {
        viewer->zoomTo(2);
        QCoreApplication::processEvents();
        scrollTo(QPointF(0.3, 0.6));
        if (step == QLatin1String("in"))
            viewer->zoomIn();
        else if (step == QLatin1String("out"))
            viewer->zoomOut();
        else
            viewer->rotateBy(step.toInt());
    }
    QCoreApplication::processEvents();
    const QPointF middle = viewMiddle();
    QVERIFY2(qAbs(middle.x() - expected.x()) < 0.02 && qAbs(middle.y() - expected.y()) < 0.02,
             qPrintable(QStringLiteral("%1, %2").arg(middle.x()).arg(middle.y())));
}

void tst_ImageViewer::swapsInTheReadyNeighbours_data()
{
    QTest::addColumn<QString>("request");
    QTest::newRow("Right") << "Right";
    QTest::newRow("Left") << "Left";
    QTest::newRow("full screen: Right") << "full screen";
    QTest::newRow("relist") << "relist";
    QTest::newRow("close") << "close";
}

void tst_ImageViewer::swapsInTheReadyNeighbours()
{
    QFETCH(QString, request);

    const QStringList paths{file(QStringLiteral("before.png")), file(QStringLiteral("now.png")),
                            file(QStringLiteral("after.png"))};
    QVERIFY(writeMarked(paths[0], 300, 200, Qt::yellow));
    QVERIFY(writeMarked(paths[1], 200, 300, Qt::blue));
    QVERIFY(writeIndexed(paths[2], QSize(400, 100)));
    viewer->setImageList(paths);
    const bool fullScreen = request == QLatin1String("full screen");
    QPointer<ImageWidget> surface;
    if (fullScreen) {
        viewer->showImageFullScreen(paths[1]);
        surface = viewer->fullScreenWidget;
        QVERIFY(QTest::qWaitForWindowExposed(surface));
    } else {
        viewer->load(paths[1]);
    }
    const QSize box = fullScreen ? QSize(240, 320) : QSize(240, 290);
    const auto ready = [&](int n) { return viewer->prefetcher.isReady(paths[n], box, fullScreen); };

    if (request == QLatin1String("close")) {
        // Closed while the workers decode: nothing they make is kept or reaches the viewer.
        viewer->close();
        Prefetcher::pool()->waitForDone();
        QCoreApplication::processEvents();
        QVERIFY(!ready(0) && !ready(2));
        delete viewer;
        return;
    }
    QTRY_VERIFY(ready(0) && ready(2));
    if (request == QLatin1String("relist")) {
        viewer->setImageList(paths);
        QVERIFY(!ready(0) && !ready(2));
        return;
    }

    LoadCounter counter;
    const int target = request == QLatin1String("Left") ? 0 : 2;
    if (fullScreen) {
        QTest::keyClick(surface, Qt::Key_Right);
        QCOMPARE(viewer->position, 2);
    } else {
        viewer->step(target - 1);
        QCOMPARE(viewer->basePixmap.size(), target ? QSize(240, 60) : QSize(240, 160));
        QCOMPARE(viewer->info[1], QStringLiteral("PNG image"));
        QCOMPARE(viewer->info[4], target ? QStringLiteral("400x100") : QStringLiteral("300x200"));
        QCOMPARE(viewer->info[5],
                 target ? QStringLiteral("5 colors") : QStringLiteral("True color"));
    }
    QCOMPARE(counter.loads(), 0);
    if (fullScreen) {
        QVERIFY(leave(surface, true));
        return;
    }
    // Zooms decode again from the file, to the size the swapped picture's facts tell.
    viewer->zoomIn();
    QCOMPARE(counter.loads(), 1);
    QCOMPARE(viewer->basePixmap.size(), target ? QSize(400, 100) : QSize(300, 200));
}

PICTARN_TEST(tst_ImageViewer)
#include "tst_imageviewer.moc"
