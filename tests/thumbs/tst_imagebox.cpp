#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "resources/iconset.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailcache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <map>
#include <memory>

namespace {

QImage filled(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

bool append(const QString &path, qint64 bytes)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(QByteArray(bytes, '\0')) == bytes;
}

bool setTime(const QString &path, const QDateTime &time)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite)
           && file.setFileTime(time, QFileDevice::FileModificationTime);
}

QDateTime timeOf(const QString &path)
{
    return QFileInfo(path).lastModified();
}

// Puts a cache file for the image at imagePath as the program would, claiming the given size.
bool plantCacheFile(const QString &imagePath, int width, int height, const QImage &preview)
{
    return ThumbnailCache::store(imagePath, ThumbnailCache::encode(width, height, preview),
                                 timeOf(imagePath));
}

// A folder of images with their list rows and boxes.
class Folder
{
public:
    Folder() { settings.setThumbFileSize(0); }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString cachePath(const QString &name) const { return ThumbnailCache::filePath(path(name)); }
    ImageBox *box(const QString &name)
    {
        auto *item = new ImageListItem(&list, name, path(name));
        boxes.push_back(std::make_unique<ImageBox>(nullptr, &settings, item));
        rows[boxes.back().get()] = item;
        return boxes.back().get();
    }
    ImageBox *load(const QString &name)
    {
        ImageBox *b = box(name);
        b->loadThumb();
        return b;
    }
    // What the box and its list row tell of the image, e.g. "40x30 row 40x30 preview 40x30".
    QString state(ImageBox *b) const
    {
        return QStringLiteral("%1x%2 row %3 preview %4x%5")
                .arg(b->imageWidth())
                .arg(b->imageHeight())
                .arg(rows.at(b)->text(1))
                .arg(b->pixmap().width())
                .arg(b->pixmap().height());
    }

    QTemporaryDir dir;
    Settings settings;
    ImageListView list;
    std::vector<std::unique_ptr<ImageBox>> boxes;
    std::map<ImageBox *, ImageListItem *> rows;
};

} // namespace

class tst_ImageBox : public QObject
{
    Q_OBJECT
private slots:
    void storesOnlyFilesAboveTheThreshold_data();
    void storesOnlyFilesAboveTheThreshold();
    void neitherReadsNorWritesWhenSavingIsOff();
    void takesTheSizeFromTheCacheFile_data();
    void takesTheSizeFromTheCacheFile();
    void keepsOneCacheFilePerImageName();
    void showsThePreviewWhenTheCacheFolderCannotBeMade_data();
    void showsThePreviewWhenTheCacheFolderCannotBeMade();
    void remakesABadCacheFile_data();
    void remakesABadCacheFile();
    void writesAHeaderLineThenABmp();
    void showsTransparentImagesAlikeOnEveryVisit();
    void leavesUnreadableImagesWithoutPreview_data();
    void leavesUnreadableImagesWithoutPreview();

    void paintsThePlaceholderOrThePreview();
    void paintsTheCaptionBand();
    void shortensWideCaptions_data();
    void shortensWideCaptions();
    void composesTheCaption_data();
    void composesTheCaption();
};

void tst_ImageBox::storesOnlyFilesAboveTheThreshold_data()
{
    QTest::addColumn<int>("thumbFileSize");
    QTest::addColumn<qint64>("fileSize"); // 0: the picture's own size
    QTest::addColumn<bool>("stored");
    QTest::newRow("exactly the threshold") << 2 << qint64(2048) << false;
    QTest::newRow("one byte more") << 2 << qint64(2049) << true;
    QTest::newRow("well below") << 30 << qint64(0) << false;
    QTest::newRow("threshold zero") << 0 << qint64(0) << true;
    QTest::newRow("negative threshold") << -1 << qint64(2049) << false;
}

void tst_ImageBox::storesOnlyFilesAboveTheThreshold()
{
    QFETCH(int, thumbFileSize);
    QFETCH(qint64, fileSize);
    QFETCH(bool, stored);
    Folder folder;
    const QString image = folder.path("a.bmp");
    QVERIFY(TestUtil::writeImage(image, 20, 20)); // 1254 bytes
    if (fileSize)
        QVERIFY(append(image, fileSize - QFileInfo(image).size()));
    QCOMPARE(QFileInfo(image).size(), fileSize ? fileSize : 1254);
    folder.settings.setThumbFileSize(thumbFileSize);
    QCOMPARE(folder.state(folder.load("a.bmp")), QStringLiteral("20x20 row 20x20 preview 20x20"));
    QCOMPARE(QFileInfo::exists(folder.cachePath("a.bmp")), stored);
}

