#pragma once

#include <QString>

// Asks for a folder in a small modal dialog showing the folder tree, opened at start (home when
// start is no folder). Returns the folder's path without a trailing "/" ("/" for the root),
// or a null QString when the user cancels.
QString choosePath(const QString &start = QString());
