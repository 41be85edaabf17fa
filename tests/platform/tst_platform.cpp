#include "common/testmain.h"
#include <QTest>
class tst_Placeholder : public QObject { Q_OBJECT private slots: void runs() { QVERIFY(true); } };
PICTARN_TEST(tst_Placeholder)
#include "tst_platform.moc"
