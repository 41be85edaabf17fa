#pragma once

#include "thumbs/imagebox.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QScrollArea>
#include <QSet>

#include <list>
#include <memory>

class ImageListItem;
class Settings;

// The thumbnail grid: columns of image boxes (two on the phone), one per image of the list, moved
// through with the arrow keys. Boxes are made only for the rows in sight and a few beyond, and
// move from image to image as the grid scrolls; a box asked for elsewhere (boxAt(), findBox(),
// the highlight) is made or moved there, and may show another image after the grid scrolls
// far, unless it holds the highlight.
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

    // One box for each image, though not every one is a widget at all times.
    int boxCount() const { return int(pictures.size()); }
    ImageBox *boxAt(int index) const;
    qsizetype boxIndex(ImageBox *box) const;
    // The box widgets there are now, however many images: what the grid costs.
    int madeBoxes() const { return int(boxes.size()); }

    // Whether a pass is under way: some boxes still wait for their preview.
    bool isLoading() const { return loading; }

    // The most the previews of the boxes may take together; those least recently in sight go
    // first, and come back (from the cache folder, else decoded again) when scrolled to.
    void setPreviewBudget(qint64 bytes) { previewBudget = bytes; }

    // Gives the focus to the selected box, or selects the first; with no boxes, does nothing.
    void setFocus();

public slots:
    // Starts making every box's preview in worker threads and returns at once: those in sight
    // first, then those ahead in the way the grid last scrolled, then the rest. With the trace
    // on, in grid order, as its lines say. Clearing the grid, a newer pass or the view's end
    // stops it.
    void loadThumbs();
    // Takes the boxes added since into the pass under way, or starts one.
    void continuePass();

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
    void showEvent(QShowEvent *event) override;

private:
    using Picture = ImageBox::Picture;

    int fittingColumns() const;
    // Sizes the grid for its images and puts boxes on the rows in sight.
    void layoutBoxes();
    void scheduleLayout();
    void placeInSight();
    // The box showing the image at index, made or taken from an image out of sight.
    ImageBox *bind(int index) const;
    QPoint cellPosition(int index) const;
    void renumber(int from = 0);
    void moveFrom(QObject *box, int step);

    struct Inbox;
    // Hands jobs to the workers while fewer than a few per thread are out.
    void feedPass();
    // The next image of the pass to make a preview of; -1 when none is left.
    int nextInPass();
    void takeThumb(quint64 pass, int slot, ImageBox::Thumb thumb);
    void applyPass(int slot, ImageBox::Thumb thumb);
    void cancelPass();
    // Lets the workers clear what cut-short cache writes left in the listed folders.
    void removeStaleParts();

    // The images on the rows of the viewport and one row above and below it.
    std::pair<int, int> sight() const;
    bool inSight(const Picture *picture) const;
    void scheduleRefill();
    // Counts the preview as the one most recently shown, then lets the oldest go.
    void keepPreview(Picture *picture);
    void forget(Picture *picture);
    void refillInSight();
    void startRefill(const std::shared_ptr<Picture> &picture, ImageBox::Thumb thumb);
    void takeRefill(const std::weak_ptr<Picture> &picture, ImageBox::Thumb thumb);
    void dropPicture(std::shared_ptr<Picture> picture);

    Settings *settings; // not owned
    QWidget *container;
    QList<std::shared_ptr<Picture>> pictures; // in grid order
    mutable QList<ImageBox *> boxes; // owned; each shows one image
    mutable std::weak_ptr<Picture> selectedHint; // the last one highlighted
    int selectedCount = 0;
    int columns = 2;
    bool layoutPending = false;
    // A box highlighted while the grid was hidden, its scroll range not yet set: brought into
    // sight when the grid shows.
    bool revealOnShow = false;
    int lastScroll = 0;
    bool scrollingUp = false;
    // Shared with the workers, which hold nothing else of the view.
    std::shared_ptr<Inbox> inbox;
    // Not owners: a picture that goes while in the pass is kept in passGone until it ends.
    QList<Picture *> passPictures; // index -1 once an image goes
    QList<std::shared_ptr<Picture>> passGone;
    QList<std::shared_ptr<Picture>> addedSincePass;
    std::vector<bool> passSubmitted;
    QMap<int, ImageBox::Thumb> arrived; // made, waiting for the boxes before them
    bool inOrder = false; // the trace is on: the pass goes in grid order
    int submitted = 0;
    int applied = 0;
    int restAt = 0; // the pass has handed out every slot before this one
    bool sightDone = false; // every image in sight, and ahead, is handed out
    bool loading = false;
    // Previews held, least recently in sight first.
    struct Held
    {
        std::list<Picture *>::iterator at;
        qint64 bytes;
    };
    std::list<Picture *> held;
    QHash<Picture *, Held> heldAt;
    qint64 heldBytes = 0;
    // About 850 previews of 80x60, a hundred screens: the rest of a folder's 100,000 images is
    // read again from .ptthumbs when it comes in sight.
    qint64 previewBudget = 16 * 1024 * 1024;
    QSet<Picture *> refilling; // previews being made again
    bool refillPending = false;
};
