#include "app/pictarn.h"

#include "app/settings.h"
#include "resources/iconset.h"

#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QMenu>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidgetItem>

namespace {
QToolButton *addToolButton(QToolBar *toolBar, const QPixmap &pixmap, const QString &text = {})
{
    auto *button = new QToolButton(toolBar);
    button->setIcon(QIcon(pixmap));
    button->setText(text);
    button->setToolTip(text);
    button->setAutoRaise(true);
    toolBar->addWidget(button);
    return button;
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
    setWindowTitle(QStringLiteral("Pictarn"));
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

    auto *menuButton = addToolButton(toolBar, QPixmap(QStringLiteral("image/wmenu.png")));
    mainMenu = new QMenu(this);
    mainMenu->addAction(QStringLiteral("Open dir    "), this, &Pictarn::open);
    mainMenu->addAction(QStringLiteral("Clear list  "), this, &Pictarn::moveall);
    mainMenu->addAction(QStringLiteral("Slide Type  "), this, &Pictarn::startSlideShow);
    mainMenu->addSeparator();
    mainMenu->addAction(QStringLiteral("Rename   "), this, &Pictarn::renameImage);
    mainMenu->addAction(QStringLiteral("Delete"), this, &Pictarn::deleteImage);
    mainMenu->addSeparator();
    mainMenu->addAction(QStringLiteral("About "), this, &Pictarn::About);
    mainMenu->addSeparator();
    mainMenu->addAction(QStringLiteral("Exit  "), qApp, &QCoreApplication::quit);
    attachMenu(menuButton, mainMenu);

    bookmarkButton = addToolButton(toolBar, iconPixmap(QStringLiteral("bookmark_folder")),
                                   QStringLiteral("Bookmarks"));
    connect(bookmarkButton, &QToolButton::clicked, this, &Pictarn::showBookmarkMenu);

    thumbViewButton = addToolButton(toolBar, iconPixmap(QStringLiteral("view_icon")));
    thumbViewButton->setCheckable(true);
    connect(thumbViewButton, &QToolButton::clicked, this, &Pictarn::switchThumbnailView);

    listViewButton = addToolButton(toolBar, iconPixmap(QStringLiteral("view_text")));
    listViewButton->setCheckable(true);
    connect(listViewButton, &QToolButton::clicked, this, &Pictarn::switchListView);

    auto *slideShowAction = new QAction(QIcon(iconPixmap(QStringLiteral("slideshow"))),
                                        QStringLiteral("SlideShow"), this);
    connect(slideShowAction, &QAction::triggered, this, &Pictarn::startSlideShow);
    toolBar->addAction(slideShowAction);

    auto *settingsButton = addToolButton(toolBar, QPixmap(QStringLiteral("image/SettingsIcon.png")));
    settingsMenu = new QMenu(this);
    settingsMenu->addAction(QStringLiteral("Set   "), this, &Pictarn::showSettingsDialog);
    settingsMenu->addSeparator();
    fullScreenItem = settingsMenu->addAction(QStringLiteral("Full screen "), this,
                                             &Pictarn::setFullScreen);
    fullScreenItem->setData(0);
    fullScreenItem->setCheckable(true);
    attachMenu(settingsButton, settingsMenu);

    auto *fullScreenAction = new QAction(QIcon(QPixmap(QStringLiteral("image/fullscreen.png"))),
                                         QStringLiteral("Show FullScreen"), this);
    connect(fullScreenAction, &QAction::triggered, this, &Pictarn::showImageFullScreen);
    toolBar->addAction(fullScreenAction);

    auto *renameAction = new QAction(QIcon(iconPixmap(QStringLiteral("rename"))),
                                     QStringLiteral("Rename"), this);
    connect(renameAction, &QAction::triggered, this, &Pictarn::renameImage);
    toolBar->addAction(renameAction);

    auto *deleteAction = new QAction(QIcon(QPixmap(QStringLiteral("image/editdelete.png"))),
                                     QStringLiteral("delete"), this);
    connect(deleteAction, &QAction::triggered, this, &Pictarn::deleteImage);
    toolBar->addAction(deleteAction);

    settings = std::make_unique<Settings>();
    settings->load();

    viewStack = new QStackedWidget(this);
    setCentralWidget(viewStack);

    fullScreenItem->setChecked(settings->imageFullScreen());

    documentMode = false;
    currentBookmark = nullptr;

    if (settings->view() != 0)
        switchListView();
    else
        switchThumbnailView();

    showMaximized();
}

Pictarn::~Pictarn()
{
    settings->save();
}

void Pictarn::switchThumbnailView()
{
    thumbViewButton->setChecked(true);
    listViewButton->setChecked(false);
    viewStack->setCurrentIndex(0);
    settings->setView(0);
}

void Pictarn::switchListView()
{
    viewStack->setCurrentIndex(1);
    thumbViewButton->setChecked(false);
    listViewButton->setChecked(true);
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

void Pictarn::cardMessage(const QByteArray &, const QByteArray &) { }
void Pictarn::showImage(QString) { }
void Pictarn::load() { }
void Pictarn::showBookmarkMenu() { }
void Pictarn::showImageFullScreen() { }
void Pictarn::bookmarkSelected(Bookmark &) { }
void Pictarn::documentsSelected() { }
void Pictarn::showSettingsDialog() { }
void Pictarn::listItemClicked(QTreeWidgetItem *) { }
void Pictarn::renameImage() { }
void Pictarn::deleteImage() { }
void Pictarn::startSlideShow() { }
void Pictarn::open() { }
void Pictarn::thumbClicked() { }
void Pictarn::moveall() { }
void Pictarn::About() { }
