#include "browse/imagelistview.h"

#include "browse/imagelistmodel.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScroller>
#include <QThreadPool>

#include <utility>

namespace {
std::atomic<qint64> filesRead{0};
}

qint64 ImageListView::filesReadForFacts()
{
    return filesRead;
}

ImageListView::ImageListView(QWidget *parent, const char *name)
    : QTreeView(parent), rows(new ImageListModel(this))
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModel(rows);
    // A finger drags the list; a tap still picks a row.
    QScroller::grabGesture(viewport(), QScroller::LeftMouseButtonGesture);
    // The scroller moves in pixels: by rows, a short drag would jump a row per pixel.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The size column widens to what it is given and never narrows. The header's own sizing to
    // contents measures every row at each change: quadratic over a thumbnail pass. The names
    // take what is left, so that the sizes stay on a narrow screen; a long name is cut short.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    header()->resizeSection(1, header()->sectionSizeHint(1));
    setTextElideMode(Qt::ElideMiddle);
    connect(rows, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole)
                    || roles.contains(Qt::DecorationRole))
                    widenColumns(from, to);
            });
    // An emptied list starts narrow again for the next folder.
    const auto narrowWhenEmpty = [this] {
        if (topLevelItemCount() != 0)
            return;
        header()->resizeSection(1, header()->sectionSizeHint(1));
    };
    connect(rows, &QAbstractItemModel::rowsRemoved, this, narrowWhenEmpty);
    connect(rows, &QAbstractItemModel::modelReset, this, narrowWhenEmpty);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);

    connect(rows, &QAbstractItemModel::layoutChanged, this, &ImageListView::announceOrder);
    connect(rows, &ImageListModel::placed, this, &ImageListView::announceOrder);

    // Rows that come (a listing, a folder change) get their facts in one worker run.
    connect(rows, &QAbstractItemModel::rowsInserted, this, [this] {
        if (order().key() == SortOrder::Name || std::exchange(factsPending, true))
            return;
        QMetaObject::invokeMethod(this, &ImageListView::readFacts, Qt::QueuedConnection);
    });

    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex &index) { emit clicked(rows->item(index.row())); });
}

ImageListView::~ImageListView()
{
    // The rows go before the header does.
    disconnect(rows, nullptr, this, nullptr);
}

void ImageListView::announceOrder()
{
    if (std::exchange(orderPending, true))
        return;
    QMetaObject::invokeMethod(
            this,
            [this] {
                orderPending = false;
                emit orderChanged();
            },
            Qt::QueuedConnection);
}

int ImageListView::topLevelItemCount() const
{
    return rows->rowCount();
}

ImageListItem *ImageListView::topLevelItem(int row) const
{
    return rows->item(row);
}

int ImageListView::indexOfTopLevelItem(const ImageListItem *item) const
{
    return rows->rowOf(item);
}

QModelIndex ImageListView::indexFromItem(const ImageListItem *item, int column) const
{
    return rows->indexOf(item, column);
}

void ImageListView::addTopLevelItems(const QList<ImageListItem *> &items)
{
    rows->add(items);
}

void ImageListView::insertTopLevelItem(int row, ImageListItem *item)
{
    rows->insert(row, item);
}

ImageListItem *ImageListView::takeTopLevelItem(int row)
{
    return rows->take(row);
}

void ImageListView::clear()
{
    rows->clear();
}

ImageListItem *ImageListView::currentItem() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? rows->item(current.row()) : nullptr;
}

void ImageListView::setCurrentItem(ImageListItem *item)
{
    setCurrentIndex(rows->indexOf(item));
}

bool ImageListView::isItemSelected(const ImageListItem *item) const
{
    const QModelIndex at = rows->indexOf(item);
    return at.isValid() && selectionModel()->isSelected(at);
}

void ImageListView::setItemSelected(const ImageListItem *item, bool selected)
{
    const QModelIndex at = rows->indexOf(item);
    if (at.isValid())
        selectionModel()->select(
                at, (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect)
                            | QItemSelectionModel::Rows);
}

void ImageListView::scrollToItem(const ImageListItem *item)
{
    const QModelIndex at = rows->indexOf(item);
    if (at.isValid())
        scrollTo(at);
}

void ImageListView::setSortingEnabled(bool enable)
{
    rows->setSorting(enable);
    QTreeView::setSortingEnabled(enable);
}

void ImageListView::sortItems(int column, Qt::SortOrder order)
{
    rows->sort(column, order);
    header()->setSortIndicator(column, order);
}

int ImageListView::sortColumn() const
{
    return rows->sortColumn();
}

const SortOrder &ImageListView::order() const
{
    return rows->order();
}

void ImageListView::setOrder(const SortOrder &order)
{
    const bool newKey = order.key() != rows->order().key();
    rows->setOrder(order);
    if (newKey) {
        ++*generation; // facts on their way are for another key
        readingFacts = false;
        factsStale.clear();
    }
    if (isSortingEnabled())
        sortItems(0, order.isReversed() ? Qt::DescendingOrder : Qt::AscendingOrder);
    readFacts();
}

