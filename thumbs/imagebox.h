#pragma once

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

    // The text of the caption band as it is drawn now.
    QString caption() const;
    static QFont captionFont();
    // text, cut to end in "..." when it is wider than width.
    static QString shortenCaption(const QString &text, const QFontMetrics &metrics, int width);

public slots:
    // Shows the image's preview, from the cache when it holds a fresh one, and its dimensions
    // here and in the list. Lets events run: the box may be gone when it returns.
    void loadThumb();

signals:
    void clicked();
    void upPressed();
    void downPressed();
    void leftPressed();
    void rightPressed();

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
    bool selected = false;
    QString m_imagePath;
    QString m_displayName;
    QString m_fileName;
};
