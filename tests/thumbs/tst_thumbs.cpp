#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "resources/iconset.h"
#include "thumbs/imagebox.h"
#include "thumbs/nonpictures.h"
#include "thumbs/takendate.h"
#include "thumbs/thumbnailcache.h"
#include "thumbs/thumbnailview.h"
#include "viewer/prefetcher.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QLoggingCategory>
#include <QPointer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QtEndian>

#include <climits>
#include <functional>
#include <memory>
#include <sys/stat.h>

namespace {

QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 3, y * 4, 90));
    return image;
}

const auto readAll = [](const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
};
const auto writeAll = [](const QString &path, const QByteArray &data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
};
const auto setTime = [](const QString &path, const QDateTime &time) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFile::FileModificationTime);
};
const auto timeOf = [](const QString &path) { return QFileInfo(path).lastModified(); };
const auto files = [](const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
};

// A folder of images: boxes made one by one as the grid makes them, or listed into a grid on
// screen the way the main window does it.
struct Folder
{
    explicit Folder(int images = 0)
    {
        settings.setThumbFileSize(0);
        view->resize(240, 320);
        for (int i = 0; i < images; ++i)
            addImage(QStringLiteral("img%1.png").arg(i, 2, 10, QLatin1Char('0')));
        rebuild();
        view->show();
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString cache(const QString &name) const { return ThumbnailCache::filePath(path(name)); }
    void addImage(const QString &name, bool write = true)
    {
        QVERIFY(!write || TestUtil::writeImage(path(name), 40, 30));
        new ImageListItem(&list, name, path(name));
    }
    void rebuild()
    {
        view->clearGrid(true);
        for (int n = 0; n < list.topLevelItemCount(); ++n)
            view->addBox(static_cast<ImageListItem *>(list.topLevelItem(n)), n / 2, n % 2);
    }
    ImageBox *load(const QString &name)
    {
        auto *item = new ImageListItem(&list, name, path(name));
        boxes.push_back(std::make_unique<ImageBox>(nullptr, &settings, item));
        boxes.back()->loadThumb();
        return boxes.back().get();
    }
    // What the last box made and its list row tell of the image, e.g. "40x30 preview 40x30".
    QString state() const
    {
        const QPixmap preview = boxes.back()->pixmap();
        return list.topLevelItem(list.topLevelItemCount() - 1)->text(1)
               + QString(" preview %1x%2").arg(preview.width()).arg(preview.height());
    }
    int rowsSized(const QString &size) const
    {
        const QAbstractItemModel *rows = list.model();
        return int(
                rows->match(rows->index(0, 1), Qt::DisplayRole, size, -1, Qt::MatchExactly).size());
    }
    QPoint cellOf(ImageBox *box) const
    {
        QCoreApplication::processEvents(); // the grid is laid out when the boxes are in
        return QPoint((box->x() - 4) / 108, (box->y() - 4) / 103);
    }
    int loaded() const
    {
        int count = 0;
        for (int i = 0; view && i < view->boxCount(); ++i)
            count += view->boxAt(i)->isThumbLoaded();
        return count;
    }
    QTemporaryDir dir;
    Settings settings;
    ImageListView list;
    std::vector<std::unique_ptr<ImageBox>> boxes;
    std::unique_ptr<ThumbnailView> view = std::make_unique<ThumbnailView>(nullptr, &settings);
};

// Runs action from the event loop as soon as done() holds, checking at every pass of it.
void whenever(std::function<bool()> done, std::function<void()> action)
{
    QTimer::singleShot(0, [done, action] { done() ? action() : whenever(done, action); });
}

} // namespace

// The previews kept in .ptthumbs, the boxes that show them and the grid that holds the boxes.
class tst_Thumbs : public QObject
{
    Q_OBJECT
private slots:
    void readsOnlyWholeSaneFreshFiles_data();
    void readsOnlyWholeSaneFreshFiles();
    void neverWritesThroughALinkNorLeavesAPart();
    void boxesUseOnlyAGoodCacheFile_data();
    void boxesUseOnlyAGoodCacheFile();
    void keepsOneCacheFilePerImageName();
    void captionsKeepBothEndsOfALongName();
    void movesWithKeysAndTaps_data();
    void movesWithKeysAndTaps();
    void placesBoxesAddedToAShownGrid();
    void survivesChangesDuringThePass_data();
    void survivesChangesDuringThePass();
    void keepsPreviewsInSightWithinTheBudget_data();
    void keepsPreviewsInSightWithinTheBudget();
    void recyclesBoxesOverALargeFolder_data();
    void recyclesBoxesOverALargeFolder();
    void storesOnlyForTheListedFile_data();
    void storesOnlyForTheListedFile();
    void keepsDatesTakenForTheNextVisit_data();
    void keepsDatesTakenForTheNextVisit();
};

