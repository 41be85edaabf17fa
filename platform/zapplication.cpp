#include "platform/zapplication.h"

#include "platform/mountwatcher.h"

#include <QStyleFactory>

ZApplication::ZApplication(int &argc, char **argv, Type) : QApplication(argc, argv)
{
    // The same look on the device, over VNC, on a desktop and in tests.
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    mountWatcher = new MountWatcher(this);
}

ZApplication::~ZApplication() = default;

void ZApplication::setMainWidget(QWidget *widget)
{
    mainWindow = widget;
}
