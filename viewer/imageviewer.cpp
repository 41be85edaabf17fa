#include "viewer/imageviewer.h"

#include "app/keyshelp.h"
#include "platform/accessibility.h"

#include "app/settings.h"
#include "platform/dialogplacement.h"
#include "platform/trace.h"
#include "platform/zbasedialog.h"
#include "platform/zmultilineedit.h"
#include "platform/zpushbutton.h"
#include "resources/iconset.h"
#include "viewer/animationplayer.h"
#include "viewer/imageheader.h"
#include "viewer/imagewidget.h"
#include "viewer/slidestrip.h"
#include "viewer/zoompopup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QNativeGestureEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextDocument>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QTouchEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QToolButton *toolButton(QWidget *parent, const QPixmap &picture, const QString &name)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    static const QHash<QString, const char *> tips{
            {QStringLiteral("menu"), QT_TRANSLATE_NOOP("ImageViewer", "Menu")},
            {QStringLiteral("toscreen"), QT_TRANSLATE_NOOP("ImageViewer", "Fit to screen")},
            {QStringLiteral("zoom"), QT_TRANSLATE_NOOP("ImageViewer", "Zoom")},
            {QStringLiteral("rotate"), QT_TRANSLATE_NOOP("ImageViewer", "Rotate")},
            {QStringLiteral("brightup"), QT_TRANSLATE_NOOP("ImageViewer", "Brighter")},
            {QStringLiteral("brightdown"), QT_TRANSLATE_NOOP("ImageViewer", "Darker")},
            {QStringLiteral("fullscreen"), QT_TRANSLATE_NOOP("ImageViewer", "Full screen")},
    };
    // Desktop users hover before they tap; a screen reader says the same.
    Accessibility::describe(button, QCoreApplication::translate("ImageViewer", tips.value(name)));
    button->setIcon(picture);
    if (!picture.isNull())
        button->setIconSize(picture.size());
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QSize screenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(240, 320);
}

} // namespace

ImageViewer::ImageViewer(QWidget *parent, Settings *settings) : QDialog(parent), settings(settings)
{
    setModal(true);
    KeysHelp::addShortcuts(this, KeysHelp::Viewer);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *toolRow = new QHBoxLayout;
    layout->addLayout(toolRow);

    QToolButton *menuButton
            = toolButton(this, QPixmap(QStringLiteral("image/menu.png")), QStringLiteral("menu"));
    auto *menu = new QMenu(menuButton);
    connect(menu->addAction(tr("Propertis   ")), &QAction::triggered, this,
            &ImageViewer::showInfoDialog);
    connect(menu->addAction(tr("Full Screen ")), &QAction::triggered, this,
            &ImageViewer::showFullScreen);
    menu->addSeparator();
    connect(menu->addAction(tr("Exit  ")), &QAction::triggered, this, &QWidget::close);
    menuButton->setMenu(menu);
    menuButton->setPopupMode(QToolButton::InstantPopup);
    toolRow->addWidget(menuButton);

    statusLabel = new QLabel(this);
    statusLabel->setAlignment(Qt::AlignCenter);
    // A long busy text is cut rather than widening the dialog past the screen.
    statusLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // The row's spare room: the buttons after it keep their place at the right.
    toolRow->addWidget(statusLabel, 1);

    QToolButton *toScreenButton
            = toolButton(this, iconPixmap(QStringLiteral("toscreen")), QStringLiteral("toscreen"));
    connect(toScreenButton, &QToolButton::clicked, this, &ImageViewer::scaleToScreen);
    toolRow->addWidget(toScreenButton);

    QToolButton *zoomButton
            = toolButton(this, iconPixmap(QStringLiteral("zoom")), QStringLiteral("zoom"));
    zoomPopup = new ZoomPopup(this);
    zoomButton->setMenu(zoomPopup);
    zoomButton->setPopupMode(QToolButton::InstantPopup);
    toolRow->addWidget(zoomButton);

    QToolButton *rotateButton
            = toolButton(this, iconPixmap(QStringLiteral("rotate")), QStringLiteral("rotate"));
    rotateMenu = new QMenu(rotateButton);
    connect(rotateMenu->addAction(tr("Rotate 90")), &QAction::triggered, this,
            &ImageViewer::rotate90);
    connect(rotateMenu->addAction(tr("Rotate 180")), &QAction::triggered, this,
            &ImageViewer::rotate180);
    connect(rotateMenu->addAction(tr("Rotate 270")), &QAction::triggered, this,
            &ImageViewer::rotate270);
    rotateMenu->addSeparator();
    bestFitItem = rotateMenu->addAction(tr("Rotate Best Fit"));
    bestFitItem->setData(0);
    bestFitItem->setCheckable(true);
    bestFitItem->setChecked(settings->rotateBestFit());
    connect(bestFitItem, &QAction::triggered, this, &ImageViewer::rotateBestFit);
    rotateButton->setMenu(rotateMenu);
    rotateButton->setPopupMode(QToolButton::InstantPopup);
    toolRow->addWidget(rotateButton);

    QToolButton *brightUpButton
            = toolButton(this, iconPixmap(QStringLiteral("brightup")), QStringLiteral("brightup"));
    connect(brightUpButton, &QToolButton::clicked, this, &ImageViewer::brightUpImage);
    toolRow->addWidget(brightUpButton);
    QToolButton *brightDownButton = toolButton(this, iconPixmap(QStringLiteral("brightdown")),
                                               QStringLiteral("brightdown"));
    connect(brightDownButton, &QToolButton::clicked, this, &ImageViewer::brightDownImage);
    toolRow->addWidget(brightDownButton);

    QToolButton *fullScreenButton = toolButton(
            this, QPixmap(QStringLiteral("image/fullscreen.png")), QStringLiteral("fullscreen"));
    connect(fullScreenButton, &QToolButton::clicked, this, &ImageViewer::showFullScreen);
    toolRow->addWidget(fullScreenButton);

    scrollView = new QScrollArea(this);
    scrollView->setFrameShape(QFrame::NoFrame);
    // A picture smaller than the window sits in its middle, not in a corner.
    scrollView->setAlignment(Qt::AlignCenter);
    scrollView->installEventFilter(this);
    scrollView->viewport()->installEventFilter(this);
    layout->addWidget(scrollView);
    imageWidget = new ImageWidget(scrollView->viewport());
    imageWidget->setPixmap(&basePixmap, true);
    scrollView->setWidget(imageWidget);
    imageWidget->installEventFilter(this);
    scrollView->viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    coast = new QTimer(this);
    coast->setInterval(16);
    connect(coast, &QTimer::timeout, this, [this] {
        follow({coastSpeed * coast->interval(), 1.0, QPointF()});
        coastSpeed *= 0.92;
        if (std::hypot(coastSpeed.x(), coastSpeed.y()) < 0.02)
            coast->stop();
    });
    tapDelay = new QTimer(this);
    tapDelay->setSingleShot(true);
    // As long as the desktop waits for a double click, and never long enough to feel slow.
    tapDelay->setInterval(
            int(std::min<qint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval(),
                                 GestureTracker::doubleTapTime)));
    gestures.setDoubleTapInterval(tapDelay->interval());
    connect(tapDelay, &QTimer::timeout, imageWidget, &ImageWidget::clicked);
    strip = new SlideStrip(scrollView->viewport());
    fillsInNeighbours(strip);
    connect(strip, &SlideStrip::settled, this, [this](int direction) {
        if (direction != 0)
            step(direction); // the strip stays over the view until the neighbour is in it
        strip->cancel();
    });
    settle = new QTimer(this);
    settle->setSingleShot(true);
    settle->setInterval(200);
    connect(settle, &QTimer::timeout, this, [this] {
        if (fitted)
            return;
        makeSource();
        refresh();
    });
    // A key whose press went to a menu is not the viewer's when it is released.
    for (const QMenu *popup : findChildren<QMenu *>())
        connect(popup, &QMenu::aboutToShow, this, [this] { pressedKey = 0; });

    showMaximized();
}

