#include "common/testmain.h"

#include "app/commandline.h"

#include <QRegularExpression>
#include <QTest>

// What Qt is given and what becomes a path, from argv as a shell passes it.
class tst_CommandLine : public QObject
{
    Q_OBJECT
private slots:
    void argumentsAndPaths_data()
    {
        QTest::addColumn<QString>("argv");
        QTest::addColumn<QString>("workingDir"); // empty: the folder started in is gone
        QTest::addColumn<QString>("qtSees"); // "!": only prints a text
        QTest::addColumn<QString>("paths"); // "!": an unknown option ends the program
        QTest::newRow("names after --")
                << "pictarn -- -platform vnc:size=240x320.jpg -x.jpg -v -- -h"
                << "/w"
                << "pictarn"
                << "/w/-platform /w/vnc:size=240x320.jpg /w/-x.jpg /w/-v /w/-- /w/-h";
        QTest::newRow("version before --") << "pictarn -v -- a.jpg"
                                           << "/w"
                                           << "!"
                                           << "";
        QTest::newRow("unknown option") << "pictarn a.jpg -x.jpg"
                                        << "/w"
                                        << "pictarn a.jpg -x.jpg"
                                        << "!";
        QTest::newRow("relative and absolute") << "pictarn ../p/a.jpg /b.jpg"
                                               << "/w/sub"
                                               << "pictarn ../p/a.jpg /b.jpg"
                                               << "/w/p/a.jpg /b.jpg";
        QTest::newRow("folder gone") << "pictarn -- a.jpg /b.jpg ."
                                     << ""
                                     << "pictarn"
                                     << "/b.jpg";
        QTest::newRow("frame options")
                << "pictarn --frame --recursive --interval 5 --blank 22:30-07:00 p"
                << "/w"
                << "pictarn --frame --recursive --interval 5 --blank 22:30-07:00 p"
                << "/w/p";
        QTest::newRow("interval not a number") << "pictarn --frame --interval 5s p"
                                               << "/w"
                                               << "pictarn --frame --interval 5s p"
                                               << "!";
        QTest::newRow("blank hour out of range") << "pictarn --blank 25:00-07:00 p"
                                                 << "/w"
                                                 << "pictarn --blank 25:00-07:00 p"
                                                 << "!";
    }

    void argumentsAndPaths()
    {
        QFETCH(QString, argv);
        QFETCH(QString, workingDir);
        QFETCH(QString, paths);
        QByteArrayList bytes = argv.toLocal8Bit().split(' ');
        QList<char *> args;
        for (QByteArray &arg : bytes)
            args << arg.data();
        const int qtArgc = CommandLine::optionCount(int(args.size()), args.data());
        const QStringList qtSees = argv.split(' ').mid(0, qtArgc);
        QTEST(CommandLine::onlyPrints(qtArgc, args.data()) ? "!" : qtSees.join(' '), "qtSees");
        if (CommandLine::onlyPrints(qtArgc, args.data()))
            return; // process() would print and end the program
        for (int i = 0; workingDir.isEmpty() && i < 2; ++i)
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("^pictarn: (a\\.jpg|\\.): .*gone"));
        CommandLine commandLine;
        const bool accepted
                = commandLine.process(qtSees + CommandLine::afterOptions(args.size(), args.data()));
        QCOMPARE(accepted ? commandLine.paths(workingDir).join(' ') : "!", paths);
    }
};

PICTARN_TEST(tst_CommandLine)
#include "tst_commandline.moc"
