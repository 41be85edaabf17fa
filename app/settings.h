#pragma once

#include "app/bookmark.h"

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// Owns its entries: removing, clearing or destroying the list deletes them.
class BookmarkList : public QList<Bookmark *>
{
public:
    BookmarkList() = default;
    ~BookmarkList() { clear(); }
    BookmarkList(const BookmarkList &) = delete;
    BookmarkList &operator=(const BookmarkList &) = delete;

    void clear();
    void removeAt(qsizetype i);
    bool removeOne(Bookmark *bookmark);
    Bookmark *takeAt(qsizetype i) { return QList<Bookmark *>::takeAt(i); }
};

// The user's preferences and bookmarks, kept in pictarn.cfg.
class Settings
{
public:
    Settings() = default;
    ~Settings() = default;
    Settings(const Settings &) = delete;
    Settings &operator=(const Settings &) = delete;

    // screen: the size whose shape picks the defaults; the primary screen's when empty.
    void load(QSize screen = QSize());
    void save();

    int slideDelay() const { return m_slideDelay; }
    void setSlideDelay(int value) { m_slideDelay = value; }
    int view() const { return m_view; }
    void setView(int value) { m_view = value; }
    int thumbFileSize() const { return m_thumbFileSize; }
    void setThumbFileSize(int value) { m_thumbFileSize = value; }
    bool rotateInSlide() const { return m_rotateInSlide; }
    void setRotateInSlide(bool value) { m_rotateInSlide = value; }
    bool imageFullScreen() const { return m_imageFullScreen; }
    void setImageFullScreen(bool value) { m_imageFullScreen = value; }
    bool rotateBestFit() const { return m_rotateBestFit; }
    void setRotateBestFit(bool value) { m_rotateBestFit = value; }
    bool controlBarInSlide() const { return m_controlBarInSlide; }
    void setControlBarInSlide(bool value) { m_controlBarInSlide = value; }
    bool saveThumbnails() const { return m_saveThumbnails; }
    void setSaveThumbnails(bool value) { m_saveThumbnails = value; }
    bool showExtension() const { return m_showExtension; }
    void setShowExtension(bool value) { m_showExtension = value; }
    // The list's order, as SortOrder::toNumber() gives it.
    int sortOrder() const { return m_sortOrder; }
    void setSortOrder(int value) { m_sortOrder = value; }
    bool showDimension() const { return m_showDimension; }
    void setShowDimension(bool value) { m_showDimension = value; }
    // The photo frame the program starts as: its folders (one a line), their subfolders,
    // the order (0 shuffled, 1 newest first), the crossfade and the dark hours.
    bool frame() const { return m_frame; }
    void setFrame(bool value) { m_frame = value; }
    QString frameFolders() const { return m_frameFolders; }
    void setFrameFolders(const QString &value) { m_frameFolders = value; }
    bool frameRecursive() const { return m_frameRecursive; }
    void setFrameRecursive(bool value) { m_frameRecursive = value; }
    int frameOrder() const { return m_frameOrder; }
    void setFrameOrder(int value) { m_frameOrder = value; }
    bool frameCrossfade() const { return m_frameCrossfade; }
    void setFrameCrossfade(bool value) { m_frameCrossfade = value; }
    QString frameBlank() const { return m_frameBlank; }
    void setFrameBlank(const QString &value) { m_frameBlank = value; }
    int numBookmarks() const { return m_numBookmarks; }
    void setNumBookmarks(int value) { m_numBookmarks = value; }

    // Where the user was when the program last ended: the folders listed, and the main
    // window's geometry on a desktop (QWidget::saveGeometry(); empty when unknown).
    QStringList lastFolders() const { return m_lastFolders; }
    void setLastFolders(const QStringList &folders) { m_lastFolders = folders; }
    QByteArray windowGeometry() const { return m_windowGeometry; }
    void setWindowGeometry(const QByteArray &geometry) { m_windowGeometry = geometry; }

    BookmarkList &bookmarks() { return m_bookmarks; }
    void addBookmark(Bookmark *bookmark) { m_bookmarks.append(bookmark); }

    // More than this many entries is taken for a damaged count, not a bookmark list.
    static constexpr int maxBookmarks = 1000;

private:
    void loadBookmarks();

    int m_slideDelay = 2;
    int m_view = 0;
    int m_thumbFileSize = 30;
    bool m_rotateInSlide = true;
    bool m_imageFullScreen = false;
    bool m_rotateBestFit = false;
    bool m_controlBarInSlide = true;
    bool m_saveThumbnails = true;
    bool m_showExtension = false;
    bool m_showDimension = true;
    int m_sortOrder = 0;
    bool m_frame = false;
    QString m_frameFolders;
    bool m_frameRecursive = false;
    int m_frameOrder = 0;
    bool m_frameCrossfade = true;
    QString m_frameBlank;
    int m_numBookmarks = 0;
    QStringList m_lastFolders;
    QByteArray m_windowGeometry;
    BookmarkList m_bookmarks;
};
