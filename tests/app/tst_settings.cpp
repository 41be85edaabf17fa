#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "platform/zconfig.h"

#include <QFile>
#include <QSettings>
#include <QTest>

namespace {
// The value fields in declaration order.
QVariantList fields(const Settings &s)
{
    return {s.slideDelay(),      s.view(),          s.thumbFileSize(),     s.rotateInSlide(),
            s.imageFullScreen(), s.rotateBestFit(), s.controlBarInSlide(), s.saveThumbnails(),
            s.showExtension(),   s.showDimension()};
}
} // namespace

class tst_Settings : public QObject
{
    Q_OBJECT
private slots:
    void init() { QFile::remove(TestUtil::configFile()); }
    void noFileGivesTheDefaults();
    void unusableFilesGiveTheDefaults_data();
    void unusableFilesGiveTheDefaults();
    void missingBookmarkKeysTakeTheirDefaults();
    void bookmarkValuesThatAreNoTextTakeTheirDefaults();
    void shorterListLeavesOldKeysThatAreNotRead();
    void valuesSurviveASaveAndLoad();
    void bookmarksAreNumberedFromZeroInListOrder();
    void loadingKeepsBookmarksAlreadyListed();
    void aHugeCountIsBounded();
};

void tst_Settings::noFileGivesTheDefaults()
{
    Settings settings;
    settings.load();
    QCOMPARE(fields(settings),
             QVariantList({2, 0, 30, true, false, false, true, true, false, true}));
    QCOMPARE(settings.numBookmarks(), 0);
    QVERIFY(settings.bookmarks().isEmpty());
}

void tst_Settings::unusableFilesGiveTheDefaults_data()
{
    QTest::addColumn<QByteArray>("contents");
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919) % 256));
    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("not INI") << QByteArray("<xml><slideDelay>9</slideDelay></xml>\n");
    QTest::newRow("wrong types") << QByteArray("[Settings]\nslideDelay=fast\nview=list\n"
                                               "rotateInSlide=sometimes\nthumbFileSize=\n"
                                               "[Bookmarks]\nnumBookmarks=many\n");
    QTest::newRow("empty") << QByteArray();
}

