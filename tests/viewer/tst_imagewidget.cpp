#include "common/testmain.h"

#include "viewer/imagewidget.h"

#include <QKeyEvent>
#include <QPixmap>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

const QRgb untouched = qRgb(255, 0, 255);

// Each pixel tells where it came from: red and green are x and y modulo 256, blue their
// hundreds.
QPixmap positionPixmap(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
    return QPixmap::fromImage(image);
}

// What the widget paints by itself, over a magenta canvas.
QImage painted(ImageWidget &widget)
{
    QImage canvas(widget.size(), QImage::Format_RGB32);
    canvas.fill(untouched);
    widget.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
    return canvas;
}

} // namespace

class tst_ImageWidget : public QObject
{
    Q_OBJECT
private slots:
    void drawsThePixmapCentred_data();
    void drawsThePixmapCentred();
    void fillsBlackForAnEmptyPixmapAndNothingForNone();
    void turnsKeyReleasesIntoSignals_data();
    void turnsKeyReleasesIntoSignals();
    void closingEmptiesThePixmapAndStopsPainting();
    void tellsTapsSwipesAndDragsApart_data();
    void tellsTapsSwipesAndDragsApart();
};

void tst_ImageWidget::drawsThePixmapCentred_data()
{
    QTest::addColumn<QSize>("pixmapSize");
    QTest::addColumn<QPoint>("origin");

    QTest::newRow("101x50") << QSize(101, 50) << QPoint(69, 135);
    QTest::newRow("300x400, middle part") << QSize(300, 400) << QPoint(-30, -40);
    QTest::newRow("241x321, odd overflow") << QSize(241, 321) << QPoint(0, 0);
}

void tst_ImageWidget::drawsThePixmapCentred()
{
    QFETCH(QSize, pixmapSize);
    QFETCH(QPoint, origin);

    QPixmap pixmap = positionPixmap(pixmapSize.width(), pixmapSize.height());
    ImageWidget widget;
    widget.resize(240, 320);
    widget.setPixmap(&pixmap, false);
    QCOMPARE(widget.size(), QSize(240, 320));
    const QImage canvas = painted(widget);
    const QImage source = pixmap.toImage();

    const QRect covered = QRect(origin, pixmapSize).intersected(widget.rect());
    for (const QPoint &at : {covered.topLeft(), covered.topRight(), covered.bottomLeft(),
                             covered.bottomRight(), covered.center()}) {
        QCOMPARE(canvas.pixel(at), source.pixel(at - origin));
    }
    if (origin.x() > 0) {
        QCOMPARE(canvas.pixel(origin.x() - 1, origin.y()), untouched);
        QCOMPARE(canvas.pixel(covered.right() + 1, covered.bottom()), untouched);
    }

    // Asked to, the widget takes the pixmap's size, and none for an empty one.
    widget.setPixmap(&pixmap, true);
    QCOMPARE(widget.size(), pixmapSize);
    QPixmap empty;
    widget.setPixmap(&empty, true);
    QCOMPARE(widget.size(), QSize(0, 0));
}

void tst_ImageWidget::fillsBlackForAnEmptyPixmapAndNothingForNone()
{
    ImageWidget widget;
    widget.resize(240, 320);
    QCOMPARE(painted(widget).pixel(120, 160), untouched);

    QPixmap empty;
    widget.setPixmap(&empty, false);
    const QImage canvas = painted(widget);
    for (const QPoint &at : {QPoint(0, 0), QPoint(239, 319), QPoint(120, 160)})
        QCOMPARE(canvas.pixel(at), qRgb(0, 0, 0));

    // A background colour fills around a picture.
    QPixmap pixmap = positionPixmap(100, 50);
    widget.setBackgroundColor(Qt::black);
    widget.setPixmap(&pixmap, false);
    const QImage shown = widget.grab().toImage();
    QCOMPARE(shown.pixel(239, 319), qRgb(0, 0, 0));
    QCOMPARE(shown.pixel(70, 135), pixmap.toImage().pixel(0, 0));
}

void tst_ImageWidget::turnsKeyReleasesIntoSignals_data()
{
    QTest::addColumn<int>("key"); // 0: a mouse release
    QTest::addColumn<int>("ok");
    QTest::addColumn<int>("cancel");

    QTest::newRow("Enter") << int(Qt::Key_Enter) << 1 << 0;
    QTest::newRow("Return") << int(Qt::Key_Return) << 1 << 0;
    QTest::newRow("Down") << int(Qt::Key_Down) << 1 << 0;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << 1;
    QTest::newRow("Right") << int(Qt::Key_Right) << 0 << 0;
    QTest::newRow("letter") << int(Qt::Key_A) << 0 << 0;
    QTest::newRow("mouse") << 0 << 0 << 0;
}

