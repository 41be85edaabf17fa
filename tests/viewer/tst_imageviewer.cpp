#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "bench/procstatus.h"
#include "viewer/gesturetracker.h"
#include "viewer/imageheader.h"
#include "viewer/imageloader.h"
#include "viewer/imageviewer.h"
#include "viewer/imagewidget.h"
#include "viewer/slidestrip.h"
#include "viewer/zoompopup.h"

#include <QImageReader>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPointingDevice>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <iterator>
#include <memory>
#include <optional>

namespace {

// A picture with a red top-left quarter, so that turns show.
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
    indexed.fill(1);
    return indexed.save(path);
}

// The loader's "loading" lines on the GUI thread: one per decode there.
int loads = 0;
QtMessageHandler logged = nullptr;

void countLoads(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool gui = QThread::currentThread() == QCoreApplication::instance()->thread();
    if (type == QtDebugMsg && message.startsWith(QLatin1String("loading ")))
        loads += gui ? 1 : 0;
    else if (gui)
        logged(type, context, message);
    else // the test logger reads the running row unlocked: the workers' lines go round it
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

bool looksLike(QRgb a, QColor b)
{
    return qAbs(qRed(a) - b.red()) < 40 && qAbs(qGreen(a) - b.green()) < 40
           && qAbs(qBlue(a) - b.blue()) < 40;
}

} // namespace

class tst_ImageViewer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void zoomsInStepsWithinTheBound_data();
    void zoomsInStepsWithinTheBound();
    void zoomsAtThePointer_data();
    void zoomsAtThePointer();
    void showsEveryPixelOfALargePhoto();
    void readsEveryGestureTrace_data();
    void readsEveryGestureTrace();
    void slidesInANeighbourDecodedMidSwipe();
    void tellsTheFileFacts_data();
    void tellsTheFileFacts();
    void survivesRequestsInTheMiddleOfADecode_data();
    void survivesRequestsInTheMiddleOfADecode();
    void movesThroughTheListedPictures_data();
    void movesThroughTheListedPictures();
    void tellsTapsSwipesAndDragsApart_data();
    void tellsTapsSwipesAndDragsApart();
    void keepsThePictureShown_data();
    void keepsThePictureShown();

private:
    QString file(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QString file(const QString &name) const { return dir.filePath(name); }
    bool setViewport(QSize box);
    QTemporaryDir dir;
    std::unique_ptr<Settings> settings;
    QPointer<ImageViewer> viewer;
};

void tst_ImageViewer::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(writeMarked(file("1600x1200.png"), 1600, 1200));
    QVERIFY(writeMarked(file("yellow.png"), 300, 200, Qt::yellow));
    QVERIFY(writeMarked(file("green.png"), 200, 300, Qt::green));
    logged = qInstallMessageHandler(&countLoads);
    // Trace lines stay off unless asked for; these tests count them.
    ImageLoader().load(file("1600x1200.png"));
    QCOMPARE(loads, 0);
    QLoggingCategory::setFilterRules(QStringLiteral("pictarn.debug=true"));
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

void tst_ImageViewer::zoomsInStepsWithinTheBound_data()
{
    QTest::addColumn<QSize>("size");
    // i: in, o: out, m: max, f: fit, z: 1:2 scrolled to (0.3, 0.6), 9: a turn
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<int>("decodes");
    QTest::addColumn<QPointF>("middle"); // of the view, as parts of the picture

    const QSize large(1600, 1200);
    QTest::newRow("in keeps the middle")
            << large << "zi" << QSize(1131, 849) << 2 << QPointF(0.3, 0.6);
    QTest::newRow("out keeps the middle")
            << large << "zo" << QSize(566, 424) << 1 << QPointF(0.3, 0.6);
    QTest::newRow("turn 90 turns the middle")
            << large << "z9" << QSize(600, 800) << 1 << QPointF(0.4, 0.3);
    QTest::newRow("back to the fit, once") << large << "iff" << QSize(240, 180) << 2 << QPointF();
    // 1:1 is the full picture; above it nothing is decoded again.
    QTest::newRow("3001x3000 max")
            << QSize(3001, 3000) << "m" << QSize(3001, 3000) << 1 << QPointF();
    QTest::newRow("keys: 1 then + up to 800 %")
            << large << "1+=+=+=+" << QSize(12800, 9600) << 1 << QPointF(0.5, 0.5);
    // Smaller pictures are made from the one at hand; the fit is decoded.
    QTest::newRow("keys: - twice, 0 fits") << large << "z--0" << QSize(240, 180) << 2 << QPointF();
}

