#pragma once

// What main() settles before the application object exists.
namespace Startup {

// Makes the data directory (the pictures loaded by relative path) the working directory:
// $PICTARN_DATA_DIR, else <prefix>/share/pictarn beside an installed binary, else the
// binary's own folder (the build tree). Returns false when none holds the pictures.
bool enterDataDirectory(const char *argv0);

// Lets the toolkit find the program's own image-format plugins (an imageformats folder):
// beside the binary (the build tree), in <prefix>/<libdir>/pictarn beside an installed
// binary, in the installed library folder, else in the build tree the program was built in.
// Returns false when none holds them.
bool addPluginFolder(const char *argv0);

} // namespace Startup
