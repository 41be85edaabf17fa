#include "thumbs/thumbnailview.h"

#include "app/settings.h"
#include "platform/filedescriptor.h"
#include "thumbs/thumbnailcache.h"
#include "viewer/prefetcher.h"

#include <QElapsedTimer>
#include <QGridLayout>
#include <QHash>
#include <QMutex>
#include <QPointer>
#include <QScrollBar>
#include <QScroller>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <limits>

struct ThumbnailView::Inbox
{
    QMutex mutex;
    ThumbnailView *view = nullptr; // null once the view is gone; read and set under the mutex
    std::atomic<quint64> generation{0}; // counts passes and clearings

    Q_NEVER_INLINE bool isStale(quint64 pass) const { return generation.load() != pass; }
};

ThumbnailView::ThumbnailView(QWidget *parent, Settings *settings, const char *name)
    : QScrollArea(parent),
      settings(settings),
      container(new QWidget),
      grid(new QGridLayout),
      inbox(std::make_shared<Inbox>())
{
    inbox->view = this;
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
    // The keys go to the highlighted box alone (see ImageBox), never to the scroll area.
    setFocusPolicy(Qt::NoFocus);
    // A finger drags the grid; a tap still opens a box.
    QScroller::grabGesture(viewport(), QScroller::LeftMouseButtonGesture);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ThumbnailView::scheduleRefill);
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
    scheduleRefill();
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
    for (auto [signal, last] :
         {std::pair(&ImageBox::homePressed, false), {&ImageBox::endPressed, true}})
        connect(box, signal, this, [this, box, last] {
            box->setSelected(false);
            selectBox(last ? int(boxes.size()) - 1 : 0);
        });
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

ThumbnailView::~ThumbnailView()
{
    // Workers still busy finish into the void.
    ++inbox->generation;
    const QMutexLocker lock(&inbox->mutex);
    inbox->view = nullptr;
}

void ThumbnailView::loadThumbs()
{
    cancelPass();
    passBoxes = QList<QPointer<ImageBox>>(boxes.cbegin(), boxes.cend());
    loading = true;
    removeStaleParts();
    feedPass();
}

void ThumbnailView::removeStaleParts()
{
    if (!settings->saveThumbnails())
        return;
    QList<ListedFolder> folders;
    for (const ImageBox *box : std::as_const(boxes)) {
        if (std::none_of(folders.cbegin(), folders.cend(), [box](const ListedFolder &folder) {
                return folder.id() == box->folder().id();
            }))
            folders.append(box->folder());
    }
    for (const ListedFolder &folder : std::as_const(folders)) {
        Prefetcher::pool()->start([folder] {
            const FileDescriptor fd(folder.open());
            if (fd.isOpen())
                ThumbnailCache::removeStaleParts(fd.fd);
        });
    }
}

void ThumbnailView::cancelPass()
{
    ++inbox->generation;
    passBoxes.clear();
    arrived.clear();
    submitted = 0;
    applied = 0;
    loading = false;
}

void ThumbnailView::feedPass()
{
    QThreadPool *pool = Prefetcher::pool();
    // Enough to keep every worker busy; few enough that a cancelled pass leaves little to do.
    const int window = 4 * std::max(1, pool->maxThreadCount());
    const quint64 pass = inbox->generation;
    // A fresh preview in the cache is read here, which costs less than a trip to a worker;
    // a folder of them is read a slice at a time, letting events run in between.
    QElapsedTimer slice;
    slice.start();
    for (;;) {
        // In grid order, as a pass box by box would show them.
        while (arrived.contains(applied)) {
            ImageBox::Thumb thumb = arrived.take(applied);
            if (ImageBox *box = passBoxes.at(applied++)) {
                box->applyThumb(std::move(thumb));
                keepPreview(box);
            }
        }
        // Counted by what is still with the workers, so that one slow picture at the head of
        // the grid does not leave the other workers idle.
        if (submitted == passBoxes.size() || submitted - applied - arrived.size() >= window)
            break;
        if (slice.elapsed() >= 8) {
            QMetaObject::invokeMethod(this, &ThumbnailView::feedPass, Qt::QueuedConnection);
            return;
        }
        const int index = submitted++;
        ImageBox *box = passBoxes.at(index);
        ImageBox::Thumb thumb = box ? box->thumbRequest() : ImageBox::Thumb();
        if (!box || ImageBox::readCachedThumb(thumb)) {
            arrived.insert(index, std::move(thumb));
            continue;
        }
        pool->start([inbox = inbox, pass, index, thumb = std::move(thumb)]() mutable {
            if (inbox->isStale(pass))
                return;
            ImageBox::makeThumb(thumb);
            const QMutexLocker lock(&inbox->mutex);
            ThumbnailView *view = inbox->view;
            if (!view || inbox->isStale(pass))
                return;
            QMetaObject::invokeMethod(
                    view, [view, pass, index, thumb] { view->takeThumb(pass, index, thumb); },
                    Qt::QueuedConnection);
        });
    }
    if (loading && applied == passBoxes.size()) {
        loading = false;
        emit passFinished();
    }
}

void ThumbnailView::takeThumb(quint64 pass, int index, ImageBox::Thumb thumb)
{
    if (pass != inbox->generation)
        return;
    arrived.insert(index, std::move(thumb));
    feedPass();
}

QRect ThumbnailView::sight() const
{
    const int row = boxes.isEmpty() ? 0 : boxes.first()->height() + grid->spacing();
    return QRect(-container->pos(), viewport()->size()).adjusted(0, -row, 0, row);
}