void ImageListView::readFactsAgain(const QSet<QString> &paths)
{
    if (paths.isEmpty())
        return;
    for (ImageListItem *item : rows->items()) {
        if (paths.contains(item->path())) {
            item->forgetFacts();
            if (readingFacts)
                factsStale.insert(item, item->tracker());
        }
    }
    if (order().key() == SortOrder::Name || std::exchange(factsPending, true))
        return;
    QMetaObject::invokeMethod(this, &ImageListView::readFacts, Qt::QueuedConnection);
}

void ImageListView::readFacts()
{
    factsPending = false;
    // One worker at a time: rows that come meanwhile are read when it is done.
    if (readingFacts)
        return;
    const SortOrder::Key key = order().key();
    QStringList paths;
    QList<std::shared_ptr<ImageListItem *>> asked;
    for (const ImageListItem *item : rows->items()) {
        if (!item->hasFactsFor(key)) {
            paths.append(item->path());
            asked.append(item->tracker());
        }
    }
    if (paths.isEmpty()) {
        if (key != SortOrder::Name)
            emit factsRead();
        return;
    }
    readingFacts = true;
    const quint64 round = *generation;
    QPointer<ImageListView> view(this);
    QThreadPool::globalInstance()->start(
            [view, key, paths, asked = std::move(asked), round, generation = generation] {
                QList<SortOrder::Facts> facts;
                facts.reserve(paths.size());
                constexpr qsizetype chunk = 1000;
                for (qsizetype from = 0; from < paths.size(); from += chunk) {
                    if (*generation != round) // a newer order: these facts are for nobody
                        return;
                    const QStringList some = paths.mid(from, chunk);
                    facts.append(SortOrder::factsOf(some, key));
                    filesRead += some.size();
                }
                // The view is looked at on its own thread only: here it may be going away.
                QMetaObject::invokeMethod(
                        QCoreApplication::instance(),
                        [view, key, asked, facts, round] {
                            if (view)
                                view->takeFacts(round, key, asked, facts);
                        },
                        Qt::QueuedConnection);
            });
}

void ImageListView::takeFacts(quint64 round, SortOrder::Key key,
                              const QList<std::shared_ptr<ImageListItem *>> &asked,
                              const QList<SortOrder::Facts> &facts)
{
    if (round != *generation || key != order().key())
        return;
    QList<ImageListItem *> changed;
    changed.reserve(asked.size());
    for (qsizetype n = 0; n < asked.size(); ++n) {
        ImageListItem *item = *asked.at(n); // null once deleted
        if (!item || item->owner != rows || factsStale.contains(item))
            continue;
        item->setFacts(key, facts.at(n));
        changed.append(item);
    }
    // Changed too: their facts are gone.
    for (const auto &tracker : std::as_const(factsStale)) {
        if (*tracker) // not deleted since
            changed.append(*tracker);
    }
    factsStale.clear();
    if (isSortingEnabled())
        rows->replace(changed);
    readingFacts = false;
    readFacts(); // rows that came meanwhile
}

void ImageListView::widenColumns(const QModelIndex &from, const QModelIndex &to)
{
    if (from.parent().isValid())
        return;
    for (int column = qMax(1, from.column()); column <= to.column(); ++column) {
        int width = header()->sectionSize(column);
        for (int row = from.row(); row <= to.row(); ++row)
            width = qMax(width, sizeHintForIndex(rows->index(row, column)).width());
        if (width > header()->sectionSize(column))
            header()->resizeSection(column, width);
    }
}

void ImageListView::sizeShown(ImageListItem *item)
{
    rows->sizeChanged(item);
}

ImageListItem *ImageListView::findItemByPath(const QString &path) const
{
    for (ImageListItem *item : rows->items()) {
        if (item->hasPath(path))
            return item;
    }
    return nullptr;
}

QList<ImageListItem *> ImageListView::items() const
{
    return rows->items();
}

void ImageListView::removeItemByPath(const QString &path)
{
    delete takeTopLevelItem(indexOfTopLevelItem(findItemByPath(path)));
}

void ImageListView::removeItemsByPath(const QSet<QString> &paths)
{
    if (!paths.isEmpty())
        rows->removeIf(
                [&paths](const ImageListItem *item) { return paths.contains(item->path()); });
}

void ImageListView::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space) {
        emit clicked(currentItem());
        return;
    }
    QTreeView::keyReleaseEvent(event);
}

void ImageListView::keyPressEvent(QKeyEvent *event)
{
    // On the press: the release of a Return that chose a menu item may land here.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        if (!event->isAutoRepeat())
            emit clicked(currentItem());
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ImageListView::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    if (ImageListItem *item = rows->item(index.row())) {
        // Rows are painted top to bottom, each tinted when the one above is plain. A paint that
        // starts lower down (after a scroll or a removal) cannot trust the flag of an unpainted
        // row above it, so the decision is taken from the position, which gives the same
        // alternation.
        item->shaded = index.row() % 2 == 1;
        if (item->shaded)
            painter->fillRect(QRect(0, option.rect.y(), viewport()->width(), option.rect.height()),
                              shadeColor());
    }
    QTreeView::drawRow(painter, option, index);
}
