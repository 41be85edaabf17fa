#include "platform/zmessagebox.h"

#include "platform/accessibility.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>

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

// Qt wraps a message at half the screen's width: on a phone that is a narrow column of a few
// words per line running off the bottom. There the box takes most of the screen's width.
void useTheScreenWidth(QMessageBox &box)
{
    const QScreen *screen = box.screen();
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!screen || !grid)
        return;
    const int screenWidth = screen->availableGeometry().width();
    if (screenWidth > 480)
        return;
    const QMargins margins = grid->contentsMargins();
    const int width = screenWidth - 16 - margins.left() - margins.right();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}
} // namespace

int ZMessageBox::information(QWidget *parent, const QPixmap &icon, const QString &text,
                             const QString &button0, const QString &button1, const QString &button2,
                             int, int defaultButton)
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
    if (defaultButton >= 0 && defaultButton < buttons.size())
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.at(defaultButton)));
    useTheScreenWidth(box);
    Accessibility::describeButtons(&box);
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}
