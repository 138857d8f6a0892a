#include <QTest>

#include "model/plan/basescenario.h"
#include "mockclock.h"
#include "model/clock.h"
#include "model/numericutil.h"
#include "model/plan/timershift.h"
#include "model/wallclock.h"
#include "model/plan/workcyclecommit.h"

namespace {

const QDateTime Now(QDate(2026, 3, 1), QTime(12, 0));

Condition sensorRow(ConditionKind kind, ConditionAction action, int priority, float value = 20.0f, QList<double> params = {})
{
    Condition row;
    row.ref = 0;
    row.source = 4;
    row.text = QStringLiteral("Климат: Температура");
    row.kind = kind;
    row.action = action;
    row.priority = priority;
    row.value = bitsFromFloat(value);
    row.params = params;
    return row;
}

Condition timerRow(QList<double> params, ConditionAction action = ConditionAction::On, int priority = 1)
{
    Condition row;
    row.ref = TimerRef;
    row.source = TimerSource;
    row.kind = ConditionKind::Above;
    row.action = action;
    row.priority = priority;
    row.params = params;
    return row;
}

ControllerState namedState()
{
    ControllerState state;
    state.sockets[0].name = QStringLiteral("Лампа");
    state.sensors[1].name = QStringLiteral("Полив");
    state.editedDayHours = 16;
    state.editedNightHours = 8;
    state.startTime = state.editedStartTime = Now.addDays(1);
    return state;
}

// A scenario whose socket 1 day list is the given rows; everything else passes.
Scenario scenarioWithDayList(const QList<Condition> &rows)
{
    Scenario scenario = baseScenario();
    scenario.name = QStringLiteral("Рассада");
    scenario.sockets[1].dayConditions = rows;
    return scenario;
}

struct NoteLog
{
    QStringList notes;
    NoteFn fn() { return [this](const QString &text) { notes.append(text); }; }
};

} // namespace

