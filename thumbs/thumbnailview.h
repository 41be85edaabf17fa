#pragma once

#include <QList>
#include <QScrollArea>

class ImageBox;
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

    // Boxes are placed in the order they are added, as many to a row as the view's width takes
    // (row and column are those of the two-column phone layout and are not needed).
    void addBox(ImageListItem *item, int row, int column);
    void selectBox(int index);
    ImageBox *selectedBox() const;
    ImageBox *findBox(const QString &path) const;
    void removeBox(ImageBox *box);
    void removeImage(const QString &path);
    void clearGrid(bool deleteBoxes);

    int boxCount() const { return int(boxes.size()); }
    ImageBox *boxAt(int index) const { return boxes.at(index); }
    qsizetype boxIndex(ImageBox *box) const { return boxes.indexOf(box); }

    // Gives the focus to the selected box, or selects the first; with no boxes, does nothing.
    void setFocus();

public slots:
    // Loads every box's preview in turn, letting events run in between. Clearing the grid, a
    // newer pass or the view's end stops it.
    void loadThumbs();

signals:
    void imageClicked();

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

    Settings *settings; // not owned
    QWidget *container;
    QGridLayout *grid;
    QList<ImageBox *> boxes; // owned; deleted when they leave the list
    quint64 generation = 0; // counts passes and clearings
    int columns = 2;
};
