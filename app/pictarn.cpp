#include "app/pictarn.h"

#include "app/bookmarkmenu.h"
#include "app/fileoperations.h"
#include "app/keyshelp.h"
#include "app/settings.h"
#include "app/transfermenu.h"
#include "app/trash.h"
#include "app/undobar.h"
#include "browse/folderlister.h"
#include "browse/folderwatcher.h"
#include "browse/imagefiles.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "browse/pathchooser.h"
#include "browse/sortmenu.h"
#include "platform/accessibility.h"
#include "platform/folders.h"
#include "platform/qcopchannel.h"
#include "platform/res_icon_reader.h"
#include "platform/zbasedialog.h"
#include "platform/zmessagebox.h"
#include "platform/zpushbutton.h"
#include "resources/iconset.h"
#include "settings/settingsdialog.h"
#include "slideshow/slideshow.h"
#include "thumbs/imagebox.h"
#include "thumbs/takendate.h"
#include "thumbs/thumbnailcache.h"
#include "thumbs/thumbnailview.h"
#include "viewer/imageviewer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace {
// The data directory's pictures that could not be read, said once on standard error.
QStringList missingPictures;

QPixmap dataPicture(const QString &path)
{
    const QPixmap pixmap(path);
    if (pixmap.isNull() && !missingPictures.contains(path))
        missingPictures << path;
    return pixmap;
}

// A tool without its picture shows an empty face of the same size: its text would widen it
// and push the last tools off a narrow screen.
QIcon toolIcon(const QPixmap &pixmap, const QToolBar *toolBar)
{
    if (!pixmap.isNull())
        return QIcon(pixmap);
    QPixmap blank(toolBar->iconSize());
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

QToolButton *addToolButton(QToolBar *toolBar, const QPixmap &pixmap, const QString &text = {},
                           const QString &tip = {})
{
    auto *button = new QToolButton(toolBar);
    button->setIcon(toolIcon(pixmap, toolBar));
    button->setText(text);
    Accessibility::describe(button, text.isEmpty() ? tip : text);
    button->setAutoRaise(true);
    toolBar->addWidget(button);
    return button;
}

// The image's folder as it was listed: its box took it when the grid was filled.
ListedFolder listedFolder(const ThumbnailView *view, const QString &path)
{
    const ImageBox *box = view->findBox(path);
    return box ? box->folder() : ListedFolder::holding(path);
}

void attachMenu(QToolButton *button, QMenu *menu)
{
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    // The arrow of a menu button would push the last tool off a 240-pixel screen.
    button->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0; }"));
}
} // namespace

