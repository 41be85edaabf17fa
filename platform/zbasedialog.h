#pragma once

#include <QDialog>

// The platform's dialog base: a toolkit dialog, modal when asked.
class ZBaseDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ZBaseDialog(QWidget *parent = nullptr, const char *name = nullptr, int modal = 1,
                         Qt::WindowFlags flags = {});
};
