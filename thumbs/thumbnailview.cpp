#include "thumbs/thumbnailview.h"

#include "app/settings.h"
#include "browse/imagelistitem.h"
#include "platform/filedescriptor.h"
#include "platform/trace.h"
#include "thumbs/thumbnailcache.h"
#include "viewer/prefetcher.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QPointer>
#include <QScrollBar>
#include <QScroller>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <atomic>
#include <limits>

namespace {
constexpr int margin = 4;
constexpr int spacing = 8;
constexpr int rowPitch = ImageBox::boxHeight + spacing;
constexpr int columnPitch = ImageBox::boxWidth + spacing;
// Fewer images than this keep a box each, however the grid scrolls.
constexpr int fewestBoxes = 64;
} // namespace

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
    container->resize(2 * margin, 2 * margin);
    setWidget(container);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The keys go to the highlighted box alone (see ImageBox), never to the scroll area.
    setFocusPolicy(Qt::NoFocus);
    // A finger drags the grid; a tap still opens a box.
    QScroller::grabGesture(viewport(), QScroller::LeftMouseButtonGesture);
    // Boxes are put on the rows coming into sight before they are painted.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        scrollingUp = value < lastScroll;
        lastScroll = value;
        sightDone = false;
        placeInSight();
        scheduleRefill();
    });
}

ThumbnailView::~ThumbnailView()
{
    // Workers still busy finish into the void.
    ++inbox->generation;
    const QMutexLocker lock(&inbox->mutex);
    inbox->view = nullptr;
}

int ThumbnailView::fittingColumns() const
{
    // Room for the vertical scroll bar is kept, so that its coming does not push a column out.
    const int room = width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width()
                     - 2 * margin + spacing;
    return std::max(2, room / columnPitch);
}

QPoint ThumbnailView::cellPosition(int index) const
{
    return QPoint(margin + index % columns * columnPitch, margin + index / columns * rowPitch);
}

void ThumbnailView::renumber(int from)
{
    for (int n = from; n < pictures.size(); ++n)
        pictures.at(n)->index = n;
}

void ThumbnailView::scheduleLayout()
{
    if (!std::exchange(layoutPending, true))
        QMetaObject::invokeMethod(this, &ThumbnailView::layoutBoxes, Qt::QueuedConnection);
}

void ThumbnailView::layoutBoxes()
{
    layoutPending = false;
    const int rows = int((pictures.size() + columns - 1) / columns);
    container->resize(2 * margin + columns * columnPitch - spacing,
                      2 * margin + std::max(0, rows * rowPitch - spacing));
    for (ImageBox *box : std::as_const(boxes))
        box->move(cellPosition(box->picture()->index));
    placeInSight();
}

void ThumbnailView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    sightDone = false;
    scheduleRefill();
    const int fitting = fittingColumns();
    if (fitting == columns) {
        placeInSight();
        return;
    }
    columns = fitting;
    layoutBoxes();
    if (ImageBox *box = selectedBox())
        ensureWidgetVisible(box);
}

void ThumbnailView::addBox(ImageListItem *item, int, int)
{
    // Images of one folder come together: the folder is looked at once.
    const QString folder = ListedFolder::folderOf(item->path());
    const bool sameFolder = !pictures.isEmpty() && pictures.last()->folder->path() == folder;
    auto picture = std::make_shared<Picture>(
            item, sameFolder ? pictures.last()->folder : std::make_shared<ListedFolder>(folder));
    picture->index = int(pictures.size());
    addedSincePass.append(picture);
    pictures.append(std::move(picture));
    // Laid out once, when the boxes are in.
    scheduleLayout();
}

std::pair<int, int> ThumbnailView::sight() const
{
    if (pictures.isEmpty())
        return {0, -1};
    const int top = verticalScrollBar()->value() - rowPitch;
    const int bottom = verticalScrollBar()->value() + viewport()->height() + rowPitch;
    const int firstRow = std::max(0, (top - margin - ImageBox::boxHeight + rowPitch) / rowPitch);
    const int lastRow = std::max(0, (bottom - margin) / rowPitch);
    const int last = int(std::min<qsizetype>(pictures.size() - 1, (lastRow + 1) * columns - 1));
    return {std::min(firstRow * columns, last), last};
}

bool ThumbnailView::inSight(const Picture *picture) const
{
    const auto [first, last] = sight();
    return picture->index >= first && picture->index <= last;
}

