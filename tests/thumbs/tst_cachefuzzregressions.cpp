#include "common/testmain.h"
#include "common/testutil.h"

#include "thumbs/thumbnailcache.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Cache files the fuzzer turned up, kept byte for byte.
class tst_CacheFuzzRegressions : public QObject
{
    Q_OBJECT
private slots:
    void indexedPixelsMustNameKnownColours_data();
    void indexedPixelsMustNameKnownColours();
};

void tst_CacheFuzzRegressions::indexedPixelsMustNameKnownColours_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("usable");

    // "1 1\n", then a 1 x 1 BMP of 8 bits per pixel whose table holds one colour, (10, 20, 30).
    const QByteArray head8("3120310a424d3e000000000000003a000000280000000100000001000000010008"
                           "000000000004000000130b0000130b000001000000000000001e140a00");
    QTest::newRow("8 bits, colour 5 of 1") << QByteArray::fromHex(head8 + "05000000") << false;
    QTest::newRow("8 bits, colour 0 of 1") << QByteArray::fromHex(head8 + "00000000") << true;

    // "8 1\n", then an 8 x 1 BMP of 1 bit per pixel whose table holds the same single colour.
    const QByteArray head1("3820310a424d3e000000000000003a000000280000000800000001000000010001"
                           "000000000004000000130b0000130b000001000000000000001e140a00");
    QTest::newRow("1 bit, colour 1 of 1") << QByteArray::fromHex(head1 + "80000000") << false;
    QTest::newRow("1 bit, colour 0 of 1") << QByteArray::fromHex(head1 + "00000000") << true;

    // "2 1\n", then a 2 x 1 BMP of 4 bits per pixel with two colours and pixels 1 and 15.
    QTest::newRow("4 bits, colour 15 of 2")
            << QByteArray::fromHex("3220310a424d42000000000000003e00000028000000020000000100"
                                   "0000010004000000000004000000130b0000130b0000020000000000"
                                   "00001e140a003c3228001f000000")
            << false;

    // The first input that failed: 6 x 6, 8 bits, a table of three colours, pixels up to 250.
    QTest::newRow("6 x 6, 8 bits, 3 colours") << QByteArray::fromHex(
            "333230203234300a424d72000000000000004200000028000000060000000600"
            "0000010008000000000030000000130b0000130b000003000000000000000000"
            "00ff0f5a28ff1eb450ff00254a6f94b9de082d52779cc1e610355a7fa4c9ee18"
            "3d6287acd1f620456a8fb4d903284d7297bce10b30557a9fc4e9")
                                              << false;
}

void tst_CacheFuzzRegressions::indexedPixelsMustNameKnownColours()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, usable);

    const std::optional<ThumbnailCache::Thumbnail> decoded = ThumbnailCache::decode(data);
    QCOMPARE(decoded.has_value(), usable);
    if (decoded) {
        QCOMPARE(decoded->preview.pixel(0, 0), qRgb(10, 20, 30));
        // What is read is stored and read back unchanged.
        const std::optional<ThumbnailCache::Thumbnail> back = ThumbnailCache::decode(
                ThumbnailCache::encode(decoded->width, decoded->height, decoded->preview));
        QVERIFY(back.has_value());
        QCOMPARE(back->preview.convertToFormat(QImage::Format_ARGB32),
                 decoded->preview.convertToFormat(QImage::Format_ARGB32));
    }

    // The same from a file on disk.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.png"));
    QVERIFY(TestUtil::writeBytes(path, 1));
    const QDateTime time = QDateTime::fromSecsSinceEpoch(1'200'000'000);
    QVERIFY(ThumbnailCache::store(path, data, time));
    QCOMPARE(ThumbnailCache::read(path, time).has_value(), usable);
}

PICTARN_TEST(tst_CacheFuzzRegressions)
#include "tst_cachefuzzregressions.moc"
