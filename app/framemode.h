#pragma once

#include "slideshow/frameoptions.h"

#include <QString>
#include <QStringList>

class CommandLine;
class Settings;

// Whether the program starts as a photo frame (--frame, or the "frame" setting) and with
// what: the command line's folders and options over those of the settings.
class FrameMode
{
public:
    FrameMode(const CommandLine &commandLine, const QString &workingDir);

    bool isWanted() const { return wanted; }
    const FrameOptions &options() const { return m_options; }

    // Runs the frame until it is closed; the program's exit code. 1 when no folder is named.
    int exec();

private:
    bool wanted = false;
    FrameOptions m_options;
};
