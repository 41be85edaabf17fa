#include "platform/trace.h"

Q_LOGGING_CATEGORY(pictarnTrace, "pictarn", QtInfoMsg)
