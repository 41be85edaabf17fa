#include "app/transfermenu.h"

#include "app/settings.h"
#include "browse/pathchooser.h"

TransferMenu::TransferMenu(const QString &title, Settings *settings, QWidget *parent)
    : QMenu(title, parent), settings(settings)
{
    // Built when opened: the bookmarks change in the settings screen.
    connect(this, &QMenu::aboutToShow, this, &TransferMenu::fill);
    fill();
}

void TransferMenu::fill()
{
    clear();
    for (const Bookmark *bookmark : settings->bookmarks()) {
        const QString folder = bookmark->dir();
        QAction *item
                = addAction(bookmark->name(), this, [this, folder] { emit folderChosen(folder); });
        item->setEnabled(bookmark->exists()); // a card that is out
    }
    if (!settings->bookmarks().isEmpty())
        addSeparator();
    addAction(tr("Choose folder..."), this, [this] {
        const QString folder = choosePath();
        if (!folder.isNull())
            emit folderChosen(folder);
    });
}
