#include "browse/imagefiles.h"

#include <QFile>
#include <QImageReader>
#include <QStringList>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {
const char *const rawEndings[]
        = {"dng", "cr2", "cr3", "nef", "arw", "orf", "rw2", "raf", "pef", "srw"};

QString endingOf(const QString &name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

// The kind of a folder entry, by the listing where it tells, else by the entry itself (a link
// followed, as QDir::Files does).
bool isFile(int folder, const struct dirent *entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat info;
    return ::fstatat(folder, entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}
} // namespace

bool ImageFiles::isImageName(const QString &name)
{
    static const QStringList endings = [] {
        QStringList list{QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("bmp"),
                         QStringLiteral("gif"), QStringLiteral("jpeg")};
        // Without their readers these would be listed but never shown.
        const QList<QByteArray> formats = QImageReader::supportedImageFormats();
        for (const char *format :
             {"webp", "tif", "tiff", "svg", "svgz", "heic", "heif", "hif", "avif", "jxl"}) {
            if (formats.contains(format))
                list << QLatin1String(format);
        }
        for (const char *format : rawEndings) {
            if (formats.contains(format))
                list << QLatin1String(format);
        }
        return list;
    }();
    // Asked for every file of a large folder: the ending is not copied.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QStringView ending = QStringView(name).sliced(dot + 1);
    // Every known ending is ASCII, and no other letter lowers to one of its letters.
    return std::any_of(endings.cbegin(), endings.cend(), [ending](const QString &known) {
        return ending.size() == known.size()
               && std::equal(ending.cbegin(), ending.cend(), known.cbegin(), [](QChar a, QChar b) {
                      return a.unicode() < 128 && QChar::toLower(a.unicode()) == b.unicode();
                  });
    });
}

qsizetype ImageFiles::readFolder(const QString &folder, QStringList &names, qsizetype limit,
                                 const std::atomic<bool> *cancelled)
{
    DIR *entries = ::opendir(QFile::encodeName(folder).constData());
    if (!entries)
        return 0;
    qsizetype files = 0;
    while (const struct dirent *entry = ::readdir(entries)) {
        if (entry->d_name[0] == '.' || !isFile(::dirfd(entries), entry))
            continue;
        if ((limit >= 0 && ++files > limit) || (cancelled && *cancelled)) {
            files = -1;
            break;
        }
        if (limit < 0)
            ++files;
        const QString name = QFile::decodeName(entry->d_name);
        if (isImageName(name))
            names.append(name);
    }
    ::closedir(entries);
    return files;
}

QByteArray ImageFiles::formatHint(const QString &name)
{
    const QByteArray ending = endingOf(name).toLatin1();
    for (const char *format : rawEndings) {
        if (ending == format)
            return ending;
    }
    return QByteArray();
}
