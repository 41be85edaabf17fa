#include "common/testmain.h"
#include "common/testutil.h"
#include "tst_robustness.h"

#include "app/pictarn.h"
#include "browse/imagelistview.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailview.h"

#include <QDir>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <functional>

using R = tst_Robustness;

namespace {
constexpr int imageCount = 2000;

int loadedBoxes(ThumbnailView *grid)
{
    int loaded = 0;
    for (int i = 0; i < grid->boxCount(); ++i)
        loaded += grid->boxAt(i)->isThumbLoaded() ? 1 : 0;
    return loaded;
}

// Runs step once each time the event loop turns, until it returns false.
void eachTurn(std::function<bool()> step)
{
    QMetaObject::invokeMethod(
            qApp,
            [step] {
                if (step())
                    eachTurn(step);
            },
            Qt::QueuedConnection);
}
} // namespace

class tst_Load : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> root;
    QString dir;

private slots:
    void initTestCase()
    {
        // Thousands of progress lines would only slow the run down.
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        root = std::make_unique<QTemporaryDir>();
        dir = root->path() + QStringLiteral("/many");
        QVERIFY(QDir().mkpath(dir));
        const QByteArray picture = Crafted::png(Crafted::gradient(12, 9));
        for (int i = 0; i < imageCount; ++i) {
            QVERIFY(Crafted::write(
                    QFile::encodeName(
                            dir + QStringLiteral("/img%1.png").arg(i, 4, 10, QLatin1Char('0'))),
                    picture));
        }
        QVERIFY(TestUtil::writeConfig(QStringLiteral("[Settings]\nthumbFileSize=0\n")));
    }

    void cleanupTestCase()
    {
        QLoggingCategory::setFilterRules(QString());
        root.reset();
    }

    void aLargeFolderIsListedBeforeAnyThumbnail()
    {
        const auto before = Crafted::snapshot(dir);
        Pictarn window;
        R::loadFolder(window, dir);
        // Back from the listing: every row and box is there, no preview made yet.
        QCOMPARE(R::imageListView(window)->topLevelItemCount(), imageCount);
        ThumbnailView *grid = R::thumbnailView(window);
        QCOMPARE(grid->boxCount(), imageCount);
        QCOMPARE(loadedBoxes(grid), 0);
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/.ptthumbs")));
        QCOMPARE(R::listedSizes(window).count(QStringLiteral("0x0")), imageCount);

        R::settle();
        QCOMPARE(loadedBoxes(grid), imageCount);
        QCOMPARE(R::listedSizes(window).count(QStringLiteral("12x9")), imageCount);
        QCOMPARE(QDir(dir + QStringLiteral("/.ptthumbs")).entryList(QDir::Files).size(),
                 imageCount);
        QCOMPARE(Crafted::snapshot(dir), before);
    }

    void inputIsHandledDuringThePass()
    {
        // The previews are cached by the first test: this pass is the quick one.
        Pictarn window;
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        R::loadFolder(window, dir);
        ThumbnailView *grid = R::thumbnailView(window);
        auto *stack = window.findChild<QStackedWidget *>();
        QVERIFY(stack);
        QToolButton *listButton = nullptr;
        for (QToolButton *button : window.findChildren<QToolButton *>()) {
            if (button->isCheckable() && !button->isChecked())
                listButton = button;
        }
        QVERIFY(listButton);

        // Input is posted as the window system would post it, once previews come in; each
        // answer is looked at on a later turn of the loop.
        int step = 0;
        int loadedWhenMoved = -1;
        int loadedWhenSwitched = -1;
        bool stopped = false;
        eachTurn([&] {
            const int loaded = loadedBoxes(grid);
            if (step == 0 && loaded > 0) {
                QCoreApplication::postEvent(grid->boxAt(0),
                                            new QKeyEvent(QEvent::KeyPress, Qt::Key_Right, {}));
                ++step;
            } else if (step == 1 && grid->selectedBox() == grid->boxAt(1)) {
                loadedWhenMoved = loaded;
                ++step;
            } else if (step == 2 && loaded > loadedWhenMoved) {
                const QPoint centre = listButton->rect().center();
                QCoreApplication::postEvent(listButton,
                                            new QMouseEvent(QEvent::MouseButtonPress, centre,
                                                            listButton->mapToGlobal(centre),
                                                            Qt::LeftButton, Qt::LeftButton, {}));
                QCoreApplication::postEvent(listButton,
                                            new QMouseEvent(QEvent::MouseButtonRelease, centre,
                                                            listButton->mapToGlobal(centre),
                                                            Qt::LeftButton, Qt::NoButton, {}));
                ++step;
            } else if (step == 3 && stack->currentIndex() == 1) {
                loadedWhenSwitched = loaded;
                ++step;
            }
            stopped = step == 4 || !grid->isLoading();
            return !stopped;
        });
        R::settle();
        QTRY_VERIFY(stopped);
        QCOMPARE(step, 4);
        QVERIFY2(loadedWhenMoved > 0 && loadedWhenMoved < imageCount,
                 qPrintable(QString::number(loadedWhenMoved)));
        QVERIFY2(loadedWhenSwitched > loadedWhenMoved && loadedWhenSwitched < imageCount,
                 qPrintable(QString::number(loadedWhenSwitched)));
        QCOMPARE(loadedBoxes(grid), imageCount);
        QCOMPARE(stack->currentIndex(), 1);
    }
};

PICTARN_TEST(tst_Load)
#include "tst_load.moc"
