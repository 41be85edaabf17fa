#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What a photo's EXIF block says about how it was taken, read through libexif from at most
// the first 64 KB of the file. Every field is empty where the file says nothing (or where the
// program was built without libexif). Runs in any thread; reads the file, so keep it off the
// GUI thread.
class ExifReader
{
public:
    struct Details
    {
        QDateTime taken; // the camera's own clock, which has no time zone, held as UTC
        QString make;
        QString model;
        QString exposure; // "1/250 s"
        QString aperture; // "f/2.8"
        QString iso;
        QString focalLength; // "4.2 mm"
        QString gps; // "48.858370° N, 2.294481° E"

        bool isEmpty() const;
    };

    // Whether the build reads EXIF at all.
    static bool isAvailable();
    // The file at path: a regular file only, opened without blocking on a pipe or device.
    static Details read(const QString &path);
    // The date alone, from the same bytes.
    static QDateTime dateTaken(const QString &path);
    // A JPEG's first bytes, or those of a TIFF-based file (camera RAW).
    static Details parse(const QByteArray &head);

    // "YYYY:MM:DD HH:MM:SS" (EXIF) or "YYYY-MM-DDTHH:MM:SS"; invalid for anything else. Much
    // faster than the toolkit's parse by format, which matters over a folder of photos.
    static QDateTime parseDate(QByteArrayView text);

    static constexpr qint64 maxHead = 64 * 1024;
};
