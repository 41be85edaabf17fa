#include "browse/imagelistitem.h"

#include "resources/iconset.h"

ImageListItem::ImageListItem(QTreeWidget *parent, const QString &name, const QString &path)
    : QTreeWidgetItem(parent),
      m_name(name),
      m_path(path),
      self(std::make_shared<ImageListItem *>(this))
{
    setIcon(0, QIcon(iconPixmap(QStringLiteral("image"))));
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
    setText(1, QStringLiteral("%1x%2").arg(width).arg(height));
}
