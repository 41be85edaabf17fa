#include "common/testmain.h"
#include "common/testutil.h"

#include "app/settings.h"
#include "resources/iconset.h"
#include "slideshow/slideshow.h"
#include "viewer/prefetcher.h"

#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <climits>
#include <functional>
#include <memory>

namespace {

// Calls a function for every event of one type that reaches an object.
class EventWatcher : public QObject
{
public:
    EventWatcher(QObject *target, QEvent::Type type, std::function<void()> seen)
        : QObject(target), type(type), seen(std::move(seen))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == type)
            seen();
        return false;
    }

private:
    QEvent::Type type;
    std::function<void()> seen;
};

QString counterText(SlideShow *show)
{
    return show->findChild<QLabel *>(QStringLiteral("counter"))->text();
}

QTimer *timerOf(SlideShow *show)
{
    return show->findChild<QTimer *>(QStringLiteral("timer"));
}

QFrame *controlBarOf(SlideShow *show)
{
    return show->findChild<QFrame *>(QStringLiteral("controlBar"));
}

QToolButton *button(SlideShow *show, const char *name)
{
    return show->findChild<QToolButton *>(QLatin1String(name));
}

// A key, a swipe to the left (-1) or right (-2), or with none a click on the named button.
void press(SlideShow *show, int key, const char *buttonName)
{
    if (key < 0) {
        const int dx = key == -1 ? -60 : 60;
        QTest::mousePress(show, Qt::LeftButton, {}, QPoint(120, 100));
        QTest::mouseMove(show, QPoint(120 + dx / 2, 100));
        QTest::mouseRelease(show, Qt::LeftButton, {}, QPoint(120 + dx, 100));
    } else if (key) {
        QTest::keyClick(show, Qt::Key(key));
    } else {
        QTest::mouseClick(button(show, buttonName), Qt::LeftButton);
    }
}

bool showsIcon(QToolButton *button, const char *name)
{
    const QImage expected = iconPixmap(QLatin1String(name)).toImage();
    const QImage actual = button->icon().pixmap(expected.size()).toImage();
    return !expected.isNull() && actual.convertToFormat(expected.format()) == expected;
}

// The smallest rectangle holding every pixel that is not black.
QRect pictureRect(const QImage &screen)
{
    QRect box;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            if ((screen.pixel(x, y) & 0xffffff) != 0)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// Posts a left click on target, or only its release.
void postClick(QWidget *target, QPointF at, bool withPress)
{
    const QPointF global = target->mapToGlobal(at);
    if (withPress) {
        QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                            Qt::LeftButton, Qt::LeftButton, {}));
    }
    QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                        Qt::LeftButton, Qt::NoButton, {}));
}

void postKey(QWidget *target, int key)
{
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        QCoreApplication::postEvent(target, new QKeyEvent(type, key, Qt::NoModifier));
}

void closerFor(SlideShow *show, const QString &kind)
{
    if (kind == QLatin1String("escape")) {
        postKey(show, Qt::Key_Escape);
    } else if (kind == QLatin1String("stop button")) {
        QToolButton *stop = button(show, "stopButton");
        postClick(stop, QRectF(stop->rect()).center(), true);
    } else {
        postClick(show, QPointF(120, 100), false);
    }
}

