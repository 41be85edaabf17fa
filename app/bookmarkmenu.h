#pragma once

#include <QMenu>

class Bookmark;
class Settings;

// The menu under the "Bookmarks" button: the documents folder, then the user's bookmarks,
// each enabled only while its folder exists.
class BookmarkMenu : public QMenu
{
    Q_OBJECT
public:
    BookmarkMenu(QWidget *parent, Settings *settings);

    // The item with that id (0: documents, k: bookmark k), or null.
    QAction *item(int id) const;

public slots:
    void load();
    void popupMenu(const QPoint &pos);

signals:
    void bookmarkSelected(Bookmark &bookmark);
    void documentsSelected();

private:
    void choose(int id);

    Settings *settings; // not owned
};
