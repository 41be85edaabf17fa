#pragma once

#include <QPushButton>

// The platform's push button; the integer arguments are the platform's look and are unused.
class ZPushButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ZPushButton(QWidget *parent = nullptr, int style = 3, int width = -1, int height = -1);
};
