#pragma once

#include <QPlainTextEdit>

// The platform's multi-line text field.
class ZMultiLineEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ZMultiLineEdit(QWidget *parent = nullptr, bool editMode = true, int lines = 1,
                            const char *name = nullptr);
};