Pictarn::Pictarn(QWidget *parent, const char *name, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setWindowTitle(tr("Pictarn"));
    setWindowIcon(QIcon(QStringLiteral("pictarn.png")));

    toolBar = new QToolBar(this);
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(18, 18));
    toolBar->layout()->setSpacing(0);
    toolBar->layout()->setContentsMargins(0, 0, 0, 0);
    toolBar->setStyleSheet(QStringLiteral("QToolBar { spacing: 0px; padding: 0px; }"
                                          "QToolButton { padding: 1px; margin: 0px; }"));
    toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(toolBar);

    auto *menuButton = addToolButton(toolBar, dataPicture(QStringLiteral("image/wmenu.png")), {},
                                     tr("Menu"));
    mainMenu = new QMenu(this);
    mainMenu->addAction(tr("Open dir    "), this, &Pictarn::open);
    mainMenu->addAction(tr("Clear list  "), this, &Pictarn::moveall);
    mainMenu->addAction(tr("Slide Type  "), this, &Pictarn::startSlideShow);
    mainMenu->addSeparator();
    mainMenu->addAction(tr("Rename   "), this, &Pictarn::renameImage);
    mainMenu->addAction(tr("Delete"), this, &Pictarn::deleteImage);
    QAction *afterDelete = mainMenu->addSeparator();
    mainMenu->addAction(tr("About "), this, &Pictarn::About);
    mainMenu->addAction(tr("Keys and gestures"), this,
                        [this] { KeysHelp::present(KeysHelp::MainWindow, this); });
    mainMenu->addSeparator();
    QAction *exit = mainMenu->addAction(tr("Exit  "), qApp, &QCoreApplication::quit);
    attachMenu(menuButton, mainMenu);

    bookmarkButton = addToolButton(toolBar, iconPixmap(QStringLiteral("bookmark_folder")),
                                   tr("Bookmarks"));
    connect(bookmarkButton, &QToolButton::clicked, this, &Pictarn::showBookmarkMenu);

    thumbViewButton
            = addToolButton(toolBar, iconPixmap(QStringLiteral("view_icon")), {}, tr("Thumbnails"));
    thumbViewButton->setCheckable(true);
    connect(thumbViewButton, &QToolButton::clicked, this, &Pictarn::switchThumbnailView);

    listViewButton
            = addToolButton(toolBar, iconPixmap(QStringLiteral("view_text")), {}, tr("List"));
    listViewButton->setCheckable(true);
    connect(listViewButton, &QToolButton::clicked, this, &Pictarn::switchListView);

    auto *slideShowAction = new QAction(toolIcon(iconPixmap(QStringLiteral("slideshow")), toolBar),
                                        tr("SlideShow"), this);
    connect(slideShowAction, &QAction::triggered, this, &Pictarn::startSlideShow);
    toolBar->addAction(slideShowAction);

    auto *settingsButton = addToolButton(
            toolBar, dataPicture(QStringLiteral("image/SettingsIcon.png")), {}, tr("Settings"));
    settingsMenu = new QMenu(this);
    settingsMenu->addAction(tr("Set   "), this, &Pictarn::showSettingsDialog);
    settingsMenu->addSeparator();
    fullScreenItem = settingsMenu->addAction(tr("Full screen "), this, &Pictarn::setFullScreen);
    fullScreenItem->setData(0);
    fullScreenItem->setCheckable(true);
    attachMenu(settingsButton, settingsMenu);

    auto *fullScreenAction
            = new QAction(toolIcon(dataPicture(QStringLiteral("image/fullscreen.png")), toolBar),
                          tr("Show FullScreen"), this);
    connect(fullScreenAction, &QAction::triggered, this, &Pictarn::showImageFullScreen);
    toolBar->addAction(fullScreenAction);

    auto *renameAction = new QAction(toolIcon(iconPixmap(QStringLiteral("rename")), toolBar),
                                     tr("Rename"), this);
    connect(renameAction, &QAction::triggered, this, &Pictarn::renameImage);
    toolBar->addAction(renameAction);

    auto *deleteAction
            = new QAction(toolIcon(dataPicture(QStringLiteral("image/editdelete.png")), toolBar),
                          tr("delete"), this);
    connect(deleteAction, &QAction::triggered, this, &Pictarn::deleteImage);
    toolBar->addAction(deleteAction);
    static bool told = false;
    if (!missingPictures.isEmpty() && !told) {
        told = true;
        qWarning("Pictarn: %s", qPrintable(tr("pictures missing from the data directory %1: %2")
                                                   .arg(QDir::currentPath(),
                                                        missingPictures.join(QLatin1Char(' ')))));
    }

    settings = std::make_unique<Settings>();
    settings->load();
    for (const bool copy : {false, true}) {
        auto *menu
                = new TransferMenu(copy ? tr("Copy to") : tr("Move to"), settings.get(), mainMenu);
        menu->setObjectName(copy ? QStringLiteral("copyTo") : QStringLiteral("moveTo"));
        connect(menu, &TransferMenu::folderChosen, this,
                [this, copy](const QString &folder) { transferImage(folder, copy); });
        mainMenu->insertMenu(afterDelete, menu);
    }
    TakenDate::setKeeping(settings->saveThumbnails());

    imageViewer = new ImageViewer(this, settings.get());
    imageViewer->hide();
    connect(imageViewer, &ImageViewer::imageChanged, this, &Pictarn::followViewer);
    addViewerActions();

    viewStack = new QStackedWidget(this);
    setCentralWidget(viewStack);

    thumbnailView = new ThumbnailView(viewStack, settings.get());
    connect(thumbnailView, &ThumbnailView::imageClicked, this, &Pictarn::thumbClicked);
    viewStack->addWidget(thumbnailView);

    imageListView = new ImageListView(viewStack);
    connect(imageListView, &ImageListView::clicked, this, &Pictarn::listItemClicked);
    // A tap on a column's header orders the grid, the viewer's steps and the slide show alike.
    // While a folder is listed the grid takes the rows as they come, and is ordered at the end.
    connect(imageListView, &ImageListView::orderChanged, this, [this] {
        if (!folderLister->isListing())
            thumbnailView->orderBoxes(imageListView->items());
    });
    viewStack->addWidget(imageListView);
    // A row's path never changes in place: a rename lists the folder again.
    const auto rowsChanged = [this] {
        viewerList.reset();
        slideListCurrent = false;
    };
    const QAbstractItemModel *rows = imageListView->model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(rows, &QAbstractItemModel::rowsMoved, this, rowsChanged);
    connect(rows, &QAbstractItemModel::layoutChanged, this, rowsChanged);
    connect(rows, &QAbstractItemModel::modelReset, this, rowsChanged);
    Accessibility::describe(imageListView, tr("Images"));
    Accessibility::describeButtons(this);
    imageListView->setOrder(SortOrder::fromNumber(settings->sortOrder()));
    sortMenu = new SortMenu(mainMenu);
    sortMenu->setOrder(imageListView->order());
    // After the entries the phone's menu had, before its first separator.
    const QList<QAction *> entries = mainMenu->actions();
    const auto separator = std::find_if(entries.cbegin(), entries.cend(),
                                        [](const QAction *entry) { return entry->isSeparator(); });
    mainMenu->insertMenu(separator == entries.cend() ? nullptr : *separator, sortMenu);
    connect(sortMenu, &SortMenu::orderChosen, this, [this](const SortOrder &order) {
        settings->setSortOrder(order.toNumber());
        settings->save();
        // A chosen order applies to images named one by one too.
        imageListView->setSortingEnabled(true);
        imageListView->setOrder(order);
    });

    fullScreenItem->setChecked(settings->imageFullScreen());

    auto *channel = new QCopChannel(QStringLiteral("QPE/Card"), this);
    bookmarkMenu = new BookmarkMenu(bookmarkButton, settings.get());
    connect(channel, &QCopChannel::received, this, &Pictarn::cardMessage);
    connect(bookmarkMenu, &BookmarkMenu::bookmarkSelected, this, &Pictarn::bookmarkSelected);
    connect(bookmarkMenu, &BookmarkMenu::documentsSelected, this, &Pictarn::documentsSelected);

    documentMode = false;
    currentBookmark = nullptr;

    folderWatcher = new FolderWatcher(this);
    connect(folderWatcher, &FolderWatcher::imagesChanged, this, &Pictarn::applyFolderChanges);
    auto *reread = new QAction(this);
    reread->setShortcut(Qt::Key_F5);
    connect(reread, &QAction::triggered, folderWatcher, &FolderWatcher::rescan);
    addAction(reread);
    folderLister = new FolderLister(this);
    connect(folderLister, &FolderLister::imagesFound, this, &Pictarn::takeImages);
    connect(folderLister, &FolderLister::folderRead, folderWatcher, &FolderWatcher::watchFolder);
    connect(folderLister, &FolderLister::finished, this, &Pictarn::listingFinished);
    // Desktop keys; the phone's keys keep their meaning, for none of these reaches the views.
    const std::pair<QKeySequence, void (Pictarn::*)()> keys[] = {
            {QKeySequence(Qt::Key_Delete), &Pictarn::deleteImage},
            {QKeySequence(Qt::Key_F2), &Pictarn::renameImage},
            {QKeySequence(Qt::Key_F11), &Pictarn::showImageFullScreen},
            {QKeySequence(Qt::CTRL | Qt::Key_O), &Pictarn::open},
    };
    for (const auto &[sequence, slot] : keys)
        new QShortcut(sequence, this, this, slot);
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this, exit, &QAction::trigger);
    KeysHelp::addShortcuts(this, KeysHelp::MainWindow);

    if (settings->view() != 0)
        switchListView();
    else
        switchThumbnailView();

    undoBar = new UndoBar(this);
    undoBar->setHost([this] {
        QWidget *viewer = imageViewer->front();
        return viewer ? viewer : this;
    });
    Accessibility::describeButtons(undoBar);
    connect(undoBar, &UndoBar::undoClicked, this,
            [this] { imageViewer->front() ? undoInViewer() : undo(); });
    new QShortcut(QKeySequence::Undo, this, this, &Pictarn::undo);

    // On a desktop the window comes back as the user left it; a phone's screen it fills.
    if (!onSmallScreen() && restoreGeometry(settings->windowGeometry()))
        show();
    else
        showMaximized();
}

