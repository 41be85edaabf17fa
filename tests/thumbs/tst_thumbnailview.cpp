#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailcache.h"
#include "thumbs/thumbnailview.h"
#include "viewer/prefetcher.h"

#include <QGridLayout>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// A folder listed into a list view and a grid the way the main window does it.
class Screen
{
public:
    explicit Screen(int images, bool show = false)
    {
        settings.setThumbFileSize(0);
        view->resize(240, 320);
        for (int i = 0; i < images; ++i)
            addImage(QStringLiteral("img%1.png").arg(i, 2, 10, QLatin1Char('0')));
        rebuild();
        if (show) {
            view->show();
            QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        }
    }
    void addImage(const QString &name)
    {
        QVERIFY(TestUtil::writeImage(dir.filePath(name), 40, 30));
        new ImageListItem(&list, name, dir.filePath(name));
    }
    void rebuild()
    {
        view->clearGrid(true);
        for (int n = 0; n < list.topLevelItemCount(); ++n)
            view->addBox(static_cast<ImageListItem *>(list.topLevelItem(n)), n / 2, n % 2);
    }
    QPoint cellOf(ImageBox *box) const
    {
        auto *grid = static_cast<QGridLayout *>(view->widget()->layout());
        int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
        const int index = grid->indexOf(box);
        if (index < 0)
            return QPoint(-1, -1);
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        return QPoint(column, row);
    }
    int selectedIndex() const
    {
        for (int i = 0; i < view->boxCount(); ++i)
            if (view->boxAt(i)->isSelected())
                return i;
        return -1;
    }
    int loadedCount() const
    {
        int count = 0;
        for (int i = 0; i < view->boxCount(); ++i)
            count += view->boxAt(i)->isThumbLoaded() ? 1 : 0;
        return count;
    }
    QStringList rowTexts() const
    {
        QStringList texts;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            texts << list.topLevelItem(i)->text(1);
        return texts;
    }

    QTemporaryDir dir;
    Settings settings;
    ImageListView list;
    std::unique_ptr<ThumbnailView> view = std::make_unique<ThumbnailView>(nullptr, &settings);
};

// Runs action from the event loop as soon as done() holds, checking at every pass of it.
void whenever(std::function<bool()> done, std::function<void()> action)
{
    QTimer::singleShot(0, [done, action] {
        if (done())
            action();
        else
            whenever(done, action);
    });
}

} // namespace

class tst_ThumbnailView : public QObject
{
    Q_OBJECT
private slots:
    void placesBoxesInTwoColumns();
    void movesWithTheArrowKeys_data();
    void movesWithTheArrowKeys();
    void placesBoxesAddedToAShownGrid_data();
    void placesBoxesAddedToAShownGrid();
    void selectsTheTappedBox_data();
    void selectsTheTappedBox();
    void givesTheFocusToTheSelectedBox();
    void doesNothingWhenEmpty();
    void closesTheGapOfARemovedBox();
    void survivesChangesDuringTheLoading_data();
    void survivesChangesDuringTheLoading();
    void survivesItsOwnEndDuringTheLoading();
};

void tst_ThumbnailView::placesBoxesInTwoColumns()
{
    Screen screen(5, true);
    // Margin 4 and spacing 8 around boxes of 100 x 95.
    const QList<QPoint> corners{{4, 4}, {112, 4}, {4, 107}, {112, 107}, {4, 210}};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(screen.cellOf(screen.view->boxAt(i)), QPoint(i % 2, i / 2));
        QCOMPARE(screen.view->boxAt(i)->geometry(), QRect(corners.at(i), QSize(100, 95)));
    }
    // A wider window takes more columns, and gives them back when it narrows again.
    screen.view->resize(350, 320);
    QTRY_COMPARE(screen.cellOf(screen.view->boxAt(4)), QPoint(1, 1));
    screen.view->resize(240, 320);
    QTRY_COMPARE(screen.cellOf(screen.view->boxAt(4)), QPoint(0, 2));
}

