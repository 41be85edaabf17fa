#include "common/testmain.h"
#include "common/testutil.h"

#include "browse/directoryview.h"
#include "browse/foldertreeitem.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "browse/naturalorder.h"
#include "browse/pathchooser.h"
#include "browse/sortorder.h"
#include "settings/settingsdialog.h"
#include "thumbs/takendate.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QScroller>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <memory>

namespace {

void doubleTap(QWidget *widget, QPoint pos)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

QStringList childNames(QTreeWidgetItem *item)
{
    QStringList names;
    for (int i = 0; i < item->childCount(); ++i)
        names << item->child(i)->text(0);
    return names;
}

QTreeWidgetItem *child(QTreeWidgetItem *item, const QString &name)
{
    for (int i = 0; item && i < item->childCount(); ++i) {
        if (item->child(i)->text(0) == name)
            return item->child(i);
    }
    return nullptr;
}

QPoint centreOf(QTreeWidget *tree, QTreeWidgetItem *item)
{
    tree->scrollToItem(item);
    return tree->visualItemRect(item).center();
}

} // namespace

class tst_Browse : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> disk;
    std::unique_ptr<DirectoryView> view;
    FolderTreeItem *top = nullptr;

    FolderTreeItem *row(const QString &relativePath)
    {
        QTreeWidgetItem *item = top;
        for (const QString &name : relativePath.split(QLatin1Char('/'), Qt::SkipEmptyParts))
            item = child(item, name);
        return static_cast<FolderTreeItem *>(item);
    }

    QPoint centre(QTreeWidgetItem *item) { return centreOf(view.get(), item); }

