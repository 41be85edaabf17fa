#pragma once

#include <QTreeWidget>

class ImageListItem;

// The flat list of the current folder's images, sorted by name; the master list of the
// images that the thumbnail grid and the slide show are built from.
class ImageListView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit ImageListView(QWidget *parent = nullptr, const char *name = nullptr);
    ~ImageListView() override;

    // The first row in display order whose path is exactly this one, or null.
    ImageListItem *findItemByPath(const QString &path) const;
    // Takes that row out of the list and deletes it; nothing happens when no row matches.
    void removeItemByPath(const QString &path);
    // The rows in display order.
    QList<ImageListItem *> items() const;

    // The tint of every second row.
    static QColor shadeColor() { return QColor(201, 221, 226); }

signals:
    // A row was chosen by a click, by releasing Space or by pressing Return; null when Space
    // found no current row.
    void clicked(QTreeWidgetItem *item);
    // The rows came in another order (sorted by another column, or by a size that came); said
    // once when the event loop next runs, however many times the order changed before.
    void orderChanged();

private:
    void widenColumns(const QModelIndex &from, const QModelIndex &to);

    bool orderPending = false;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
};
