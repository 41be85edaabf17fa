#include "app/commandline.h"

#include "slideshow/blankschedule.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstring>

namespace {
void complain(const QString &text)
{
    std::fprintf(stderr, "pictarn: %s\n", qPrintable(text));
}
} // namespace

CommandLine::CommandLine()
{
    parser.setApplicationDescription(tr("Pictarn, an image browser for small touch screens.\n"
                                        "Lists a folder's images, or shows the named images."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
            {QStringLiteral("frame"),
             tr("Run as a photo frame over the folders' pictures, full screen, for ever.")},
            {QStringLiteral("recursive"), tr("Frame: take in the subfolders too.")},
            {QStringLiteral("interval"),
             tr("Frame: seconds each picture stays (the slide show's delay)."), tr("SECONDS")},
            {QStringLiteral("blank"),
             tr("Frame: keep the screen dark between these times; a touch wakes it."),
             tr("HH:MM-HH:MM")},
            {QStringLiteral("newest-first"), tr("Frame: the newest pictures first, not shuffled.")},
            {QStringLiteral("no-crossfade"),
             tr("Frame: change pictures at once, without a crossfade.")},
    });
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 tr("A folder to list, or images to show."),
                                 tr("[FOLDER | IMAGE...]"));
}

int CommandLine::optionCount(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return i;
    }
    return argc;
}

QStringList CommandLine::afterOptions(int argc, char **argv)
{
    QStringList names;
    for (int i = optionCount(argc, argv); i < argc; ++i)
        names << QString::fromLocal8Bit(argv[i]);
    return names;
}

bool CommandLine::onlyPrints(int optionCount, char **argv)
{
    for (int i = 1; i < optionCount; ++i) {
        for (const char *option : {"-h", "--help", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

bool CommandLine::process(const QStringList &arguments)
{
    if (QCoreApplication::applicationVersion().isEmpty())
        QCoreApplication::setApplicationVersion(QStringLiteral(PICTARN_VERSION));
    if (!parser.parse(arguments)) {
        complain(tr("%1\nNames that start with '-' go after '--': pictarn -- NAME...")
                         .arg(parser.errorText()));
        return false;
    }
    // Help and version print their text and end the program.
    if (!parser.optionNames().isEmpty())
        parser.process(arguments);
    if (parser.isSet(QStringLiteral("interval")) && interval() < 0) {
        complain(tr("--interval takes a number of seconds (0 to 86400)"));
        return false;
    }
    if (!blank().isEmpty() && !BlankSchedule::parse(blank()).isValid()) {
        complain(tr("--blank takes two times, like 22:30-07:00"));
        return false;
    }
    return true;
}

int CommandLine::interval() const
{
    bool number = false;
    const int seconds = parser.value(QStringLiteral("interval")).toInt(&number);
    return number && seconds >= 0 && seconds <= 86400 ? seconds : -1;
}

QStringList CommandLine::paths(const QString &workingDir) const
{
    QStringList paths;
    const QDir base(workingDir);
    for (const QString &name : parser.positionalArguments()) {
        if (workingDir.isEmpty() && QDir::isRelativePath(name))
            qWarning("pictarn: %s",
                     qPrintable(tr("%1: no such file or folder (the folder it was started in is "
                                   "gone)")
                                        .arg(name)));
        else
            paths << QDir::cleanPath(base.absoluteFilePath(name));
    }
    return paths;
}
