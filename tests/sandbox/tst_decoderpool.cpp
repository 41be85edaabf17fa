#include "common/testmain.h"

#include "app/settings.h"
#include "browse/imagelistitem.h"
#include "browse/imagelistview.h"
#include "sandbox/decoderpool.h"
#include "sandbox/decoderservice.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailview.h"
#include "viewer/imageloader.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <functional>

namespace {

// Long enough for a sanitizer build's helper to start on a busy machine.
constexpr int timeLimit = 5000;

qint64 statusBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLongLong() << 10;
    }
    return -1;
}

// How far the program's resident size rose above where it was while work ran.
qint64 peakRise(const std::function<void()> &work)
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return -1;
    clear.close();
    const qint64 before = statusBytes("VmRSS:");
    work();
    return statusBytes("VmHWM:") - before;
}

// This process's children, and how many of them are dead but not reaped.
QPair<int, int> childProcesses()
{
    int count = 0, zombies = 0;
    for (const QString &task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs)) {
        QFile list(QStringLiteral("/proc/self/task/%1/children").arg(task));
        if (!list.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &pid : list.readAll().split(' ')) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(pid.trimmed())));
            if (pid.trimmed().isEmpty() || !stat.open(QIODevice::ReadOnly))
                continue;
            ++count;
            const QByteArray text = stat.readAll();
            zombies += text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
        }
    }
    return {count, zombies};
}

QByteArray littleEndian(quint32 value, int bytes = 4)
{
    QByteArray data(4, 0);
    qToLittleEndian(value, data.data());
    return data.left(bytes);
}

QByteArray riffChunk(const char *type, const QByteArray &data)
{
    return type + littleEndian(quint32(data.size())) + data + QByteArray(data.size() % 2, 0);
}

// A lossless WebP bitstream of one colour: each of its five prefix codes has a single symbol,
// so that no pixel takes a bit.
QByteArray lossless(int w, int h)
{
    quint32 bits = 0; // no transform, no colour cache, no meta codes
    for (int code = 0; code < 5; ++code)
        bits |= 1u << (3 + 4 * code); // simple code, one 1-bit symbol: 0
    return riffChunk("VP8L", char(0x2f) + littleEndian(quint32(w - 1) | quint32(h - 1) << 14)
                                     + littleEndian(bits, 3));
}

QByteArray webp(const QByteArray &chunks)
{
    return "RIFF" + littleEndian(quint32(chunks.size() + 4)) + "WEBP" + chunks;
}

QByteArray animatedWebp(int w, int h, int frames)
{
    const QByteArray size = littleEndian(w - 1, 3) + littleEndian(h - 1, 3);
    QByteArray chunks = riffChunk("VP8X", QByteArray("\x02\0\0\0", 4) + size)
                        + riffChunk("ANIM", QByteArray(6, 0));
    for (int i = 0; i < frames; ++i) // at 0,0, 100 ms, the whole canvas
        chunks += riffChunk("ANMF", QByteArray(6, 0) + size + littleEndian(100, 3)
                                            + QByteArray(1, 0) + lossless(w, h));
    return webp(chunks);
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A picture whose text chunk tells the faulty helper what to do with it.
bool writePicture(const QString &path, const QString &fault = QString())
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    if (!fault.isEmpty())
        image.setText(QStringLiteral("Comment"), QStringLiteral("pictarn-fault-") + fault);
    return image.save(path, "png");
}

} // namespace

// Decoders that loop, grow, crash or try to get out stay in their helper: the file gives the
// damaged placeholder and the program goes on.
class tst_DecoderPool : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void faultyDecodersLeaveTheProgramWorking_data();
    void faultyDecodersLeaveTheProgramWorking();
    void bombsStayOutOfTheProgram_data();
    void bombsStayOutOfTheProgram();
    void noHelperNoDecoding();
    void onlyAnAnswerSaysNoPicture();

private:
    QTemporaryDir dir;
};

void tst_DecoderPool::initTestCase()
{
    QVERIFY(dir.isValid());
    DecoderPool::instance().setProgram(QStringLiteral(FAULTY_DECODER));
    DecoderPool::instance().setTimeLimit(timeLimit);
}