Pictarn::~Pictarn()
{
    // The rows go after this object's members: their signals must find no one.
    imageListView->model()->disconnect(this);
    settings->setLastFolders(listedFolders);
    if (!onSmallScreen())
        settings->setWindowGeometry(saveGeometry());
    settings->save();
}

bool Pictarn::onSmallScreen() const
{
    const QScreen *shown = screen();
    return !shown || (shown->size().width() <= 480 && shown->size().height() <= 480);
}

void Pictarn::openLastFolders()
{
    QStringList folders = settings->lastFolders();
    folders.removeIf([](const QString &folder) { return !QFileInfo(folder).isDir(); });
    openPaths(folders);
}

void Pictarn::switchThumbnailView()
{
    // The image current in the list is the one highlighted here, and in sight.
    if (ImageListItem *row = imageListView->currentItem()) {
        ImageBox *box = thumbnailView->findBox(row->path());
        if (box && box->listItem() == row && !box->isSelected()) {
            if (ImageBox *previous = thumbnailView->selectedBox())
                previous->setSelected(false);
            thumbnailView->selectBox(int(thumbnailView->boxIndex(box)));
        }
    }
    thumbViewButton->setChecked(true);
    listViewButton->setChecked(false);
    viewStack->setCurrentIndex(0);
    thumbnailView->setFocus();
    settings->setView(0);
}

void Pictarn::switchListView()
{
    if (const ImageBox *box = thumbnailView->selectedBox()) {
        if (ImageListItem *row = box->listItem()) {
            imageListView->setCurrentItem(row);
            imageListView->scrollToItem(row);
        }
    }
    viewStack->setCurrentIndex(1);
    thumbViewButton->setChecked(false);
    listViewButton->setChecked(true);
    imageListView->setFocus();
    settings->setView(1);
}

void Pictarn::setFullScreen()
{
    settings->setImageFullScreen(!settings->imageFullScreen());
    fullScreenItem->setChecked(settings->imageFullScreen());
}

void Pictarn::setDocument(const QString &)
{
    documentMode = true;
}

void Pictarn::showBookmarkMenu()
{
    bookmarkMenu->popupMenu(bookmarkButton->mapToGlobal(QPoint(0, bookmarkButton->height())));
}

void Pictarn::loadFolder(const QString &path)
{
    listFolders({path});
}

