#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "slideshow/slideshow.h"
#include "viewer/prefetcher.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <climits>
#include <memory>

namespace {

const auto counterText
        = [](SlideShow *show) { return show->findChild<QLabel *>("counter")->text(); };
const auto timerOf = [](SlideShow *show) { return show->findChild<QTimer *>("timer"); };
const auto barOf = [](SlideShow *show) { return show->findChild<QFrame *>("controlBar"); };
const auto button = [](SlideShow *show, const QString &name) {
    return show->findChild<QToolButton *>(name + "Button");
};

// The counter; "+" when the show runs on by itself, "-" when it is paused; "b" when the
// control bar is shown.
const auto state = [](SlideShow *show) {
    return counterText(show) + (timerOf(show)->isActive() ? "+" : "-")
           + (barOf(show)->isVisible() ? "b" : "");
};

// Notes each counter the show paints first, and whether its timer was armed by then.
struct PaintWatcher : QObject
{
    SlideShow *show = nullptr;
    QStringList painted;
    bool armedBeforePaint = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !painted.contains(counterText(show))) {
            painted.append(counterText(show));
            armedBeforePaint |= timerOf(show)->isActive();
        }
        return false;
    }
};

// The smallest rectangle holding every pixel that is not black.
QRect pictureRect(const QImage &screen)
{
    QRect box;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if ((screen.pixel(x, y) & 0xffffff) != 0)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Sends the key, or a click, to target once the event loop runs.
void later(QWidget *target, int key)
{
    QTimer::singleShot(0, target, [=] {
        key ? QTest::keyClick(target, Qt::Key(key)) : QTest::mouseClick(target, Qt::LeftButton);
    });
}

const auto deleteClosedWidgets
        = [] { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); };

} // namespace

class tst_SlideShow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void walksThroughTheShow_data();
    void walksThroughTheShow();
    void anEmptyListShowsNothingAndGoesAway();
    void inputArrivingJustBeforeADecodeIsSafe_data();
    void inputArrivingJustBeforeADecodeIsSafe();
    void fitsTurnsOrBlanksEachPicture_data();
    void fitsTurnsOrBlanksEachPicture();
    void oddDelaysPaintEachImageAndLetEventsRun_data();
    void oddDelaysPaintEachImageAndLetEventsRun();

private:
    // A show of count pictures; it keeps its own list, as the caller's may go before it starts.
    SlideShow *made(int count, QSize size = QSize(64, 48), bool start = false);

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Settings> settings;
    QPointer<SlideShow> last; // the show under test, null once it has deleted itself
};

void tst_SlideShow::init()
{
    dir = std::make_unique<QTemporaryDir>();
    settings = std::make_unique<Settings>();
    settings->setSlideDelay(1);
    settings->setControlBarInSlide(false);
}

void tst_SlideShow::cleanup()
{
    // A failed check may leave a show running; it must not outlive the settings it reads.
    delete last.data();
}

SlideShow *tst_SlideShow::made(int count, QSize size, bool start)
{
    QList<ImageEntry> entries;
    for (int i = 0; i < count; ++i) {
        const QString path = dir->filePath(QStringLiteral("picture%1.png").arg(i));
        TestUtil::writeImage(path, size.width(), size.height());
        entries.append({QFileInfo(path).fileName(), path});
    }
    last = new SlideShow(entries, settings.get());
    if (start) {
        last->start();
        Q_UNUSED(QTest::qWaitForWindowExposed(last));
    }
    return last;
}

void tst_SlideShow::walksThroughTheShow_data()
{
    QTest::addColumn<int>("count");
    // Steps, each "what=the state after it" (see state()). What is a key, a swipe to the left
    // or right, a button of the bar, a tap on the picture or the counter, "late" (once most of
    // the delay has passed) or "wait" (for the show to go on by itself); "gone": closed.
    QTest::addColumn<QString>("steps");
    QTest::newRow("keys") << 3 << "late=1/3+ Enter=2/3+ Space=2/3- Down=3/3+ Return=gone";
    QTest::newRow("buttons") << 3
                             << "tap=1/3+b late=1/3+b next=2/3+b play=2/3-b play=3/3+b "
                                "back=1/3-b next=1/3+b wait=2/3+b stop=gone";
    QTest::newRow("back and on") << 4
                                 << "late=1/4+ Right=2/4+ late=2/4+ swipeLeft=3/4+ Left=3/4- "
                                    "swipeRight=2/4- Up=1/4- Left=1/4- swipeLeft=1/4+ Space=1/4- "
                                    "Escape=gone";
    QTest::newRow("taps") << 2 << "tap=1/2+b counter=1/2+b tap=1/2+ tap=1/2+b stop=gone";
    QTest::newRow("last image keeps its delay") << 3 << "wait=2/3+ wait=3/3+ wait=gone";
    QTest::newRow("one image, next") << 1 << "Right=gone";
}

