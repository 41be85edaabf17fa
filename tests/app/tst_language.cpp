#include "common/testmain.h"
#include "common/testutil.h"

#include "app/keyshelp.h"
#include "app/pictarn.h"
#include "app/translations.h"
#include "app/undobar.h"
#include "browse/imagelistview.h"
#include "browse/sortmenu.h"
#include "settings/settingsdialog.h"
#include "slideshow/slideshow.h"
#include "thumbs/imagebox.h"
#include "thumbs/thumbnailview.h"
#include "viewer/imageviewer.h"
#include "viewer/imagewidget.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace TestUtil;

// The desktop keys, the keys help, the catalogues and the names a screen reader says.
class tst_Language : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> root;
    std::unique_ptr<Pictarn> window;

    // The window on three pictures, the middle one selected, in the grid or the list.
    void open(bool list)
    {
        QVERIFY(writeImages(root->filePath("P"), {"a.png", "b.png", "c.png"}));
        window = std::make_unique<Pictarn>();
        window->openPaths({root->filePath("P")});
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_COMPARE(window->thumbnailView->boxCount(), 3);
        QTRY_VERIFY(!window->thumbnailView->isLoading());
        if (list) {
            window->switchListView();
            window->imageListView->setCurrentItem(window->imageListView->topLevelItem(1));
            window->imageListView->setFocus();
        } else {
            window->thumbnailView->selectedBox()->setSelected(false);
            window->thumbnailView->selectBox(1);
        }
        QTRY_VERIFY(QApplication::focusWidget());
    }

    int selected() const
    {
        if (window->viewStack->currentWidget() == window->imageListView)
            return window->imageListView->indexOfTopLevelItem(window->imageListView->currentItem());
        return int(window->thumbnailView->boxIndex(window->thumbnailView->selectedBox()));
    }

    // Every visible control below `widget` lacking a spoken name or a tooltip.
    static void nameless(QAccessibleInterface *node, QStringList &found)
    {
        static const QList<QAccessible::Role> controls{
                QAccessible::PushButton, QAccessible::ButtonMenu,   QAccessible::ButtonDropDown,
                QAccessible::CheckBox,   QAccessible::RadioButton,  QAccessible::ComboBox,
                QAccessible::SpinBox,    QAccessible::Slider,       QAccessible::List,
                QAccessible::Tree,       QAccessible::EditableText, QAccessible::MenuItem};
        for (int i = 0; node && i < node->childCount(); ++i) {
            QAccessibleInterface *child = node->child(i);
            if (!child || child->state().invisible)
                continue;
            auto *widget = qobject_cast<QWidget *>(child->object());
            auto *item = qobject_cast<QAction *>(child->object()); // in a menu
            const QString tip = widget ? widget->toolTip() : item ? item->toolTip() : QString();
            if ((widget || item) && controls.contains(child->role())
                && (child->text(QAccessible::Name).isEmpty() || tip.isEmpty()))
                found << QString::fromLatin1(child->object()->metaObject()->className()) + ' '
                                 + child->object()->objectName();
            nameless(child, found);
        }
    }

