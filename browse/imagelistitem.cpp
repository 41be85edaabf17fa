#include "browse/imagelistitem.h"

#include "browse/imagelistview.h"
#include "browse/naturalorder.h"
#include "resources/iconset.h"

#include <QPixmapCache>
#include <QTreeWidget>

namespace {
// One icon shared by every row.
const QIcon &rowIcon()
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
} // namespace

ImageListItem::ImageListItem(QTreeWidget *parent, const QString &name, const QString &path)
    : QTreeWidgetItem(parent, Type),
      where(name, path),
      self(std::make_shared<ImageListItem *>(this))
{
    rowIcon();
}

QVariant ImageListItem::data(int column, int role) const
{
    if (!textsStored) {
        if (column == 0) {
            switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole:
            case Qt::ToolTipRole: // the column may show it cut short
                return where.name();
            case Qt::DecorationRole:
                return rowIcon();
            }
        } else if (column == 1) {
            if (role == Qt::DisplayRole || role == Qt::EditRole)
                return QStringLiteral("%1x%2").arg(m_width).arg(m_height);
            if (role == Qt::TextAlignmentRole)
                return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        }
    }
    return QTreeWidgetItem::data(column, role);
}

void ImageListItem::setData(int column, int role, const QVariant &value)
{
    if (!textsStored && (column == 0 || column == 1)) {
        // From now on the base keeps every text, as an item of its own would.
        const QVariant texts[]
                = {data(0, Qt::DisplayRole), data(0, Qt::ToolTipRole), data(0, Qt::DecorationRole),
                   data(1, Qt::DisplayRole), data(1, Qt::TextAlignmentRole)};
        textsStored = true;
        QTreeWidgetItem::setData(0, Qt::DisplayRole, texts[0]);
        QTreeWidgetItem::setData(0, Qt::ToolTipRole, texts[1]);
        QTreeWidgetItem::setData(0, Qt::DecorationRole, texts[2]);
        QTreeWidgetItem::setData(1, Qt::DisplayRole, texts[3]);
        QTreeWidgetItem::setData(1, Qt::TextAlignmentRole, texts[4]);
    }
    QTreeWidgetItem::setData(column, role, value);
}

ImageListItem::~ImageListItem()
{
    *self = nullptr;
}

void ImageListItem::setDimensions(int width, int height)
{
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    if (textsStored)
        setText(1, QStringLiteral("%1x%2").arg(width).arg(height));
    else if (auto *view = qobject_cast<ImageListView *>(treeWidget()))
        view->sizeShown(this);
    else
        emitDataChanged();
}

void ImageListItem::setFacts(SortOrder::Key key, const SortOrder::Facts &value)
{
    factsKey = key;
    if (facts)
        *facts = value;
    else
        facts = std::make_unique<SortOrder::Facts>(value);
}

bool ImageListItem::operator<(const QTreeWidgetItem &other) const
{
    // Asked of every pair a sort compares: the type is quicker to read than a cast.
    if (other.type() != Type)
        return QTreeWidgetItem::operator<(other);
    const auto *item = static_cast<const ImageListItem *>(&other);
    if (treeWidget() && treeWidget()->sortColumn() == 1) {
        const qint64 pixels = qint64(m_width) * m_height;
        const qint64 others = qint64(item->m_width) * item->m_height;
        if (pixels != others)
            return pixels < others;
    }
    const auto *view = qobject_cast<const ImageListView *>(treeWidget());
    const bool byName = !view || view->order().key() == SortOrder::Name;
    if (byName && m_rank >= 0 && item->m_rank >= 0 && m_epoch == item->m_epoch)
        return m_rank < item->m_rank;
    if (view) {
        const SortOrder &order = view->order();
        static const SortOrder::Facts none;
        const bool mine = facts && hasFactsFor(order.key());
        const bool theirs = item->facts && item->hasFactsFor(order.key());
        return order.lessThan(where.name(), mine ? *facts : none, item->where.name(),
                              theirs ? *item->facts : none);
    }
    return NaturalOrder::lessThan(where.name(), item->where.name());
}