void deleteClosedWidgets()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class tst_SlideShow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void showsEachImageInTurnAndClosesAfterTheLast();
    void oneImageFinishesAtOnceAndClosesAfterItsDelay_data();
    void oneImageFinishesAtOnceAndClosesAfterItsDelay();
    void anEmptyListShowsNothingAndGoesAway();
    void pauseStopsTheTimerAndResumingShowsTheNextImage_data();
    void pauseStopsTheTimerAndResumingShowsTheNextImage();
    void advancingShowsTheNextImageAtOnceAndRearmsTheTimer_data();
    void advancingShowsTheNextImageAtOnceAndRearmsTheTimer();
    void steppingBackPausesOnTheImageOnScreenThenTheOnesBefore_data();
    void steppingBackPausesOnTheImageOnScreenThenTheOnesBefore();
    void steppingBackAfterTheEndShowsTheFirstImage();
    void escapeAndTheStopButtonCloseTheShow_data();
    void escapeAndTheStopButtonCloseTheShow();
    void inputArrivingJustBeforeADecodeIsSafe_data();
    void inputArrivingJustBeforeADecodeIsSafe();
    void tapsToggleTheControlBar_data();
    void tapsToggleTheControlBar();
    void bestFitTurnsALandscapeImageOnlyWhenAsked_data();
    void bestFitTurnsALandscapeImageOnlyWhenAsked();
    void anImageThatCannotBeShownIsBlackAndTheShowGoesOn_data();
    void anImageThatCannotBeShownIsBlackAndTheShowGoesOn();
    void delaysBelowOneSecondPaintEachImageBeforeGoingOn_data();
    void delaysBelowOneSecondPaintEachImageBeforeGoingOn();
    void aHugeDelayStillArmsTheTimer();
    void aZeroDelayStillLetsEventsRunBetweenImages();

private:
    QList<ImageEntry> makeImages(int count, int w = 64, int h = 48);
    SlideShow *made(const QList<ImageEntry> &entries);
    SlideShow *started(const QList<ImageEntry> &entries);

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Settings> settings;
    QPointer<SlideShow> last; // the show under test, null once it has deleted itself
};

void tst_SlideShow::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    settings = std::make_unique<Settings>();
    settings->setSlideDelay(1);
    settings->setControlBarInSlide(true);
    settings->setRotateInSlide(false);
}

void tst_SlideShow::cleanup()
{
    // A failed check may leave a show running; it must not outlive the settings it reads.
    if (last)
        delete last.data();
    settings.reset();
    dir.reset();
}

QList<ImageEntry> tst_SlideShow::makeImages(int count, int w, int h)
{
    QList<ImageEntry> entries;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("picture%1.png").arg(i);
        const QString path = dir->filePath(name);
        if (!TestUtil::writeImage(path, w, h))
            qWarning("cannot write %s", qPrintable(path));
        entries.append({name, path});
    }
    return entries;
}

SlideShow *tst_SlideShow::made(const QList<ImageEntry> &entries)
{
    last = new SlideShow(entries, settings.get());
    return last;
}

SlideShow *tst_SlideShow::started(const QList<ImageEntry> &entries)
{
    SlideShow *show = made(entries);
    show->start();
    if (!QTest::qWaitForWindowExposed(show))
        qWarning("the show was not exposed");
    return show;
}

void tst_SlideShow::showsEachImageInTurnAndClosesAfterTheLast()
{
    SlideShow *show;
    {
        // The show keeps its own list: the caller's may be gone before it starts.
        const QList<ImageEntry> entries = makeImages(3);
        show = new SlideShow(entries, settings.get());
    }
    last = show;
    show->start();
    QSignalSpy ready(show->findChild<Prefetcher *>(), &Prefetcher::ready);
    QVERIFY(show->isFullScreen());
    // The release of the Return that chose the show from the menu is not a step in it.
    QTest::keyRelease(show, Qt::Key_Return);
    QCOMPARE(counterText(show), QStringLiteral("1/3"));
    // The second slide is decoded while the first is on screen.
    QTRY_COMPARE(ready.size(), 1);
    QVERIFY(ready.at(0).at(0).toString().endsWith(QLatin1String("/picture1.png")));
    QCOMPARE(counterText(show), QStringLiteral("1/3"));
    QVERIFY(timerOf(show)->isActive());
    QVERIFY(timerOf(show)->isSingleShot());
    QCOMPARE(timerOf(show)->interval(), 1000);

    QTRY_COMPARE(counterText(show), QStringLiteral("2/3"));
    QTRY_COMPARE(counterText(show), QStringLiteral("3/3"));
    // The last image keeps its full delay before the show closes.
    QVERIFY(last);
    QVERIFY(timerOf(show)->isActive());
    QCOMPARE(timerOf(show)->interval(), 1000);
    QTRY_VERIFY(last.isNull());
}

void tst_SlideShow::oneImageFinishesAtOnceAndClosesAfterItsDelay_data()
{
    QTest::addColumn<bool>("pressNext");
    QTest::newRow("left alone") << false;
    QTest::newRow("next pressed") << true;
}