namespace {
// The images of a folder holding at most budget entries, which is then taken from the budget.
bool readSmallFolder(const QString &path, int &budget, QStringList &names)
{
    const qsizetype read = ImageFiles::readFolder(path, names, budget);
    if (read < 0)
        return false;
    budget -= int(read);
    return true;
}

// QFileInfo::canonicalFilePath() of a folder, the system asked about each parent once: many
// folders named at once are most often siblings. A folder that is a link, and names ending in
// "." or "..", go the long way.
QString canonicalFolder(const QString &path, QHash<QString, QString> &parents)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QStringView last = QStringView(path).sliced(slash + 1);
    struct stat info;
    if (slash <= 0 || last.isEmpty() || last == u"." || last == u".."
        || ::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QFileInfo(path).canonicalFilePath();
    const QString parentPath = path.first(slash);
    auto parent = parents.find(parentPath);
    if (parent == parents.end())
        parent = parents.insert(parentPath, QFileInfo(parentPath).canonicalFilePath());
    if (parent->isEmpty())
        return QFileInfo(path).canonicalFilePath();
    QString canonical = *parent == QLatin1String("/") ? QString() : *parent;
    canonical += QLatin1Char('/');
    canonical += last;
    return canonical;
}
} // namespace

void Pictarn::listFolders(const QStringList &paths)
{
    QStringList fresh;
    QHash<QString, QString> parents;
    for (const QString &path : paths) {
        if (path.isEmpty())
            continue;
        // A folder listed already would list each of its images twice.
        const QString canonical = canonicalFolder(path, parents);
        const QString clean = QDir::cleanPath(path);
        if (listedFolderKeys.contains(clean)
            || (!canonical.isEmpty() && listedFolderKeys.contains(canonical)))
            continue;
        listedFolders.append(path);
        listedFolderKeys.insert(clean);
        if (!canonical.isEmpty())
            listedFolderKeys.insert(canonical);
        fresh.append(path);
    }
    // What takes a few milliseconds is listed here, the views built once; more goes to the
    // worker, whose slices come while the event loop turns.
    int budget = 2000;
    qsizetype done = 0;
    if (!folderLister->isListing()) {
        QList<ImageListItem *> rows;
        for (; done < fresh.size() && done < 64; ++done) {
            const QString &path = fresh.at(done);
            QStringList names;
            if (!readSmallFolder(path, budget, names))
                break;
            for (const QString &name : std::as_const(names))
                rows.append(new ImageListItem(nullptr, name, path + QLatin1Char('/') + name));
            folderWatcher->watchFolder(path, names);
        }
        imageListView->addTopLevelItems(rows);
        if (done > 0)
            fillViews();
    }
    if (done == fresh.size())
        return;
    // Rows come in order and go in as they are, or at their places in a reversed order.
    folderLister->list(fresh.mid(done));
}

void Pictarn::takeImages(const QStringList &names, const QStringList &paths, int rank, int epoch)
{
    const bool first = imageListView->topLevelItemCount() == 0;
    // Put in the list together: one insertion for the model, not one per row.
    QList<ImageListItem *> rows;
    rows.reserve(names.size());
    for (qsizetype n = 0; n < names.size(); ++n) {
        auto *item = new ImageListItem(nullptr, names.at(n), paths.at(n));
        item->setRank(rank++, epoch);
        rows.append(item);
    }
    imageListView->addTopLevelItems(rows);
    for (ImageListItem *row : std::as_const(rows))
        thumbnailView->addBox(row, 0, 0);
    thumbnailView->continuePass();
    if (!first)
        return;
    // The first screenful: highlighted and given the keys as a listed folder is.
    if (viewStack->currentWidget() == imageListView)
        imageListView->setFocus();
    else
        thumbnailView->setFocus();
    if (ImageListItem *top = imageListView->topLevelItem(0))
        imageListView->setCurrentItem(top);
    updateTitle();
}

void Pictarn::listingFinished()
{
    // Rows put in between others during the listing: the grid follows now.
    thumbnailView->orderBoxes(imageListView->items());
    highlightPending();
    if (imageViewer->isVisible())
        imageViewer->setImageList(listedImages());
    updateTitle();
}

void Pictarn::highlightPending()
{
    if (pendingImage.isEmpty())
        return;
    auto *item = imageListView->findItemByPath(pendingImage);
    if (!item && folderLister->isListing())
        return;
    pendingImage.clear();
    if (!item)
        return;
    imageListView->setCurrentItem(item);
    if (ImageBox *first = thumbnailView->selectedBox())
        first->setSelected(false);
    thumbnailView->selectBox(imageListView->indexOfTopLevelItem(item));
}

void Pictarn::listImages(const QStringList &paths)
{
    // The list sorts by name; the order given is kept until the list is cleared.
    imageListView->setSortingEnabled(false);
    QList<ImageListItem *> rows;
    for (const QString &path : paths)
        rows.append(new ImageListItem(nullptr, QFileInfo(path).fileName(), path));
    imageListView->addTopLevelItems(rows);
    givenImages += paths;
    folderWatcher->watchImages(paths);
    fillViews();
}

void Pictarn::fillViews()
{
    thumbnailView->clearGrid(true);
    for (int n = 0; n < imageListView->topLevelItemCount(); ++n)
        thumbnailView->addBox(imageListView->topLevelItem(n), n / 2, n % 2);
    QTimer::singleShot(0, thumbnailView, &ThumbnailView::loadThumbs);
    // The keys go to the view on the screen.
    if (viewStack->currentWidget() == imageListView)
        imageListView->setFocus();
    else
        thumbnailView->setFocus();
    if (ImageListItem *first = imageListView->topLevelItem(0))
        imageListView->setCurrentItem(first);
    updateTitle();
}

