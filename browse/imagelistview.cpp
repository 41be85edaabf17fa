#include "browse/imagelistview.h"

#include "browse/imagelistitem.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>

ImageListView::ImageListView(QWidget *parent, const char *name) : QTreeWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
    headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Each row's dimensions arrive one at a time during the thumbnail pass, and each arrival
    // measures rows again: a thousand of them a time made the pass of a large folder crawl.
    // Lists of up to a hundred rows are still measured whole.
    header()->setResizeContentsPrecision(100);
    header()->setStretchLastSection(false);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);

    connect(this, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { emit clicked(item); });
}

ImageListItem *ImageListView::findItemByPath(const QString &path) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        auto *item = static_cast<ImageListItem *>(topLevelItem(i));
        if (item->path() == path)
            return item;
    }
    return nullptr;
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