void tst_ImageViewer::zoomsInStepsWithinTheBound()
{
    QFETCH(QSize, size);
    QFETCH(QString, steps);
    QFETCH(QSize, shown);
    QFETCH(int, decodes);
    QFETCH(QPointF, middle);

    const QString path = file("zoom.jpg");
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QVERIFY(image.save(path, "jpg", 50));
    viewer->load(path);
    QScrollBar *across = viewer->scrollView->horizontalScrollBar();
    QScrollBar *down = viewer->scrollView->verticalScrollBar();
    const auto view = [&] { return viewer->scrollView->viewport()->size(); };
    const auto picture = [&] { return viewer->imageWidget->size(); };
    loads = 0;
    for (const QChar step : steps) {
        if (step == QLatin1Char('i'))
            viewer->zoomIn();
        else if (step == QLatin1Char('o'))
            viewer->zoomOut();
        else if (step == QLatin1Char('m'))
            viewer->zoomMax();
        else if (step == QLatin1Char('f'))
            viewer->scaleToScreen(); // the second is a no-op: the fit is made once
        else if (step == QLatin1Char('z'))
            viewer->zoomTo(0.5);
        else if (step == QLatin1Char('9'))
            viewer->rotateBy(90);
        else
            QTest::keyClick(viewer->scrollView, step.toLatin1());
        QCoreApplication::processEvents();
        if (step == QLatin1Char('z')) {
            across->setValue(qRound(0.3 * picture().width() - view().width() / 2.0));
            down->setValue(qRound(0.6 * picture().height() - view().height() / 2.0));
        }
    }
    QCOMPARE(loads, decodes);
    QCOMPARE(picture(), shown);
    const QPointF at((across->value() + view().width() / 2.0) / picture().width(),
                     (down->value() + view().height() / 2.0) / picture().height());
    QVERIFY(middle.isNull() || (at - middle).manhattanLength() < 0.03);
}

void tst_ImageViewer::zoomsAtThePointer_data()
{
    QTest::addColumn<double>("start"); // 0: fitted
    QTest::addColumn<QList<int>>("turns"); // Ctrl+wheel angles; 0: a touchpad pinch of +50 %
    QTest::addColumn<QPoint>("at"); // in the view
    QTest::addColumn<int>("percent");

    using L = QList<int>;
    QTest::newRow("notch in from the fit") << 0.0 << L{120} << QPoint(60, 145) << 25;
    QTest::newRow("notch out") << 1.0 << L{-120} << QPoint(200, 50) << 71;
    QTest::newRow("touchpad turns") << 1.0 << L{30, 30, 30, 30} << QPoint(20, 250) << 141;
    QTest::newRow("touchpad pinch") << 1.0 << L{0} << QPoint(30, 30) << 150;
}

void tst_ImageViewer::zoomsAtThePointer()
{
    QFETCH(double, start);
    QFETCH(QList<int>, turns);
    QFETCH(QPoint, at);
    QFETCH(int, percent);

    viewer->load(file("1600x1200.png"));
    if (start > 0)
        viewer->zoomTo(start);
    QWidget *view = viewer->scrollView->viewport();
    const auto pictureAt = [&] {
        return (QPointF(at) - viewer->imageWidget->pos()) * 1600.0 / viewer->imageWidget->width();
    };
    const QPointF before = pictureAt();
    for (const int turn : turns) {
        if (turn == 0) {
            QNativeGestureEvent pinch(Qt::ZoomNativeGesture,
                                      QPointingDevice::primaryPointingDevice(), 2, at, at,
                                      view->mapToGlobal(at), 0.5, QPointF());
            QApplication::sendEvent(view, &pinch);
        } else {
            QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, turn), Qt::NoButton,
                              Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view, &wheel);
        }
    }
    QCOMPARE(viewer->geometry.percent(), percent);
    QVERIFY((pictureAt() - before).manhattanLength() < 2.0);
    // The sharper picture is decoded once the zoom rests; the point stays where it is.
    QTRY_COMPARE(viewer->sourceScale, qMin(1.0, viewer->geometry.scale()));
    QVERIFY((pictureAt() - before).manhattanLength() < 2.0);

    // The wheel alone scrolls the zoomed picture.
    const int scrolled = viewer->scrollView->verticalScrollBar()->value();
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    QVERIFY(viewer->scrollView->verticalScrollBar()->value() > scrolled);
    QCOMPARE(viewer->geometry.percent(), percent);
}