void tst_SlideShow::oneImageFinishesAtOnceAndClosesAfterItsDelay()
{
    QFETCH(bool, pressNext);
    settings->setControlBarInSlide(false);
    SlideShow *show = started(makeImages(1, 300, 200));
    QCOMPARE(counterText(show), QStringLiteral("1/1"));
    QCOMPARE(pictureRect(show->grab().toImage()).size(), QSize(240, 160));
    QVERIFY(timerOf(show)->isActive());
    if (pressNext) {
        // Finished already: the next step closes instead of showing anything.
        QTest::keyClick(show, Qt::Key_Right);
        deleteClosedWidgets();
        QVERIFY(last.isNull());
    } else {
        QVERIFY(last);
        QTRY_VERIFY(last.isNull());
    }
}

void tst_SlideShow::anEmptyListShowsNothingAndGoesAway()
{
    SlideShow *show = made({});
    show->start();
    QVERIFY(!show->isVisible());
    QCOMPARE(counterText(show), QStringLiteral("..."));
    deleteClosedWidgets();
    QVERIFY(last.isNull());
}

void tst_SlideShow::pauseStopsTheTimerAndResumingShowsTheNextImage_data()
{
    QTest::addColumn<int>("key"); // 0: the play button
    QTest::newRow("space") << int(Qt::Key_Space);
    QTest::newRow("play button") << 0;
}

void tst_SlideShow::pauseStopsTheTimerAndResumingShowsTheNextImage()
{
    QFETCH(int, key);
    QVERIFY(iconPixmap(QStringLiteral("play")).toImage()
            != iconPixmap(QStringLiteral("pause")).toImage());
    SlideShow *show = started(makeImages(3));
    QToolButton *play = button(show, "playButton");
    QVERIFY(showsIcon(play, "pause"));

    press(show, key, "playButton");
    QVERIFY(!timerOf(show)->isActive());
    QVERIFY(showsIcon(play, "play"));
    QCOMPARE(counterText(show), QStringLiteral("1/3"));

    press(show, key, "playButton");
    QCOMPARE(counterText(show), QStringLiteral("2/3"));
    QVERIFY(timerOf(show)->isActive());
    QVERIFY(showsIcon(play, "pause"));
}

void tst_SlideShow::advancingShowsTheNextImageAtOnceAndRearmsTheTimer_data()
{
    QTest::addColumn<int>("key"); // 0: the next button
    QTest::newRow("enter") << int(Qt::Key_Enter);
    QTest::newRow("return") << int(Qt::Key_Return);
    QTest::newRow("right") << int(Qt::Key_Right);
    QTest::newRow("down") << int(Qt::Key_Down);
    QTest::newRow("swipe left") << -1;
    QTest::newRow("next button") << 0;
}

void tst_SlideShow::advancingShowsTheNextImageAtOnceAndRearmsTheTimer()
{
    QFETCH(int, key);
    settings->setSlideDelay(2);
    SlideShow *show = started(makeImages(3));
    QTimer *timer = timerOf(show);
    QTRY_VERIFY(timer->remainingTime() < 1700);

    press(show, key, "nextButton");
    QCOMPARE(counterText(show), QStringLiteral("2/3"));
    QVERIFY(timer->isActive());
    // Coarse timers may be set up to 5% short.
    QVERIFY2(timer->remainingTime() > 1850, qPrintable(QString::number(timer->remainingTime())));

    // A paused show starts running again.
    QTest::keyClick(show, Qt::Key_Space);
    QVERIFY(!timer->isActive());
    press(show, key, "nextButton");
    QCOMPARE(counterText(show), QStringLiteral("3/3"));
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 2000);
}

void tst_SlideShow::steppingBackPausesOnTheImageOnScreenThenTheOnesBefore_data()
{
    QTest::addColumn<int>("key"); // 0: the back button
    QTest::newRow("left") << int(Qt::Key_Left);
    QTest::newRow("up") << int(Qt::Key_Up);
    QTest::newRow("swipe right") << -2;
    QTest::newRow("back button") << 0;
}