void ThumbnailView::placeInSight()
{
    const auto [first, last] = sight();
    // A row more each way, ready for a short scroll.
    const int from = std::max(0, first - columns);
    const int to = int(std::min<qsizetype>(pictures.size() - 1, last + columns));
    for (int n = from; n <= to; ++n)
        bind(n);
}

ImageBox *ThumbnailView::bind(int index) const
{
    const std::shared_ptr<Picture> &picture = pictures.at(index);
    if (picture->box)
        return picture->box;
    const auto [first, last] = sight();
    const int from = first - columns, to = last + columns;
    const int cap = std::max(fewestBoxes, 2 * (to - from + 1));
    ImageBox *box = nullptr;
    if (boxes.size() >= cap) {
        // One showing an image out of sight, unless it holds the highlight or the keys.
        for (ImageBox *candidate : std::as_const(boxes)) {
            const int at = candidate->picture()->index;
            if ((at < from || at > to) && !candidate->isSelected() && !candidate->hasFocus()) {
                box = candidate;
                break;
            }
        }
    }
    if (box) {
        box->showPicture(picture);
    } else {
        auto *self = const_cast<ThumbnailView *>(this);
        box = new ImageBox(container, settings, picture);
        connect(box, &ImageBox::clicked, self, &ThumbnailView::boxClicked);
        connect(box, &ImageBox::rightPressed, self, &ThumbnailView::rightPressed);
        connect(box, &ImageBox::leftPressed, self, &ThumbnailView::leftPressed);
        connect(box, &ImageBox::upPressed, self, &ThumbnailView::upPressed);
        connect(box, &ImageBox::downPressed, self, &ThumbnailView::downPressed);
        for (auto [signal, last] :
             {std::pair(&ImageBox::homePressed, false), {&ImageBox::endPressed, true}})
            connect(box, signal, self, [self, box, last] {
                box->setSelected(false);
                self->selectBox(last ? self->boxCount() - 1 : 0);
            });
        connect(box, &ImageBox::selectionChanged, self, [self, box] {
            const std::shared_ptr<Picture> &shown = box->picture();
            self->selectedCount += shown->selected ? 1 : -1;
            if (shown->selected)
                self->selectedHint = shown;
        });
        boxes.append(box);
    }
    box->setGeometry(QRect(cellPosition(index), QSize(ImageBox::boxWidth, ImageBox::boxHeight)));
    box->show();
    return box;
}

ImageBox *ThumbnailView::boxAt(int index) const
{
    if (index < 0 || index >= pictures.size())
        return nullptr;
    return bind(index);
}

qsizetype ThumbnailView::boxIndex(ImageBox *box) const
{
    return box && boxes.contains(box) ? box->picture()->index : -1;
}

void ThumbnailView::loadThumbs()
{
    cancelPass();
    addedSincePass.clear();
    passPictures.clear();
    passPictures.reserve(pictures.size());
    for (const std::shared_ptr<Picture> &picture : std::as_const(pictures))
        passPictures.append(picture.get());
    passSubmitted.assign(passPictures.size(), false);
    for (int n = 0; n < passPictures.size(); ++n)
        passPictures.at(n)->passSlot = n;
    inOrder = pictarnTrace().isDebugEnabled();
    loading = true;
    feedPass();
}

void ThumbnailView::continuePass()
{
    if (!loading && passPictures.isEmpty()) {
        loadThumbs();
        return;
    }
    const qsizetype before = passPictures.size();
    for (const std::shared_ptr<Picture> &picture : std::exchange(addedSincePass, {})) {
        if (picture->index < 0)
            continue; // gone already
        picture->passSlot = int(passPictures.size());
        passPictures.append(picture.get());
    }
    if (passPictures.size() == before)
        return;
    passSubmitted.resize(passPictures.size(), false);
    loading = true;
    sightDone = false;
    feedPass();
}

void ThumbnailView::removeStaleParts()
{
    if (!settings->saveThumbnails())
        return;
    QHash<QString, ListedFolder> folders;
    const ListedFolder *last = nullptr; // a folder's pictures share it, and mostly come together
    for (const std::shared_ptr<Picture> &picture : std::as_const(pictures)) {
        if (picture->folder.get() != std::exchange(last, picture->folder.get()))
            folders.insert(picture->folder->path(), *picture->folder);
    }
    for (const ListedFolder &folder : std::as_const(folders)) {
        Prefetcher::pool()->start(
                [folder] {
                    const FileDescriptor fd(folder.open());
                    if (fd.isOpen())
                        ThumbnailCache::removeStaleParts(fd.fd);
                },
                -1);
    }
}

