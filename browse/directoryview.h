#pragma once

#include <QTreeWidget>

class QPixmap;

// A tree of the device's folders in which the user picks one. A tap selects a row, a double
// tap or Return chooses it; folders are read lazily by their FolderTreeItem rows.
class DirectoryView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit DirectoryView(QWidget *parent = nullptr, const char *name = nullptr);

    // The row's path from the texts of the row and its ancestors, without a trailing "/".
    QString fullPath(QTreeWidgetItem *item) const;

    // The folders the user must be able to reach (the home and documents folders by default):
    // a folder on the way to one of them shows even under a hidden name.
    void setWaysIn(const QStringList &folders);
    bool isOnTheWayIn(const QString &path) const;

    // Shared by every view of the process; loaded by the first view and kept to the end.
    static const QPixmap *lockedFolderIcon;
    static const QPixmap *closedFolderIcon;
    static const QPixmap *openFolderIcon;

public slots:
    // Opens the tree along path and makes the last folder found the current row.
    void setDir(const QString &path);

signals:
    void folderSelected(const QString &path);

protected slots:
    void slotFolderSelected(QTreeWidgetItem *item);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class FolderTreeItem;

    void rowExpanded(QTreeWidgetItem *item);
    void rowCollapsed(QTreeWidgetItem *item);
    bool onExpander(QTreeWidgetItem *item, const QPoint &pos) const;

    bool changingRows = false; // a row is being opened or closed by its own setOpen()
    QStringList waysIn; // clean paths, each with a trailing "/"
};
