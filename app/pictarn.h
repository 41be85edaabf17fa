#pragma once

#include <QMainWindow>

class Settings;

class Pictarn : public QMainWindow
{
    Q_OBJECT
public:
    explicit Pictarn(QWidget *parent = nullptr, const char *name = nullptr,
                     Qt::WindowFlags flags = {});
    ~Pictarn() override;
private:
    Settings *settings = nullptr;
};
