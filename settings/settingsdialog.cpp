#include "settings/settingsdialog.h"

#include "app/bookmark.h"
#include "app/settings.h"
#include "app/trash.h"
#include "browse/pathchooser.h"
#include "platform/accessibility.h"
#include "platform/dialogplacement.h"
#include "platform/util_cst.h"
#include "platform/zmessagebox.h"
#include "platform/zpushbutton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScroller>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}

QWidget *newPage(QWidget *contentBox)
{
    auto *page = new QWidget(contentBox);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    contentBox->layout()->addWidget(page);
    return page;
}

QCheckBox *newCheck(const char *text, const char *name, QWidget *parent)
{
    auto *check = new QCheckBox(SettingsDialog::tr(text), parent);
    check->setObjectName(QLatin1String(name));
    return check;
}

QLabel *newLabel(const QString &text, const char *name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

SettingsDialog::SettingsDialog(QWidget *parent) : ZMainWidget(tr("Set   "), true, parent)
{
    contentBox = new QWidget(this);
    auto *contentLayout = new QVBoxLayout(contentBox);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    setContentWidget(contentBox);
    contentBox->show();

    // Sits on the title line, at its right end, wide enough for its longest text.
    pageCombo = new QComboBox(this);
    pageCombo->setObjectName(QStringLiteral("pageCombo"));
    pageCombo->addItems({tr("Thumbnail"), tr("Slide Type  "), tr("Set bookmark"), tr("Frame")});
    pageCombo->resize(qMax(pageCombo->width(), pageCombo->sizeHint().width()), 24);
    pageCombo->move(240 - pageCombo->width(), 0);
    pageCombo->setFixedHeight(24);
    pageCombo->setCurrentIndex(0);
    connect(pageCombo, &QComboBox::activated, this, &SettingsDialog::setset);

    thumbnailPage = newPage(contentBox);
    auto *thumbGroup = new QGroupBox(tr("Set thumbnail "), thumbnailPage);
    auto *thumbLayout = new QVBoxLayout(thumbGroup);
    dimensionCheck = newCheck(QT_TR_NOOP("View Pics Size    "), "dimensionCheck", thumbGroup);
    extCheck = newCheck(QT_TR_NOOP("View document role"), "extCheck", thumbGroup);
    thumbCheck = newCheck(QT_TR_NOOP("Save icons  "), "thumbCheck", thumbGroup);
    thumbLabel = newLabel(tr("Greater than:  "), "thumbLabel", thumbGroup);
    thumbSize = new QSpinBox(thumbGroup);
    thumbSize->setObjectName(QStringLiteral("thumbSize"));
    thumbSize->setSuffix(tr(" Kb"));
    thumbSize->setMaximum(3000);
    thumbSize->setSingleStep(10);
    thumbSize->adjustSize();
    thumbLayout->addWidget(dimensionCheck);
    thumbLayout->addWidget(extCheck);
    thumbLayout->addWidget(thumbCheck);
    thumbLayout->addWidget(thumbLabel);
    thumbLayout->addWidget(thumbSize, 0, Qt::AlignLeft);
    thumbnailPage->layout()->addWidget(thumbGroup);
    auto *emptyButton = new ZPushButton(thumbnailPage, 3, -1, -1);
    emptyButton->setObjectName(QStringLiteral("emptyTrash"));
    emptyButton->setText(tr("Empty trash"));
    emptyButton->setAutoDefault(false);
    connect(emptyButton, &QPushButton::clicked, this, &SettingsDialog::emptyTrash);
    thumbnailPage->layout()->addWidget(emptyButton);
    static_cast<QVBoxLayout *>(thumbnailPage->layout())->addStretch();

    slidePage = newPage(contentBox);
    slidePage->hide();
    auto *slideGroup = new QGroupBox(tr("Set Slde Type     "), slidePage);
    auto *slideLayout = new QVBoxLayout(slideGroup);
    delayCaption = newLabel(tr("Changing Time: "), "TextLabel2", slideGroup);
    delayLabel = newLabel(tr("%1 s").arg(2), "delayLabel", slideGroup);
    delaySlider = new QSlider(Qt::Horizontal, slideGroup);
    delaySlider->setObjectName(QStringLiteral("delaySlider"));
    delaySlider->setRange(2, 60);
    delaySlider->setSingleStep(2);
    delaySlider->setTickPosition(QSlider::TicksBelow);
    delaySlider->setTickInterval(10);
    barCheck = newCheck(QT_TR_NOOP("Screen Setting "), "barCheck", slideGroup);
    rotateCheck = newCheck(QT_TR_NOOP("Rotate Type "), "rotateCheck", slideGroup);
    for (QWidget *control :
         {static_cast<QWidget *>(delayCaption), static_cast<QWidget *>(delayLabel),
          static_cast<QWidget *>(delaySlider), static_cast<QWidget *>(barCheck),
          static_cast<QWidget *>(rotateCheck)})
        slideLayout->addWidget(control);
    slidePage->layout()->addWidget(slideGroup);
    static_cast<QVBoxLayout *>(slidePage->layout())->addStretch();

    // The photo frame of the next start; it scrolls on a small screen.
    framePage = newPage(contentBox);
    framePage->hide();
    auto *frameScroller = new QScrollArea(framePage);
    frameScroller->setFrameShape(QFrame::NoFrame);
    frameScroller->setWidgetResizable(true);
    frameScroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QScroller::grabGesture(frameScroller->viewport(), QScroller::LeftMouseButtonGesture);
    auto *frameBox = new QWidget(frameScroller);
    auto *frameLayout = new QVBoxLayout(frameBox);
    frameCheck = new QCheckBox(tr("Start as a photo frame"), frameBox);
    frameFolders = new QPlainTextEdit(frameBox);
    frameFolders->setPlaceholderText(tr("Folders, one a line"));
    frameFolders->setFixedHeight(frameFolders->fontMetrics().lineSpacing() * 3 + 12);
    frameRecursive = new QCheckBox(tr("With subfolders"), frameBox);
    frameOrder = new QComboBox(frameBox);
    frameOrder->addItems({tr("Shuffled"), tr("Newest first")});
    frameBlank = new QLineEdit(frameBox);
    frameBlank->setPlaceholderText(tr("Dark HH:MM-HH:MM"));
    frameCrossfade = new QCheckBox(tr("Crossfade"), frameBox);
    frameCheck->setObjectName(QStringLiteral("frameCheck"));
    frameRecursive->setObjectName(QStringLiteral("frameRecursive"));
    frameCrossfade->setObjectName(QStringLiteral("frameCrossfade"));
    frameOrder->setObjectName(QStringLiteral("frameOrder"));
    auto *intervalNote = new QLabel(tr("Interval: the slide show's"), frameBox);
    intervalNote->setWordWrap(true);
    for (QWidget *control :
         {static_cast<QWidget *>(frameCheck), static_cast<QWidget *>(frameFolders),
          static_cast<QWidget *>(frameRecursive), static_cast<QWidget *>(frameOrder),
          static_cast<QWidget *>(intervalNote), static_cast<QWidget *>(frameBlank),
          static_cast<QWidget *>(frameCrossfade)})
        frameLayout->addWidget(control);
    frameLayout->addStretch();
    frameScroller->setWidget(frameBox);
    framePage->layout()->addWidget(frameScroller);

    bookmarkPage = newPage(contentBox);
    bookmarkPage->hide();
    bmListView = new QTreeWidget(bookmarkPage);
    bmListView->setObjectName(QStringLiteral("bmListView"));
    bmListView->setHeaderLabels({tr("Pics Name"), tr("Path: ")});
    bmListView->setRootIsDecorated(false);
    QScroller::grabGesture(bmListView->viewport(), QScroller::LeftMouseButtonGesture);
    // The scroller moves in pixels: by rows, a short drag would jump a row per pixel.
    bmListView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    bmListView->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    bmListView->setSelectionMode(QAbstractItemView::SingleSelection);
    bmListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    bmListView->setSortingEnabled(true);
    bmListView->sortByColumn(0, Qt::AscendingOrder);
    editFrame = new QFrame(bookmarkPage);
    editFrame->setObjectName(QStringLiteral("editFrame"));
    editFrame->setFrameShape(QFrame::StyledPanel);
    editFrame->setFrameShadow(QFrame::Raised);
    editFrame->setEnabled(false);
    auto *editGroup = new QGroupBox(bookmarkPage);
    auto *editLayout = new QGridLayout(editGroup);
    nameCaption = newLabel(tr("Pics name   "), "TextLabel4", editGroup);
    dirCaption = newLabel(tr("Pash:    "), "textdir", editGroup);
    nameEdit = new QLineEdit(editGroup);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    dirEdit = new QLineEdit(editGroup);
    dirEdit->setObjectName(QStringLiteral("dirEdit"));
    editLayout->addWidget(nameCaption, 0, 0);
    editLayout->addWidget(dirCaption, 1, 0);
    editLayout->addWidget(nameEdit, 0, 1);
    editLayout->addWidget(dirEdit, 1, 1);
    auto *buttonGroup = new QGroupBox(bookmarkPage);
    auto *buttonLayout = new QHBoxLayout(buttonGroup);
    addButton = new ZPushButton(buttonGroup, 3, -1, -1);
    addButton->setText(tr("Add  "));
    addButton->adjustSize();
    deleteButton = new ZPushButton(buttonGroup, 3, -1, -1);
    deleteButton->setText(tr("Delete"));
    deleteButton->setEnabled(false);
    buttonLayout->addWidget(addButton);
    buttonLayout->addWidget(deleteButton);
    auto *bookmarkLayout = static_cast<QVBoxLayout *>(bookmarkPage->layout());
    bookmarkLayout->addWidget(bmListView, 1);
    bookmarkLayout->addWidget(editFrame);
    bookmarkLayout->addWidget(editGroup);
    bookmarkLayout->addWidget(buttonGroup);

    softKeys = new UTIL_CST(this, tr("Save "), utf8("CST_Menu"), utf8("CST_Exit"));
    setCSTWidget(softKeys);
    softKeys->show();
    Accessibility::describe(pageCombo, tr("Page"));
    Accessibility::describe(thumbSize, thumbLabel->text().trimmed());
    Accessibility::describe(delaySlider, delayCaption->text().trimmed());
    Accessibility::describe(bmListView, tr("Set bookmark"));
    Accessibility::describe(nameEdit, nameCaption->text().trimmed());
    Accessibility::describe(dirEdit, dirCaption->text().trimmed());
    Accessibility::describe(frameFolders, frameFolders->placeholderText());
    Accessibility::describe(frameOrder, tr("Order of the pictures"));
    Accessibility::describe(frameBlank, tr("Dark hours, HH:MM-HH:MM"));
    Accessibility::describeButtons(this);
    connect(softKeys->getRightBtn(), &QPushButton::clicked, this, &QWidget::close);
    // On a desktop the screen covers the window: Escape leaves it as the right soft key does.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
    connect(softKeys->getMidBtn(), &QPushButton::clicked, this, &SettingsDialog::save);

    connect(thumbCheck, &QCheckBox::toggled, this, &SettingsDialog::saveThumbnailsChecked);
    connect(delaySlider, &QSlider::valueChanged, this, &SettingsDialog::delayChanged);
    connect(bmListView, &QTreeWidget::itemSelectionChanged, this,
            [this] { selectionChanged(selectedBookmark()); });
    connect(addButton, &QPushButton::clicked, this, &SettingsDialog::getpath);
    connect(nameEdit, &QLineEdit::textChanged, this, &SettingsDialog::bmNameChanged);
    connect(dirEdit, &QLineEdit::textChanged, this, &SettingsDialog::bmDirChanged);
    connect(deleteButton, &QPushButton::clicked, this, &SettingsDialog::deleteBookmark);

    // The pages are laid out for the phone's screen: a desktop gives them a little more.
    if (!DialogPlacement::place(this, parent, QSize(320, 400)))
        showMaximized();
}

void SettingsDialog::setSettings(Settings *s)
{
    settings = s;
    init();
}

void SettingsDialog::init()
{
    if (!settings)
        return;
    dimensionCheck->setChecked(settings->showDimension());
    extCheck->setChecked(settings->showExtension());
    thumbCheck->setChecked(settings->saveThumbnails());
    thumbSize->setValue(settings->thumbFileSize());
    delaySlider->setValue(settings->slideDelay());
    delayChanged(settings->slideDelay());
    rotateCheck->setChecked(settings->rotateInSlide());
    barCheck->setChecked(settings->controlBarInSlide());
    frameCheck->setChecked(settings->frame());
    frameFolders->setPlainText(settings->frameFolders());
    frameRecursive->setChecked(settings->frameRecursive());
    frameOrder->setCurrentIndex(settings->frameOrder() == 1 ? 1 : 0);
    frameBlank->setText(settings->frameBlank());
    frameCrossfade->setChecked(settings->frameCrossfade());

    // Filling twice must not list the bookmarks twice.
    bmListView->clear();
    for (const Bookmark *bookmark : settings->bookmarks())
        new QTreeWidgetItem(bmListView, {bookmark->name(), bookmark->dir()});
    if (bmListView->topLevelItemCount() > 0)
        deleteButton->setEnabled(true);
}

void SettingsDialog::apply()
{
    if (!settings)
        return;
    settings->setSaveThumbnails(thumbCheck->isChecked());
    settings->setThumbFileSize(thumbSize->value());
    settings->setSlideDelay(delaySlider->value());
    settings->setRotateInSlide(rotateCheck->isChecked());
    settings->setControlBarInSlide(barCheck->isChecked());
    settings->setShowExtension(extCheck->isChecked());
    settings->setShowDimension(dimensionCheck->isChecked());
    settings->setFrame(frameCheck->isChecked());
    settings->setFrameFolders(frameFolders->toPlainText().trimmed());
    settings->setFrameRecursive(frameRecursive->isChecked());
    settings->setFrameOrder(frameOrder->currentIndex());
    settings->setFrameBlank(frameBlank->text().trimmed());
    settings->setFrameCrossfade(frameCrossfade->isChecked());

    settings->bookmarks().clear();
    bmListView->sortItems(0, Qt::AscendingOrder);
    for (int i = 0; i < bmListView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = bmListView->topLevelItem(i);
        const QString name = row->text(0);
        const QString dir = row->text(1);
        if (!name.isEmpty() && !dir.isEmpty())
            settings->addBookmark(new Bookmark(name, dir));
    }
}

void SettingsDialog::save()
{
    apply();
    savedByUser = true;
    close();
}

void SettingsDialog::setset(int)
{
    const int index = pageCombo->currentIndex();
    if (index < 0 || index > 3)
        return;
    QWidget *const pages[] = {thumbnailPage, slidePage, bookmarkPage, framePage};
    for (int i = 0; i < 4; ++i) {
        const bool show = i == index;
        if (pages[i]->isHidden() == show)
            pages[i]->setVisible(show);
    }
}

void SettingsDialog::getpath()
{
    const QPointer<SettingsDialog> self(this);
    const QString path = choosePath();
    if (!self || path.isNull())
        return;
    chosenPath = path;
    newBookmark();
}

void SettingsDialog::newBookmark()
{
    auto *row = new QTreeWidgetItem(bmListView, {tr("Path     "), chosenPath});
    bmListView->setCurrentItem(row);
    row->setSelected(true);
    editFrame->setEnabled(true);
    deleteButton->setEnabled(true);
}

void SettingsDialog::deleteBookmark()
{
    QTreeWidgetItem *row = selectedBookmark();
    if (!row)
        return;
    // Left alone, the view would select the next row, and whatever is typed next would
    // rename a bookmark the user never picked.
    bmListView->setCurrentItem(nullptr);
    bmListView->clearSelection();
    delete bmListView->takeTopLevelItem(bmListView->indexOfTopLevelItem(row));
    nameEdit->clear();
    dirEdit->clear();
    if (bmListView->topLevelItemCount() == 0)
        editFrame->setEnabled(false);
}

void SettingsDialog::saveThumbnailsChecked(bool on)
{
    thumbLabel->setEnabled(on);
    thumbSize->setEnabled(on);
}

void SettingsDialog::delayChanged(int seconds)
{
    delayLabel->setText(tr("%1 s").arg(seconds));
}

void SettingsDialog::selectionChanged(QTreeWidgetItem *row)
{
    if (!row)
        return;
    // A line edit cuts what is longer than it holds; only the user's own edits go back into
    // the row, so a value merely looked at is saved whole.
    const QSignalBlocker quietName(nameEdit);
    const QSignalBlocker quietDir(dirEdit);
    nameEdit->setText(row->text(0));
    dirEdit->setText(row->text(1));
    editFrame->setEnabled(true);
}

void SettingsDialog::bmNameChanged(const QString &text)
{
    if (QTreeWidgetItem *row = selectedBookmark())
        row->setText(0, text);
}

void SettingsDialog::bmDirChanged(const QString &text)
{
    if (QTreeWidgetItem *row = selectedBookmark())
        row->setText(1, text);
}

QTreeWidgetItem *SettingsDialog::selectedBookmark() const
{
    const QList<QTreeWidgetItem *> rows = bmListView->selectedItems();
    return rows.isEmpty() ? nullptr : rows.first();
}

void SettingsDialog::emptyTrash()
{
    const Trash::Contents held = Trash::ours();
    const QLocale locale;
    if (held.files == 0) {
        ZMessageBox::information(this, QPixmap(),
                                 tr("The trash holds no picture that Pictarn put there."),
                                 QStringLiteral("  Ok  "));
        return;
    }
    // Only the pictures this program deleted: a desktop's own trashed files stay.
    const int answer = ZMessageBox::information(
            this, QPixmap(),
            tr("Remove %n picture(s) that Pictarn put in the trash (%1) for good?", nullptr,
               held.files)
                    .arg(locale.formattedDataSize(held.bytes)),
            QString::fromUtf8("确定"), QStringLiteral("Cancel"), QString(), 1, 1);
    if (answer != 0)
        return;
    const Trash::Contents freed = Trash::empty();
    ZMessageBox::information(this, QPixmap(),
                             tr("%n picture(s) removed, %1 freed.", nullptr, freed.files)
                                     .arg(locale.formattedDataSize(freed.bytes)),
                             QStringLiteral("  Ok  "));
}