QSize ImageViewer::viewportSize() const
{
    const QScrollBar *vertical = scrollView->verticalScrollBar();
    const QScrollBar *horizontal = scrollView->horizontalScrollBar();
    return QSize(scrollView->viewport()->width() + (vertical->isVisible() ? vertical->width() : 0),
                 scrollView->viewport()->height()
                         + (horizontal->isVisible() ? horizontal->height() : 0));
}

void ImageViewer::showPixmap(QPixmap &pixmap)
{
    // A zoomed picture is drawn from its source, stretched to the size the zoom shows.
    const QSize shown = fitted || pixmap.isNull() ? pixmap.size() : geometry.shownSize();
    imageWidget->setPixmap(&pixmap, false);
    imageWidget->setShownSize(shown, geometry.hardEdges());
    imageWidget->resize(shown);
    imageWidget->repaint();
}

void ImageViewer::showPosition()
{
    const int position = navigator.position();
    const QString text = position >= 0
                                 ? QStringLiteral("%1/%2").arg(position + 1).arg(navigator.count())
                                 : QString();
    // The row has room for a short count only on the phone: a longer one is set smaller.
    QFont font = this->font();
    const int room = statusLabel->width();
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(font).pixelSize());
    while (room > 0 && font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(text) > room)
        font.setPixelSize(font.pixelSize() - 1);
    statusLabel->setFont(font);
    statusLabel->setText(text);
}

void ImageViewer::setImageList(const QStringList &paths)
{
    navigator.setList(paths);
    navigator.setCurrent(fileName);
    // The list may grow while a picture is shown: a folder still being listed.
    showPosition();
}

void ImageViewer::step(int steps)
{
    const QString path = navigator.neighbour(steps);
    if (path.isEmpty())
        return;
    emit imageChanged(path);
    load(path);
}