void tst_ImageBox::neitherReadsNorWritesWhenSavingIsOff()
{
    Folder folder;
    QVERIFY(TestUtil::writeImage(folder.path("a.png"), 40, 30));
    QVERIFY(TestUtil::writeImage(folder.path("b.png"), 40, 30));
    QVERIFY(plantCacheFile(folder.path("a.png"), 1600, 1200, filled(80, 60, Qt::red)));
    const QByteArray planted = readAll(folder.cachePath("a.png"));
    folder.settings.setSaveThumbnails(false);
    QCOMPARE(folder.state(folder.load("a.png")), QStringLiteral("40x30 row 40x30 preview 40x30"));
    QVERIFY(folder.load("b.png")->isThumbLoaded());
    QCOMPARE(readAll(folder.cachePath("a.png")), planted);
    QVERIFY(!QFileInfo::exists(folder.cachePath("b.png")));
}

void tst_ImageBox::takesTheSizeFromTheCacheFile_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("1600x1200") << 1600 << 1200;
    QTest::newRow("10000x10000") << 10000 << 10000;
}

void tst_ImageBox::takesTheSizeFromTheCacheFile()
{
    QFETCH(int, width);
    QFETCH(int, height);
    Folder folder;
    QVERIFY(TestUtil::writeImage(folder.path("a.jpg"), 40, 30));
    QVERIFY(plantCacheFile(folder.path("a.jpg"), width, height, filled(80, 60, Qt::red)));
    ImageBox *box = folder.load("a.jpg");
    QCOMPARE(folder.state(box),
             QStringLiteral("%1x%2 row %1x%2 preview 80x60").arg(width).arg(height));
    QCOMPARE(box->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
             filled(80, 60, Qt::red));
}

void tst_ImageBox::keepsOneCacheFilePerImageName()
{
    Folder folder;
    QVERIFY(QDir(folder.dir.path()).mkpath("x"));
    QVERIFY(QDir(folder.dir.path()).mkpath("y"));
    const QList<std::tuple<QString, int, int>> images{
            {"a.jpg", 64, 48}, {"a.png", 48, 64}, {"x/a.jpg", 30, 20}, {"y/a.jpg", 20, 30}};
    for (const auto &[name, w, h] : images)
        QVERIFY(TestUtil::writeImage(folder.path(name), w, h));
    for (const auto &[name, w, h] : images)
        folder.load(name);
    // A link may lead off the card: its preview stays in memory.
    QVERIFY(QFile::link(folder.path("a.png"), folder.path("link.png")));
    QVERIFY(folder.load("link.png")->isThumbLoaded());
    for (const auto &[name, w, h] : images) {
        const auto thumbnail = ThumbnailCache::read(folder.path(name), timeOf(folder.path(name)));
        QVERIFY2(thumbnail, qPrintable(name));
        QCOMPARE(QSize(thumbnail->width, thumbnail->height), QSize(w, h));
    }
    QCOMPARE(QDir(folder.path(".ptthumbs")).entryList(QDir::Files),
             (QStringList{"a.jpg", "a.png"}));
}

void tst_ImageBox::showsThePreviewWhenTheCacheFolderCannotBeMade_data()
{
    QTest::addColumn<QString>("taker"); // of the cache folder's name: "file", "link" or none
    QTest::newRow("read-only folder") << QString();
    QTest::newRow("name taken by a file") << "file";
    QTest::newRow("name taken by a link to a folder") << "link";
}