void Pictarn::applyFolderChanges(const QStringList &added, const QStringList &removed,
                                 const QStringList &changed)
{
    QScrollBar *gridBar = thumbnailView->verticalScrollBar();
    QScrollBar *listBar = imageListView->verticalScrollBar();
    const int gridAt = gridBar->value(), listAt = listBar->value();
    const QSet<QString> gone(removed.cbegin(), removed.cend());
    thumbnailView->removeImages(gone);
    givenImages.removeIf([&gone](const QString &path) { return gone.contains(path); });
    imageListView->removeItemsByPath(gone);
    QSet<QString> listed;
    for (const ImageListItem *item : imageListView->items())
        listed.insert(item->path());
    // Put in together: each at its place in the order.
    QSet<QString> remade(changed.cbegin(), changed.cend());
    QList<ImageListItem *> rows;
    for (const QString &path : added) {
        if (listed.contains(path))
            continue;
        rows.append(new ImageListItem(nullptr, QFileInfo(path).fileName(), path));
        remade.insert(path);
    }
    imageListView->addTopLevelItems(rows);
    for (ImageListItem *row : std::as_const(rows))
        thumbnailView->addBox(row, 0, 0);
    thumbnailView->orderBoxes(imageListView->items());
    thumbnailView->remakePreviews(remade);
    // A photo changed in place may have another date or size.
    imageListView->readFactsAgain(QSet<QString>(changed.cbegin(), changed.cend()));
    // The grid keeps a highlight while it has boxes, as when it was filled.
    if (!thumbnailView->selectedBox() && thumbnailView->boxCount() > 0) {
        ImageListItem *row = imageListView->currentItem();
        ImageBox *box = row ? thumbnailView->findBox(row->path()) : nullptr;
        thumbnailView->selectBox(box ? int(thumbnailView->boxIndex(box)) : 0);
    }
    if (!imageListView->currentItem() && imageListView->topLevelItemCount() > 0)
        imageListView->setCurrentItem(imageListView->topLevelItem(0));
    gridBar->setValue(gridAt);
    listBar->setValue(listAt);
    updateTitle();
}

void Pictarn::updateTitle()
{
    QSet<QString> folders(listedFolders.cbegin(), listedFolders.cend());
    // Asked of the file system once per run of images of one folder, not per image.
    QString last;
    for (int n = 0; n < imageListView->topLevelItemCount(); ++n) {
        const QString path = imageListView->topLevelItem(n)->path();
        const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
        if (!last.isNull() && QStringView(path).left(cut) == last)
            continue;
        last = path.left(cut);
        folders.insert(QFileInfo(path).path());
    }
    QString title = tr("Pictarn");
    if (folders.size() == 1) {
        const QString folder = *folders.cbegin();
        const QString name = QDir(folder).dirName();
        title = tr("Pictarn - %1").arg(name.isEmpty() ? folder : name);
    } else if (folders.size() > 1) {
        title = tr("Pictarn - %n folders", nullptr, int(folders.size()));
    }
    setWindowTitle(title);
}

void Pictarn::openPaths(const QStringList &paths)
{
    QStringList folders, images;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            folders << path;
        else if (info.isFile() && ImageFiles::isImageName(info.fileName()))
            images << path;
        else if (info.exists())
            qWarning("pictarn: %s", qPrintable(tr("%1: neither a folder nor an image").arg(path)));
        else
            qWarning("pictarn: %s", qPrintable(tr("%1: no such file or folder").arg(path)));
    }
    // The views are built once for all the folders.
    if (!folders.isEmpty())
        currentFolder = folders.last();
    listFolders(folders);
    if (images.size() != 1 || !folders.isEmpty()) {
        if (!images.isEmpty())
            listImages(images);
        return;
    }
    const QString image = images.first();
    currentFolder = QFileInfo(image).path();
    pendingImage = image;
    loadFolder(currentFolder);
    // Shown at once: a large folder is listed behind it.
    highlightPending();
    showImage(image);
}

void Pictarn::moveall()
{
    folderLister->cancel();
    pendingImage.clear();
    thumbnailView->clearGrid(true);
    imageListView->clear();
    listedFolders.clear();
    listedFolderKeys.clear();
    givenImages.clear();
    folderWatcher->clear();
    currentBookmark = nullptr;
    imageListView->setSortingEnabled(true);
    updateTitle();
}

void Pictarn::bookmarkSelected(Bookmark &bookmark)
{
    if (&bookmark == currentBookmark)
        return;
    moveall();
    currentBookmark = &bookmark;
    currentFolder = bookmark.dir();
    loadFolder(currentFolder);
}

bool Pictarn::documentsShown() const
{
    return listedFolders == QStringList{Folders::documents()};
}

void Pictarn::documentsSelected()
{
    if (documentsShown())
        return;
    moveall();
    currentFolder = Folders::documents();
    loadFolder(currentFolder);
}

void Pictarn::cardMessage(const QByteArray &message, const QByteArray &)
{
    if (message == "mtabChanged()")
        bookmarkMenu->load();
}

void Pictarn::listItemClicked(ImageListItem *item)
{
    if (!item)
        return;
    currentImage = item->path();
    showImage(currentImage);
}

void Pictarn::thumbClicked()
{
    if (const ImageBox *box = thumbnailView->selectedBox())
        showImage(box->imagePath());
}

