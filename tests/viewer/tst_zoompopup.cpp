#include "common/testmain.h"

#include "app/settings.h"
#include "viewer/imageviewer.h"
#include "viewer/zoompopup.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <memory>

class tst_ZoomPopup : public QObject
{
    Q_OBJECT
private slots:
    void init() { viewer = std::make_unique<ImageViewer>(nullptr, &settings); }
    void cleanup() { viewer.reset(); }
    void showsTheRatioOrTheBusyText_data();
    void showsTheRatioOrTheBusyText();
    void enablesEachButton();

private:
    ZoomPopup *popup() const { return viewer->findChild<ZoomPopup *>(); }
    QToolButton *button(const char *name) const
    {
        return popup()->findChild<QToolButton *>(QLatin1String(name));
    }
    Settings settings;
    std::unique_ptr<ImageViewer> viewer;
};

void tst_ZoomPopup::showsTheRatioOrTheBusyText_data()
{
    QTest::addColumn<int>("ratio"); // -1: only the busy text
    QTest::addColumn<QString>("text");

    QTest::newRow("fitted") << 0 << "Zoom";
    QTest::newRow("1:1") << 1 << "Zoom 100% ";
    QTest::newRow("1:3") << 3 << "Zoom 33% ";
    QTest::newRow("1:7") << 7 << "Zoom 14% ";
    QTest::newRow("1:150") << 150 << "Zoom 0% ";
    QTest::newRow("busy") << -1 << "Zooming in...";
}

void tst_ZoomPopup::showsTheRatioOrTheBusyText()
{
    QFETCH(int, ratio);
    QFETCH(QString, text);

    popup()->setBusyText(QStringLiteral("Zooming in..."));
    if (ratio >= 0)
        popup()->setRatio(ratio);
    QCOMPARE(popup()->findChild<QLabel *>()->text(), text);
}

void tst_ZoomPopup::enablesEachButton()
{
    popup()->setZoomInEnabled(false);
    popup()->setZoomMaxEnabled(false);
    QVERIFY(!button("zoomin")->isEnabled());
    QVERIFY(!button("zoommax")->isEnabled());
    QVERIFY(button("zoomout")->isEnabled());
    popup()->setZoomOutEnabled(false);
    popup()->setZoomInEnabled(true);
    QVERIFY(button("zoomin")->isEnabled());
    QVERIFY(!button("zoomout")->isEnabled());
    QVERIFY(!button("zoommax")->isEnabled());
}

PICTARN_TEST(tst_ZoomPopup)
#include "tst_zoompopup.moc"
