#include <QTest>

#include "model/plan/basescenario.h"
#include "model/numericutil.h"
#include "model/plan/plancheck.h"
#include "model/codec/sensorcatalogue.h"
#include "timercondition.h"

// The plan checker: for each finding a plan that has it and the nearest plan that does not.
namespace {

constexpr int Humidity = 4;    // channel ids of the climate probe on input 1
constexpr int Temperature = 5;

Condition sensorRow(int source, ConditionKind kind, ConditionAction action, int priority, float value, QList<double> params = {})
{
    Condition row;
    row.ref = 0;
    row.source = source;
    row.kind = kind;
    row.action = action;
    row.priority = priority;
    row.value = bitsFromFloat(value);
    row.params = params;
    return row;
}

// start, duration, period, count
Condition timerRow(int start, int duration, int period, int count, ConditionAction action = ConditionAction::On, int priority = 1)
{
    return timerCondition(start, duration, period, count, action, priority);
}

Condition base(ConditionAction action) { return baseStateCondition(action); }

// 16 + 8 hours, a climate probe on input 1, one scenario on every day whose socket 1 has the
// given day and night lists; the other sockets keep their base states.
ControllerState plan(const QList<Condition> &day, const QList<Condition> &night = {base(ConditionAction::Off)})
{
    ControllerState s;
    s.sensors[0].type = SensorTemperatureHumidity;
    s.sensors[0].name = QStringLiteral("Климат");
    s.sensors[0].channels = {Humidity, Temperature};
    s.sockets[0].name = QStringLiteral("Вентилятор");
    s.editedDayHours = 16;
    s.editedNightHours = 8;
    Scenario sc = baseScenario();
    sc.name = QStringLiteral("Рост");
    sc.sockets[1].dayConditions = day;
    sc.sockets[1].nightConditions = night;
    s.editedScenarios = {baseScenario(), sc};
    s.editedCycleCount = 3;
    for (int d = 0; d < 3; ++d) {
        CycleDay cd;
        cd.scenarioIndex = 1;
        s.editedDays << cd;
    }
    return s;
}

QStringList codes(const QList<PlanFinding> &findings)
{
    QStringList out;
    for (const PlanFinding &f : findings)
        out << f.code + QLatin1Char('/') + severityName(f.severity);
    return out;
}


} // namespace

Q_DECLARE_METATYPE(ControllerState)