class TestScenarioValidation : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MockClock::set(Now); }
    void cleanupTestCase() { MockClock::clear(); }

    void baseScenarioRows()
    {
        ControllerState state;
        state.scenarios.append(Scenario());
        createBaseScenario(state);
        QCOMPARE(state.scenarios.size(), 2);
        const Scenario &base = state.scenarios.at(0);
        QCOMPARE(base.name, QStringLiteral("Базовый сценарий"));
        QCOMPARE(base.sockets.keys(), (QList<int>{1, 2, 3, 4}));
        for (const SocketProgram &program : base.sockets) {
            QCOMPARE(program.dayConditions.size(), 1);
            QCOMPARE(program.nightConditions.size(), 1);
            QVERIFY(program.timers.isEmpty());
            const Condition &day = program.dayConditions.at(0);
            QCOMPARE(day.ref, -1);
            QCOMPARE(day.text, QStringLiteral("Базовое состояние"));
            QCOMPARE(day.kind, ConditionKind::Below);
            QCOMPARE(day.value, quint32(0x447A0000));
            QCOMPARE(day.priority, 0);
            QCOMPARE(day.source, 0);
            QVERIFY(day.params.isEmpty());
            QCOMPARE(day.action, ConditionAction::On);
            QCOMPARE(program.nightConditions.at(0).action, ConditionAction::Off);
        }
    }

    void conditionList_data()
    {
        QTest::addColumn<QList<Condition>>("rows");
        QTest::addColumn<bool>("night");
        QTest::addColumn<int>("output");
        QTest::addColumn<QString>("message");  // empty: the list passes

        const Condition base = baseStateCondition(ConditionAction::On);
        QTest::newRow("empty day list") << QList<Condition>{} << false << 1
                                        << QStringLiteral("Не задано дневное состояние  для <p>Лампа");
        QTest::newRow("empty night list") << QList<Condition>{} << true << 1
                                          << QStringLiteral("Не задано ночное состояние  для <p>Лампа");
        QTest::newRow("base row alone") << QList<Condition>{base} << false << 1 << QString();
        QTest::newRow("on without off") << QList<Condition>{sensorRow(ConditionKind::Above, ConditionAction::On, 1)} << false << 1
                                        << QStringLiteral("Нет условия дневного выключения для <p> Лампа");
        QTest::newRow("off without on, night") << QList<Condition>{sensorRow(ConditionKind::Below, ConditionAction::Off, 1)} << true << 1
                                               << QStringLiteral("Нет условия ночного включения для <p> Лампа");
        QTest::newRow("on and off pair") << QList<Condition>{sensorRow(ConditionKind::Above, ConditionAction::On, 1), sensorRow(ConditionKind::Below, ConditionAction::Off, 2)}
                                         << false << 1 << QString();
        QTest::newRow("on and off, same priority")
            << QList<Condition>{sensorRow(ConditionKind::Above, ConditionAction::On, 2), sensorRow(ConditionKind::Below, ConditionAction::Off, 2)} << false << 1
            << QStringLiteral("Одинаковый приоритет дневных условий ВКЛ и ВЫКЛ устройства: <p> Лампа");
        QTest::newRow("interval then on, same priority")
            << QList<Condition>{base, sensorRow(ConditionKind::Interval, ConditionAction::Off, 3, 20, {25}), sensorRow(ConditionKind::Above, ConditionAction::On, 3)} << true << 1
            << QStringLiteral("Одинаковый приоритет ночных условий ВКЛ и ВЫКЛ устройства: <p> Лампа");
        QTest::newRow("on then interval, same priority")
            << QList<Condition>{base, sensorRow(ConditionKind::Above, ConditionAction::On, 3), sensorRow(ConditionKind::Interval, ConditionAction::On, 3, 20, {25})} << false << 1
            << QStringLiteral("Одинаковый приоритет дневных условий ВКЛ и ВЫКЛ устройства: <p> Лампа");
        QTest::newRow("two on rows share a priority")
            << QList<Condition>{base, sensorRow(ConditionKind::Above, ConditionAction::On, 3), sensorRow(ConditionKind::Below, ConditionAction::On, 3)} << false << 1 << QString();
        QTest::newRow("off row at the base row's priority")
            << QList<Condition>{base, sensorRow(ConditionKind::Above, ConditionAction::Off, 0)} << false << 1
            << QStringLiteral("Одинаковый приоритет дневных условий ВКЛ и ВЫКЛ устройства: <p> Лампа");

        QTest::newRow("timer ok") << QList<Condition>{base, timerRow({480, 30, 60, 2, 0})} << false << 1 << QString();
        QTest::newRow("timer period shorter than duration")
            << QList<Condition>{base, timerRow({480, 30, 20, 2, 0})} << false << 1
            << QStringLiteral("ОШИБКА! <p> Период работы таймера устройства: Лампа меньше длительности его работы");
        QTest::newRow("timer duration 0") << QList<Condition>{base, timerRow({480, 0, 20, 2, 0})} << false << 1
                                          << QStringLiteral("Некорректно задано время окончания таймера устройства: Лампа");
        QTest::newRow("timer count 0") << QList<Condition>{base, timerRow({480, 10, 20, 0, 0})} << false << 1
                                       << QStringLiteral("Некорректно задано кол-во периодов работы таймера устройства: Лампа");
        QTest::newRow("timer start negative") << QList<Condition>{base, timerRow({-5, 10, 20, 1, 0})} << false << 1
                                              << QStringLiteral("Некорректно задано время старта таймера устройства: Лампа");
        // A timer row that lost its values (its timer was never linked) must not pass.
        QTest::newRow("timer row without values") << QList<Condition>{base, timerRow({0})} << false << 1
                                                  << QStringLiteral("Некорректно задано время окончания таймера устройства: Лампа");
        QTest::newRow("timer NaN period")
            << QList<Condition>{base, timerRow({480, 10, qQNaN(), 1, 0})} << false << 1
            << QStringLiteral("ОШИБКА! <p> Период работы таймера устройства: Лампа меньше длительности его работы");

        QTest::newRow("relay output named after its input")
            << QList<Condition>{sensorRow(ConditionKind::Above, ConditionAction::On, 1)} << false << 6
            << QStringLiteral("Нет условия дневного выключения для <p> Полив");
    }

    void conditionList()
    {
        QFETCH(QList<Condition>, rows);
        QFETCH(bool, night);
        QFETCH(int, output);
        QFETCH(QString, message);

        const ControllerState state = namedState();
        NoteLog log;
        QCOMPARE(validateConditionList(state, rows, night, output, log.fn()), message.isEmpty());
        QCOMPARE(log.notes, message.isEmpty() ? QStringList() : QStringList{message});
        // A silent check gives the same answer.
        QCOMPARE(validateConditionList(state, rows, night, output, NoteFn()), message.isEmpty());
    }

    void scenarioStopsAtTheFirstFailure()
    {
        const ControllerState state = namedState();
        Scenario scenario = scenarioWithDayList({sensorRow(ConditionKind::Above, ConditionAction::On, 1)});
        scenario.sockets[2].nightConditions.clear();
        NoteLog log;
        QVERIFY(!validateScenario(state, scenario, log.fn()));
        QCOMPARE(log.notes, QStringList{QStringLiteral("Нет условия дневного выключения для <p> Лампа")});
    }

    void timerShift_data()
    {
        QTest::addColumn<qint64>("editedLaterBySeconds");
        QTest::addColumn<int>("dayHours");
        QTest::addColumn<int>("nightHours");
        QTest::addColumn<int>("shift");
        QTest::newRow("25 h later, 16+8") << qint64(25 * 3600) << 16 << 8 << 1380;
        QTest::newRow("25 h later, 12+8") << qint64(25 * 3600) << 12 << 8 << 0;
        QTest::newRow("same start") << qint64(0) << 24 << 0 << 0;
        QTest::newRow("30 min earlier") << qint64(-1800) << 20 << 4 << 30;
        QTest::newRow("a day and 30 min later") << qint64(86400 + 1800) << 16 << 8 << 1410;
    }

    void timerShift()
    {
        QFETCH(qint64, editedLaterBySeconds);
        ControllerState state;
        QFETCH(int, dayHours);
        QFETCH(int, nightHours);
        state.editedDayHours = dayHours;
        state.editedNightHours = nightHours;
        state.startTime = Now;
        state.editedStartTime = Now.addSecs(editedLaterBySeconds);
        QTEST(computeTimerShiftMinutes(state), "shift");
    }

    void shiftedTimerStartWrapsIntoTheCycle()
    {
        QCOMPARE(shiftedTimerStart(480, 1380, 24), qint64(420));
        QCOMPARE(shiftedTimerStart(480.9, 0, 24), qint64(480));
        // A cycle of no length leaves the start as it is instead of dividing by zero.
        QCOMPARE(shiftedTimerStart(480, 5, 0), qint64(485));
    }

    void shiftMovesATimerStartOutOfRange()
    {
        // Timer at 23:50 of a 24-hour cycle, start moved 20 minutes earlier: still inside the cycle.
        ControllerState state = namedState();
        state.editedDayHours = 24;
        state.editedNightHours = 0;
        state.editedStartTime = state.startTime.addSecs(-20 * 60);
        QCOMPARE(computeTimerShiftMinutes(state), 20);
        QVERIFY(validateConditionList(state, {baseStateCondition(ConditionAction::On), timerRow({1430, 5, 10, 1, 0})}, false, 1, NoteFn()));
    }

    void commitRecountsUsage()
    {
        ControllerState state = namedState();
        state.editedScenarios = {baseScenario(), scenarioWithDayList({baseStateCondition(ConditionAction::On)}), baseScenario()};
        state.editedScenarios[2].usage = 7;
        state.editedDays = QList<CycleDay>(3);
        state.editedDays[1].scenarioIndex = 2;
        state.editedDays[2].scenarioIndex = 2;
        state.editedCycleCount = 3;
        QVERIFY(commitWorkCycle(state, NoteFn(), true));
        QCOMPARE(state.editedScenarios[0].usage, 1);
        QCOMPARE(state.editedScenarios[1].usage, 0);
        QCOMPARE(state.editedScenarios[2].usage, 2);
    }

    void commitFailures_data()
    {
        QTest::addColumn<int>("editedDayHours");
        QTest::addColumn<int>("failingScenarioDay");   // -1: no day runs the failing scenario
        QTest::addColumn<bool>("failingBase");        // the base scenario would fail its checks
        QTest::addColumn<qint64>("startSeconds");      // live start seconds
        QTest::addColumn<qint64>("editedStartAgo");    // seconds before now
        QTest::addColumn<QString>("message");

        const qint64 liveTenMinutesAgo = Clock::localWallSeconds(Now.addSecs(-600));
        QTest::newRow("no day length") << 0 << -1 << false << qint64(0) << qint64(-3600)
                                       << QStringLiteral("Не задана длительность дня");
        QTest::newRow("used scenario fails") << 16 << 1 << false << qint64(0) << qint64(-3600)
                                             << QStringLiteral("Нет условия дневного выключения для <p> Лампа");
        QTest::newRow("unused scenario is not checked") << 16 << -1 << false << qint64(0) << qint64(-3600) << QString();
        QTest::newRow("base scenario is not checked") << 16 << -1 << true << qint64(0) << qint64(-3600) << QString();
        QTest::newRow("start 10 min ago, unchanged") << 16 << -1 << false << liveTenMinutesAgo << qint64(600) << QString();
        QTest::newRow("start 10 min ago, changed") << 16 << -1 << false << liveTenMinutesAgo + 60 << qint64(600)
                                                   << QStringLiteral("Время начала работы уже давно прошло");
        QTest::newRow("start 9 min 59 s ago, changed") << 16 << -1 << false << qint64(1) << qint64(599) << QString();
        QTest::newRow("start long ago, no live cycle") << 16 << -1 << false << qint64(0) << qint64(86400) << QString();
    }

    void commitFailures()
    {
        QFETCH(int, editedDayHours);
        QFETCH(int, failingScenarioDay);
        QFETCH(bool, failingBase);
        QFETCH(qint64, startSeconds);
        QFETCH(qint64, editedStartAgo);
        QFETCH(QString, message);

        ControllerState state = namedState();
        Scenario base = baseScenario();
        if (failingBase)
            base.sockets[1].dayConditions.clear();
        state.editedScenarios = {base, scenarioWithDayList({sensorRow(ConditionKind::Above, ConditionAction::On, 1)})};
        state.editedDays = QList<CycleDay>(3);
        if (failingScenarioDay >= 0)
            state.editedDays[failingScenarioDay].scenarioIndex = 1;
        state.editedCycleCount = -2;
        state.editedDayHours = editedDayHours;
        state.startSeconds = startSeconds;
        state.editedStartTime = Now.addSecs(-editedStartAgo);
        const QDateTime liveStart = state.startTime;

        NoteLog log;
        QCOMPARE(commitWorkCycle(state, log.fn(), false), message.isEmpty());
        QCOMPARE(log.notes, message.isEmpty() ? QStringList() : QStringList{message});
        if (editedDayHours >= 1)
            QCOMPARE(state.editedCycleCount, 0);  // stays in effect even when the commit fails
        if (!message.isEmpty()) {
            QCOMPARE(state.startTime, liveStart);
            QCOMPARE(state.startSeconds, startSeconds);
            QVERIFY(state.scenarios.isEmpty());
        }
    }

    void commitMakesTheEditedCopyLive()
    {
        ControllerState state = namedState();
        state.editedScenarios = {baseScenario(), scenarioWithDayList({baseStateCondition(ConditionAction::On)})};
        state.editedDays = QList<CycleDay>(2);
        state.editedDays[1].scenarioIndex = 1;
        state.editedDayHours = 18;
        state.editedNightHours = 6;
        state.editedCycleCount = 2;
        state.editedStartTime = Now.addSecs(3600);

        ControllerState checkedOnly = state;
        QVERIFY(commitWorkCycle(checkedOnly, NoteFn(), true));
        QVERIFY(checkedOnly.scenarios.isEmpty());
        QCOMPARE(checkedOnly.dayHours, 16);

        QVERIFY(commitWorkCycle(state, NoteFn(), false));
        QCOMPARE(state.dayHours, 18);
        QCOMPARE(state.nightHours, 6);
        QCOMPARE(state.cycleCount, 2);
        QCOMPARE(state.startTime, Now.addSecs(3600));
        QCOMPARE(state.startSeconds, Clock::localWallSeconds(Now.addSecs(3600)));
        QCOMPARE(state.days.size(), 2);
        QCOMPARE(state.days[1].scenarioIndex, 1);
        QCOMPARE(state.scenarios.size(), 2);
        QCOMPARE(state.scenarios[1].usage, 1);
        QCOMPARE(state.scenarios[1].name, QStringLiteral("Рассада"));
    }
};

QTEST_GUILESS_MAIN(TestScenarioValidation)
#include "tst_scenariovalidation.moc"