QStringList Pictarn::listedImages() const
{
    if (viewerList)
        return *viewerList;
    // The grid follows the list's order.
    QStringList paths;
    paths.reserve(imageListView->topLevelItemCount());
    for (const ImageListItem *item : imageListView->items())
        paths.append(item->path());
    viewerList = paths;
    return paths;
}

void Pictarn::followViewer(const QString &path)
{
    // Closing the viewer comes back to the picture last shown.
    currentImage = path;
    if (settings->view() != 0) {
        for (int n = 0; n < imageListView->topLevelItemCount(); ++n) {
            ImageListItem *item = imageListView->topLevelItem(n);
            if (item->hasPath(path))
                imageListView->setCurrentItem(item);
        }
    } else if (ImageBox *box = thumbnailView->findBox(path)) {
        if (ImageBox *previous = thumbnailView->selectedBox())
            previous->setSelected(false);
        thumbnailView->selectBox(int(thumbnailView->boxIndex(box)));
    }
}

void Pictarn::showImage(QString path)
{
    imageViewer->setImageList(listedImages());
    if (settings->imageFullScreen()) {
        imageViewer->showImageFullScreen(path);
        return;
    }
    currentImage = path;
    QTimer::singleShot(0, this, &Pictarn::load);
    if (documentMode)
        imageViewer->exec();
    else
        imageViewer->showMaximized();
}

void Pictarn::load()
{
    imageViewer->load(currentImage);
}

bool Pictarn::selectedImage(QString &name, QString &path) const
{
    if (settings->view() != 0) {
        const ImageListItem *item = imageListView->currentItem();
        if (!item || !imageListView->isItemSelected(item))
            return false;
        name = item->name();
        path = item->path();
        return true;
    }
    const ImageBox *box = thumbnailView->selectedBox();
    if (!box)
        return false;
    name = box->fileName();
    path = box->imagePath();
    return true;
}

void Pictarn::showImageFullScreen()
{
    QString name, path;
    if (!selectedImage(name, path))
        return;
    imageViewer->setImageList(listedImages());
    imageViewer->showImageFullScreen(path);
}

void Pictarn::renameImage()
{
    QString name, path;
    if (selectedImage(name, path))
        renamePath(name, path, this);
}

QString Pictarn::renamePath(const QString &name, const QString &path, QWidget *asker)
{
    const ListedFolder folder = listedFolder(thumbnailView, path);

    ZBaseDialog dialog(asker, nullptr, 1);
    auto *layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(tr("New Name: "), &dialog));
    auto *nameEdit = new QLineEdit(name, &dialog);
    layout->addWidget(nameEdit);
    auto *problem = new QLabel(&dialog);
    problem->setObjectName(QStringLiteral("problem"));
    problem->setWordWrap(true);
    problem->hide();
    layout->addWidget(problem);
    auto *buttons = new QHBoxLayout;
    auto *acceptButton = new ZPushButton(&dialog, 3, -1, -1);
    acceptButton->setText(tr("Accept"));
    acceptButton->setDefault(true);
    buttons->addWidget(acceptButton);
    auto *cancelButton = new ZPushButton(&dialog, 3, -1, -1);
    cancelButton->setText(tr("Cancel"));
    cancelButton->setAutoDefault(false);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);
    Accessibility::describe(nameEdit, tr("New Name: ").trimmed());
    Accessibility::describeButtons(&dialog);
    // A refused name keeps the dialog open with its text, saying why, to be corrected.
    QString target;
    connect(acceptButton, &QPushButton::clicked, &dialog, [&] {
        const FileOperations::Outcome outcome
                = FileOperations::rename(path, folder, nameEdit->text());
        if (!outcome.done) {
            problem->setText(outcome.message);
            problem->show();
            return;
        }
        target = outcome.path;
        dialog.accept();
    });
    connect(cancelButton, &QPushButton::clicked, &dialog, &QDialog::reject);
    // Only "Accept" renames: Escape, "Cancel" or closing the dialog leaves the file alone.
    if (dialog.exec() != QDialog::Accepted || target == path)
        return {};
    relist(path, target);
    lastChange = Change{path, target, std::nullopt, folder, -1, -1, false, std::nullopt};
    // A file moved to another folder leaves the list: the bar says where it went.
    undoBar->showMessage(ListedFolder::folderOf(target) != folder.path()
                                 ? tr("%1 moved to %2").arg(name, target)
                                 : tr("%1 renamed to %2").arg(name, ListedFolder::nameOf(target)));
    return target;
}

void Pictarn::transferImage(const QString &folder, bool copy)
{
    QString name, path;
    if (selectedImage(name, path))
        transferPath(path, folder, copy, this);
}