void ImageViewer::load(const QString &fileName)
{
    const QPointer<ImageViewer> self(this);
    const quint64 pass = ++generation;
    this->fileName = fileName;
    navigator.setCurrent(fileName);
    tapDelay->stop();
    if (strip->isSliding())
        strip->cancel(); // a key came first
    setWindowTitle(QFileInfo(fileName).fileName());
    // Keys go to the picture, where Space and the arrows move, not to the first tool button.
    scrollView->setFocus();
    fitted = false;
    brightness = 0;
    rotation = 0;
    // The previous file's picture must not stand for this one while it decodes.
    basePixmap = QPixmap();
    brightPixmap = QPixmap();
    showPixmap(basePixmap);

    statusLabel->setText(tr("Loading..."));
    fitToScreen();
    if (!self || generation != pass)
        return;
    showPosition();

    info[0] = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    info[1] = QString::fromLatin1(imageFormat.toUpper()) + tr(" image");
    const QFileInfo file(fileName);
    info[2] = file.path();
    const qint64 bytes = file.size();
    info[3] = bytes <= 1024 ? QStringLiteral("%1 %2").arg(bytes).arg(tr("bytes"))
                            : QStringLiteral("%1 %2").arg(bytes / 1024).arg(tr("Kb"));
    info[4] = QStringLiteral("%1x%2").arg(fullWidth).arg(fullHeight);
    details = {};
    QThreadPool::globalInstance()->start([self, fileName, pass] {
        ExifReader::Details read = ExifReader::read(fileName);
        // The viewer is looked at on its own thread only: here it may be going away.
        QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, read = std::move(read), pass] {
                    if (self && self->generation == pass)
                        self->details = read;
                },
                Qt::QueuedConnection);
    });
}

void ImageViewer::scaleToScreen()
{
    if (decoding || fitted)
        return;
    fitToScreen();
}

void ImageViewer::fitToScreen()
{
    const QPointer<ImageViewer> self(this);
    const quint64 pass = generation;
    // Pending repaints, the busy text among them, show before the decode blocks the loop.
    ++decoding;
    QApplication::processEvents();
    if (!self)
        return;
    --decoding;
    if (generation != pass)
        return;

    const QSize box = viewportSize();
    fittedBox = box;
    const bool bestFit = settings->rotateBestFit();
    QImage image;
    Prefetcher::Facts facts;
    if (bestFit || rotation == 0) {
        // Swapped in when a worker made it ahead; made here otherwise.
        image = navigator.pictures().take(fileName, box, bestFit, &facts);
    } else {
        loader.load(fileName);
        if (const QImage *rotated = loader.rotatedImage(box.width(), box.height(), rotation))
            image = *rotated;
        facts = {loader.imageFormat(), QSize(loader.width(), loader.height()), loader.colorCount(),
                 false};
        loader.release();
    }
    const bool turned = facts.turned;
    imageFormat = facts.format;
    // A file whose header reads but whose pixels do not has no size either.
    fullWidth = facts.size.width();
    fullHeight = facts.size.height();

    // The file's own colour table: the picture handed out is always 32-bit.
    if (!image.isNull() && facts.colours >= 1)
        info[5] = tr("%1 colors").arg(facts.colours);
    else if (image.depth() >= 16)
        info[5] = tr("True color");
    basePixmap = QPixmap::fromImage(image);
    image = QImage();

    fitted = true;
    if (turned)
        rotation = 90;
    geometry.setPicture(turnedSize());
    sourceScale = fullWidth > 0 ? double(basePixmap.width()) / geometry.picture().width() : 0;
    if (bestFit && rotation != 0 && !turned)
        rotateBy(0);
    else
        refresh();

    AnimationPlayer::playOn(imageWidget, &basePixmap, fileName);

    geometry.setView(box);
    geometry.fit();
    settle->stop();
    showZoom();
    navigator.prefetchNeighbours(box, bestFit);
}

void ImageViewer::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (!fitted || refitPending)
        return;
    // Fit again once the new size has settled, for the area the picture now has.
    refitPending = true;
    QTimer::singleShot(0, this, [this] {
        refitPending = false;
        if (!fitted || decoding || fileName.isEmpty() || viewportSize() == fittedBox)
            return;
        fitted = false;
        fitToScreen();
    });
}

void ImageViewer::zoomTo(double scale, std::optional<QPointF> at, bool soon)
{
    if (scale <= 0 || geometry.picture().isEmpty())
        return;
    const QSize view = scrollView->viewport()->size();
    const QPointF anchor = at.value_or(QPointF(view.width() / 2.0, view.height() / 2.0));
    // A picture whose pixels did not come (a decode that failed or was stopped) is not drawn:
    // its point is found at the scale the view has, never by a division by a zero width.
    const double before = imageWidget->width() > 0
                                  ? double(imageWidget->width()) / geometry.picture().width()
                                  : geometry.scale();
    const QPointF point = ViewGeometry::pictureAt(anchor, imageWidget->pos(), before);
    const bool wasFitted = fitted;
    geometry.setScale(scale);
    qCDebug(pictarnTrace, "zooming %d%%", geometry.percent());
    fitted = false;
    if (soon) {
        settle->start();
    } else {
        settle->stop();
        makeSource();
    }
    refresh();
    if (wasFitted && !at) {
        // From the fitted picture the zoom goes to its middle.
        centreOn(QPointF(0.5, 0.5));
    } else {
        QCoreApplication::sendPostedEvents(scrollView, QEvent::MetaCall);
        const QPointF offset = ViewGeometry::offsetFor(point, geometry.scale(), anchor);
        scrollView->horizontalScrollBar()->setValue(qRound(offset.x()));
        scrollView->verticalScrollBar()->setValue(qRound(offset.y()));
    }
    showZoom();
}

QSize ImageViewer::turnedSize() const
{
    const QSize upright(fullWidth, fullHeight);
    return rotation == 90 || rotation == 270 ? upright.transposed() : upright;
}