void tst_SlideShow::steppingBackPausesOnTheImageOnScreenThenTheOnesBefore()
{
    QFETCH(int, key);
    SlideShow *show = started(makeImages(4));
    QTest::keyClick(show, Qt::Key_Right);
    QTest::keyClick(show, Qt::Key_Right);
    QCOMPARE(counterText(show), QStringLiteral("3/4"));
    QVERIFY(timerOf(show)->isActive());

    for (const char *expected : {"3/4", "2/4", "1/4", "1/4"}) {
        press(show, key, "backButton");
        QCOMPARE(counterText(show), QLatin1String(expected));
        QVERIFY(!timerOf(show)->isActive());
        QVERIFY(showsIcon(button(show, "playButton"), "play"));
    }

    // Going on from there runs the show again from the image on screen.
    QTest::keyClick(show, Qt::Key_Right);
    QCOMPARE(counterText(show), QStringLiteral("1/4"));
    QVERIFY(timerOf(show)->isActive());
    QVERIFY(showsIcon(button(show, "playButton"), "pause"));
}

void tst_SlideShow::steppingBackAfterTheEndShowsTheFirstImage()
{
    SlideShow *show = started(makeImages(3));
    QTest::keyClick(show, Qt::Key_Right);
    QTest::keyClick(show, Qt::Key_Right);
    QCOMPARE(counterText(show), QStringLiteral("3/3"));

    QTest::keyClick(show, Qt::Key_Left);
    QCOMPARE(counterText(show), QStringLiteral("1/3"));
    QVERIFY(!timerOf(show)->isActive());
    // Back in the list, the show is no longer at its end.
    QTest::keyClick(show, Qt::Key_Right);
    deleteClosedWidgets();
    QVERIFY(last);
    QCOMPARE(counterText(show), QStringLiteral("1/3"));
    QTRY_COMPARE(counterText(show), QStringLiteral("2/3"));
}

void tst_SlideShow::escapeAndTheStopButtonCloseTheShow_data()
{
    QTest::addColumn<int>("key"); // 0: the stop button
    QTest::addColumn<bool>("paused");
    QTest::newRow("escape while running") << int(Qt::Key_Escape) << false;
    QTest::newRow("escape while paused") << int(Qt::Key_Escape) << true;
    QTest::newRow("stop button while running") << 0 << false;
    QTest::newRow("stop button while paused") << 0 << true;
}

void tst_SlideShow::escapeAndTheStopButtonCloseTheShow()
{
    QFETCH(int, key);
    QFETCH(bool, paused);
    SlideShow *show = started(makeImages(3));
    QSignalSpy cancelled(show, &ImageWidget::CancelPressed);
    QTest::keyClick(show, Qt::Key_Right);
    if (paused)
        QTest::keyClick(show, Qt::Key_Space);
    press(show, key, "stopButton");
    QVERIFY(last.isNull() || !last->isVisible());
    deleteClosedWidgets();
    QVERIFY(last.isNull());
    QCOMPARE(cancelled.count(), 0);
}

void tst_SlideShow::inputArrivingJustBeforeADecodeIsSafe_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("firstImage");
    QTest::addColumn<bool>("deleteAtOnce");
    for (const char *kind : {"escape", "stop button", "tap"}) {
        for (const bool first : {true, false}) {
            for (const bool flush : {false, true}) {
                QTest::addRow("%s before the %s image%s", kind, first ? "first" : "next",
                              flush ? ", deleted at once" : "")
                        << QString::fromLatin1(kind) << first << flush;
            }
        }
    }
}

