#pragma once

#include <QLoggingCategory>

// The program's trace lines: off unless asked for, e.g. QT_LOGGING_RULES="pictarn.debug=true".
Q_DECLARE_LOGGING_CATEGORY(pictarnTrace)
