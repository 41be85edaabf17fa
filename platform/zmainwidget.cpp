#include "platform/zmainwidget.h"

#include "platform/dialogplacement.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QVBoxLayout>

ZMainWidget::ZMainWidget(const QString &titleText, bool, QWidget *parent, const char *name,
                         Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::Window)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    title = new QLabel(titleText, this);
    title->setFixedHeight(titleHeight);
    title->setIndent(4);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title);
    contentArea = new QVBoxLayout;
    layout->addLayout(contentArea, 1);
    softKeyArea = new QVBoxLayout;
    layout->addLayout(softKeyArea);
}

void ZMainWidget::setContentWidget(QWidget *widget)
{
    if (content)
        contentArea->removeWidget(content);
    content = widget;
    if (!widget)
        return;
    if (widget->parentWidget() != this)
        widget->setParent(this);
    contentArea->addWidget(widget);
}

void ZMainWidget::setCSTWidget(QWidget *widget)
{
    if (softKeys)
        softKeyArea->removeWidget(softKeys);
    softKeys = widget;
    if (!widget)
        return;
    if (widget->parentWidget() != this)
        widget->setParent(this);
    softKeyArea->addWidget(widget);
}

void ZMainWidget::show()
{
    if (running) {
        QWidget::show();
        return;
    }
    // On a desktop it stays where it was placed, at its own size.
    if (DialogPlacement::onDesktop(parentWidget()))
        QWidget::show();
    else
        showFullScreen();
    const QPointer<ZMainWidget> self(this);
    QEventLoop loop;
    connect(this, &ZMainWidget::closed, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    running = true;
    loop.exec(QEventLoop::DialogExec);
    if (self)
        running = false;
}

void ZMainWidget::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

void ZMainWidget::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (running && !isVisible())
        emit closed();
}
