#include "common/testmain.h"

#include "app/commandline.h"

#include <QRegularExpression>
#include <QTest>

#include <vector>

// What main() gives Qt and what it takes as paths, from argv as a shell would pass it.
class tst_CommandLine : public QObject
{
    Q_OBJECT
private slots:
    void argumentsAndPaths_data()
    {
        QTest::addColumn<QString>("argv");
        QTest::addColumn<QString>("workingDir"); // empty: the folder started in is gone
        QTest::addColumn<QString>("qtSees");
        QTest::addColumn<bool>("onlyPrints");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("paths");
        QTest::newRow("names after --") << "pictarn -- -platform vnc:size=240x320.jpg -x.jpg -v"
                                        << "/w"
                                        << "pictarn" << false << true
                                        << "/w/-platform /w/vnc:size=240x320.jpg /w/-x.jpg /w/-v";
        QTest::newRow("a second -- is a name") << "pictarn -- -- -h"
                                               << "/w"
                                               << "pictarn" << false << true << "/w/-- /w/-h";
        QTest::newRow("version before --") << "pictarn -v -- a.jpg"
                                           << "/w"
                                           << "pictarn -v" << true << true << "";
        QTest::newRow("unknown option before --") << "pictarn a.jpg -x.jpg"
                                                  << "/w"
                                                  << "pictarn a.jpg -x.jpg" << false << false << "";
        QTest::newRow("relative and absolute")
                << "pictarn ../p/a.jpg /abs/b.jpg"
                << "/w/sub"
                << "pictarn ../p/a.jpg /abs/b.jpg" << false << true << "/w/p/a.jpg /abs/b.jpg";
        QTest::newRow("folder gone, two relative names")
                << "pictarn -- a.jpg /abs/b.jpg ."
                << ""
                << "pictarn" << false << true << "/abs/b.jpg";
    }

    void argumentsAndPaths()
    {
        QFETCH(QString, argv);
        QFETCH(QString, workingDir);
        QFETCH(bool, accepted);
        QByteArrayList bytes = argv.toLocal8Bit().split(' ');
        std::vector<char *> args;
        for (QByteArray &arg : bytes)
            args.push_back(arg.data());
        const int argc = int(args.size());
        const int qtArgc = CommandLine::optionCount(argc, args.data());
        QStringList qtSees;
        for (int i = 0; i < qtArgc; ++i)
            qtSees << QString::fromLocal8Bit(args[i]);
        QTEST(qtSees.join(' '), "qtSees");
        QTEST(CommandLine::onlyPrints(qtArgc, args.data()), "onlyPrints");
        if (CommandLine::onlyPrints(qtArgc, args.data()))
            return; // process() would print and end the program
        if (workingDir.isEmpty())
            for (int i = 0; i < 2; ++i)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("started in is gone"));
        CommandLine commandLine;
        QCOMPARE(commandLine.process(qtSees + CommandLine::afterOptions(argc, args.data())),
                 accepted);
        if (accepted)
            QTEST(commandLine.paths(workingDir).join(' '), "paths");
    }
};

PICTARN_TEST(tst_CommandLine)
#include "tst_commandline.moc"