QString Pictarn::transferPath(const QString &path, const QString &folder, bool copy, QWidget *asker)
{
    const ListedFolder from = listedFolder(thumbnailView, path);
    FileId copied;
    const FileOperations::Outcome outcome
            = FileOperations::transfer(path, from, folder, copy, &copied);
    const QString name = ListedFolder::nameOf(path);
    if (!outcome.done) {
        ZMessageBox::information(asker, QPixmap(),
                                 (copy ? tr("%1 was not copied:\n%2") : tr("%1 was not moved:\n%2"))
                                         .arg(name, outcome.message),
                                 tr("  Ok  "));
        return {};
    }
    lastChange = Change{
            path, outcome.path, std::nullopt, from,
            -1,   -1,           !copy,        copy ? std::optional<FileId>(copied) : std::nullopt};
    const QString where = ListedFolder::folderOf(outcome.path);
    if (!copy)
        givenImages.removeAll(path);
    if (!copy && !listedFolders.contains(where))
        dropFromViews(path);
    else if (!copy)
        relist(path, outcome.path);
    undoBar->showMessage(copy ? tr("%1 copied to %2").arg(name, where)
                              : tr("%1 moved to %2").arg(name, where));
    return outcome.path;
}

void Pictarn::addViewerActions()
{
    auto *remove = new QAction(tr("Delete"), this);
    remove->setShortcut(Qt::Key_Delete);
    connect(remove, &QAction::triggered, this, [this] {
        const QString path = imageViewer->shownPath();
        if (!path.isEmpty() && deletePath(ListedFolder::nameOf(path), path, imageViewer->front()))
            imageViewer->forget(path, {});
    });
    auto *rename = new QAction(tr("Rename"), this);
    rename->setShortcut(Qt::Key_F2);
    connect(rename, &QAction::triggered, this, [this] {
        const QString path = imageViewer->shownPath();
        const QString target = path.isEmpty() ? QString()
                                              : renamePath(ListedFolder::nameOf(path), path,
                                                           imageViewer->front());
        if (!target.isEmpty())
            imageViewer->forget(path, ListedFolder::folderOf(target) == ListedFolder::folderOf(path)
                                              ? target
                                              : QString());
    });
    // Undo from inside the viewer too, which then shows the picture put back.
    auto *takeBack = new QAction(tr("Undo"), this);
    takeBack->setShortcut(QKeySequence::Undo);
    connect(takeBack, &QAction::triggered, this, &Pictarn::undoInViewer);
    QList<QAction *> actions{remove, rename, takeBack};
    for (const bool copy : {false, true}) {
        auto *menu = new TransferMenu(copy ? tr("Copy to") : tr("Move to"), settings.get(),
                                      imageViewer);
        connect(menu, &TransferMenu::folderChosen, this, [this, copy](const QString &folder) {
            const QString path = imageViewer->shownPath();
            if (!path.isEmpty() && !transferPath(path, folder, copy, imageViewer->front()).isEmpty()
                && !copy)
                imageViewer->forget(path, {});
        });
        actions << menu->menuAction();
    }
    imageViewer->setFileActions(actions);
}

void Pictarn::relist(const QString &from, const QString &to)
{
    QStringList given = givenImages;
    const qsizetype at = given.indexOf(from);
    if (at >= 0)
        given[at] = to;
    moveall();
    loadFolder(currentFolder);
    // Images named one by one stay listed, the renamed one under its new name.
    if (!given.isEmpty())
        listImages(given);
}

void Pictarn::undo()
{
    if (!lastChange)
        return;
    const Change change = *std::exchange(lastChange, std::nullopt);
    QString why;
    bool done = false;
    if (change.trashed) {
        done = Trash::restore(*change.trashed, change.folder, why);
    } else {
        const ListedFolder now = ListedFolder::holding(change.now);
        const FileOperations::Outcome outcome
                = change.copy    ? FileOperations::removeCopy(change.now, *change.copy)
                  : change.moved ? FileOperations::transfer(
                            change.now, now, ListedFolder::folderOf(change.path), false)
                                 : FileOperations::rename(change.now, now, change.path);
        done = outcome.done;
        why = outcome.message;
    }
    const QString name = ListedFolder::nameOf(change.path);
    if (!done) {
        undoBar->showMessage(tr("%1 was not put back: %2").arg(name, why), false);
        return;
    }
    const bool listed = change.givenAt >= 0 || listedFolders.contains(change.folder.path());
    if (change.trashed && listed && !imageListView->findItemByPath(change.path)) {
        // Back at its place in the list, and in the grid.
        auto *item = new ImageListItem(imageListView, name, change.path);
        if (change.listIndex >= 0 && change.listIndex < imageListView->topLevelItemCount()) {
            imageListView->takeTopLevelItem(imageListView->indexOfTopLevelItem(item));
            imageListView->insertTopLevelItem(change.listIndex, item);
        }
        if (change.givenAt >= 0)
            givenImages.insert(std::min<qsizetype>(change.givenAt, givenImages.size()),
                               change.path);
        fillViews();
    } else if (change.copy) {
        if (imageListView->findItemByPath(change.now))
            relist(change.now, change.path);
        undoBar->showMessage(tr("The copy of %1 is removed").arg(name), false);
        return;
    } else {
        relist(change.now, change.path);
    }
    if (ImageBox *box = thumbnailView->selectedBox())
        box->setSelected(false);
    followViewer(change.path);
    undoBar->showMessage(tr("%1 is back").arg(name), false);
}

void Pictarn::undoInViewer()
{
    if (!lastChange)
        return;
    const QString back = lastChange->path;
    undo();
    if (lastChange || !QFileInfo::exists(back))
        return;
    imageViewer->setImageList(listedImages());
    if (imageViewer->isVisible())
        imageViewer->load(back);
}

