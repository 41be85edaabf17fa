#include "app/undobar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

UndoBar::UndoBar(QWidget *parent)
    : QFrame(parent),
      label(new QLabel(this)),
      undoButton(new QPushButton(this)),
      timer(new QTimer(this)),
      home(parent)
{
    setObjectName(QStringLiteral("undoBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    undoButton->setText(tr("Undo"));
    undoButton->setMinimumHeight(32);
    undoButton->setFocusPolicy(Qt::NoFocus); // the keys stay with the views
    label->setTextFormat(Qt::PlainText);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(label, 1);
    layout->addWidget(undoButton);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, &QWidget::hide);
    connect(undoButton, &QPushButton::clicked, this, [this] {
        hide();
        emit undoClicked();
    });
    parent->installEventFilter(this);
    hide();
}

void UndoBar::showMessage(const QString &text, bool undoable)
{
    // A long name is cut in the middle, so that its start and its end both show.
    if (host)
        moveTo(host());
    undoButton->setVisible(undoable);
    const int room = parentWidget()->width() - (undoable ? undoButton->sizeHint().width() : 0) - 16;
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, room));
    label->setToolTip(text);
    place();
    show();
    raise();
    timer->start(shownMs);
}

QString UndoBar::text() const
{
    return label->toolTip();
}

bool UndoBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    if (watched == parentWidget() && watched != home && event->type() == QEvent::Hide) {
        // A closing full-screen window would take the bar with it; what time is left is
        // spent at home.
        moveTo(home);
        if (timer->isActive()) {
            place();
            show();
        }
    }
    return QFrame::eventFilter(watched, event);
}

void UndoBar::moveTo(QWidget *window)
{
    if (!window || window == parentWidget())
        return;
    parentWidget()->removeEventFilter(this);
    setParent(window); // hides the bar
    window->installEventFilter(this);
}

void UndoBar::place()
{
    const int height = std::max(36, sizeHint().height());
    setGeometry(0, parentWidget()->height() - height, parentWidget()->width(), height);
}
