#include "app/pictarn.h"
#include "app/settings.h"

Pictarn::Pictarn(QWidget *parent, const char *, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    settings = new Settings;
    settings->load();
}

Pictarn::~Pictarn()
{
    settings->save();
    delete settings;
}
