#include "common/testmain.h"

#include "browse/directoryview.h"
#include "browse/foldertreeitem.h"
#include "browse/pathchooser.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs action on the modal dialog as soon as it is up. The action must end the dialog.
void whenModal(std::function<void(QDialog *)> action)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action(dialog);
    });
    poll->start();
}

const QString acceptText = QString::fromUtf8("确定");
const QString cancelText = QStringLiteral("Cancel");

void press(QDialog *dialog, const QString &text)
{
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == text)
            return QTest::mouseClick(button, Qt::LeftButton);
    }
    dialog->reject();
}

void doubleTap(QWidget *widget, QPoint pos)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

const QStringList systemNames{"bin",  "dev", "diskb", "ezxlocal", "etc", "home", "lib",
                              "proc", "ram", "sbin",  "tmp",      "usr", "var",  "root"};

} // namespace

class tst_PathChooser : public QObject
{
    Q_OBJECT

private slots:
    void acceptingAtOnceGivesTheRoot();
    void tappedRowGivesItsPathWithoutSlash_data();
    void tappedRowGivesItsPathWithoutSlash();
    void nullTextWhenNothingIsChosen_data();
    void nullTextWhenNothingIsChosen();
    void doubleTapDoesNotCloseTheDialog();

private:
    QString reachableFolder(QTemporaryDir &dir);
};

// A folder made below the build folder, which the tree can reach unless a system name hides
// one of its parents.
QString tst_PathChooser::reachableFolder(QTemporaryDir &dir)
{
    if (!dir.isValid())
        return QString();
    for (const QString &part : dir.path().split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (systemNames.contains(part) || part.startsWith(QLatin1Char('.')))
            return QString();
    }
    return dir.path();
}

void tst_PathChooser::acceptingAtOnceGivesTheRoot()
{
    bool rootOpenAndCurrent = false;
    QPointer<QDialog> shown;
    whenModal([&](QDialog *dialog) {
        shown = dialog;
        auto *view = dialog->findChild<DirectoryView *>();
        QTreeWidgetItem *root = view ? view->topLevelItem(0) : nullptr;
        rootOpenAndCurrent = root && root->isExpanded() && view->currentItem() == root;
        press(dialog, acceptText);
    });
    QCOMPARE(choosePath(), QStringLiteral("/"));
    QVERIFY(rootOpenAndCurrent);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(shown.isNull());
}

void tst_PathChooser::tappedRowGivesItsPathWithoutSlash_data()
{
    QTest::addColumn<bool>("home");
    QTest::newRow("below the build folder") << false;
    // Under the temporary folder, whose name ("tmp") the tree hides elsewhere.
    QTest::newRow("home below hidden names") << true;
}

void tst_PathChooser::tappedRowGivesItsPathWithoutSlash()
{
    QFETCH(bool, home);
    QTemporaryDir dir(home ? QDir::tempPath() + QStringLiteral("/chooser-XXXXXX")
                           : QDir::currentPath() + QStringLiteral("/chooser-XXXXXX"));
    const QString folder = home ? dir.path() + QStringLiteral("/home/me") : reachableFolder(dir);
    const QByteArray realHome = qgetenv("HOME");
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", realHome); });
    if (home)
        qputenv("HOME", QFile::encodeName(folder));
    if (folder.isEmpty())
        QSKIP("the build folder lies below a folder the tree hides");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/pics/2009")));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/other")));

    bool tapped = false;
    whenModal([&](QDialog *dialog) {
        auto *view = dialog->findChild<DirectoryView *>();
        if (view) {
            view->setDir(folder);
            QTreeWidgetItem *parent = view->currentItem();
            QTreeWidgetItem *pics = nullptr;
            for (int i = 0; parent && i < parent->childCount(); ++i) {
                if (parent->child(i)->text(0) == QLatin1String("pics"))
                    pics = parent->child(i);
            }
            if (pics) {
                view->scrollToItem(pics);
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                  view->visualItemRect(pics).center());
                tapped = view->currentItem() == pics;
            }
        }
        press(dialog, acceptText);
    });
    const QString path = choosePath();
    QVERIFY(tapped);
    QCOMPARE(path, folder + QStringLiteral("/pics"));
}

void tst_PathChooser::nullTextWhenNothingIsChosen_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("cancel after choosing a row") << 0;
    QTest::newRow("closed by the window") << 1;
    QTest::newRow("escape key") << 2;
    QTest::newRow("accepted without a current row") << 3;
}

void tst_PathChooser::nullTextWhenNothingIsChosen()
{
    QFETCH(int, how);
    whenModal([how](QDialog *dialog) {
        auto *view = dialog->findChild<DirectoryView *>();
        if (view && view->topLevelItem(0) && view->topLevelItem(0)->childCount() > 0)
            view->setCurrentItem(view->topLevelItem(0)->child(0));
        switch (how) {
        case 0:
            press(dialog, cancelText);
            break;
        case 1:
            dialog->close();
            break;
        case 2:
            QTest::keyClick(dialog, Qt::Key_Escape);
            break;
        default:
            if (view)
                view->setCurrentItem(nullptr);
            press(dialog, acceptText);
        }
        if (dialog->isVisible())
            dialog->reject();
    });
    const QString path = choosePath();
    QVERIFY2(path.isNull(), qPrintable(path));
}

void tst_PathChooser::doubleTapDoesNotCloseTheDialog()
{
    bool openAfter = false;
    int chosen = 0;
    bool toggled = false;
    whenModal([&](QDialog *dialog) {
        auto *view = dialog->findChild<DirectoryView *>();
        if (view && view->topLevelItem(0)) {
            QSignalSpy spy(view, &DirectoryView::folderSelected);
            QTreeWidgetItem *root = view->topLevelItem(0);
            doubleTap(view->viewport(), view->visualItemRect(root).center());
            QCoreApplication::processEvents();
            openAfter = dialog->isVisible();
            chosen = spy.count();
            toggled = !root->isExpanded();
        }
        press(dialog, acceptText);
    });
    QCOMPARE(choosePath(), QStringLiteral("/"));
    QVERIFY(openAfter);
    QCOMPARE(chosen, 1);
    QVERIFY(toggled);
}

PICTARN_TEST(tst_PathChooser)
#include "tst_pathchooser.moc"
