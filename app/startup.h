#pragma once

// What main() settles before the application object exists.
namespace Startup {

// Makes the data directory (the pictures loaded by relative path) the working directory:
// $PICTARN_DATA_DIR, else <prefix>/share/pictarn beside an installed binary, else the
// binary's own folder (the build tree). Returns false when none holds the pictures.
bool enterDataDirectory(const char *argv0);

// With no display and no platform chosen, serves the program over VNC on a 240 x 320 screen
// (port 5900).
void chooseScreen(int argc, char **argv);

} // namespace Startup
