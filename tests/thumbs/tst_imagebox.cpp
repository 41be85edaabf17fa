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
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

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
    QDir().mkpath(ThumbnailCache::folderPath(imagePath));
    return ThumbnailCache::write(ThumbnailCache::filePath(imagePath),
                                 ThumbnailCache::encode(width, height, preview), timeOf(imagePath));
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
        return boxes.back().get();
    }
    ImageBox *load(const QString &name)
    {
        ImageBox *b = box(name);
        b->loadThumb();
        return b;
    }
    // The text of the newest row for that image.
    QString rowText(const QString &name) const
    {
        for (int i = list.topLevelItemCount() - 1; i >= 0; --i) {
            auto *item = static_cast<ImageListItem *>(list.topLevelItem(i));
            if (item->path() == path(name))
                return item->text(1);
        }
        return QString();
    }

    QTemporaryDir dir;
    Settings settings;
    ImageListView list;
    std::vector<std::unique_ptr<ImageBox>> boxes;
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
    void remakesAStaleCacheFile_data();
    void remakesAStaleCacheFile();
    void remakesADamagedCacheFile_data();
    void remakesADamagedCacheFile();
    void replacesALinkAtTheCachePath();
    void writesAHeaderLineThenABmp();
    void showsTransparentImagesAlikeOnEveryVisit();
    void leavesUnreadableImagesWithoutPreview_data();
    void leavesUnreadableImagesWithoutPreview();

    void paintsTheFrameAroundThePlaceholder();
    void paintsThePreviewInsideTheFrame();
    void paintsTheCaptionBand();
    void shortensWideCaptions_data();
    void shortensWideCaptions();
    void composesTheCaption_data();
    void composesTheCaption();
    void usesABoldTwelvePixelSansFont();
    void turnsKeysAndClicksIntoSignals_data();
    void turnsKeysAndClicksIntoSignals();
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
    ImageBox *box = folder.load("a.bmp");
    QVERIFY(box->isThumbLoaded());
    QCOMPARE(box->imageWidth(), 20);
    QCOMPARE(folder.rowText("a.bmp"), QStringLiteral("20x20"));
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
    ImageBox *a = folder.load("a.png");
    ImageBox *b = folder.load("b.png");
    QCOMPARE(a->imageWidth(), 40);
    QCOMPARE(folder.rowText("a.png"), QStringLiteral("40x30"));
    QCOMPARE(a->pixmap().size(), QSize(40, 30));
    QVERIFY(b->isThumbLoaded());
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
    QCOMPARE(box->imageWidth(), width);
    QCOMPARE(box->imageHeight(), height);
    QCOMPARE(folder.rowText("a.jpg"), QStringLiteral("%1x%2").arg(width).arg(height));
    QVERIFY(box->isThumbLoaded());
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
    for (const auto &[name, w, h] : images) {
        const auto thumbnail
                = ThumbnailCache::read(folder.cachePath(name), timeOf(folder.path(name)));
        QVERIFY2(thumbnail, qPrintable(name));
        QCOMPARE(thumbnail->width, w);
        QCOMPARE(thumbnail->height, h);
    }
    QCOMPARE(QDir(folder.path(".ptthumbs")).entryList(QDir::Files),
             (QStringList{"a.jpg", "a.png"}));
}

void tst_ImageBox::showsThePreviewWhenTheCacheFolderCannotBeMade_data()
{
    QTest::addColumn<bool>("readOnly"); // otherwise a plain file holds the cache folder's name
    QTest::newRow("read-only folder") << true;
    QTest::newRow("name taken by a file") << false;
}

