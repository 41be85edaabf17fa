#include "browse/imagelistitem.h"

#include "browse/imagelistview.h"
#include "browse/naturalorder.h"
#include "resources/iconset.h"

#include <QPixmapCache>
#include <QTreeWidget>

ImageListItem::ImageListItem(QTreeWidget *parent, const QString &name, const QString &path)
    : QTreeWidgetItem(parent, Type),
      m_name(name),
      m_path(path),
      self(std::make_shared<ImageListItem *>(this))
{
    // One icon shared by every row.
    static const QIcon shared = [] {
        const QString key = QStringLiteral("pictarn-row-icon");
        QPixmap icon;
        if (!QPixmapCache::find(key, &icon)) {
            icon = iconPixmap(QStringLiteral("image"));
            QPixmapCache::insert(key, icon);
        }
        return QIcon(icon);
    }();
    setIcon(0, shared);
    setText(0, name);
    setToolTip(0, name); // the column may show it cut short
    setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    setDimensions(0, 0);
}

ImageListItem::~ImageListItem()
{
    *self = nullptr;
}

void ImageListItem::setDimensions(int width, int height)
{
    m_width = width;
    m_height = height;
    setText(1, QStringLiteral("%1x%2").arg(width).arg(height));
}

void ImageListItem::setFacts(SortOrder::Key key, const SortOrder::Facts &value)
{
    factsKey = key;
    facts = value;
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
        const SortOrder::Facts none;
        return order.lessThan(m_name, hasFactsFor(order.key()) ? facts : none, item->m_name,
                              item->hasFactsFor(order.key()) ? item->facts : none);
    }
    return NaturalOrder::lessThan(m_name, item->m_name);
}
