#pragma once

#include "thumbs/imagebox.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QScrollArea>
#include <QSet>

#include <list>
#include <memory>

class ImageListItem;
class QGridLayout;
class Settings;

// The thumbnail grid: columns of image boxes (two on the phone), one per image of the list, moved
// through with the arrow keys.
class ThumbnailView : public QScrollArea
{
    Q_OBJECT
public:
    ThumbnailView(QWidget *parent, Settings *settings, const char *name = nullptr);
    ~ThumbnailView() override;

    // Boxes are placed in the order they are added, as many to a row as the view's width takes
    // (row and column are those of the two-column phone layout and are not needed).
    void addBox(ImageListItem *item, int row, int column);
    void selectBox(int index);
    ImageBox *selectedBox() const;
    ImageBox *findBox(const QString &path) const;
    void removeBox(ImageBox *box);
    void removeImage(const QString &path);
    void clearGrid(bool deleteBoxes);
    // Takes out the boxes of these images at once; a highlight among them goes to the box that
    // takes its place.
    void removeImages(const QSet<QString> &paths);
    // Makes the previews of these images anew, in the workers: their files came or changed.
    void remakePreviews(const QSet<QString> &paths);
    // Puts the boxes in the order of their list rows; boxes of other rows go last.
    void orderBoxes(const QList<ImageListItem *> &items);

    int boxCount() const { return int(boxes.size()); }
    ImageBox *boxAt(int index) const { return boxes.at(index); }
    qsizetype boxIndex(ImageBox *box) const { return boxes.indexOf(box); }

    // Whether a pass is under way: some boxes still wait for their preview.
    bool isLoading() const { return loading; }

    // The most the previews of the boxes may take together; those least recently in sight go
    // first, and come back (from the cache folder, else decoded again) when scrolled to.
    void setPreviewBudget(qint64 bytes) { previewBudget = bytes; }

    // Gives the focus to the selected box, or selects the first; with no boxes, does nothing.
    void setFocus();

public slots:
    // Starts making every box's preview in worker threads and returns at once; the previews
    // are put in the boxes in grid order as they come. Clearing the grid, a newer pass or the
    // view's end stops it.
    void loadThumbs();

signals:
    void imageClicked();
    // Every box of the pass has its preview, or knows it has none.
    void passFinished();

private slots:
    void boxClicked();
    void rightPressed();
    void leftPressed();
    void upPressed();
    void downPressed();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    int fittingColumns() const;
    void placeBoxes();
    void moveFrom(QObject *box, int step);
    // Lays out the boxes added since the grid was last laid out.
    void layoutBoxes();

    struct Inbox;
    // Hands jobs to the workers while fewer than a few per thread are out.
    void feedPass();
    void takeThumb(quint64 pass, int index, ImageBox::Thumb thumb);
    void cancelPass();
    // Lets the workers clear what cut-short cache writes left in the listed folders.
    void removeStaleParts();

    // The viewport and a row above and below it, in the container's coordinates.
    QRect sight() const;
    // The boxes there, in grid order.
    QList<ImageBox *> boxesInSight() const;
    void scheduleRefill();
    // Counts the box's preview as the one most recently shown, then lets the oldest go.
    void keepPreview(ImageBox *box);
    void forget(ImageBox *box);
    void refillInSight();
    void startRefill(ImageBox *box, ImageBox::Thumb thumb);
    void takeRefill(const QPointer<ImageBox> &box, ImageBox::Thumb thumb);

    Settings *settings; // not owned
    QWidget *container;
    QGridLayout *grid;
    QList<ImageBox *> boxes; // owned; deleted when they leave the list
    int columns = 2;
    // Shared with the workers, which hold nothing else of the view.
    std::shared_ptr<Inbox> inbox;
    QList<QPointer<ImageBox>> passBoxes; // null once a box goes
    QMap<int, ImageBox::Thumb> arrived; // made, waiting for the boxes before them
    int submitted = 0;
    int applied = 0;
    bool loading = false;
    // Boxes holding a preview, least recently in sight first.
    struct Held
    {
        std::list<ImageBox *>::iterator at;
        qint64 bytes;
    };
    std::list<ImageBox *> held;
    QHash<ImageBox *, Held> heldAt;
    qint64 heldBytes = 0;
    qint64 previewBudget = 24 * 1024 * 1024;
    QSet<ImageBox *> refilling; // previews being made again
    bool refillPending = false;
};