void ThumbnailView::cancelPass()
{
    ++inbox->generation;
    passPictures.clear();
    passGone.clear();
    passSubmitted.clear();
    arrived.clear();
    submitted = 0;
    applied = 0;
    restAt = 0;
    sightDone = false;
    loading = false;
}

int ThumbnailView::nextInPass()
{
    const auto take = [this](const Picture *picture) {
        const int slot = picture->passSlot;
        if (slot < 0 || slot >= passPictures.size() || passPictures.at(slot) != picture
            || passSubmitted[slot])
            return -1;
        passSubmitted[slot] = true;
        return slot;
    };
    if (!inOrder && !sightDone) {
        const auto [first, last] = sight();
        for (int n = first; n <= last; ++n) {
            if (const int slot = take(pictures.at(n).get()); slot >= 0)
                return slot;
        }
        // Then a few screens ahead, the way the grid last went.
        const int ahead = 4 * (last - first + 1);
        const int step = scrollingUp ? -1 : 1;
        for (int n = scrollingUp ? first - 1 : last + 1, left = ahead;
             left > 0 && n >= 0 && n < pictures.size(); n += step, --left) {
            if (const int slot = take(pictures.at(n).get()); slot >= 0)
                return slot;
        }
        sightDone = true;
    }
    while (restAt < int(passSubmitted.size()) && passSubmitted[restAt])
        ++restAt;
    if (restAt == int(passSubmitted.size()))
        return -1;
    passSubmitted[restAt] = true;
    return restAt++;
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
        // With the trace on, in grid order, as a pass box by box would show them.
        while (arrived.contains(applied))
            applyPass(applied, arrived.take(applied));
        // Counted by what is still with the workers, so that one slow picture does not leave
        // the other workers idle.
        if (submitted == passPictures.size() || submitted - applied - arrived.size() >= window)
            break;
        if (slice.elapsed() >= 8) {
            QMetaObject::invokeMethod(this, &ThumbnailView::feedPass, Qt::QueuedConnection);
            return;
        }
        const int slot = nextInPass();
        if (slot < 0)
            break;
        ++submitted;
        Picture *picture = passPictures.at(slot);
        const bool gone = picture->index < 0;
        ImageBox::Thumb thumb = gone ? ImageBox::Thumb() : picture->request(settings);
        // Only what is in sight is read here: the rest of a large folder's stored previews are
        // read by the workers, leaving the event loop to the listing and the user.
        const bool here = inOrder || inSight(picture);
        if (gone || (here && ImageBox::readCachedThumb(thumb))) {
            if (inOrder)
                arrived.insert(slot, std::move(thumb));
            else
                applyPass(slot, std::move(thumb));
            continue;
        }
        pool->start([inbox = inbox, pass, slot, thumb = std::move(thumb)]() mutable {
            if (inbox->isStale(pass))
                return;
            ImageBox::makeThumb(thumb);
            const QMutexLocker lock(&inbox->mutex);
            ThumbnailView *view = inbox->view;
            if (!view || inbox->isStale(pass))
                return;
            QMetaObject::invokeMethod(
                    view, [view, pass, slot, thumb] { view->takeThumb(pass, slot, thumb); },
                    Qt::QueuedConnection);
        });
    }
    if (loading && applied == passPictures.size()) {
        loading = false;
        for (const std::shared_ptr<Picture> &gone : std::exchange(passGone, {}))
            passPictures[gone->passSlot] = nullptr;
#ifdef __GLIBC__
        // What the listing and the workers freed stays with the process otherwise, spread
        // over the threads' arenas.
        malloc_trim(0);
#endif
        // Only tidying, so after the previews: reading a large cache folder first would take
        // the time of the first screen on one core.
        removeStaleParts();
        emit passFinished();
    }
}

void ThumbnailView::takeThumb(quint64 pass, int slot, ImageBox::Thumb thumb)
{
    if (pass != inbox->generation)
        return;
    if (inOrder)
        arrived.insert(slot, std::move(thumb));
    else
        applyPass(slot, std::move(thumb));
    feedPass();
}

