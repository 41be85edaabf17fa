#include "common/testmain.h"

#include "viewer/imagewidget.h"

#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

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

} // namespace

class tst_ImageWidget : public QObject
{
    Q_OBJECT
private slots:
    void tellsTapsSwipesAndDragsApart_data();
    void tellsTapsSwipesAndDragsApart();
};

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
