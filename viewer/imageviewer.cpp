#include "viewer/imageviewer.h"

#include "app/settings.h"
#include "platform/zbasedialog.h"
#include "platform/zmultilineedit.h"
#include "platform/zpushbutton.h"
#include "resources/iconset.h"
#include "viewer/imagewidget.h"
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
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QToolButton *toolButton(QWidget *parent, const QPixmap &picture, const QString &name)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    static const QHash<QString, QString> tips{
            {QStringLiteral("menu"), QStringLiteral("Menu")},
            {QStringLiteral("toscreen"), QStringLiteral("Fit to screen")},
            {QStringLiteral("zoom"), QStringLiteral("Zoom")},
            {QStringLiteral("rotate"), QStringLiteral("Rotate")},
            {QStringLiteral("brightup"), QStringLiteral("Brighter")},
            {QStringLiteral("brightdown"), QStringLiteral("Darker")},
            {QStringLiteral("fullscreen"), QStringLiteral("Full screen")},
    };
    button->setToolTip(tips.value(name)); // desktop users hover before they tap
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
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *toolRow = new QHBoxLayout;
    layout->addLayout(toolRow);

    QToolButton *menuButton
            = toolButton(this, QPixmap(QStringLiteral("image/menu.png")), QStringLiteral("menu"));
    auto *menu = new QMenu(menuButton);
    connect(menu->addAction(QString::fromUtf8("Propertis   ")), &QAction::triggered, this,
            &ImageViewer::showInfoDialog);
    connect(menu->addAction(QString::fromUtf8("Full Screen ")), &QAction::triggered, this,
            &ImageViewer::showFullScreen);
    menu->addSeparator();
    connect(menu->addAction(QString::fromUtf8("Exit  ")), &QAction::triggered, this,
            &QWidget::close);
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
    connect(imageWidget, &ImageWidget::swiped, this, &ImageViewer::step);
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
    imageWidget->setPixmap(&pixmap, true);
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
    // Keys go to the picture, where Space and the arrows move, not to the first tool button.
    scrollView->setFocus();
    fitted = false;
    brightness = 0;
    rotation = 0;
    // The previous file's picture must not stand for this one while it decodes.
    basePixmap = QPixmap();
    brightPixmap = QPixmap();
    showPixmap(basePixmap);

    statusLabel->setText(QStringLiteral("Loading..."));
    fitToScreen();
    if (!self || generation != pass)
        return;
    showPosition();

    int r = 9;
    for (;;) {
        const int c = r - 1;
        if (c == 0 || qint64(fullWidth / c) * (fullHeight / c) > maxZoomPixels)
            break;
        r = c;
    }
    maxZoomRatio = r;
    qDebug("max zoom ratio=%d", maxZoomRatio);

    info[0] = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    info[1] = QString::fromLatin1(imageFormat.toUpper()) + QStringLiteral(" image");
    const QFileInfo file(fileName);
    info[2] = file.path();
    const qint64 bytes = file.size();
    info[3] = bytes <= 1024 ? QStringLiteral("%1 %2").arg(bytes).arg(QStringLiteral("bytes"))
                            : QStringLiteral("%1 %2").arg(bytes / 1024).arg(QStringLiteral("Kb"));
    info[4] = QStringLiteral("%1x%2").arg(fullWidth).arg(fullHeight);
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
    if (bestFit && rotation != 0 && !turned)
        rotateBy(0);
    else
        refresh();

    zoomRatio = 0;
    bestFitItem->setEnabled(true);
    zoomPopup->setRatio(0);
    zoomPopup->setZoomInEnabled(true);
    zoomPopup->setZoomOutEnabled(true);
    zoomPopup->setZoomMaxEnabled(true);
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

void ImageViewer::zoomTo(int ratio)
{
    if (ratio <= 0)
        return;
    qDebug("zooming 1:%d", ratio);
    zoomRatio = ratio;
    const int w = fullWidth / ratio;
    const int h = fullHeight / ratio;
    if (qint64(w) * h > maxZoomPixels)
        return;

    // From the fitted picture the zoom goes to its middle; a step keeps the middle of the view.
    const QPointF centre = fitted ? QPointF(0.5, 0.5) : viewCentre();
    loader.load(fileName);
    QImage *image = loader.fittedImage(w, h);
    if (image && rotation != 0)
        image = loader.rotateImage(*image, rotation);
    basePixmap = image ? QPixmap::fromImage(*image) : QPixmap();
    loader.release();
    refresh();
    centreOn(centre);

    fitted = false;
    zoomPopup->setRatio(zoomRatio);
    bestFitItem->setEnabled(false);
}

void ImageViewer::zoomIn()
{
    if (decoding)
        return;
    zoomPopup->setBusyText(QStringLiteral("Zooming in..."));
    if (fitted) {
        const int e
                = (rotation == 90 || rotation == 270) ? basePixmap.height() : basePixmap.width();
        zoomTo(e > 0 ? (fullWidth + e - 1) / e - 1 : 0);
    } else {
        zoomTo(zoomRatio - 1);
    }
    // A step that changed nothing must not leave the busy text behind.
    zoomPopup->setRatio(fitted ? 0 : zoomRatio);
    if (zoomRatio == maxZoomRatio) {
        zoomPopup->setZoomInEnabled(false);
        zoomPopup->setZoomMaxEnabled(false);
    }
}