void tst_Thumbs::readsOnlyWholeSaneFreshFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<qint64>("age"); // of the cache file against its image, in ms
    QTest::addColumn<QImage>("preview"); // null: nothing is read
    QTest::addColumn<QSize>("size");
    const auto row = [](const char *name, const QByteArray &data, QImage preview = QImage(),
                        QSize size = QSize(),
                        qint64 age = 0) { QTest::newRow(name) << data << age << preview << size; };
    using ThumbnailCache::encode;
    const QImage g = gradient(80, 60);
    const QImage indexed = gradient(40, 30).convertToFormat(QImage::Format_Indexed8);
    QBuffer bmp;
    QVERIFY(bmp.open(QIODevice::WriteOnly) && QImageWriter(&bmp, "bmp").write(g));
    row("32-bit", encode(1600, 1200, g), g, {1600, 1200});
    row("as large as the loader takes", encode(16384, 16384, g), g, {16384, 16384});
    row("8-bit", encode(40, 30, indexed), indexed, {40, 30});
    row("written by another writer", "3000 3000\n" + bmp.data(), g, {3000, 3000});
    // FAT keeps times in 2-second steps.
    row("two seconds newer", encode(8, 6, g), g, {8, 6}, 2000);
    row("stale, newer", encode(8, 6, g), QImage(), QSize(), 2001);
    row("stale, older", encode(8, 6, g), QImage(), QSize(), -2001);
    row("empty", QByteArray());
    row("cut in the pixels", encode(640, 480, g).chopped(100));
    row("cut in the bmp header", encode(640, 480, g).left(28));
    row("not a bmp", "640 480\n" + QByteArray(20000, 'x'));
    row("preview too big", encode(640, 480, gradient(81, 60)));
    for (const char *header : {"", "640", "640 480 3", "wide high", "-640 480", "0 0",
                               "11111111111111111111111111111111111111 1", "99999999999 1",
                               "16385 16384", "2147483647 2147483647"})
        QTest::addRow("header '%s'", header)
                << (header + QByteArray("\n") + bmp.data()) << qint64(0) << QImage() << QSize();
    // Found by the fuzzer: "1 1\n" or "2 1\n", then a BMP whose table holds one or two colours
    // and whose pixels name colour 0 or one past the table.
    const QByteArray bmp8("3120310a424d3e000000000000003a000000280000000100000001000000010008"
                          "000000000004000000130b0000130b000001000000000000001e140a00");
    row("8 bits, colour 5 of 1", QByteArray::fromHex(bmp8 + "05000000"));
    row("4 bits, colour 15 of 2",
        QByteArray::fromHex("3220310a424d42000000000000003e0000002800000002000000010000000100040"
                            "00000000004000000130b0000130b000002000000000000001e140a003c3228001f"
                            "000000"));
}

void tst_Thumbs::readsOnlyWholeSaneFreshFiles()
{
    QFETCH(QByteArray, data);
    QFETCH(qint64, age);
    QFETCH(QImage, preview);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.png");
    QVERIFY(TestUtil::writeBytes(path, 1));
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(1700000000000);
    QCOMPARE(ThumbnailCache::store(path, data, time), !data.isEmpty());
    const auto thumbnail = ThumbnailCache::read(path, time.addMSecs(age));
    QCOMPARE(thumbnail.has_value(), !preview.isNull());
    if (thumbnail) {
        QCOMPARE(QSize(thumbnail->width, thumbnail->height), size);
        QCOMPARE(thumbnail->preview.convertToFormat(QImage::Format_RGB32),
                 preview.convertToFormat(QImage::Format_RGB32));
    }
}