void ImageViewer::makeSource()
{
    // Never more pixels than the decode budget holds, however large the file.
    const double pixels = double(fullWidth) * fullHeight;
    const double most = std::min(1.0, std::sqrt(double(ImageHeader::budget / 4) / pixels));
    const double wanted = std::min(geometry.sourceScale(), most);
    if (pixels <= 0 || std::abs(wanted - sourceScale) <= wanted * 1e-3)
        return;
    const QSize size(std::max(1, int(std::lround(fullWidth * wanted))),
                     std::max(1, int(std::lround(fullHeight * wanted))));
    if (wanted < sourceScale && !basePixmap.isNull()) {
        // Smaller than the picture at hand: made from it, without decoding the file again.
        const QSize turned = rotation == 90 || rotation == 270 ? size.transposed() : size;
        basePixmap = basePixmap.scaled(turned, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        brightPixmap = QPixmap();
        sourceScale = wanted;
        return;
    }
    // The old picture goes first: at most one is held while the new one decodes.
    basePixmap = QPixmap();
    brightPixmap = QPixmap();
    loader.load(fileName);
    QImage *image = loader.fittedImage(size.width(), size.height());
    QImage picture = image ? std::move(*image) : QImage();
    loader.release();
    if (!picture.isNull() && rotation != 0)
        picture = ImageLoader::turned(std::exchange(picture, QImage()), rotation);
    basePixmap = QPixmap::fromImage(std::move(picture));
    sourceScale = wanted;
}

void ImageViewer::showZoom()
{
    zoomPopup->setPercent(fitted ? 0 : geometry.percent());
    zoomPopup->setZoomInEnabled(fitted || geometry.scale() < ViewGeometry::maxScale);
    zoomPopup->setZoomOutEnabled(true);
    zoomPopup->setZoomMaxEnabled(fitted || geometry.percent() != 100);
    bestFitItem->setEnabled(fitted);
}

void ImageViewer::zoomIn()
{
    if (decoding)
        return;
    zoomPopup->setBusyText(tr("Zooming in..."));
    zoomTo(geometry.nextStep(1));
    // A step that changed nothing must not leave the busy text behind.
    showZoom();
}

void ImageViewer::zoomOut()
{
    if (decoding)
        return;
    zoomPopup->setBusyText(tr("Zooming out..."));
    const double scale = geometry.nextStep(-1);
    if (!fitted && scale == geometry.fitScale()) {
        fitted = false;
        fitToScreen();
    } else {
        zoomTo(scale);
    }
    showZoom();
}

void ImageViewer::zoomMax()
{
    if (decoding)
        return;
    zoomPopup->setBusyText(tr("Zooming..."));
    zoomTo(1.0);
    showZoom();
}

QPointF ImageViewer::viewCentre() const
{
    const QSize view = scrollView->viewport()->size();
    const auto part = [](const QScrollBar *bar, int view, int whole) {
        return whole > view ? (bar->value() + view / 2.0) / whole : 0.5;
    };
    return QPointF(part(scrollView->horizontalScrollBar(), view.width(), imageWidget->width()),
                   part(scrollView->verticalScrollBar(), view.height(), imageWidget->height()));
}

void ImageViewer::centreOn(QPointF centre)
{
    // The scroll bars come and go from the event loop; the view has its final size after that.
    QCoreApplication::sendPostedEvents(scrollView, QEvent::MetaCall);
    const QSize view = scrollView->viewport()->size();
    scrollView->horizontalScrollBar()->setValue(
            qRound(centre.x() * imageWidget->width() - view.width() / 2.0));
    scrollView->verticalScrollBar()->setValue(
            qRound(centre.y() * imageWidget->height() - view.height() / 2.0));
}

void ImageViewer::rotateBy(int degrees)
{
    // A clockwise quarter turn takes the point (x, y) of the picture to (1 - y, x).
    QPointF centre = viewCentre();
    for (int turned = 0; turned < degrees; turned += 90)
        centre = QPointF(1.0 - centre.y(), centre.x());
    rotation += degrees;
    if (rotation >= 360)
        rotation -= 360;

    geometry.setPicture(turnedSize());
    if (fitted) {
        loader.load(fileName);
        const QSize box = viewportSize();
        const QImage *image = loader.rotatedImage(box.width(), box.height(), rotation);
        basePixmap = image ? QPixmap::fromImage(*image) : QPixmap();
    } else {
        QImage shown = basePixmap.toImage();
        basePixmap = QPixmap();
        brightPixmap = QPixmap();
        basePixmap
                = QPixmap::fromImage(ImageLoader::turned(std::exchange(shown, QImage()), degrees));
    }
    loader.release();
    refresh();
    centreOn(centre);

    if (settings->rotateBestFit()) {
        settings->setRotateBestFit(false);
        bestFitItem->setChecked(false);
    }
}

void ImageViewer::rotate90()
{
    if (decoding)
        return;
    qCDebug(pictarnTrace, "rotate 90 clicked");
    rotateBy(90);
}

void ImageViewer::rotate180()
{
    if (decoding)
        return;
    qCDebug(pictarnTrace, "rotate 180 clicked");
    rotateBy(180);
}

void ImageViewer::rotate270()
{
    if (decoding)
        return;
    qCDebug(pictarnTrace, "rotate 270 clicked");
    rotateBy(270);
}

void ImageViewer::rotateBestFit()
{
    if (decoding) {
        bestFitItem->setChecked(settings->rotateBestFit());
        return;
    }
    settings->setRotateBestFit(!settings->rotateBestFit());
    bestFitItem->setChecked(settings->rotateBestFit());

    loader.load(fileName);
    const QSize box = viewportSize();
    bool turned = false;
    const QImage *image = settings->rotateBestFit()
                                  ? loader.bestFitImage(box.width(), box.height(), turned)
                                  : loader.fittedImage(box.width(), box.height());
    basePixmap = image ? QPixmap::fromImage(*image) : QPixmap();
    if (image) {
        loader.release();
        refresh();
    }
    rotation = turned ? 90 : 0;
    geometry.setPicture(turnedSize());
}

void ImageViewer::brightUpImage()
{
    if (decoding)
        return;
    brightness += 10;
    qCDebug(pictarnTrace, "brightness =%d", brightness);
    applyBrightness();
}

void ImageViewer::brightDownImage()
{
    if (decoding)
        return;
    brightness -= 10;
    qCDebug(pictarnTrace, "brightness =%d", brightness);
    applyBrightness();
}

void ImageViewer::refresh()
{
    if (brightness != 0) {
        applyBrightness();
    } else {
        brightPixmap = QPixmap();
        showPixmap(basePixmap);
    }
}

void ImageViewer::applyBrightness()
{
    brightPixmap = QPixmap();
    QImage image = basePixmap.toImage();
    adjustBrightness(image, float(brightness) / 100.0f);
    brightPixmap = QPixmap::fromImage(image);
    showPixmap(brightPixmap);
}

void ImageViewer::adjustBrightness(QImage &image, float factor)
{
    if (image.isNull())
        return;
    const float m = std::fabs(factor);
    const bool up = factor >= 0;
    // Limited both ways: a darkening step of more than 100 % still ends at black.
    int table[256];
    for (int j = 0; j < 256; ++j) {
        const float change = float(j) * m;
        table[j] = change >= 255.0f ? 255 : int(change);
    }
    const auto channel
            = [&](int c) { return up ? qMin(c + table[c], 255) : qMax(c - table[c], 0); };
    const auto adjusted = [&](QRgb colour) {
        return qRgba(channel(qRed(colour)), channel(qGreen(colour)), channel(qBlue(colour)),
                     qAlpha(colour));
    };

    if (image.depth() <= 8 && image.colorCount() > 0) {
        QList<QRgb> colours = image.colorTable();
        for (QRgb &colour : colours)
            colour = adjusted(colour);
        image.setColorTable(colours);
        return;
    }
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    }
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = adjusted(line[x]);
    }
}

