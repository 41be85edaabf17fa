// Draws the compiled-in icon table and the picture files that the program loads at run time.
//
//   icongen <source-dir>          rewrites resources/icontable.cpp and image/*.png there
//   icongen --sheet <file.png>    draws everything, enlarged, onto one sheet for looking at

#include "colourtable.h"
#include "contactsheet.h"
#include "drawing.h"
#include "icontable.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

namespace {

bool finish(const std::vector<Drawing> &drawings, std::vector<IconRow> *rows)
{
    for (const Drawing &drawing : drawings) {
        QImage image = render(drawing);
        if (drawing.depth == 8) {
            QString error;
            image = reduceColours(image, drawing.colours, &error);
            if (image.isNull()) {
                std::fprintf(stderr, "icongen: %s: %s\n", drawing.name, qPrintable(error));
                return false;
            }
        }
        rows->push_back({&drawing, image});
    }
    return true;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

int usage()
{
    std::fprintf(stderr, "usage: icongen <source-dir>\n       icongen --sheet <file.png>\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<IconRow> icons;
    std::vector<IconRow> pictures;
    if (!finish(iconDrawings(), &icons) || !finish(pictureDrawings(), &pictures))
        return 1;

    if (argc == 3 && qstrcmp(argv[1], "--sheet") == 0) {
        // Only the sheet has writing on it, and fonts need the application object.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QList<SheetEntry> entries;
        for (const auto *list : {&icons, &pictures}) {
            for (const IconRow &row : *list)
                entries.append({QString::fromLatin1(row.drawing->name), row.image});
        }
        const QString path = QString::fromLocal8Bit(argv[2]);
        if (!contactSheet(entries).save(path, "PNG")) {
            std::fprintf(stderr, "icongen: cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-')
        return usage();

    const QDir source(QString::fromLocal8Bit(argv[1]));
    if (!source.exists(QStringLiteral("resources/iconset.h"))) {
        std::fprintf(stderr, "icongen: %s is not the source tree\n", argv[1]);
        return 1;
    }
    if (!write(source.filePath(QStringLiteral("resources/icontable.cpp")), iconTableSource(icons)))
        return 1;
    for (const IconRow &picture : pictures) {
        const QString path = source.filePath(QString::fromLatin1(picture.drawing->name));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !picture.image.save(&file, "PNG")
            || !file.commit()) {
            std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