void tst_ImageViewer::showsEveryPixelOfALargePhoto()
{
    // 24 million pixels in smooth waves, so that neighbours differ a little everywhere.
    const QString path = file("24mp.jpg");
    {
        QImage photo(6000, 4000, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
            for (int x = 0; x < photo.width(); ++x)
                line[x] = qRgb((x * 3) & 255, (y * 5) & 255, ((x + y) * 2) & 255);
        }
        QVERIFY(photo.save(path, "jpg", 95));
    }
    viewer->load(path);
    ProcStatus::resetPeak();
    const long resident = ProcStatus::field("VmRSS");
    viewer->zoomMax();
    QCOMPARE(viewer->zoomPopup->findChild<QLabel *>()->text(), QStringLiteral("Zoom 100% "));
    const qint64 decodedOnce = viewer->basePixmap.cacheKey();
    const QPoint offset(4000, 3000);
    viewer->scrollView->horizontalScrollBar()->setValue(offset.x());
    viewer->scrollView->verticalScrollBar()->setValue(offset.y());
    const QImage at100 = viewer->scrollView->viewport()->grab().toImage();
    for (int i = 0; i < 7; ++i)
        viewer->zoomIn();
    QCOMPARE(viewer->zoomPopup->findChild<QLabel *>()->text(), QStringLiteral("Zoom 800% "));
    const QPoint offset8 = QPoint(viewer->scrollView->horizontalScrollBar()->value(),
                                  viewer->scrollView->verticalScrollBar()->value());
    const QImage at800 = viewer->scrollView->viewport()->grab().toImage();
    // 100 % and 800 % and their paints within the decode budget.
    const long peak = ProcStatus::field("VmHWM") - resident;
    QVERIFY2(peak * 1024 <= ImageHeader::budget, qPrintable(QString::number(peak)));
    QCOMPARE(viewer->basePixmap.cacheKey(), decodedOnce); // drawn from the same pixels

    const QImage decoded = QImageReader(path).read().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(at100.copy(0, 0, 200, 200), decoded.copy(QRect(offset, QSize(200, 200))));
    int misses = 0;
    for (int y = 4; y < at800.height() - 8; y += 8) {
        for (int x = 4; x < at800.width() - 8; x += 8) {
            const QPoint source = (offset8 + QPoint(x, y)) / 8;
            misses += looksLike(at800.pixel(x, y), decoded.pixelColor(source)) ? 0 : 1;
        }
    }
    QCOMPARE(misses, 0);
}

namespace {

enum Kind {
    Tap,
    DoubleTap,
    SlowDrag,
    Flick,
    PinchIn,
    PinchOut,
    EdgeSwipe,
    Swipe,
    Down,
    TapDrag,
    ShortSwipe,
    EndSwipe,
    FullScreenSwipe
};

} // namespace

void tst_ImageViewer::readsEveryGestureTrace_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("speed"); // 0 slow, 1 middling, 2 fast
    QTest::addColumn<int>("variant"); // the other way, elsewhere, or drifting

    const char *const kinds[] = {"tap",
                                 "double tap",
                                 "slow drag",
                                 "flick",
                                 "pinch in",
                                 "pinch out",
                                 "swipe at an edge",
                                 "swipe",
                                 "swipe down",
                                 "double-tap drag",
                                 "short swipe",
                                 "swipe at an end of the list",
                                 "full-screen swipe"};
    for (int kind = Tap; kind <= FullScreenSwipe; ++kind) {
        for (int speed = 0; speed < 3; ++speed) {
            for (int variant = 0; variant < 2; ++variant)
                QTest::addRow("%s, speed %d, variant %d", kinds[kind], speed, variant)
                        << kind << speed << variant;
        }
    }
}