void ThumbnailView::applyPass(int slot, ImageBox::Thumb thumb)
{
    ++applied;
    Picture *picture = passPictures.at(slot);
    if (picture->index < 0)
        return; // gone before its turn
    // With the budget spent, a preview out of sight would only push out another.
    const bool keep = heldBytes < previewBudget || inSight(picture);
    if (!keep) {
        forget(picture);
        picture->release(); // an older one must not stay for it
    }
    picture->apply(std::move(thumb), keep);
    if (keep)
        keepPreview(picture);
}

void ThumbnailView::keepPreview(Picture *picture)
{
    forget(picture);
    const qint64 bytes = picture->previewBytes();
    if (bytes == 0)
        return;
    heldAt.insert(picture, {held.insert(held.end(), picture), bytes});
    heldBytes += bytes;
    if (heldBytes <= previewBudget)
        return;
    const auto [first, last] = sight();
    for (auto old = held.begin(); heldBytes > previewBudget && old != held.end();) {
        Picture *oldPicture = *old;
        if (oldPicture->index >= first && oldPicture->index <= last) {
            ++old;
            continue;
        }
        heldBytes -= heldAt.take(oldPicture).bytes;
        oldPicture->release();
        old = held.erase(old);
    }
}

void ThumbnailView::forget(Picture *picture)
{
    refilling.remove(picture);
    const auto at = heldAt.constFind(picture);
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
    const auto [first, last] = sight();
    for (int n = first; n <= last; ++n) {
        const std::shared_ptr<Picture> &picture = pictures.at(n);
        if (!picture->previewReleased) {
            if (heldAt.contains(picture.get()))
                keepPreview(picture.get()); // shown now: the last to go
            continue;
        }
        if (refilling.contains(picture.get()))
            continue;
        ImageBox::Thumb thumb = picture->request(settings);
        thumb.again = true;
        if (ImageBox::readCachedThumb(thumb)) {
            picture->apply(std::move(thumb));
            keepPreview(picture.get());
            continue;
        }
        startRefill(picture, std::move(thumb));
    }
}

void ThumbnailView::startRefill(const std::shared_ptr<Picture> &picture, ImageBox::Thumb thumb)
{
    refilling.insert(picture.get());
    Prefetcher::pool()->start([inbox = inbox, picture = std::weak_ptr<Picture>(picture),
                               thumb = std::move(thumb)]() mutable {
        ImageBox::makeThumb(thumb);
        const QMutexLocker lock(&inbox->mutex);
        if (ThumbnailView *view = inbox->view)
            QMetaObject::invokeMethod(
                    view, [view, picture, thumb] { view->takeRefill(picture, thumb); },
                    Qt::QueuedConnection);
    });
}

void ThumbnailView::remakePreviews(const QSet<QString> &paths)
{
    for (const std::shared_ptr<Picture> &picture : std::as_const(pictures)) {
        if (!paths.contains(picture->path()))
            continue;
        forget(picture.get());
        picture->release(); // an old preview must not stand for a new picture
        startRefill(picture, picture->request(settings));
    }
}

void ThumbnailView::takeRefill(const std::weak_ptr<Picture> &weak, ImageBox::Thumb thumb)
{
    const std::shared_ptr<Picture> picture = weak.lock();
    // Gone, or the grid cleared, since it was asked for.
    if (!picture || picture->index < 0 || !refilling.remove(picture.get())
        || picture->isThumbLoaded())
        return;
    picture->apply(std::move(thumb));
    keepPreview(picture.get());
}

void ThumbnailView::selectBox(int index)
{
    if (index < 0 || index >= pictures.size())
        return;
    if (layoutPending)
        layoutBoxes(); // sizes the grid for boxes added since the last event loop pass
    ImageBox *box = bind(index);
    box->setSelected(true);
    ensureVisible(box->x(), box->y(), box->width(), box->height());
    revealOnShow = !isVisible();
}

void ThumbnailView::showEvent(QShowEvent *event)
{
    QScrollArea::showEvent(event);
    if (!std::exchange(revealOnShow, false))
        return;
    if (ImageBox *box = selectedBox())
        ensureVisible(box->x(), box->y(), box->width(), box->height());
}

ImageBox *ThumbnailView::selectedBox() const
{
    if (selectedCount <= 0)
        return nullptr;
    // The one highlighted last, unless another is too: then the first, as the grid goes.
    const std::shared_ptr<Picture> hint = selectedHint.lock();
    if (selectedCount == 1 && hint && hint->selected && hint->index >= 0)
        return bind(hint->index);
    for (const std::shared_ptr<Picture> &picture : pictures) {
        if (picture->selected)
            return bind(picture->index);
    }
    return nullptr;
}

