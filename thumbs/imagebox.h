#pragma once

#include "browse/listedpath.h"
#include "platform/listedfolder.h"

#include <QDateTime>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <memory>

class ImageListItem;
class Settings;

// One cell of the thumbnail grid: an image's preview in a frame, its name and its size. The
// grid makes boxes only for the rows in sight and moves them from image to image as it scrolls:
// what the grid knows of an image lives in its Picture, which a box shows.
class ImageBox : public QWidget
{
    Q_OBJECT
public:
    // A preview made away from the widget: what it is asked with, by value, and what it gives.
    struct Thumb
    {
        QString path;
        bool useCache = false;
        qint64 threshold = 0; // KB; negative: nothing is stored
        int width = 0; // of the full image; 0 when the file is no picture
        int height = 0;
        QImage preview; // fitted and flattened; null when there is none
        bool fromCache = false;
        QByteArray cacheData; // the cache file to store, when one is due
        bool cacheRead = false; // the cache was looked at already
        qint64 imageSize = 0;
        QDateTime imageTime;
        bool again = false; // a preview let go and made again: no log line, nothing stored
        FileId image; // the file decoded
        FileId folder; // the folder as it was listed
    };

    // One image of the grid, whether a box shows it or not.
    struct Picture
    {
        // folder is shared by the pictures of one folder: a folder may hold 100,000.
        Picture(const ImageListItem *row, std::shared_ptr<const ListedFolder> folder);

        std::shared_ptr<ImageListItem *> item; // reads null once the list row is deleted
        ListedPath where; // shares the row's strings
        QString path() const { return where.path(); }
        const QString &displayName() const { return where.name(); }
        std::shared_ptr<const ListedFolder> folder; // as it was listed
        // Null until made, and once let go: held apart, as only the few in the budget have one.
        std::unique_ptr<QPixmap> preview;
        int width = 0;
        int height = 0;
        int index = -1; // in the grid; -1 once out of it
        int passSlot = -1; // in the grid's pass
        bool previewReleased = false;
        bool selected = false;
        ImageBox *box = nullptr; // the box showing it, if any

        // What makeThumb() needs, taken from the picture and the settings now.
        Thumb request(const Settings *settings) const;
        // See applyThumb(); the box showing it is drawn again. Unless keep, only the size is
        // taken: the preview is let go at once, to come back when it is in sight.
        void apply(Thumb thumb, bool keep = true);
        // Lets the preview go, keeping the dimensions, until it is shown again.
        void release();
        qint64 previewBytes() const;
        bool isThumbLoaded() const { return preview != nullptr; }
    };

    static constexpr int boxWidth = 100;
    static constexpr int boxHeight = 95;

    ImageBox(QWidget *parent, Settings *settings, ImageListItem *item);
    // A box of the grid, showing picture.
    ImageBox(QWidget *parent, Settings *settings, std::shared_ptr<Picture> picture);
    ~ImageBox() override;

    // Shows another image; the box keeps no state of its own.
    void showPicture(std::shared_ptr<Picture> picture);
    const std::shared_ptr<Picture> &picture() const { return m_picture; }

    void setSelected(bool selected);
    bool isSelected() const { return m_picture->selected; }
    QString imagePath() const { return m_picture->path(); }
    QString displayName() const { return m_picture->displayName(); }
    QString fileName() const;
    int imageWidth() const { return m_picture->width; }
    int imageHeight() const { return m_picture->height; }
    bool isThumbLoaded() const { return m_picture->isThumbLoaded(); }
    QPixmap pixmap() const;
    // The image's folder as it was when the box was made, with the list.
    const ListedFolder &folder() const { return *m_picture->folder; }
    // The list row the box was made for; null once it is deleted.
    ImageListItem *listItem() const { return *m_picture->item; }

    // What makeThumb() needs, taken from the box and the settings now.
    Thumb thumbRequest() const { return m_picture->request(settings); }
    // Reads the cache or decodes the image; touches no widget, so it runs in any thread.
    static void makeThumb(Thumb &thumb);
    // The cache's part of makeThumb() alone: true when it held a fresh preview.
    static bool readCachedThumb(Thumb &thumb);
    // Shows a made preview and its dimensions, here and in the list, and keeps it in the cache.
    void applyThumb(Thumb thumb) { m_picture->apply(std::move(thumb)); }
    // Lets the preview go, keeping the dimensions, until it is shown again; the grid holds
    // only so many previews.
    void releasePreview() { m_picture->release(); }
    bool isPreviewReleased() const { return m_picture->previewReleased; }
    qint64 previewBytes() const { return m_picture->previewBytes(); }

    // The text of the caption band as it is drawn now.
    QString caption() const;
    static QFont captionFont();
    // text, with "..." for a cut from its middle when it is wider than width.
    static QString shortenCaption(const QString &text, const QFontMetrics &metrics, int width);

public slots:
    // The three steps above at once, on this thread. Lets events run first: the box may be
    // gone when it returns.
    void loadThumb();

signals:
    void clicked();
    // The highlight came or went.
    void selectionChanged();
    void upPressed();
    void downPressed();
    void leftPressed();
    void rightPressed();
    void homePressed();
    void endPressed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Settings *settings; // not owned
    std::shared_ptr<Picture> m_picture;
};
