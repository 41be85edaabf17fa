#pragma once

#include <QFile>
#include <QTreeWidgetItem>

class QPixmap;
class QTreeWidget;

// A folder row of the folder tree. Its subfolders are read from the disk the first time the
// row is opened, so that storage the user never visits costs nothing.
class FolderTreeItem : public QTreeWidgetItem
{
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;

    // A root row, appended to the view; name is the full root path, such as "/".
    FolderTreeItem(QTreeWidget *parent, const QString &name);
    // A subfolder row under parent; name is the bare folder name.
    FolderTreeItem(FolderTreeItem *parent, const QString &name);

    // The folder's path; ends with "/" for every row below a root.
    QString fullName() const;
    bool isReadable() const { return readable; }

    void setIcon(const QPixmap *icon);
    const QPixmap *pixmap(int column) const;

    // Opening reads the subfolders if the row has none yet; an unreadable folder stays closed
    // and loses its expander.
    void setOpen(bool open);

    QVariant data(int column, int role) const override;

private:
    void readFolder();

    QFile file; // holds the name given at construction
    FolderTreeItem *parentFolder = nullptr;
    bool readable = false;
    const QPixmap *icon = nullptr; // shared by the views, not owned
};