void tst_ImageBox::showsThePreviewWhenTheCacheFolderCannotBeMade()
{
    QFETCH(bool, readOnly);
    Folder folder;
    QVERIFY(TestUtil::writeImage(folder.path("a.png"), 40, 30));
    QVERIFY(TestUtil::writeImage(folder.path("b.png"), 30, 40));
    const QString cacheFolder = folder.path(".ptthumbs");
    if (readOnly) {
        QVERIFY(QFile::setPermissions(
                folder.dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                           | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        QFile probe(folder.path("probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(folder.dir.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("this user writes into read-only folders (root?); the other row covers the "
                  "warning");
        }
    } else {
        QVERIFY(writeAll(cacheFolder, "not a folder"));
    }
    const QByteArray warning = "can't create directory: " + cacheFolder.toUtf8();
    QTest::ignoreMessage(QtWarningMsg, warning.constData());
    QTest::ignoreMessage(QtWarningMsg, warning.constData());
    ImageBox *a = folder.load("a.png");
    ImageBox *b = folder.load("b.png");
    if (readOnly)
        QFile::setPermissions(folder.dir.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(a->isThumbLoaded());
    QVERIFY(b->isThumbLoaded());
    QCOMPARE(folder.rowText("b.png"), QStringLiteral("30x40"));
    if (readOnly)
        QVERIFY(!QFileInfo::exists(cacheFolder));
    else
        QCOMPARE(readAll(cacheFolder), QByteArray("not a folder"));
}

void tst_ImageBox::remakesAStaleCacheFile_data()
{
    QTest::addColumn<qint64>("offset"); // of the replacement's time from the first image's, in s
    QTest::newRow("replaced by a newer file") << qint64(10);
    QTest::newRow("replaced by an older file") << qint64(-3600);
}

void tst_ImageBox::remakesAStaleCacheFile()
{
    QFETCH(qint64, offset);
    Folder folder;
    const QString image = folder.path("a.png");
    const QDateTime first = QDateTime::currentDateTime().addDays(-1);
    QVERIFY(TestUtil::writeImage(image, 40, 30));
    QVERIFY(setTime(image, first));
    folder.load("a.png");
    QVERIFY(readAll(folder.cachePath("a.png")).startsWith("40 30\n"));

    QVERIFY(TestUtil::writeImage(image, 30, 40, "png", Qt::red));
    QVERIFY(setTime(image, first.addSecs(offset)));
    ImageBox *box = folder.load("a.png");
    QCOMPARE(box->imageWidth(), 30);
    QCOMPARE(box->pixmap().size(), QSize(30, 40));
    QCOMPARE(folder.rowText("a.png"), QStringLiteral("30x40"));
    QVERIFY(readAll(folder.cachePath("a.png")).startsWith("30 40\n"));
    QVERIFY(ThumbnailCache::isFresh(timeOf(folder.cachePath("a.png")), timeOf(image)));
}

void tst_ImageBox::remakesADamagedCacheFile_data()
{
    QTest::addColumn<QByteArray>("content");
    const QByteArray good = ThumbnailCache::encode(1600, 1200, filled(80, 60, Qt::red));
    QTest::newRow("garbage") << QByteArray(5000, 'x');
    QTest::newRow("cut short") << good.left(good.size() / 2);
    QTest::newRow("header only") << QByteArray("1600 1200\n");
    QTest::newRow("unreadable header") << QByteArray("sixteen hundred\n") + good.mid(10);
    QTest::newRow("empty") << QByteArray();
}

void tst_ImageBox::remakesADamagedCacheFile()
{
    QFETCH(QByteArray, content);
    Folder folder;
    QVERIFY(TestUtil::writeImage(folder.path("a.png"), 40, 30));
    QVERIFY(QDir(folder.dir.path()).mkdir(".ptthumbs"));
    QVERIFY(writeAll(folder.cachePath("a.png"), content));
    QVERIFY(setTime(folder.cachePath("a.png"), timeOf(folder.path("a.png"))));
    ImageBox *box = folder.load("a.png");
    QVERIFY(box->isThumbLoaded());
    QCOMPARE(box->imageWidth(), 40);
    QCOMPARE(folder.rowText("a.png"), QStringLiteral("40x30"));
    const auto remade
            = ThumbnailCache::read(folder.cachePath("a.png"), timeOf(folder.path("a.png")));
    QVERIFY(remade);
    QCOMPARE(remade->width, 40);
}

void tst_ImageBox::replacesALinkAtTheCachePath()
{
    Folder folder;
    QVERIFY(TestUtil::writeImage(folder.path("a.png"), 40, 30));
    // The link's target even looks like a good cache file; it is neither read nor written.
    const QString victim = folder.path("victim");
    QVERIFY(ThumbnailCache::write(victim,
                                  ThumbnailCache::encode(1600, 1200, filled(80, 60, Qt::red)),
                                  timeOf(folder.path("a.png"))));
    const QByteArray before = readAll(victim);
    QVERIFY(QDir(folder.dir.path()).mkdir(".ptthumbs"));
    QVERIFY(QFile::link(victim, folder.cachePath("a.png")));
    ImageBox *box = folder.load("a.png");
    QCOMPARE(box->imageWidth(), 40);
    QCOMPARE(readAll(victim), before);
    QVERIFY(!QFileInfo(folder.cachePath("a.png")).isSymLink());
    QVERIFY(readAll(folder.cachePath("a.png")).startsWith("40 30\n"));
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
    QCOMPARE(box->imageWidth(), 0);
    QCOMPARE(box->imageHeight(), 0);
    QCOMPARE(folder.rowText("x.png"), QStringLiteral("0x0"));
    QVERIFY(!QFileInfo::exists(folder.path(".ptthumbs/x.png")));
    QCOMPARE(readAll(folder.path("x.png")), before);
}

void tst_ImageBox::paintsTheFrameAroundThePlaceholder()
{
    Folder folder;
    ImageBox *box = folder.box("a.png");
    box->resize(100, 95);
    const QImage shot = box->grab().toImage();
    const QColor grey(Qt::lightGray);
    const QColor black(Qt::black);
    QCOMPARE(shot.pixelColor(1, 1), box->palette().color(QPalette::Base));
    QCOMPARE(shot.pixelColor(12, 5), grey); // top
    QCOMPARE(shot.pixelColor(89, 5), grey);
    QCOMPARE(shot.pixelColor(10, 7), grey); // left
    QCOMPARE(shot.pixelColor(10, 64), grey);
    QCOMPARE(shot.pixelColor(11, 6), grey); // corners
    QCOMPARE(shot.pixelColor(11, 65), grey);
    QCOMPARE(shot.pixelColor(12, 66), black); // bottom
    QCOMPARE(shot.pixelColor(89, 66), black);
    QCOMPARE(shot.pixelColor(91, 7), black); // right
    QCOMPARE(shot.pixelColor(91, 64), black);
    QCOMPARE(shot.pixelColor(90, 65), black); // corners
    QCOMPARE(shot.pixelColor(90, 6), black);
    QCOMPARE(shot.pixelColor(10, 5), box->palette().color(QPalette::Base)); // cut corner
    QCOMPARE(shot.pixelColor(20, 40), box->palette().color(QPalette::Base));
    // The placeholder icon, centred in the frame.
    const QImage icon = iconPixmap("image").toImage();
    QVERIFY(!icon.isNull());
    QImage expected(icon.size(), QImage::Format_RGB32);
    expected.fill(box->palette().color(QPalette::Base));
    QPainter(&expected).drawImage(0, 0, icon);
    QCOMPARE(shot.copy(QRect(QPoint(42, 27), icon.size())).convertToFormat(QImage::Format_RGB32),
             expected);
}

void tst_ImageBox::paintsThePreviewInsideTheFrame()
{
    Folder folder;
    QVERIFY(TestUtil::writeImage(folder.path("a.png"), 40, 30));
    QVERIFY(plantCacheFile(folder.path("a.png"), 40, 30, filled(40, 30, Qt::red)));
    ImageBox *box = folder.load("a.png");
    box->resize(100, 95);
    box->setSelected(true);
    const QImage shot = box->grab().toImage();
    // 40 x 30 centred: px = 30, py = 20, right = 71, bottom = 51.
    QCOMPARE(shot.pixelColor(1, 1), box->palette().color(QPalette::Highlight));
    QCOMPARE(shot.pixelColor(32, 22), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(69, 49), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(31, 21), QColor(Qt::lightGray));
    QCOMPARE(shot.pixelColor(70, 50), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(71, 30), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(30, 30), QColor(Qt::lightGray));
    QCOMPARE(shot.pixelColor(72, 30), box->palette().color(QPalette::Highlight));
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

void tst_ImageBox::usesABoldTwelvePixelSansFont()
{
    const QFont font = ImageBox::captionFont();
    QCOMPARE(font.family(), QStringLiteral("System"));
    QCOMPARE(font.pixelSize(), 12);
    QCOMPARE(font.weight(), QFont::Bold);
    QVERIFY(!font.italic());
    // Where no "System" font is installed, an installed sans font stands in.
    const QFontInfo used(font);
    QVERIFY(QFontDatabase::families().contains(used.family()));
    QCOMPARE(used.pixelSize(), 12);
}

void tst_ImageBox::turnsKeysAndClicksIntoSignals_data()
{
    QTest::addColumn<int>("key"); // 0: a mouse click
    QTest::addColumn<QString>("signal"); // empty: none
    QTest::newRow("space") << int(Qt::Key_Space) << "clicked";
    QTest::newRow("click") << 0 << "clicked";
    QTest::newRow("left") << int(Qt::Key_Left) << "leftPressed";
    QTest::newRow("up") << int(Qt::Key_Up) << "upPressed";
    QTest::newRow("right") << int(Qt::Key_Right) << "rightPressed";
    QTest::newRow("down") << int(Qt::Key_Down) << "downPressed";
    QTest::newRow("another key") << int(Qt::Key_A) << QString();
}

void tst_ImageBox::turnsKeysAndClicksIntoSignals()
{
    QFETCH(int, key);
    QFETCH(QString, signal);
    Folder folder;
    ImageBox *box = folder.box("a.png");
    QSignalSpy clicked(box, &ImageBox::clicked);
    QSignalSpy left(box, &ImageBox::leftPressed);
    QSignalSpy up(box, &ImageBox::upPressed);
    QSignalSpy right(box, &ImageBox::rightPressed);
    QSignalSpy down(box, &ImageBox::downPressed);
    if (key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        press.ignore();
        QApplication::sendEvent(box, &press);
        QVERIFY2(press.isAccepted(), "the key went on to the parent");
    } else {
        QTest::mouseClick(box, Qt::LeftButton);
    }
    QCOMPARE(clicked.size(), signal == "clicked" ? 1 : 0);
    QCOMPARE(left.size(), signal == "leftPressed" ? 1 : 0);
    QCOMPARE(up.size(), signal == "upPressed" ? 1 : 0);
    QCOMPARE(right.size(), signal == "rightPressed" ? 1 : 0);
    QCOMPARE(down.size(), signal == "downPressed" ? 1 : 0);
}

PICTARN_TEST(tst_ImageBox)
#include "tst_imagebox.moc"
