#include "common/testmain.h"

#include "viewer/viewgeometry.h"

#include <QTest>

class tst_ViewGeometry : public QObject
{
    Q_OBJECT
private slots:
    void stepsBetweenTheFitAndTheLargest_data();
    void stepsBetweenTheFitAndTheLargest();
    void drawsOnlyTheExposedPart_data();
    void drawsOnlyTheExposedPart();
};

void tst_ViewGeometry::stepsBetweenTheFitAndTheLargest_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<double>("start"); // 0: fitted
    // i: a step in, o: a step out, d: a double tap's zoom
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("percents"); // after each step
    QTest::addColumn<bool>("hardEdges"); // at the end

    const QSize photo(6000, 4000), icon(16, 16);
    using L = QList<int>;
    QTest::newRow("photo: no tiny steps from the fit")
            << photo << 0.0 << "iii" << L{6, 9, 13} << false;
    QTest::newRow("photo: 100 % up to 800 %, no further")
            << photo << 1.0 << "iiiiiii" << L{141, 200, 283, 400, 566, 800, 800} << false;
    QTest::newRow("photo: out stops at the fit, then goes on")
            << photo << 0.0625 << "oo" << L{4, 3} << false;
    QTest::newRow("photo: off the grid, back onto it")
            << photo << 0.3 << "io" << L{50, 35} << false;
    QTest::newRow("photo: double tap reaches 100 %") << photo << 0.0 << "d" << L{100} << false;
    QTest::newRow("1600x1200: fit then in") << QSize(1600, 1200) << 0.0 << "i" << L{25} << false;
    QTest::newRow("icon: fitted at 100 %, enlarged with hard edges")
            << icon << 0.0 << "ii" << L{141, 200} << true;
    QTest::newRow("icon: double tap doubles") << icon << 0.0 << "d" << L{200} << true;
    QTest::newRow("icon: out below 100 % is smooth") << icon << 0.0 << "o" << L{71} << false;
    QTest::newRow("300x200 is no icon") << QSize(300, 200) << 1.0 << "i" << L{141} << false;
}

void tst_ViewGeometry::stepsBetweenTheFitAndTheLargest()
{
    QFETCH(QSize, picture);
    QFETCH(double, start);
    QFETCH(QString, steps);
    QFETCH(QList<int>, percents);
    QFETCH(bool, hardEdges);

    ViewGeometry geometry;
    geometry.setPicture(picture);
    geometry.setView(QSize(240, 290));
    if (start > 0)
        geometry.setScale(start);
    QList<int> seen;
    for (const QChar step : steps) {
        geometry.setScale(step == QLatin1Char('d') ? geometry.doubleTapScale()
                                                   : geometry.nextStep(step == 'i' ? 1 : -1));
        seen.append(geometry.percent());
    }
    QCOMPARE(seen, percents);
    QCOMPARE(geometry.hardEdges(), hardEdges);
    QCOMPARE(geometry.sourceScale(), qMin(geometry.scale(), 1.0));
}

void tst_ViewGeometry::drawsOnlyTheExposedPart_data()
{
    QTest::addColumn<QRect>("exposed");
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QRect>("part");

    QTest::newRow("800 %: whole source pixels")
            << QRect(10, 10, 20, 20) << QSize(800, 800) << QSize(100, 100) << QRect(1, 1, 3, 3);
    QTest::newRow("same size") << QRect(5, 6, 7, 8) << QSize(50, 50) << QSize(50, 50)
                               << QRect(5, 6, 7, 8);
    QTest::newRow("past the edge is cut")
            << QRect(790, 0, 20, 8) << QSize(800, 800) << QSize(100, 100) << QRect(98, 0, 2, 1);
    QTest::newRow("slightly smaller source") << QRect(0, 0, 240, 290) << QSize(1131, 849)
                                             << QSize(1131, 848) << QRect(0, 0, 240, 290);
}

void tst_ViewGeometry::drawsOnlyTheExposedPart()
{
    QFETCH(QRect, exposed);
    QFETCH(QSize, shown);
    QFETCH(QSize, source);
    QFETCH(QRect, part);

    const QRect drawn = ViewGeometry::sourceRect(exposed, shown, source);
    QCOMPARE(drawn, part);
    // What is drawn covers what is exposed, within the picture.
    const QRectF target = ViewGeometry::targetRect(drawn, shown, source);
    QVERIFY(target.contains(QRectF(exposed.intersected(QRect(QPoint(), shown)))));
}

PICTARN_TEST(tst_ViewGeometry)
#include "tst_viewgeometry.moc"
