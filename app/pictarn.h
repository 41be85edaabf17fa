#pragma once

#include "app/trash.h"
#include "browse/imageentry.h"
#include "platform/listedfolder.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class Bookmark;
class BookmarkMenu;
class FolderLister;
class FolderWatcher;
class ImageListItem;
class ImageListView;
class ImageViewer;
class QAction;
class QMenu;
class QStackedWidget;
class QToolBar;
class QToolButton;
class Settings;
class UndoBar;
class SortMenu;
class ThumbnailView;

// The main window: the tool bar with its menus over the two views of the listed images.
class Pictarn : public QMainWindow
{
    Q_OBJECT
public:
    explicit Pictarn(QWidget *parent = nullptr, const char *name = nullptr,
                     Qt::WindowFlags flags = {});
    ~Pictarn() override;

public slots:
    void setDocument(const QString &document);
    void cardMessage(const QByteArray &message, const QByteArray &data);
    void showImage(QString path);
    // Lists what the command line names: folders as bookmarks list them; one image with its
    // folder, opened; several images alone, in the order given. Other paths are reported.
    void openPaths(const QStringList &paths);
    // Lists the folders listed when the program last ended that still exist.
    void openLastFolders();

private slots:
    void load();
    void switchThumbnailView();
    void switchListView();
    void showBookmarkMenu();
    void setFullScreen();
    void showImageFullScreen();
    void bookmarkSelected(Bookmark &bookmark);
    void documentsSelected();
    void showSettingsDialog();
    void listItemClicked(ImageListItem *item);
    void renameImage();
    void deleteImage();
    // Moves or copies the selected image into folder.
    void transferImage(const QString &folder, bool copy);
    // Takes back the last delete, rename, move or copy.
    void undo();
    // The same from the viewer, which then shows the picture put back.
    void undoInViewer();
    void startSlideShow();
    void open();
    void thumbClicked();
    void followViewer(const QString &path);
    void moveall();
    void About();

private:
    // A phone's screen, which the window fills; anything larger is a desktop.
    bool onSmallScreen() const;
    QStringList listedImages() const;
    // Each acts on the image at path, called name in the views, with its questions over asker;
    // true (the new path for a rename or a move) when it was done.
    bool deletePath(const QString &name, const QString &path, QWidget *asker);
    QString renamePath(const QString &name, const QString &path, QWidget *asker);
    QString transferPath(const QString &path, const QString &folder, bool copy, QWidget *asker);
    // Takes the image out of both views; the next one takes the highlight.
    void dropFromViews(const QString &path);
    // Delete, rename, move and copy in the viewer and on its full-screen surface.
    void addViewerActions();
    // Lists the folder again after a rename took from to to, and the images named one by one
    // with it under its new name.
    void relist(const QString &from, const QString &to);
    friend class tst_MainRoad;
    friend class tst_Robustness;
    friend class tst_Language;

    // Lists the folder's images into both views, beside those already listed.
    void loadFolder(const QString &path);
    // The same for several folders at once. Small folders are listed before it returns, as
    // they always were; the rest are listed in a worker and come in slices.
    void listFolders(const QStringList &paths);
    // A slice of the worker's listing, put in both views.
    void takeImages(const QStringList &names, const QStringList &paths, int rank, int epoch);
    void listingFinished();
    // Highlights the image named on the command line once it is listed.
    void highlightPending();
    // Lists these images alone, in this order, in both views.
    void listImages(const QStringList &paths);
    // Builds the grid from the list and selects the first image in both views.
    void fillViews();
    // Names the listed folder in the title, or how many there are.
    void updateTitle();
    // The file name and full path of the selected image of the shown view; false when none.
    bool selectedImage(QString &name, QString &path) const;
    // Puts what another program did to the listed images into both views, keeping the
    // highlighted image and where each view is scrolled to.
    void applyFolderChanges(const QStringList &added, const QStringList &removed,
                            const QStringList &changed);
    // Whether the views hold the documents folder and nothing else.
    bool documentsShown() const;

    QString currentFolder;
    QString currentImage;
    QList<ImageEntry> slideList;
    // The viewer's and the slide show's lists, made from the rows when first asked for after
    // the rows changed, and shared (not copied) until they change again.
    mutable std::optional<QStringList> viewerList;
    bool slideListCurrent = false;
    QToolBar *toolBar = nullptr;
    QToolButton *thumbViewButton = nullptr;
    QToolButton *listViewButton = nullptr;
    QToolButton *bookmarkButton = nullptr;
    QStackedWidget *viewStack = nullptr;
    ThumbnailView *thumbnailView = nullptr;
    ImageListView *imageListView = nullptr;
    QMenu *settingsMenu = nullptr;
    BookmarkMenu *bookmarkMenu = nullptr;
    Bookmark *currentBookmark = nullptr; // not owned: an entry of the settings' bookmark list
    std::unique_ptr<Settings> settings;
    bool documentMode = false;
    ImageViewer *imageViewer = nullptr;

    QStringList listedFolders; // the folders listed since the views were last emptied
    QSet<QString> listedFolderKeys; // their clean and canonical paths
    QStringList givenImages; // images listed one by one, in their order, since then
    FolderWatcher *folderWatcher = nullptr;
    FolderLister *folderLister = nullptr;
    QString pendingImage;
    QMenu *mainMenu = nullptr;
    SortMenu *sortMenu = nullptr;
    QAction *fullScreenItem = nullptr; // "Full screen ", id 0 of the settings menu

    // The last delete or rename, as Undo needs it.
    struct Change
    {
        QString path; // before
        QString now; // after; empty when trashed
        std::optional<Trash::Entry> trashed;
        ListedFolder folder;
        int listIndex = -1;
        int givenAt = -1; // in the images named one by one
        bool moved = false; // into another folder, under its name
        std::optional<FileId> copy; // a copy made at now, which Undo removes
    };
    std::optional<Change> lastChange;
    UndoBar *undoBar = nullptr;
};