void tst_ThumbnailView::movesWithTheArrowKeys_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<int>("focus");
    QTest::addColumn<int>("width");
    QTest::newRow("down from 3") << 3 << QList<int>{Qt::Key_Down} << -1 << 3 << 240;
    QTest::newRow("down from 3 twice")
            << 3 << QList<int>{Qt::Key_Down, Qt::Key_Down} << -1 << 3 << 240;
    QTest::newRow("down from 3, then left")
            << 3 << QList<int>{Qt::Key_Down, Qt::Key_Left} << 2 << 2 << 240;
    QTest::newRow("right from 1") << 1 << QList<int>{Qt::Key_Right} << 2 << 2 << 240;
    QTest::newRow("left from 0") << 0 << QList<int>{Qt::Key_Left} << -1 << 0 << 240;
    QTest::newRow("left from 2") << 2 << QList<int>{Qt::Key_Left} << 1 << 1 << 240;
    QTest::newRow("down from 2") << 2 << QList<int>{Qt::Key_Down} << 4 << 4 << 240;
    QTest::newRow("up from 3") << 3 << QList<int>{Qt::Key_Up} << 1 << 1 << 240;
    QTest::newRow("up from 1") << 1 << QList<int>{Qt::Key_Up} << -1 << 1 << 240;
    QTest::newRow("right from 4") << 4 << QList<int>{Qt::Key_Right} << -1 << 4 << 240;
    QTest::newRow("three columns, down from 1") << 1 << QList<int>{Qt::Key_Down} << 4 << 4 << 350;
    QTest::newRow("three columns, up from 4") << 4 << QList<int>{Qt::Key_Up} << 1 << 1 << 350;
    QTest::newRow("three columns, down from 2") << 2 << QList<int>{Qt::Key_Down} << -1 << 2 << 350;
}

void tst_ThumbnailView::movesWithTheArrowKeys()
{
    QFETCH(int, from);
    QFETCH(QList<int>, keys);
    QFETCH(int, selected);
    QFETCH(int, focus);
    QFETCH(int, width);
    Screen screen(5, true);
    screen.view->resize(width, 320);
    screen.view->selectBox(from);
    QTRY_COMPARE(QApplication::focusWidget(), screen.view->boxAt(from));
    for (int key : keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(screen.selectedIndex(), selected);
    QCOMPARE(QApplication::focusWidget(), screen.view->boxAt(focus));
}

void tst_ThumbnailView::placesBoxesAddedToAShownGrid_data()
{
    QTest::addColumn<bool>("select");
    QTest::newRow("once events run") << false;
    QTest::newRow("at once when a box is selected") << true;
}

// A folder listed while the grid is on screen, as a bookmark chosen in thumbnail mode does.
void tst_ThumbnailView::placesBoxesAddedToAShownGrid()
{
    QFETCH(bool, select);
    Screen screen(3, true);
    for (int i = 3; i < 12; ++i)
        screen.addImage(QStringLiteral("img%1.png").arg(i, 2, 10, QLatin1Char('0')));
    screen.rebuild();
    QCOMPARE(screen.view->boxCount(), 12);
    ImageBox *last = screen.view->boxAt(11);
    QVERIFY(last->isVisible());
    // Margin 4 and spacing 8 around boxes of 100 x 95: row 5, column 1.
    const QPoint corner(112, 4 + 5 * 103);
    if (select) {
        screen.view->selectBox(11);
        QCOMPARE(last->pos(), corner);
        const QRect shown(last->mapTo(screen.view->viewport(), QPoint(0, 0)), last->size());
        QVERIFY(screen.view->verticalScrollBar()->value() > 0);
        QVERIFY(screen.view->viewport()->rect().contains(shown));
        screen.view->selectBox(12); // past the end: nothing moves
        QCOMPARE(screen.selectedIndex(), 11);
    } else {
        QTRY_COMPARE(last->pos(), corner);
    }
    for (int i = 0; i < 12; ++i)
        QCOMPARE(screen.view->boxAt(i)->pos(), QPoint(4 + i % 2 * 108, 4 + i / 2 * 103));
}

void tst_ThumbnailView::selectsTheTappedBox_data()
{
    QTest::addColumn<bool>("bySpace");
    QTest::newRow("tap") << false;
    QTest::newRow("space") << true;
}

void tst_ThumbnailView::selectsTheTappedBox()
{
    QFETCH(bool, bySpace);
    Screen screen(5, true);
    screen.view->selectBox(0);
    QSignalSpy opened(screen.view.get(), &ThumbnailView::imageClicked);
    ImageBox *box = screen.view->boxAt(3);
    if (bySpace) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
    } else {
        QTest::mouseClick(box, Qt::LeftButton);
    }
    QCOMPARE(opened.size(), 1);
    QCOMPARE(screen.selectedIndex(), 3);
    QCOMPARE(screen.view->selectedBox(), box);
    QVERIFY(!screen.view->boxAt(0)->isSelected());
    QCOMPARE(QApplication::focusWidget(), box);
}

