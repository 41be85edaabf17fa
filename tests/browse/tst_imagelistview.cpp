#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "thumbs/thumbnailview.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
QStringList rowNames(const ImageListView &view)
{
    QStringList names;
    for (int i = 0; i < view.topLevelItemCount(); ++i)
        names << static_cast<ImageListItem *>(view.topLevelItem(i))->name();
    return names;
}

QList<ImageListItem *> addRows(ImageListView &view, const QStringList &names)
{
    QList<ImageListItem *> rows;
    for (const QString &name : names)
        rows << new ImageListItem(&view, name, QStringLiteral("/p/") + name);
    return rows;
}
} // namespace

class tst_ImageListView : public QObject
{
    Q_OBJECT
private slots:
    void keepsRowsSortedByName_data();
    void keepsRowsSortedByName();
    void tintsEverySecondRow();
    void showsDimensionsOnceThePassHasRun();
    void emitsClickedOnSpaceOrReturn_data();
    void emitsClickedOnSpaceOrReturn();
    void findsAndRemovesRowsByExactPath();
    void columnsFitWhatTheyShow();
};

void tst_ImageListView::keepsRowsSortedByName_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("added out of order")
            << QStringList{"b.png", "a.jpg", "c.bmp"} << QStringList{"a.jpg", "b.png", "c.bmp"};
    QTest::newRow("capitals first")
            << QStringList{"a.jpg", "B.jpg"} << QStringList{"B.jpg", "a.jpg"};
}

void tst_ImageListView::keepsRowsSortedByName()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, shown);
    ImageListView view;
    addRows(view, added);
    QCOMPARE(rowNames(view), shown);
}

void tst_ImageListView::tintsEverySecondRow()
{
    ImageListView view;
    view.resize(240, 320);
    const QList<ImageListItem *> rows = addRows(view, {"a.jpg", "b.jpg", "c.jpg"});
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QImage shot = view.viewport()->grab().toImage();
    const QColor base = view.palette().color(QPalette::Base);
    const QList<QColor> expected{base, ImageListView::shadeColor(), base};
    for (int i = 0; i < rows.size(); ++i) {
        const QRect rect = view.visualItemRect(rows.at(i));
        // Right of the columns' texts, where only the row's background shows.
        const QPoint spot(view.viewport()->width() - 3, rect.center().y());
        QCOMPARE(shot.pixelColor(spot), expected.at(i));
        QCOMPARE(rows.at(i)->isShaded(), i == 1);
    }
}

void tst_ImageListView::showsDimensionsOnceThePassHasRun()
{
    QTemporaryDir dir;
    QVERIFY(TestUtil::writeImage(dir.filePath("photo.jpg"), 640, 480));
    QVERIFY(TestUtil::writeBytes(dir.filePath("x.png"), 0));
    Settings settings;
    ImageListView list;
    ThumbnailView grid(nullptr, &settings);
    auto *photo = new ImageListItem(&list, "photo.jpg", dir.filePath("photo.jpg"));
    auto *empty = new ImageListItem(&list, "x.png", dir.filePath("x.png"));
    QCOMPARE(photo->text(1), QStringLiteral("0x0"));
    grid.addBox(photo, 0, 0);
    grid.addBox(empty, 0, 1);
    grid.loadThumbs();
    QTRY_VERIFY(!grid.isLoading());
    QCOMPARE(photo->text(1), QStringLiteral("640x480"));
    QCOMPARE(empty->text(1), QStringLiteral("0x0"));
}

void tst_ImageListView::emitsClickedOnSpaceOrReturn_data()
{
    QTest::addColumn<int>("current"); // row made current first, or tapped; -1 for none
    QTest::addColumn<int>("key"); // 0: a tap on the current row
    QTest::addColumn<int>("emitted"); // row the signal carries; -1 for none, -2 for no signal
    QTest::newRow("space on the second row") << 1 << int(Qt::Key_Space) << 1;
    QTest::newRow("space with no current row") << -1 << int(Qt::Key_Space) << -1;
    QTest::newRow("another key") << 1 << int(Qt::Key_A) << -2;
    QTest::newRow("tap on the second row") << 1 << 0 << 1;
    QTest::newRow("return on the second row") << 1 << int(Qt::Key_Return) << 1;
    QTest::newRow("enter with no current row") << -1 << int(Qt::Key_Enter) << -2;
}

void tst_ImageListView::emitsClickedOnSpaceOrReturn()
{
    QFETCH(int, current);
    QFETCH(int, key);
    QFETCH(int, emitted);
    ImageListView view;
    addRows(view, {"a.jpg", "b.jpg", "c.jpg"});
    view.setCurrentItem(current >= 0 ? view.topLevelItem(current) : nullptr);
    QSignalSpy spy(&view, &ImageListView::clicked);
    if (key) {
        QTest::keyClick(&view, Qt::Key(key));
    } else {
        view.setCurrentItem(view.topLevelItem(0));
        view.resize(240, 320);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          view.visualItemRect(view.topLevelItem(current)).center());
    }
    if (emitted == -2) {
        QCOMPARE(spy.size(), 0);
        return;
    }
    QCOMPARE(spy.size(), 1);
    auto *item = spy.at(0).at(0).value<QTreeWidgetItem *>();
    QCOMPARE(item, emitted >= 0 ? view.topLevelItem(emitted) : nullptr);
}

void tst_ImageListView::findsAndRemovesRowsByExactPath()
{
    ImageListView view;
    const QList<ImageListItem *> rows = addRows(view, {"B.jpg", "a.jpg", "c.jpg"});
    QCOMPARE(view.findItemByPath("/p/b.jpg"), nullptr);
    QCOMPARE(view.findItemByPath("/p/B.jpg"), rows.at(0));
    QCOMPARE(view.findItemByPath("/p/c.jpg"), rows.at(2));
    QCOMPARE(view.findItemByPath("/p/c.jp"), nullptr);
    view.removeItemByPath("/p/b.jpg");
    view.removeItemByPath("/p/a.jpg");
    QCOMPARE(view.findItemByPath("/p/a.jpg"), nullptr);
    QCOMPARE(rowNames(view), (QStringList{"B.jpg", "c.jpg"}));
}

void tst_ImageListView::columnsFitWhatTheyShow()
{
    ImageListView view;
    view.resize(240, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QString longName = QStringLiteral("a_rather_long_holiday_picture_name_of_summer.jpg");
    auto *item = new ImageListItem(&view, longName, QStringLiteral("/p/") + longName);
    item->setDimensions(123456, 7890);
    QTRY_VERIFY(view.header()->sectionSize(1)
                >= view.fontMetrics().horizontalAdvance(QStringLiteral("123456x7890")));
    // The sizes stay on the screen: the names take what is left, whole in the tip.
    QCOMPARE(view.header()->sectionSize(0) + view.header()->sectionSize(1),
             view.viewport()->width());
    QCOMPARE(item->toolTip(0), longName);

    // An emptied list is as narrow as its headers.
    view.clear();
    QCOMPARE(view.header()->sectionSize(1), view.header()->sectionSizeHint(1));
}

PICTARN_TEST(tst_ImageListView)
#include "tst_imagelistview.moc"
