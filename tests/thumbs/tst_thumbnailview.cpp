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
    explicit Screen(int images)
    {
        settings.setThumbFileSize(0);
        view->resize(240, 320);
        for (int i = 0; i < images; ++i)
            addImage(QStringLiteral("img%1.png").arg(i, 2, 10, QLatin1Char('0')));
        rebuild();
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
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
    void movesWithTheArrowKeys_data();
    void movesWithTheArrowKeys();
    void placesBoxesAddedToAShownGrid();
    void selectsTheTappedBox_data();
    void selectsTheTappedBox();
    void closesTheGapOfARemovedBox();
    void survivesChangesDuringTheLoading_data();
    void survivesChangesDuringTheLoading();
};

void tst_ThumbnailView::movesWithTheArrowKeys_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<int>("focus");
    QTest::addColumn<int>("width"); // 240: two columns, 350: three
    QTest::newRow("down from 3") << 3 << QList<int>{Qt::Key_Down} << -1 << 3 << 240;
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
    Screen screen(5);
    const int columns = width / 108;
    screen.view->resize(width, 320);
    for (int i = 0; i < 5; ++i)
        QTRY_COMPARE(screen.cellOf(screen.view->boxAt(i)), QPoint(i % columns, i / columns));
    screen.view->selectBox(from);
    QTRY_COMPARE(QApplication::focusWidget(), screen.view->boxAt(from));
    for (int key : keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(screen.selectedIndex(), selected);
    QCOMPARE(QApplication::focusWidget(), screen.view->boxAt(focus));
    // The columns a wider window took are given back when it narrows again.
    screen.view->resize(240, 320);
    QTRY_COMPARE(screen.cellOf(screen.view->boxAt(4)), QPoint(0, 2));
}

// A folder listed while the grid is on screen, as a bookmark chosen in thumbnail mode does;
// the last box, selected, is placed at once and scrolled to.
void tst_ThumbnailView::placesBoxesAddedToAShownGrid()
{
    Screen screen(3);
    for (int i = 3; i < 12; ++i)
        screen.addImage(QStringLiteral("img%1.png").arg(i, 2, 10, QLatin1Char('0')));
    screen.rebuild();
    ImageBox *last = screen.view->boxAt(11);
    QVERIFY(last->isVisible());
    screen.view->selectBox(11);
    QCOMPARE(last->pos(), screen.view->boxAt(1)->pos() + QPoint(0, 5 * 103));
    const QRect shown(last->mapTo(screen.view->viewport(), QPoint(0, 0)), last->size());
    QVERIFY(screen.view->viewport()->rect().contains(shown));
    screen.view->selectBox(12); // past the end: nothing moves
    QCOMPARE(screen.selectedIndex(), 11);
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
    Screen screen(5);
    screen.view->setFocus();
    QCOMPARE(QApplication::focusWidget(), screen.view->boxAt(0));
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
    // The focus goes back to the selected box, wherever it was.
    screen.view->boxAt(4)->setFocus();
    screen.view->setFocus();
    QCOMPARE(QApplication::focusWidget(), box);
}

void tst_ThumbnailView::closesTheGapOfARemovedBox()
{
    Screen screen(5);
    QList<QPointer<ImageBox>> boxes;
    for (int i = 0; i < 5; ++i)
        boxes << screen.view->boxAt(i);
    screen.view->removeImage(screen.dir.filePath("img02.png"));
    screen.view->removeImage(screen.dir.filePath("nothing.png"));
    QVERIFY(boxes.at(2).isNull());
    QCOMPARE(screen.view->boxCount(), 4);
    QCOMPARE(screen.view->findBox(screen.dir.filePath("img02.png")), nullptr);
    QCOMPARE(screen.cellOf(boxes.at(3)), QPoint(0, 1));
    QTRY_COMPARE(boxes.at(4)->pos(), boxes.at(1)->pos() + QPoint(0, 103));
    screen.view->removeBox(boxes.at(0));
    QCOMPARE(screen.view->boxAt(0), boxes.at(1).data());
    QCOMPARE(screen.cellOf(boxes.at(4)), QPoint(0, 1));
    // An empty grid takes nothing, and its pass ends at once.
    Screen empty(0);
    empty.view->setFocus();
    QCOMPARE(empty.view->selectedBox(), nullptr);
    QSignalSpy finished(empty.view.get(), &ThumbnailView::passFinished);
    empty.view->loadThumbs();
    QCOMPARE(finished.size(), 1);
    QVERIFY(!empty.view->isLoading());
    empty.view->removeImage(screen.dir.filePath("img00.png"));
}

