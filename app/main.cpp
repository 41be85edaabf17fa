#include "app/commandline.h"
#include "app/pictarn.h"
#include "app/startup.h"
#include "platform/zapplication.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QWindow>

int main(int argc, char **argv)
{
    if (CommandLine::onlyPrints(argc, argv)) {
        QCoreApplication app(argc, argv);
        CommandLine().process(QCoreApplication::arguments());
        return 0;
    }
    // Names on the command line are relative to where the user started the program.
    const QString workingDir = QDir::currentPath();
    Startup::enterDataDirectory(argv[0]);
    ZApplication app(argc, argv, ZApplication::GuiClient);
    Startup::addPluginFolder(argv[0]);
    CommandLine commandLine;
    commandLine.process(QCoreApplication::arguments());
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
