#include "browse/foldertreeitem.h"

#include "browse/directoryview.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QSet>

namespace {

// The platform's own folders, hidden wherever they appear unless the user's own lie below.
const QSet<QString> &hiddenNames()
{
    static const QSet<QString> names{
            QStringLiteral("bin"),      QStringLiteral("dev"),  QStringLiteral("diskb"),
            QStringLiteral("ezxlocal"), QStringLiteral("etc"),  QStringLiteral("home"),
            QStringLiteral("lib"),      QStringLiteral("proc"), QStringLiteral("ram"),
            QStringLiteral("sbin"),     QStringLiteral("tmp"),  QStringLiteral("usr"),
            QStringLiteral("var"),      QStringLiteral("root"),
    };
    return names;
}

DirectoryView *directoryView(QTreeWidget *view)
{
    return qobject_cast<DirectoryView *>(view);
}

} // namespace

FolderTreeItem::FolderTreeItem(QTreeWidget *parent, const QString &name)
    : QTreeWidgetItem(Type), file(name)
{
    readable = QDir(fullName()).isReadable();
    setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    // Added only now, with the name in place, so that a sorted view files the row correctly.
    if (parent)
        parent->addTopLevelItem(this);
}

FolderTreeItem::FolderTreeItem(FolderTreeItem *parent, const QString &name)
    : QTreeWidgetItem(Type), file(name), parentFolder(parent)
{
    readable = QDir(fullName()).isReadable();
    setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    if (parent)
        parent->addChild(this);
    setIcon(readable ? DirectoryView::closedFolderIcon : DirectoryView::lockedFolderIcon);
}

QString FolderTreeItem::fullName() const
{
    if (parentFolder)
        return parentFolder->fullName() + file.fileName() + QLatin1Char('/');
    return file.fileName();
}

void FolderTreeItem::setIcon(const QPixmap *newIcon)
{
    icon = newIcon;
    emitDataChanged();
}

const QPixmap *FolderTreeItem::pixmap(int column) const
{
    return column == 0 ? icon : nullptr;
}

QVariant FolderTreeItem::data(int column, int role) const
{
    if (column == 0) {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return file.fileName();
        if (role == Qt::DecorationRole)
            return icon ? QVariant(*icon) : QVariant();
    }
    return QTreeWidgetItem::data(column, role);
}

void FolderTreeItem::setOpen(bool open)
{
    // A locked folder keeps its lock when closed, so the tree never shows it as readable.
    setIcon(open ? DirectoryView::openFolderIcon
                 : (readable ? DirectoryView::closedFolderIcon : DirectoryView::lockedFolderIcon));

    // The view reports our own expanding and collapsing back to us; ignore that echo.
    DirectoryView *view = directoryView(treeWidget());
    bool notInView = false;
    const QScopedValueRollback<bool> quiet(view ? view->changingRows : notInView, true);

    if (open && childCount() == 0) {
        if (!QDir(fullName()).isReadable()) {
            readable = false;
            setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
            // The view may have expanded the row already when the user asked to open it.
            QTreeWidgetItem::setExpanded(false);
            return;
        }
        readFolder();
    }
    QTreeWidgetItem::setExpanded(open);
}

void FolderTreeItem::readFolder()
{
    QTreeWidget *view = treeWidget();
    const bool updates = view && view->updatesEnabled();
    if (view)
        view->setUpdatesEnabled(false);

    const DirectoryView *tree = directoryView(view);
    // Links to folders count as folders: QDir::Dirs and isDir() both follow links.
    const QDir dir(fullName(), QString(), QDir::Name | QDir::IgnoreCase,
                   QDir::Dirs | QDir::NoDotAndDotDot);
    const QFileInfoList entries = dir.entryInfoList();
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        if (!entry.isDir())
            continue;
        if (hiddenNames().contains(name)
            && !(tree && tree->isOnTheWayIn(fullName() + QLatin1Char('/') + name)))
            continue;
        new FolderTreeItem(this, name);
    }

    if (view)
        view->setUpdatesEnabled(updates);
}