QList<ImageBox *> ThumbnailView::boxesInSight() const
{
    const QRect seen = sight();
    // Boxes are laid out in rows from the top: the first one reaching into sight is found by
    // halves, however long the folder.
    auto box = std::partition_point(boxes.cbegin(), boxes.cend(), [&seen](ImageBox *box) {
        return box->geometry().bottom() < seen.top();
    });
    QList<ImageBox *> inSight;
    for (; box != boxes.cend() && (*box)->y() <= seen.bottom(); ++box)
        inSight.append(*box);
    return inSight;
}

void ThumbnailView::keepPreview(ImageBox *box)
{
    forget(box);
    const qint64 bytes = box->previewBytes();
    if (bytes == 0)
        return;
    heldAt.insert(box, {held.insert(held.end(), box), bytes});
    heldBytes += bytes;
    const QRect seen = sight();
    for (auto old = held.begin(); heldBytes > previewBudget && old != held.end();) {
        ImageBox *oldBox = *old;
        if (oldBox->geometry().intersects(seen)) {
            ++old;
            continue;
        }
        heldBytes -= heldAt.take(oldBox).bytes;
        oldBox->releasePreview();
        old = held.erase(old);
    }
}

void ThumbnailView::forget(ImageBox *box)
{
    refilling.remove(box);
    const auto at = heldAt.constFind(box);
    if (at == heldAt.cend())
        return;
    held.erase(at->at);
    heldBytes -= at->bytes;
    heldAt.erase(at);
}

void ThumbnailView::scheduleRefill()
{
    if (!std::exchange(refillPending, true))
        QMetaObject::invokeMethod(this, &ThumbnailView::refillInSight, Qt::QueuedConnection);
}

void ThumbnailView::refillInSight()
{
    refillPending = false;
    for (ImageBox *box : boxesInSight()) {
        if (!box->isPreviewReleased()) {
            if (heldAt.contains(box))
                keepPreview(box); // shown now: the last to go
            continue;
        }
        if (refilling.contains(box))
            continue;
        ImageBox::Thumb thumb = box->thumbRequest();
        thumb.again = true;
        if (ImageBox::readCachedThumb(thumb)) {
            box->applyThumb(std::move(thumb));
            keepPreview(box);
            continue;
        }
        startRefill(box, std::move(thumb));
    }
}

void ThumbnailView::startRefill(ImageBox *box, ImageBox::Thumb thumb)
{
    refilling.insert(box);
    Prefetcher::pool()->start(
            [inbox = inbox, box = QPointer<ImageBox>(box), thumb = std::move(thumb)]() mutable {
                ImageBox::makeThumb(thumb);
                const QMutexLocker lock(&inbox->mutex);
                if (ThumbnailView *view = inbox->view)
                    QMetaObject::invokeMethod(
                            view, [view, box, thumb] { view->takeRefill(box, thumb); },
                            Qt::QueuedConnection);
            });
}

void ThumbnailView::remakePreviews(const QSet<QString> &paths)
{
    for (ImageBox *box : std::as_const(boxes)) {
        if (!paths.contains(box->imagePath()))
            continue;
        forget(box);
        box->releasePreview(); // an old preview must not stand for a new picture
        startRefill(box, box->thumbRequest());
    }
}

void ThumbnailView::takeRefill(const QPointer<ImageBox> &box, ImageBox::Thumb thumb)
{
    // Gone, or the grid cleared, since it was asked for.
    if (!box || !refilling.remove(box) || box->isThumbLoaded())
        return;
    box->applyThumb(std::move(thumb));
    keepPreview(box);
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
    forget(box);
    delete box;
    placeBoxes();
}

void ThumbnailView::removeImage(const QString &path)
{
    if (ImageBox *box = findBox(path))
        removeBox(box);
}

void ThumbnailView::removeImages(const QSet<QString> &paths)
{
    ImageBox *highlighted = selectedBox();
    qsizetype highlightAt = -1;
    QList<ImageBox *> kept;
    kept.reserve(boxes.size());
    for (ImageBox *box : std::as_const(boxes)) {
        if (!paths.contains(box->imagePath())) {
            kept.append(box);
            continue;
        }
        if (box == highlighted)
            highlightAt = kept.size();
        forget(box);
        delete box;
    }
    if (kept.size() == boxes.size())
        return;
    boxes = std::move(kept);
    grid->setEnabled(false);
    placeBoxes();
    layoutBoxes();
    if (highlightAt >= 0 && !boxes.isEmpty())
        selectBox(int(std::min(highlightAt, boxes.size() - 1)));
}

void ThumbnailView::clearGrid(bool deleteBoxes)
{
    while (QLayoutItem *item = grid->takeAt(0))
        delete item; // the layout's wrapper, not the box
    if (!deleteBoxes)
        return;
    cancelPass();
    held.clear();
    heldAt.clear();
    heldBytes = 0;
    refilling.clear();
    const QList<ImageBox *> gone = std::exchange(boxes, {});
    qDeleteAll(gone);
}

void ThumbnailView::orderBoxes(const QList<ImageListItem *> &items)
{
    QHash<ImageListItem *, qsizetype> rank;
    rank.reserve(items.size());
    for (qsizetype i = 0; i < items.size(); ++i)
        rank.insert(items.at(i), i);
    const auto rankOf = [&rank](ImageBox *box) {
        return rank.value(box->listItem(), std::numeric_limits<qsizetype>::max());
    };
    const auto before = [&](ImageBox *a, ImageBox *b) { return rankOf(a) < rankOf(b); };
    if (std::is_sorted(boxes.cbegin(), boxes.cend(), before))
        return;
    std::stable_sort(boxes.begin(), boxes.end(), before);
    // Laid out once, not at every box put back.
    grid->setEnabled(false);
    placeBoxes();
    layoutBoxes();
    if (ImageBox *box = selectedBox())
        ensureWidgetVisible(box);
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