void tst_ImageViewer::readsEveryGestureTrace()
{
    QFETCH(int, kind);
    QFETCH(int, speed);
    QFETCH(int, variant);

    // Swipes at an end of the list start at its first or last picture.
    const QStringList list{file("yellow.png"), file("1600x1200.png"), file("green.png")};
    const QString shown = kind != EndSwipe ? list[1] : list[variant == 0 ? 2 : 0];
    viewer->setImageList(list);
    viewer->load(shown);
    QPointer<ImageWidget> surface;
    if (kind == FullScreenSwipe) {
        viewer->showFullScreen();
        QVERIFY(QTest::qWaitForWindowExposed(surface = viewer->fullScreenWidget));
    }
    QWidget *view = surface ? surface.data() : viewer->scrollView->viewport();
    const auto *strip = surface ? surface->findChild<SlideStrip *>() : viewer->strip;
    QScrollBar *across = viewer->scrollView->horizontalScrollBar();
    QSignalSpy taps(viewer->imageWidget, &ImageWidget::clicked);
    if (kind == SlowDrag || kind == Flick || kind == EdgeSwipe) {
        viewer->zoomTo(0.5);
        if (kind == EdgeSwipe)
            across->setValue(variant == 0 ? across->maximum() : across->minimum());
    }
    const double before = viewer->geometry.scale();
    const QPoint centre(120, 145);
    // A finger from one point to another in eight moves, pace ms apart; where a swipe of the
    // fitted picture passes, the picture moves with it from where the swipe was told (a third
    // as far past an end), with no jump when it starts.
    const bool fittedSwipe = kind >= Swipe && kind != Down && kind != TapDrag;
    const auto drag = [&](QPoint from, QPoint to, int pace) {
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        std::optional<int> start;
        for (int i = 1; i <= 8; ++i) {
            const QPoint at = from + (to - from) * i / 8;
            QTest::mouseMove(view, at, pace);
            if (fittedSwipe && !start && strip->isVisible())
                start = at.x();
            if (fittedSwipe && i >= 4) {
                QVERIFY(strip->isVisible() && start);
                QCOMPARE(strip->offset(), (at.x() - *start) / (kind == EndSwipe ? 3.0 : 1.0));
            }
        }
        QTest::mouseRelease(view, Qt::LeftButton, {}, to, 1);
    };
    // A slow double tap keeps well within the 300 ms it may take, on a loaded machine too.
    const int pace[][3] = {{150, 80, 30}, {150, 90, 40}, {60, 40, 25}, {12, 6, 3},  {40, 20, 8},
                           {40, 20, 8},   {30, 15, 5},   {100, 20, 5}, {60, 20, 5}, {150, 90, 40},
                           {100, 20, 5},  {100, 20, 5},  {100, 20, 5}};
    static_assert(std::size(pace) == FullScreenSwipe + 1, "one pace per kind");
    const int ms = pace[kind][speed];
    const QPoint way = variant == 0 ? QPoint(-1, 0) : QPoint(1, 0);
    GestureTracker::Gesture expected = GestureTracker::None;
    switch (kind) {
    case Tap:
    case DoubleTap:
    case TapDrag: {
        // A finger on the touch screen; the mouse's double click as well.
        static QPointingDevice *finger = QTest::createTouchDevice();
        const QPoint at = variant == 0 || kind == TapDrag ? centre : QPoint(30, 200);
        if (kind == DoubleTap && variant == 0) {
            QTest::mouseClick(view, Qt::LeftButton, {}, at);
            QTest::mouseDClick(view, Qt::LeftButton, {}, at, ms); // the second press only
            QTest::mouseRelease(view, Qt::LeftButton, {}, at, 30);
        } else {
            QTest::touchEvent(view, finger).press(0, at);
            QTest::qWait(kind == Tap ? ms : 20);
            QTest::touchEvent(view, finger).release(0, at);
        }
        if (kind == DoubleTap && variant == 1) {
            QTest::qWait(ms);
            QTest::touchEvent(view, finger).press(0, at + QPoint(3, -2));
            QTest::touchEvent(view, finger).release(0, at + QPoint(3, -2));
        } else if (kind == TapDrag) {
            QTest::qWait(ms);
            QTest::touchEvent(view, finger).press(0, at);
            const QPoint to = at + QPoint(0, variant == 0 ? 60 : -60);
            for (int i = 1; i <= 8; ++i) {
                QTest::qWait(ms / 4);
                QTest::touchEvent(view, finger).move(0, at + (to - at) * i / 8);
            }
            QTest::touchEvent(view, finger).release(0, to);
        }
        expected = kind == Tap         ? GestureTracker::Tap
                   : kind == DoubleTap ? GestureTracker::DoubleTap
                                       : GestureTracker::DoubleTapDrag;
        break;
    }
    case SlowDrag:
    case Flick:
        drag(centre,
             centre
                     + (variant == 0 ? QPoint(-120, 10) : QPoint(5, -100))
                               / (kind == SlowDrag ? 2 : 1),
             ms);
        expected = kind == SlowDrag ? GestureTracker::Pan : GestureTracker::Flick;
        break;
    case PinchIn:
    case PinchOut: {
        // Two fingers closing or opening, their middle drifting aside or down.
        static QPointingDevice *screen = QTest::createTouchDevice();
        const QPoint drift = variant == 0 ? QPoint(20, 0) : QPoint(0, 20);
        const int from = kind == PinchIn ? 60 : 25;
        const int to = kind == PinchIn ? 25 : 60;
        for (int i = 0; i <= 6; ++i) {
            const int half = from + (to - from) * i / 6;
            const QPoint middle = centre + drift * i / 6;
            auto fingers = QTest::touchEvent(view, screen);
            if (i == 0)
                fingers.press(0, middle - QPoint(half, 0)).press(1, middle + QPoint(half, 0));
            else
                fingers.move(0, middle - QPoint(half, 0)).move(1, middle + QPoint(half, 0));
            fingers.commit();
            QTest::qWait(ms);
        }
        QTest::touchEvent(view, screen).release(0, centre + drift).release(1, centre + drift);
        expected = GestureTracker::Pinch;
        break;
    }
    case EdgeSwipe:
    case Swipe:
    case EndSwipe:
        drag(centre, centre + way * 80 + QPoint(0, 6), ms);
        expected = variant == 0 ? GestureTracker::Next : GestureTracker::Previous;
        break;
    case FullScreenSwipe: // on, or short of the threshold and back
        drag(centre, centre - QPoint(variant == 0 ? 80 : 40, 0), ms);
        break;
    case ShortSwipe:
        drag(centre, centre + way * 40, ms);
        expected = GestureTracker::SpringBack;
        break;
    case Down:
        drag(QPoint(120, 60), QPoint(120 + 15 * variant, 170), ms);
        expected = GestureTracker::Down;
        break;
    }
    QCOMPARE(viewer->gestures.last(), expected);
    // What the viewer made of it.
    if (kind == DoubleTap)
        QCOMPARE(viewer->geometry.percent(), 100); // twice the fit is less
    if (kind == PinchIn || (kind == TapDrag && variant == 1))
        QVERIFY(viewer->geometry.scale() < before);
    if (kind == PinchOut || (kind == TapDrag && variant == 0))
        QVERIFY(viewer->geometry.scale() > before);
    QCOMPARE(viewer->isVisible(), kind != Down && !surface);
    // A tap counts once no second tap can follow; a double tap is no tap.
    QCOMPARE(taps.count(), 0);
    if (kind == Tap || kind == DoubleTap)
        QTest::qWait(viewer->gestures.doubleTapInterval() + 50);
    QTRY_COMPARE(taps.count(), kind == Tap ? 1 : 0); // its timer may be late on a busy machine
    // A swipe ends on the neighbour, or springs back; nothing is left over the view.
    const int moved = kind == Swipe || kind == EdgeSwipe ? (variant == 0 ? 1 : -1)
                      : kind == FullScreenSwipe          ? 1 - variant
                                                         : 0;
    QTRY_VERIFY(!strip->isVisible());
    QCOMPARE(kind == Down ? 1 : viewer->navigator.position(), list.indexOf(shown) + moved);
    if (surface) // the surface shows and names the picture it ended on
        QCOMPARE(surface->windowTitle(), QFileInfo(list.value(1 + moved)).fileName());
}

