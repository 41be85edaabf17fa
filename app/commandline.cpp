#include "app/commandline.h"

#include <QCoreApplication>
#include <QDir>

#include <cstring>

CommandLine::CommandLine()
{
    parser.setApplicationDescription(
            QStringLiteral("Pictarn, an image browser for small touch screens.\n"
                           "Lists a folder's images, or shows the named images."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 QStringLiteral("A folder to list, or images to show."),
                                 QStringLiteral("[FOLDER | IMAGE...]"));
}

bool CommandLine::onlyPrints(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char *option : {"-h", "--help", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

void CommandLine::process(const QStringList &arguments)
{
    if (QCoreApplication::applicationVersion().isEmpty())
        QCoreApplication::setApplicationVersion(QStringLiteral(PICTARN_VERSION));
    parser.process(arguments);
}

QStringList CommandLine::paths(const QString &workingDir) const
{
    QStringList paths;
    const QDir base(workingDir);
    for (const QString &name : parser.positionalArguments())
        paths << QDir::cleanPath(base.absoluteFilePath(name));
    return paths;
}
