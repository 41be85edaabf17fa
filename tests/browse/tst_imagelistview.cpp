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
} // namespace

class tst_ImageListView : public QObject
{
    Q_OBJECT
private slots:
    void showsNameAndSizeColumns();
    void keepsRowsSortedByName_data();
    void keepsRowsSortedByName();
    void tintsEverySecondRow();
    void showsDimensionsOnceThePassHasRun();
    void emitsClickedOnSpaceRelease_data();
    void emitsClickedOnSpaceRelease();
    void emitsClickedOnAClickedRow();
    void findsRowsByExactPath();
    void removesRowsByPath();
    void makesSlideEntries();
    void columnsFitWhatTheyShow();
};

void tst_ImageListView::showsNameAndSizeColumns()
{
    ImageListView view;
    QCOMPARE(view.columnCount(), 2);
    QCOMPARE(view.headerItem()->text(0), QStringLiteral("Name"));
    QCOMPARE(view.headerItem()->text(1), QStringLiteral("Size"));
    auto *item = new ImageListItem(&view, QStringLiteral("a.jpg"), QStringLiteral("/p/a.jpg"));
    QCOMPARE(item->text(0), QStringLiteral("a.jpg"));
    QCOMPARE(item->text(1), QStringLiteral("0x0"));
    QVERIFY(item->textAlignment(1) & Qt::AlignRight);
    QVERIFY(!item->isShaded());
}

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
    for (const QString &name : added)
        new ImageListItem(&view, name, QStringLiteral("/p/") + name);
    QCOMPARE(rowNames(view), shown);
}

void tst_ImageListView::tintsEverySecondRow()
{
    ImageListView view;
    view.resize(240, 320);
    QList<ImageListItem *> rows;
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        rows << new ImageListItem(&view, QString::fromLatin1(name), QStringLiteral("/p/") + name);
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
    QVERIFY(dir.isValid());
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
    QCOMPARE(photo->text(1), QStringLiteral("640x480"));
    QCOMPARE(empty->text(1), QStringLiteral("0x0"));
}

void tst_ImageListView::emitsClickedOnSpaceRelease_data()
{
    QTest::addColumn<int>("current"); // row made current first; -1 for none
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("emitted"); // row the signal carries; -1 for none, -2 for no signal
    QTest::newRow("space on the second row") << 1 << int(Qt::Key_Space) << 1;
    QTest::newRow("space with no current row") << -1 << int(Qt::Key_Space) << -1;
    QTest::newRow("another key") << 1 << int(Qt::Key_A) << -2;
}

void tst_ImageListView::emitsClickedOnSpaceRelease()
{
    QFETCH(int, current);
    QFETCH(int, key);
    QFETCH(int, emitted);
    ImageListView view;
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
        new ImageListItem(&view, QString::fromLatin1(name), QStringLiteral("/p/") + name);
    view.setCurrentItem(current >= 0 ? view.topLevelItem(current) : nullptr);
    QSignalSpy spy(&view, &ImageListView::clicked);
    QTest::keyRelease(&view, Qt::Key(key));
    if (emitted == -2) {
        QCOMPARE(spy.size(), 0);
        return;
    }
    QCOMPARE(spy.size(), 1);
    auto *item = spy.at(0).at(0).value<QTreeWidgetItem *>();
    QCOMPARE(item, emitted >= 0 ? view.topLevelItem(emitted) : nullptr);
}

void tst_ImageListView::emitsClickedOnAClickedRow()
{
    ImageListView view;
    view.resize(240, 320);
    new ImageListItem(&view, "a.jpg", "/p/a.jpg");
    auto *second = new ImageListItem(&view, "b.jpg", "/p/b.jpg");
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy spy(&view, &ImageListView::clicked);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualItemRect(second).center());
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).value<QTreeWidgetItem *>(), second);
}

void tst_ImageListView::findsRowsByExactPath()
{
    ImageListView view;
    auto *upper = new ImageListItem(&view, "B.jpg", "/a/B.jpg");
    auto *other = new ImageListItem(&view, "c.jpg", "/a/c.jpg");
    QCOMPARE(view.findItemByPath("/a/b.jpg"), nullptr);
    QCOMPARE(view.findItemByPath("/a/B.jpg"), upper);
    QCOMPARE(view.findItemByPath("/a/c.jpg"), other);
    QCOMPARE(view.findItemByPath("/a/c.jp"), nullptr);
}

void tst_ImageListView::removesRowsByPath()
{
    ImageListView view;
    new ImageListItem(&view, "a.jpg", "/p/a.jpg");
    new ImageListItem(&view, "b.jpg", "/p/b.jpg");
    new ImageListItem(&view, "c.jpg", "/p/c.jpg");
    view.removeItemByPath("/p/b.jpg");
    QCOMPARE(view.findItemByPath("/p/b.jpg"), nullptr);
    QCOMPARE(rowNames(view), (QStringList{"a.jpg", "c.jpg"}));
    view.removeItemByPath("/p/nothing.jpg");
    QCOMPARE(rowNames(view), (QStringList{"a.jpg", "c.jpg"}));
}

void tst_ImageListView::makesSlideEntries()
{
    ImageListView view;
    auto *item = new ImageListItem(&view, "a.jpg", "/p/a.jpg");
    const ImageEntry entry = item->makeSlideEntry();
    QCOMPARE(entry.name, QStringLiteral("a.jpg"));
    QCOMPARE(entry.path, QStringLiteral("/p/a.jpg"));
}

void tst_ImageListView::columnsFitWhatTheyShow()
{
    ImageListView view;
    view.resize(240, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QString longName = QStringLiteral("a_rather_long_holiday_picture_name.jpg");
    auto *item = new ImageListItem(&view, longName, QStringLiteral("/p/") + longName);
    QTRY_VERIFY(view.header()->sectionSize(0) >= view.fontMetrics().horizontalAdvance(longName));
    item->setDimensions(123456, 7890);
    QTRY_VERIFY(view.header()->sectionSize(1)
                >= view.fontMetrics().horizontalAdvance(QStringLiteral("123456x7890")));

    // An emptied list is as narrow as its headers.
    view.clear();
    QCOMPARE(view.header()->sectionSize(0), view.header()->sectionSizeHint(0));
    QCOMPARE(view.header()->sectionSize(1), view.header()->sectionSizeHint(1));
    QVERIFY(view.header()->sectionSize(0) < view.fontMetrics().horizontalAdvance(longName));
}

PICTARN_TEST(tst_ImageListView)
#include "tst_imagelistview.moc"
