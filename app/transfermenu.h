#pragma once

#include <QMenu>

class Settings;

// "Move to" or "Copy to": the bookmarks' folders, then "Choose folder..." for any other.
class TransferMenu : public QMenu
{
    Q_OBJECT
public:
    TransferMenu(const QString &title, Settings *settings, QWidget *parent);

signals:
    // A folder was picked, from a bookmark or the chooser.
    void folderChosen(const QString &folder);

private:
    void fill();

    Settings *settings; // not owned
};
