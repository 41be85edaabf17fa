#include "browse/imagelistitem.h"

#include "browse/imagelistmodel.h"
#include "browse/imagelistview.h"

ImageListItem::ImageListItem(ImageListView *list, const QString &name, const QString &path)
    : where(name, path), self(std::make_shared<ImageListItem *>(this))
{
    if (list)
        list->addTopLevelItems({this});
}

ImageListItem::~ImageListItem()
{
    *self = nullptr;
    if (owner)
        owner->forget(this);
}

QString ImageListItem::text(int column) const
{
    if (owner && column >= 0 && column < 2)
        return owner->data(owner->index(owner->rowOf(this), column)).toString();
    return column == 0   ? name()
           : column == 1 ? QStringLiteral("%1x%2").arg(m_width).arg(m_height)
                         : QString();
}

QIcon ImageListItem::icon(int column) const
{
    return column == 0 ? ImageListModel::rowIcon() : QIcon();
}

int ImageListItem::textAlignment(int column) const
{
    return column == 1 ? int(Qt::AlignRight | Qt::AlignVCenter) : 0;
}

void ImageListItem::setText(int column, const QString &text)
{
    if (owner)
        owner->setText(this, column, text);
}

void ImageListItem::setDimensions(int width, int height)
{
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    if (owner)
        owner->sizeChanged(this);
}

void ImageListItem::setFacts(SortOrder::Key key, const SortOrder::Facts &value)
{
    factsKey = key;
    if (facts)
        *facts = value;
    else
        facts = std::make_unique<SortOrder::Facts>(value);
}