void tst_Thumbs::neverWritesThroughALinkNorLeavesAPart()
{
    QTemporaryDir dir;
    const QDateTime time = QDateTime::currentDateTime();
    const QByteArray data = ThumbnailCache::encode(10, 10, gradient(10, 10));
    for (const char *name : {"a.jpg", "b.jpg"})
        QVERIFY(TestUtil::writeBytes(dir.filePath(name), 1));
    // A link at the cache file's name is replaced, its target untouched.
    QVERIFY(TestUtil::writeBytes(dir.filePath("victim.txt"), 7, 'k'));
    QVERIFY(QDir(dir.path()).mkdir(".ptthumbs"));
    QVERIFY(QFile::link(dir.filePath("victim.txt"), dir.filePath(".ptthumbs/a.jpg")));
    QVERIFY(ThumbnailCache::store(dir.filePath("a.jpg"), data, time));
    QCOMPARE(readAll(dir.filePath("victim.txt")), QByteArray(7, 'k'));
    QVERIFY(!QFileInfo(dir.filePath(".ptthumbs/a.jpg")).isSymLink());
    QVERIFY(ThumbnailCache::read(dir.filePath("a.jpg"), time));
    // A failed write leaves nothing: no folder, or a folder in the file's place.
    QVERIFY(!ThumbnailCache::store(dir.filePath("missing/a.jpg"), data, time));
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
    QVERIFY(QDir(dir.path()).mkpath(".ptthumbs/b.jpg"));
    QVERIFY(!ThumbnailCache::store(dir.filePath("b.jpg"), data, time));
    QCOMPARE(files(dir.filePath(".ptthumbs")), QStringList{"a.jpg"});
    // A link or a pipe in the cache is not read: opening a pipe would wait for a writer forever.
    QVERIFY(QFile::link(dir.filePath(".ptthumbs/a.jpg"), dir.filePath(".ptthumbs/link.jpg")));
    QVERIFY(!ThumbnailCache::read(dir.filePath("link.jpg"), time));
    const QString pipe = dir.filePath(".ptthumbs/pipe.jpg");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QVERIFY(!ThumbnailCache::read(dir.filePath("pipe.jpg"), timeOf(pipe)));
}

void tst_Thumbs::boxesUseOnlyAGoodCacheFile_data()
{
    QTest::addColumn<QString>("kind"); // what is put where the box looks for its cache file
    QTest::addColumn<QByteArray>("content"); // of what is put there; of the image for "image"
    QTest::addColumn<int>("threshold"); // KB; INT_MIN: saving off
    QTest::addColumn<QString>("state"); // "": 40x30 read from the image itself
    QTest::addColumn<QByteArray>("cache"); // how the cache file starts afterwards
    const auto row = [](const char *name, const char *kind, const QByteArray &content,
                        QByteArray cache = "40 30\nBM", int threshold = 0, QString state = {}) {
        QTest::newRow(name) << kind << content << threshold << state << cache;
    };
    const QByteArray good = ThumbnailCache::encode(10000, 10000, gradient(80, 60));
    // A 40 x 30 BMP takes 3,654 bytes.
    row("image a byte over the threshold", "image", QByteArray(4097, 0), "40 30\nBM", 4);
    row("image exactly the threshold", "image", QByteArray(4096, 0), "", 4);
    row("negative threshold", "image", QByteArray(), "", -1);
    row("saving off", "image", QByteArray(), "", INT_MIN);
    row("good", "file", good, "10000 10", 0, "10000x10000 preview 80x60");
    row("good, saving off", "file", good, "10000 10", INT_MIN);
    row("stale: the image was replaced", "stale", good);
    row("garbage", "file", QByteArray(5000, 'x'));
    row("empty", "file", QByteArray());
    // The link's target even looks like a good cache file; it is neither read nor written.
    row("link at the cache path", "link", good);
    row("cache folder's name taken by a file", "folder file", "not a folder", "");
    row("cache folder a link to a folder", "folder link", good, "10000 10");
    row("cache folder read-only", "read-only", QByteArray(), "");
    const QSize icon = iconPixmap("image").size();
    const QString none = QString("0x0 preview %1x%2").arg(icon.width()).arg(icon.height());
    row("zero-byte image", "bad image", QByteArray(), "", 0, none);
    row("not a picture", "bad image", QByteArray(3000, 'x'), "", 0, none);
    row("not a picture, saving off", "bad image", QByteArray(3000, 'x'), "", INT_MIN, none);
    row("missing image", "no image", QByteArray(), "", 0, none);
    // A link may lead off the card: its preview stays in memory.
    row("linked image", "linked image", QByteArray(), "");
}

