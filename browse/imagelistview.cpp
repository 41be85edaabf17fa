#include "browse/imagelistview.h"

#include "browse/imagelistitem.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScroller>
#include <QThreadPool>

#include <utility>

ImageListView::ImageListView(QWidget *parent, const char *name) : QTreeWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    // A finger drags the list; a tap still picks a row.
    QScroller::grabGesture(viewport(), QScroller::LeftMouseButtonGesture);
    // The scroller moves in pixels: by rows, a short drag would jump a row per pixel.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setColumnCount(2);
    setHeaderLabels({tr("Name"), tr("Size")});
    headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    // The size column widens to what it is given and never narrows. The header's own sizing to
    // contents measures every row at each change: quadratic over a thumbnail pass. The names
    // take what is left, so that the sizes stay on a narrow screen; a long name is cut short.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    header()->resizeSection(1, header()->sectionSizeHint(1));
    setTextElideMode(Qt::ElideMiddle);
    connect(model(), &QAbstractItemModel::dataChanged, this,
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
    connect(model(), &QAbstractItemModel::rowsRemoved, this, narrowWhenEmpty);
    connect(model(), &QAbstractItemModel::modelReset, this, narrowWhenEmpty);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);

    connect(model(), &QAbstractItemModel::layoutChanged, this, [this] {
        if (std::exchange(orderPending, true))
            return;
        QMetaObject::invokeMethod(
                this,
                [this] {
                    orderPending = false;
                    emit orderChanged();
                },
                Qt::QueuedConnection);
    });

    // Rows that come (a listing, a folder change) get their facts in one worker run.
    connect(model(), &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_order.key() == SortOrder::Name || std::exchange(factsPending, true))
            return;
        QMetaObject::invokeMethod(this, &ImageListView::readFacts, Qt::QueuedConnection);
    });

    connect(this, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { emit clicked(item); });
}

void ImageListView::setOrder(const SortOrder &order)
{
    const bool changed = order != m_order;
    m_order = order;
    if (changed)
        ++*generation; // facts on their way are for another key
    readingFacts = false;
    if (isSortingEnabled())
        sortItems(0, order.isReversed() ? Qt::DescendingOrder : Qt::AscendingOrder);
    readFacts();
}

void ImageListView::readFacts()
{
    factsPending = false;
    const SortOrder::Key key = m_order.key();
    QStringList paths;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const auto *item = static_cast<ImageListItem *>(topLevelItem(i));
        if (!item->hasFactsFor(key))
            paths.append(item->path());
    }
    if (paths.isEmpty()) {
        if (!std::exchange(readingFacts, false) && key != SortOrder::Name)
            emit factsRead();
        return;
    }
    readingFacts = true;
    const quint64 asked = *generation;
    QPointer<ImageListView> view(this);
    QThreadPool::globalInstance()->start([view, key, paths, asked, generation = generation] {
        QHash<QString, SortOrder::Facts> facts;
        constexpr qsizetype chunk = 1000;
        for (qsizetype from = 0; from < paths.size(); from += chunk) {
            if (*generation != asked) // a newer order: these facts are for nobody
                return;
            const QStringList some = paths.mid(from, chunk);
            const QList<SortOrder::Facts> read = SortOrder::factsOf(some, key);
            for (qsizetype i = 0; i < some.size(); ++i)
                facts.insert(some.at(i), read.at(i));
        }
        // The view is looked at on its own thread only: here it may be going away.
        QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [view, key, facts, asked] {
                    if (view)
                        view->takeFacts(asked, key, facts);
                },
                Qt::QueuedConnection);
    });
}

void ImageListView::takeFacts(quint64 asked, SortOrder::Key key,
                              const QHash<QString, SortOrder::Facts> &facts)
{
    if (asked != *generation || key != m_order.key())
        return;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        auto *item = static_cast<ImageListItem *>(topLevelItem(i));
        const auto found = facts.constFind(item->path());
        if (found != facts.cend())
            item->setFacts(key, *found);
    }
    if (isSortingEnabled())
        sortItems(sortColumn(), header()->sortIndicatorOrder());
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
            width = qMax(width, sizeHintForIndex(model()->index(row, column)).width());
        if (width > header()->sectionSize(column))
            header()->resizeSection(column, width);
    }
}

ImageListView::~ImageListView()
{
    // The model empties itself as the view's children go, when the header is gone already.
    disconnect(model(), nullptr, this, nullptr);
}

void ImageListView::sizeShown(ImageListItem *item)
{
    const QModelIndex at = indexFromItem(item, 1);
    if (at.isValid())
        emit model()->dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole});
}

ImageListItem *ImageListView::findItemByPath(const QString &path) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        auto *item = static_cast<ImageListItem *>(topLevelItem(i));
        if (item->hasPath(path))
            return item;
    }
    return nullptr;
}

QList<ImageListItem *> ImageListView::items() const
{
    QList<ImageListItem *> rows;
    rows.reserve(topLevelItemCount());
    for (int i = 0; i < topLevelItemCount(); ++i)
        rows.append(static_cast<ImageListItem *>(topLevelItem(i)));
    return rows;
}

void ImageListView::removeItemByPath(const QString &path)
{
    ImageListItem *item = findItemByPath(path);
    if (!item)
        return;
    delete takeTopLevelItem(indexOfTopLevelItem(item));
}

void ImageListView::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space) {
        emit clicked(currentItem());
        return;
    }
    QTreeWidget::keyReleaseEvent(event);
}

void ImageListView::keyPressEvent(QKeyEvent *event)
{
    // On the press: the release of a Return that chose a menu item may land here.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        if (!event->isAutoRepeat())
            emit clicked(currentItem());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void ImageListView::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    if (auto *item = dynamic_cast<ImageListItem *>(itemFromIndex(index))) {
        // Rows are painted top to bottom, each tinted when the one above is plain. A paint that
        // starts lower down (after a scroll or a removal) cannot trust the flag of an unpainted
        // row above it, so the decision is taken from the position, which gives the same
        // alternation.
        item->shaded = index.row() % 2 == 1;
        if (item->shaded)
            painter->fillRect(QRect(0, option.rect.y(), viewport()->width(), option.rect.height()),
                              shadeColor());
    }
    QTreeWidget::drawRow(painter, option, index);
}
