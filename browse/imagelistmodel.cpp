#include "browse/imagelistmodel.h"

#include "browse/imagelistitem.h"
#include "browse/naturalorder.h"
#include "resources/iconset.h"

#include <QCoreApplication>
#include <QPixmapCache>

#include <iterator>
#include <vector>

ImageListModel::ImageListModel(QObject *parent) : QAbstractTableModel(parent) { }

ImageListModel::~ImageListModel()
{
    for (ImageListItem *item : std::as_const(rows)) {
        item->owner = nullptr;
        delete item;
    }
}

const QIcon &ImageListModel::rowIcon()
{
    static const QIcon shared = [] {
        const QString key = QStringLiteral("pictarn-row-icon");
        QPixmap icon;
        if (!QPixmapCache::find(key, &icon)) {
            icon = iconPixmap(QStringLiteral("image"));
            QPixmapCache::insert(key, icon);
        }
        return QIcon(icon);
    }();
    return shared;
}

int ImageListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows.size());
}

int ImageListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ImageListModel::data(const QModelIndex &index, int role) const
{
    const ImageListItem *row = item(index.row());
    if (!row || index.column() > 1)
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        const auto own = ownTexts[index.column()].constFind(row);
        if (own != ownTexts[index.column()].cend())
            return *own;
    }
    if (index.column() == 0) {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::ToolTipRole: // the column may show it cut short
            return row->name();
        case Qt::DecorationRole:
            return rowIcon();
        }
    } else {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return QStringLiteral("%1x%2").arg(row->m_width).arg(row->m_height);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    }
    return {};
}

QVariant ImageListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section > 1)
        return {};
    // In the view's words: the catalogues know them there.
    if (role == Qt::DisplayRole)
        return section == 0 ? QCoreApplication::translate("ImageListView", "Name")
                            : QCoreApplication::translate("ImageListView", "Size");
    if (role == Qt::TextAlignmentRole && section == 1)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags ImageListModel::flags(const QModelIndex &index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemNeverHasChildren;
}

int ImageListModel::rowOf(const ImageListItem *item) const
{
    if (!item || item->owner != this)
        return -1;
    if (item->row >= 0 && item->row < numbered && rows.at(item->row) == item)
        return item->row;
    for (int n = numbered; n < rows.size(); ++n)
        rows.at(n)->row = n;
    numbered = int(rows.size());
    return item->row >= 0 && item->row < rows.size() && rows.at(item->row) == item ? item->row : -1;
}

QModelIndex ImageListModel::indexOf(const ImageListItem *item, int column) const
{
    const int row = rowOf(item);
    return row < 0 ? QModelIndex() : index(row, column);
}

bool ImageListModel::lessThan(const ImageListItem *a, const ImageListItem *b) const
{
    if (m_column == 1) {
        const qint64 pixels = qint64(a->m_width) * a->m_height;
        const qint64 others = qint64(b->m_width) * b->m_height;
        if (pixels != others)
            return pixels < others;
    }
    if (m_order.key() == SortOrder::Name && a->m_rank >= 0 && b->m_rank >= 0
        && a->m_epoch == b->m_epoch)
        return a->m_rank < b->m_rank;
    static const SortOrder::Facts none;
    const bool mine = a->facts && a->hasFactsFor(m_order.key());
    const bool theirs = b->facts && b->hasFactsFor(m_order.key());
    return m_order.lessThan(a->name(), mine ? *a->facts : none, b->name(),
                            theirs ? *b->facts : none);
}

void ImageListModel::add(QList<ImageListItem *> items)
{
    items.removeIf([this](const ImageListItem *item) { return !item || item->owner == this; });
    for (ImageListItem *item : std::as_const(items)) {
        if (item->owner)
            item->owner->forget(item);
        item->owner = this;
    }
    const auto before
            = [this](const ImageListItem *a, const ImageListItem *b) { return precedes(a, b); };
    if (sorting && !std::is_sorted(items.cbegin(), items.cend(), before))
        std::stable_sort(items.begin(), items.end(), before);
    bool elsewhere = false;
    qsizetype from = 0; // rows before it precede the rest of the batch
    for (qsizetype next = 0; next < items.size();) {
        // A run of the batch that goes in at one place: in order, the whole of it at the end.
        qsizetype at = rows.size();
        if (sorting)
            at = std::upper_bound(rows.cbegin() + from, rows.cend(), items.at(next), before)
                 - rows.cbegin();
        qsizetype end = next + 1;
        while (end < items.size() && (at == rows.size() || before(items.at(end), rows.at(at))))
            ++end;
        elsewhere = elsewhere || at != rows.size();
        beginInsertRows({}, int(at), int(at + end - next - 1));
        rows.insert(at, end - next, nullptr);
        for (qsizetype n = next; n < end; ++n) {
            rows[at + n - next] = items.at(n);
            items.at(n)->row = int(at + n - next);
        }
        if (at < numbered)
            numbered = int(at);
        endInsertRows();
        from = at + end - next;
        next = end;
    }
    if (elsewhere)
        emit placed();
}