void tst_Thumbs::boxesUseOnlyAGoodCacheFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(int, threshold);
    QFETCH(QString, state);
    QFETCH(QByteArray, cache);
    Folder folder;
    const QString image = folder.path("a.bmp");
    const QString planted = kind == "folder file"   ? folder.path(".ptthumbs")
                            : kind.contains("link") ? folder.path("elsewhere/a.bmp")
                                                    : folder.cache("a.bmp");
    const auto writable = qScopeGuard([&] {
        QFile::setPermissions(folder.dir.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    QVERIFY(QDir(folder.dir.path()).mkpath("elsewhere"));
    if (kind == "linked image")
        QVERIFY(TestUtil::writeImage(planted, 40, 30) && QFile::link(planted, image));
    else
        QVERIFY(kind == "bad image" ? writeAll(image, content)
                                    : kind == "no image" || TestUtil::writeImage(image, 40, 30));
    if (kind == "image" && !content.isEmpty()) {
        QFile file(image);
        QVERIFY(file.open(QIODevice::Append) && file.resize(content.size()));
    } else if (kind == "file" || kind == "stale" || kind.endsWith(" link") || kind == "link") {
        QVERIFY(kind == "folder link" || QDir(folder.dir.path()).mkpath(".ptthumbs"));
        QVERIFY(writeAll(planted, content));
        QVERIFY(setTime(planted, timeOf(image).addSecs(kind == "stale" ? -3600 : 0)));
        if (kind == "link")
            QVERIFY(QFile::link(planted, folder.cache("a.bmp")));
        if (kind == "folder link")
            QVERIFY(QFile::link(folder.path("elsewhere"), folder.path(".ptthumbs")));
    } else if (kind == "folder file") {
        QVERIFY(writeAll(planted, content));
    } else if (kind == "read-only") {
        QVERIFY(QFile::setPermissions(folder.dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        if (QFileInfo(folder.dir.path()).isWritable())
            QSKIP("this user writes into read-only folders (root?)");
    }
    if (kind.startsWith("folder") || kind == "read-only")
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^can't create directory: "));
    folder.settings.setSaveThumbnails(threshold != INT_MIN);
    folder.settings.setThumbFileSize(threshold);
    folder.load("a.bmp");
    QCOMPARE(folder.state(), state.isEmpty() ? "40x30 preview 40x30" : state);
    const QByteArray written = readAll(folder.cache("a.bmp"));
    QCOMPARE(written.left(8), cache);
    // As the format was first read: two numbers from a line of at most 11 characters, then a
    // BMP whose own length field covers the rest of the file.
    if (cache.startsWith("40 30")) {
        QCOMPARE(qFromLittleEndian<quint32>(written.constData() + 8), quint32(written.size() - 6));
        QCOMPARE(QImage::fromData(written.mid(6), "BMP").convertToFormat(QImage::Format_RGB32),
                 folder.boxes.back()->pixmap().toImage().convertToFormat(QImage::Format_RGB32));
    }
    // Nothing lands beside what a link leads to, and neither it nor the image is touched.
    QCOMPARE(files(folder.path("elsewhere")).size(), kind.contains("link") ? 1 : 0);
    if (planted != folder.cache("a.bmp") && kind != "linked image")
        QCOMPARE(readAll(planted), content);
    if (kind != "bad image")
        return;
    QCOMPARE(readAll(image), content);
    // What a helper found no picture in is known on the next visit without opening it again;
    // a file nothing was asked of, or with saving off, is opened again.
    const bool recorded = !content.isEmpty() && threshold >= 0;
    QCOMPARE(readAll(folder.cache(NonPictures::fileName)).endsWith(" a.bmp\n"), recorded);
    static int opened;
    opened = 0;
    NonPictures::forget();
    QLoggingCategory::setFilterRules(QStringLiteral("pictarn.debug=true"));
    const QtMessageHandler before = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &message) {
                opened += message.startsWith(QLatin1String("loading bmp "));
            });
    folder.load("a.bmp");
    qInstallMessageHandler(before);
    QLoggingCategory::setFilterRules(QStringLiteral("pictarn.debug=false"));
    QCOMPARE(folder.state(), state);
    QCOMPARE(opened, recorded ? 0 : 1);
}

void tst_Thumbs::keepsOneCacheFilePerImageName()
{
    Folder folder;
    QVERIFY(QDir(folder.dir.path()).mkpath("x"));
    const QList<std::pair<QString, int>> images{{"a.jpg", 64}, {"a.png", 48}, {"x/a.jpg", 30}};
    for (const auto &[name, width] : images) {
        QVERIFY(TestUtil::writeImage(folder.path(name), width, 20));
        folder.load(name);
    }
    for (const auto &[name, width] : images) {
        const auto read = ThumbnailCache::read(folder.path(name), timeOf(folder.path(name)));
        QCOMPARE(read.value_or(ThumbnailCache::Thumbnail()).width, width);
    }
    QCOMPARE(files(folder.path(".ptthumbs")), (QStringList{"a.jpg", "a.png"}));
}

void tst_Thumbs::captionsKeepBothEndsOfALongName()
{
    Folder folder;
    const QFontMetrics metrics(ImageBox::captionFont());
    QStringList captions;
    for (const QString name : {"Landscape_of_the_north_1.jpg", "Landscape_of_the_north_9.jpg"}) {
        ImageBox *box = folder.load(name);
        box->resize(100, 95);
        captions << box->caption().section(QLatin1Char('\n'), 0, 0);
        QCOMPARE(box->toolTip(), name);
        QVERIFY(metrics.horizontalAdvance(captions.last()) < 100);
    }
    QVERIFY(captions[0] != captions[1] && captions[0].contains(QStringLiteral("...")));
    // Too narrow for even one letter and the dots: the first letter stays.
    QCOMPARE(ImageBox::shortenCaption(QStringLiteral("WWWW"), metrics, 5), QStringLiteral("W..."));
}

void tst_Thumbs::movesWithKeysAndTaps_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("keys"); // key names, or a digit: a tap on that box
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<int>("width"); // 240: two columns, 350: three
    QTest::newRow("down from 3") << 3 << "Down" << -1 << 240;
    QTest::newRow("down from 3, then left") << 3 << "Down Left" << 2 << 240;
    QTest::newRow("down from 3, then space") << 3 << "Down Space" << 3 << 240;
    QTest::newRow("right from 1") << 1 << "Right" << 2 << 240;
    QTest::newRow("left from 0") << 0 << "Left" << -1 << 240;
    QTest::newRow("up from 1") << 1 << "Up" << -1 << 240;
    QTest::newRow("right from 4") << 4 << "Right" << -1 << 240;
    QTest::newRow("tap on 3") << 0 << "3" << 3 << 240;
    // The scroller ends a press it turned into a drag with a release far outside.
    QTest::newRow("press on 3, dragged away") << 0 << "3~" << 0 << 240;
    QTest::newRow("three columns, down from 1") << 1 << "Down" << 4 << 350;
    QTest::newRow("three columns, up from 4") << 4 << "Up" << 1 << 350;
}

void tst_Thumbs::movesWithKeysAndTaps()
{
    QFETCH(int, from);
    QFETCH(QString, keys);
    QFETCH(int, selected);
    QFETCH(int, width);
    Folder folder(5);
    ThumbnailView *view = folder.view.get();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    const int columns = width / 108;
    view->resize(width, 320);
    for (int i = 0; i < 5; ++i)
        QTRY_COMPARE(folder.cellOf(view->boxAt(i)), QPoint(i % columns, i / columns));
    view->selectBox(from);
    QTRY_COMPARE(QApplication::focusWidget(), view->boxAt(from));
    QSignalSpy opened(view, &ThumbnailView::imageClicked);
    for (const QString &key : keys.split(' ')) {
        if (key.endsWith('~')) {
            ImageBox *box = view->boxAt(key.chopped(1).toInt());
            QTest::mousePress(box, Qt::LeftButton);
            QTest::mouseRelease(box, Qt::LeftButton, {},
                                QPoint(-QWIDGETSIZE_MAX, -QWIDGETSIZE_MAX));
        } else if (key.at(0).isDigit())
            QTest::mouseClick(view->boxAt(key.toInt()), Qt::LeftButton);
        else
            QTest::keyClick(QApplication::focusWidget(), QKeySequence(key)[0].key());
    }
    QCOMPARE(view->selectedBox(), selected < 0 ? nullptr : view->boxAt(selected));
    QCOMPARE(QApplication::focusWidget(), view->boxAt(selected < 0 ? from : selected));
    const bool tapped = keys.at(0).isDigit() && !keys.endsWith('~');
    QCOMPARE(opened.size(), keys.contains("Space") || tapped ? 1 : 0);
    // The focus comes back to the selected box, or the first is selected.
    view->boxAt(4)->setFocus();
    view->setFocus();
    QCOMPARE(QApplication::focusWidget(), view->boxAt(qMax(selected, 0)));
}

// A folder listed while the grid is on screen, as a bookmark chosen in thumbnail mode does:
// the last box, selected, is placed at once and scrolled to.
void tst_Thumbs::placesBoxesAddedToAShownGrid()
{
    Folder folder(3);
    QVERIFY(QTest::qWaitForWindowExposed(folder.view.get()));
    for (int i = 3; i < 12; ++i)
        folder.addImage(QStringLiteral("img%1.png").arg(i, 2, 10, QLatin1Char('0')));
    folder.rebuild();
    ImageBox *last = folder.view->boxAt(11);
    folder.view->selectBox(11);
    QCOMPARE(last->pos(), folder.view->boxAt(1)->pos() + QPoint(0, 5 * 103));
    const QRect shown(last->mapTo(folder.view->viewport(), QPoint(0, 0)), last->size());
    QVERIFY(folder.view->viewport()->rect().contains(shown));
    folder.view->selectBox(12); // past the end: nothing moves
    QCOMPARE(folder.view->selectedBox(), last);
}

void tst_Thumbs::survivesChangesDuringThePass_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("remaining"); // boxes left afterwards, each with its preview
    // List rows with the image's size; -1: as many as were made at the change.
    QTest::addColumn<int>("sized");
    QTest::newRow("no change") << "none" << 6 << 6;
    QTest::newRow("an empty folder") << "empty" << 0 << 0;
    QTest::newRow("grid cleared") << "clear" << 0 << -1;
    QTest::newRow("listed again") << "relist" << 6 << 6;
    QTest::newRow("loading image deleted") << "delete" << 5 << 5;
    QTest::newRow("loading image renamed") << "rename" << 6 << 6;
    QTest::newRow("list rows deleted") << "delete rows" << 6 << 4;
    QTest::newRow("a second pass") << "second pass" << 6 << 6;
    QTest::newRow("the grid's own end") << "end" << 0 << -1;
}

