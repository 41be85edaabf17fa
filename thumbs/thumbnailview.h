#pragma once

#include <QList>
#include <QScrollArea>

class ImageBox;
class ImageListItem;
class QGridLayout;
class Settings;

// The thumbnail grid: two columns of image boxes, one per image of the list, moved through
// with the arrow keys.
class ThumbnailView : public QScrollArea
{
    Q_OBJECT
public:
    ThumbnailView(QWidget *parent, Settings *settings, const char *name = nullptr);

    void addBox(ImageListItem *item, int row, int column);
    void selectBox(int index);
    ImageBox *selectedBox() const;
    ImageBox *findBox(const QString &path) const;
    void removeBox(ImageBox *box);
    void removeImage(const QString &path);
    void clearGrid(bool deleteBoxes);

    int boxCount() const { return int(boxes.size()); }
    ImageBox *boxAt(int index) const { return boxes.at(index); }

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

private:
    void moveFrom(QObject *box, int step);
    // Lays out the boxes added since the grid was last laid out.
    void layoutBoxes();

    Settings *settings; // not owned
    QWidget *container;
    QGridLayout *grid;
    QList<ImageBox *> boxes; // owned; deleted when they leave the list
    quint64 generation = 0; // counts passes and clearings
};
