#include "common/testmain.h"

#include "app/settings.h"
#include "viewer/imageviewer.h"
#include "viewer/zoompopup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QWidgetAction>

class tst_ZoomPopup : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void holdsTheLabelAndTheButtonRow();
    void showsTheRatio_data();
    void showsTheRatio();
    void showsBusyTexts();
    void enablesEachButton();

private:
    ZoomPopup *popup() const { return viewer->findChild<ZoomPopup *>(); }
    QLabel *label() const { return popup()->findChild<QLabel *>(); }
    QToolButton *button(const char *name) const
    {
        return popup()->findChild<QToolButton *>(QLatin1String(name));
    }
    Settings settings;
    ImageViewer *viewer = nullptr;
};

void tst_ZoomPopup::init()
{
    viewer = new ImageViewer(nullptr, &settings);
    viewer->hide();
}

void tst_ZoomPopup::cleanup()
{
    delete viewer;
    viewer = nullptr;
}

void tst_ZoomPopup::holdsTheLabelAndTheButtonRow()
{
    QVERIFY(popup());
    const QList<QAction *> items = popup()->actions();
    QCOMPARE(items.size(), 3);
    auto *labelItem = qobject_cast<QWidgetAction *>(items[0]);
    QVERIFY(labelItem);
    QCOMPARE(labelItem->defaultWidget(), label());
    QCOMPARE(label()->text(), QStringLiteral("Zoom"));
    QCOMPARE(label()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(label()->focusPolicy(), Qt::NoFocus);
    QVERIFY(items[1]->isSeparator());

    auto *rowItem = qobject_cast<QWidgetAction *>(items[2]);
    QVERIFY(rowItem);
    QLayout *row = rowItem->defaultWidget()->layout();
    QVERIFY(qobject_cast<QHBoxLayout *>(row));
    QCOMPARE(row->count(), 3);
    QCOMPARE(row->itemAt(0)->widget(), button("zoomout"));
    QCOMPARE(row->itemAt(1)->widget(), button("zoomin"));
    QCOMPARE(row->itemAt(2)->widget(), button("zoommax"));
    for (const char *name : {"zoomout", "zoomin", "zoommax"}) {
        QVERIFY(button(name)->autoRaise());
        QCOMPARE(button(name)->focusPolicy(), Qt::TabFocus);
    }
}

void tst_ZoomPopup::showsTheRatio_data()
{
    QTest::addColumn<int>("ratio");
    QTest::addColumn<QString>("text");

    QTest::newRow("fitted") << 0 << "Zoom";
    QTest::newRow("1:1") << 1 << "Zoom 100% ";
    QTest::newRow("1:3") << 3 << "Zoom 33% ";
    QTest::newRow("1:7") << 7 << "Zoom 14% ";
    QTest::newRow("1:150") << 150 << "Zoom 0% ";
}

void tst_ZoomPopup::showsTheRatio()
{
    QFETCH(int, ratio);
    QFETCH(QString, text);

    popup()->setBusyText(QStringLiteral("Zooming..."));
    popup()->setRatio(ratio);
    QCOMPARE(label()->text(), text);
}

void tst_ZoomPopup::showsBusyTexts()
{
    for (const QString &text : {QStringLiteral("Zooming in..."), QStringLiteral("Zooming out..."),
                                QStringLiteral("Zooming...")}) {
        popup()->setBusyText(text);
        QCOMPARE(label()->text(), text);
    }
}

void tst_ZoomPopup::enablesEachButton()
{
    popup()->setZoomInEnabled(false);
    QVERIFY(!button("zoomin")->isEnabled());
    QVERIFY(button("zoomout")->isEnabled());
    QVERIFY(button("zoommax")->isEnabled());
    popup()->setZoomMaxEnabled(false);
    QVERIFY(!button("zoommax")->isEnabled());
    popup()->setZoomOutEnabled(false);
    QVERIFY(!button("zoomout")->isEnabled());
    popup()->setZoomInEnabled(true);
    popup()->setZoomOutEnabled(true);
    QVERIFY(button("zoomin")->isEnabled());
    QVERIFY(button("zoomout")->isEnabled());
    QVERIFY(!button("zoommax")->isEnabled());
}

PICTARN_TEST(tst_ZoomPopup)
#include "tst_zoompopup.moc"
