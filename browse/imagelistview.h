#pragma once

#include "browse/sortorder.h"

#include <QTreeWidget>

#include <atomic>
#include <memory>

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

    // The order of the rows when sorting is on; the facts it needs are read in a worker
    // thread and the rows sorted again as they come.
    void setOrder(const SortOrder &order);
    const SortOrder &order() const { return m_order; }
    // Whether facts for the order are still being read.
    bool isReadingFacts() const { return readingFacts; }

    // Said by a row whose dimensions changed: its size column is drawn again, and sorted
    // again when the list sorts by it, as a text set there would be.
    void sizeShown(ImageListItem *item);

    // The tint of every second row.
    static QColor shadeColor() { return QColor(201, 221, 226); }

signals:
    // A row was chosen by a click, by releasing Space or by pressing Return; null when Space
    // found no current row.
    void clicked(QTreeWidgetItem *item);
    // The rows came in another order (sorted by another column, or by a size that came); said
    // once when the event loop next runs, however many times the order changed before.
    void orderChanged();
    // The facts of every row are read and the rows sorted by them.
    void factsRead();

private:
    void widenColumns(const QModelIndex &from, const QModelIndex &to);

    // Starts a worker on the rows lacking the order's facts.
    void readFacts();
    void takeFacts(quint64 generation, SortOrder::Key key,
                   const QHash<QString, SortOrder::Facts> &facts);

    bool orderPending = false;
    SortOrder m_order;
    bool readingFacts = false;
    bool factsPending = false;
    std::shared_ptr<std::atomic<quint64>> generation = std::make_shared<std::atomic<quint64>>(0);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
};