void tst_ThumbnailView::survivesChangesDuringTheLoading_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("remaining"); // boxes left afterwards, each with its preview
    // List rows with the image's size; -1: as many as were made at the change, -2: unchecked.
    QTest::addColumn<int>("sized");
    QTest::newRow("no change") << "none" << 6 << 6;
    QTest::newRow("grid cleared") << "clear" << 0 << -1;
    QTest::newRow("list and grid cleared") << "clear all" << 0 << 0;
    QTest::newRow("another folder") << "reload" << 3 << 3;
    QTest::newRow("loading image deleted") << "remove current" << 5 << 5;
    QTest::newRow("loading image renamed") << "rename" << 6 << 6;
    QTest::newRow("loaded box removed") << "remove earlier" << 5 << 6;
    QTest::newRow("later box removed") << "remove later" << 5 << -2;
    QTest::newRow("list row deleted") << "delete row" << 6 << 4;
    QTest::newRow("a second pass") << "second pass" << 6 << 6;
    QTest::newRow("the grid's own end") << "end" << 0 << -1;
}

void tst_ThumbnailView::survivesChangesDuringTheLoading()
{
    QFETCH(QString, change);
    QFETCH(int, remaining);
    QFETCH(int, sized);
    Screen screen(6);
    QPointer<ThumbnailView> view = screen.view.get();
    const QString current = screen.dir.filePath("img02.png");
    int loadedAtChange = -1;
    whenever([&] { return screen.loadedCount() >= 2; },
             [&] {
                 loadedAtChange = screen.loadedCount();
                 if (change == "clear" || change == "clear all" || change == "reload")
                     view->clearGrid(true);
                 if (change == "clear all" || change == "reload")
                     screen.list.clear();
                 if (change == "reload") {
                     for (const char *name : {"new0.png", "new1.png", "new2.png"})
                         screen.addImage(QString::fromLatin1(name));
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
                     }
                 } else if (change == "remove earlier" || change == "remove later") {
                     view->removeImage(screen.dir.filePath(change == "remove later" ? "img05.png"
                                                                                    : "img00.png"));
                 } else if (change == "delete row") {
                     screen.list.removeItemByPath(current);
                     screen.list.removeItemByPath(screen.dir.filePath("img04.png"));
                 } else if (change == "second pass") {
                     view->loadThumbs();
                 } else if (change == "end") {
                     screen.view.reset();
                 }
                 if (change == "reload" || change == "rename") {
                     screen.rebuild();
                     QTimer::singleShot(0, view, &ThumbnailView::loadThumbs);
                 }
             });
    view->loadThumbs();
    // Made in the workers: nothing is in a box before the event loop runs.
    QCOMPARE(screen.loadedCount(), 0);
    QTRY_VERIFY(loadedAtChange >= 0 || change == "none");
    if (view) {
        QTRY_COMPARE(screen.loadedCount(), remaining);
        QTRY_VERIFY(!view->isLoading());
        QCOMPARE(view->boxCount(), remaining);
    }
    Prefetcher::pool()->waitForDone();
    QCoreApplication::processEvents();
    if (sized >= -1)
        QCOMPARE(screen.rowTexts().count("40x30"), sized < 0 ? loadedAtChange : sized);
    // Nothing is stored for boxes that went before their turn.
    if (sized == -1 || change == "clear all")
        QCOMPARE(QDir(ThumbnailCache::folderPath(current)).entryList(QDir::Files).size(),
                 loadedAtChange);
    // No preview outlives its image, whatever a worker was doing with it.
    if (change == "remove current" || change == "rename")
        QVERIFY(!QFile::exists(ThumbnailCache::filePath(current)));
}

PICTARN_TEST(tst_ThumbnailView)
#include "tst_thumbnailview.moc"