ImageBox *ThumbnailView::findBox(const QString &path) const
{
    for (const std::shared_ptr<Picture> &picture : pictures) {
        if (picture->where.is(path))
            return bind(picture->index);
    }
    return nullptr;
}

void ThumbnailView::dropPicture(std::shared_ptr<Picture> picture)
{
    forget(picture.get());
    const int slot = picture->passSlot;
    if (slot >= 0 && slot < passPictures.size() && passPictures.at(slot) == picture.get())
        passGone.append(picture); // its turn may still come
    picture->index = -1;
    if (picture->selected)
        --selectedCount;
    if (ImageBox *box = picture->box) {
        boxes.removeOne(box);
        delete box;
    }
}

void ThumbnailView::removeBox(ImageBox *box)
{
    const qsizetype at = boxIndex(box);
    if (at < 0)
        return;
    dropPicture(pictures.takeAt(at));
    renumber(int(at));
    layoutBoxes();
}

void ThumbnailView::removeImage(const QString &path)
{
    for (int n = 0; n < pictures.size(); ++n) {
        if (!pictures.at(n)->where.is(path))
            continue;
        dropPicture(pictures.takeAt(n));
        renumber(n);
        layoutBoxes();
        return;
    }
}

void ThumbnailView::removeImages(const QSet<QString> &paths)
{
    const ImageBox *highlighted = selectedBox();
    const Picture *highlightedPicture = highlighted ? highlighted->picture().get() : nullptr;
    qsizetype highlightAt = -1;
    QList<std::shared_ptr<Picture>> kept;
    kept.reserve(pictures.size());
    for (const std::shared_ptr<Picture> &picture : std::as_const(pictures)) {
        if (!paths.contains(picture->path())) {
            kept.append(picture);
            continue;
        }
        if (picture.get() == highlightedPicture)
            highlightAt = kept.size();
        dropPicture(picture);
    }
    if (kept.size() == pictures.size())
        return;
    pictures = std::move(kept);
    renumber();
    layoutBoxes();
    if (highlightAt >= 0 && !pictures.isEmpty())
        selectBox(int(std::min(highlightAt, pictures.size() - 1)));
}

void ThumbnailView::clearGrid(bool deleteBoxes)
{
    if (!deleteBoxes)
        return;
    cancelPass();
    held.clear();
    heldAt.clear();
    heldBytes = 0;
    refilling.clear();
    addedSincePass.clear();
    for (const std::shared_ptr<Picture> &picture : std::as_const(pictures))
        picture->index = -1;
    pictures.clear();
    selectedCount = 0;
    selectedHint.reset();
    const QList<ImageBox *> gone = std::exchange(boxes, {});
    qDeleteAll(gone);
    layoutBoxes();
}

void ThumbnailView::orderBoxes(const QList<ImageListItem *> &items)
{
    // Most often in that order already: told without a table of every row.
    if (items.size() == pictures.size()
        && std::equal(items.cbegin(), items.cend(), pictures.cbegin(),
                      [](ImageListItem *item, const std::shared_ptr<Picture> &picture) {
                          return *picture->item == item;
                      }))
        return;
    QHash<ImageListItem *, qsizetype> rank;
    rank.reserve(items.size());
    for (qsizetype i = 0; i < items.size(); ++i)
        rank.insert(items.at(i), i);
    const auto rankOf = [&rank](const std::shared_ptr<Picture> &picture) {
        return rank.value(*picture->item, std::numeric_limits<qsizetype>::max());
    };
    const auto before = [&](const std::shared_ptr<Picture> &a, const std::shared_ptr<Picture> &b) {
        return rankOf(a) < rankOf(b);
    };
    if (std::is_sorted(pictures.cbegin(), pictures.cend(), before))
        return;
    std::stable_sort(pictures.begin(), pictures.end(), before);
    renumber();
    layoutBoxes();
    if (ImageBox *box = selectedBox())
        ensureWidgetVisible(box);
}

void ThumbnailView::setFocus()
{
    if (pictures.isEmpty())
        return;
    if (ImageBox *box = selectedBox())
        box->setFocus();
    else
        bind(0)->setSelected(true);
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
    auto *box = qobject_cast<ImageBox *>(sender);
    const int i = int(boxIndex(box));
    if (i < 0)
        return;
    box->setSelected(false);
    selectBox(i + step);
}
