#include "platform/zmessagebox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

namespace {
// A message box that may be closed, or escaped, without choosing a button.
class ClosableMessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void closeEvent(QCloseEvent *event) override { QDialog::closeEvent(event); }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape && !escapeButton()) {
            reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
};
} // namespace

int ZMessageBox::information(QWidget *parent, const QPixmap &icon, const QString &text,
                             const QString &button0, const QString &button1, const QString &button2,
                             int)
{
    ClosableMessageBox box(parent);
    box.setText(text);
    if (!icon.isNull())
        box.setIconPixmap(icon);
    QList<QAbstractButton *> buttons;
    for (const QString &label : {button0, button1, button2}) {
        if (!label.isNull())
            buttons.append(box.addButton(label, QMessageBox::ActionRole));
    }
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}
