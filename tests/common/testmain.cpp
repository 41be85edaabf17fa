#include "common/testmain.h"

#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace {
struct Entry
{
    const char *name;
    std::function<QObject *()> make;
};

std::vector<Entry> &entries()
{
    static std::vector<Entry> list;
    return list;
}
} // namespace

int TestRegistry::add(const char *name, std::function<QObject *()> make)
{
    entries().push_back({name, std::move(make)});
    return int(entries().size());
}

// Usage: tst_area [ClassName] [QTest options...]
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No test may read or write the user's own configuration.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);
    Startup::addPluginFolder(argv[0]);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (!qEnvironmentVariableIsEmpty("PICTARN_DATA_DIR"))
        QDir::setCurrent(qEnvironmentVariable("PICTARN_DATA_DIR"));

    QStringList args = app.arguments();
    QString only;
    if (args.size() > 1 && !args.at(1).startsWith(QLatin1Char('-'))) {
        only = args.takeAt(1);
    }
    int failures = 0;
    for (const Entry &entry : entries()) {
        if (!only.isEmpty() && only != QLatin1String(entry.name))
            continue;
        std::unique_ptr<QObject> test(entry.make());
        failures += QTest::qExec(test.get(), args);
    }
    return failures == 0 ? 0 : 1;
}