void tst_SlideShow::walksThroughTheShow()
{
    QFETCH(int, count);
    QFETCH(QString, steps);
    SlideShow *show = made(count, QSize(64, 48), true);
    QSignalSpy ready(show->findChild<Prefetcher *>(), &Prefetcher::ready);
    QSignalSpy cancelled(show, &ImageWidget::CancelPressed);
    // The release of the Return that chose the show from the menu is not a step in it.
    QTest::keyRelease(show, Qt::Key_Return);
    QCOMPARE(state(show), QString("1/%1+").arg(count));
    // The second slide is decoded while the first is on screen.
    QTRY_VERIFY(count < 2 || steps.startsWith("Right")
                || (ready.size() == 1 && ready.at(0).at(0).toString().endsWith("/picture1.png")));
    for (const QString &step : steps.split(' ')) {
        const QString what = step.section('=', 0, 0);
        const QString after = step.section('=', 1);
        if (what == "wait") {
            QTRY_VERIFY_WITH_TIMEOUT(!last || state(show) == after, 3000);
        } else if (what == "late") {
            QTRY_VERIFY(timerOf(show)->remainingTime() < 500);
        } else if (what.startsWith("swipe")) {
            const int dx = what == "swipeLeft" ? -60 : 60;
            QTest::mousePress(show, Qt::LeftButton, {}, QPoint(120, 100));
            QTest::mouseMove(show, QPoint(120 + dx / 2, 100));
            QTest::mouseRelease(show, Qt::LeftButton, {}, QPoint(120 + dx, 100));
        } else if (what == "tap") {
            QTest::mouseClick(show, Qt::LeftButton, {}, QPoint(120, 60));
        } else if (what == "counter") {
            // A tap on the counter is meant for the bar, whose text must not vanish into black.
            QTest::mouseClick(show->findChild<QLabel *>("counter"), Qt::LeftButton);
            const QImage bar = barOf(show)->grab().toImage();
            QVERIFY(qGray(bar.pixel(bar.width() / 2, 1)) > 100);
        } else if (QToolButton *pressed = button(show, what)) {
            QTest::mouseClick(pressed, Qt::LeftButton);
        } else {
            QTest::keyClick(show, QKeySequence(what)[0].key());
        }
        if (after == "gone") {
            deleteClosedWidgets();
            break;
        }
        QCOMPARE(state(show), after);
        // A step on arms the timer anew (coarse timers may be set up to 5% short); a tap
        // leaves it running, however long the taps took on a loaded machine.
        const bool tap = what == "tap" || what == "counter";
        if (after.contains('+') && what != "wait" && what != "late")
            QVERIFY(tap ? timerOf(show)->isActive() : timerOf(show)->remainingTime() > 800);
    }
    QVERIFY(last.isNull());
    QCOMPARE(cancelled.size(), 0);
}

void tst_SlideShow::anEmptyListShowsNothingAndGoesAway()
{
    made(0)->start();
    QVERIFY(!last->isVisible());
    deleteClosedWidgets();
    QVERIFY(last.isNull());
}

void tst_SlideShow::inputArrivingJustBeforeADecodeIsSafe_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("firstImage");
    QTest::addColumn<bool>("deleteAtOnce");
    for (const char *kind : {"escape", "stop button", "tap"})
        for (const bool first : {true, false})
            for (const bool flush : {false, true})
                QTest::addRow("%s before the %s image%s", kind, first ? "first" : "next",
                              flush ? ", deleted at once" : "")
                        << QString::fromLatin1(kind) << first << flush;
}

void tst_SlideShow::inputArrivingJustBeforeADecodeIsSafe()
{
    QFETCH(QString, kind);
    QFETCH(bool, firstImage);
    QFETCH(bool, deleteAtOnce);
    SlideShow *show = made(3, QSize(64, 48), !firstImage);
    timerOf(show)->stop();
    // The step runs from an event loop, as in the program; the input is waiting for the
    // events that the step lets run before it decodes.
    QString afterStep; // the show's state as its step returns; "gone" when it went within
    QTimer::singleShot(0, show, [&, show] {
        if (kind == "stop button")
            later(button(show, "stop"), 0);
        else
            later(show, kind == "tap" ? 0 : Qt::Key_Escape);
        // Stands for any handler that deletes closed widgets while the show is still inside
        // its own step.
        if (deleteAtOnce)
            QMetaObject::invokeMethod(qApp, deleteClosedWidgets, Qt::QueuedConnection);
        firstImage ? show->start() : show->showNextImage();
        afterStep = last ? state(last) : "gone";
    });
    QTRY_VERIFY(!afterStep.isEmpty());
    // Closed before its decode, the image it was about to show never came; a tap only shows
    // the bar.
    const bool closes = kind != "tap";
    QCOMPARE(afterStep, !closes        ? QString(firstImage ? "1/3+b" : "2/3+b")
                        : deleteAtOnce ? "gone"
                                       : QString(firstImage ? "...-" : "1/3-"));
    QTRY_COMPARE(last.isNull(), closes);
}

