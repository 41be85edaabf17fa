#include "common/testmain.h"
#include "resources/iconset.h"

#include <QSet>
#include <QTest>

namespace {
// Checks a drawing on a transparent ground: a tenth of it clear, a tenth solid at least.
bool drawnOnClearGround(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int clear = 0, solid = 0;
    for (int i = 0; i < argb.width() * argb.height(); ++i) {
        clear += qAlpha(argb.pixel(i % argb.width(), i / argb.width())) == 0;
        solid += qAlpha(argb.pixel(i % argb.width(), i / argb.width())) == 255;
    }
    return clear >= argb.width() * argb.height() / 10 && solid >= argb.width() * argb.height() / 10;
}
} // namespace

class tst_IconSet : public QObject
{
    Q_OBJECT
private slots:
    // Each row is found by its name as an image that wraps the row's pixels, whole and within
    // its colour table.
    void everyRowIsFoundWhole()
    {
        QSet<QByteArray> seen;
        for (const EmbeddedImage *row = embeddedImages; row->data && seen.size() < 100; ++row) {
            QVERIFY2(!seen.contains(row->name), row->name);
            seen.insert(row->name);
            const QImage &image = findIconImage(QString::fromLatin1(row->name));
            QCOMPARE(QList<int>({image.width(), image.height(), image.depth(), image.colorCount()}),
                     QList<int>({row->width, row->height, row->depth, row->numColors}));
            QCOMPARE(static_cast<const void *>(image.constBits()), row->data);
            QCOMPARE(&findIconImage(QString::fromLatin1(row->name)), &image);
            QCOMPARE(iconPixmap(QString::fromLatin1(row->name)).size(), image.size());
            QVERIFY2(image.hasAlphaChannel() && drawnOnClearGround(image), row->name);
            for (int i = 0; row->depth == 8 && i < image.sizeInBytes(); ++i)
                QVERIFY2(row->data[i] < row->numColors, row->name); // padding included
        }
        QCOMPARE(seen.size(), 21);
    }

    // One shared empty image for every miss: nothing is cached under the missing name.
    void unknownNamesGiveTheSharedEmptyImage()
    {
        const QImage &miss = findIconImage(QStringLiteral("no such icon"));
        QVERIFY(miss.isNull());
        for (const QString &name :
             {QString("Image"), QString(), QString("imagex"), QString("imag"), QString("info "),
              QString::fromLatin1("image\0x", 7), QStringLiteral("imag\u4e00")})
            QCOMPARE(&findIconImage(name), &miss);
    }

    void picturesLoadedAtRunTimeAreThere()
    {
        for (const char *name : {"wmenu", "SettingsIcon", "fullscreen", "editdelete", "DocsIcon",
                                 "menu", "folder_closed", "folder_open", "folder_locked"}) {
            const QImage image(QStringLiteral("image/%1.png").arg(QLatin1String(name)));
            QVERIFY2(image.size() == QSize(16, 16) && drawnOnClearGround(image), name);
        }
        QCOMPARE(QImage(QStringLiteral("pictarn.png")).convertToFormat(QImage::Format_ARGB32),
                 findIconImage(QStringLiteral("pictarn")).convertToFormat(QImage::Format_ARGB32));
    }
};

PICTARN_TEST(tst_IconSet)
#include "tst_iconset.moc"
