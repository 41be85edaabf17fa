#include "app/commandline.h"
#include "app/pictarn.h"
#include "app/startup.h"
#include "platform/zapplication.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QWindow>

int main(int argc, char **argv)
{
    // Qt reads its options from what it is given: never the names after "--".
    int qtArgc = CommandLine::optionCount(argc, argv);
    const QStringList names = CommandLine::afterOptions(argc, argv);
    if (CommandLine::onlyPrints(qtArgc, argv)) {
        QCoreApplication app(qtArgc, argv);
        return CommandLine().process(QCoreApplication::arguments() + names) ? 0 : 1;
    }
    // Names on the command line are relative to where the user started the program; empty
    // when that folder is gone.
    const QString workingDir = QDir::currentPath();
    Startup::enterDataDirectory(argv[0]);
    ZApplication app(qtArgc, argv, ZApplication::GuiClient);
    CommandLine commandLine;
    if (!commandLine.process(QCoreApplication::arguments() + names))
        return 1;
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
        window.openPaths(paths);
        result = app.exec();
    } // the window saves the settings as it goes
    return result;
}
