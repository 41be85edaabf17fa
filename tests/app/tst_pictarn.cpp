#include "common/testmain.h"
#include "common/testutil.h"

#include "app/pictarn.h"
#include "app/settings.h"
#include "resources/iconset.h"
#include "viewer/imageviewer.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {
QImage iconImage(const QIcon &icon, const QSize &size)
{
    return icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
}

QStringList menuTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}
} // namespace

class tst_Pictarn : public QObject
{
    Q_OBJECT
private slots:
    void init() { QFile::remove(TestUtil::configFile()); }
    void toolBarHoldsTheToolsInOrder();
    void toolBarFitsTheScreen_data();
    void toolBarFitsTheScreen();
    void menusHoldTheirItems();
    void fullScreenCheckMarkFollowsTheSettings_data();
    void fullScreenCheckMarkFollowsTheSettings();
    void settingsAreWrittenWhenTheWindowGoes();
    void buildDrawsTheSamplePictures();
};

void tst_Pictarn::toolBarHoldsTheToolsInOrder()
{
    Pictarn window;
    const QList<QAction *> actions = window.toolBar->actions();
    QCOMPARE(actions.size(), 9);

    struct Expected
    {
        QString text;
        QPixmap pixmap;
    };
    const QList<Expected> expected = {
            {QString(), QPixmap(QStringLiteral("image/wmenu.png"))},
            {QStringLiteral("Bookmarks"), iconPixmap(QStringLiteral("bookmark_folder"))},
            {QString(), iconPixmap(QStringLiteral("view_icon"))},
            {QString(), iconPixmap(QStringLiteral("view_text"))},
            {QStringLiteral("SlideShow"), iconPixmap(QStringLiteral("slideshow"))},
            {QString(), QPixmap(QStringLiteral("image/SettingsIcon.png"))},
            {QStringLiteral("Show FullScreen"), QPixmap(QStringLiteral("image/fullscreen.png"))},
            {QStringLiteral("Rename"), iconPixmap(QStringLiteral("rename"))},
            {QStringLiteral("delete"), QPixmap(QStringLiteral("image/editdelete.png"))},
    };
    for (int i = 0; i < actions.size(); ++i) {
        const auto *button
                = qobject_cast<QToolButton *>(window.toolBar->widgetForAction(actions.at(i)));
        QVERIFY2(button, qPrintable(QStringLiteral("tool %1 is no button").arg(i)));
        const QPixmap &want = expected.at(i).pixmap;
        QVERIFY2(!want.isNull(), qPrintable(QStringLiteral("picture of tool %1 missing").arg(i)));
        const QIcon icon
                = button->defaultAction() ? button->defaultAction()->icon() : button->icon();
        QCOMPARE(iconImage(icon, want.size()),
                 want.toImage().convertToFormat(QImage::Format_ARGB32));
        const QString text
                = button->defaultAction() ? button->defaultAction()->text() : button->text();
        QCOMPARE(text, expected.at(i).text);
    }
    QCOMPARE(window.toolBar->widgetForAction(actions.at(1)), window.bookmarkButton);
    QCOMPARE(window.toolBar->widgetForAction(actions.at(2)), window.thumbViewButton);
    QCOMPARE(window.toolBar->widgetForAction(actions.at(3)), window.listViewButton);
    QVERIFY(window.thumbViewButton->isCheckable());
    QVERIFY(window.listViewButton->isCheckable());
}

void tst_Pictarn::toolBarFitsTheScreen_data()
{
    QTest::addColumn<bool>("pictures"); // the data directory holds the tools' pictures
    QTest::newRow("pictures found") << true;
    QTest::newRow("pictures missing") << false;
}