void tst_ImageViewer::slidesInANeighbourDecodedMidSwipe()
{
    // The finger starts before the next picture is made: it fills its place once it is.
    const QStringList paths{file("strip0.png"), file("strip1.png")};
    QVERIFY(writeMarked(paths[0], 200, 100) && writeMarked(paths[1], 200, 100, Qt::green));
    viewer->setImageList(paths);
    viewer->load(paths[0]);
    QWidget *view = viewer->scrollView->viewport();
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(230, 170));
    for (int x = 210; x >= 10; x -= 20)
        QTest::mouseMove(view, QPoint(x, 170));
    QVERIFY(viewer->strip->isVisible());
    QTRY_VERIFY(looksLike(viewer->strip->grab().toImage().pixel(200, 170), Qt::green));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(10, 170));
}

void tst_ImageViewer::tellsTheFileFacts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("bytes"); // -1: a 64x48 picture, -2: a 400x300 indexed one
    QTest::addColumn<QStringList>("facts"); // format, size, dimensions, colours
    QTest::addColumn<QStringList>("details"); // -3: exiftool gives the 64x48 picture these

    QTest::newRow("1025 bytes") << "b.dat" << 1025 << QStringList{" image", "1 Kb", "0x0", ""}
                                << QStringList();
    QTest::newRow("empty") << "e.jpg" << 0 << QStringList{" image", "0 bytes", "0x0", ""}
                           << QStringList();
    QTest::newRow("jpeg") << "g.jpg" << -1 << QStringList{"JPEG image", "", "64x48", "True color"}
                          << QStringList();
    QTest::newRow("indexed") << "i.png" << -2 << QStringList{"PNG image", "", "400x300", "5 colors"}
                             << QStringList();
    QTest::newRow("photo") << "p.jpg" << -3 << QStringList{"JPEG image", "", "64x48", "True color"}
                           << QStringList{"2020-01-02T03:04:05",
                                          "Canon EOS 5D",
                                          "1/250 s",
                                          "f/2.8",
                                          "400",
                                          "50 mm",
                                          "48.858370° N, 2.294481° W"};
    QTest::newRow("photo, long exposure, no GPS")
            << "q.jpg" << -3 << QStringList{"JPEG image", "", "64x48", "True color"}
            << QStringList{"", "Canon", "2.5 s", "f/11", "", "4.3 mm", ""};
}

