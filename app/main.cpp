#include "app/pictarn.h"
#include "app/startup.h"
#include "platform/zapplication.h"

int main(int argc, char **argv)
{
    Startup::enterDataDirectory(argv[0]);
    Startup::chooseScreen(argc, argv);
    ZApplication app(argc, argv, ZApplication::GuiClient);
    int result;
    {
        Pictarn window;
        app.setMainWidget(&window);
        window.show();
        result = app.exec();
    } // the window saves the settings as it goes
    return result;
}
