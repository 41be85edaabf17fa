#include "viewer/exifreader.h"

#include "platform/filedescriptor.h"

#include <QFile>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef PICTARN_HAVE_LIBEXIF
#include <libexif/exif-data.h>
#include <libexif/exif-utils.h>

#include <memory>
#endif

bool ExifReader::Details::isEmpty() const
{
    return !taken.isValid() && make.isEmpty() && model.isEmpty() && exposure.isEmpty()
           && aperture.isEmpty() && iso.isEmpty() && focalLength.isEmpty() && gps.isEmpty();
}

bool ExifReader::isAvailable()
{
#ifdef PICTARN_HAVE_LIBEXIF
    return true;
#else
    return false;
#endif
}

ExifReader::Details ExifReader::read(const QString &path)
{
    const FileDescriptor file(::open(QFile::encodeName(path).constData(),
                                     O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info;
    if (!isAvailable() || file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)
        || info.st_size <= 0)
        return {};
    QByteArray head(qsizetype(qMin<qint64>(info.st_size, maxHead)), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < head.size()) {
        const ssize_t n = ::pread(file.fd, head.data() + got, size_t(head.size() - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    head.truncate(got);
    return parse(head);
}

QDateTime ExifReader::parseDate(QByteArrayView text)
{
    if (text.size() < 19)
        return {};
    const auto field = [&text](int at, int length) {
        int value = 0;
        for (int i = at; i < at + length; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const QDate date(field(0, 4), field(5, 2), field(8, 2));
    const QTime time(field(11, 2), field(14, 2), field(17, 2));
    if (!date.isValid() || !time.isValid() || date.year() <= 1800)
        return {};
    // A camera's clock has no time zone; a local time would cost a time-zone look-up each.
    return QDateTime(date, time, Qt::UTC);
}

QDateTime ExifReader::dateTaken(const QString &path)
{
    return read(path).taken;
}

#ifdef PICTARN_HAVE_LIBEXIF
namespace {

struct Block
{
    ExifData *data;
    ExifByteOrder order;

    ExifEntry *entry(ExifIfd ifd, ExifTag tag, ExifFormat format, unsigned long components) const
    {
        ExifEntry *found = exif_content_get_entry(data->ifd[ifd], tag);
        // A hostile file may give any format and count: only what the tag should be is read.
        return found && found->format == format && found->components >= components && found->data
                               && found->size >= components * exif_format_get_size(format)
                       ? found
                       : nullptr;
    }

    QString text(ExifIfd ifd, ExifTag tag) const
    {
        const ExifEntry *found = exif_content_get_entry(data->ifd[ifd], tag);
        if (!found || found->format != EXIF_FORMAT_ASCII || !found->data)
            return {};
        const auto *bytes = reinterpret_cast<const char *>(found->data);
        return QString::fromLatin1(bytes, qstrnlen(bytes, found->size)).simplified();
    }

    // The value of a rational entry's component; NaN when there is none or it divides by 0.
    double rational(ExifIfd ifd, ExifTag tag, unsigned long index = 0) const
    {
        const ExifEntry *found = entry(ifd, tag, EXIF_FORMAT_RATIONAL, index + 1);
        if (!found)
            return std::nan("");
        const ExifRational r = exif_get_rational(found->data + 8 * index, order);
        return r.denominator == 0 ? std::nan("") : double(r.numerator) / r.denominator;
    }

    long number(ExifIfd ifd, ExifTag tag) const
    {
        if (const ExifEntry *found = entry(ifd, tag, EXIF_FORMAT_SHORT, 1))
            return exif_get_short(found->data, order);
        if (const ExifEntry *found = entry(ifd, tag, EXIF_FORMAT_LONG, 1))
            return long(exif_get_long(found->data, order));
        return 0;
    }
};

QDateTime dateOf(const QString &text)
{
    // Blanks or zeros where the camera did not know make no date.
    return ExifReader::parseDate(text.toLatin1());
}

QString number(double value, int decimals)
{
    // The C locale's digits: the labels around them are translated, the figures stay.
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

QString coordinate(const Block &block, ExifTag tag, ExifTag refTag)
{
    const double degrees = block.rational(EXIF_IFD_GPS, tag, 0);
    const double minutes = block.rational(EXIF_IFD_GPS, tag, 1);
    const double seconds = block.rational(EXIF_IFD_GPS, tag, 2);
    if (std::isnan(degrees) || std::isnan(minutes) || std::isnan(seconds))
        return {};
    const double value = degrees + minutes / 60 + seconds / 3600;
    const QString ref = block.text(EXIF_IFD_GPS, refTag).left(1).toUpper();
    if (value > 180 || ref.isEmpty())
        return {};
    return QString::number(value, 'f', 6) + QStringLiteral("° ") + ref;
}

} // namespace

ExifReader::Details ExifReader::parse(const QByteArray &head)
{
    Details details;
    QByteArray bytes = head.left(maxHead);
    // A TIFF-based file (most camera RAW) is an EXIF block as it stands.
    if (bytes.startsWith("II*\0") || bytes.startsWith(QByteArray("MM\0*", 4)))
        bytes.prepend(QByteArray("Exif\0\0", 6));
    else if (!bytes.startsWith("\xff\xd8"))
        return details;
    ExifData *data = exif_data_new();
    if (!data)
        return details;
    const std::unique_ptr<ExifData, void (*)(ExifData *)> owner(data, exif_data_unref);
    // libexif's strict mode fills in missing entries, the date among them with the time of
    // reading.
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data, reinterpret_cast<const unsigned char *>(bytes.constData()),
                        unsigned(bytes.size()));
    const Block block{data, exif_data_get_byte_order(data)};

    details.taken = dateOf(block.text(EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL));
    if (!details.taken.isValid())
        details.taken = dateOf(block.text(EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED));
    if (!details.taken.isValid())
        details.taken = dateOf(block.text(EXIF_IFD_0, EXIF_TAG_DATE_TIME));
    details.make = block.text(EXIF_IFD_0, EXIF_TAG_MAKE);
    details.model = block.text(EXIF_IFD_0, EXIF_TAG_MODEL);

    const double exposure = block.rational(EXIF_IFD_EXIF, EXIF_TAG_EXPOSURE_TIME);
    if (exposure > 0 && exposure < 1e6)
        details.exposure = (exposure < 0.5 ? QStringLiteral("1/") + number(1 / exposure, 1)
                                           : number(exposure, 1))
                           + QStringLiteral(" s");
    const double fNumber = block.rational(EXIF_IFD_EXIF, EXIF_TAG_FNUMBER);
    if (fNumber > 0 && fNumber < 1e4)
        details.aperture = QStringLiteral("f/") + number(fNumber, 1);
    if (const long iso = block.number(EXIF_IFD_EXIF, EXIF_TAG_ISO_SPEED_RATINGS); iso > 0)
        details.iso = QString::number(iso);
    const double focal = block.rational(EXIF_IFD_EXIF, EXIF_TAG_FOCAL_LENGTH);
    if (focal > 0 && focal < 1e5)
        details.focalLength = number(focal, 1) + QStringLiteral(" mm");
    const QString latitude
            = coordinate(block, ExifTag(EXIF_TAG_GPS_LATITUDE), ExifTag(EXIF_TAG_GPS_LATITUDE_REF));
    const QString longitude = coordinate(block, ExifTag(EXIF_TAG_GPS_LONGITUDE),
                                         ExifTag(EXIF_TAG_GPS_LONGITUDE_REF));
    if (!latitude.isEmpty() && !longitude.isEmpty())
        details.gps = latitude + QStringLiteral(", ") + longitude;
    return details;
}
#else
ExifReader::Details ExifReader::parse(const QByteArray &)
{
    return {};
}
#endif