void tst_Pictarn::toolBarFitsTheScreen()
{
    QFETCH(bool, pictures);
    QTemporaryDir empty;
    const QString dataDir = QDir::currentPath();
    const auto back = qScopeGuard([&] { QDir::setCurrent(dataDir); });
    if (!pictures) {
        QVERIFY(QDir::setCurrent(empty.path()));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("pictures missing.*wmenu"));
    }
    Pictarn window;
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.width() <= 240);
    for (QAction *action : window.toolBar->actions()) {
        QVERIFY(window.toolBar->widgetForAction(action)->isVisible());
        QVERIFY(!window.toolBar->widgetForAction(action)->toolTip().isEmpty());
    }
    for (const QToolButton *button :
         window.imageViewer->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly))
        QVERIFY2(!button->toolTip().isEmpty(), qPrintable(button->objectName()));
    // Nothing may fall into the tool bar's overflow menu.
    const auto *extension
            = window.toolBar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button"));
    QVERIFY(!extension || !extension->isVisible());
}

void tst_Pictarn::menusHoldTheirItems()
{
    Pictarn window;
    QCOMPARE(
            menuTexts(window.mainMenu),
            QStringList({QStringLiteral("Open dir    "), QStringLiteral("Clear list  "),
                         QStringLiteral("Slide Type  "), QStringLiteral("-"),
                         QStringLiteral("Rename   "), QStringLiteral("Delete"), QStringLiteral("-"),
                         QStringLiteral("About "), QStringLiteral("-"), QStringLiteral("Exit  ")}));
    QCOMPARE(menuTexts(window.settingsMenu),
             QStringList({QStringLiteral("Set   "), QStringLiteral("-"),
                          QStringLiteral("Full screen ")}));
    QCOMPARE(window.settingsMenu->actions().at(2)->data().toInt(), 0);
    QVERIFY(window.settingsMenu->actions().at(2)->data().isValid());
    QVERIFY(window.settingsMenu->actions().at(2)->isCheckable());
    QCOMPARE(window.mainMenu->parent(), &window);
    QCOMPARE(window.settingsMenu->parent(), &window);
}

void tst_Pictarn::fullScreenCheckMarkFollowsTheSettings_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<bool>("checked");
    QTest::newRow("no file") << QString() << false;
    QTest::newRow("on") << QStringLiteral("[Settings]\nimageFullScreen=true\n") << true;
    QTest::newRow("off") << QStringLiteral("[Settings]\nimageFullScreen=false\n") << false;
}

void tst_Pictarn::fullScreenCheckMarkFollowsTheSettings()
{
    QFETCH(QString, config);
    QFETCH(bool, checked);
    if (!config.isNull())
        QVERIFY(TestUtil::writeConfig(config));
    Pictarn window;
    QAction *item = window.settingsMenu->actions().at(2);
    QCOMPARE(item->isChecked(), checked);
    item->trigger();
    QCOMPARE(item->isChecked(), !checked);
    QCOMPARE(window.settings->imageFullScreen(), !checked);
}

void tst_Pictarn::settingsAreWrittenWhenTheWindowGoes()
{
    {
        Pictarn window;
        window.settings->setSlideDelay(11);
        window.settings->addBookmark(new Bookmark(QStringLiteral("Card"), QStringLiteral("/card")));
        QVERIFY(!QFile::exists(TestUtil::configFile()));
    }
    QSettings raw(TestUtil::configFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Settings/slideDelay")).toInt(), 11);
    QCOMPARE(raw.value(QStringLiteral("Bookmarks/numBookmarks")).toInt(), 1);
    QCOMPARE(raw.value(QStringLiteral("Bookmarks/dir0")).toString(), QStringLiteral("/card"));
}

void tst_Pictarn::buildDrawsTheSamplePictures()
{
    const QDir samples(QStringLiteral("samples")); // in the build tree
    const QStringList names = samples.entryList(QDir::Files);
    QVERIFY(names.size() >= 12);
    for (const QString &name : names)
        QVERIFY2(!QImage(samples.filePath(name)).isNull(), qPrintable(name));
    QCOMPARE(QImageReader(samples.filePath(QStringLiteral("turned.jpg"))).transformation(),
             QImageIOHandler::TransformationRotate90);
    QVERIFY(QImageReader(samples.filePath(QStringLiteral("spinner.gif"))).imageCount() > 1);
    QVERIFY(QImage(samples.filePath(QStringLiteral("leaf.png"))).hasAlphaChannel());
}

PICTARN_TEST(tst_Pictarn)
#include "tst_pictarn.moc"
