#pragma once

#include "platform/listedfolder.h"

#include <QCoreApplication>
#include <QString>

#include <optional>

// The freedesktop trash: a file goes to the trash of its own file system ($XDG_DATA_HOME/Trash
// for the home's, else ".Trash-<uid>" at the top of the file system, on the card itself) with
// the ".trashinfo" file that lets a desktop's file manager show and restore it.
class Trash
{
    Q_DECLARE_TR_FUNCTIONS(Trash)

public:
    struct Entry
    {
        QString originalPath;
        QString trashFolder; // the trash's own folder, holding files/ and info/
        QString name; // in files/; info/ holds name + ".trashinfo"
    };

    // Moves the file at path, in folder as it was listed, into its trash, its preview removed.
    // Nothing on failure, with the reason in why.
    static std::optional<Entry> put(const QString &path, const ListedFolder &folder, QString &why);

    // Puts the file back at its old path in folder; refuses to replace a file that has come
    // there meanwhile.
    static bool restore(const Entry &entry, const ListedFolder &folder, QString &why);

    // The trash of the home's file system.
    static QString homeTrash();

    // What the program put in the trashes it knows (the home's and the cards'), as its record
    // says: only those files, still the same files, and their ".trashinfo".
    struct Contents
    {
        int files = 0;
        qint64 bytes = 0;
    };
    static Contents ours();
    // Removes them for good; what was removed.
    static Contents empty();
};