void tst_ImageWidget::turnsKeyReleasesIntoSignals()
{
    QFETCH(int, key);
    QFETCH(int, ok);
    QFETCH(int, cancel);

    // A self-deleting surface, as the viewer's full-screen one.
    auto *widget = new ImageWidget(nullptr, Qt::WindowFlags());
    widget->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<ImageWidget> guard(widget);
    widget->resize(240, 320);
    widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(widget));
    QSignalSpy okSpy(widget, &ImageWidget::OKPressed);
    QSignalSpy cancelSpy(widget, &ImageWidget::CancelPressed);
    QSignalSpy clickSpy(widget, &ImageWidget::clicked);
    bool visibleWhenCancelled = false;
    connect(widget, &ImageWidget::CancelPressed, this,
            [&] { visibleWhenCancelled = guard && guard->isVisible(); });

    if (key == 0) {
        // Only the release of a button is a click.
        QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clickSpy.count(), 0);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseClick(widget, Qt::RightButton, {}, QPoint(200, 300));
        QCOMPARE(clickSpy.count(), 2);
    } else {
        // Presses are the toolkit's; only the release counts.
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &press);
        QCOMPARE(okSpy.count() + cancelSpy.count(), 0);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        release.ignore();
        QCoreApplication::sendEvent(widget, &release);
        QVERIFY(release.isAccepted());
        QCOMPARE(clickSpy.count(), 0);
    }
    QCOMPARE(okSpy.count(), ok);
    QCOMPARE(cancelSpy.count(), cancel);
    // Escape signals while the surface is still up, then closes and deletes it.
    QCOMPARE(visibleWhenCancelled, cancel == 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(guard.isNull(), cancel == 1);
    delete guard.data();
}

void tst_ImageWidget::closingEmptiesThePixmapAndStopsPainting()
{
    QPixmap pixmap = positionPixmap(100, 100);
    ImageWidget widget;
    widget.resize(240, 320);
    widget.setPixmap(&pixmap, false);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QVERIFY(widget.close());
    QVERIFY(pixmap.isNull());
    // Not even the black of an empty pixmap: nothing at all.
    QCOMPARE(painted(widget).pixel(120, 160), untouched);
}

void tst_ImageWidget::tellsTapsSwipesAndDragsApart_data()
{
    QTest::addColumn<QPoint>("moved"); // by the end, in even steps
    QTest::addColumn<int>("milliseconds");
    QTest::addColumn<int>("view"); // zoomed: at -1 its left edge, 0 its middle, 1 its right
    QTest::addColumn<bool>("touch");
    QTest::addColumn<int>("gesture"); // 0: none, 1: next, -1: previous, 2: tap

    const int fitted = 0, none = 0, next = 1, previous = -1, tap = 2;
    QTest::newRow("tap") << QPoint(0, 0) << 100 << fitted << false << tap;
    QTest::newRow("10 px wobble") << QPoint(10, -10) << 100 << fitted << false << tap;
    QTest::newRow("swipe left") << QPoint(-60, 10) << 2000 << fitted << false << next;
    QTest::newRow("swipe right") << QPoint(48, -24) << 200 << fitted << false << previous;
    QTest::newRow("47 px") << QPoint(-47, 0) << 200 << fitted << false << none;
    QTest::newRow("diagonal") << QPoint(-80, 41) << 200 << fitted << false << none;
    QTest::newRow("touch tap") << QPoint(5, 5) << 100 << fitted << true << tap;
    QTest::newRow("touch swipe") << QPoint(-70, 0) << 100 << fitted << true << next;
    QTest::newRow("zoomed: pan") << QPoint(-60, -30) << 200 << 0 << false << none;
    QTest::newRow("zoomed: swipe at the edge") << QPoint(-60, 0) << 200 << 1 << false << next;
    QTest::newRow("zoomed: slow at the edge") << QPoint(-60, 0) << 400 << 1 << false << none;
    QTest::newRow("zoomed: wrong edge") << QPoint(60, 0) << 200 << 1 << false << none;
    QTest::newRow("zoomed: tap") << QPoint(3, 3) << 100 << -1 << false << tap;
}

void tst_ImageWidget::tellsTapsSwipesAndDragsApart()
{
    QFETCH(QPoint, moved);
    QFETCH(int, milliseconds);
    QFETCH(int, view);
    QFETCH(bool, touch);
    QFETCH(int, gesture);

    QScrollArea area;
    area.resize(240, 320);
    const bool zoomed = QByteArray(QTest::currentDataTag()).startsWith("zoomed");
    QPixmap pixmap = zoomed ? positionPixmap(600, 600) : positionPixmap(200, 300);
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
    const int steps = 4;
    if (touch) {
        QPointingDevice *device = QTest::createTouchDevice();
        const auto at = [&](int step) {
            return area.viewport()->mapFromGlobal(start + moved * step / steps);
        };
        QTest::touchEvent(&area, device).press(0, at(0), area.viewport());
        for (int step = 1; step <= steps; ++step)
            QTest::touchEvent(&area, device).move(0, at(step), area.viewport());
        QTest::touchEvent(&area, device).release(0, at(steps), area.viewport());
    } else {
        QTest::mousePress(widget, Qt::LeftButton, {}, widget->mapFromGlobal(start), 0);
        for (int step = 1; step <= steps; ++step)
            QTest::mouseMove(widget, widget->mapFromGlobal(start + moved * step / steps),
                             milliseconds / (steps + 1));
        QTest::mouseRelease(widget, Qt::LeftButton, {}, widget->mapFromGlobal(start + moved),
                            milliseconds / (steps + 1));
    }

    QCOMPARE(clicks.count(), gesture == 2 ? 1 : 0);
    QCOMPARE(swipes.count(), gesture == 1 || gesture == -1 ? 1 : 0);
    if (!swipes.isEmpty())
        QCOMPARE(swipes.first().first().toInt(), gesture);
    // A zoomed picture follows the finger, as far as its edges allow.
    if (zoomed && gesture == 0 && view == 0)
        QCOMPARE(QPoint(h->value(), v->value()), scrolled - moved);
}

PICTARN_TEST(tst_ImageWidget)
#include "tst_imagewidget.moc"