void tst_Thumbs::survivesChangesDuringThePass()
{
    QFETCH(QString, change);
    QFETCH(int, remaining);
    QFETCH(int, sized);
    Folder folder(change == "empty" ? 0 : 6);
    QPointer<ThumbnailView> view = folder.view.get();
    const QString current = folder.path("img02.png");
    int loadedAtChange = -1;
    whenever([&] { return folder.loaded() >= 2 || !view->isLoading(); },
             [&] {
                 loadedAtChange = folder.loaded();
                 if (change == "clear" || change == "relist")
                     view->clearGrid(true);
                 if (change == "delete" || change == "rename") {
                     // As the main window does: the file and its preview go first.
                     QVERIFY(change == "rename" ? QFile::rename(current, current + ".new.png")
                                                : QFile::remove(current));
                     QFile::remove(ThumbnailCache::filePath(current));
                     view->removeImage(current);
                 }
                 if (change == "delete" || change == "delete rows")
                     folder.list.removeItemByPath(current);
                 if (change == "delete rows")
                     folder.list.removeItemByPath(folder.path("img04.png"));
                 if (change == "second pass")
                     view->loadThumbs();
                 if (change == "end")
                     folder.view.reset();
                 if (change == "relist" || change == "rename") {
                     folder.list.clear();
                     for (const QString &name : QDir(folder.dir.path()).entryList(QDir::Files))
                         folder.addImage(name, false);
                     folder.rebuild();
                     QTimer::singleShot(0, view, &ThumbnailView::loadThumbs);
                 }
             });
    view->loadThumbs();
    // Made in the workers: nothing is in a box before the event loop runs; with no boxes, the
    // pass is over at once.
    QCOMPARE(folder.loaded(), 0);
    QCOMPARE(view->isLoading(), change != "empty");
    QTRY_VERIFY(loadedAtChange >= 0);
    QTRY_VERIFY(!view || (folder.loaded() == remaining && !view->isLoading()));
    QCOMPARE(view ? view->boxCount() : 0, remaining);
    // The boxes left close up.
    for (int i = 0; view && i < view->boxCount(); ++i)
        QCOMPARE(folder.cellOf(view->boxAt(i)), QPoint(i % 2, i / 2));
    Prefetcher::pool()->waitForDone();
    QCoreApplication::processEvents();
    QCOMPARE(folder.rowsSized("40x30"), sized < 0 ? loadedAtChange : sized);
    // Nothing is stored for boxes that went before their turn.
    if (sized == -1)
        QCOMPARE(files(ThumbnailCache::folderPath(current)).size(), loadedAtChange);
    // No preview outlives its image, whatever a worker was doing with it.
    if (change == "delete" || change == "rename")
        QVERIFY(!QFile::exists(ThumbnailCache::filePath(current)));
}