void ImageViewer::zoomOut()
{
    if (decoding)
        return;
    zoomPopup->setBusyText(QStringLiteral("Zooming out..."));
    if (fitted) {
        const int e
                = (rotation == 90 || rotation == 270) ? basePixmap.height() : basePixmap.width();
        zoomTo(e > 0 ? fullWidth / e + 1 : 0);
    } else {
        zoomTo(zoomRatio + 1);
    }
    zoomPopup->setRatio(fitted ? 0 : zoomRatio);
    zoomPopup->setZoomInEnabled(true);
    zoomPopup->setZoomMaxEnabled(true);
}

void ImageViewer::zoomMax()
{
    if (decoding)
        return;
    zoomPopup->setBusyText(QStringLiteral("Zooming..."));
    zoomTo(maxZoomRatio);
    zoomPopup->setRatio(fitted ? 0 : zoomRatio);
    zoomPopup->setZoomInEnabled(false);
    zoomPopup->setZoomMaxEnabled(false);
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

    if (fitted) {
        loader.load(fileName);
        const QSize box = viewportSize();
        const QImage *image = loader.rotatedImage(box.width(), box.height(), rotation);
        basePixmap = image ? QPixmap::fromImage(*image) : QPixmap();
    } else {
        QImage shown = basePixmap.toImage();
        basePixmap = QPixmap();
        const QImage *image = loader.rotateImage(std::move(shown), degrees);
        basePixmap = QPixmap::fromImage(*image);
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
    qDebug("rotate 90 clicked");
    rotateBy(90);
}

void ImageViewer::rotate180()
{
    if (decoding)
        return;
    qDebug("rotate 180 clicked");
    rotateBy(180);
}

void ImageViewer::rotate270()
{
    if (decoding)
        return;
    qDebug("rotate 270 clicked");
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
}

void ImageViewer::brightUpImage()
{
    if (decoding)
        return;
    brightness += 10;
    qDebug("brightness =%d", brightness);
    applyBrightness();
}

void ImageViewer::brightDownImage()
{
    if (decoding)
        return;
    brightness -= 10;
    qDebug("brightness =%d", brightness);
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
    widget->setBackgroundColor(Qt::black);
    widget->setPixmap(pixmap, false);
    widget->resize(screen);
    // Moving replaces the surface's picture; the viewer catches up when it shows again.
    const auto move = [this, widget, pixmap](int steps) {
        const QString path = navigator.neighbour(steps);
        if (path.isEmpty())
            return;
        navigator.moveTo(navigator.target(steps));
        emit imageChanged(path);
        *pixmap = QPixmap();
        *pixmap = QPixmap::fromImage(navigator.pictures().take(path, screenSize(), true));
        widget->update();
        navigator.prefetchNeighbours(screenSize(), true);
    };
    connect(widget, &ImageWidget::swiped, this, move);
    connect(widget, &ImageWidget::stepRequested, this, move);
    if (isVisible()) {
        hide();
        connect(widget, &ImageWidget::clicked, this, &QWidget::show, Qt::UniqueConnection);
    }
    widget->setFocus();
    widget->showFullScreen();
    connect(widget, &ImageWidget::clicked, widget, &QWidget::close);
    navigator.prefetchNeighbours(screen, true);
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
    static const char *const captions[] = {"文件名", "格式", "位置", "大小", "尺寸", "颜色"};
    ZBaseDialog dialog(nullptr, nullptr, true, Qt::WindowFlags());
    // As wide as the screen: a folder path cut off after a dozen letters tells nothing.
    dialog.setMinimumWidth(screenSize().width());
    auto *layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *grid = new QGridLayout;
    grid->setSpacing(4);
    layout->addLayout(grid);
    for (int i = 0; i < 6; ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(captions[i]) + QLatin1Char(':'), &dialog), i,
                        0);
        auto *value = new ZMultiLineEdit(&dialog, true, 1);
        value->setReadOnly(true);
        value->setPlainText(info[size_t(i)]);
        // One line each, so that the six rows fit the phone's screen.
        value->setLineWrapMode(QPlainTextEdit::NoWrap);
        value->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        value->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        value->setFixedHeight(value->fontMetrics().lineSpacing() + 2 * value->frameWidth()
                              + 2 * int(value->document()->documentMargin()));
        grid->addWidget(value, i, 1);
    }
    auto *button = new ZPushButton(&dialog, 3, -1, -1);
    button->setText(QString::fromUtf8("确定"));
    connect(button, &QPushButton::clicked, &dialog, &QWidget::close);
    button->setDefault(true); // Return closes the box, as Escape does
    layout->addWidget(button);
    dialog.exec();
}

void ImageViewer::releasePixmaps()
{
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

bool ImageViewer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == scrollView && event->type() == QEvent::KeyPress
        && moveByKey(static_cast<QKeyEvent *>(event)))
        return true;
    // A finger that lands beside a small picture swipes it all the same.
    if (watched == scrollView->viewport()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove
            || event->type() == QEvent::MouseButtonRelease)) {
        QCoreApplication::sendEvent(imageWidget, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ImageViewer::keyPressEvent(QKeyEvent *event)
{
    if (moveByKey(event))
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
