#include "browse/pathchooser.h"

#include "browse/directoryview.h"
#include "browse/foldertreeitem.h"
#include "platform/accessibility.h"
#include "platform/dialogplacement.h"
#include "platform/zbasedialog.h"
#include "platform/zpushbutton.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace {
// Return on the tree takes the highlighted folder, as "确定" does; a double tap still only
// opens or closes a folder.
class ReturnAccepts : public QObject
{
public:
    explicit ReturnAccepts(QDialog *dialog) : QObject(dialog), dialog(dialog) { }

private:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                dialog->accept();
        }
        return false;
    }

    QDialog *dialog;
};
} // namespace

QString choosePath(const QString &start)
{
    QPointer<ZBaseDialog> dialog = new ZBaseDialog(nullptr, nullptr, 1, {});
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
            new QLabel(QCoreApplication::translate("PathChooser", "Choose path:      "), dialog));

    auto *view = new DirectoryView(dialog);
    view->setHeaderLabels({QCoreApplication::translate("PathChooser", "Directory")});
    view->header()->hide();
    const QFileInfoList drives = QDir::drives();
    for (const QFileInfo &drive : drives) {
        auto *root = new FolderTreeItem(view, drive.filePath());
        if (drives.size() <= 1)
            root->setOpen(true);
    }
    view->setIndentation(10);
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setDir(QFileInfo(start).isDir() ? QFileInfo(start).absoluteFilePath() : QDir::homePath());
    layout->addWidget(view);

    auto *buttons = new QHBoxLayout;
    auto *accept = new ZPushButton(dialog, 3, -1, -1);
    accept->setText(QCoreApplication::translate("PathChooser", "确定"));
    auto *cancel = new ZPushButton(dialog, 3, -1, -1);
    cancel->setText(QCoreApplication::translate("PathChooser", "Cancel"));
    buttons->addWidget(accept);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    QObject::connect(accept, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    view->installEventFilter(new ReturnAccepts(dialog));
    Accessibility::describe(view, QCoreApplication::translate("PathChooser", "Folders"));
    Accessibility::describeButtons(dialog);

    if (!DialogPlacement::place(dialog, nullptr, QSize(360, 480)))
        dialog->resize(220, 240);
    const int accepted = dialog->exec();

    QString path;
    if (dialog && accepted && view->currentItem())
        path = view->fullPath(view->currentItem());
    delete dialog;
    return path;
}
