#pragma once

#include <QCommandLineParser>
#include <QStringList>

// The program's own arguments, `pictarn [FOLDER | IMAGE...]`, read from what Qt left once it
// took its own options (-platform and the like).
class CommandLine
{
public:
    CommandLine();

    // Whether the arguments ask only for a text (help, version): no display is needed then.
    static bool onlyPrints(int argc, char **argv);

    // Reads the arguments, the program's name first; --help, --version and unknown options
    // print their text and end the program.
    void process(const QStringList &arguments);

    // The folders and images named, in the order given. Relative names are taken from
    // workingDir: by the time they are read the program has left the folder it started in.
    QStringList paths(const QString &workingDir) const;

private:
    QCommandLineParser parser;
};
