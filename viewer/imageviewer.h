#pragma once

#include "viewer/exifreader.h"

#include "viewer/gesturetracker.h"
#include "viewer/imageloader.h"
#include "viewer/imagenavigator.h"
#include "viewer/viewgeometry.h"

#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class ImageWidget;
class QAction;
class QLabel;
class QMenu;
class QScrollArea;
class QTimer;
class QWheelEvent;
class Settings;
class SlideStrip;
class ZoomPopup;

// The dialog in which one image is looked at: fitted to the screen, zoomed in steps, turned,
// made brighter or darker, shown full screen, with a box of facts about the file.
class ImageViewer : public QDialog
{
    Q_OBJECT
public:
    ImageViewer(QWidget *parent, Settings *settings);

    void showImageFullScreen(const QString &fileName);
    // The pictures of the view the viewer is opened from, in its order; the viewer moves
    // through them from the one shown.
    void setImageList(const QStringList &paths);

    // Acting on the picture shown from the viewer and its full-screen surface: the actions go
    // in the first button's menu and on the surface, their keys work in both.
    void setFileActions(const QList<QAction *> &actions);
    // The picture shown, on the surface or in the viewer.
    QString shownPath() const;
    // The viewer's window in front, for questions about the picture; null when neither shows.
    QWidget *front() const;
    // The picture at path was deleted or moved away (now empty), or renamed to now: the list
    // follows, and the next picture shows in its place.
    void forget(const QString &path, const QString &now);

signals:
    // The viewer or its full-screen surface moved to another picture of the list.
    void imageChanged(const QString &path);

public slots:
    void load(const QString &fileName);
    void scaleToScreen();
    void zoomIn();
    void zoomOut();
    void zoomMax();
    void rotate90();
    void rotate180();
    void rotate270();
    void rotateBestFit();
    void brightUpImage();
    void brightDownImage();
    void showFullScreen();
    void showInfoDialog();
    void accept() override;
    void reject() override;
    // steps: as ImageWidget::stepRequested(); nothing happens past either end.
    void step(int steps);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QSize viewportSize() const;
    void showPixmap(QPixmap &pixmap);
    bool moveByKey(const QKeyEvent *event);
    void showPosition();
    void showOnSurface(const QString &path);
    QPointF viewCentre() const; // the point at the middle of the view, as parts of the picture
    void centreOn(QPointF centre);
    void fitToScreen();
    // at: the point of the view that keeps its place on the picture, the middle if none;
    // soon: the sharper picture is decoded once the zoom has rested (a pinch, the wheel).
    void zoomTo(double scale, std::optional<QPointF> at = {}, bool soon = false);
    void makeSource();
    QSize turnedSize() const;
    void showZoom();
    bool zoomByKey(const QKeyEvent *event);
    bool wheel(QWheelEvent *event);
    bool pointer(QEvent *event);
    void follow(const GestureTracker::Step &step);
    void finish(GestureTracker::Gesture gesture, QPointF at);
    void beginSlide();
    // Neighbours decoded while a swipe is under way slide in rather than leave a gap.
    void fillsInNeighbours(SlideStrip *slides);
    QPixmap ready(int steps) const;
    void rotateBy(int degrees);
    void applyBrightness();
    void refresh();
    void releasePixmaps();
    static void adjustBrightness(QImage &image, float factor);

    Settings *settings;
    QString fileName;
    ImageLoader loader;
    ImageNavigator navigator; // the list, the place in it, the neighbours made ahead
    QByteArray imageFormat;
    QPixmap basePixmap;
    QPixmap brightPixmap;
    ImageWidget *imageWidget;
    QPointer<ImageWidget> fullScreenWidget;
    QLabel *statusLabel;
    QScrollArea *scrollView;
    QMenu *rotateMenu;
    QAction *bestFitItem; // rotateMenu's item 0
    ZoomPopup *zoomPopup;
    int fullWidth = 0;
    int fullHeight = 0;
    bool fitted = false;
    int pressedKey = 0; // a release counts only after its press reached the viewer itself
    QSize fittedBox; // the area the fitted picture was made for
    bool refitPending = false; // a window manager may size the dialog after it was fitted
    ViewGeometry geometry;
    double sourceScale = 0; // of basePixmap against the full picture
    QTimer *settle; // decodes the sharper picture for a zoom that has rested
    GestureTracker gestures;
    QTimer *tapDelay; // a tap counts once no second tap can follow it
    SlideStrip *strip; // the picture and its neighbour while a swipe moves them
    QTimer *coast; // keeps a flicked picture moving, slower each frame
    QPointF coastSpeed; // px/ms
    int wheelTurn = 0; // wheel angle not yet taken as a move to another picture
    int rotation = 0;
    int brightness = 0;
    std::array<QString, 6> info;
    ExifReader::Details details; // of the file shown, once a worker has read them

    // A new file or a close ends any rendering that is waiting on the event loop.
    quint64 generation = 0;
    int decoding = 0; // the event loop runs in the middle of fitting a file; user steps wait

    QList<QAction *> fileActions;

    friend class tst_ImageViewer;
    friend class tst_Language;
};
