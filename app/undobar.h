#pragma once

#include <QFrame>

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
    QString text() const;

    static constexpr int shownMs = 8000;

signals:
    void undoClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QLabel *label;
    QPushButton *undoButton;
    QTimer *timer;
};