void tst_ThumbnailView::givesTheFocusToTheSelectedBox()
{
    Screen screen(5, true);
    screen.view->setFocus();
    QCOMPARE(screen.selectedIndex(), 0);
    QCOMPARE(QApplication::focusWidget(), screen.view->boxAt(0));
    screen.view->boxAt(0)->setSelected(false);
    screen.view->boxAt(2)->setSelected(true);
    screen.view->boxAt(4)->setFocus();
    screen.view->setFocus();
    QCOMPARE(QApplication::focusWidget(), screen.view->boxAt(2));
    QCOMPARE(screen.selectedIndex(), 2);
}

void tst_ThumbnailView::doesNothingWhenEmpty()
{
    Screen screen(0, true);
    QWidget *focusBefore = QApplication::focusWidget();
    screen.view->setFocus();
    QCOMPARE(QApplication::focusWidget(), focusBefore);
    QCOMPARE(screen.view->selectedBox(), nullptr);
    QSignalSpy finished(screen.view.get(), &ThumbnailView::passFinished);
    screen.view->loadThumbs();
    QCOMPARE(finished.size(), 1);
    QVERIFY(!screen.view->isLoading());
    screen.view->removeImage(screen.dir.filePath("img00.png"));
    QCOMPARE(screen.view->boxCount(), 0);
}

void tst_ThumbnailView::closesTheGapOfARemovedBox()
{
    Screen screen(5, true);
    QList<QPointer<ImageBox>> boxes;
    for (int i = 0; i < 5; ++i)
        boxes << screen.view->boxAt(i);
    screen.view->removeImage(screen.dir.filePath("img02.png"));
    QVERIFY(boxes.at(2).isNull());
    QCOMPARE(screen.view->boxCount(), 4);
    QCOMPARE(screen.view->findBox(screen.dir.filePath("img02.png")), nullptr);
    QCOMPARE(screen.cellOf(boxes.at(3)), QPoint(0, 1));
    QCOMPARE(screen.cellOf(boxes.at(4)), QPoint(1, 1));
    QCOMPARE(screen.cellOf(boxes.at(1)), QPoint(1, 0));
    QTRY_COMPARE(boxes.at(4)->pos(), QPoint(112, 107));
    screen.view->removeImage(screen.dir.filePath("nothing.png"));
    QCOMPARE(screen.view->boxCount(), 4);
    screen.view->removeBox(boxes.at(0));
    QCOMPARE(screen.view->boxAt(0), boxes.at(1).data());
    QCOMPARE(screen.cellOf(boxes.at(4)), QPoint(0, 1));
}

void tst_ThumbnailView::survivesChangesDuringTheLoading_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("remaining"); // boxes left afterwards
    QTest::addColumn<int>("loaded"); // of them with a preview once all has settled
    QTest::newRow("no change") << "none" << 6 << 6;
    QTest::newRow("grid cleared") << "clear" << 0 << 0;
    QTest::newRow("list and grid cleared") << "clear all" << 0 << 0;
    QTest::newRow("another folder") << "reload" << 3 << 3;
    QTest::newRow("loading image deleted") << "remove current" << 5 << 5;
    QTest::newRow("loading image renamed") << "rename" << 6 << 6;
    QTest::newRow("loaded box removed") << "remove earlier" << 5 << 5;
    QTest::newRow("later box removed") << "remove later" << 5 << 5;
    QTest::newRow("list row deleted") << "delete row" << 6 << 6;
    QTest::newRow("a second pass") << "second pass" << 6 << 6;
}

