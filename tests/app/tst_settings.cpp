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

// The first bookmarks as "name|dir".
QStringList marks(Settings &s, int first = 2)
{
    QStringList list;
    for (int i = 0; i < qMin<qsizetype>(first, s.bookmarks().size()); ++i)
        list << s.bookmarks().at(i)->name() + QLatin1Char('|') + s.bookmarks().at(i)->dir();
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
        QTEST(marks(settings), "first");

        // And the program writes a good file over it.
        settings.setSlideDelay(7);
        settings.save();
        Settings again;
        again.load();
        QCOMPARE(again.slideDelay(), 7);
    }

    // Bookmark text that means something to the INI syntax comes back as it went in.
    void fileKeepsWhatWasSaved_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain, not Latin-1") << QStringLiteral("我的图像 照片 1");
        QTest::newRow("list separator") << QStringLiteral("Holiday, 2006");
        QTest::newRow("leading at sign") << QStringLiteral("@home");
        QTest::newRow("type marker") << QStringLiteral("@Variant(\\0\\0\\0\\t)");
        QTest::newRow("empty marker") << QStringLiteral("@Invalid()");
        QTest::newRow("byte array marker") << QStringLiteral("@ByteArray(x)");
        QTest::newRow("outer blanks") << QStringLiteral("  padded  ");
        QTest::newRow("quotes and backslashes") << QStringLiteral("say \"cheese\" \\ C:\\x41");
        QTest::newRow("comment marks") << QStringLiteral("; not # a comment");
        QTest::newRow("equals and brackets") << QStringLiteral("[Settings] a=b");
        QTest::newRow("line breaks and tab") << QStringLiteral("two\nlines\r\tand a tab");
        QTest::newRow("control character") << QString::fromUtf16(u"bell\u0007 nul\u0001");
        QTest::newRow("outside the basic plane") << QString::fromUtf16(u"\U0001F4F7 camera");
        QTest::newRow("percent escapes") << QStringLiteral("%2F%U0041");
    }

    void fileKeepsWhatWasSaved()
    {
        QFETCH(QString, text);
        const QStringList saved{text + "|/media/" + text, "after|/after", "b2|/d2", "b3|/d3"};
        {
            Settings s;
            s.setSlideDelay(13);
            s.setView(1);
            s.setThumbFileSize(0);
            s.setRotateInSlide(false);
            s.setImageFullScreen(true);
            s.setRotateBestFit(true);
            s.setControlBarInSlide(false);
            s.setSaveThumbnails(false);
            s.setShowExtension(true);
            s.setShowDimension(false);
            for (const QString &mark : saved)
                s.addBookmark(new Bookmark(mark.section('|', 0, 0), mark.section('|', 1)));
            s.save();
        }
        {
            QSettings raw(TestUtil::configFile(), QSettings::IniFormat);
            QCOMPARE(raw.value("Bookmarks/numBookmarks").toInt(), 4);
            QCOMPARE(raw.value("Bookmarks/dir1").toString(), QStringLiteral("/after"));
            QCOMPARE(raw.value("Settings/rotateInSlide").toString(), QStringLiteral("false"));
            QCOMPARE(raw.value("Settings/slideDelay").toString(), QStringLiteral("13"));
        }
        Settings reread;
        reread.load();
        QCOMPARE(fields(reread),
                 QVariantList({13, 1, 0, false, true, true, false, false, true, false}));
        QCOMPARE(marks(reread, 4), saved);

        // A shorter list leaves the old keys behind, and they are not read.
        reread.bookmarks().removeAt(3);
        reread.bookmarks().removeAt(2);
        reread.save();
        QCOMPARE(QSettings(TestUtil::configFile(), QSettings::IniFormat).value("Bookmarks/dir3"),
                 QVariant("/d3"));
        Settings shorter;
        shorter.load();
        QCOMPARE(marks(shorter, 4), saved.mid(0, 2));
    }
};

PICTARN_TEST(tst_Settings)
#include "tst_settings.moc"
