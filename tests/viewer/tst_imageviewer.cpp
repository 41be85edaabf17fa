#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "viewer/imageviewer.h"
#include "viewer/imagewidget.h"

#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
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

#include <memory>

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
    if (type == QtDebugMsg && message.startsWith(QLatin1String("loading ")))
        loads += QThread::currentThread() == QCoreApplication::instance()->thread() ? 1 : 0;
    else
        logged(type, context, message);
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
    logged = qInstallMessageHandler(&countLoads);
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
    QTest::newRow("in keeps the middle") << large << "zi" << large << 2 << QPointF(0.3, 0.6);
    QTest::newRow("out keeps the middle")
            << large << "zo" << QSize(533, 399) << 2 << QPointF(0.3, 0.6);
    QTest::newRow("turn 90 turns the middle")
            << large << "z9" << QSize(600, 800) << 1 << QPointF(0.4, 0.3);
    QTest::newRow("back to the fit, once") << large << "iff" << QSize(240, 180) << 2 << QPointF();
    // Pictures larger than the bound allows are never made.
    QTest::newRow("3001x3000 max")
            << QSize(3001, 3000) << "m" << QSize(1500, 1499) << 1 << QPointF();
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
            viewer->zoomTo(2);
        else
            viewer->rotateBy(90);
        QCoreApplication::processEvents();
        if (step == QLatin1Char('z')) {
            across->setValue(qRound(0.3 * picture().width() - view().width() / 2.0));
            down->setValue(qRound(0.6 * picture().height() - view().height() / 2.0));
        }
    }
    QCOMPARE(loads, decodes);
    QCOMPARE(viewer->basePixmap.size(), shown);
    const QPointF at((across->value() + view().width() / 2.0) / picture().width(),
                     (down->value() + view().height() / 2.0) / picture().height());
    QVERIFY(middle.isNull() || (at - middle).manhattanLength() < 0.03);
}

void tst_ImageViewer::tellsTheFileFacts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("bytes"); // -1: a 64x48 picture, -2: a 400x300 indexed one
    QTest::addColumn<QStringList>("facts"); // format, size, dimensions, colours

    QTest::newRow("1025 bytes") << "b.dat" << 1025 << QStringList{" image", "1 Kb", "0x0", ""};
    QTest::newRow("empty") << "e.jpg" << 0 << QStringList{" image", "0 bytes", "0x0", ""};
    QTest::newRow("jpeg") << "g.jpg" << -1 << QStringList{"JPEG image", "", "64x48", "True color"};
    QTest::newRow("indexed") << "i.png" << -2
                             << QStringList{"PNG image", "", "400x300", "5 colors"};
}

void tst_ImageViewer::tellsTheFileFacts()
{
    QFETCH(QString, name);
    QFETCH(int, bytes);
    QFETCH(QStringList, facts);

    const QString path = file(name);
    QVERIFY(bytes == -2   ? writeIndexed(path, QSize(400, 300))
            : bytes == -1 ? TestUtil::writeImage(path, 64, 48)
                          : TestUtil::writeBytes(path, bytes));
    viewer->load(path);
    QCOMPARE(QStringList(viewer->info.begin(), viewer->info.end()),
             QStringList({name, facts[0], dir.path(),
                          facts[1].isEmpty() ? viewer->info[3] : facts[1], facts[2], facts[3]}));
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
        viewer->zoomTo(1);
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
            // The surface shows the next picture: green where the first was blue.
            if (surface && moved == 1)
                QVERIFY(looksLike(surface->grab().toImage().pixel(140, 175), Qt::green));
        }
        QCOMPARE(loads, 0);
    }
    if (surface) {
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(10, 10));
        QTRY_VERIFY(surface.isNull());
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
    QTest::addColumn<QPoint>("moved"); // by the end, in even steps
    QTest::addColumn<int>("milliseconds");
    QTest::addColumn<int>("view"); // zoomed: at -1 its left edge, 0 its middle, 1 its right
    QTest::addColumn<int>("gesture"); // 0: none, 1: next, -1: previous, 2: tap

    const int fitted = 0, none = 0, next = 1, previous = -1, tap = 2;
    QTest::newRow("tap") << QPoint(0, 0) << 100 << fitted << tap;
    QTest::newRow("10 px wobble") << QPoint(10, -10) << 100 << fitted << tap;
    QTest::newRow("swipe left") << QPoint(-60, 10) << 2000 << fitted << next;
    QTest::newRow("swipe right") << QPoint(48, -24) << 200 << fitted << previous;
    QTest::newRow("47 px") << QPoint(-47, 0) << 200 << fitted << none;
    QTest::newRow("diagonal") << QPoint(-80, 41) << 200 << fitted << none;
    QTest::newRow("zoomed: pan") << QPoint(-60, -30) << 200 << 0 << none;
    QTest::newRow("zoomed: swipe at the edge") << QPoint(-60, 0) << 200 << 1 << next;
    QTest::newRow("zoomed: slow at the edge") << QPoint(-60, 0) << 400 << 1 << none;
    QTest::newRow("zoomed: wrong edge") << QPoint(60, 0) << 200 << 1 << none;
    QTest::newRow("zoomed: tap") << QPoint(3, 3) << 100 << -1 << tap;
}

