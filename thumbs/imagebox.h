#pragma once

#include "platform/listedfolder.h"

#include <QDateTime>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <memory>

class ImageListItem;
class Settings;

// One cell of the thumbnail grid: an image's preview in a frame, its name and its size.
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

    ImageBox(QWidget *parent, Settings *settings, ImageListItem *item);

    void setSelected(bool selected);
    bool isSelected() const { return selected; }
    QString imagePath() const { return m_imagePath; }
    QString displayName() const { return m_displayName; }
    QString fileName() const { return m_fileName; }
    int imageWidth() const { return m_imageWidth; }
    int imageHeight() const { return m_imageHeight; }
    bool isThumbLoaded() const { return thumbLoaded; }
    QPixmap pixmap() const { return m_pixmap; }
    // The image's folder as it was when the box was made, with the list.
    const ListedFolder &folder() const { return m_folder; }
    // The list row the box was made for; null once it is deleted.
    ImageListItem *listItem() const { return *item; }

    // What makeThumb() needs, taken from the box and the settings now.
    Thumb thumbRequest() const;
    // Reads the cache or decodes the image; touches no widget, so it runs in any thread.
    static void makeThumb(Thumb &thumb);
    // The cache's part of makeThumb() alone: true when it held a fresh preview.
    static bool readCachedThumb(Thumb &thumb);
    // Shows a made preview and its dimensions, here and in the list, and keeps it in the cache.
    void applyThumb(Thumb thumb);
    // Lets the preview go, keeping the dimensions, until it is shown again; the grid holds
    // only so many previews.
    void releasePreview();
    bool isPreviewReleased() const { return previewReleased; }
    qint64 previewBytes() const;

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
    std::shared_ptr<ImageListItem *> item; // reads null once the list row is deleted
    Settings *settings; // not owned
    QPixmap m_pixmap; // the placeholder icon until the preview comes
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    bool thumbLoaded = false;
    bool previewReleased = false;
    bool selected = false;
    QString m_imagePath;
    QString m_displayName;
    QString m_fileName;
    ListedFolder m_folder;
};
