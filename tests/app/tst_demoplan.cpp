#include <QTest>

#include "app/demoseed.h"
#include "mockclock.h"
#include "model/plan/plancheck.h"
#include "model/codec/planimage.h"

// The plan a new user meets first in the demo must be one the checker has nothing against.
class TestDemoPlan : public QObject
{
    Q_OBJECT

private slots:
    void demoPlanHasNoErrors()
    {
        MockClock::set(QDateTime(QDate(2026, 3, 10), QTime(12, 0)));
        const ControllerState state = planOfImage(DemoSeed::imageBody());
        MockClock::clear();
        QCOMPARE(state.editedCycleCount, 30);
        const QList<PlanFinding> findings = checkPlan(state);
        for (const PlanFinding &f : findings)
            qInfo("%s %s: %s", qPrintable(severityName(f.severity)), qPrintable(f.code), qPrintable(f.text));
        QVERIFY(!hasPlanErrors(findings));
    }
};

QTEST_GUILESS_MAIN(TestDemoPlan)
#include "tst_demoplan.moc"
