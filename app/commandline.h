#pragma once

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

// The program's own arguments, `pictarn [FOLDER | IMAGE...]`, read from what Qt left once it
// took its own options (-platform and the like). Qt takes its options wherever they stand, so
// it is given only the arguments before the first "--": a name after it is a path whatever it
// looks like, and a glob is safe as `pictarn -- *`.
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    // The texts of --help come from the catalogues installed before it is made.
    CommandLine();

    // How many of argv's entries Qt is given: those before the first "--".
    static int optionCount(int argc, char **argv);

    // The arguments from the first "--" on, which Qt never sees.
    static QStringList afterOptions(int argc, char **argv);

    // Whether the options ask only for a text (help, version): no display is needed then.
    static bool onlyPrints(int optionCount, char **argv);

    // Reads the arguments, the program's name first. --help and --version print their text
    // and end the program; an unknown option (a name before "--" that looks like one) is
    // reported on standard error and makes it return false.
    bool process(const QStringList &arguments);

    // The folders and images named, in the order given. Relative names are taken from
    // workingDir: by the time they are read the program has left the folder it started in.
    // When that folder was gone at start (workingDir empty) they are reported missing.
    QStringList paths(const QString &workingDir) const;
    bool namesGiven() const { return !parser.positionalArguments().isEmpty(); }

    // The photo frame's options: --frame, --recursive, --interval, --blank, --newest-first,
    // --no-crossfade. interval() is -1 and blank() empty when not given.
    bool frame() const { return parser.isSet(QStringLiteral("frame")); }
    bool recursive() const { return parser.isSet(QStringLiteral("recursive")); }
    bool newestFirst() const { return parser.isSet(QStringLiteral("newest-first")); }
    bool noCrossfade() const { return parser.isSet(QStringLiteral("no-crossfade")); }
    int interval() const;
    QString blank() const { return parser.value(QStringLiteral("blank")); }

private:
    QCommandLineParser parser;
};
