#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"

#include <QFile>
#include <QSettings>
#include <QTest>

namespace {
// The value fields in declaration order.
QVariantList fields(Settings &s)
{
    return {s.slideDelay(),      s.view(),          s.thumbFileSize(),     s.rotateInSlide(),
            s.imageFullScreen(), s.rotateBestFit(), s.controlBarInSlide(), s.saveThumbnails(),
            s.showExtension(),   s.showDimension()};
}

// The bookmarks as "name|dir".
QStringList marks(Settings &s)
{
    QStringList list;
    for (const Bookmark *bookmark : s.bookmarks())
        list << bookmark->name() + QLatin1Char('|') + bookmark->dir();
    return list;
}
} // namespace

class tst_Settings : public QObject
{
    Q_OBJECT
private slots:
    void init() { QFile::remove(TestUtil::configFile()); }

    void damagedFilesReadAsDefaults_data()
    {
        QTest::addColumn<QByteArray>("contents"); // null: no file
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("first");
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage.append(char((i * 7919) % 256));
        const QString home = QStringLiteral("/mmc/mmca1/opie/home/Documents");
        QTest::newRow("no file") << QByteArray() << 0 << QStringList();
        QTest::newRow("empty") << QByteArray("") << 0 << QStringList();
        QTest::newRow("binary garbage") << garbage << 0 << QStringList();
        QTest::newRow("not INI") << QByteArray("<xml><slideDelay>9</slideDelay></xml>\n") << 0
                                 << QStringList();
        QTest::newRow("wrong types") << QByteArray("[Settings]\nslideDelay=fast\nview=list\n"
                                                   "rotateInSlide=sometimes\nthumbFileSize=\n"
                                                   "[Bookmarks]\nnumBookmarks=many\n")
                                     << 0 << QStringList();
        QTest::newRow("missing keys")
                << QByteArray("[Bookmarks]\nnumBookmarks=2\nname0=Camera\ndir0=/card/DCIM\n") << 2
                << QStringList{"Camera|/card/DCIM", "name|" + home};
        QTest::newRow("no text") << QByteArray("[Bookmarks]\nnumBookmarks=2\nname0=@Point(5 6)\n"
                                               "dir0=a, b\nname1=@@Card\ndir1=/card\n")
                                 << 2 << QStringList{"name|" + home, "@Card|/card"};
        QTest::newRow("huge count")
                << QByteArray("[Bookmarks]\nnumBookmarks=2147483647\nname0=Only\ndir0=/only\n")
                << int(Settings::maxBookmarks) << QStringList{"Only|/only", "name|" + home};
        QTest::newRow("negative count")
                << QByteArray("[Bookmarks]\nnumBookmarks=-5\n") << 0 << QStringList();
    }

    void damagedFilesReadAsDefaults()
    {
        QFETCH(QByteArray, contents);
        if (!contents.isNull()) {
            QVERIFY(TestUtil::writeConfig(QString()));
            QFile file(TestUtil::configFile());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
        }
        Settings settings;
        settings.load();
        QCOMPARE(fields(settings),
                 QVariantList({2, 0, 30, true, false, false, true, true, false, true}));
        QTEST(int(settings.bookmarks().size()), "count");
        QTEST(marks(settings).mid(0, 2), "first");

        // And the program writes a good file over it.
        settings.setSlideDelay(7);
        settings.save();
        Settings again;
        again.load();
        QCOMPARE(again.slideDelay(), 7);
    }

    void fileKeepsWhatWasSaved()
    {
        // Bookmark text that means something to the INI syntax comes back as it went in.
        const QStringList texts
                = QStringLiteral(
                          "我的图像 照片 1|Holiday, "
                          "2006|@home|@Variant(\\0\\0\\0\\t)|@Invalid()|@ByteArray(x)|"
                          "  padded  |say \"cheese\" \\ C:\\x41|; not # a comment|[Settings] a=b|"
                          "two\nlines\r\tand a tab|%2F%U0041|bell\u0007 nul\u0001 \U0001F4F7")
                          .split(QLatin1Char('|'));
        QStringList saved;
        QVERIFY(TestUtil::writeConfig(
                "[Settings]\nslideDelay=13\nview=1\nthumbFileSize=0\nrotateInSlide=false\n"
                "imageFullScreen=true\nrotateBestFit=true\ncontrolBarInSlide=false\n"
                "saveThumbnails=false\nshowExtension=true\nshowDimension=false\n"));
        Settings s;
        s.load();
        for (const QString &text : texts) {
            saved << text + "|/media/" + text;
            s.addBookmark(new Bookmark(text, "/media/" + text));
        }
        s.save();
        {
            QSettings raw(TestUtil::configFile(), QSettings::IniFormat);
            QCOMPARE(raw.value("Bookmarks/numBookmarks").toInt(), texts.size());
            QCOMPARE(raw.value("Bookmarks/dir1").toString(),
                     QStringLiteral("/media/Holiday, 2006"));
            QCOMPARE(raw.value("Settings/rotateInSlide").toString(), QStringLiteral("false"));
            QCOMPARE(raw.value("Settings/slideDelay").toString(), QStringLiteral("13"));
        }
        Settings reread;
        reread.load();
        QCOMPARE(fields(reread),
                 QVariantList({13, 1, 0, false, true, true, false, false, true, false}));
        QCOMPARE(marks(reread), saved);

        // A shorter list leaves the old keys behind, and they are not read.
        while (reread.bookmarks().size() > 2)
            reread.bookmarks().removeAt(2);
        reread.save();
        QVERIFY(QSettings(TestUtil::configFile(), QSettings::IniFormat).contains("Bookmarks/dir3"));
        Settings shorter;
        shorter.load();
        QCOMPARE(marks(shorter), saved.mid(0, 2));
    }
};

PICTARN_TEST(tst_Settings)
#include "tst_settings.moc"
