#pragma once

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

    // Black (or another colour) around a picture smaller than the surface, drawn whenever
    // the surface is erased.
    void setBackgroundColor(const QColor &colour);

signals:
    void clicked();
    void OKPressed();
    void CancelPressed();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    bool closing = false; // set by the close event; nothing is painted after it

private:
    QPixmap *pixmap = nullptr; // not owned
};