void tst_Thumbs::keepsPreviewsInSightWithinTheBudget_data()
{
    QTest::addColumn<bool>("cached"); // else made again from the image
    QTest::newRow("from the cache folder") << true;
    QTest::newRow("decoded again") << false;
}

void tst_Thumbs::keepsPreviewsInSightWithinTheBudget()
{
    Folder folder(14); // seven rows; five are in sight, counting one row beyond each edge
    folder.settings.setSaveThumbnails(QTest::currentDataTag()[0] == 'f');
    ThumbnailView *view = folder.view.get();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    view->setPreviewBudget(4 * 40 * 30 * 4);
    view->loadThumbs();
    QTRY_VERIFY(!view->isLoading());
    QCOMPARE(folder.loaded(), 10);
    view->selectBox(13);
    QTRY_VERIFY(view->boxAt(13)->isThumbLoaded() && view->boxAt(12)->isThumbLoaded());
    QVERIFY(!view->boxAt(0)->isThumbLoaded() && !view->boxAt(3)->isThumbLoaded());
    QCOMPARE(folder.rowsSized("40x30"), 14);
    QCOMPARE(view->boxAt(0)->caption(), "img00.png\n40x30");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(view->selectedBox(), view->boxAt(11));
}

void tst_Thumbs::recyclesBoxesOverALargeFolder_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("selected"); // the image highlighted afterwards
    QTest::addColumn<int>("above"); // and the one Up goes to then
    QTest::newRow("a hundred times Down") << "keys" << 205 << 203;
    QTest::newRow("scrolled to the end and back") << "scroll" << 5 << 3;
    QTest::newRow("highlighted image deleted out of sight") << "delete" << 6 << 3;
    QTest::newRow("highlighted image renamed out of sight") << "rename" << 6 << 4;
    QTest::newRow("the pass while scrolling") << "pass" << 5 << 3;
}

