#include "common/testmain.h"
#include "resources/iconset.h"

#include <QSet>
#include <QTest>

#include <algorithm>

class tst_IconSet : public QObject
{
    Q_OBJECT
private slots:
    void rowsHaveTheirSizeDepthAndColours_data();
    void rowsHaveTheirSizeDepthAndColours();
    void tableHoldsTwentyOneUniqueNames();
    void findingANameTwiceGivesTheSameImage();
    void unknownNamesGiveTheSharedEmptyImageAndANullPixmap_data();
    void unknownNamesGiveTheSharedEmptyImageAndANullPixmap();
    void picturesLoadedAtRunTimeAreThere_data();
    void picturesLoadedAtRunTimeAreThere();
};

void tst_IconSet::rowsHaveTheirSizeDepthAndColours_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("colours");

    const struct
    {
        const char *name;
        int width, height, depth, colours;
    } rows[] = {
            {"pictarn", 32, 32, 32, 0},         {"back", 16, 16, 32, 0},
            {"bookmark_folder", 18, 18, 32, 0}, {"brightdown", 16, 18, 32, 0},
            {"brightup", 16, 18, 32, 0},        {"image", 16, 16, 32, 0},
            {"info", 16, 16, 8, 107},           {"next", 16, 16, 32, 0},
            {"pause", 16, 16, 32, 0},           {"play", 16, 16, 32, 0},
            {"rename", 17, 16, 32, 0},          {"rotate", 16, 16, 8, 5},
            {"slideshow", 16, 16, 32, 0},       {"stop", 16, 16, 32, 0},
            {"toscreen", 18, 17, 32, 0},        {"view_icon", 16, 16, 32, 0},
            {"view_text", 16, 16, 32, 0},       {"zoom", 16, 16, 32, 0},
            {"zoomin", 16, 16, 32, 0},          {"zoommax", 18, 18, 32, 0},
            {"zoomout", 16, 16, 32, 0},
    };
    int index = 0;
    for (const auto &row : rows) {
        QTest::newRow(row.name) << index++ << row.width << row.height << row.depth << row.colours;
    }
}

void tst_IconSet::rowsHaveTheirSizeDepthAndColours()
{
    QFETCH(int, index);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, depth);
    QFETCH(int, colours);

    const EmbeddedImage &row = embeddedImages[index];
    QVERIFY(row.data);
    QCOMPARE(row.name, QTest::currentDataTag());
    QCOMPARE(row.width, width);
    QCOMPARE(row.height, height);
    QCOMPARE(row.depth, depth);
    QCOMPARE(row.numColors, colours);
    QCOMPARE(row.colorTable != nullptr, depth == 8);
    QVERIFY(row.alpha);

    const QImage &image = findIconImage(QString::fromLatin1(row.name));
    QCOMPARE(image.size(), QSize(width, height));
    QCOMPARE(image.depth(), depth);
    QCOMPARE(image.format(), depth == 8 ? QImage::Format_Indexed8 : QImage::Format_ARGB32);
    QCOMPARE(image.colorCount(), colours);
    QVERIFY(image.hasAlphaChannel());
    // The cached image wraps the table's pixels instead of copying them, also once a pixmap
    // has been made from it.
    const int stride = depth == 32 ? width * 4 : (width + 3) / 4 * 4;
    QCOMPARE(image.bytesPerLine(), stride);
    QCOMPARE(static_cast<const void *>(image.constBits()), static_cast<const void *>(row.data));

    const QPixmap pixmap = iconPixmap(QString::fromLatin1(row.name));
    QCOMPARE(pixmap.size(), QSize(width, height));
    QVERIFY(pixmap.hasAlphaChannel());
    QCOMPARE(static_cast<const void *>(findIconImage(QString::fromLatin1(row.name)).constBits()),
             static_cast<const void *>(row.data));

    if (depth == 8) {
        // Every pixel, padding included, indexes the table; every entry is used; one is clear.
        const QList<QRgb> table(row.colorTable, row.colorTable + colours);
        QCOMPARE(image.colorTable(), table);
        QList<int> uses(colours);
        for (int i = 0; i < height * stride; ++i) {
            QVERIFY2(row.data[i] < colours, qPrintable(QString::number(i)));
            uses[row.data[i]] += i % stride < width;
        }
        QVERIFY(!uses.contains(0));
        QCOMPARE(QSet<QRgb>(table.cbegin(), table.cend()).size(), colours);
        QVERIFY(std::any_of(table.cbegin(), table.cend(), [](QRgb c) { return qAlpha(c) == 0; }));
    }

    // A drawing on a transparent ground: a tenth of it clear, a tenth solid at least.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int clear = 0;
    int solid = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            clear += qAlpha(argb.pixel(x, y)) == 0;
            solid += qAlpha(argb.pixel(x, y)) == 255;
        }
    }
    QVERIFY2(clear >= width * height / 10, qPrintable(QString::number(clear)));
    QVERIFY2(solid >= width * height / 10, qPrintable(QString::number(solid)));
}