void tst_SlideShow::inputArrivingJustBeforeADecodeIsSafe()
{
    QFETCH(QString, kind);
    QFETCH(bool, firstImage);
    QFETCH(bool, deleteAtOnce);
    const bool closes = kind != QLatin1String("tap");
    SlideShow *show = made(makeImages(3));
    QString shownBefore = QStringLiteral("...");
    if (!firstImage) {
        show->start();
        QVERIFY(QTest::qWaitForWindowExposed(show));
        shownBefore = counterText(show);
        timerOf(show)->stop();
    }
    // The step runs from an event loop, as in the program; the input is waiting for the
    // events that the step lets run before it decodes.
    bool stepped = false;
    bool goneWithinStep = false;
    QEventLoop loop;
    QTimer::singleShot(0, show, [&, show] {
        closerFor(show, kind);
        // Stands for any handler that deletes closed widgets while the show is still inside
        // its own step.
        if (deleteAtOnce)
            QMetaObject::invokeMethod(qApp, &deleteClosedWidgets, Qt::QueuedConnection);
        if (firstImage)
            show->start();
        else
            show->showNextImage();
        stepped = true;
        goneWithinStep = last.isNull();
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY(stepped);

    if (!closes) {
        QVERIFY(last);
        QVERIFY(counterText(show) != shownBefore);
        QVERIFY(controlBarOf(show)->isHidden());
        QVERIFY(timerOf(show)->isActive());
        return;
    }
    QCOMPARE(goneWithinStep, deleteAtOnce);
    if (last) {
        // Closed before its decode: the image it was about to show never came.
        QVERIFY(!last->isVisible());
        QCOMPARE(counterText(last), shownBefore);
        QVERIFY(!timerOf(last)->isActive());
    }
    QTRY_VERIFY(last.isNull());
}

void tst_SlideShow::tapsToggleTheControlBar_data()
{
    QTest::addColumn<bool>("barAtStart");
    QTest::newRow("bar shown at start") << true;
    QTest::newRow("bar hidden at start") << false;
}

void tst_SlideShow::tapsToggleTheControlBar()
{
    QFETCH(bool, barAtStart);
    settings->setControlBarInSlide(barAtStart);
    SlideShow *show = started(makeImages(2));
    QFrame *bar = controlBarOf(show);
    QCOMPARE(bar->isVisible(), barAtStart);
    QTest::mouseClick(show, Qt::LeftButton, {}, QPoint(120, 60));
    QCOMPARE(bar->isVisible(), !barAtStart);
    QTest::mouseClick(show, Qt::LeftButton, {}, QPoint(30, 200));
    QCOMPARE(bar->isVisible(), barAtStart);

    if (barAtStart) {
        // A tap on the counter is a tap on the bar, not on the picture.
        QTest::mouseClick(show->findChild<QLabel *>(QStringLiteral("counter")), Qt::LeftButton);
        QVERIFY(bar->isVisible());
        // The bar keeps the usual colours: its text must not vanish into the show's black.
        const QImage shot = bar->grab().toImage();
        QVERIFY(qGray(shot.pixel(shot.width() / 2, 1)) > 100);
    }
    QCOMPARE(counterText(show), QStringLiteral("1/2"));
}

void tst_SlideShow::bestFitTurnsALandscapeImageOnlyWhenAsked_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<bool>("rotate");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("turned");
    QTest::newRow("landscape, turning on") << QSize(640, 480) << true << QSize(240, 320) << true;
    QTest::newRow("landscape, turning off") << QSize(640, 480) << false << QSize(240, 180) << false;
    QTest::newRow("portrait, turning on") << QSize(480, 640) << true << QSize(240, 320) << false;
    QTest::newRow("square, turning on") << QSize(400, 400) << true << QSize(240, 240) << false;
    QTest::newRow("small, turning on") << QSize(100, 50) << true << QSize(100, 50) << false;
}

void tst_SlideShow::bestFitTurnsALandscapeImageOnlyWhenAsked()
{
    QFETCH(QSize, image);
    QFETCH(bool, rotate);
    QFETCH(QSize, picture);
    QFETCH(bool, turned);
    settings->setRotateInSlide(rotate);
    settings->setControlBarInSlide(false);
    SlideShow *show = started(makeImages(1, image.width(), image.height()));
    const QImage screen = show->grab().toImage();
    const QRect box = pictureRect(screen);
    QCOMPARE(box.size(), picture);
    QCOMPARE(box.center(), show->rect().center());
    // Turned clockwise, the picture's top left corner ends at the top right.
    const QPoint origin = turned ? box.topRight() : box.topLeft();
    // The gradient's corner with red and green 0: the top left of the picture as written.
    const QRgb corner = screen.pixel(origin);
    QVERIFY(qRed(corner) < 24 && qGreen(corner) < 24 && qBlue(corner) > 150);
}

void tst_SlideShow::anImageThatCannotBeShownIsBlackAndTheShowGoesOn_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("zero bytes") << QStringLiteral("zero bytes");
    QTest::newRow("not an image") << QStringLiteral("not an image");
    QTest::newRow("truncated") << QStringLiteral("truncated");
    QTest::newRow("deleted after the start") << QStringLiteral("deleted");
}