void tst_ImageViewer::tellsTheFileFacts()
{
    QFETCH(QString, name);
    QFETCH(int, bytes);
    QFETCH(QStringList, facts);
    QFETCH(QStringList, details);

    const QString path = file(name);
    QVERIFY(bytes == -2 ? writeIndexed(path, QSize(400, 300))
            : bytes < 0 ? TestUtil::writeImage(path, 64, 48)
                        : TestUtil::writeBytes(path, bytes));
    const QStringList tags = details.value(2) == "2.5 s"
                                     ? QStringList{"-Make=Canon", "-ExposureTime=2.5",
                                                   "-FNumber=11", "-FocalLength=4.3"}
                                     : QStringList{"-DateTimeOriginal=2020:01:02 03:04:05",
                                                   "-Make=Canon",
                                                   "-Model=EOS 5D",
                                                   "-ExposureTime=0.004",
                                                   "-FNumber=2.8",
                                                   "-ISO=400",
                                                   "-FocalLength=50",
                                                   "-GPSLatitude=48.85837",
                                                   "-GPSLatitudeRef=N",
                                                   "-GPSLongitude=2.294481",
                                                   "-GPSLongitudeRef=W"};
    if (bytes == -3 && !TestUtil::writeExif(path, tags))
        QSKIP("exiftool is missing");
    viewer->load(path);
    QCOMPARE(QStringList(viewer->info.begin(), viewer->info.end()),
             QStringList({name, facts[0], dir.path(),
                          facts[1].isEmpty() ? viewer->info[3] : facts[1], facts[2], facts[3]}));
    // Read in a worker; the box shows the six facts, then what the photo tells.
    const ExifReader::Details &read = viewer->details;
    if (!details.isEmpty())
        QTRY_COMPARE(read.make, QString("Canon"));
    QCOMPARE(QStringList({read.taken.toString("yyyy-MM-ddTHH:mm:ss"),
                          (read.make + ' ' + read.model).trimmed(), read.exposure, read.aperture,
                          read.iso, read.focalLength, read.gps}),
             details.isEmpty() ? QStringList(7, "") : details);
    QStringList shown;
    TestUtil::answerModal([&](QWidget *box) {
        for (const QPlainTextEdit *edit : box->findChildren<QPlainTextEdit *>())
            shown << edit->toPlainText();
        box->close();
    });
    viewer->showInfoDialog();
    details.removeAll(QString());
    const int dated = read.taken.isValid() ? 1 : 0; // shown in the locale's format
    QCOMPARE(shown.size(), 6 + details.size());
    QCOMPARE(shown.mid(6 + dated), details.mid(dated));
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

    const QString previous = file("previous.png"), current = file("current.png"),
                  next = file("next.png");
    QVERIFY(writeMarked(previous, 300, 200, Qt::yellow));
    QVERIFY(writeMarked(current, 200, 300, Qt::blue));
    QVERIFY(writeMarked(next, 400, 100, Qt::green));
    viewer->load(previous);

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
    // The previous file's picture never stood for the new one.
    QCOMPARE(shownThen, QSize(0, 0));
    QCOMPARE(statusThen, QStringLiteral("Loading..."));
    if (request == QLatin1String("delete")) {
        QVERIFY(viewer.isNull());
        return;
    }
    if (request == QLatin1String("close")) {
        QVERIFY(viewer->basePixmap.isNull());
        QCOMPARE(viewer->statusLabel->text(), QString());
        return;
    }

    const bool second = request == QLatin1String("load");
    QCOMPARE(viewer->info[4], second ? QStringLiteral("400x100") : QStringLiteral("200x300"));
    QVERIFY(viewer->fitted);
    QCOMPARE(viewer->rotation + viewer->brightness, 0);
    QCOMPARE(viewer->imageWidget->size(), second ? QSize(240, 60) : QSize(193, 290));
    const QImage shown = viewer->basePixmap.toImage();
    QVERIFY(looksLike(shown.pixel(shown.width() - 3, shown.height() - 3),
                      second ? Qt::green : Qt::blue));
    if (request == QLatin1String("full screen")) {
        // The surface shows the file being opened, not the one before.
        QVERIFY(surface && QTest::qWaitForWindowExposed(surface));
        QVERIFY(looksLike(surface->grab().toImage().pixel(120, 300), Qt::blue));
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(10, 10));
        QTRY_VERIFY(surface.isNull());
    }
}

