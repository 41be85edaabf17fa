#pragma once

#include <QString>

// Asks for a folder in a small modal dialog showing the folder tree. Returns the folder's path
// without a trailing "/" ("/" for the root), or a null QString when the user cancels.
QString choosePath();
