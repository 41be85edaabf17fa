#pragma once

#include <QFrame>

class QHBoxLayout;
class QKeyEvent;
class QToolButton;

// The controls a slide show and the photo frame share: the bar of back, play/pause, stop and
// next that a tap shows, and what their keys mean. A key counts on its release, and only
// when its press reached the show: the release of the key that started a show is not a step.
class SlideBar : public QFrame
{
    Q_OBJECT
public:
    explicit SlideBar(QWidget *show);

    // The play button shows pause while the show runs, play while it stands.
    void setRunning(bool running);
    // The row of buttons, for more controls after them.
    QHBoxLayout *row() const { return buttons; }
    // Placed at the bottom middle of the show.
    void place();

    enum Action { None, Pause, Stop, Next, Previous };
    void keyPressed(QKeyEvent *event);
    // What the released key asks of the show.
    Action keyReleased(QKeyEvent *event);

signals:
    void back();
    void playPause();
    void stop();
    void next();

private:
    QHBoxLayout *buttons;
    QToolButton *playButton;
    int pressedKey = 0;
};