private slots:
    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        QFile::remove(configFile());
    }

    void cleanup()
    {
        Translations::remove();
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->isWindow() && widget->isVisible() && widget != window.get())
                widget->close();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        root.reset();
    }

    void keys_data()
    {
        QTest::addColumn<bool>("list");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected"); // a dialog's text, "quit" or the selected row
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("Delete asks") << false << int(Qt::Key_Delete) << none << "b.png ?";
        QTest::newRow("F2 renames") << true << int(Qt::Key_F2) << none << "New Name: ";
        QTest::newRow("F11 full screen") << false << int(Qt::Key_F11) << none << "full screen";
        QTest::newRow("Ctrl+O opens") << true << int(Qt::Key_O) << ctrl << "Choose path:      ";
        QTest::newRow("F1 helps") << false << int(Qt::Key_F1) << none << "Ctrl+Q";
        QTest::newRow("? helps") << true << int(Qt::Key_Question) << none << "Ctrl+Q";
        QTest::newRow("Ctrl+Q quits") << true << int(Qt::Key_Q) << ctrl << "quit";
        QTest::newRow("grid Home") << false << int(Qt::Key_Home) << none << "0";
        QTest::newRow("grid End") << false << int(Qt::Key_End) << none << "2";
        QTest::newRow("list Home") << true << int(Qt::Key_Home) << none << "0";
        QTest::newRow("list End") << true << int(Qt::Key_End) << none << "2";
        QTest::newRow("F5 no dialog") << false << int(Qt::Key_F5) << none << "1";
    }

    void keys()
    {
        QFETCH(bool, list);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        open(list);
        QString seen;
        const auto look = [&seen](QWidget *dialog) {
            for (const QLabel *label : dialog->findChildren<QLabel *>())
                seen += label->text() + '\n';
            dialog->close();
        };
        if (expected == "full screen")
            whenShown(
                    [] {
                        const auto shown = QApplication::topLevelWidgets();
                        const auto full
                                = std::find_if(shown.cbegin(), shown.cend(), [](QWidget *w) {
                                      return qobject_cast<ImageWidget *>(w) && w->isVisible();
                                  });
                        return full == shown.cend() ? nullptr : *full;
                    },
                    [&](QWidget *) { seen = expected; });
        else if (!expected.at(0).isDigit() && expected != "quit")
            answerModal(look);
        const auto press = [key, modifiers] {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                            Qt::KeyboardModifiers(modifiers));
        };
        if (expected == "quit") { // the Exit item's action, which ends the program's loop
            QSignalSpy exit(window->mainMenu->actions().constLast(), &QAction::triggered);
            press();
            QCOMPARE(exit.count(), 1);
        } else {
            press();
            if (expected.at(0).isDigit())
                QCOMPARE(selected(), expected.toInt());
            else
                QTRY_VERIFY2(seen.contains(expected), qPrintable(seen));
        }
        QVERIFY(QFile::exists(root->filePath("P/b.png")));
    }

    // The help of each screen lists that screen's keys, fits the phone's screen, scrolls,
    // and closes on Escape or a tap.
    void help_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<bool>("tap");
        QTest::newRow("main window, menu") << int(KeysHelp::MainWindow) << true;
        QTest::newRow("viewer") << int(KeysHelp::Viewer) << false;
        QTest::newRow("full screen") << int(KeysHelp::FullScreen) << false;
        QTest::newRow("slide show") << int(KeysHelp::SlideShow) << true;
    }

    void help()
    {
        QFETCH(int, screen);
        QFETCH(bool, tap);
        open(false);
        const QString path = root->filePath("P/b.png");
        QWidget *from = window.get();
        if (screen == KeysHelp::Viewer) {
            window->imageViewer->setImageList({path});
            window->imageViewer->load(path);
            window->imageViewer->show();
            from = window->imageViewer;
        } else if (screen == KeysHelp::FullScreen) {
            window->imageViewer->setImageList({path});
            window->imageViewer->showImageFullScreen(path);
            QTRY_VERIFY(from = window->imageViewer->fullScreenWidget);
        } else if (screen == KeysHelp::SlideShow) {
            from = new SlideShow({{"b.png", path}}, window->settings.get());
            from->show();
        }
        QApplication::setActiveWindow(from);
        QTRY_COMPARE(QApplication::activeWindow(), from);
        bool forced = false, fits = false, scrolls = false;
        QString text;
        whenShown([] { return qobject_cast<KeysHelp *>(QApplication::activeModalWidget()); },
                  [&](QWidget *dialog) {
                      fits = dialog->width() <= 240 && dialog->height() <= 320;
                      const auto *label = dialog->findChild<QLabel *>("keysText");
                      text = label ? label->text() : QString();
                      auto *area = dialog->findChild<QScrollArea *>();
                      scrolls = area && area->verticalScrollBar()->maximum() > 0;
                      if (area && tap)
                          QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
                      else
                          QTest::keyClick(dialog, Qt::Key_Escape);
                      QTimer::singleShot(2000, dialog, [&forced, dialog] {
                          forced = true;
                          dialog->close();
                      });
                  });
        if (screen == KeysHelp::MainWindow) {
            const auto actions = window->mainMenu->actions();
            const auto item = std::find_if(actions.cbegin(), actions.cend(), [](QAction *a) {
                return a->text() == "Keys and gestures";
            });
            QVERIFY(item != actions.cend());
            (*item)->trigger();
        } else {
            QTest::keyClick(from, screen == KeysHelp::FullScreen ? Qt::Key_Question : Qt::Key_F1);
        }
        QVERIFY(!forced);
        QVERIFY(fits);
        QVERIFY(scrolls || screen != KeysHelp::MainWindow); // the longest list scrolls
        for (const auto &[keys, does] : KeysHelp::rows(KeysHelp::Screen(screen)))
            QVERIFY2(text.contains(keys.toHtmlEscaped()), qPrintable(keys));
        QVERIFY(from->isVisible()); // the Escape or tap that closed the help stays with it
    }

    // The texts under C stay the sources'; English has proper words, Chinese its own.
    void catalogues_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("texts"); // main menu's first, the Delete question's OK
        QTest::newRow("C") << "C" << QStringList{"Open dir    ", "确定", "Propertis   "};
        QTest::newRow("en_GB") << "en_GB" << QStringList{"Open folder", "OK", "Properties"};
        QTest::newRow("de_DE") << "de_DE" << QStringList{"Open folder", "OK", "Properties"};
        QTest::newRow("zh_CN") << "zh_CN" << QStringList{"打开目录", "确定", "属性"};
    }

    void catalogues()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, texts);
        const QStringList loaded = Translations::install(QLocale(locale));
        QCOMPARE(loaded.isEmpty(), locale == "C");
        QCOMPARE(QStringList({QCoreApplication::translate("Pictarn", "Open dir    "),
                              QCoreApplication::translate("Pictarn", "确定"),
                              QCoreApplication::translate("ImageViewer", "Propertis   ")}),
                 texts);
        Pictarn shown;
        QCOMPARE(shown.mainMenu->actions().first()->text(), texts.first());
    }

    // Each screen and dialog, the main window's with its undo bar: no visible control without
    // a spoken name and a tooltip.
    void accessibility()
    {
        open(false);
        const QString path = root->filePath("P/b.png");
        window->imageViewer->setImageList({path});
        window->imageViewer->load(path);
        QStringList found;
        const auto walk = [&found](QWidget *shown) {
            shown->show();
            nameless(QAccessible::queryAccessibleInterface(shown), found);
            shown->close();
        };
        // The bar's message keeps its every word on two lines.
        const QString done = "IMG_0042.jpg renamed to beach.jpg";
        window->undoBar->showMessage(done, true);
        QCOMPARE(window->undoBar->findChild<QLabel *>()->text().replace('\n', ' '), done);
        SettingsDialog settings(nullptr);
        KeysHelp help(KeysHelp::MainWindow, nullptr);
        auto *show = new SlideShow({{"b.png", path}}, window->settings.get());
        show->findChild<QWidget *>("controlBar")->show();
        auto *pages = settings.findChild<QComboBox *>("pageCombo");
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            emit pages->activated(page);
            walk(&settings);
        }
        for (QWidget *screen : std::initializer_list<QWidget *>{window.get(), window->imageViewer,
                                                                show, &help, window->sortMenu})
            walk(screen);
        for (const auto &ask : std::initializer_list<std::function<void()>>{
                     [&] { window->renameImage(); }, [&] { window->deleteImage(); },
                     [&] { window->open(); }, [&] { window->imageViewer->showInfoDialog(); },
                     [&] { window->About(); }}) {
            answerModal(walk); // fails when no dialog shows
            ask();
        }
        QVERIFY2(found.isEmpty(), qPrintable(found.join(", ")));
    }
};

PICTARN_TEST(tst_Language)
#include "tst_language.moc"