class TestPlanCheck : public QObject
{
    Q_OBJECT

private slots:
    void findings_data()
    {
        QTest::addColumn<ControllerState>("state");
        QTest::addColumn<QStringList>("expected");
        const ConditionAction on = ConditionAction::On;
        const ConditionAction off = ConditionAction::Off;
        const Condition baseOff = base(off);

        QTest::newRow("clean plan") << plan({baseOff, sensorRow(Humidity, ConditionKind::Above, on, 1, 70), sensorRow(Humidity, ConditionKind::Below, off, 2, 60)})
                                    << QStringList();

        QTest::newRow("inverted interval") << plan({baseOff, sensorRow(Temperature, ConditionKind::Interval, on, 1, 25, {20})})
                                           << QStringList{QStringLiteral("inverted-interval/error")};
        QTest::newRow("interval in order") << plan({baseOff, sensorRow(Temperature, ConditionKind::Interval, on, 1, 20, {25})})
                                           << QStringList();
        QTest::newRow("interval narrower than the noise") << plan({baseOff, sensorRow(Temperature, ConditionKind::Interval, on, 1, 20, {20.3})})
                                                          << QStringList{QStringLiteral("no-hysteresis/warning")};

        QTest::newRow("thresholds without a gap") << plan({baseOff, sensorRow(Humidity, ConditionKind::Above, on, 1, 60), sensorRow(Humidity, ConditionKind::Below, off, 2, 60)})
                                                  << QStringList{QStringLiteral("no-hysteresis/warning")};
        QTest::newRow("gap under the humidity noise") << plan({baseOff, sensorRow(Humidity, ConditionKind::Above, on, 1, 61), sensorRow(Humidity, ConditionKind::Below, off, 2, 60)})
                                                      << QStringList{QStringLiteral("no-hysteresis/warning")};
        QTest::newRow("gap of the temperature noise") << plan({baseOff, sensorRow(Temperature, ConditionKind::Above, on, 1, 25.5), sensorRow(Temperature, ConditionKind::Below, off, 2, 25)})
                                                      << QStringList();
        QTest::newRow("thresholds on two channels") << plan({baseOff, sensorRow(Humidity, ConditionKind::Above, on, 1, 60), sensorRow(Temperature, ConditionKind::Below, off, 2, 60)})
                                                    << QStringList();

        ControllerState off1 = plan({baseOff, sensorRow(Humidity, ConditionKind::Above, on, 1, 70)});
        off1.sensors[0].type = SensorOff;
        QTest::newRow("input disconnected") << off1 << QStringList{QStringLiteral("disconnected-input/error")};
        ControllerState retyped = plan({baseOff, sensorRow(Temperature, ConditionKind::Above, on, 1, 30)});
        retyped.sensors[0].type = SensorOneWireTemperature;
        retyped.sensors[0].channels = {Temperature + 1};
        QTest::newRow("channel no longer offered") << retyped << QStringList{QStringLiteral("disconnected-input/error")};
        QTest::newRow("input connected") << plan({baseOff, sensorRow(Temperature, ConditionKind::Above, on, 1, 30)}) << QStringList();

        QTest::newRow("timers overlap") << plan({baseOff, timerRow(60, 30, 120, 3), timerRow(300, 10, 0, 1, on, 2)})
                                        << QStringList{QStringLiteral("timer-overlap/warning")};
        QTest::newRow("timers side by side") << plan({baseOff, timerRow(60, 30, 120, 3), timerRow(330, 10, 0, 1, on, 2)})
                                             << QStringList();

        ControllerState noNight = plan({base(on)}, {base(off), timerRow(1000, 10, 0, 1)});
        noNight.editedDayHours = 24;
        noNight.editedNightHours = 0;
        QTest::newRow("night timer without a night") << noNight << QStringList{QStringLiteral("timer-never-runs/error")};
        QTest::newRow("night timer in the night") << plan({base(on)}, {base(off), timerRow(1000, 10, 0, 1)}) << QStringList();
        QTest::newRow("day timer starting at night") << plan({baseOff, timerRow(1000, 10, 0, 1)})
                                                     << QStringList{QStringLiteral("timer-never-runs/error")};
        QTest::newRow("repeats past the day") << plan({baseOff, timerRow(600, 10, 120, 5)})
                                              << QStringList{QStringLiteral("timer-never-runs/warning")};
        QTest::newRow("repeats within the day") << plan({baseOff, timerRow(600, 10, 120, 3)}) << QStringList();
        // the editor lists a timer in both tables: it runs in the phase its start lies in
        QTest::newRow("day timer listed by night too") << plan({baseOff, timerRow(60, 120, 1440, 1)}, {baseOff, timerRow(60, 120, 1440, 1)})
                                                       << QStringList();
        QTest::newRow("timer listed in both, starting in neither")
            << plan({baseOff, timerRow(1500, 10, 0, 1)}, {baseOff, timerRow(1500, 10, 0, 1)})
            << QStringList{QStringLiteral("timer-never-runs/error")};

        QTest::newRow("rules that never switch off") << plan({base(on), sensorRow(Humidity, ConditionKind::Above, on, 1, 70)})
                                                     << QStringList{QStringLiteral("always-on/warning")};
        QTest::newRow("rules that never switch on") << plan({baseOff, timerRow(60, 10, 0, 1, off)})
                                                    << QStringList{QStringLiteral("always-off/warning")};
        QTest::newRow("base state alone") << plan({base(on)}) << QStringList();
        QTest::newRow("an interval switches both ways") << plan({baseOff, sensorRow(Temperature, ConditionKind::Interval, off, 1, 18, {21})})
                                                        << QStringList();

        ControllerState unused = plan({baseOff});
        unused.editedScenarios << unused.editedScenarios.at(1);
        unused.editedScenarios.last().name = QStringLiteral("Цветение");
        QTest::newRow("scenario on no day") << unused << QStringList{QStringLiteral("unused-scenario/warning")};

        ControllerState gaps = plan({baseOff});
        gaps.editedCycleCount = 5;
        gaps.editedDays << gaps.editedDays.at(0) << gaps.editedDays.at(0);
        gaps.editedDays[1].scenarioIndex = 0;
        gaps.editedDays[2].scenarioIndex = 0;
        gaps.editedDays[4].scenarioIndex = 7;
        QTest::newRow("days without a scenario") << gaps << QStringList{QStringLiteral("day-without-scenario/warning"),
                                                                         QStringLiteral("day-without-scenario/error")};
        ControllerState shortMap = plan({baseOff});
        shortMap.editedCycleCount = 4;
        QTest::newRow("day map shorter than the cycle") << shortMap << QStringList{QStringLiteral("day-without-scenario/error")};
    }
    void findings()
    {
        QFETCH(ControllerState, state);
        QFETCH(QStringList, expected);
        const QList<PlanFinding> found = checkPlan(state);
        QCOMPARE(codes(found), expected);
        for (const PlanFinding &f : found)
            QVERIFY2(!f.text.isEmpty(), qPrintable(f.code));
    }

    // A finding says where it is, so the page can select its row.
    void findingLocatesItsRow()
    {
        const QList<PlanFinding> found = checkPlan(plan({base(ConditionAction::Off), sensorRow(Temperature, ConditionKind::Interval, ConditionAction::On, 1, 25, {20})}));
        QCOMPARE(found.size(), 1);
        const PlanFinding &f = found.first();
        QCOMPARE(f.scenario, 1);
        QCOMPARE(f.output, 1);
        QCOMPARE(f.phase, int(PlanCheck::DayPhase));
        QCOMPARE(f.row, 1);
        QVERIFY(f.isError());
        QCOMPARE(f.text, QStringLiteral("«Рост», Вентилятор, день, строка 2: верхняя граница интервала (20 °C) не выше нижней (25 °C)"));
    }

    // Counts and indexes from files: a huge repeat count or a day pointing nowhere never runs away.
    void hostileValuesStayBounded()
    {
        ControllerState s = plan({base(ConditionAction::Off), timerRow(0, 1, 1, 1000000000), timerRow(0, 1, 0, -5, ConditionAction::On, 2)});
        s.editedDays[0].scenarioIndex = -3;
        const QList<PlanFinding> found = checkPlan(s);
        QVERIFY(hasPlanErrors(found));
    }
};

QTEST_GUILESS_MAIN(TestPlanCheck)
#include "tst_plancheck.moc"
