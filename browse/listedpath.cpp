#include "browse/listedpath.h"

ListedPath::ListedPath(const QString &name, const QString &path) : m_name(name)
{
    const qsizetype split = path.size() - name.size();
    if (name.isEmpty() || split < 1 || path.at(split - 1) != QLatin1Char('/')
        || QStringView(path).sliced(split) != name) {
        head = path;
        whole = true;
        return;
    }
    // Rows come folder by folder, the last folder's part is shared.
    thread_local QString last;
    const QStringView folder = QStringView(path).first(split);
    if (folder != last)
        last = folder.toString();
    head = last;
}

bool ListedPath::is(QStringView path) const
{
    if (whole)
        return path == head;
    return path.size() == head.size() + m_name.size() && path.startsWith(head)
           && path.sliced(head.size()) == m_name;
}
