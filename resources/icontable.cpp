// Replaced by the icon generator's output.
#include "resources/iconset.h"

const EmbeddedImage embeddedImages[] = {
    {0, 0, 0, nullptr, 0, nullptr, false, nullptr},
};