void ImageViewer::showImageFullScreen(const QString &fileName)
{
    const QSize screen = screenSize();
    navigator.setCurrent(fileName);
    QImage picture = navigator.pictures().take(fileName, screen, true);
    if (brightness != 0)
        adjustBrightness(picture, float(brightness) / 100.0f);
    // The surface does not own its picture; the picture goes when the surface does.
    auto *pixmap = new QPixmap(QPixmap::fromImage(picture));
    picture = QImage();

    auto *widget = new ImageWidget(nullptr, Qt::WindowFlags());
    widget->setAttribute(Qt::WA_DeleteOnClose);
    connect(widget, &QObject::destroyed, [pixmap] { delete pixmap; });
    fullScreenWidget = widget;
    KeysHelp::addShortcuts(widget, KeysHelp::FullScreen);
    widget->setBackgroundColor(Qt::black);
    widget->setClosesOnSwipeDown(true);
    widget->setPixmap(pixmap, false);
    widget->setWindowTitle(QFileInfo(fileName).fileName());
    widget->resize(screen);
    AnimationPlayer::playOn(widget, pixmap, fileName);
    // Moving replaces the surface's picture; the viewer catches up when it shows again.
    const auto move = [this, widget, pixmap](int steps) {
        const QString path = navigator.neighbour(steps);
        if (path.isEmpty())
            return;
        navigator.moveTo(navigator.target(steps));
        emit imageChanged(path);
        *pixmap = QPixmap();
        *pixmap = QPixmap::fromImage(navigator.pictures().take(path, screenSize(), true));
        widget->setWindowTitle(QFileInfo(path).fileName());
        widget->update();
        AnimationPlayer::playOn(widget, pixmap, path);
        navigator.prefetchNeighbours(screenSize(), true);
    };
    // A sideways drag moves the picture with the finger, its neighbour sliding in beside it.
    auto *slides = new SlideStrip(widget);
    fillsInNeighbours(slides);
    connect(widget, &ImageWidget::dragged, slides, [this, widget, slides](QPoint moved) {
        if (!slides->isVisible() && std::abs(moved.x()) > std::abs(moved.y()))
            slides->begin(widget->grab(), QPoint(), ready(1), ready(-1),
                          !navigator.neighbour(1).isEmpty(), !navigator.neighbour(-1).isEmpty());
        if (slides->isVisible())
            slides->follow(moved.x());
    });
    connect(widget, &ImageWidget::swiped, this, [slides, move](int steps) {
        slides->isVisible() ? slides->settle(steps) : move(steps);
    });
    connect(widget, &ImageWidget::dragEnded, slides, [slides] {
        if (slides->isVisible() && !slides->isSliding())
            slides->settle(0); // short of the threshold: it springs back
    });
    connect(slides, &SlideStrip::settled, this, [slides, move](int steps) {
        if (steps != 0)
            move(steps);
        slides->cancel();
    });
    connect(widget, &ImageWidget::stepRequested, this, move);
    if (isVisible()) {
        hide();
        connect(widget, &ImageWidget::clicked, this, &QWidget::show, Qt::UniqueConnection);
    }
    widget->addActions(fileActions);
    widget->setContextMenuPolicy(Qt::ActionsContextMenu);
    widget->setFocus();
    widget->showFullScreen();
    connect(widget, &ImageWidget::clicked, widget, &QWidget::close);
    navigator.prefetchNeighbours(screen, true);
}

