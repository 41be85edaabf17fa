#pragma once

#include "browse/sortorder.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>

#include <algorithm>

class ImageListItem;

// The rows of the image list, names and sizes, one small object each: a folder may hold 100,000
// images. Owns its rows; a row's pointer stays while it is listed. While sorting, rows that come
// are put at their place in the order; a batch already in order goes in as one insertion.
class ImageListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ImageListModel(QObject *parent = nullptr);
    ~ImageListModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Sorts only when the rows are out of that order, and keeps the selection with its rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    const QList<ImageListItem *> &items() const { return rows; }
    ImageListItem *item(int row) const
    {
        return row >= 0 && row < rows.size() ? rows.at(row) : nullptr;
    }
    // The row's place, or -1 when it is not listed here.
    int rowOf(const ImageListItem *item) const;
    QModelIndex indexOf(const ImageListItem *item, int column = 0) const;

    // Takes the rows in: at their places in the order while sorting, else at the end.
    void add(QList<ImageListItem *> items);
    // At that place when not sorting.
    void insert(int row, ImageListItem *item);
    // Out of the list, to the caller.
    ImageListItem *take(int row);
    // Removes and deletes the rows that match, in runs.
    template<typename Match>
    void removeIf(Match match);
    void clear();

    // Whether rows that come are put at their place in the order.
    void setSorting(bool on) { sorting = on; }
    void setOrder(const SortOrder &order) { m_order = order; }
    const SortOrder &order() const { return m_order; }
    int sortColumn() const { return m_column; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Forward order of the column sorted by; and the order the rows are shown in.
    bool lessThan(const ImageListItem *a, const ImageListItem *b) const;
    bool precedes(const ImageListItem *a, const ImageListItem *b) const
    {
        return m_sortOrder == Qt::AscendingOrder ? lessThan(a, b) : lessThan(b, a);
    }

    // One icon shared by every row.
    static const QIcon &rowIcon();

    // These rows' keys changed, the others' did not: they are put at their places among the
    // others, keeping the selection with its rows.
    void replace(const QList<ImageListItem *> &changed);

    // Said by a row whose size changed: drawn again, and moved when the list sorts by it.
    void sizeChanged(ImageListItem *item);
    // A text a caller gives a column of a row in place of its own.
    void setText(const ImageListItem *item, int column, const QString &text);
    QString ownText(const ImageListItem *item, int column) const;

signals:
    // Rows were put somewhere else than at the end, or moved.
    void placed();

private:
    friend class ImageListItem;
    // Said by a row being deleted while listed.
    void forget(ImageListItem *item);
    void removeRun(int first, int last);
    // The rows in this order, the same rows.
    void reorder(QList<ImageListItem *> order);
    void renumberFrom(int row) const { numbered = std::min(numbered, row); }

    QList<ImageListItem *> rows;
    // Rows above this one know their place; those below are numbered again when asked.
    mutable int numbered = 0;
    SortOrder m_order;
    int m_column = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool sorting = false;
    QHash<const ImageListItem *, QString> ownTexts[2];
};

template<typename Match>
void ImageListModel::removeIf(Match match)
{
    // From the end: what is left to look at keeps its places.
    for (int last = int(rows.size()) - 1; last >= 0; --last) {
        if (!match(rows.at(last)))
            continue;
        int first = last;
        while (first > 0 && match(rows.at(first - 1)))
            --first;
        removeRun(first, last);
        last = first;
    }
}
