// Feeds arbitrary bytes to the reading of pictarn.cfg, then saves and loads again: what was
// saved must read back unchanged. With PICTARN_FUZZ_SEEDS=<dir> set it writes configuration
// files to start from there and exits.

#include "app/bookmark.h"
#include "app/settings.h"
#include "platform/zconfig.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPoint>
#include <QRect>
#include <QSettings>
#include <QSize>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString configPath;
qint64 runs = 0;

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_config: %s\n", what);
        std::abort();
    }
}

void writeSeeds(const QString &dir)
{
    QDir().mkpath(dir);
    {
        Settings settings;
        settings.setSlideDelay(5);
        settings.setView(1);
        settings.setThumbFileSize(120);
        settings.setRotateInSlide(false);
        settings.setImageFullScreen(true);
        settings.setShowExtension(true);
        settings.addBookmark(
                new Bookmark(QStringLiteral("Camera"), QStringLiteral("/mmc/mmca1/DCIM/100MOTO")));
        settings.addBookmark(new Bookmark(QStringLiteral("Ünïcode, \"quoted\" = odd"),
                                          QStringLiteral("/home/user/My Pictures/a,b")));
        settings.save();
    }
    const QByteArray handWritten("[Settings]\nslideDelay=3\nview=0\nrotateInSlide=true\n"
                                 "thumbFileSize=30\n\n[Bookmarks]\nnumBookmarks=1\n"
                                 "name0=Documents\ndir0=/mmc/mmca1/opie/home/Documents\n");
    QFile::copy(configPath, dir + QStringLiteral("/saved.cfg"));
    // Values the INI reader turns into other types than text.
    {
        QFile::remove(configPath);
        QSettings typed(configPath, QSettings::IniFormat);
        typed.setValue(QStringLiteral("Settings/slideDelay"), QSize(3, 4));
        typed.setValue(QStringLiteral("Settings/view"),
                       QStringList{QStringLiteral("1"), QStringLiteral("2")});
        typed.setValue(QStringLiteral("Settings/rotateInSlide"), QByteArray("true\0", 5));
        typed.setValue(QStringLiteral("Settings/thumbFileSize"), QRect(1, 2, 3, 4));
        typed.setValue(QStringLiteral("Bookmarks/numBookmarks"), 3);
        typed.setValue(QStringLiteral("Bookmarks/name0"), QPoint(5, 6));
        typed.setValue(QStringLiteral("Bookmarks/dir0"), QVariant());
        typed.setValue(QStringLiteral("Bookmarks/name1"),
                       QStringList{QStringLiteral("a,b"), QStringLiteral("@c")});
        typed.setValue(QStringLiteral("Bookmarks/dir1"), QStringLiteral("@Size(\\0)"));
        typed.setValue(QStringLiteral("Bookmarks/name2"),
                       QString::fromUtf16(u"tab\t nul\u0001 \U0001F600 \\x41 ; # end"));
        typed.setValue(QStringLiteral("Bookmarks/dir2"), QDateTime::fromSecsSinceEpoch(0));
    }
    QFile::copy(configPath, dir + QStringLiteral("/typed.cfg"));
    QFile file(dir + QStringLiteral("/handwritten.cfg"));
    check(file.open(QIODevice::WriteOnly) && file.write(handWritten) == handWritten.size(),
          "cannot write a seed");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static QTemporaryDir configHome;
    check(configHome.isValid(), "no temporary folder");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Values in the file may hold serialized pictures, which need the GUI application.
    static int argc = 1;
    static char name[] = "fuzz_config";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    configPath = ZConfig::filePath(QStringLiteral("pictarn.cfg"));
    QDir().mkpath(QFileInfo(configPath).path());
    if (qEnvironmentVariableIsSet("PICTARN_FUZZ_SEEDS")) {
        writeSeeds(qEnvironmentVariable("PICTARN_FUZZ_SEEDS"));
        std::exit(0);
    }
    // Chatter on every run would drown the fuzzer's own output; fatal messages still abort.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    // A value written as "@Variant(...)" is a serialized toolkit object. The INI reader reserves
    // as much memory as its counts claim: gigabytes for a few bytes, which a plain allocator
    // maps and never touches but the address sanitizer reports. That is the toolkit's reader,
    // and without this the runs would stop at it every time.
    if (QByteArrayView(bytes, qsizetype(size)).contains("@Variant("))
        return -1;
    {
        QFile file(configPath);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                      && file.write(reinterpret_cast<const char *>(bytes), qint64(size))
                                 == qint64(size),
              "cannot write the configuration file");
        // A time of its own per run, so no cached copy of an earlier file is taken for it.
        check(file.setFileTime(QDateTime::fromSecsSinceEpoch(1'000'000'000 + ++runs),
                               QFileDevice::FileModificationTime),
              "cannot set the file time");
    }

    Settings loaded;
    loaded.load();
    check(loaded.bookmarks().size() == qBound(0, loaded.numBookmarks(), Settings::maxBookmarks),
          "bookmark list does not follow the count");
    loaded.save();

    Settings again;
    again.load();
    check(again.slideDelay() == loaded.slideDelay(), "slideDelay");
    check(again.view() == loaded.view(), "view");
    check(again.thumbFileSize() == loaded.thumbFileSize(), "thumbFileSize");
    check(again.rotateInSlide() == loaded.rotateInSlide(), "rotateInSlide");
    check(again.imageFullScreen() == loaded.imageFullScreen(), "imageFullScreen");
    check(again.rotateBestFit() == loaded.rotateBestFit(), "rotateBestFit");
    check(again.controlBarInSlide() == loaded.controlBarInSlide(), "controlBarInSlide");
    check(again.saveThumbnails() == loaded.saveThumbnails(), "saveThumbnails");
    check(again.showExtension() == loaded.showExtension(), "showExtension");
    check(again.showDimension() == loaded.showDimension(), "showDimension");
    check(again.numBookmarks() == loaded.bookmarks().size(), "numBookmarks");
    check(again.bookmarks().size() == loaded.bookmarks().size(), "bookmark count");
    for (qsizetype i = 0; i < loaded.bookmarks().size(); ++i) {
        check(again.bookmarks().at(i)->name() == loaded.bookmarks().at(i)->name(), "bookmark name");
        check(again.bookmarks().at(i)->dir() == loaded.bookmarks().at(i)->dir(), "bookmark dir");
    }
    return 0;
}
