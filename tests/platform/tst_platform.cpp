#include "common/testmain.h"
#include "common/testutil.h"

#include "platform/folders.h"
#include "platform/mountwatcher.h"
#include "platform/qcopchannel.h"
#include "platform/zconfig.h"
#include "platform/zmessagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

namespace {
// Answers the next modal message box by clicking the button with that text, or by closing it.
void answerMessageBox(const QString &buttonText)
{
    QTimer::singleShot(0, [buttonText] {
        QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (buttonText.isNull()) {
            box->close();
            return;
        }
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == buttonText) {
                button->click();
                return;
            }
        }
        QFAIL("no such button");
    });
}

bool runMount(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral("mount"), args);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}
} // namespace

class tst_Platform : public QObject
{
    Q_OBJECT
private slots:
    void channelDeliversToEveryChannelOfThatNameOnly();
    void channelSurvivesReceiverDeletingAnother();
    void mountWatcherAnnouncesANewMount();
    void messageBoxReturnsTheChosenIndex_data();
    void messageBoxReturnsTheChosenIndex();
    void messageBoxTakesTheNarrowScreensWidth_data();
    void messageBoxTakesTheNarrowScreensWidth();
    void configFileLivesInTheConfigHome();
    void configReadsDefaultsForMissingOrMistypedValues();
    void configSurvivesAFullDisk();
    void documentsFolderIsTheFirstThatExists_data();
    void documentsFolderIsTheFirstThatExists();
};

void tst_Platform::channelDeliversToEveryChannelOfThatNameOnly()
{
    QCopChannel first(QStringLiteral("QPE/Card"));
    QCopChannel second(QStringLiteral("QPE/Card"));
    QCopChannel other(QStringLiteral("QPE/System"));
    QSignalSpy firstSpy(&first, &QCopChannel::received);
    QSignalSpy secondSpy(&second, &QCopChannel::received);
    QSignalSpy otherSpy(&other, &QCopChannel::received);

    QCopChannel::send(QStringLiteral("QPE/Card"), "mtabChanged()", "payload");

    QCOMPARE(firstSpy.count(), 1);
    QCOMPARE(secondSpy.count(), 1);
    QCOMPARE(otherSpy.count(), 0);
    QCOMPARE(firstSpy.at(0).at(0).toByteArray(), QByteArray("mtabChanged()"));
    QCOMPARE(firstSpy.at(0).at(1).toByteArray(), QByteArray("payload"));

    {
        QCopChannel gone(QStringLiteral("QPE/Card"));
    }
    QCopChannel::send(QStringLiteral("QPE/Card"), "again()");
    QCOMPARE(firstSpy.count(), 2);
}

void tst_Platform::channelSurvivesReceiverDeletingAnother()
{
    auto *first = new QCopChannel(QStringLiteral("QPE/Card"));
    auto *second = new QCopChannel(QStringLiteral("QPE/Card"));
    QPointer<QCopChannel> guard(second);
    connect(first, &QCopChannel::received, first, [&] { delete second; });
    QSignalSpy secondSpy(second, &QCopChannel::received);
    QCopChannel::send(QStringLiteral("QPE/Card"), "mtabChanged()");
    QVERIFY(guard.isNull());
    QCOMPARE(secondSpy.count(), 0);
    delete first;
}

void tst_Platform::mountWatcherAnnouncesANewMount()
{
    if (geteuid() != 0)
        QSKIP("mounting a file system needs root");
    MountWatcher watcher;
    QVERIFY(watcher.isWatching());
    QCopChannel card(QStringLiteral("QPE/Card"));
    QSignalSpy spy(&card, &QCopChannel::received);

    QTemporaryDir dir;
    if (!runMount({QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                   QStringLiteral("size=16k"), QStringLiteral("tmpfs"), dir.path()}))
        QSKIP("this machine does not allow mounting a tmpfs");
    QTRY_VERIFY(spy.count() >= 1);
    QCOMPARE(spy.last().at(0).toByteArray(), QByteArray("mtabChanged()"));

    const int afterMount = spy.count();
    QVERIFY(runMount({QStringLiteral("-u"), dir.path()})
            || QProcess::execute(QStringLiteral("umount"), {dir.path()}) == 0);
    QTRY_VERIFY(spy.count() > afterMount);
}

void tst_Platform::messageBoxReturnsTheChosenIndex_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("index");
    QTest::newRow("first") << QStringLiteral("确定") << 0;
    QTest::newRow("second") << QStringLiteral("Cancel") << 1;
    QTest::newRow("third") << QStringLiteral("Later") << 2;
    QTest::newRow("closed") << QString() << -1;
}

void tst_Platform::messageBoxReturnsTheChosenIndex()
{
    QFETCH(QString, answer);
    QFETCH(int, index);
    answerMessageBox(answer);
    const int result = ZMessageBox::information(nullptr, QPixmap(), QStringLiteral("Delete?"),
                                                QStringLiteral("确定"), QStringLiteral("Cancel"),
                                                QStringLiteral("Later"), 1);
    QCOMPARE(result, index);
}

void tst_Platform::messageBoxTakesTheNarrowScreensWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withIcon");
    QTest::newRow("question") << QStringLiteral("Delete         \nsunset.jpg ?") << true;
    QTest::newRow("long rich text")
            << QStringLiteral("<qt><p><b>EZX PICTARN 0.2</b></p>Translate pictarn-0.2</qt>"
                              "<qt><p>An image browser for small touch screens.</p>"
                              "<p>Lists, thumbnails, a viewer and a slide show.</p></qt>")
            << true;
    QTest::newRow("no icon") << QStringLiteral("A message without a picture beside it.") << false;
}

