#include <QTest>

#include "mockclock.h"
#include "model/clock.h"

class TestClock : public QObject
{
    Q_OBJECT
private slots:
    void fakeTimeAdvances()
    {
        const QDateTime t(QDate(2026, 3, 1), QTime(10, 0));
        MockClock::set(t);
        QCOMPARE(Clock::now(), t);
        MockClock::advance(90 * 1000);
        QCOMPARE(Clock::now(), t.addSecs(90));
        // Tests run in a zone three hours ahead of UTC.
        QCOMPARE(Clock::utcOffsetSeconds(), 3 * 3600);
        QCOMPARE(Clock::nowLocalWallSeconds(), t.addSecs(90).toSecsSinceEpoch() + 3 * 3600);
        MockClock::clear();
        QVERIFY(!MockClock::isSet());
    }
};

QTEST_GUILESS_MAIN(TestClock)
#include "tst_clock.moc"
