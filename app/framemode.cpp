#include "app/framemode.h"

#include "app/commandline.h"
#include "app/settings.h"
#include "slideshow/frameshow.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

FrameMode::FrameMode(const CommandLine &commandLine, const QString &workingDir)
{
    Settings settings;
    settings.load();
    wanted = commandLine.frame() || settings.frame();
    if (!wanted)
        return;
    m_options.folders = commandLine.paths(workingDir);
    if (m_options.folders.isEmpty())
        m_options.folders = settings.frameFolders().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    m_options.recursive = commandLine.recursive() || settings.frameRecursive();
    m_options.intervalMs
            = 1000
              * (commandLine.interval() >= 0 ? commandLine.interval()
                                             : std::clamp(settings.slideDelay(), 0, 86400));
    m_options.order = commandLine.newestFirst() || settings.frameOrder() == 1
                              ? FramePlaylist::NewestFirst
                              : FramePlaylist::Shuffled;
    m_options.crossfade = settings.frameCrossfade() && !commandLine.noCrossfade();
    m_options.bestFit = settings.rotateInSlide();
    m_options.blank = BlankSchedule::parse(commandLine.blank().isEmpty() ? settings.frameBlank()
                                                                         : commandLine.blank());
}

int FrameMode::exec()
{
    if (m_options.folders.isEmpty()) {
        std::fprintf(stderr, "pictarn: %s\n",
                     qPrintable(QCoreApplication::translate(
                             "FrameMode", "the frame needs a folder: pictarn --frame FOLDER...")));
        return 1;
    }
    // A card not mounted yet is read once it is there.
    for (const QString &folder : std::as_const(m_options.folders)) {
        if (!QFileInfo(folder).isDir())
            std::fprintf(
                    stderr, "pictarn: %s\n",
                    qPrintable(QCoreApplication::translate("FrameMode", "%1: no such folder (yet)")
                                       .arg(folder)));
    }
    auto *show = new FrameShow(m_options);
    show->start();
    return QApplication::exec();
}
