#pragma once

#include "platform/zmainwidget.h"

#include <QString>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QSlider;
class QPlainTextEdit;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;
class Settings;
class UTIL_CST;
class ZPushButton;

// The screen on which the settings and the bookmarks are edited. Edits stay in the controls
// until apply() copies them into the record; "Save " applies and closes, the right soft key
// closes without applying.
class SettingsDialog : public ZMainWidget
{
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget *parent);

    void setSettings(Settings *s);
    void apply();
    // True once the screen has been closed with "Save ".
    bool saved() const { return savedByUser; }

protected slots:
    void setset(int);
    void save();
    void init();
    void newBookmark();
    void deleteBookmark();
    void saveThumbnailsChecked(bool on);
    void delayChanged(int seconds);
    void selectionChanged(QTreeWidgetItem *row);
    void bmNameChanged(const QString &text);
    void bmDirChanged(const QString &text);
    void getpath();
    // After a question, removes what the program put in the trashes, and says how much.
    void emptyTrash();

private:
    QTreeWidgetItem *selectedBookmark() const;

    QWidget *contentBox;
    QWidget *thumbnailPage;
    QWidget *slidePage;
    QWidget *bookmarkPage;
    QWidget *framePage;
    QCheckBox *frameCheck;
    QPlainTextEdit *frameFolders;
    QCheckBox *frameRecursive;
    QComboBox *frameOrder;
    QLineEdit *frameBlank;
    QCheckBox *frameCrossfade;
    QComboBox *pageCombo;
    UTIL_CST *softKeys;
    QString chosenPath;
    QCheckBox *dimensionCheck;
    QCheckBox *extCheck;
    QCheckBox *thumbCheck;
    QSpinBox *thumbSize;
    QLabel *thumbLabel;
    QLabel *delayCaption;
    QLabel *delayLabel;
    QSlider *delaySlider;
    QCheckBox *barCheck;
    QCheckBox *rotateCheck;
    QTreeWidget *bmListView;
    ZPushButton *addButton;
    ZPushButton *deleteButton;
    QFrame *editFrame;
    QLabel *nameCaption;
    QLabel *dirCaption;
    QLineEdit *nameEdit;
    QLineEdit *dirEdit;
    Settings *settings = nullptr; // not owned
    bool savedByUser = false;
};
