#include "thumbs/thumbnailview.h"

#include "thumbs/imagebox.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QPointer>
#include <QScrollBar>
#include <QScroller>
#include <QTimer>

#include <algorithm>

ThumbnailView::ThumbnailView(QWidget *parent, Settings *settings, const char *name)
    : QScrollArea(parent), settings(settings), container(new QWidget), grid(new QGridLayout)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Base));
    viewport()->setPalette(colours);
    viewport()->setAutoFillBackground(true);
    container->setPalette(colours);
    container->setAutoFillBackground(true);

    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(8);
    // The container always takes the grid's own size, from the top-left corner of the content.
    grid->setSizeConstraint(QLayout::SetFixedSize);
    container->setLayout(grid);
    setWidget(container);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A finger drags the grid; a tap still opens a box.
    QScroller::grabGesture(viewport(), QScroller::LeftMouseButtonGesture);
}

int ThumbnailView::fittingColumns() const
{
    // Room for the vertical scroll bar is kept, so that its coming does not push a column out.
    const int room = width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width()
                     - grid->contentsMargins().left() - grid->contentsMargins().right()
                     + grid->spacing();
    const int box = boxes.isEmpty() ? 100 : boxes.first()->minimumWidth();
    return std::max(2, room / (box + grid->spacing()));
}

void ThumbnailView::placeBoxes()
{
    while (QLayoutItem *item = grid->takeAt(0))
        delete item; // the layout's wrapper, not the box
    for (int n = 0; n < boxes.size(); ++n)
        grid->addWidget(boxes.at(n), n / columns, n % columns);
}

void ThumbnailView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    const int fitting = fittingColumns();
    if (fitting == columns)
        return;
    columns = fitting;
    placeBoxes();
    if (ImageBox *box = selectedBox())
        ensureWidgetVisible(box);
}

void ThumbnailView::addBox(ImageListItem *item, int, int)
{
    auto *box = new ImageBox(container, settings, item);
    connect(box, &ImageBox::clicked, this, &ThumbnailView::boxClicked);
    connect(box, &ImageBox::rightPressed, this, &ThumbnailView::rightPressed);
    connect(box, &ImageBox::leftPressed, this, &ThumbnailView::leftPressed);
    connect(box, &ImageBox::upPressed, this, &ThumbnailView::upPressed);
    connect(box, &ImageBox::downPressed, this, &ThumbnailView::downPressed);
    // A box shown in a visible grid lays the whole grid out again: a folder of thousands would
    // take quadratic time. The grid is laid out once, when the boxes are in.
    if (grid->isEnabled()) {
        grid->setEnabled(false);
        QTimer::singleShot(0, this, &ThumbnailView::layoutBoxes);
    }
    const int n = int(boxes.size());
    grid->addWidget(box, n / columns, n % columns);
    boxes.append(box);
    box->show();
}

void ThumbnailView::layoutBoxes()
{
    if (grid->isEnabled())
        return;
    grid->setEnabled(true);
    grid->activate();
}

void ThumbnailView::loadThumbs()
{
    const QPointer<ThumbnailView> self(this);
    const quint64 pass = ++generation;
    // A box removed while an earlier one loads reads null here and is skipped.
    const QList<QPointer<ImageBox>> pending(boxes.cbegin(), boxes.cend());
    for (const QPointer<ImageBox> &box : pending) {
        if (!box)
            continue;
        box->loadThumb(); // lets events run
        if (!self || generation != pass)
            return; // touch nothing that may be gone
    }
    QCoreApplication::processEvents();
}

void ThumbnailView::selectBox(int index)
{
    if (index < 0 || index >= boxes.size())
        return;
    ImageBox *box = boxes.at(index);
    box->setSelected(true);
    layoutBoxes(); // places boxes added since the last event loop pass
    grid->activate();
    ensureVisible(box->x(), box->y(), box->width(), box->height());
}

ImageBox *ThumbnailView::selectedBox() const
{
    for (ImageBox *box : boxes) {
        if (box->isSelected())
            return box;
    }
    return nullptr;
}

ImageBox *ThumbnailView::findBox(const QString &path) const
{
    for (ImageBox *box : boxes) {
        if (box->imagePath() == path)
            return box;
    }
    return nullptr;
}

void ThumbnailView::removeBox(ImageBox *box)
{
    if (!boxes.removeOne(box))
        return;
    delete box;
    placeBoxes();
}

void ThumbnailView::removeImage(const QString &path)
{
    if (ImageBox *box = findBox(path))
        removeBox(box);
}

void ThumbnailView::clearGrid(bool deleteBoxes)
{
    while (QLayoutItem *item = grid->takeAt(0))
        delete item; // the layout's wrapper, not the box
    if (!deleteBoxes)
        return;
    ++generation;
    const QList<ImageBox *> gone = std::exchange(boxes, {});
    qDeleteAll(gone);
}

void ThumbnailView::setFocus()
{
    if (boxes.isEmpty())
        return;
    if (ImageBox *box = selectedBox())
        box->setFocus();
    else
        boxes.first()->setSelected(true);
}

void ThumbnailView::boxClicked()
{
    auto *box = qobject_cast<ImageBox *>(sender());
    if (!box)
        return;
    if (ImageBox *previous = selectedBox())
        previous->setSelected(false);
    box->setSelected(true);
    emit imageClicked();
}

void ThumbnailView::rightPressed()
{
    moveFrom(sender(), 1);
}

void ThumbnailView::leftPressed()
{
    moveFrom(sender(), -1);
}

void ThumbnailView::upPressed()
{
    moveFrom(sender(), -columns);
}

void ThumbnailView::downPressed()
{
    moveFrom(sender(), columns);
}

void ThumbnailView::moveFrom(QObject *sender, int step)
{
    const int i = int(boxes.indexOf(qobject_cast<ImageBox *>(sender)));
    if (i < 0)
        return;
    boxes.at(i)->setSelected(false);
    selectBox(i + step);
}