void tst_SlideShow::anImageThatCannotBeShownIsBlackAndTheShowGoesOn()
{
    QFETCH(QString, damage);
    settings->setControlBarInSlide(false);
    const QList<ImageEntry> entries = makeImages(3, 300, 200);
    const QString broken = entries.at(1).path;
    if (damage == QLatin1String("zero bytes")) {
        QVERIFY(TestUtil::writeBytes(broken, 0));
    } else if (damage == QLatin1String("not an image")) {
        QVERIFY(TestUtil::writeBytes(broken, 5000, 'q'));
    } else if (damage == QLatin1String("truncated")) {
        QFile file(broken);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(60));
    }
    SlideShow *show = started(entries);
    QVERIFY(!pictureRect(show->grab().toImage()).isEmpty());
    if (damage == QLatin1String("deleted"))
        QVERIFY(QFile::remove(broken));

    QTest::keyClick(show, Qt::Key_Right);
    QCOMPARE(counterText(show), QStringLiteral("2/3"));
    QVERIFY(pictureRect(show->grab().toImage()).isEmpty());
    QVERIFY(timerOf(show)->isActive());
    QTRY_COMPARE(counterText(show), QStringLiteral("3/3"));
    QCOMPARE(pictureRect(show->grab().toImage()).size(), QSize(240, 160));
    QTRY_VERIFY(last.isNull());
}

void tst_SlideShow::delaysBelowOneSecondPaintEachImageBeforeGoingOn_data()
{
    QTest::addColumn<int>("delay");
    QTest::newRow("zero") << 0;
    QTest::newRow("minus one") << -1;
    QTest::newRow("minus a thousand") << -1000;
    QTest::newRow("lowest int") << INT_MIN;
}

void tst_SlideShow::delaysBelowOneSecondPaintEachImageBeforeGoingOn()
{
    QFETCH(int, delay);
    settings->setSlideDelay(delay);
    SlideShow *show = made(makeImages(3));
    QStringList painted;
    bool armedBeforePaint = false;
    new EventWatcher(show, QEvent::Paint, [&] {
        if (!painted.contains(counterText(show))) {
            painted.append(counterText(show));
            armedBeforePaint |= timerOf(show)->isActive();
        }
    });
    show->start();
    QVERIFY(timerOf(show)->isActive());
    QCOMPARE(timerOf(show)->interval(), 0);
    QTRY_VERIFY(last.isNull());
    QVERIFY(!armedBeforePaint);
    for (const char *text : {"1/3", "2/3", "3/3"})
        QVERIFY2(painted.contains(QLatin1String(text)), text);
}

void tst_SlideShow::aHugeDelayStillArmsTheTimer()
{
    settings->setSlideDelay(INT_MAX);
    SlideShow *show = started(makeImages(2));
    QVERIFY(timerOf(show)->isActive());
    QVERIFY(timerOf(show)->interval() > 1000 * 1000);
    QTest::keyClick(show, Qt::Key_Escape);
    deleteClosedWidgets();
    QVERIFY(last.isNull());
}

void tst_SlideShow::aZeroDelayStillLetsEventsRunBetweenImages()
{
    settings->setSlideDelay(0);
    const int count = 40;
    SlideShow *show = made(makeImages(count, 8, 8));
    int highest = 0;
    new EventWatcher(show, QEvent::Paint, [&] {
        highest = qMax(highest, counterText(show).section(QLatin1Char('/'), 0, 0).toInt());
    });
    show->start();
    postKey(show, Qt::Key_Escape);
    QTRY_VERIFY(last.isNull());
    QVERIFY(highest >= 1);
    QVERIFY(highest < count);
}

PICTARN_TEST(tst_SlideShow)
#include "tst_slideshow.moc"