private slots:
    void init()
    {
        disk = std::make_unique<QTemporaryDir>();
        for (const char *folder :
             {"bin", "etc", ".cache", "b", "A/A/inner", "a", "C", "empty", "mmc/mmca1/tmp",
              "mmc/mmca1/home", "mmc/mmca1/pics/2009", "mmc/mmca1/.thumbs", "mmc/mmca1/Root"})
            QVERIFY(QDir().mkpath(disk->filePath(QString::fromLatin1(folder))));
        QVERIFY(QFile(disk->filePath("notes.txt")).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(disk->filePath("mmc"), disk->filePath("cardlink")));
        QVERIFY(QFile::link(disk->filePath("notes.txt"), disk->filePath("notelink")));
        QVERIFY(QFile::link(disk->filePath("nowhere"), disk->filePath("deadlink")));
        view = std::make_unique<DirectoryView>();
        view->resize(240, 320);
        // With the trailing "/" the test's folder names its rows the way the root "/" does.
        top = new FolderTreeItem(view.get(), disk->path() + QLatin1Char('/'));
        top->setOpen(true);
    }

    void cleanup()
    {
        view.reset();
        disk.reset();
    }

    void listsOnlyVisibleFolders_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("waysIn"); // folders the user must reach
        QTest::addColumn<QStringList>("expected");
        // Case-sensitive order; system names, dot folders, files and links to files left out.
        QTest::newRow("top") << "" << QStringList{}
                             << QStringList{"A", "C", "a", "b", "cardlink", "empty", "mmc"};
        QTest::newRow("card") << "mmc/mmca1" << QStringList{} << QStringList{"Root", "pics"};
        QTest::newRow("through a link") << "cardlink" << QStringList{} << QStringList{"mmca1"};
        QTest::newRow("on the way home") << "mmc/mmca1" << QStringList{"mmc/mmca1/home/me"}
                                         << QStringList{"Root", "home", "pics"};
        QTest::newRow("on the way to documents")
                << "mmc/mmca1" << QStringList{"mmc/mmca1/tmp/", "mmc/mmca1/homework"}
                << QStringList{"Root", "pics", "tmp"};
    }

    void listsOnlyVisibleFolders()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, waysIn);
        QFETCH(QStringList, expected);
        for (QString &way : waysIn)
            way = disk->filePath(way);
        view->setWaysIn(waysIn);
        view->setDir(folder);
        QVERIFY(row(folder) && row(folder)->isExpanded());
        QCOMPARE(childNames(row(folder)), expected);
        // Subfolders are not read before they are opened, yet offer an expander.
        QCOMPARE(row(folder)->child(0)->childCount(), 0);
        QCOMPARE(row(folder)->child(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    }

    void readsFoldersOnlyWhenOpened()
    {
        for (const char *name : {"mmc", "empty"})
            row(QString::fromLatin1(name))->setOpen(true);
        QVERIFY(QDir().mkpath(disk->filePath("mmc/later")));
        QVERIFY(QDir().mkpath(disk->filePath("empty/new")));
        for (const char *name : {"mmc", "empty"}) {
            row(QString::fromLatin1(name))->setOpen(false);
            row(QString::fromLatin1(name))->setOpen(true);
        }
        QCOMPARE(childNames(row("mmc")), QStringList{"mmca1"});
        // A folder found empty is read again at its next opening.
        QCOMPARE(childNames(row("empty")), QStringList{"new"});
        // "*" would open every row below, reading the whole card.
        view->show();
        view->setCurrentItem(row("A"));
        QTest::keyClick(view.get(), Qt::Key_Asterisk);
        QCOMPARE(row("A")->childCount(), 0);
    }

    void tapSelectsDoubleTapChooses()
    {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QSignalSpy chosen(view.get(), &DirectoryView::folderSelected);
        FolderTreeItem *mmc = row("mmc");
        doubleTap(view->viewport(), centre(mmc));
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toString(), disk->path() + QStringLiteral("/mmc/"));
        QVERIFY(mmc->isExpanded());
        doubleTap(view->viewport(), centre(mmc)); // closes the row again
        QVERIFY(!mmc->isExpanded());

        // A tap selects without choosing; a drag selects only the row it started on.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre(row("b")));
        QCOMPARE(view->selectedItems(), QList<QTreeWidgetItem *>{row("b")});
        QVERIFY(!row("b")->isExpanded());
        const QPoint start = centre(row("A"));
        const QPoint end = centre(mmc);
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, start);
        QTest::mouseMove(view->viewport(), (start + end) / 2);
        QTest::mouseMove(view->viewport(), end);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, end);
        QCOMPARE(view->selectedItems(), QList<QTreeWidgetItem *>{row("A")});
        QTest::keyClick(view.get(), Qt::Key_Return);
        QCOMPARE(chosen.count(), 3);

        // A folder gone since it was listed stays closed and shows the lock.
        QVERIFY(QDir(disk->filePath("b")).removeRecursively());
        doubleTap(view->viewport(), centre(row("b")));
        QVERIFY(!row("b")->isExpanded() && !row("b")->isReadable());
        QCOMPARE(row("b")->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
        row("b")->setOpen(false);
        QCOMPARE(row("b")->pixmap(0), DirectoryView::lockedFolderIcon);
    }

    void setDirOpensAlongThePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("current"); // "-": the current row stays as it was
        QTest::addColumn<QStringList>("open");
        QTest::newRow("grandchild") << QStringLiteral("/mmc/mmca1") << QStringLiteral("mmc/mmca1")
                                    << QStringList{"mmc", "mmc/mmca1"};
        QTest::newRow("no components") << QStringLiteral("/") << QString() << QStringList{};
        QTest::newRow("missing end")
                << QStringLiteral("mmc/x") << QStringLiteral("-") << QStringList{"mmc"};
        QTest::newRow("missing start")
                << QStringLiteral("x/mmca1") << QStringLiteral("-") << QStringList{};
        QTest::newRow("same name twice")
                << QStringLiteral("A/A") << QStringLiteral("A/A") << QStringList{"A", "A/A"};
        QTest::newRow("name of a later row")
                << QStringLiteral("A/mmc") << QStringLiteral("-") << QStringList{"A"};
    }

    void setDirOpensAlongThePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, current);
        QFETCH(QStringList, open);
        // Rows open beforehand are closed, all but the first row.
        for (const char *name : {"b", "mmc", "mmc/mmca1"})
            row(QString::fromLatin1(name))->setOpen(true);
        view->setCurrentItem(row("empty"));
        view->setDir(path);
        QCOMPARE(view->currentItem(), current == QLatin1String("-") ? row("empty") : row(current));
        QVERIFY(top->isExpanded());
        for (const char *name : {"b", "mmc", "mmc/mmca1", "A", "A/A"}) {
            FolderTreeItem *item = row(QString::fromLatin1(name));
            QCOMPARE(item && item->isExpanded(), open.contains(QString::fromLatin1(name)));
        }
    }

    // Rows that come go in at their places, a batch in order as one insertion; the row after a
    // removed current one becomes current.
    void listPlacesRowsThatCome_data()
    {
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("batch");
        QTest::addColumn<int>("how"); // 0: ascending, 1: descending, 2: not sorting
        QTest::addColumn<QString>("order");
        QTest::addColumn<int>("insertions");
        QTest::addColumn<QString>("current"); // removed, then the one current after
        QTest::newRow("in order") << "a b"
                                  << "c d e" << 0 << "a b c d e" << 1 << "c d";
        QTest::newRow("reversed") << "d c"
                                  << "e f" << 1 << "f e d c" << 1 << "c d";
        QTest::newRow("out of order") << "b d"
                                      << "e a c" << 0 << "a b c d e" << 3 << "e d";
        QTest::newRow("not sorting") << "b d"
                                     << "a c" << 2 << "b d a c" << 1 << "b d";
    }

    void listPlacesRowsThatCome()
    {
        QFETCH(QString, batch);
        QFETCH(int, how);
        QFETCH(QString, current);
        ImageListView list;
        list.sortByColumn(0, how == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
        list.setSortingEnabled(how != 2);
        const auto add = [&list](const QString &names) {
            QList<ImageListItem *> rows;
            for (const QString &name : names.split(' '))
                rows << new ImageListItem(nullptr, name, "/p/" + name);
            list.addTopLevelItems(rows);
        };
        QFETCH(QString, listed);
        add(listed);
        QSignalSpy inserted(list.model(), &QAbstractItemModel::rowsInserted);
        add(batch);
        QStringList names;
        for (int n = 0; n < list.topLevelItemCount(); ++n)
            names << list.topLevelItem(n)->text(0);
        QTEST(names.join(' '), "order");
        QTEST(int(inserted.size()), "insertions");
        list.setCurrentItem(list.findItemByPath("/p/" + current.left(1)));
        list.removeItemByPath("/p/" + current.left(1));
        QVERIFY(list.currentItem());
        QCOMPARE(list.currentItem()->name(), current.right(1));
    }

    void listFindsAndChoosesRows_data()
    {
        QTest::addColumn<int>("current"); // -1: none
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("emitted"); // -1: a signal with no row, -2: no signal
        QTest::newRow("space") << 1 << int(Qt::Key_Space) << 1;
        QTest::newRow("space, no row") << -1 << int(Qt::Key_Space) << -1;
        QTest::newRow("another key") << 1 << int(Qt::Key_A) << -2;
        QTest::newRow("enter, no row") << -1 << int(Qt::Key_Enter) << -2;
    }

    void listFindsAndChoosesRows()
    {
        QFETCH(int, current);
        QFETCH(int, key);
        QFETCH(int, emitted);
        ImageListView list;
        for (const char *name : {"b.jpg", "B.jpg", "c.jpg", "d.jpg"})
            new ImageListItem(&list, name, QStringLiteral("/p/") + QLatin1String(name));
        // Capitals first; rows are found and removed by their exact path.
        QCOMPARE(list.topLevelItem(0)->text(0), QStringLiteral("B.jpg"));
        list.removeItemByPath(QStringLiteral("/p/d.jp"));
        list.removeItemByPath(QStringLiteral("/p/b.jpg"));
        QVERIFY(list.findItemByPath(QStringLiteral("/p/B.jpg")));
        QVERIFY(!list.findItemByPath(QStringLiteral("/p/b.jpg")));
        list.setCurrentItem(current >= 0 ? list.topLevelItem(current) : nullptr);
        QSignalSpy spy(&list, &ImageListView::clicked);
        QTest::keyClick(&list, Qt::Key(key));
        QCOMPARE(spy.size(), emitted == -2 ? 0 : 1);
        if (emitted != -2)
            QCOMPARE(spy.at(0).at(0).value<ImageListItem *>(),
                     emitted >= 0 ? list.topLevelItem(emitted) : nullptr);
    }

    // A row makes its texts and path from the name and the folder it shares with its neighbours.
    void listRowsAnswerFromTheirMembers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("in a folder") << "b.jpg"
                                     << "/p/b.jpg";
        QTest::newRow("at the root") << "b.jpg"
                                     << "/b.jpg";
        QTest::newRow("no folder") << "b.jpg"
                                   << "b.jpg";
        QTest::newRow("path not ending in the name") << "b.jpg"
                                                     << "/p/xb.jpg";
    }

    void listRowsAnswerFromTheirMembers()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        ImageListView list;
        list.sortByColumn(1, Qt::AscendingOrder);
        auto *item = new ImageListItem(&list, name, path);
        auto *other = new ImageListItem(&list, "a.jpg", "/p/a.jpg");
        other->setDimensions(2, 2);
        QCOMPARE(item->path(), path);
        QVERIFY(item->hasPath(path) && !item->hasPath(path + 'x') && !item->hasPath(path.mid(1)));
        QCOMPARE(QStringList({item->name(), item->toolTip(0), item->text(0), item->text(1)}),
                 QStringList({name, name, name, "0x0"}));
        QVERIFY(!item->icon(0).isNull());
        QCOMPARE(item->textAlignment(1), int(Qt::AlignRight | Qt::AlignVCenter));
        // Sorted by size, a row whose size came moves.
        QCOMPARE(list.topLevelItem(0), item);
        item->setDimensions(30, 20);
        QCOMPARE(item->text(1), "30x20");
        QCOMPARE(list.topLevelItem(0), other);
        // A text set by a caller is kept, the others stay.
        item->setText(0, "own");
        item->setDimensions(4, 3);
        QCOMPARE(QStringList({item->text(0), item->toolTip(0), item->text(1), item->name()}),
                 QStringList({"own", name, "4x3", name}));
    }

    // Names as a file manager orders them, whatever the locale; sizes by their pixels.
    void listOrdersNamesNaturallyAndSizesByPixels_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("order");
        const QString names = "a.jpg B.jpg b.jpg Photo1.jpg photo2.jpg photo10.jpg";
        QTest::newRow("names, C") << "C" << 0 << names;
        QTest::newRow("names, German") << "de_DE" << 0 << names;
        QTest::newRow("sizes") << "C" << 1 << "photo2.jpg B.jpg b.jpg a.jpg photo10.jpg Photo1.jpg";
    }

    void listOrdersNamesNaturallyAndSizesByPixels()
    {
        QFETCH(QString, locale);
        QFETCH(int, column);
        const QLocale before;
        const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
        QLocale::setDefault(QLocale(locale));
        ImageListView list;
        const QList<std::tuple<const char *, int, int>> rows{
                {"photo10.jpg", 640, 480}, {"b.jpg", 90, 30},   {"Photo1.jpg", 1600, 1200},
                {"photo2.jpg", 0, 0},      {"a.jpg", 200, 200}, {"B.jpg", 60, 45}};
        for (const auto &[name, width, height] : rows)
            (new ImageListItem(&list, name, name))->setDimensions(width, height);
        list.sortByColumn(column, Qt::AscendingOrder);
        QStringList order;
        for (const ImageListItem *item : list.items())
            order << item->name();
        QTEST(order.join(' '), "order");
    }

    // The shortcut for the first screen's names never disagrees with the collator it stands for.
    void quickOrderAgreesWithTheCollator()
    {
        const QCollator collator = NaturalOrder::collator();
        QVERIFY(NaturalOrder::hasQuickOrder(collator)); // the tests run under the C locale
        const QString pieces[]
                = {"a", "B", "b", "z", "Z",      "0",      "00", "7", "10", "010", "99",
                   "_", "-", ".", " ", "\u00e9", "\u0661", "e",  "E", "aa", "jpg"};
        QRandomGenerator random(23);
        int decided = 0;
        for (int n = 0; n < 40000; ++n) {
            QString names[2];
            for (int part = random.bounded(2, 12); part > 0; --part)
                names[part % 2] += pieces[random.bounded(int(std::size(pieces)))];
            const int quick = NaturalOrder::quickCompare(names[0], names[1]);
            const int byCollator = collator.compare(names[0], names[1]);
            decided += quick != 0;
            if (quick != 0 && quick != (byCollator > 0) - (byCollator < 0))
                QFAIL(qPrintable(names[0] + " | " + names[1]));
        }
        QVERIFY(decided > 2000); // about a quarter of the pairs
    }

    // Photos without a date go by their file's; equal keys by name; reversed turns it round.
    void listFollowsTheChosenOrder_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("names");
        const QStringList rows{"a B c d e", "e d c B a", "B a c d e", "e d c a B",
                               "d c B e a", "a e B c d", "d B e a c", "c a e B d"};
        for (int order = 0; order < rows.size(); ++order)
            QTest::addRow("%d", order) << order << rows.at(order);
    }

    void listFollowsTheChosenOrder()
    {
        QFETCH(int, order);
        QTemporaryDir dir;
        // name, date taken, file date, size
        const QList<std::tuple<QString, QString, QDate, int>> files{
                {"a.jpg", "2020:01:01 10:00:00", {2024, 3, 1}, 13000},
                {"B.jpg", "", {2019, 6, 1}, 11000},
                {"c.jpg", "2020:01:01 10:00:00", {2018, 1, 1}, 14000},
                {"d.jpg", "2021:05:05 00:00:00", {2017, 1, 1}, 10000},
                {"e.png", "", {2022, 1, 1}, 12000}};
        ImageListView list;
        QStringList paths;
        for (const auto &[name, taken, date, size] : files) {
            const QString path = dir.filePath(name);
            QVERIFY(TestUtil::writeImage(path, 16, 16));
            if (!taken.isEmpty() && !TestUtil::writeExif(path, {"-DateTimeOriginal=" + taken}))
                QSKIP("exiftool is missing");
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append) && file.size() < size);
            QVERIFY(file.write(QByteArray(size - file.size(), '\0')) > 0 && file.flush());
            QVERIFY(file.setFileTime(QDateTime(date, QTime(12, 0)),
                                     QFileDevice::FileModificationTime));
            new ImageListItem(&list, name, path);
            paths.prepend(path);
        }
        TakenDate::forget();
        const auto names = [](const QStringList &paths) {
            QStringList names;
            for (const QString &path : paths)
                names << QFileInfo(path).completeBaseName();
            return names.join(' ');
        };
        QTEST(names(SortOrder::fromNumber(order).sorted(paths)), "names");
        list.setOrder(SortOrder::fromNumber(order));
        paths.clear();
        QTRY_VERIFY(!list.isReadingFacts());
        for (const ImageListItem *item : list.items())
            paths << item->path();
        QTEST(names(paths), "names");
        if (SortOrder::fromNumber(order).key() != SortOrder::FileDate)
            return;
        // Rows that come while a worker reads are read after it, once each: the pool held
        // back, a row per event-loop turn.
        QSemaphore held;
        const int threads = QThreadPool::globalInstance()->maxThreadCount();
        for (int n = 0; n < threads; ++n)
            QThreadPool::globalInstance()->start([&held] { held.acquire(); });
        const qint64 read = ImageListView::filesReadForFacts();
        for (const char *name : {"f.jpg", "g.jpg"}) {
            new ImageListItem(&list, name, dir.filePath(name));
            QCoreApplication::processEvents();
        }
        held.release(threads);
        QTRY_VERIFY(!list.isReadingFacts());
        QCOMPARE(ImageListView::filesReadForFacts() - read, 2);
        // A file changed in place is read again: d, the oldest, becomes the newest.
        QFile changed(dir.filePath("d.jpg"));
        QVERIFY(changed.open(QIODevice::Append)
                && changed.setFileTime(QDateTime(QDate(2030, 1, 1), QTime(12, 0)),
                                       QFileDevice::FileModificationTime));
        list.readFactsAgain({changed.fileName()});
        QTRY_COMPARE(list.topLevelItem(order % 2 ? 0 : 6)->name(), "d.jpg");
    }

    void chooserGivesTheChosenFolder_data()
    {
        QTest::addColumn<QByteArray>("how");
        QTest::addColumn<QString>("expected"); // "pics": the tapped one; null: none
        QTest::newRow("double tap on the root") << QByteArray("double tap") << "/";
        // Under the temporary folder, whose name ("tmp") the tree hides elsewhere.
        QTest::newRow("tap at home, below hidden names") << QByteArray("tap") << "pics";
        QTest::newRow("cancel") << QByteArray("Cancel") << QString();
        QTest::newRow("closed by the window") << QByteArray("close") << QString();
        QTest::newRow("escape") << QByteArray("escape") << QString();
        QTest::newRow("accepted without a row") << QByteArray("none") << QString();
    }

    void chooserGivesTheChosenFolder()
    {
        QFETCH(QByteArray, how);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/home/me");
        const QByteArray realHome = qgetenv("HOME");
        const auto restoreHome = qScopeGuard([&] { qputenv("HOME", realHome); });
        qputenv("HOME", QFile::encodeName(folder));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/pics")));
        // Runs once the chooser is up, and ends it with the button of the row.
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            auto *tree = dialog ? dialog->findChild<DirectoryView *>() : nullptr;
            QVERIFY(tree);
            QTreeWidgetItem *root = tree->topLevelItem(0);
            if (how == "tap") {
                tree->setDir(folder);
                if (QTreeWidgetItem *pics = child(tree->currentItem(), QStringLiteral("pics")))
                    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centreOf(tree, pics));
            } else if (how == "double tap") {
                doubleTap(tree->viewport(), centreOf(tree, root));
                QCoreApplication::processEvents();
                QVERIFY(dialog->isVisible());
            } else {
                tree->setCurrentItem(how == "none" ? nullptr : root->child(0));
            }
            if (how == "close")
                dialog->close();
            else if (how == "escape")
                QTest::keyClick(dialog, Qt::Key_Escape);
            const QString button = how == "Cancel" ? "Cancel" : QString::fromUtf8("确定");
            for (QPushButton *b : dialog->findChildren<QPushButton *>()) {
                if (dialog->isVisible() && b->text() == button)
                    QTest::mouseClick(b, Qt::LeftButton);
            }
        });
        const QString path = choosePath();
        QCOMPARE(path,
                 expected == QLatin1String("pics") ? folder + QStringLiteral("/pics") : expected);
    }

    void dragMovesRowsWithTheFinger_data()
    {
        QTest::addColumn<int>("kind"); // 0: the image list, 1: the folder tree, 2: bookmarks
        QTest::newRow("image list") << 0;
        QTest::newRow("folder tree") << 1;
        QTest::newRow("bookmarks") << 2;
    }

    void dragMovesRowsWithTheFinger()
    {
        QFETCH(int, kind);
        std::unique_ptr<QWidget> window;
        QTreeView *tree = nullptr;
        if (kind == 2) {
            auto *screen = new SettingsDialog(nullptr);
            window.reset(screen);
            screen->findChild<QComboBox *>()->setCurrentIndex(2); // the bookmark page
            QMetaObject::invokeMethod(screen, "setset", Q_ARG(int, 2));
            tree = window->findChild<QTreeWidget *>(QStringLiteral("bmListView"));
        } else {
            window.reset(tree = kind == 0 ? static_cast<QTreeView *>(new ImageListView)
                                          : new DirectoryView);
        }
        for (int n = 0; n < 200; ++n) {
            const QString text = QStringLiteral("row %1").arg(n, 3, 10, QLatin1Char('0'));
            if (auto *list = qobject_cast<ImageListView *>(tree))
                new ImageListItem(list, text, text);
            else
                new QTreeWidgetItem(static_cast<QTreeWidget *>(tree), {text});
        }
        window->resize(240, 320);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // Slowly up by 60 pixels, held still, then let go: the rows moved as far, no further.
        QWindow *screen = window->windowHandle();
        const QPoint start = tree->viewport()->mapTo(
                window.get(), tree->viewport()->rect().bottomLeft() + QPoint(60, -4));
        QTest::mousePress(screen, Qt::LeftButton, {}, start);
        for (int step = 1; step <= 12; ++step) {
            QTest::qWait(40);
            QTest::mouseMove(screen, start - QPoint(0, 5 * step));
        }
        QTest::qWait(400);
        QTest::mouseRelease(screen, Qt::LeftButton, {}, start - QPoint(0, 60));
        QTRY_COMPARE(QScroller::scroller(tree->viewport())->state(), QScroller::Inactive);
        QVERIFY(qAbs(tree->visualRect(tree->model()->index(0, 0)).top() + 60) <= 4);
    }
};

PICTARN_TEST(tst_Browse)
#include "tst_browse.moc"
