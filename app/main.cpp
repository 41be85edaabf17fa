#include "app/commandline.h"
#include "app/framemode.h"
#include "app/movejournal.h"
#include "app/pictarn.h"
#include "app/startup.h"
#include "app/translations.h"
#include "platform/zapplication.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QWindow>

#include <cstdio>

int main(int argc, char **argv)
{
    // Qt reads its options from what it is given: never the names after "--".
    int qtArgc = CommandLine::optionCount(argc, argv);
    const QStringList names = CommandLine::afterOptions(argc, argv);
    // Names on the command line are relative to where the user started the program; empty
    // when that folder is gone.
    const QString workingDir = QDir::currentPath();
    Startup::enterDataDirectory(argv[0]); // where the catalogues are
    if (CommandLine::onlyPrints(qtArgc, argv)) {
        QCoreApplication app(qtArgc, argv);
        Translations::install(QLocale::system());
        return CommandLine().process(QCoreApplication::arguments() + names) ? 0 : 1;
    }
    ZApplication app(qtArgc, argv, ZApplication::GuiClient);
    Startup::addPluginFolder(argv[0]);
    Translations::install(QLocale::system());
    // Qt ends the program with an abort when a window is made with no screen (a missing
    // framebuffer device, say): say what is wrong and end cleanly instead.
    if (!QGuiApplication::primaryScreen()) {
        std::fprintf(stderr, "pictarn: %s\n",
                     qPrintable(QCoreApplication::translate(
                                        "Startup", "no screen to show on with the \"%1\" "
                                                   "platform (is the display or framebuffer "
                                                   "device there?)")
                                        .arg(QGuiApplication::platformName())));
        return 1;
    }
    CommandLine commandLine;
    if (!commandLine.process(QCoreApplication::arguments() + names))
        return 1;
    if (FrameMode frame(commandLine, workingDir); frame.isWanted())
        return frame.exec();
    // What a move cut short by a crash left: finished, its half-made copy removed.
    MoveJournal::finishInterrupted();
    int result;
    {
        Pictarn window;
        app.setMainWidget(&window);
        window.show();
        const QStringList paths = commandLine.paths(workingDir);
        // A viewer shown before the window is on screen would open beneath it.
        const QDeadlineTimer patience(2000);
        while (!paths.isEmpty() && !window.windowHandle()->isExposed() && !patience.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (commandLine.namesGiven())
            window.openPaths(paths);
        else
            window.openLastFolders();
        result = app.exec();
    } // the window saves the settings as it goes
    return result;
}