// Boxes are made for the rows in sight only and go from image to image as the grid scrolls:
// the highlight, the keys and the captions stay with their images.
void tst_Thumbs::recyclesBoxesOverALargeFolder()
{
    QFETCH(QString, action);
    QFETCH(int, selected);
    QFETCH(int, above);
    Folder folder(300);
    ThumbnailView *view = folder.view.get();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    QScrollBar *bar = view->verticalScrollBar();
    view->selectBox(5);
    const auto name
            = [](int n) { return QStringLiteral("img%1.png").arg(n, 2, 10, QLatin1Char('0')); };
    if (action == "pass")
        view->loadThumbs();
    for (int n = 0; action == "keys" && n < 100; ++n)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    for (int at = 0; action != "keys" && at <= bar->maximum(); at += 150) {
        bar->setValue(at);
        QTest::qWait(action == "pass" ? 5 : 0);
    }
    if (action == "delete" || action == "rename") {
        const QString old = folder.path(name(5));
        QVERIFY(action == "delete" ? QFile::remove(old) : QFile::rename(old, old + ".png"));
        folder.list.removeItemByPath(old);
        view->removeImages({old});
        if (action == "rename") {
            folder.addImage(name(5) + ".png", false);
            view->addBox(folder.list.findItemByPath(old + ".png"), 0, 0);
            view->orderBoxes(folder.list.items());
        }
    }
    if (action != "keys")
        bar->setValue(0);
    QTRY_VERIFY(!view->isLoading());
    QCOMPARE(folder.rowsSized("40x30"), action == "pass" ? 300 : 0);
    QCOMPARE(view->selectedBox()->fileName(), name(selected));
    QCOMPARE(QApplication::focusWidget(), view->selectedBox());
    QVERIFY2(view->madeBoxes() <= 65, qPrintable(QString::number(view->madeBoxes())));
    const int first = bar->value() / 103 * 2;
    for (int n = first; n < first + 6; ++n) {
        QCOMPARE(view->boxAt(n)->fileName(), folder.list.items().at(n)->name());
        QCOMPARE(folder.cellOf(view->boxAt(n)), QPoint(n % 2, n / 2));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(view->selectedBox()->fileName(), name(above));
}

void tst_Thumbs::storesOnlyForTheListedFile_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("cache"); // what .ptthumbs holds afterwards
    QTest::newRow("folder swapped for a link") << "swap folder" << QStringList();
    QTest::newRow("image a link at decode, a file at store") << "swap image" << QStringList();
    QTest::newRow("temporary names taken, stale ones left")
            << "take names"
            << QStringList{".ptthumb-dir.part", ".ptthumb-new.part", "img00.png", "img01.png"};
}

