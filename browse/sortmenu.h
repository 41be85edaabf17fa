#pragma once

#include "browse/sortorder.h"

#include <QMenu>

class QActionGroup;

// The main menu's "Sort by" entry: one key of the order, and whether it is reversed.
class SortMenu : public QMenu
{
    Q_OBJECT
public:
    explicit SortMenu(QWidget *parent = nullptr);

    void setOrder(const SortOrder &order);
    SortOrder order() const { return m_order; }

signals:
    // The user chose another order.
    void orderChosen(const SortOrder &order);

private:
    void choose();

    SortOrder m_order;
    QList<QAction *> keys;
    QAction *reversed;
};