void tst_SlideShow::fitsTurnsOrBlanksEachPicture_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<bool>("rotate");
    QTest::addColumn<int>("damage"); // the second picture cut to that size; -1: none, -2: deleted
    QTest::addColumn<QSize>("picture"); // what of the second is on screen
    QTest::newRow("landscape, turning on") << QSize(640, 480) << true << -1 << QSize(240, 320);
    QTest::newRow("landscape, turning off") << QSize(640, 480) << false << -1 << QSize(240, 180);
    QTest::newRow("small, turning on") << QSize(100, 50) << true << -1 << QSize(100, 50);
    QTest::newRow("zero bytes") << QSize(300, 200) << false << 0 << QSize(0, 0);
    QTest::newRow("truncated") << QSize(300, 200) << false << 60 << QSize(0, 0);
    QTest::newRow("deleted after the start") << QSize(300, 200) << false << -2 << QSize(0, 0);
}

void tst_SlideShow::fitsTurnsOrBlanksEachPicture()
{
    QFETCH(QSize, image);
    QFETCH(bool, rotate);
    QFETCH(int, damage);
    QFETCH(QSize, picture);
    const bool turned = image.width() > image.height() && picture.width() < picture.height();
    settings->setRotateInSlide(rotate);
    SlideShow *show = made(3, image);
    const QString second = dir->filePath("picture1.png");
    QVERIFY(damage < 0 || QFile::resize(second, damage));
    show->start();
    QVERIFY(damage != -2 || QFile::remove(second));
    QTest::keyClick(show, Qt::Key_Right);
    QCOMPARE(counterText(show), QStringLiteral("2/3"));
    const QImage screen = show->grab().toImage();
    const QRect box = pictureRect(screen);
    QCOMPARE(box.size(), picture);
    // Turned clockwise, the picture's top left corner (red and green 0) ends at the top right.
    const QRgb corner = screen.pixel(turned ? box.topRight() : box.topLeft());
    QVERIFY(box.isEmpty()
            || (qRed(corner) < 24 && qGreen(corner) < 24 && qBlue(corner) > 150
                && box.center() == show->rect().center()));
    // The show goes on past a picture it cannot show.
    QTRY_COMPARE(counterText(show), QStringLiteral("3/3"));
    QVERIFY(!pictureRect(show->grab().toImage()).isEmpty());
}

void tst_SlideShow::oddDelaysPaintEachImageAndLetEventsRun_data()
{
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("count"); // of pictures; with more than three, Escape waits at start
    QTest::newRow("zero") << 0 << 3;
    QTest::newRow("lowest int") << INT_MIN << 3;
    QTest::newRow("zero, Escape waiting") << 0 << 40;
    QTest::newRow("highest int, Escape waiting") << INT_MAX << 4;
}

void tst_SlideShow::oddDelaysPaintEachImageAndLetEventsRun()
{
    QFETCH(int, delay);
    QFETCH(int, count);
    settings->setSlideDelay(delay);
    PaintWatcher watcher;
    watcher.show = made(count, QSize(8, 8));
    watcher.show->installEventFilter(&watcher);
    watcher.show->start();
    QVERIFY(timerOf(watcher.show)->isActive());
    QCOMPARE(timerOf(watcher.show)->interval() > 1000 * 1000, delay > 0);
    if (count > 3)
        later(watcher.show, Qt::Key_Escape);
    QTRY_VERIFY(last.isNull());
    QVERIFY(!watcher.armedBeforePaint);
    // Each is painted before the show goes on; an Escape is handled before the end.
    const QString painted = watcher.painted.join(' ');
    QVERIFY(count == 3 ? painted.endsWith("1/3 2/3 3/3")
                       : painted.contains("1/") && !painted.contains(QString("%1/%1").arg(count)));
}

PICTARN_TEST(tst_SlideShow)
#include "tst_slideshow.moc"
