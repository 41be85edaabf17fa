#pragma once

#include "platform/listedfolder.h"

#include <QCoreApplication>
#include <QString>

// Removes, renames and moves the user's image files. Each acts on the file through its folder
// as it was listed (never through a folder put at that path since), never replaces another
// file, and moves the file's preview along.
class FileOperations
{
    Q_DECLARE_TR_FUNCTIONS(FileOperations)

public:
    struct Outcome
    {
        bool done = false;
        QString message; // why nothing was done; empty when done
        QString path; // where the file is now
    };

    // Removes the file at path, in folder, for good.
    static Outcome remove(const QString &path, const ListedFolder &folder);

    // Gives the file at path, in folder, the name newName: a plain name in the same folder, or
    // an absolute path into a folder that exists. Refused, with the reason, when the name is
    // empty, "." or "..", too long for the file system, holds "/" without being absolute, or
    // names a file that exists.
    static Outcome rename(const QString &path, const ListedFolder &folder, const QString &newName);

    // Moves, or copies, the file at path, in folder, under its own name into targetFolder, with
    // its preview. Refused, with the reason, when a file of that name is there. copied: the copy
    // made.
    static Outcome transfer(const QString &path, const ListedFolder &folder,
                            const QString &targetFolder, bool copy, FileId *copied = nullptr);

    // Removes the copy at path that transfer() made, while it is still that file.
    static Outcome removeCopy(const QString &path, FileId file);

    // Moves the file called name in the open folder from to toName in the open folder to,
    // never replacing a file there. Across file systems the file is copied, flushed to disk,
    // compared and only then removed, so that it is whole at one place or the other at every
    // instant. False with errno set when it did not move.
    static bool move(int from, const QByteArray &name, int to, const QByteArray &toName);
};
