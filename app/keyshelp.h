#pragma once

#include <QDialog>

class QLabel;
class QScrollArea;

// One screen listing the keys and gestures of the screen it was opened from; it scrolls on a
// phone, and Escape or a tap closes it.
class KeysHelp : public QDialog
{
    Q_OBJECT

public:
    enum Screen { MainWindow, Viewer, FullScreen, SlideShow };

    KeysHelp(Screen screen, QWidget *parent);
    // Opens the help of `screen` over `parent` and returns when it is closed.
    static void present(Screen screen, QWidget *parent);
    // Makes F1 and "?" open the help of `screen` while `window` is active.
    static void addShortcuts(QWidget *window, Screen screen);
    // The rows shown: key or gesture, then what it does.
    static QList<QPair<QString, QString>> rows(Screen screen);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QScrollArea *scrollArea;
    QPoint pressedAt;
    int pressedValue = 0;
    bool dragged = false;
};
