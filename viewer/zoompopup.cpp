#include "viewer/zoompopup.h"

#include "platform/accessibility.h"
#include "resources/iconset.h"
#include "viewer/imageviewer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QWidgetAction>

namespace {

QToolButton *zoomButton(QWidget *row, const QString &icon, const QString &tip)
{
    auto *button = new QToolButton(row);
    Accessibility::describe(button, tip);
    button->setObjectName(icon);
    const QPixmap picture = iconPixmap(icon);
    button->setIcon(picture);
    if (!picture.isNull())
        button->setIconSize(picture.size());
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

ZoomPopup::ZoomPopup(ImageViewer *parent) : QMenu(parent)
{
    label = new QLabel(tr("Zoom"), this);
    label->setAlignment(Qt::AlignHCenter);
    label->setFocusPolicy(Qt::NoFocus);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, palette().color(QPalette::Button));
    label->setPalette(colours);
    label->setAutoFillBackground(true);
    auto *labelItem = new QWidgetAction(this);
    labelItem->setDefaultWidget(label);
    addAction(labelItem);
    addSeparator();

    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    zoomOutButton = zoomButton(row, QStringLiteral("zoomout"), tr("Zoom out"));
    zoomInButton = zoomButton(row, QStringLiteral("zoomin"), tr("Zoom in"));
    zoomMaxButton = zoomButton(row, QStringLiteral("zoommax"), tr("Full size"));
    layout->addWidget(zoomOutButton);
    layout->addWidget(zoomInButton);
    layout->addWidget(zoomMaxButton);
    connect(zoomOutButton, &QToolButton::clicked, parent, &ImageViewer::zoomOut);
    connect(zoomInButton, &QToolButton::clicked, parent, &ImageViewer::zoomIn);
    connect(zoomMaxButton, &QToolButton::clicked, parent, &ImageViewer::zoomMax);
    auto *rowItem = new QWidgetAction(this);
    rowItem->setDefaultWidget(row);
    addAction(rowItem);
}

void ZoomPopup::setBusyText(const QString &text)
{
    label->setText(text);
    // Shown before the work starts, which keeps the event loop busy.
    label->repaint();
}

void ZoomPopup::setRatio(int ratio)
{
    setPercent(ratio == 0 ? 0 : 100 / ratio);
}

void ZoomPopup::setPercent(int percent)
{
    label->setText(percent == 0 ? tr("Zoom") : tr("Zoom %1% ").arg(percent));
    label->repaint();
}

void ZoomPopup::setZoomInEnabled(bool on)
{
    zoomInButton->setEnabled(on);
}

void ZoomPopup::setZoomOutEnabled(bool on)
{
    zoomOutButton->setEnabled(on);
}

void ZoomPopup::setZoomMaxEnabled(bool on)
{
    zoomMaxButton->setEnabled(on);
}
