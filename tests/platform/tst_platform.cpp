#include "common/testmain.h"
#include "common/testutil.h"

#include "platform/dialogplacement.h"
#include "platform/folders.h"
#include "platform/mountwatcher.h"
#include "platform/qcopchannel.h"
#include "platform/zconfig.h"
#include "platform/zmessagebox.h"

#include <QDialog>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

class tst_Platform : public QObject
{
    Q_OBJECT
private slots:
    // Every channel of the name gets the message, also when a receiver deletes another.
    void channelDeliversToItsNameAndSurvivesAReceiverDeletingAnother()
    {
        const QString card = QStringLiteral("QPE/Card");
        QCopChannel first(card), other(QStringLiteral("QPE/System"));
        QPointer<QCopChannel> second = new QCopChannel(card);
        QCopChannel third(card);
        QSignalSpy firstSpy(&first, &QCopChannel::received),
                thirdSpy(&third, &QCopChannel::received);
        QSignalSpy otherSpy(&other, &QCopChannel::received);
        connect(&first, &QCopChannel::received, this, [&] { delete second; });
        QCopChannel::send(card, "mtabChanged()", "payload");
        QVERIFY(second.isNull());
        QCOMPARE(firstSpy.count() + thirdSpy.count() + 10 * otherSpy.count(), 2);
        QCOMPARE(thirdSpy.at(0),
                 (QVariantList{QByteArray("mtabChanged()"), QByteArray("payload")}));
    }

    // The chosen button's index, -1 when closed; the box takes most of a narrow screen's width
    // (Qt alone wraps at half of it).
    // The only way the program learns that a card came or went.
    void mountWatcherAnnouncesMountAndUnmount()
    {
        MountWatcher watcher;
        QVERIFY(watcher.isWatching());
        QCopChannel card(QStringLiteral("QPE/Card"));
        QSignalSpy spy(&card, &QCopChannel::received);
        QTemporaryDir dir;
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", dir.path()}))
            QSKIP("mounting a tmpfs needs root, and a machine that allows it");
        QTRY_VERIFY(!spy.isEmpty());
        QCOMPARE(spy.last().at(0).toByteArray(), QByteArray("mtabChanged()"));
        const qsizetype mounted = spy.count();
        QCOMPARE(QProcess::execute(QStringLiteral("umount"), {dir.path()}), 0);
        QTRY_VERIFY(spy.count() > mounted);
    }

    void messageBox_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        const QString longText = QString("<p>An image browser for a small screen.</p>").repeated(3);
        QTest::newRow("first") << QString::fromUtf8("确定") << 0 << "Delete         \nsunset.jpg ?";
        QTest::newRow("second, long rich text") << "Cancel" << 1 << longText;
        QTest::newRow("closed") << QString() << -1 << "A message.";
    }

    void messageBox()
    {
        QFETCH(QString, answer);
        QFETCH(QString, text);
        QRect shown;
        TestUtil::answerModal([&](QWidget *box) {
            shown = box->frameGeometry();
            if (answer.isNull() || !TestUtil::clickButton(box, answer))
                box->close();
        });
        QTEST(ZMessageBox::information(nullptr, QPixmap(QStringLiteral("pictarn.png")), text,
                                       QString::fromUtf8("确定"), "Cancel", QString(), 1),
              "index");
        QVERIFY(shown.width() >= 200 && shown.width() <= 240 && shown.height() <= 320);
    }

    // A save that does not fit leaves the old file whole.
    void configSurvivesAFullDisk()
    {
        QTemporaryDir home;
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", home.path()}))
            QSKIP("mounting a tmpfs needs root, and a machine that allows it");
        const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        auto restore = qScopeGuard([&] {
            qputenv("XDG_CONFIG_HOME", oldHome);
            QProcess::execute(QStringLiteral("umount"), {home.path()});
        });
        ZConfig(QStringLiteral("pictarn.cfg")).writeEntry("Settings", "slideDelay", 5);
        QCOMPARE(TestUtil::configFile(), home.path() + "/pictarn/pictarn.cfg");
        auto read = [] {
            QFile file(TestUtil::configFile());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
        };
        const QByteArray before = read();
        QVERIFY(before.contains("slideDelay=5"));
        TestUtil::writeBytes(home.path() + QStringLiteral("/filler"), 60 * 1024); // may stop short
        {
            ZConfig config(QStringLiteral("pictarn.cfg"));
            config.writeEntry("Settings", "slideDelay", 9);
            config.writeEntry("Bookmarks", "name0", QString(16 * 1024, QLatin1Char('n')));
            QVERIFY(!config.sync());
        }
        QCOMPARE(read(), before);
    }

    // The named folder even when missing, else the pictures folder, else home.
    void documentsFolderIsTheFirstThatExists()
    {
        if (QFileInfo::exists(QStringLiteral("/diska/MyImages")))
            QSKIP("this machine has the phone's own documents folder");
        const QByteArray home = qgetenv("HOME"), documents = qgetenv("PICTARN_DOCUMENTS");
        auto restore = qScopeGuard([&] {
            qputenv("HOME", home);
            qputenv("PICTARN_DOCUMENTS", documents);
        });
        QTemporaryDir dir;
        qputenv("HOME", QFile::encodeName(dir.filePath("home")));
        qputenv("PICTARN_DOCUMENTS", "");
        for (const char *made : {"home", "home/Pictures"}) {
            QVERIFY(QDir().mkpath(dir.filePath(made)));
            QCOMPARE(Folders::documents(), dir.filePath(made));
        }
        qputenv("PICTARN_DOCUMENTS", QFile::encodeName(dir.filePath("named")));
        QCOMPARE(Folders::documents(), dir.filePath("named"));
    }

    void dialogsFitTheirContentOnADesktop()
    {
        // The phone's screen in the run "platform", a desktop's in "platform-desktop".
        const bool desktop = QGuiApplication::primaryScreen()->size().width() > 480;
        QWidget window;
        window.setGeometry(desktop ? QRect(100, 50, 900, 600) : QRect(0, 0, 240, 320));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QDialog dialog;
        (new QVBoxLayout(&dialog))->addWidget(new QLabel(QStringLiteral("A line of text")));
        dialog.resize(10, 10);
        QCOMPARE(DialogPlacement::place(&dialog, &window), desktop);
        QCOMPARE(dialog.size(), desktop ? dialog.sizeHint() : QSize(10, 10));
        QVERIFY(!desktop || dialog.geometry().center() == window.geometry().center());
    }
};

PICTARN_TEST(tst_Platform)
#include "tst_platform.moc"
