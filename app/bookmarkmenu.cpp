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
    // Rebuilt while open (a card came or went): the highlighted entry stays highlighted, so
    // that Return still chooses it rather than the first entry.
    const QAction *active = isVisible() ? activeAction() : nullptr;
    const int activeId = active ? active->data().toInt() : -1;
    const QString activeText = active ? active->text() : QString();
    clear();
    QAction *documents = addAction(QIcon(QPixmap(QStringLiteral("image/DocsIcon.png"))),
                                   QString::fromUtf8("我的图像"));
    documents->setData(0);
    documents->setEnabled(QFileInfo(Folders::documents()).isDir());
    const BookmarkList &bookmarks = settings->bookmarks();
    if (!bookmarks.isEmpty())
        addSeparator();
    for (int k = 1; k <= bookmarks.size(); ++k) {
        const Bookmark *bookmark = bookmarks.at(k - 1);
        QAction *action = addAction(bookmark->name());
        action->setData(k);
        action->setEnabled(bookmark->exists());
    }
    if (QAction *again = item(activeId); again && again->text() == activeText)
        setActiveAction(again);
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
