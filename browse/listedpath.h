#pragma once

#include <QString>

// An image's path as its folder's part and its name: the rows of one folder share the folder's
// part (one string for a folder of 100,000 images), and the full path is made when asked for.
class ListedPath
{
public:
    ListedPath() = default;
    // The name is the path's last part in every listing; a path that does not end in it is kept
    // whole.
    ListedPath(const QString &name, const QString &path);

    const QString &name() const { return m_name; }
    QString path() const { return whole ? head : head + m_name; }
    // Compares without making the path.
    bool is(QStringView path) const;

private:
    QString head; // the folder with its last slash, or the whole path
    QString m_name;
    bool whole = false;
};
