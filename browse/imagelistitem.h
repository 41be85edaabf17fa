#pragma once

#include "browse/imageentry.h"
#include "browse/listedpath.h"
#include "browse/sortorder.h"

#include <QIcon>
#include <QMetaType>

#include <memory>

class ImageListModel;
class ImageListView;

// A row of the image list: an image's file name and its dimensions, 0x0 until known. The
// columns' texts are made from the members when asked for, not stored per row: a folder may
// hold 100,000 images. Owned by the list's model while listed.
class ImageListItem
{
public:
    // Put at its place in list, when one is given.
    ImageListItem(ImageListView *list, const QString &name, const QString &path);
    ~ImageListItem();
    ImageListItem(const ImageListItem &) = delete;
    ImageListItem &operator=(const ImageListItem &) = delete;

    QString name() const { return where.name(); }
    QString path() const { return where.path(); }
    // Whether the row is the image at path; quicker than comparing path().
    bool hasPath(QStringView path) const { return where.is(path); }
    const ListedPath &listedPath() const { return where; }
    bool isShaded() const { return shaded; }
    ImageEntry makeSlideEntry() const { return {name(), path()}; }

    // What the columns show.
    QString text(int column) const;
    QString toolTip(int column) const { return column == 0 ? name() : QString(); }
    QIcon icon(int column) const;
    int textAlignment(int column) const;
    // Shown in place of the column's own text.
    void setText(int column, const QString &text);

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
    void forgetFacts()
    {
        facts.reset();
        factsKey = SortOrder::Name;
    }

    // Holders that may outlive the row (the thumbnail boxes) keep this; it reads null once the
    // row is deleted.
    std::shared_ptr<ImageListItem *> tracker() const { return self; }

private:
    friend class ImageListModel;
    friend class ImageListView;

    ListedPath where;
    ImageListModel *owner = nullptr;
    std::shared_ptr<ImageListItem *> self;
    // Held apart: most lists are in name order and need none.
    std::unique_ptr<SortOrder::Facts> facts;
    int m_width = 0;
    int m_height = 0;
    int m_rank = -1;
    int m_epoch = 0;
    mutable int row = -1; // its place when last numbered
    SortOrder::Key factsKey = SortOrder::Name;
    bool shaded = false; // last painted on the tinted background
};

Q_DECLARE_METATYPE(ImageListItem *)
