#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The date a photo was taken, from the first place that knows it: what this process read
// before, the dates kept in the ".ptthumbs" folder beside the photos, else the photo's EXIF
// block (the dates learned are then kept there for the next visit). Invalid when the photo
// holds no date. Reads files: call it off the GUI thread. Safe from any number of threads.
namespace TakenDate {

// fileTimes: the images' modification times, which tell a stale record; one per path.
QList<QDateTime> of(const QStringList &paths, const QList<QDateTime> &fileTimes);
QDateTime of(const QString &path, const QDateTime &fileTime);

// Whether dates learned are written to ".ptthumbs" (as previews are when they are saved).
void setKeeping(bool keep);

// How many photos' EXIF blocks this process has read, and forgetting what it read: for the
// benchmarks and tests, which stand for a later visit.
int photosRead();
void forget();

// The file in ".ptthumbs" that keeps them.
constexpr char fileName[] = ".ptdates";

} // namespace TakenDate