void ImageViewer::setFileActions(const QList<QAction *> &actions)
{
    fileActions = actions;
    addActions(actions);
    QMenu *menu = findChild<QToolButton *>(QStringLiteral("menu"))->menu();
    QAction *exitSeparator = menu->actions().value(2);
    menu->insertSeparator(exitSeparator);
    menu->insertActions(exitSeparator, actions);
}

QString ImageViewer::shownPath() const
{
    if (fullScreenWidget && fullScreenWidget->isVisible() && navigator.position() >= 0)
        return navigator.path(navigator.position());
    return fileName;
}

QWidget *ImageViewer::front() const
{
    if (fullScreenWidget && fullScreenWidget->isVisible())
        return fullScreenWidget;
    return isVisible() ? const_cast<ImageViewer *>(this) : nullptr;
}

void ImageViewer::forget(const QString &path, const QString &now)
{
    QStringList list = navigator.list();
    const int at = int(list.indexOf(path));
    if (at < 0)
        return;
    if (now.isEmpty())
        list.removeAt(at);
    else
        list[at] = now;
    navigator.setList(list);
    if (list.isEmpty()) {
        if (fullScreenWidget)
            fullScreenWidget->close();
        close();
        return;
    }
    // The one after it, or before it at the end.
    const QString next = list.at(std::min<qsizetype>(at, list.size() - 1));
    navigator.setCurrent(next);
    emit imageChanged(next);
    if (fullScreenWidget && fullScreenWidget->isVisible())
        showOnSurface(next);
    else
        load(next);
}

void ImageViewer::showOnSurface(const QString &path)
{
    auto *pixmap = const_cast<QPixmap *>(fullScreenWidget->shownPixmap());
    *pixmap = QPixmap::fromImage(navigator.pictures().take(path, screenSize(), true));
    fullScreenWidget->setWindowTitle(QFileInfo(path).fileName());
    fullScreenWidget->update();
    AnimationPlayer::playOn(fullScreenWidget, pixmap, path);
    navigator.prefetchNeighbours(screenSize(), true);
}

void ImageViewer::showFullScreen()
{
    showImageFullScreen(fileName);
    if (!fullScreenWidget)
        return;
    connect(fullScreenWidget.data(), &ImageWidget::CancelPressed, this, &QWidget::show,
            Qt::UniqueConnection);
    connect(fullScreenWidget.data(), &ImageWidget::clicked, this, &QWidget::show,
            Qt::UniqueConnection);
    const auto back = [this] {
        if (navigator.position() >= 0 && navigator.path(navigator.position()) != fileName)
            QTimer::singleShot(0, this, [this] {
                if (navigator.position() >= 0)
                    load(navigator.path(navigator.position()));
            });
    };
    connect(fullScreenWidget.data(), &ImageWidget::CancelPressed, this, back);
    connect(fullScreenWidget.data(), &ImageWidget::clicked, this, back);
}

