#pragma once

#include <QByteArray>
#include <QString>

// A note, in the program's own data folder, of a copy to another file system under way: the
// copy's temporary name and, for a move, the original that goes once the copy is whole. A
// program killed meanwhile finishes or undoes it at its next start, so that no half-written
// file stays and no moved photo is there twice.
class MoveJournal
{
public:
    // from, to: open folders; part: the copy's temporary name in to.
    MoveJournal(int from, const QByteArray &name, int to, const QByteArray &toName,
                const QByteArray &part, bool move);
    ~MoveJournal(); // the work is over, done or not
    MoveJournal(const MoveJournal &) = delete;
    MoveJournal &operator=(const MoveJournal &) = delete;

    // Finishes the moves of notes left behind and removes their temporary copies. Notes that
    // do not read right are dropped; an original goes only when a regular file at the new
    // place holds the same bytes.
    static void finishInterrupted();

    // Whether name is one of the temporary names a copy takes.
    static bool isPartName(const QByteArray &name);

private:
    QString path;
};
