#pragma once

#include "browse/imageentry.h"
#include "browse/listedpath.h"
#include "browse/sortorder.h"

#include <QTreeWidgetItem>

#include <memory>

// A row of the image list: an image's file name and its dimensions, 0x0 until known. The
// columns' texts are made from the members when asked for, not stored per row: a folder may
// hold 100,000 images.
class ImageListItem : public QTreeWidgetItem
{
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 2;

    ImageListItem(QTreeWidget *parent, const QString &name, const QString &path);
    ~ImageListItem() override;

    QString name() const { return where.name(); }
    QString path() const { return where.path(); }
    // Whether the row is the image at path; quicker than comparing path().
    bool hasPath(QStringView path) const { return where.is(path); }
    const ListedPath &listedPath() const { return where; }
    bool isShaded() const { return shaded; }
    ImageEntry makeSlideEntry() const { return {name(), path()}; }

    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant &value) override;

    // Shows the image's dimensions in the second column.
    void setDimensions(int width, int height);
    int imageWidth() const { return m_width; }
    int imageHeight() const { return m_height; }

    // Rows listed together in their natural order carry their place in it, and compare by it.
    void setRank(int rank, int epoch)
    {
        m_rank = rank;
        m_epoch = epoch;
    }

    // What the list's order compares besides the name, and the key it was read for.
    void setFacts(SortOrder::Key key, const SortOrder::Facts &facts);
    bool hasFactsFor(SortOrder::Key key) const { return key == SortOrder::Name || factsKey == key; }

    // Names by the list's order; sizes by their number of pixels, then by name.
    bool operator<(const QTreeWidgetItem &other) const override;

    // Holders that may outlive the row (the thumbnail boxes) keep this; it reads null once the
    // row is deleted.
    std::shared_ptr<ImageListItem *> tracker() const { return self; }

private:
    friend class ImageListView;

    ListedPath where;
    int m_width = 0;
    int m_height = 0;
    int m_rank = -1;
    int m_epoch = 0;
    // Held apart: most lists are in name order and need none.
    std::unique_ptr<SortOrder::Facts> facts;
    SortOrder::Key factsKey = SortOrder::Name;
    bool shaded = false; // last painted on the tinted background
    bool textsStored = false; // a caller set a text or role of its own: all are kept by the base
    std::shared_ptr<ImageListItem *> self;
};
