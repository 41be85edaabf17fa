#pragma once

#include "platform/fileid.h"

#include <QString>

// A folder as it was when its files were listed. Files are acted on through it only while the
// folder at its path is still that one: a folder swapped for a link to another between the
// listing and an action must not make the action reach the other folder's files.
class ListedFolder
{
public:
    ListedFolder() = default;
    // The folder now at path; the way to it may hold links, as a bookmark to a mount point does.
    explicit ListedFolder(const QString &path);
    // The folder holding the file at filePath.
    static ListedFolder holding(const QString &filePath);

    QString path() const { return m_path; }
    FileId id() const { return m_id; }
    bool isValid() const { return !m_id.isNull(); }

    // The folder at path opened (O_PATH) when it is still the folder listed, for the *at()
    // calls; -1 otherwise, with errno ESTALE when another folder has taken its place.
    int open() const;

    // The folder part and the name part of a file's path, as the system calls take them.
    static QString folderOf(const QString &filePath);
    static QString nameOf(const QString &filePath);

private:
    QString m_path;
    FileId m_id;
};