// A folder or a name that changes between the listing, the decode and the store never gets the
// preview of a file from elsewhere written, nor its cache folder made elsewhere; nothing put at
// the temporary names stops the writes, and what cut-short writes left goes.
void tst_Thumbs::storesOnlyForTheListedFile()
{
    QFETCH(QString, change);
    Folder folder(2);
    const QString dir = folder.dir.path(), listed = dir + ".listed", elsewhere = dir + ".else";
    QVERIFY(QDir().mkpath(elsewhere));
    QVERIFY(TestUtil::writeImage(elsewhere + "/img00.png", 64, 48));
    QVERIFY(TestUtil::writeImage(elsewhere + "/img01.png", 64, 48));
    const auto restore = qScopeGuard([&] {
        if (QFileInfo(listed).isDir())
            QVERIFY(QFile::remove(dir) && QDir().rename(listed, dir));
        QDir(elsewhere).removeRecursively();
    });
    const QString cacheFolder = folder.path(".ptthumbs");
    if (change == "swap folder") {
        QVERIFY(QDir().rename(dir, listed) && QFile::link(elsewhere, dir));
    } else if (change == "swap image") {
        const QString image = folder.path("img00.png");
        QVERIFY(QFile::remove(image) && QFile::link(elsewhere + "/img00.png", image));
        ImageBox *box = folder.view->boxAt(0);
        ImageBox::Thumb thumb = box->thumbRequest();
        ImageBox::makeThumb(thumb);
        QVERIFY(!thumb.cacheData.isEmpty());
        QVERIFY(QFile::remove(image) && QFile::copy(elsewhere + "/img00.png", image));
        box->applyThumb(thumb);
        folder.view->clearGrid(true);
    } else {
        QVERIFY(QDir().mkpath(cacheFolder));
        for (int n = 0; n < 64; ++n)
            QVERIFY(QDir().mkpath(QStringLiteral("%1/.ptthumb-%2-%3.part")
                                          .arg(cacheFolder)
                                          .arg(QCoreApplication::applicationPid())
                                          .arg(n)));
        const QDateTime old = QDateTime::currentDateTime().addSecs(-61);
        for (const char *name : {".ptthumb-old.part", ".ptthumb-new.part"})
            QVERIFY(writeAll(cacheFolder + '/' + name, "x")
                    && (QByteArray(name).contains("new")
                        || setTime(cacheFolder + '/' + name, old)));
        QVERIFY(QDir().mkpath(cacheFolder + "/.ptthumb-dir.part"));
    }
    folder.view->loadThumbs();
    QTRY_VERIFY(!folder.view->isLoading());
    Prefetcher::pool()->waitForDone();
    QVERIFY(!QFileInfo::exists(elsewhere + "/.ptthumbs"));
    const QDir cache(QFileInfo(listed).isDir() ? listed + "/.ptthumbs" : cacheFolder);
    QTEST(cache.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                  .filter(QRegularExpression("^(?!\\.ptthumb-[0-9]+-[0-9]+\\.part$)")),
          "cache");
}

void tst_Thumbs::keepsDatesTakenForTheNextVisit_data()
{
    QTest::addColumn<QString>("between"); // what happens between the visits
    QTest::addColumn<int>("read"); // photos read again on the second visit
    QTest::newRow("nothing") << "" << 0;
    QTest::newRow("a photo changed") << "touch" << 1;
    QTest::newRow("the kept file damaged") << "damage" << 3;
    QTest::newRow("keeping off") << "off" << 3;
}

// A second visit takes the dates from ".ptthumbs" and reads no photo unless it changed.
void tst_Thumbs::keepsDatesTakenForTheNextVisit()
{
    QFETCH(QString, between);
    QTemporaryDir dir;
    const auto restore = qScopeGuard([] { TakenDate::setKeeping(true); });
    TakenDate::setKeeping(between != "off");
    QStringList paths;
    QList<QDateTime> times;
    for (const char *name : {"a.jpg", "b.jpg", "c d.png"}) {
        paths << dir.filePath(name);
        QVERIFY(TestUtil::writeImage(paths.last(), 8, 8));
        times << QFileInfo(paths.last()).lastModified();
    }
    if (!TestUtil::writeExif(paths.at(0), {"-DateTimeOriginal=2021:06:07 08:09:10"}))
        QSKIP("exiftool is missing");
    times[0] = QFileInfo(paths.at(0)).lastModified();
    const QList<QDateTime> dates{QDateTime(QDate(2021, 6, 7), QTime(8, 9, 10), Qt::UTC), {}, {}};
    TakenDate::forget();
    QCOMPARE(TakenDate::of(paths, times), dates);
    if (between == "touch")
        times[1] = times[1].addSecs(-60);
    if (between == "damage")
        QVERIFY(writeAll(dir.filePath(".ptthumbs/.ptdates"), "pictarn-dates 1\n1 2\nx - a.jpg"));
    TakenDate::forget();
    const int before = TakenDate::photosRead();
    QCOMPARE(TakenDate::of(paths, times), dates);
    QTEST(TakenDate::photosRead() - before, "read");
    QCOMPARE(QFileInfo::exists(dir.filePath(".ptthumbs")), between != "off");
}

PICTARN_TEST(tst_Thumbs)
#include "tst_thumbs.moc"
