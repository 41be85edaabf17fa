#include "common/testmain.h"
#include "resources/iconset.h"

#include <QSet>
#include <QTest>

#include <algorithm>

namespace {

const EmbeddedImage *rowNamed(const char *name)
{
    for (const EmbeddedImage *row = embeddedImages; row->data; ++row) {
        if (qstrcmp(row->name, name) == 0)
            return row;
    }
    return nullptr;
}

} // namespace

class tst_IconSet : public QObject
{
    Q_OBJECT
private slots:
    void rowsHaveTheirSizeDepthAndColours_data();
    void rowsHaveTheirSizeDepthAndColours();
    void tableEndsWithAnEmptyRowAfterTwentyOneRows();
    void namesAreUniqueLowerCaseAscii();
    void everyIconShowsADrawingOnATransparentGround_data();
    void everyIconShowsADrawingOnATransparentGround();
    void colourTableRowsUseEveryEntryAndNoOther_data();
    void colourTableRowsUseEveryEntryAndNoOther();
    void cachedImagesWrapTheTableData_data();
    void cachedImagesWrapTheTableData();
    void findingANameTwiceGivesTheSameImage();
    void twoPixmapsOfOneNameHaveEqualContents();
    void unknownNamesGiveTheSharedEmptyImageAndANullPixmap_data();
    void unknownNamesGiveTheSharedEmptyImageAndANullPixmap();
    void picturesLoadedAtRunTimeAreThere_data();
    void picturesLoadedAtRunTimeAreThere();
    void programPictureFileIsTheProgramIcon();
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

    const QPixmap pixmap = iconPixmap(QString::fromLatin1(row.name));
    QCOMPARE(pixmap.size(), QSize(width, height));
    QVERIFY(pixmap.hasAlphaChannel());
}

void tst_IconSet::tableEndsWithAnEmptyRowAfterTwentyOneRows()
{
    int rows = 0;
    while (embeddedImages[rows].data && rows < 1000)
        ++rows;
    QCOMPARE(rows, 21);

    const EmbeddedImage &end = embeddedImages[rows];
    QCOMPARE(end.width, 0);
    QCOMPARE(end.height, 0);
    QCOMPARE(end.depth, 0);
    QCOMPARE(end.numColors, 0);
    QCOMPARE(end.colorTable, nullptr);
    QCOMPARE(end.alpha, false);
    QCOMPARE(end.name, nullptr);
}

void tst_IconSet::namesAreUniqueLowerCaseAscii()
{
    QSet<QByteArray> seen;
    for (const EmbeddedImage *row = embeddedImages; row->data; ++row) {
        const QByteArray name(row->name);
        QVERIFY(!name.isEmpty());
        for (const char c : name)
            QVERIFY2((c >= 'a' && c <= 'z') || c == '_', row->name);
        QVERIFY2(!seen.contains(name), row->name);
        seen.insert(name);
    }
}

void tst_IconSet::everyIconShowsADrawingOnATransparentGround_data()
{
    QTest::addColumn<QString>("name");
    for (const EmbeddedImage *row = embeddedImages; row->data; ++row)
        QTest::newRow(row->name) << QString::fromLatin1(row->name);
}

void tst_IconSet::everyIconShowsADrawingOnATransparentGround()
{
    QFETCH(QString, name);
    const QImage image = findIconImage(name).convertToFormat(QImage::Format_ARGB32);
    int clear = 0;
    int solid = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            clear += alpha == 0;
            solid += alpha == 255;
        }
    }
    const int area = image.width() * image.height();
    QVERIFY2(clear >= area / 10, qPrintable(QString::number(clear)));
    QVERIFY2(solid >= area / 10, qPrintable(QString::number(solid)));
}

void tst_IconSet::colourTableRowsUseEveryEntryAndNoOther_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("info") << QByteArray("info");
    QTest::newRow("rotate") << QByteArray("rotate");
}

void tst_IconSet::colourTableRowsUseEveryEntryAndNoOther()
{
    QFETCH(QByteArray, name);
    const EmbeddedImage *row = rowNamed(name.constData());
    QVERIFY(row);
    QCOMPARE(row->depth, 8);

    const int stride = (row->width + 3) / 4 * 4;
    QList<int> uses(row->numColors);
    for (int y = 0; y < row->height; ++y) {
        for (int x = 0; x < stride; ++x) {
            const int index = row->data[y * stride + x];
            QVERIFY2(index < row->numColors, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            if (x < row->width)
                ++uses[index];
        }
    }
    for (int entry = 0; entry < row->numColors; ++entry)
        QVERIFY2(uses.at(entry) > 0, qPrintable(QString::number(entry)));

    const QList<QRgb> table(row->colorTable, row->colorTable + row->numColors);
    QCOMPARE(QSet<QRgb>(table.cbegin(), table.cend()).size(), row->numColors);
    QVERIFY(std::any_of(table.cbegin(), table.cend(), [](QRgb c) { return qAlpha(c) == 0; }));
}

void tst_IconSet::cachedImagesWrapTheTableData_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("32-bit") << QByteArray("image");
    QTest::newRow("8-bit") << QByteArray("info");
    QTest::newRow("8-bit, few colours") << QByteArray("rotate");
}

void tst_IconSet::cachedImagesWrapTheTableData()
{
    QFETCH(QByteArray, name);
    const EmbeddedImage *row = rowNamed(name.constData());
    QVERIFY(row);

    const QImage &image = findIconImage(QString::fromLatin1(name));
    QCOMPARE(static_cast<const void *>(image.constBits()), static_cast<const void *>(row->data));
    QCOMPARE(image.bytesPerLine(), row->depth == 32 ? row->width * 4 : (row->width + 3) / 4 * 4);
    if (row->depth == 8) {
        const QList<QRgb> table(row->colorTable, row->colorTable + row->numColors);
        QCOMPARE(image.colorTable(), table);
    }
    // Building a pixmap from the cached image leaves it wrapping the table.
    QVERIFY(!iconPixmap(QString::fromLatin1(name)).isNull());
    QCOMPARE(static_cast<const void *>(findIconImage(QString::fromLatin1(name)).constBits()),
             static_cast<const void *>(row->data));
}

void tst_IconSet::findingANameTwiceGivesTheSameImage()
{
    for (const char *name : {"image", "info", "toscreen"}) {
        const QImage &first = findIconImage(QString::fromLatin1(name));
        const QImage &second = findIconImage(QString::fromLatin1(name));
        QVERIFY(!first.isNull());
        QCOMPARE(&first, &second);
    }
    QVERIFY(&findIconImage(QStringLiteral("zoomin")) != &findIconImage(QStringLiteral("zoomout")));
}

void tst_IconSet::twoPixmapsOfOneNameHaveEqualContents()
{
    for (const char *name : {"play", "rotate"}) {
        const QPixmap first = iconPixmap(QString::fromLatin1(name));
        const QPixmap second = iconPixmap(QString::fromLatin1(name));
        QVERIFY(!first.isNull());
        QCOMPARE(first.toImage(), second.toImage());
    }
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
}

void tst_IconSet::programPictureFileIsTheProgramIcon()
{
    const QImage file(QStringLiteral("pictarn.png"));
    QVERIFY(!file.isNull());
    QCOMPARE(file.convertToFormat(QImage::Format_ARGB32),
             findIconImage(QStringLiteral("pictarn")).convertToFormat(QImage::Format_ARGB32));
}

PICTARN_TEST(tst_IconSet)
#include "tst_iconset.moc"