void ImageViewer::showInfoDialog()
{
    if (decoding)
        return;
    static const char *const captions[]
            = {QT_TR_NOOP("文件名"), QT_TR_NOOP("格式"), QT_TR_NOOP("位置"),
               QT_TR_NOOP("大小"),   QT_TR_NOOP("尺寸"), QT_TR_NOOP("颜色")};
    ZBaseDialog dialog(nullptr, nullptr, true, Qt::WindowFlags());
    // As wide as the phone's screen, or on a desktop as the longest fact: a folder path cut off
    // after a dozen letters tells nothing.
    const bool desktop = DialogPlacement::onDesktop(this);
    if (!desktop)
        dialog.setMinimumWidth(screenSize().width());
    auto *layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    QList<std::pair<QString, QString>> rows;
    for (int i = 0; i < 6; ++i)
        rows.append({tr(captions[i]) + QLatin1Char(':'), info[size_t(i)]});
    const QString camera = (details.make + QLatin1Char(' ') + details.model).trimmed();
    for (const auto &[caption, value] :
         {std::pair(tr("Taken:"), QLocale().toString(details.taken, QLocale::ShortFormat)),
          std::pair(tr("Camera:"), camera), std::pair(tr("Exposure:"), details.exposure),
          std::pair(tr("Aperture:"), details.aperture), std::pair(tr("ISO:"), details.iso),
          std::pair(tr("Focal length:"), details.focalLength),
          std::pair(tr("GPS:"), details.gps)}) {
        if (!value.isEmpty())
            rows.append({caption, value});
    }
    auto *grid = new QGridLayout;
    grid->setSpacing(4);
    // The six rows the box always had fit the phone's screen; a photo's details scroll.
    QScrollArea *scroller = nullptr;
    if (rows.size() > 6) {
        scroller = new QScrollArea(&dialog);
        scroller->setFrameShape(QFrame::NoFrame);
        scroller->setWidgetResizable(true);
        scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto *content = new QWidget(scroller);
        content->setLayout(grid);
        scroller->setWidget(content);
        layout->addWidget(scroller, 1);
    } else {
        layout->addLayout(grid);
    }
    for (int i = 0; i < rows.size(); ++i) {
        QWidget *parent = scroller ? scroller->widget() : &dialog;
        grid->addWidget(new QLabel(rows.at(i).first, parent), i, 0);
        auto *value = new ZMultiLineEdit(parent, true, 1);
        value->setReadOnly(true);
        value->setPlainText(rows.at(i).second);
        // One line each, so that the six rows fit the phone's screen.
        value->setLineWrapMode(QPlainTextEdit::NoWrap);
        value->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        value->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        value->setFixedHeight(value->fontMetrics().lineSpacing() + 2 * value->frameWidth()
                              + 2 * int(value->document()->documentMargin()));
        if (desktop)
            value->setMinimumWidth(qMin(value->fontMetrics().horizontalAdvance(rows.at(i).second),
                                        screenSize().width() / 2)
                                   + 2 * value->frameWidth()
                                   + 2 * int(value->document()->documentMargin()) + 2);
        grid->addWidget(value, i, 1);
    }
    if (scroller) {
        // On a desktop the whole box shows; on the phone it takes what the screen leaves.
        const QSize content = scroller->widget()->sizeHint();
        scroller->setMinimumWidth(content.width()
                                  + scroller->verticalScrollBar()->sizeHint().width());
        if (desktop)
            scroller->setMinimumHeight(content.height());
        else
            scroller->setMinimumWidth(qMin(scroller->minimumWidth(), screenSize().width()));
    }
    auto *button = new ZPushButton(&dialog, 3, -1, -1);
    button->setText(tr("确定"));
    connect(button, &QPushButton::clicked, &dialog, &QWidget::close);
    button->setDefault(true); // Return closes the box, as Escape does
    layout->addWidget(button);
    DialogPlacement::place(&dialog, this);
    dialog.exec();
}

void ImageViewer::releasePixmaps()
{
    strip->cancel();
    basePixmap = QPixmap();
    brightPixmap = QPixmap();
    imageWidget->setPixmap(&basePixmap, true);
}

void ImageViewer::accept()
{
    releasePixmaps();
    navigator.pictures().drop();
    ++generation;
    QDialog::accept();
}

void ImageViewer::reject()
{
    releasePixmaps();
    navigator.pictures().drop();
    ++generation;
    QDialog::reject();
}

bool ImageViewer::moveByKey(const QKeyEvent *event)
{
    const int steps = ImageWidget::stepsForKey(event->key());
    if (steps == 0)
        return false;
    // The arrows scroll a picture larger than the view.
    const bool scrolls = scrollView->horizontalScrollBar()->isVisible()
                         || scrollView->verticalScrollBar()->isVisible();
    if (scrolls && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right))
        return false;
    step(steps);
    return true;
}

bool ImageViewer::zoomByKey(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomIn();
        return true;
    case Qt::Key_Minus:
        zoomOut();
        return true;
    case Qt::Key_1:
        zoomMax();
        return true;
    case Qt::Key_0:
        scaleToScreen();
        return true;
    default:
        return false;
    }
}

bool ImageViewer::wheel(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (event->modifiers() & Qt::ControlModifier) {
        // A mouse's notch is one step; a touchpad's small turns zoom smoothly.
        if (delta != 0 && !decoding) {
            const double scale
                    = std::abs(delta) >= 120
                              ? geometry.nextStep(delta > 0 ? 1 : -1)
                              : geometry.scale()
                                        * std::pow(ViewGeometry::stepFactor, delta / 120.0);
            zoomTo(scale, event->position(), true);
        }
        return true;
    }
    if (!fitted)
        return false; // the scroll area scrolls the picture
    wheelTurn += delta;
    if (std::abs(wheelTurn) >= 120) {
        const int steps = wheelTurn < 0 ? 1 : -1; // turned towards the user: the next one
        wheelTurn = 0;
        step(steps);
    }
    return true;
}

bool ImageViewer::pointer(QEvent *event)
{
    const QEvent::Type type = event->type();
    QPointF at;
    qint64 ms = 0;
    if (type == QEvent::TouchBegin || type == QEvent::TouchUpdate || type == QEvent::TouchEnd) {
        const auto *touch = static_cast<QTouchEvent *>(event);
        const QList<QEventPoint> &points = touch->points();
        if (points.isEmpty())
            return false;
        event->accept();
        QWidget *view = scrollView->viewport();
        if (points.size() >= 2 && type != QEvent::TouchEnd) {
            follow(gestures.touch(view->mapFromGlobal(points.at(0).globalPosition()),
                                  view->mapFromGlobal(points.at(1).globalPosition())));
            return true;
        }
        at = view->mapFromGlobal(points.at(0).globalPosition());
        ms = qint64(touch->timestamp());
    } else if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
               || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (type != QEvent::MouseMove && mouse->button() != Qt::LeftButton)
            return false;
        at = scrollView->viewport()->mapFromGlobal(mouse->globalPosition());
        ms = qint64(mouse->timestamp());
    } else {
        return false;
    }
    if (decoding)
        return true;
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
        || (type == QEvent::TouchBegin)) {
        coast->stop();
        strip->hurry(); // a slide under way ends before the next gesture begins
        const QScrollBar *h = scrollView->horizontalScrollBar();
        const QScrollBar *v = scrollView->verticalScrollBar();
        gestures.press(at, ms, !fitted && (h->maximum() > 0 || v->maximum() > 0),
                       h->value() <= h->minimum(), h->value() >= h->maximum(),
                       type == QEvent::MouseButtonDblClick);
        if (gestures.isSecondPress())
            tapDelay->stop();
    } else if (type == QEvent::MouseMove || type == QEvent::TouchUpdate) {
        if (gestures.isPressed())
            follow(gestures.move(at, ms));
    } else {
        finish(gestures.release(at, ms), at);
    }
    return true;
}

