#pragma once

#include "viewer/swipeclassifier.h"

#include <QWidget>

class QColor;
class QPixmap;

// A picture shown centred on a surface that turns taps and keys into signals.
class ImageWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ImageWidget(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    void setPixmap(QPixmap *pixmap, bool resizeToPixmap);
    const QPixmap *shownPixmap() const { return pixmap; }
    // The pixmap stretched to this size, only the part exposed drawn; hardEdges: enlarged
    // pixels stay squares. An invalid size draws the pixmap as it is.
    void setShownSize(QSize size, bool hardEdges);

    // Black (or another colour) around a picture smaller than the surface, drawn whenever
    // the surface is erased.
    void setBackgroundColor(const QColor &colour);

    // A swipe down closes the surface as Escape does; the slide show leaves it off.
    void setClosesOnSwipeDown(bool closes) { swipeDownCloses = closes; }

    // The move a key asks for (see stepRequested()), 0 for other keys.
    static int stepsForKey(int key);

signals:
    void clicked();
    void OKPressed();
    void CancelPressed();
    // direction: 1 for the next picture, -1 for the previous one.
    void swiped(int direction);
    // A finger past the tap radius, moved by this since its press; then the drag's end.
    void dragged(QPoint moved);
    void dragEnded();
    // Keys that move through the pictures: steps of -1 or 1, or a large step for the first or
    // last picture.
    void stepRequested(int steps);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    bool closing = false; // set by the close event; nothing is painted after it

private:
    void cancel();

    QPixmap *pixmap = nullptr; // not owned
    QSize shown;
    bool hardEdges = false;
    bool swipeDownCloses = false;
    SwipeClassifier pointer;
};