void tst_Platform::messageBoxTakesTheNarrowScreensWidth()
{
    QFETCH(QString, text);
    QFETCH(bool, withIcon);
    QPixmap icon(32, 32);
    icon.fill(Qt::darkCyan);
    QRect shown;
    QTimer::singleShot(0, [&shown] {
        QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QTRY_VERIFY(box->isVisible());
        shown = box->frameGeometry();
        box->close();
    });
    ZMessageBox::information(nullptr, withIcon ? icon : QPixmap(), text, QStringLiteral("  Ok  "),
                             QString(), QString(), 1);
    // Qt alone wraps at half of the 240 pixels.
    QVERIFY2(shown.width() >= 200 && shown.width() <= 240,
             qPrintable(QString::number(shown.width())));
    QVERIFY(shown.height() <= 320);
}

void tst_Platform::configFileLivesInTheConfigHome()
{
    QCOMPARE(ZConfig::filePath(QStringLiteral("pictarn.cfg")),
             qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/pictarn/pictarn.cfg"));
}

void tst_Platform::configReadsDefaultsForMissingOrMistypedValues()
{
    QVERIFY(TestUtil::writeConfig(QStringLiteral("[Settings]\n"
                                                 "number=12\n"
                                                 "word=twelve\n"
                                                 "flag=true\n"
                                                 "maybe=perhaps\n"
                                                 "list=a, b\n")));
    ZConfig config(QStringLiteral("pictarn.cfg"));
    QCOMPARE(config.readNumEntry(QStringLiteral("Settings"), QStringLiteral("number"), 7), 12);
    QCOMPARE(config.readNumEntry(QStringLiteral("Settings"), QStringLiteral("word"), 7), 7);
    QCOMPARE(config.readNumEntry(QStringLiteral("Other"), QStringLiteral("number"), 7), 7);
    QCOMPARE(config.readBoolEntry(QStringLiteral("Settings"), QStringLiteral("flag"), false), true);
    QCOMPARE(config.readBoolEntry(QStringLiteral("Settings"), QStringLiteral("maybe"), false),
             false);
    QCOMPARE(config.readBoolEntry(QStringLiteral("Settings"), QStringLiteral("maybe"), true), true);
    QCOMPARE(config.readEntry(QStringLiteral("Settings"), QStringLiteral("word"),
                              QStringLiteral("x")),
             QStringLiteral("twelve"));
    QCOMPARE(config.readEntry(QStringLiteral("Settings"), QStringLiteral("list"),
                              QStringLiteral("x")),
             QStringLiteral("x"));
}

void tst_Platform::configSurvivesAFullDisk()
{
    if (geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    QTemporaryDir home;
    if (!runMount({QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                   QStringLiteral("size=64k"), QStringLiteral("tmpfs"), home.path()}))
        QSKIP("this machine does not allow mounting a tmpfs");
    const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    auto restore = qScopeGuard([&] {
        qputenv("XDG_CONFIG_HOME", oldHome);
        QProcess::execute(QStringLiteral("umount"), {home.path()});
    });

    {
        ZConfig config(QStringLiteral("pictarn.cfg"));
        config.writeEntry(QStringLiteral("Settings"), QStringLiteral("slideDelay"), 5);
    }
    const QString path = ZConfig::filePath(QStringLiteral("pictarn.cfg"));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray before = saved.readAll();
    saved.close();
    QVERIFY(before.contains("slideDelay=5"));

    // Fill the disk, then try to save a file larger than the room that is left.
    TestUtil::writeBytes(home.path() + QStringLiteral("/filler"), 60 * 1024); // may stop short
    {
        ZConfig config(QStringLiteral("pictarn.cfg"));
        config.writeEntry(QStringLiteral("Settings"), QStringLiteral("slideDelay"), 9);
        config.writeEntry(QStringLiteral("Bookmarks"), QStringLiteral("name0"),
                          QString(16 * 1024, QLatin1Char('n')));
        QVERIFY(!config.sync());
    }
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), before);
}

void tst_Platform::documentsFolderIsTheFirstThatExists_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<bool>("pictures");
    QTest::addColumn<QString>("expected");
    QTest::newRow("named") << true << true << "named";
    QTest::newRow("pictures") << false << true << "home/Pictures";
    QTest::newRow("home") << false << false << "home";
}

void tst_Platform::documentsFolderIsTheFirstThatExists()
{
    QFETCH(bool, named);
    QFETCH(bool, pictures);
    QFETCH(QString, expected);
    if (QFileInfo::exists(QStringLiteral("/diska/MyImages")))
        QSKIP("this machine has the phone's own documents folder");
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath(pictures ? "home/Pictures" : "home")));
    const QByteArray home = qgetenv("HOME");
    const QByteArray documents = qgetenv("PICTARN_DOCUMENTS");
    auto restore = qScopeGuard([&] {
        qputenv("HOME", home);
        qputenv("PICTARN_DOCUMENTS", documents);
    });
    qputenv("HOME", QFile::encodeName(dir.filePath(QStringLiteral("home"))));
    qputenv("PICTARN_DOCUMENTS", named ? QFile::encodeName(dir.filePath("named")) : "");
    QCOMPARE(Folders::documents(), dir.filePath(expected));
}

PICTARN_TEST(tst_Platform)
#include "tst_platform.moc"
