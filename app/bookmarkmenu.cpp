#include "app/bookmarkmenu.h"

#include "app/settings.h"
#include "platform/folders.h"

#include <QFileInfo>

#include <QPointer>

BookmarkMenu::BookmarkMenu(QWidget *parent, Settings *settings) : QMenu(parent), settings(settings)
{
    load();
}

void BookmarkMenu::load()
{
    const BookmarkList &bookmarks = settings->bookmarks();
    // A card came or went: only the entries' state changes. Rebuilding an open menu would
    // shrink its window for a moment; the window system then reports the pointer leaving it,
    // which drops the highlight, and Return would choose another entry.
    if (item(bookmarks.size()) && !item(bookmarks.size() + 1)) {
        item(0)->setEnabled(QFileInfo(Folders::documents()).isDir());
        for (int k = 1; k <= bookmarks.size(); ++k) {
            item(k)->setText(bookmarks.at(k - 1)->name());
            item(k)->setEnabled(bookmarks.at(k - 1)->exists());
        }
        return;
    }
    clear();
    QAction *documents
            = addAction(QIcon(QPixmap(QStringLiteral("image/DocsIcon.png"))), tr("我的图像"));
    documents->setData(0);
    documents->setEnabled(QFileInfo(Folders::documents()).isDir());
    if (!bookmarks.isEmpty())
        addSeparator();
    for (int k = 1; k <= bookmarks.size(); ++k) {
        QAction *action = addAction(QString());
        action->setData(k);
    }
    load();
}

QAction *BookmarkMenu::item(int id) const
{
    for (QAction *action : actions()) {
        if (!action->isSeparator() && action->data().toInt() == id)
            return action;
    }
    return nullptr;
}

void BookmarkMenu::popupMenu(const QPoint &pos)
{
    const QPointer<BookmarkMenu> self(this);
    QAction *chosen = exec(pos);
    if (!self || !chosen)
        return;
    choose(chosen->data().toInt());
}

void BookmarkMenu::choose(int id)
{
    if (id == 0) {
        emit documentsSelected();
        return;
    }
    // The list may have been rebuilt while the menu was open.
    if (id >= 1 && id <= settings->bookmarks().size())
        emit bookmarkSelected(*settings->bookmarks().at(id - 1));
}