void tst_ImageViewer::movesThroughTheListedPictures_data()
{
    // A key; 2: swipe right from beside the picture, 4: two moves to ready neighbours, 5: the same
    // with Right on full screen, 6: a new list, 7: a close.
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("zoomed");
    QTest::addColumn<int>("expected");

    const int right = Qt::Key_Right, left = Qt::Key_Left;
    QTest::newRow("Right") << right << 2 << false << 3;
    QTest::newRow("Left") << left << 2 << false << 1;
    QTest::newRow("Left at the first") << left << 0 << false << 0;
    QTest::newRow("Right at the last") << right << 13 << false << 13;
    QTest::newRow("swipe right") << 2 << 2 << false << 1;
    QTest::newRow("zoomed: Right scrolls") << right << 2 << true << 2;
    QTest::newRow("zoomed: Page Down") << int(Qt::Key_PageDown) << 2 << true << 3;
    QTest::newRow("ready: Right") << 4 << 2 << false << 4;
    QTest::newRow("ready: Left") << 4 << 4 << false << 2;
    QTest::newRow("ready: full screen") << 5 << 2 << false << 4;
    QTest::newRow("relist drops the ready") << 6 << 2 << false << 2;
    QTest::newRow("close mid-decode") << 7 << 2 << false << 2;
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
    paths[2] = file("1600x1200.png");
    QVERIFY(writeMarked(paths[3], 64, 48, Qt::green));
    QVERIFY(writeIndexed(paths[4], QSize(400, 100)));
    viewer->setImageList(paths);
    viewer->load(paths[start]);
    QPointer<ImageWidget> surface;
    if (input == 5) {
        viewer->showFullScreen();
        surface = viewer->fullScreenWidget;
        QVERIFY(QTest::qWaitForWindowExposed(surface));
    }
    if (zoomed)
        viewer->zoomTo(1.0);
    QSignalSpy moves(viewer, &ImageViewer::imageChanged);
    const QSize box = surface ? QSize(240, 320) : QSize(240, 290);
    const auto ready = [&](int n) {
        return viewer->navigator.pictures().isReady(paths[start + n], box, bool(surface));
    };

    QScrollBar *across = viewer->scrollView->horizontalScrollBar();
    const int scrolled = across->value();
    int way = 0;
    if (input == 2) {
        QWidget *area = viewer->scrollView->viewport(); // above the picture
        QTest::mousePress(area, Qt::LeftButton, {}, QPoint(120, 10));
        for (int step = 1; step <= 3; ++step)
            QTest::mouseMove(area, QPoint(120 + 20 * step, 10 + step));
        QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(180, 13));
    } else if (input == 4 || input == 5) {
        // The neighbours are made in the workers; a move to one swaps it in.
        way = expected > start ? 1 : -1;
        QTRY_VERIFY(ready(-way));
        loads = 0;
        for (int moved = 1; moved <= 2; ++moved) {
            QTRY_VERIFY(ready(way * moved));
            if (surface)
                QTest::keyClick(surface, Qt::Key_Right);
            else
                viewer->step(way);
            // The surface shows the next picture (green where the first was blue) and names it.
            if (surface && moved == 1)
                QVERIFY(looksLike(surface->grab().toImage().pixel(140, 175), Qt::green)
                        && surface->windowTitle() == QStringLiteral("listed3.png"));
        }
        QCOMPARE(loads, 0);
    }
    if (surface) {
        // A swipe down closes the surface, as Escape does.
        QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(120, 60));
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(surface, QPoint(120 + step, 60 + 30 * step), 20);
        QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(124, 180), 20);
        QTRY_VERIFY(surface.isNull() && viewer->isVisible());
    } else if (input == 4) {
        QCOMPARE(viewer->info[4] + viewer->info[5],
                 way > 0 ? QStringLiteral("400x1005 colors")
                         : QStringLiteral("1600x1200True color"));
        QCOMPARE(viewer->basePixmap.size(), way > 0 ? QSize(240, 60) : QSize(240, 180));
    }
    if (input == 6 || input == 7) {
        if (input == 6) {
            QTRY_VERIFY(ready(1));
            viewer->setImageList(paths);
        } else {
            // Nothing the workers make after a close is kept or reaches the viewer.
            viewer->close();
            Prefetcher::pool()->waitForDone();
            QCoreApplication::processEvents();
        }
        QVERIFY(!ready(-1) && !ready(1));
        return;
    }
    if (input > 7)
        QTest::keyClick(viewer->focusWidget(), Qt::Key(input));

    QTRY_COMPARE(viewer->fileName, paths[expected]);
    QCOMPARE(viewer->statusLabel->text(), QStringLiteral("%1/14").arg(expected + 1));
    if (input < 4 || input > 7)
        QCOMPARE(moves.count(), expected == start ? 0 : 1);
    if (zoomed && input == Qt::Key_Right)
        QVERIFY(across->value() > scrolled);
}

