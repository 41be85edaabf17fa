#pragma once

#include <QFrame>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;

// A band over the bottom of its parent that says what was just done, with an "Undo" button
// big enough for a finger, for a few seconds.
class UndoBar : public QFrame
{
    Q_OBJECT
public:
    explicit UndoBar(QWidget *parent);

    // Shows text and "Undo" for shownMs; another message takes its place.
    void showMessage(const QString &text, bool undoable = true);
    // The window in front, asked at each message, so that a change made in another window is
    // told where it was made; the bar goes home when that window hides.
    void setHost(std::function<QWidget *()> host) { this->host = std::move(host); }
    QString text() const;

    static constexpr int shownMs = 8000;

signals:
    void undoClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
    void moveTo(QWidget *window);

    QLabel *label;
    QPushButton *undoButton;
    QTimer *timer;
    QWidget *home;
    std::function<QWidget *()> host;
};
