#include "browse/directoryview.h"

#include "browse/foldertreeitem.h"
#include "platform/folders.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScroller>
#include <QTreeWidgetItemIterator>

const QPixmap *DirectoryView::lockedFolderIcon = nullptr;
const QPixmap *DirectoryView::closedFolderIcon = nullptr;
const QPixmap *DirectoryView::openFolderIcon = nullptr;

namespace {

FolderTreeItem *asFolder(QTreeWidgetItem *item)
{
    return item && item->type() == FolderTreeItem::Type ? static_cast<FolderTreeItem *>(item)
                                                        : nullptr;
}

} // namespace

DirectoryView::DirectoryView(QWidget *parent, const char *name) : QTreeWidget(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    // A finger drags the tree; a tap still opens a folder.
    QScroller::grabGesture(viewport(), QScroller::LeftMouseButtonGesture);
    // The scroller moves in pixels: by rows, a short drag would jump a row per pixel.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    if (!openFolderIcon) {
        lockedFolderIcon = new QPixmap(QStringLiteral("image/folder_locked.png"));
        closedFolderIcon = new QPixmap(QStringLiteral("image/folder_closed.png"));
        openFolderIcon = new QPixmap(QStringLiteral("image/folder_open.png"));
    }
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    setEditTriggers(QAbstractItemView::NoEditTriggers);

    setWaysIn({QDir::homePath(), Folders::documents()});

    connect(this, &QTreeWidget::itemDoubleClicked, this, &DirectoryView::slotFolderSelected);
    connect(this, &QTreeWidget::itemExpanded, this, &DirectoryView::rowExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &DirectoryView::rowCollapsed);
}

QString DirectoryView::fullPath(QTreeWidgetItem *item) const
{
    if (!item)
        return QString();
    QString path = item->text(0);
    for (QTreeWidgetItem *up = item->parent(); up; up = up->parent()) {
        if (up->parent())
            path.prepend(up->text(0) + QLatin1Char('/'));
        else
            path.prepend(up->text(0));
    }
    return path;
}

void DirectoryView::setWaysIn(const QStringList &folders)
{
    waysIn.clear();
    for (const QString &folder : folders) {
        // Through links too: a home under a linked /home is reached by either name.
        for (const QString &path : {folder, QFileInfo(folder).canonicalFilePath()}) {
            if (!path.isEmpty() && QDir::isAbsolutePath(path))
                waysIn << QDir::cleanPath(path) + QLatin1Char('/');
        }
    }
}

bool DirectoryView::isOnTheWayIn(const QString &path) const
{
    const QString folder = QDir::cleanPath(path) + QLatin1Char('/');
    for (const QString &way : waysIn) {
        if (way.startsWith(folder))
            return true;
    }
    return false;
}

void DirectoryView::setDir(const QString &path)
{
    QTreeWidgetItemIterator it(this);
    if (*it)
        ++it;
    for (; *it; ++it) {
        if (FolderTreeItem *folder = asFolder(*it))
            folder->setOpen(false);
        else
            (*it)->setExpanded(false);
    }

    const QStringList components = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QTreeWidgetItem *row = topLevelItem(0);
    QTreeWidgetItem *matched = nullptr;
    for (const QString &component : components) {
        QTreeWidgetItem *found = nullptr;
        if (!matched) {
            for (; row && !found; row = itemBelow(row)) {
                if (row->text(0) == component)
                    found = row;
            }
        } else {
            // Only the folder just opened can hold the next component; a match further down
            // the tree would be another folder of the same name.
            for (int i = 0; i < matched->childCount() && !found; ++i) {
                if (matched->child(i)->text(0) == component)
                    found = matched->child(i);
            }
        }
        matched = found;
        if (!matched)
            break;
        if (FolderTreeItem *folder = asFolder(matched))
            folder->setOpen(true);
        else
            matched->setExpanded(true);
    }

    if (components.isEmpty())
        matched = topLevelItem(0);
    if (matched)
        setCurrentItem(matched);
}

void DirectoryView::slotFolderSelected(QTreeWidgetItem *item)
{
    if (FolderTreeItem *folder = asFolder(item))
        emit folderSelected(folder->fullName());
}

void DirectoryView::mousePressEvent(QMouseEvent *event)
{
    // Releases are ignored, so an expander has to answer the press.
    QTreeWidgetItem *item = itemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && item
        && onExpander(item, event->position().toPoint())) {
        item->setExpanded(!item->isExpanded());
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void DirectoryView::mouseReleaseEvent(QMouseEvent *event)
{
    // A tap selects on the press; the release must not turn it into a click.
    event->accept();
}

void DirectoryView::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging the stylus over the tree neither selects nor scrolls.
    event->accept();
}

void DirectoryView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        slotFolderSelected(currentItem());
        event->accept();
        return;
    case Qt::Key_Asterisk:
        // Would open every folder below the row, reading the whole storage (and looping
        // through linked folders).
        event->accept();
        return;
    default:
        QTreeWidget::keyPressEvent(event);
    }
}

void DirectoryView::rowExpanded(QTreeWidgetItem *item)
{
    if (changingRows)
        return;
    if (FolderTreeItem *folder = asFolder(item))
        folder->setOpen(true);
}

void DirectoryView::rowCollapsed(QTreeWidgetItem *item)
{
    if (changingRows)
        return;
    if (FolderTreeItem *folder = asFolder(item))
        folder->setOpen(false);
}

bool DirectoryView::onExpander(QTreeWidgetItem *item, const QPoint &pos) const
{
    if (item->childIndicatorPolicy() == QTreeWidgetItem::DontShowIndicator
        && item->childCount() == 0)
        return false;
    if (!item->parent() && !rootIsDecorated())
        return false;
    const QRect rect = visualRect(indexFromItem(item, 0));
    const QRect expander(rect.left() - indentation(), rect.top(), indentation(), rect.height());
    return expander.contains(pos);
}