void tst_ImageViewer::tellsTapsSwipesAndDragsApart_data()
{
    // The slide show's surface: by the end, in four even steps of milliseconds / 5.
    QTest::addColumn<QPoint>("moved");
    QTest::addColumn<int>("milliseconds");
    QTest::addColumn<int>("gesture"); // 0: none, 1: next, -1: previous, 2: tap

    QTest::newRow("tap") << QPoint(0, 0) << 100 << 2;
    QTest::newRow("10 px wobble") << QPoint(10, -10) << 100 << 2;
    QTest::newRow("slow swipe left") << QPoint(-60, 10) << 2000 << 1;
    QTest::newRow("swipe right") << QPoint(48, -24) << 200 << -1;
    QTest::newRow("47 px") << QPoint(-47, 0) << 200 << 0;
    QTest::newRow("diagonal") << QPoint(-80, 41) << 200 << 0;
    // Only the full-screen surface closes on it; the slide show's stays open.
    QTest::newRow("swipe down") << QPoint(5, 100) << 200 << 0;
}

void tst_ImageViewer::tellsTapsSwipesAndDragsApart()
{
    QFETCH(QPoint, moved);
    QFETCH(int, milliseconds);
    QFETCH(int, gesture);

    viewer->hide(); // a modal dialog would take the touches
    QPixmap pixmap(200, 300);
    pixmap.fill(Qt::gray);
    ImageWidget widget;
    widget.setPixmap(&pixmap, false);
    widget.resize(240, 320);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QSignalSpy clicks(&widget, &ImageWidget::clicked);
    QSignalSpy swipes(&widget, &ImageWidget::swiped);
    const QPoint start(120, 150);
    QTest::mousePress(&widget, Qt::LeftButton, {}, start, 0);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(&widget, start + moved * step / 4, milliseconds / 5);
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, start + moved, milliseconds / 5);

    QCOMPARE(clicks.count(), gesture == 2 ? 1 : 0);
    QCOMPARE(swipes.count(), gesture == 1 || gesture == -1 ? 1 : 0);
    if (!swipes.isEmpty())
        QCOMPARE(swipes.first().first().toInt(), gesture);
    QVERIFY(widget.isVisible());
}

void tst_ImageViewer::keepsThePictureShown_data()
{
    // The pop-up a key closes, whose release then reaches the viewer after an earlier press
    // there; none: a see-through picture opened after a photo.
    QTest::addColumn<QString>("popup");
    QTest::addColumn<int>("key");
    QTest::newRow("zoom") << "zoom" << int(Qt::Key_Escape);
    QTest::newRow("turn") << "rotate" << int(Qt::Key_Escape);
    QTest::newRow("menu") << "menu" << int(Qt::Key_Escape);
    QTest::newRow("facts: Return") << "facts" << int(Qt::Key_Return);
    QTest::newRow("facts: Escape") << "facts" << int(Qt::Key_Escape);
    QTest::newRow("see-through") << "" << int(Qt::Key_Escape);
}

void tst_ImageViewer::keepsThePictureShown()
{
    QFETCH(QString, popup);
    QFETCH(int, key);

    QImage clear(100, 80, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    QVERIFY(clear.save(file("clear.png")));
    viewer->load(file("1600x1200.png"));
    QTest::keyPress(viewer->focusWidget(), Qt::Key(key)); // Escape's closes the viewer
    viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    viewer->load(file(popup.isEmpty() ? "clear.png" : "1600x1200.png"));
    bool closed = true;
    if (popup == QLatin1String("facts")) {
        TestUtil::answerModal([&](QWidget *box) {
            QTest::keyPress(box, Qt::Key(key));
            closed = !box->isVisible();
            box->close();
        });
        viewer->showInfoDialog();
    } else if (!popup.isEmpty()) {
        QMenu *menu = viewer->findChild<QToolButton *>(popup)->menu();
        menu->popup(viewer->mapToGlobal(QPoint(0, 20)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QTest::keyPress(menu, Qt::Key(key));
        closed = !menu->isVisible();
    }
    QVERIFY(closed);
    if (!popup.isEmpty())
        QTest::keyRelease(viewer->focusWidget(), Qt::Key(key));
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->windowTitle(), popup.isEmpty() ? "clear.png" : "1600x1200.png");
    QCOMPARE(viewer->imageWidget->size(), popup.isEmpty() ? QSize(100, 80) : QSize(240, 180));
    // On screen: the picture, and plain black under a see-through one, never the photo before.
    const QPoint at
            = viewer->imageWidget->mapTo(viewer, viewer->imageWidget->rect().center() * 3 / 2);
    QTRY_VERIFY(looksLike(viewer->screen()->grabWindow(viewer->winId()).toImage().pixel(at),
                          popup.isEmpty() ? Qt::black : Qt::blue));
}

PICTARN_TEST(tst_ImageViewer)
#include "tst_imageviewer.moc"
