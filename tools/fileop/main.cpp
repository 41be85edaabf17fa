// Runs one file operation as the program does, for the crash test: says "ready", waits for a
// byte on standard input, acts, says "done". Killed at any moment, it must leave each file
// whole at one place.
//   pictarn-fileop delete|rename|move|copy <file> [<new name>|<folder>]
//   pictarn-fileop recover      (what the program does at start)
#include "app/fileoperations.h"
#include "app/movejournal.h"
#include "app/trash.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == QLatin1String("recover")) {
        MoveJournal::finishInterrupted();
        return 0;
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: pictarn-fileop delete|rename|move|copy <file> [<to>]\n");
        return 2;
    }
    const QString &command = args.at(0), &file = args.at(1);
    const ListedFolder folder = ListedFolder::holding(file);
    std::puts("ready");
    std::fflush(stdout);
    char go;
    if (::read(0, &go, 1) != 1)
        return 2;
    bool done = false;
    QString why;
    if (command == QLatin1String("delete")) {
        done = bool(Trash::put(file, folder, why));
    } else {
        const FileOperations::Outcome outcome
                = command == QLatin1String("rename")
                          ? FileOperations::rename(file, folder, args.value(2))
                          : FileOperations::transfer(file, folder, args.value(2),
                                                     command == QLatin1String("copy"));
        done = outcome.done;
        why = outcome.message;
    }
    std::puts(done ? "done" : qPrintable(why));
    return done ? 0 : 1;
}