void tst_ImageBox::showsThePreviewWhenTheCacheFolderCannotBeMade()
{
    QFETCH(QString, taker);
    const bool readOnly = taker.isEmpty();
    Folder folder;
    QVERIFY(TestUtil::writeImage(folder.path("a.png"), 40, 30));
    QVERIFY(TestUtil::writeImage(folder.path("b.png"), 30, 40));
    const QString cacheFolder = folder.path(".ptthumbs");
    const auto writable = qScopeGuard([&] {
        QFile::setPermissions(folder.dir.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (readOnly) {
        QVERIFY(QFile::setPermissions(folder.dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        if (QFileInfo(folder.dir.path()).isWritable())
            QSKIP("this user writes into read-only folders (root?); the other row covers the "
                  "warning");
    } else if (taker == "file") {
        QVERIFY(writeAll(cacheFolder, "not a folder"));
    } else {
        // Holding what would pass for a's cache file, which is neither read nor replaced.
        QVERIFY(QDir(folder.dir.path()).mkdir("elsewhere"));
        QVERIFY(QFile::link(folder.path("elsewhere"), cacheFolder));
        QVERIFY(writeAll(folder.path("elsewhere/a.png"),
                         ThumbnailCache::encode(1600, 1200, filled(80, 60, Qt::red))));
        QVERIFY(setTime(folder.path("elsewhere/a.png"), timeOf(folder.path("a.png"))));
    }
    const QByteArray planted = readAll(folder.path("elsewhere/a.png"));
    const QByteArray warning = "can't create directory: " + cacheFolder.toUtf8();
    QTest::ignoreMessage(QtWarningMsg, warning.constData());
    QTest::ignoreMessage(QtWarningMsg, warning.constData());
    QCOMPARE(folder.state(folder.load("a.png")), QStringLiteral("40x30 row 40x30 preview 40x30"));
    QCOMPARE(folder.state(folder.load("b.png")), QStringLiteral("30x40 row 30x40 preview 30x40"));
    if (readOnly)
        QVERIFY(!QFileInfo::exists(cacheFolder));
    else if (taker == "file")
        QCOMPARE(readAll(cacheFolder), QByteArray("not a folder"));
    else
        QCOMPARE(QDir(folder.path("elsewhere")).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"a.png"}));
    QCOMPARE(readAll(folder.path("elsewhere/a.png")), planted);
}

void tst_ImageBox::remakesABadCacheFile_data()
{
    QTest::addColumn<QString>("kind"); // "stale", "link" or a damaged file's content
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("offset"); // stale: of the replacement's time from the first's, in s
    const QByteArray good = ThumbnailCache::encode(1600, 1200, filled(80, 60, Qt::red));
    QTest::newRow("image replaced by a newer file") << "stale" << QByteArray() << qint64(10);
    QTest::newRow("image replaced by an older file") << "stale" << QByteArray() << qint64(-3600);
    // The link's target even looks like a good cache file; it is neither read nor written.
    QTest::newRow("link at the cache path") << "link" << good << qint64(0);
    QTest::newRow("garbage") << "damaged" << QByteArray(5000, 'x') << qint64(0);
    QTest::newRow("cut short") << "damaged" << good.left(good.size() / 2) << qint64(0);
    QTest::newRow("header only") << "damaged" << QByteArray("1600 1200\n") << qint64(0);
    QTest::newRow("unreadable header")
            << "damaged" << QByteArray("sixteen hundred\n") + good.mid(10) << qint64(0);
    QTest::newRow("empty") << "damaged" << QByteArray() << qint64(0);
}

void tst_ImageBox::remakesABadCacheFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(qint64, offset);
    Folder folder;
    const QString image = folder.path("a.png");
    const QString cache = folder.cachePath("a.png");
    const QString victim = folder.path("victim");
    if (kind == "stale") {
        const QDateTime first = QDateTime::currentDateTime().addDays(-1);
        QVERIFY(TestUtil::writeImage(image, 30, 40, "png", Qt::red));
        QVERIFY(setTime(image, first));
        folder.load("a.png");
        QVERIFY(readAll(cache).startsWith("30 40\n"));
        QVERIFY(TestUtil::writeImage(image, 40, 30));
        QVERIFY(setTime(image, first.addSecs(offset)));
    } else {
        QVERIFY(TestUtil::writeImage(image, 40, 30));
        QVERIFY(QDir(folder.dir.path()).mkdir(".ptthumbs"));
        QVERIFY(writeAll(kind == "link" ? victim : cache, content));
        QVERIFY(setTime(kind == "link" ? victim : cache, timeOf(image)));
        if (kind == "link")
            QVERIFY(QFile::link(victim, cache));
    }
    QCOMPARE(folder.state(folder.load("a.png")), QStringLiteral("40x30 row 40x30 preview 40x30"));
    QVERIFY(!QFileInfo(cache).isSymLink());
    QVERIFY(readAll(cache).startsWith("40 30\nBM"));
    const auto remade = ThumbnailCache::read(image, timeOf(image));
    QVERIFY(remade);
    QCOMPARE(remade->width, 40);
    if (kind == "link")
        QCOMPARE(readAll(victim), content);
}

void tst_ImageBox::writesAHeaderLineThenABmp()
{
    Folder folder;
    QVERIFY(TestUtil::writeImage(folder.path("a.jpg"), 640, 480));
    folder.load("a.jpg");
    const QByteArray bytes = readAll(folder.cachePath("a.jpg"));
    const QByteArray header = "640 480\n";
    QVERIFY(bytes.startsWith(header + "BM"));
    const QByteArray bmp = bytes.mid(header.size());
    // The BMP's own length field covers exactly the rest of the file.
    QCOMPARE(qint64(qFromLittleEndian<quint32>(bmp.constData() + 2)), qint64(bmp.size()));
    QCOMPARE(QImage::fromData(bmp, "BMP").size(), QSize(80, 60));
    QCOMPARE(QDir(folder.path(".ptthumbs")).entryList(QDir::Files | QDir::Hidden),
             QStringList{"a.jpg"});
}

void tst_ImageBox::showsTransparentImagesAlikeOnEveryVisit()
{
    Folder folder;
    QImage picture(40, 30, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter(&picture).fillRect(10, 10, 20, 10, Qt::blue);
    QVERIFY(picture.save(folder.path("a.png")));
    ImageBox *first = folder.load("a.png");
    QVERIFY(QFileInfo::exists(folder.cachePath("a.png")));
    ImageBox *second = folder.load("a.png");
    const QImage made = first->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage read = second->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(made.pixelColor(0, 0), QColor(Qt::white));
    QCOMPARE(made.pixelColor(15, 15), QColor(Qt::blue));
    QCOMPARE(read, made);
}

void tst_ImageBox::leavesUnreadableImagesWithoutPreview_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("zero bytes") << QByteArray();
    QTest::newRow("not a picture") << QByteArray(3000, 'x');
    QTest::newRow("missing") << QByteArray("-");
}

void tst_ImageBox::leavesUnreadableImagesWithoutPreview()
{
    QFETCH(QByteArray, content);
    Folder folder;
    if (content != "-")
        QVERIFY(writeAll(folder.path("x.png"), content));
    const QByteArray before = readAll(folder.path("x.png"));
    ImageBox *box = folder.load("x.png");
    QVERIFY(!box->isThumbLoaded());
    const QSize placeholder = iconPixmap("image").size();
    QCOMPARE(folder.state(box), QStringLiteral("0x0 row 0x0 preview %1x%2")
                                        .arg(placeholder.width())
                                        .arg(placeholder.height()));
    QVERIFY(!QFileInfo::exists(folder.path(".ptthumbs/x.png")));
    QCOMPARE(readAll(folder.path("x.png")), before);
}

void tst_ImageBox::paintsThePlaceholderOrThePreview()
{
    Folder folder;
    ImageBox *empty = folder.box("none.png");
    empty->resize(100, 95);
    const QImage blank = empty->grab().toImage();
    const QColor base = empty->palette().color(QPalette::Base);
    QCOMPARE(blank.pixelColor(20, 40), base);
    // The placeholder icon, centred in the frame.
    const QImage icon = iconPixmap("image").toImage();
    QVERIFY(!icon.isNull());
    QImage expected(icon.size(), QImage::Format_RGB32);
    expected.fill(base);
    QPainter(&expected).drawImage(0, 0, icon);
    QCOMPARE(blank.copy(QRect(QPoint(42, 27), icon.size())).convertToFormat(QImage::Format_RGB32),
             expected);

    QVERIFY(TestUtil::writeImage(folder.path("a.png"), 40, 30));
    QVERIFY(plantCacheFile(folder.path("a.png"), 40, 30, filled(40, 30, Qt::red)));
    ImageBox *box = folder.load("a.png");
    box->resize(100, 95);
    box->setSelected(true);
    const QImage shot = box->grab().toImage();
    // 40 x 30 centred in a frame, light at the top left, dark at the bottom right.
    const QColor highlight = box->palette().color(QPalette::Highlight);
    const QList<std::pair<QPoint, QColor>> pixels{{{1, 1}, highlight},   {{32, 22}, Qt::red},
                                                  {{69, 49}, Qt::red},   {{31, 21}, Qt::lightGray},
                                                  {{70, 50}, Qt::black}, {{72, 30}, highlight}};
    for (const auto &[point, colour] : pixels)
        QCOMPARE(shot.pixelColor(point), colour);
}

void tst_ImageBox::paintsTheCaptionBand()
{
    for (bool selected : {false, true}) {
        Folder folder;
        folder.settings.setShowExtension(false);
        QList<QImage> shots;
        for (const char *name : {"", "caption.png"}) {
            auto *item = new ImageListItem(&folder.list, QString::fromLatin1(name),
                                           folder.path("caption.png"));
            ImageBox box(nullptr, &folder.settings, item);
            box.resize(100, 95);
            box.setSelected(selected);
            shots << box.grab().toImage();
        }
        int inked = 0;
        for (int y = 0; y < 95; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (shots.at(0).pixel(x, y) != shots.at(1).pixel(x, y)) {
                    QVERIFY2(y >= 95 - 27, "text outside the caption band");
                    ++inked;
                }
            }
        }
        QVERIFY2(inked > 20, "no caption drawn");
    }
}

void tst_ImageBox::shortensWideCaptions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("slack"); // the width given, relative to the text's own width
    QTest::addColumn<QString>("expected"); // empty: check the shortening rules instead
    QTest::newRow("fits") << "a.jpg" << 10 << "a.jpg";
    QTest::newRow("exactly as wide") << "a.jpg" << 0 << "a.jpg";
    QTest::newRow("long name") << "a_very_long_name_for_a_picture.jpeg" << -100 << QString();
    QTest::newRow("first character alone too wide") << "Wxyz" << -1000 << "W...";
}