void tst_ThumbnailView::survivesChangesDuringTheLoading()
{
    QFETCH(QString, change);
    QFETCH(int, remaining);
    QFETCH(int, loaded);
    Screen screen(6, true);
    ThumbnailView *view = screen.view.get();
    const QString current = screen.dir.filePath("img02.png");
    int loadedAtChange = -1;
    whenever([&] { return screen.loadedCount() >= 2; },
             [&] {
                 loadedAtChange = screen.loadedCount();
                 if (change == "clear") {
                     view->clearGrid(true);
                 } else if (change == "clear all") {
                     view->clearGrid(true);
                     screen.list.clear();
                 } else if (change == "reload") {
                     view->clearGrid(true);
                     screen.list.clear();
                     for (const char *name : {"new0.png", "new1.png", "new2.png"})
                         screen.addImage(QString::fromLatin1(name));
                     screen.rebuild();
                     QTimer::singleShot(0, view, &ThumbnailView::loadThumbs);
                 } else if (change == "remove current" || change == "rename") {
                     // As the main window does: the file and its preview go first.
                     QVERIFY(change == "rename" ? QFile::rename(current, current + ".new.png")
                                                : QFile::remove(current));
                     QFile::remove(ThumbnailCache::filePath(current));
                     view->removeImage(current);
                     screen.list.removeItemByPath(current);
                     if (change == "rename") {
                         screen.list.clear();
                         for (const QString &name : QDir(screen.dir.path()).entryList(QDir::Files))
                             new ImageListItem(&screen.list, name, screen.dir.filePath(name));
                         screen.rebuild();
                         QTimer::singleShot(0, view, &ThumbnailView::loadThumbs);
                     }
                 } else if (change == "remove earlier") {
                     view->removeImage(screen.dir.filePath("img00.png"));
                 } else if (change == "remove later") {
                     view->removeImage(screen.dir.filePath("img05.png"));
                 } else if (change == "delete row") {
                     screen.list.removeItemByPath(current);
                     screen.list.removeItemByPath(screen.dir.filePath("img04.png"));
                 } else if (change == "second pass") {
                     view->loadThumbs();
                 }
             });
    view->loadThumbs();
    // Made in the workers: nothing is in a box before the event loop runs.
    QCOMPARE(screen.loadedCount(), 0);
    QTRY_VERIFY(loadedAtChange >= 0 || change == "none");
    QTRY_COMPARE(screen.loadedCount(), loaded);
    QTRY_VERIFY(!view->isLoading());
    QCOMPARE(view->boxCount(), remaining);
    if (change == "reload")
        QCOMPARE(screen.rowTexts(), QStringList(3, "40x30"));
    if (change == "clear")
        QCOMPARE(screen.rowTexts().count("0x0"), 6 - loadedAtChange);
    if (change == "none")
        QCOMPARE(screen.rowTexts(), QStringList(6, "40x30"));
    if (change == "delete row")
        QCOMPARE(screen.rowTexts(), QStringList(4, "40x30"));
    // Nothing is stored for boxes that went before their turn.
    Prefetcher::pool()->waitForDone();
    QCoreApplication::processEvents();
    const QDir cache(ThumbnailCache::folderPath(current));
    if (change == "clear" || change == "clear all")
        QCOMPARE(cache.entryList(QDir::Files).size(), loadedAtChange);
    // No preview outlives its image, whatever a worker was doing with it.
    if (change == "remove current" || change == "rename")
        QVERIFY(!QFile::exists(ThumbnailCache::filePath(current)));
}

void tst_ThumbnailView::survivesItsOwnEndDuringTheLoading()
{
    Screen screen(6, true);
    QPointer<ThumbnailView> view = screen.view.get();
    int loadedAtEnd = -1;
    whenever([&] { return screen.loadedCount() >= 3; },
             [&] {
                 loadedAtEnd = screen.loadedCount();
                 screen.view.reset();
             });
    view->loadThumbs();
    QTRY_VERIFY(view.isNull());
    Prefetcher::pool()->waitForDone();
    QCoreApplication::processEvents();
    QCOMPARE(screen.rowTexts().count("40x30"), loadedAtEnd);
}

PICTARN_TEST(tst_ThumbnailView)
#include "tst_thumbnailview.moc"
