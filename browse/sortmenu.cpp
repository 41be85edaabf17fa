#include "browse/sortmenu.h"

#include <QActionGroup>

SortMenu::SortMenu(QWidget *parent) : QMenu(tr("Sort by"), parent)
{
    setObjectName(QStringLiteral("sortMenu"));
    auto *group = new QActionGroup(this);
    for (int key = 0; key < SortOrder::keyCount; ++key) {
        QAction *action = addAction(SortOrder::label(SortOrder::Key(key)));
        action->setCheckable(true);
        group->addAction(action);
        keys.append(action);
        connect(action, &QAction::triggered, this, &SortMenu::choose);
    }
    addSeparator();
    reversed = addAction(tr("Reversed"));
    reversed->setCheckable(true);
    connect(reversed, &QAction::triggered, this, &SortMenu::choose);
    setOrder(m_order);
}

void SortMenu::setOrder(const SortOrder &order)
{
    m_order = order;
    keys.at(order.key())->setChecked(true);
    reversed->setChecked(order.isReversed());
}

void SortMenu::choose()
{
    SortOrder::Key key = m_order.key();
    for (int i = 0; i < keys.size(); ++i)
        if (keys.at(i)->isChecked())
            key = SortOrder::Key(i);
    const SortOrder chosen(key, reversed->isChecked());
    if (chosen == m_order)
        return;
    m_order = chosen;
    emit orderChosen(chosen);
}