void tst_Settings::unusableFilesGiveTheDefaults()
{
    QFETCH(QByteArray, contents);
    QVERIFY(TestUtil::writeConfig(QString()));
    QFile file(TestUtil::configFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
    file.close();

    Settings settings;
    settings.load();
    QCOMPARE(settings.slideDelay(), 2);
    QCOMPARE(settings.view(), 0);
    QCOMPARE(settings.thumbFileSize(), 30);
    QCOMPARE(settings.rotateInSlide(), true);
    QVERIFY(settings.bookmarks().isEmpty());

    // And the program can write a good file over it.
    settings.setSlideDelay(7);
    settings.save();
    Settings again;
    again.load();
    QCOMPARE(again.slideDelay(), 7);
}

void tst_Settings::missingBookmarkKeysTakeTheirDefaults()
{
    QVERIFY(TestUtil::writeConfig(QStringLiteral("[Bookmarks]\nnumBookmarks=2\n"
                                                 "name0=Camera\ndir0=/media/card/DCIM\n")));
    Settings settings;
    settings.load();
    QCOMPARE(settings.bookmarks().size(), 2);
    QCOMPARE(settings.bookmarks().at(0)->name(), QStringLiteral("Camera"));
    QCOMPARE(settings.bookmarks().at(0)->dir(), QStringLiteral("/media/card/DCIM"));
    QCOMPARE(settings.bookmarks().at(1)->name(), QStringLiteral("name"));
    QCOMPARE(settings.bookmarks().at(1)->dir(), QStringLiteral("/mmc/mmca1/opie/home/Documents"));
}

void tst_Settings::bookmarkValuesThatAreNoTextTakeTheirDefaults()
{
    QVERIFY(TestUtil::writeConfig(QStringLiteral("[Bookmarks]\nnumBookmarks=2\n"
                                                 "name0=@Point(5 6)\ndir0=a, b\n"
                                                 "name1=@@Card\ndir1=/card\n")));
    Settings settings;
    settings.load();
    QCOMPARE(settings.bookmarks().size(), 2);
    QCOMPARE(settings.bookmarks().at(0)->name(), QStringLiteral("name"));
    QCOMPARE(settings.bookmarks().at(0)->dir(), QStringLiteral("/mmc/mmca1/opie/home/Documents"));
    QCOMPARE(settings.bookmarks().at(1)->name(), QStringLiteral("@Card"));
}

void tst_Settings::shorterListLeavesOldKeysThatAreNotRead()
{
    Settings five;
    for (int i = 0; i < 5; ++i)
        five.addBookmark(new Bookmark(QStringLiteral("b%1").arg(i), QStringLiteral("/d%1").arg(i)));
    five.save();

    Settings three;
    three.load();
    three.bookmarks().removeAt(4);
    three.bookmarks().removeAt(3);
    three.save();

    QSettings raw(TestUtil::configFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Bookmarks/numBookmarks")).toInt(), 3);
    QCOMPARE(raw.value(QStringLiteral("Bookmarks/name3")).toString(), QStringLiteral("b3"));
    QCOMPARE(raw.value(QStringLiteral("Bookmarks/dir4")).toString(), QStringLiteral("/d4"));

    Settings reread;
    reread.load();
    QCOMPARE(reread.bookmarks().size(), 3);
    QCOMPARE(reread.bookmarks().at(2)->name(), QStringLiteral("b2"));
}

void tst_Settings::valuesSurviveASaveAndLoad()
{
    Settings settings;
    settings.load();
    settings.setSlideDelay(13);
    settings.setView(1);
    settings.setThumbFileSize(0);
    settings.setRotateInSlide(false);
    settings.setImageFullScreen(true);
    settings.setRotateBestFit(true);
    settings.setControlBarInSlide(false);
    settings.setSaveThumbnails(false);
    settings.setShowExtension(true);
    settings.setShowDimension(false);
    settings.addBookmark(new Bookmark(QStringLiteral("我的图像"), QStringLiteral("/media/照片 1")));
    settings.save();

    Settings reread;
    reread.load();
    QCOMPARE(fields(reread),
             QVariantList({13, 1, 0, false, true, true, false, false, true, false}));
    QCOMPARE(reread.bookmarks().size(), 1);
    QCOMPARE(reread.bookmarks().at(0)->name(), QStringLiteral("我的图像"));
    QCOMPARE(reread.bookmarks().at(0)->dir(), QStringLiteral("/media/照片 1"));
}

void tst_Settings::bookmarksAreNumberedFromZeroInListOrder()
{
    Settings settings;
    settings.addBookmark(new Bookmark(QStringLiteral("zeta"), QStringLiteral("/z")));
    settings.addBookmark(new Bookmark(QStringLiteral("alpha"), QStringLiteral("/a")));
    settings.save();

    QSettings raw(TestUtil::configFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Bookmarks/numBookmarks")).toInt(), 2);
    QCOMPARE(raw.value(QStringLiteral("Bookmarks/name0")).toString(), QStringLiteral("zeta"));
    QCOMPARE(raw.value(QStringLiteral("Bookmarks/dir0")).toString(), QStringLiteral("/z"));
    QCOMPARE(raw.value(QStringLiteral("Bookmarks/name1")).toString(), QStringLiteral("alpha"));
    QVERIFY(!raw.contains(QStringLiteral("Bookmarks/name2")));
    QCOMPARE(raw.value(QStringLiteral("Settings/rotateInSlide")).toString(),
             QStringLiteral("true"));
}

void tst_Settings::loadingKeepsBookmarksAlreadyListed()
{
    QVERIFY(TestUtil::writeConfig(QStringLiteral("[Bookmarks]\nnumBookmarks=1\n"
                                                 "name0=Saved\ndir0=/saved\n")));
    Settings settings;
    settings.addBookmark(new Bookmark(QStringLiteral("Early"), QStringLiteral("/early")));
    settings.load();
    QCOMPARE(settings.bookmarks().size(), 2);
    QCOMPARE(settings.bookmarks().at(0)->name(), QStringLiteral("Early"));
    QCOMPARE(settings.bookmarks().at(1)->name(), QStringLiteral("Saved"));
}

void tst_Settings::aHugeCountIsBounded()
{
    QVERIFY(TestUtil::writeConfig(QStringLiteral("[Bookmarks]\nnumBookmarks=2147483647\n"
                                                 "name0=Only\ndir0=/only\n")));
    Settings settings;
    settings.load();
    QCOMPARE(settings.numBookmarks(), 2147483647);
    QCOMPARE(settings.bookmarks().size(), qsizetype(Settings::maxBookmarks));
    QCOMPARE(settings.bookmarks().at(0)->name(), QStringLiteral("Only"));

    QVERIFY(TestUtil::writeConfig(QStringLiteral("[Bookmarks]\nnumBookmarks=-5\n")));
    Settings negative;
    negative.load();
    QVERIFY(negative.bookmarks().isEmpty());
}

PICTARN_TEST(tst_Settings)
#include "tst_settings.moc"
