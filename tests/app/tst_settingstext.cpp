#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"

#include <QFile>
#include <QTest>

// Bookmark text that means something to the INI syntax (list commas, type markers, quotes,
// escapes, comment marks, line breaks) comes back from a save and load exactly as it went in.
class tst_SettingsText : public QObject
{
    Q_OBJECT
private slots:
    void init() { QFile::remove(TestUtil::configFile()); }
    void bookmarkTextSurvivesASaveAndLoad_data();
    void bookmarkTextSurvivesASaveAndLoad();
};

void tst_SettingsText::bookmarkTextSurvivesASaveAndLoad_data()
{
    QTest::addColumn<QString>("text");
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

void tst_SettingsText::bookmarkTextSurvivesASaveAndLoad()
{
    QFETCH(QString, text);
    {
        Settings settings;
        settings.addBookmark(new Bookmark(text, QStringLiteral("/media/") + text));
        settings.addBookmark(new Bookmark(QStringLiteral("after"), QStringLiteral("/after")));
        settings.save();
    }
    Settings reread;
    reread.load();
    QCOMPARE(reread.bookmarks().size(), 2);
    QCOMPARE(reread.bookmarks().at(0)->name(), text);
    QCOMPARE(reread.bookmarks().at(0)->dir(), QStringLiteral("/media/") + text);
    // Nothing of it spilled into the next entry.
    QCOMPARE(reread.bookmarks().at(1)->name(), QStringLiteral("after"));
    QCOMPARE(reread.bookmarks().at(1)->dir(), QStringLiteral("/after"));
}

PICTARN_TEST(tst_SettingsText)
#include "tst_settingstext.moc"
