#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

class MountWatcher;

// The application object: the toolkit's application plus the platform's storage notices.
class ZApplication : public QApplication
{
    Q_OBJECT
public:
    enum Type { GuiClient };

    ZApplication(int &argc, char **argv, Type type = GuiClient);
    ~ZApplication() override;

    void setMainWidget(QWidget *widget);
    QWidget *mainWidget() const { return mainWindow; }

private:
    QPointer<QWidget> mainWindow;
    MountWatcher *mountWatcher = nullptr;
};
