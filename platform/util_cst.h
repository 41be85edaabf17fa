#pragma once

#include <QWidget>

class QPushButton;

// The soft-key bar: three keys along the bottom of a screen, named middle key first, then
// the left and the right key. The platform's resource names "CST_Menu" and "CST_Exit" show as
// the standard "Menu" and "Exit" labels.
class UTIL_CST : public QWidget
{
    Q_OBJECT
public:
    UTIL_CST(QWidget *parent, const QString &middle, const QString &left, const QString &right);

    QPushButton *getLeftBtn() const { return leftButton; }
    QPushButton *getMidBtn() const { return midButton; }
    QPushButton *getRightBtn() const { return rightButton; }

    static QString label(const QString &text);

private:
    QPushButton *leftButton;
    QPushButton *midButton;
    QPushButton *rightButton;
};