void tst_ImageBox::shortensWideCaptions()
{
    QFETCH(QString, text);
    QFETCH(int, slack);
    QFETCH(QString, expected);
    const QFontMetrics metrics(ImageBox::captionFont());
    const int width = qMax(1, metrics.horizontalAdvance(text) + slack);
    const QString shortened = ImageBox::shortenCaption(text, metrics, width);
    if (!expected.isEmpty()) {
        QCOMPARE(shortened, expected);
        return;
    }
    QVERIFY(shortened.endsWith("..."));
    const QString kept = shortened.chopped(3);
    QVERIFY(!kept.isEmpty());
    QVERIFY(text.startsWith(kept));
    QVERIFY(metrics.horizontalAdvance("..." + kept) < width);
    QVERIFY(metrics.horizontalAdvance("..." + text.left(kept.size() + 1)) >= width);
}

void tst_ImageBox::composesTheCaption_data()
{
    QTest::addColumn<QString>("name"); // the list row's name; the file is always pic.png
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("showExtension");
    QTest::addColumn<bool>("showDimension");
    QTest::addColumn<QString>("caption");
    QTest::newRow("name and size") << "pic.png" << true << false << true << "pic.png\n40x30";
    QTest::newRow("size hidden") << "pic.png" << true << false << false << "pic.png";
    QTest::newRow("unreadable") << "pic.png" << false << false << true << "pic.png";
    QTest::newRow("list name") << "shown" << true << false << false << "shown";
    QTest::newRow("file name") << "shown" << true << true << false << "pic.png";
}

void tst_ImageBox::composesTheCaption()
{
    QFETCH(QString, name);
    QFETCH(bool, readable);
    QFETCH(bool, showExtension);
    QFETCH(bool, showDimension);
    QFETCH(QString, caption);
    Folder folder;
    if (readable)
        QVERIFY(TestUtil::writeImage(folder.path("pic.png"), 40, 30));
    else
        QVERIFY(writeAll(folder.path("pic.png"), "not a picture"));
    folder.settings.setShowExtension(showExtension);
    folder.settings.setShowDimension(showDimension);
    auto *item = new ImageListItem(&folder.list, name, folder.path("pic.png"));
    ImageBox box(nullptr, &folder.settings, item);
    box.resize(100, 95);
    box.loadThumb();
    QCOMPARE(box.caption(), caption);
}

PICTARN_TEST(tst_ImageBox)
#include "tst_imagebox.moc"