void ImageViewer::follow(const GestureTracker::Step &step)
{
    if (step.swiping) {
        if (!strip->isVisible())
            beginSlide();
        strip->follow(step.across);
        return;
    }
    if (step.zoom != 1.0)
        zoomTo(geometry.scale() * step.zoom, step.anchor, true);
    QScrollBar *h = scrollView->horizontalScrollBar();
    QScrollBar *v = scrollView->verticalScrollBar();
    h->setValue(h->value() - qRound(step.pan.x()));
    v->setValue(v->value() - qRound(step.pan.y()));
}

void ImageViewer::finish(GestureTracker::Gesture gesture, QPointF at)
{
    switch (gesture) {
    case GestureTracker::Tap:
        tapDelay->start();
        break;
    case GestureTracker::DoubleTap:
        if (fitted)
            zoomTo(geometry.doubleTapScale(), at);
        else
            scaleToScreen();
        break;
    case GestureTracker::Flick:
        coastSpeed = gestures.velocity();
        coast->start();
        break;
    case GestureTracker::Next:
    case GestureTracker::Previous:
        if (strip->isVisible())
            strip->settle(gesture == GestureTracker::Next ? 1 : -1);
        else
            step(gesture == GestureTracker::Next ? 1 : -1);
        break;
    case GestureTracker::Down:
        close();
        break;
    default:
        break;
    }
    // Short of the threshold, or turned into another gesture: the picture springs back.
    if (strip->isVisible() && !strip->isSliding())
        strip->settle(0);
}

QPixmap ImageViewer::ready(int steps) const
{
    // The neighbours as made ahead, turned into pixmaps once for the whole swipe.
    return QPixmap::fromImage(navigator.readyNeighbour(steps));
}

void ImageViewer::fillsInNeighbours(SlideStrip *slides)
{
    connect(&navigator.pictures(), &Prefetcher::ready, slides, [this, slides](const QString &path) {
        for (const int direction : {1, -1}) {
            if (slides->isVisible() && navigator.neighbour(direction) == path)
                slides->fillIn(direction, ready(direction));
        }
    });
}

void ImageViewer::beginSlide()
{
    strip->begin(imageWidget->grab(), imageWidget->pos(), ready(1), ready(-1),
                 !navigator.neighbour(1).isEmpty(), !navigator.neighbour(-1).isEmpty());
}

bool ImageViewer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == scrollView && event->type() == QEvent::KeyPress
        && (moveByKey(static_cast<QKeyEvent *>(event))
            || zoomByKey(static_cast<QKeyEvent *>(event))))
        return true;
    if (watched == scrollView->viewport() && event->type() == QEvent::Wheel)
        return wheel(static_cast<QWheelEvent *>(event));
    if (event->type() == QEvent::NativeGesture && !decoding
        && (watched == imageWidget || watched == scrollView->viewport())) {
        const auto *gesture = static_cast<QNativeGestureEvent *>(event);
        const QPointF at = static_cast<QWidget *>(watched)->mapTo(scrollView->viewport(),
                                                                  gesture->position());
        if (gesture->gestureType() == Qt::ZoomNativeGesture)
            zoomTo(geometry.scale() * (1.0 + gesture->value()), at, true);
        event->accept(); // not handed on to the view as well
        return true;
    }
    // A finger that lands beside a small picture swipes it all the same.
    if ((watched == scrollView->viewport() || watched == imageWidget) && pointer(event))
        return true;
    return QDialog::eventFilter(watched, event);
}

void ImageViewer::keyPressEvent(QKeyEvent *event)
{
    if (moveByKey(event) || zoomByKey(event))
        return;
    if (!event->isAutoRepeat())
        pressedKey = event->key();
    QDialog::keyPressEvent(event);
}

void ImageViewer::keyReleaseEvent(QKeyEvent *event)
{
    const int key = event->key();
    // The release of a key whose press closed a menu or a box leaves the picture alone; Escape
    // pressed here has closed the viewer already, with its picture.
    const bool ours = !event->isAutoRepeat() && key == pressedKey;
    if (ours)
        pressedKey = 0;
    if (ours && (key == Qt::Key_Enter || key == Qt::Key_Return) && isVisible())
        accept();
    event->accept();
}

bool ImageViewer::event(QEvent *event)
{
    // A press from before the viewer was shown, hidden or left for another window pairs with
    // no later release.
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
        pressedKey = 0;
        break;
    default:
        break;
    }
    return QDialog::event(event);
}

void ImageViewer::closeEvent(QCloseEvent *event)
{
    releasePixmaps();
    navigator.pictures().drop();
    ++generation;
    statusLabel->setText(QString());
    QDialog::closeEvent(event);
}
