#pragma once

#include <QString>

// A named folder of the bookmark menu.
class Bookmark
{
public:
    Bookmark(const QString &name, const QString &dir) : bookmarkName(name), folder(dir) { }

    QString name() const { return bookmarkName; }
    QString dir() const { return folder; }
    void setName(const QString &name) { bookmarkName = name; }
    void setDir(const QString &dir) { folder = dir; }

    // True when a file or folder exists at dir().
    bool exists() const;

private:
    QString bookmarkName;
    QString folder;
};
