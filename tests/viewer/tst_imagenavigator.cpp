#include "common/testmain.h"

#include "viewer/imagenavigator.h"

#include <QTest>

#include <limits>

class tst_ImageNavigator : public QObject
{
    Q_OBJECT
private slots:
    void stepsWithinTheList_data();
    void stepsWithinTheList();
};

void tst_ImageNavigator::stepsWithinTheList_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("shown"); // a name of the list "0".."count-1", or another
    QTest::addColumn<qint64>("steps");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("neighbour");

    const qint64 far = std::numeric_limits<int>::max();
    QTest::newRow("next") << 5 << "2" << qint64(1) << 3 << "3";
    QTest::newRow("previous") << 5 << "2" << qint64(-1) << 1 << "1";
    QTest::newRow("past the end") << 5 << "4" << qint64(1) << 4 << "";
    QTest::newRow("before the first") << 5 << "0" << qint64(-1) << 0 << "";
    QTest::newRow("End") << 5 << "1" << far << 4 << "4";
    QTest::newRow("Home") << 5 << "3" << -far << 0 << "0";
    QTest::newRow("not listed") << 5 << "x" << qint64(1) << -1 << "";
    QTest::newRow("empty list") << 0 << "0" << qint64(1) << -1 << "";
}

void tst_ImageNavigator::stepsWithinTheList()
{
    QFETCH(int, count);
    QFETCH(QString, shown);
    QFETCH(qint64, steps);
    QFETCH(int, target);
    QFETCH(QString, neighbour);

    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths.append(QString::number(i));
    ImageNavigator navigator;
    navigator.setCurrent(QStringLiteral("2"));
    navigator.setList(paths);
    QCOMPARE(navigator.position(), -1); // a new list has no place until one is shown
    navigator.setCurrent(shown);
    QCOMPARE(navigator.target(steps), target);
    QCOMPARE(navigator.neighbour(steps), neighbour);
}

PICTARN_TEST(tst_ImageNavigator)
#include "tst_imagenavigator.moc"