void ImageListModel::insert(int row, ImageListItem *item)
{
    if (!item || item->owner == this)
        return;
    if (sorting || row < 0 || row > rows.size()) {
        add({item});
        return;
    }
    if (item->owner)
        item->owner->forget(item);
    item->owner = this;
    beginInsertRows({}, row, row);
    rows.insert(row, item);
    renumberFrom(row);
    endInsertRows();
}

ImageListItem *ImageListModel::take(int row)
{
    ImageListItem *item = this->item(row);
    if (!item)
        return nullptr;
    beginRemoveRows({}, row, row);
    rows.remove(row);
    renumberFrom(row);
    item->owner = nullptr;
    item->row = -1;
    for (auto &texts : ownTexts)
        texts.remove(item);
    endRemoveRows();
    return item;
}

void ImageListModel::forget(ImageListItem *item)
{
    take(rowOf(item));
}

void ImageListModel::removeRun(int first, int last)
{
    beginRemoveRows({}, first, last);
    const QList<ImageListItem *> gone = rows.mid(first, last - first + 1);
    rows.remove(first, last - first + 1);
    renumberFrom(first);
    endRemoveRows();
    for (ImageListItem *item : gone) {
        item->owner = nullptr;
        for (auto &texts : ownTexts)
            texts.remove(item);
        delete item;
    }
}

void ImageListModel::clear()
{
    beginResetModel();
    const QList<ImageListItem *> gone = std::exchange(rows, {});
    numbered = 0;
    for (auto &texts : ownTexts)
        texts.clear();
    endResetModel();
    for (ImageListItem *item : gone) {
        item->owner = nullptr;
        delete item;
    }
}

void ImageListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column > 1)
        return;
    m_column = column;
    m_sortOrder = order;
    const auto before
            = [this](const ImageListItem *a, const ImageListItem *b) { return precedes(a, b); };
    if (std::is_sorted(rows.cbegin(), rows.cend(), before))
        return;
    QList<ImageListItem *> sorted = rows;
    std::stable_sort(sorted.begin(), sorted.end(), before);
    reorder(std::move(sorted));
}

void ImageListModel::replace(const QList<ImageListItem *> &changed)
{
    const auto before
            = [this](const ImageListItem *a, const ImageListItem *b) { return precedes(a, b); };
    std::vector<bool> moving(rows.size());
    QList<ImageListItem *> moved;
    moved.reserve(changed.size());
    for (ImageListItem *item : changed) {
        const int row = rowOf(item);
        if (row >= 0 && !moving[row]) {
            moving[row] = true;
            moved.append(item);
        }
    }
    if (moved.isEmpty())
        return;
    QList<ImageListItem *> others;
    others.reserve(rows.size() - moved.size());
    for (qsizetype n = 0; n < rows.size(); ++n) {
        if (!moving[n])
            others.append(rows.at(n));
    }
    // Each goes in after the one before it: a search among the others, not a comparison with
    // every row.
    std::stable_sort(moved.begin(), moved.end(), before);
    QList<ImageListItem *> merged;
    merged.reserve(rows.size());
    auto from = others.cbegin();
    for (ImageListItem *item : std::as_const(moved)) {
        const auto at = std::upper_bound(from, others.cend(), item, before);
        std::copy(from, at, std::back_inserter(merged));
        merged.append(item);
        from = at;
    }
    std::copy(from, others.cend(), std::back_inserter(merged));
    if (merged != rows)
        reorder(std::move(merged));
}

void ImageListModel::reorder(QList<ImageListItem *> order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList kept = persistentIndexList();
    QList<std::pair<ImageListItem *, int>> held;
    held.reserve(kept.size());
    for (const QModelIndex &index : kept)
        held.append({item(index.row()), index.column()});
    rows = std::move(order);
    numbered = 0;
    QModelIndexList now;
    now.reserve(kept.size());
    for (const auto &[row, column] : std::as_const(held))
        now.append(indexOf(row, column));
    changePersistentIndexList(kept, now);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ImageListModel::sizeChanged(ImageListItem *item)
{
    const int row = rowOf(item);
    if (row < 0)
        return;
    const QModelIndex at = index(row, 1);
    ownTexts[1].remove(item);
    emit dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole});
    if (!sorting || m_column != 1)
        return;
    // The others stay in order: the row goes where it now belongs among them.
    const auto before
            = [this](const ImageListItem *a, const ImageListItem *b) { return precedes(a, b); };
    const auto others = [&](qsizetype n) { return rows.at(n < row ? n : n + 1); };
    qsizetype low = 0, high = rows.size() - 1;
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (before(item, others(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    const int to = int(low);
    if (to == row)
        return;
    if (!beginMoveRows({}, row, row, {}, to > row ? to + 1 : to))
        return;
    rows.move(row, to);
    renumberFrom(std::min(row, to));
    endMoveRows();
    emit placed();
}

void ImageListModel::setText(const ImageListItem *item, int column, const QString &text)
{
    const int row = rowOf(item);
    if (row < 0 || column < 0 || column > 1)
        return;
    ownTexts[column].insert(item, text);
    emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole, Qt::EditRole});
}

QString ImageListModel::ownText(const ImageListItem *item, int column) const
{
    return column >= 0 && column < 2 ? ownTexts[column].value(item) : QString();
}