void Pictarn::deleteImage()
{
    QString name, path;
    if (selectedImage(name, path))
        deletePath(name, path, this);
}

bool Pictarn::deletePath(const QString &name, const QString &path, QWidget *asker)
{
    const ListedFolder folder = listedFolder(thumbnailView, path);
    const QString text = tr("Delete         \n") + name + tr(" ?");
    // Return alone keeps the file: "Cancel" is the default.
    const int answer = ZMessageBox::information(
            asker, RES_ICON_Reader().getIcon("Dialog_Exclamatory_Mark.gif", true), text, tr("确定"),
            tr("Cancel"), QString(), 1, 1);
    if (answer != 0)
        return false;
    // To the trash, from where Undo takes it back; where there is none, only for good and
    // only when the user says so.
    QString why;
    const std::optional<Trash::Entry> trashed = Trash::put(path, folder, why);
    if (!trashed) {
        const int again = ZMessageBox::information(
                asker, RES_ICON_Reader().getIcon("Dialog_Exclamatory_Mark.gif", true),
                tr("%1 cannot go to the trash:\n%2").arg(name, why), tr("Delete permanently"),
                tr("Cancel"), QString(), 1, 1);
        if (again != 0)
            return false;
        const FileOperations::Outcome outcome = FileOperations::remove(path, folder);
        // A file that could not be removed stays listed, and the user is told.
        if (!outcome.done) {
            ZMessageBox::information(asker, QPixmap(),
                                     tr("%1 was not deleted:\n%2").arg(name, outcome.message),
                                     tr("  Ok  "));
            return false;
        }
    }
    ImageListItem *row = imageListView->findItemByPath(path);
    lastChange = Change{path,
                        {},
                        trashed,
                        folder,
                        row ? imageListView->indexOfTopLevelItem(row) : -1,
                        int(givenImages.indexOf(path)),
                        false,
                        std::nullopt};
    if (!trashed)
        lastChange.reset();
    givenImages.removeAll(path);
    undoBar->showMessage(trashed ? tr("%1 moved to the trash").arg(name)
                                 : tr("%1 deleted").arg(name),
                         bool(trashed));

    dropFromViews(path);
    return true;
}

void Pictarn::dropFromViews(const QString &path)
{
    // Found again by path: the views may have changed while the question was open. The image
    // after it (or before, at the end) takes the highlight and the keys.
    const ImageBox *box = thumbnailView->findBox(path);
    const int index = box ? int(thumbnailView->boxIndex(const_cast<ImageBox *>(box))) : -1;
    imageListView->removeItemByPath(path);
    thumbnailView->removeImage(path);
    const int next = std::min(index, thumbnailView->boxCount() - 1);
    if (next < 0)
        return;
    if (ImageBox *previous = thumbnailView->selectedBox())
        previous->setSelected(false);
    if (ImageListItem *item = imageListView->topLevelItem(next)) {
        imageListView->setCurrentItem(item);
        imageListView->setItemSelected(item, true);
    }
    if (settings->view() == 0)
        thumbnailView->selectBox(next);
    else
        imageListView->setFocus();
}

void Pictarn::open()
{
    const QString path = choosePath(currentFolder);
    if (path.isNull())
        return;
    currentFolder = path;
    loadFolder(currentFolder);
}

void Pictarn::startSlideShow()
{
    if (!std::exchange(slideListCurrent, true)) {
        slideList.clear();
        for (int n = 0; n < imageListView->topLevelItemCount(); ++n)
            slideList.append(imageListView->topLevelItem(n)->makeSlideEntry());
    }
    if (slideList.isEmpty())
        return;
    auto *show = new SlideShow(slideList, settings.get());
    show->start();
}

void Pictarn::showSettingsDialog()
{
    auto *dialog = new SettingsDialog(this);
    const QPointer<SettingsDialog> guard(dialog);
    dialog->setSettings(settings.get());
    dialog->show(); // returns when the screen has been closed
    if (!guard)
        return;
    if (dialog->saved()) {
        dialog->apply();
        // The bookmarks are new objects now: the remembered one is gone.
        currentBookmark = nullptr;
        bookmarkMenu->load();
        settings->save();
        TakenDate::setKeeping(settings->saveThumbnails());
    }
    delete dialog;
}

void Pictarn::About()
{
    const QString readme = QStringLiteral(PICTARN_INSTALL_DOCDIR "/README.md");
    ZMessageBox::information(
            this, QPixmap(QStringLiteral("pictarn.png")),
            QStringLiteral("<qt><p><b>EZX PICTARN 0.2</b></p>Translate pictarn-0.2</qt>"
                           "<qt><p>An image browser for small touch screens.</p>"
                           "<p>Pictarn team: list, thumbnails, viewer and slide show.</p>"
                           "<p>Built with Qt %1.</p>")
                            .arg(QString::fromLatin1(qVersion()))
                    + QStringLiteral("<p><small>%1 &middot; %2<br>%3</small></p></qt>")
                              .arg(tr("Version %1").arg(QStringLiteral(PICTARN_VERSION)),
                                   tr("Licence: %1").arg(QStringLiteral(PICTARN_LICENCE)),
                                   tr("Keys and help: %1, \"Keys and taps\"")
                                           .arg(readme.toHtmlEscaped())),
            tr("  Ok  "), QString(), QString(), 1);
}
