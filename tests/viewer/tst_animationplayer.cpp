#include "common/testmain.h"

#include "viewer/animationplayer.h"
#include "viewer/imageloader.h"
#include "viewer/imagewidget.h"

#include <QPixmap>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class tst_AnimationPlayer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void playsAsTheFileSays_data();
    void playsAsTheFileSays();

private:
    QTemporaryDir dir;
};

void tst_AnimationPlayer::initTestCase()
{
    QVERIFY(dir.isValid());
    const QStringList colours{"red", "lime", "blue"};
    for (const QString &colour : colours) {
        // A palette picture: ImageMagick takes long to quantise a truecolour one to a GIF.
        QImage frame(300, 200, QImage::Format_Indexed8);
        frame.setColorTable({QColor(colour).rgb()});
        frame.fill(0);
        QVERIFY(frame.save(dir.filePath(colour + ".png")));
    }
}

void tst_AnimationPlayer::playsAsTheFileSays_data()
{
    QTest::addColumn<QStringList>("command"); // OUT: the file made
    QTest::addColumn<QList<int>>("delays"); // of the frames shown after the first
    QTest::addColumn<QSize>("box"); // the first frame as the surface shows it
    QTest::addColumn<bool>("replaced"); // the surface's picture replaced after one frame

    // Two passes (one repeat); ImageMagick's delays are in hundredths of a second.
    const QStringList gif{"convert", "-delay",   "3",      "red.png", "-delay",
                          "6",       "lime.png", "-delay", "9",       "blue.png",
                          "-loop",   "2",        "OUT.gif"};
    const QList<int> twoPasses{60, 90, 30, 60, 90};
    QTest::newRow("gif") << gif << twoPasses << QSize(320, 240) << false;
    QTest::newRow("gif turned to fit") << gif << twoPasses << QSize(240, 320) << false;
    QTest::newRow("gif replaced") << gif << QList<int>{60} << QSize(240, 320) << true;
    QTest::newRow("gif, no delays") << QStringList{"convert",  "-delay", "0", "red.png", "lime.png",
                                                   "blue.png", "-loop",  "1", "OUT.gif"}
                                    << QList<int>{100, 100} << QSize(240, 320) << false;
    QTest::newRow("webp") << QStringList{"img2webp", "-loop",    "2",  "-d",       "30",
                                         "red.png",  "-d",       "60", "lime.png", "-d",
                                         "90",       "blue.png", "-o", "OUT.webp"}
                          << twoPasses << QSize(240, 320) << false;
    QTest::newRow("still gif") << QStringList{"convert", "red.png", "OUT.gif"} << QList<int>()
                               << QSize(240, 320) << false;
}

void tst_AnimationPlayer::playsAsTheFileSays()
{
    QFETCH(QStringList, command);
    QFETCH(QList<int>, delays);
    QFETCH(QSize, box);
    QFETCH(bool, replaced);

    const QString tool = QStandardPaths::findExecutable(command.takeFirst());
    if (tool.isEmpty())
        QSKIP("the tool that makes the file is missing");
    const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-');
    command.replaceInStrings("OUT", name);
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(tool, command);
    QVERIFY(process.waitForFinished(30000) && process.exitCode() == 0);
    const QString path = dir.filePath(name + (command.last().endsWith(".webp") ? ".webp" : ".gif"));

    ImageWidget widget;
    widget.resize(box);
    widget.show();
    ImageLoader loader;
    loader.load(path);
    bool turned = false;
    QPixmap pixmap = QPixmap::fromImage(*loader.bestFitImage(box.width(), box.height(), turned));
    const QSize shown = pixmap.size();
    QCOMPARE(turned, box.width() < box.height());
    widget.setPixmap(&pixmap, false);
    const QPointer<AnimationPlayer> player = AnimationPlayer::playOn(&widget, &pixmap, path);
    QCOMPARE(bool(player), !delays.isEmpty());
    if (!player)
        return;

    QList<int> seen;
    QList<QRgb> colours;
    connect(player, &AnimationPlayer::frameShown, this, [&](int, int delay) {
        seen << delay;
        colours << pixmap.toImage().pixel(shown.width() / 2, shown.height() / 2);
        QCOMPARE(pixmap.size(), shown);
        if (replaced)
            pixmap = QPixmap::fromImage(QImage(shown, QImage::Format_RGB32));
    });
    if (replaced)
        QTRY_VERIFY(!player); // it goes at its next frame
    else
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), delays.size(), 10000);
    if (player) // the last frame stays
        QTRY_VERIFY(!player->findChild<QTimer *>()->isActive());
    QCOMPARE(seen, delays);
    const QList<QRgb> cycle{qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 0, 0)};
    for (int i = 0; i < colours.size(); ++i)
        QCOMPARE(colours.at(i), cycle.at(i % cycle.size()));
}

PICTARN_TEST(tst_AnimationPlayer)
#include "tst_animationplayer.moc"
