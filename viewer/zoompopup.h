#pragma once

#include <QMenu>

class ImageViewer;
class QLabel;
class QToolButton;

// The viewer's zoom menu: a label telling the zoom above a row of zoom-out, zoom-in and
// zoom-to-the-maximum buttons.
class ZoomPopup : public QMenu
{
    Q_OBJECT
public:
    explicit ZoomPopup(ImageViewer *parent);

    void setBusyText(const QString &text);
    void setRatio(int ratio);
    // 0: fitted.
    void setPercent(int percent);
    void setZoomInEnabled(bool on);
    void setZoomOutEnabled(bool on);
    void setZoomMaxEnabled(bool on);

private:
    QLabel *label;
    QToolButton *zoomOutButton;
    QToolButton *zoomInButton;
    QToolButton *zoomMaxButton;
};
