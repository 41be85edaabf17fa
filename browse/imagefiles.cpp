#include "browse/imagefiles.h"

#include <QFile>
#include <QImageReader>
#include <QStringDecoder>
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

// Whether QDir::Files lists the entry: a regular file, or a link to anything but a folder;
// neither other kinds nor a broken link. Asks the system only where the listing does not tell.
bool isFile(int folder, const struct dirent *entry)
{
    unsigned char type = entry->d_type;
    struct stat info;
    if (type == DT_UNKNOWN) {
        if (::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        type = S_ISREG(info.st_mode) ? DT_REG : S_ISLNK(info.st_mode) ? DT_LNK : DT_DIR;
    }
    if (type == DT_REG)
        return true;
    return type == DT_LNK && ::fstatat(folder, entry->d_name, &info, 0) == 0
           && !S_ISDIR(info.st_mode);
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
        // A name that is no UTF-8 could not be named again from its text: left out, as the
        // toolkit's own listing does.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString name = decoder(QByteArrayView(entry->d_name));
        if (!decoder.hasError() && isImageName(name))
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