void tst_ImageViewer::tellsTapsSwipesAndDragsApart()
{
    QFETCH(QPoint, moved);
    QFETCH(int, milliseconds);
    QFETCH(int, view);
    QFETCH(int, gesture);

    viewer->hide(); // a modal dialog would take the touches
    QScrollArea area;
    area.resize(240, 320);
    const bool zoomed = QByteArray(QTest::currentDataTag()).startsWith("zoomed");
    QPixmap pixmap(zoomed ? QSize(600, 600) : QSize(200, 300));
    pixmap.fill(Qt::gray);
    auto *widget = new ImageWidget;
    widget->setPixmap(&pixmap, true);
    area.setWidget(widget);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QScrollBar *h = area.horizontalScrollBar();
    QScrollBar *v = area.verticalScrollBar();
    h->setValue(view < 0 ? h->minimum() : view > 0 ? h->maximum() : h->maximum() / 2);
    v->setValue(v->maximum() / 2);
    const QPoint scrolled(h->value(), v->value());
    QSignalSpy clicks(widget, &ImageWidget::clicked);
    QSignalSpy swipes(widget, &ImageWidget::swiped);

    // Screen points: a panned picture moves under the finger.
    const QPoint start = area.viewport()->mapToGlobal(QPoint(120, 150));
    QTest::mousePress(widget, Qt::LeftButton, {}, widget->mapFromGlobal(start), 0);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(widget, widget->mapFromGlobal(start + moved * step / 4), milliseconds / 5);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, widget->mapFromGlobal(start + moved),
                        milliseconds / 5);

    QCOMPARE(clicks.count(), gesture == 2 ? 1 : 0);
    QCOMPARE(swipes.count(), gesture == 1 || gesture == -1 ? 1 : 0);
    if (!swipes.isEmpty())
        QCOMPARE(swipes.first().first().toInt(), gesture);
    // A zoomed picture follows the finger, as far as its edges allow.
    if (zoomed && gesture == 0 && view == 0)
        QCOMPARE(QPoint(h->value(), v->value()), scrolled - moved);
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
    QCOMPARE(viewer->imageWidget->size(), popup.isEmpty() ? QSize(100, 80) : QSize(240, 180));
    // On screen: the picture, and plain black under a see-through one, never the photo before.
    const QPoint at
            = viewer->imageWidget->mapTo(viewer, viewer->imageWidget->rect().center() * 3 / 2);
    QTRY_VERIFY(looksLike(viewer->screen()->grabWindow(viewer->winId()).toImage().pixel(at),
                          popup.isEmpty() ? Qt::black : Qt::blue));
}

PICTARN_TEST(tst_ImageViewer)
#include "tst_imageviewer.moc"