void tst_DecoderPool::faultyDecodersLeaveTheProgramWorking_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("shown");
    QTest::newRow("loops") << "loop" << false;
    QTest::newRow("allocates without end") << "alloc" << false;
    QTest::newRow("crashes") << "crash" << false;
    // Kept waiting, as on a busy machine, it is not taken for a stuck one: its limit is work.
    QTest::newRow("waits without working") << "wait" << true;
    // Opening, creating, connecting, forking and executing all fail under the filter.
    if (DecoderService::filtered())
        QTest::newRow("tries to get out") << "escape" << true;
}

void tst_DecoderPool::faultyDecodersLeaveTheProgramWorking()
{
    QFETCH(QString, fault);
    QFETCH(bool, shown);
    const QStringList names{"a.png", "faulty.png", "c.png"};
    for (const QString &name : names)
        QVERIFY(writePicture(dir.filePath(name), name == "faulty.png" ? fault : QString()));
    Settings settings;
    settings.setThumbFileSize(-1);
    ImageListView list;
    ThumbnailView view(nullptr, &settings);
    for (int i = 0; i < names.size(); ++i)
        view.addBox(new ImageListItem(&list, names[i], dir.filePath(names[i])), i / 2, i % 2);
    view.show();

    QElapsedTimer clock;
    qint64 last = 0, longestPause = 0;
    QTimer ticks;
    connect(&ticks, &QTimer::timeout, [&] {
        longestPause = std::max(longestPause, clock.elapsed() - last);
        last = clock.elapsed();
    });
    const qint64 rise = peakRise([&] {
        QSignalSpy finished(&view, &ThumbnailView::passFinished);
        clock.start();
        ticks.start(10);
        view.loadThumbs();
        QVERIFY(finished.wait(4 * timeLimit));
        ticks.stop();
        // As the viewer does on the GUI thread.
        ImageLoader loader;
        loader.load(dir.filePath("faulty.png"));
        QCOMPARE(loader.width(), 40);
        QCOMPARE(loader.fittedImage(240, 320)->isNull(), !shown);
    });
    QVERIFY(longestPause < timeLimit);
    QList<bool> previews;
    for (int i = 0; i < view.boxCount(); ++i)
        previews << view.boxAt(i)->isThumbLoaded();
    QCOMPARE(previews, QList<bool>({true, shown, true}));
    QCOMPARE(view.boxAt(1)->imageWidth(), shown ? 40 : 0);
    QVERIFY2(rise < (64 << 20), qPrintable(QString::number(rise >> 20) + " MB"));
    const auto [helpers, zombies] = childProcesses();
    QVERIFY(helpers <= QThread::idealThreadCount() + 1);
    QCOMPARE(zombies, 0);
}

void tst_DecoderPool::bombsStayOutOfTheProgram_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lossless webp of 8192 x 8192 in 28 bytes") << webp(lossless(8192, 8192));
    QTest::newRow("animated webp of 8192 x 8192") << animatedWebp(8192, 8192, 2);
}

void tst_DecoderPool::bombsStayOutOfTheProgram()
{
    QFETCH(QByteArray, bytes);
    const QString path = dir.filePath("bomb.webp");
    QVERIFY(write(path, bytes));
    ImageLoader loader;
    const qint64 rise = peakRise([&] {
        loader.load(path);
        loader.fittedImage(80, 60);
    });
    QVERIFY2(rise >= 0 && rise < (64 << 20), qPrintable(QString::number(rise >> 20) + " MB"));
}

void tst_DecoderPool::noHelperNoDecoding()
{
    const QString path = dir.filePath("plain.png");
    QVERIFY(writePicture(path));
    qputenv("PICTARN_DECODER", "/nonexistent/pictarn-decoder");
    DecoderPool::instance().setProgram(QString());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("pictarn-decoder is not"));
    ImageLoader loader;
    loader.load(path);
    QCOMPARE(loader.width(), 0);
    QVERIFY(loader.fittedImage(80, 60)->isNull());
    QVERIFY(!loader.notAPicture());
    DecoderPool::instance().setProgram(QStringLiteral(FAULTY_DECODER));
}

// What is kept as no picture must be what a helper said, never a helper that went wrong.
void tst_DecoderPool::onlyAnAnswerSaysNoPicture()
{
    for (const QByteArray &content : {QByteArray(3000, 'x'), QByteArray("pictarn-probe-crash")}) {
        QVERIFY(write(dir.filePath("what.png"), content));
        ImageLoader loader;
        loader.load(dir.filePath("what.png"));
        QCOMPARE(loader.notAPicture(), content.startsWith('x'));
    }
}

PICTARN_TEST(tst_DecoderPool)
#include "tst_decoderpool.moc"
