#include "app/form1.h"

#include <QTest>

class Smoke : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void opens()
    {
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

QTEST_MAIN(Smoke)
#include "smoke.moc"
