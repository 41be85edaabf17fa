#pragma once

#include "browse/imagelistitem.h"
#include "browse/sortorder.h"

#include <QHash>
#include <QSet>
#include <QTreeView>

#include <atomic>
#include <memory>

class ImageListModel;

// The flat list of the current folder's images, sorted by name; the master list of the
// images that the thumbnail grid and the slide show are built from.
class ImageListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ImageListView(QWidget *parent = nullptr, const char *name = nullptr);
    ~ImageListView() override;

    ImageListModel *listModel() const { return rows; }

    // The rows as a tree widget gives them, by their place in display order.
    int topLevelItemCount() const;
    ImageListItem *topLevelItem(int row) const;
    int indexOfTopLevelItem(const ImageListItem *item) const;
    QModelIndex indexFromItem(const ImageListItem *item, int column = 0) const;
    // Puts the rows in, in one insertion: at their places in the order while sorting (a batch
    // already in order goes in as it is), else after the others.
    void addTopLevelItems(const QList<ImageListItem *> &items);
    // At that place when not sorting, else at its place in the order.
    void insertTopLevelItem(int row, ImageListItem *item);
    // Out of the list, to the caller.
    ImageListItem *takeTopLevelItem(int row);
    void clear();
    ImageListItem *currentItem() const;
    void setCurrentItem(ImageListItem *item);
    bool isItemSelected(const ImageListItem *item) const;
    void setItemSelected(const ImageListItem *item, bool selected);
    void scrollToItem(const ImageListItem *item);
    // Whether rows are kept in the order: when not, they stay as they were put in.
    void setSortingEnabled(bool enable);
    void sortItems(int column, Qt::SortOrder order);
    int sortColumn() const;

    // The first row in display order whose path is exactly this one, or null.
    ImageListItem *findItemByPath(const QString &path) const;
    // Takes that row out of the list and deletes it; nothing happens when no row matches.
    void removeItemByPath(const QString &path);
    // Removes and deletes the rows of these paths.
    void removeItemsByPath(const QSet<QString> &paths);
    // The rows in display order.
    QList<ImageListItem *> items() const;

    // The order of the rows when sorting is on; the facts it needs are read in a worker
    // thread and the rows sorted again as they come.
    void setOrder(const SortOrder &order);
    const SortOrder &order() const;
    // The files of these rows changed in place: their facts are read again, and the rows sorted.
    void readFactsAgain(const QSet<QString> &paths);
    // Whether facts for the order are still being read.
    bool isReadingFacts() const { return readingFacts; }
    // Files read for facts by every list so far: each should be read once.
    static qint64 filesReadForFacts();

    // Said by a row whose dimensions changed: its size column is drawn again, and the row
    // moved when the list sorts by it.
    void sizeShown(ImageListItem *item);

    // The tint of every second row.
    static QColor shadeColor() { return QColor(201, 221, 226); }

signals:
    // A row was chosen by a click, by releasing Space or by pressing Return; null when Space
    // found no current row.
    void clicked(ImageListItem *item);
    // The rows came in another order (sorted by another column, by a size that came, or rows
    // put in between others); said once when the event loop next runs, however many times
    // the order changed before.
    void orderChanged();
    // The facts of every row are read and the rows sorted by them.
    void factsRead();

private:
    void widenColumns(const QModelIndex &from, const QModelIndex &to);
    void announceOrder();

    // Starts a worker on the rows lacking the order's facts.
    void readFacts();
    // The facts read for these rows, in the order they were asked for.
    void takeFacts(quint64 generation, SortOrder::Key key,
                   const QList<std::shared_ptr<ImageListItem *>> &asked,
                   const QList<SortOrder::Facts> &facts);

    ImageListModel *rows = nullptr;
    bool orderPending = false;
    bool readingFacts = false;
    bool factsPending = false;
    // Rows whose files changed while their facts were being read: what comes is old.
    QHash<const ImageListItem *, std::shared_ptr<ImageListItem *>> factsStale;
    std::shared_ptr<std::atomic<quint64>> generation = std::make_shared<std::atomic<quint64>>(0);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
};