void tst_IconSet::tableHoldsTwentyOneUniqueNames()
{
    QSet<QByteArray> seen;
    for (const EmbeddedImage *row = embeddedImages; row->data && seen.size() < 1000; ++row) {
        QVERIFY2(!seen.contains(row->name), row->name);
        seen.insert(row->name);
    }
    QCOMPARE(seen.size(), 21);
    QCOMPARE(embeddedImages[21].name, nullptr);
}

void tst_IconSet::findingANameTwiceGivesTheSameImage()
{
    for (const char *name : {"image", "info", "rotate"}) {
        const QImage &first = findIconImage(QString::fromLatin1(name));
        QVERIFY(!first.isNull());
        QCOMPARE(&findIconImage(QString::fromLatin1(name)), &first);
        QCOMPARE(iconPixmap(QString::fromLatin1(name)).toImage(),
                 iconPixmap(QString::fromLatin1(name)).toImage());
    }
    QVERIFY(&findIconImage(QStringLiteral("zoomin")) != &findIconImage(QStringLiteral("zoomout")));
    QVERIFY(iconPixmap(QStringLiteral("play")).toImage()
            != iconPixmap(QStringLiteral("pause")).toImage());
}

void tst_IconSet::unknownNamesGiveTheSharedEmptyImageAndANullPixmap_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("other case") << QStringLiteral("Image");
    QTest::newRow("empty") << QString();
    QTest::newRow("empty, not null") << QStringLiteral("");
    QTest::newRow("longer") << QStringLiteral("imagex");
    QTest::newRow("shorter") << QStringLiteral("imag");
    QTest::newRow("trailing blank") << QStringLiteral("info ");
    QTest::newRow("embedded nul") << QString::fromLatin1("image\0x", 7);
    QTest::newRow("not Latin-1") << QStringLiteral("imag\u4e00");
}

void tst_IconSet::unknownNamesGiveTheSharedEmptyImageAndANullPixmap()
{
    QFETCH(QString, name);
    const QImage &image = findIconImage(name);
    QVERIFY(image.isNull());
    QCOMPARE(image.size(), QSize(0, 0));
    // One shared image for every miss: nothing is put in the cache under the missing name.
    QCOMPARE(&findIconImage(name), &image);
    QCOMPARE(&findIconImage(QStringLiteral("no such icon")), &image);
    QVERIFY(iconPixmap(name).isNull());
    QVERIFY(!findIconImage(QStringLiteral("image")).isNull());
}

void tst_IconSet::picturesLoadedAtRunTimeAreThere_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    for (const char *path :
         {"image/wmenu.png", "image/SettingsIcon.png", "image/fullscreen.png",
          "image/editdelete.png", "image/DocsIcon.png", "image/menu.png", "image/folder_closed.png",
          "image/folder_open.png", "image/folder_locked.png"}) {
        QTest::newRow(path) << QString::fromLatin1(path) << QSize(16, 16);
    }
    QTest::newRow("pictarn.png") << QStringLiteral("pictarn.png") << QSize(32, 32);
}

void tst_IconSet::picturesLoadedAtRunTimeAreThere()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
    QVERIFY(image.hasAlphaChannel());
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int solid = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x)
            solid += qAlpha(argb.pixel(x, y)) == 255;
    }
    QVERIFY(solid >= size.width() * size.height() / 10);
    if (path == QLatin1String("pictarn.png")) // the program's own icon
        QCOMPARE(image.convertToFormat(QImage::Format_ARGB32),
                 findIconImage(QStringLiteral("pictarn")).convertToFormat(QImage::Format_ARGB32));
}

PICTARN_TEST(tst_IconSet)
#include "tst_iconset.moc"
