#include <QTest>
#include <optional>

#include <limits>

#include "model/codec/sensorcatalogue.h"
#include "model/controllerstate.h"
#include "model/numericutil.h"
#include "model/plan/basescenario.h"
#include "model/plan/socketmapequality.h"
#include "model/plan/socketprogramedit.h"
#include "proberow.h"

namespace {

constexpr int Day = SocketProgramEdit::Day;
constexpr int Night = SocketProgramEdit::Night;
using Refusal = SocketProgramEdit::Refusal;
using ValueEdit = SocketProgramEdit::ValueEdit;

// A climate probe (humidity on channel 4, temperature on channel 5) on input 0.
SensorSlot probe(QList<int> channels = {4, 5})
{
    SensorSlot sensor;
    sensor.type = SensorTemperatureHumidity;
    sensor.name = QStringLiteral("Климат");
    sensor.channels = channels;
    return sensor;
}

// A 16 + 8 hour cycle (clock times) that starts at 06:00.
ControllerState cycleState(int dayHours = 16, int nightHours = 8, bool started = true)
{
    ControllerState state;
    state.dayHours = state.editedDayHours = dayHours;
    state.nightHours = state.editedNightHours = nightHours;
    if (started)
        state.startTime = state.editedStartTime = QDateTime(QDate(2026, 3, 1), QTime(6, 0));
    return state;
}

// Socket 1 of the base scenario: the base state alone by day (on) and by night (off).
SocketProgram baseProgram()
{
    return baseScenario().sockets.value(1);
}

QMap<int, SocketProgram> single(const SocketProgram &program)
{
    return {{1, program}};
}

QList<double> timerIndexes(const QList<Condition> &rows)
{
    QList<double> out;
    for (const Condition &row : rows) {
        if (row.source == TimerSource)
            out << row.params.last();
    }
    return out;
}

} // namespace

// The scenario editor's rules on one output's program, without widgets: rows added and removed,
// the automatic base state, timers in both phases, priorities, relay outputs.
class TestSocketProgramEdit : public QObject
{
    Q_OBJECT
private slots:
    void anOutputWithoutProgram()
    {
        SocketProgramEdit edit;
        QVERIFY(!edit.hasProgram());
        QVERIFY(edit.rows(Day).isEmpty());
        QVERIFY(edit.rows(Night).isEmpty());
        QVERIFY(edit.rows(3).isEmpty());
        QCOMPARE(edit.removeRow(Day, 0), Refusal::NoSuchRow);
        QVERIFY(!edit.setAction(Day, 0, ConditionAction::Off));
        QVERIFY(!edit.setKind(Day, 0, ConditionKind::Interval));
        QVERIFY(!edit.setPriority(Day, 0, 3));
        QVERIFY(!edit.setUpperBound(Day, 0, 3));
        QCOMPARE(edit.setValue(Day, 0, 3, {}), ValueEdit::Refused);
        QVERIFY(!edit.prioritiesMatter(Day));
        QVERIFY(!edit.hasProgram());
    }

    void sensorRowsOnePerValue()
    {
        SocketProgramEdit edit(baseProgram());
        const SocketProgramEdit::Added added = edit.addSensorRows(Day, 0, probe());
        QCOMPARE(added.rows, 2);
        QCOMPARE(added.refusal, Refusal::None);
        const QList<Condition> &rows = edit.rows(Day);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(1).text, QStringLiteral("Климат: Влажность"));
        QCOMPARE(rows.at(2).text, QStringLiteral("Климат: Температура"));
        for (int r : {1, 2}) {
            QCOMPARE(rows.at(r).ref, 0);
            QCOMPARE(rows.at(r).source, r == 1 ? 4 : 5);
            QCOMPARE(rows.at(r).kind, ConditionKind::Below);
            QCOMPARE(rows.at(r).action, ConditionAction::On);
            QCOMPARE(rows.at(r).priority, SocketProgramEdit::NewRowPriority);
            QCOMPARE(rows.at(r).value, bitsFromFloat(0.0f));
            QVERIFY(rows.at(r).params.isEmpty());
        }
        QCOMPARE(edit.rows(Night).size(), 1);  // by night nothing changed
    }

    void firstRowMakesTheProgram()
    {
        SocketProgramEdit edit;
        SensorSlot thermometer;
        thermometer.type = SensorOneWireTemperature;
        thermometer.name = QStringLiteral("Корни");
        thermometer.channels = {8};
        QCOMPARE(edit.addSensorRows(Night, 3, thermometer).rows, 1);
        QVERIFY(edit.hasProgram());
        QCOMPARE(edit.rows(Night).size(), 1);
        QCOMPARE(edit.rows(Night).first().text, QStringLiteral("Корни: Температура"));
        QCOMPARE(edit.rows(Night).first().ref, 3);
        QCOMPARE(edit.rows(Night).first().source, 8);
        QVERIFY(edit.rows(Day).isEmpty());
        QVERIFY(edit.program().timers.isEmpty());
    }

    void sensorRowsStopAtTheLimitOrAMissingChannel_data()
    {
        QTest::addColumn<int>("rowsBefore");
        QTest::addColumn<QList<int>>("channels");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("refusal");
        QTest::newRow("room for both") << 8 << QList<int>{4, 5} << 2 << int(Refusal::None);
        QTest::newRow("room for one") << 9 << QList<int>{4, 5} << 1 << int(Refusal::TooManyRows);
        QTest::newRow("full") << 10 << QList<int>{4, 5} << 0 << int(Refusal::TooManyRows);
        QTest::newRow("one channel for two values") << 1 << QList<int>{4} << 1 << int(Refusal::NoChannel);
        QTest::newRow("no channel") << 1 << QList<int>{} << 0 << int(Refusal::NoChannel);
    }
    void sensorRowsStopAtTheLimitOrAMissingChannel()
    {
        QFETCH(int, rowsBefore);
        QFETCH(QList<int>, channels);
        QFETCH(int, added);
        QFETCH(int, refusal);
        SocketProgram program = baseProgram();
        while (program.dayConditions.size() < rowsBefore)
            program.dayConditions << probeRow(ConditionAction::On);
        SocketProgramEdit edit(program);
        const SocketProgramEdit::Added result = edit.addSensorRows(Day, 0, probe(channels));
        QCOMPARE(result.rows, added);
        QCOMPARE(int(result.refusal), refusal);
        QCOMPARE(edit.rows(Day).size(), rowsBefore + added);
        QVERIFY(edit.rows(Day).size() <= SocketProgramEdit::MaxRows);
    }

    void noRowOfAnInputWithoutChannelsMakesNoProgram()
    {
        SocketProgramEdit edit;
        QCOMPARE(edit.addSensorRows(Day, 0, probe({})).refusal, Refusal::NoChannel);
        QVERIFY(!edit.hasProgram());
    }

    void timerRowsInBothPhases()
    {
        SocketProgram program = baseProgram();
        program.dayConditions << probeRow(ConditionAction::On);
        SocketProgramEdit edit(program);
        QCOMPARE(edit.addTimer(cycleState()), Refusal::None);
        QCOMPARE(edit.program().timers.size(), 1);
        const TimerSlot timer = edit.program().timers.first();
        QCOMPARE(timer.start, 0);
        QCOMPARE(timer.duration, 0);
        QCOMPARE(timer.period, 1440);  // a 24-hour cycle: clock times, once a day
        QCOMPARE(timer.count, 1);
        QCOMPARE(timer.usedByDay, 1);
        QCOMPARE(timer.usedByNight, 1);
        QCOMPARE(timer.slot, -1);
        QCOMPARE(timer.dayRow, 2);  // the row positions before the rows were added
        QCOMPARE(timer.nightRow, 1);
        const Condition day = edit.rows(Day).last();
        QCOMPARE(day.source, int(TimerSource));
        QCOMPARE(day.ref, int(TimerRef));
        QCOMPARE(day.text, timerRowText());
        QCOMPARE(day.kind, ConditionKind::Above);
        QCOMPARE(day.action, ConditionAction::On);
        QCOMPARE(day.priority, SocketProgramEdit::NewRowPriority);
        QCOMPARE(day.params, (QList<double>{0, 0, 1440, 1, 0}));
        QVERIFY(conditionListsEqual({edit.rows(Night).last()}, {day}));
        QCOMPARE(edit.timerOf(Day, 2), &edit.program().timers.at(0));
        QCOMPARE(edit.timerTwins(Day, 2), QList<int>{1});
        QCOMPARE(edit.timerTwins(Night, 1), QList<int>{2});
        QCOMPARE(edit.timerOf(Day, 0), nullptr);
        QVERIFY(edit.timerTwins(Day, 1).isEmpty());

        // the next one is numbered after it
        QCOMPARE(edit.addTimer(cycleState()), Refusal::None);
        QCOMPARE(timerIndexes(edit.rows(Day)), (QList<double>{0, 1}));
        QCOMPARE(timerIndexes(edit.rows(Night)), (QList<double>{0, 1}));
    }

    void timerFieldsFollowTheCycle_data()
    {
        QTest::addColumn<int>("dayHours");
        QTest::addColumn<int>("nightHours");
        QTest::addColumn<QList<double>>("fields");
        QTest::newRow("24 hours: clock times") << 16 << 8 << QList<double>{0, 0, 1440, 1};
        QTest::newRow("12 hours: every hour, no end") << 12 << 0 << QList<double>{0, 0, 60, UnlimitedTimerCount};
        QTest::newRow("no hours: period 0") << 0 << 0 << QList<double>{0, 0, 0, UnlimitedTimerCount};
    }
    void timerFieldsFollowTheCycle()
    {
        QFETCH(int, dayHours);
        QFETCH(int, nightHours);
        QFETCH(QList<double>, fields);
        SocketProgramEdit edit;
        QCOMPARE(edit.addTimer(cycleState(dayHours, nightHours)), Refusal::None);
        QVERIFY(edit.hasProgram());
        QCOMPARE(edit.rows(Day).first().params, fields + QList<double>{0});
        QCOMPARE(normalizedTimerParams({}, (dayHours + nightHours) * 60), fields);
    }

    void timerNeedsAStartInA24HourCycle()
    {
        SocketProgramEdit edit(baseProgram());
        QCOMPARE(edit.addTimer(cycleState(24, 0, false)), Refusal::NoStartTime);
        QVERIFY(edit.program().timers.isEmpty());
        QCOMPARE(edit.rows(Day).size(), 1);
        // the live hours count: an edited cycle of 24 hours is no reason to refuse
        ControllerState state = cycleState(12, 0, false);
        state.editedDayHours = 24;
        QCOMPARE(edit.addTimer(state), Refusal::None);
        QCOMPARE(edit.addTimer(cycleState(12, 0, false)), Refusal::None);
    }

    void timerNeedsRoomInBothLists_data()
    {
        QTest::addColumn<int>("phaseFull");
        QTest::newRow("day full") << Day;
        QTest::newRow("night full") << Night;
    }
    void timerNeedsRoomInBothLists()
    {
        QFETCH(int, phaseFull);
        SocketProgram program = baseProgram();
        QList<Condition> &rows = phaseFull == Day ? program.dayConditions : program.nightConditions;
        while (rows.size() < SocketProgramEdit::MaxRows)
            rows << probeRow(ConditionAction::On);
        SocketProgramEdit edit(program);
        QCOMPARE(edit.addTimer(cycleState()), Refusal::TooManyRows);
        QVERIFY(socketMapsEqual(single(edit.program()), single(program)));
    }

    void timerEditReachesTheTimerAndTheTwins()
    {
        SocketProgramEdit edit(baseProgram());
        edit.addTimer(cycleState(12, 0));
        edit.addTimer(cycleState(12, 0));
        // the night list in another order: twins are found by their timer, not their place
        SocketProgram program = edit.program();
        program.nightConditions.move(2, 0);
        edit = SocketProgramEdit(program);
        QCOMPARE(timerIndexes(edit.rows(Night)), (QList<double>{1, 0}));

        QCOMPARE(edit.setValue(Day, 1, 0, {60, 30, 120, 4, 99}), ValueEdit::Timer);
        const TimerSlot &timer = edit.program().timers.at(0);
        QCOMPARE(timer.start, 60);
        QCOMPARE(timer.duration, 30);
        QCOMPARE(timer.period, 120);
        QCOMPARE(timer.count, 4);
        QCOMPARE(edit.rows(Day).at(1).params, (QList<double>{60, 30, 120, 4, 0}));
        QCOMPARE(edit.rows(Night).at(2).params, (QList<double>{60, 30, 120, 4, 0}));
        // the other timer and its rows are untouched
        QCOMPARE(edit.program().timers.at(1).start, 0);
        QCOMPARE(edit.rows(Day).at(2).params.first(), 0.0);
        QCOMPARE(edit.rows(Night).at(0).params.first(), 0.0);
        QCOMPARE(edit.timerTwins(Day, 1), QList<int>{2});
    }

    void badTimerEditsChangeNothing()
    {
        SocketProgramEdit edit(baseProgram());
        edit.addTimer(cycleState(12, 0));
        SocketProgram program = edit.program();
        QCOMPARE(edit.setValue(Day, 1, 0, {60, 30, 120}), ValueEdit::Refused);
        // a timer row that names no timer
        program.dayConditions[1].params.last() = 5;
        edit = SocketProgramEdit(program);
        QCOMPARE(edit.setValue(Day, 1, 0, {60, 30, 120, 4}), ValueEdit::Refused);
        QCOMPARE(edit.timerOf(Day, 1), nullptr);
        QVERIFY(edit.timerTwins(Day, 1).isEmpty());
        QVERIFY(socketMapsEqual(single(edit.program()), single(program)));
        QCOMPARE(edit.setValue(Day, 7, 0, {60, 30, 120, 4}), ValueEdit::Refused);
    }

    void thresholdsInSinglePrecision_data()
    {
        QTest::addColumn<double>("typed");
        QTest::addColumn<float>("stored");
        QTest::newRow("tenth") << 0.1 << 0.1f;
        QTest::newRow("negative") << -12.5 << -12.5f;
        QTest::newRow("beyond the float range") << 1e39 << std::numeric_limits<float>::infinity();
        QTest::newRow("below it") << -1e39 << -std::numeric_limits<float>::infinity();
    }
    void thresholdsInSinglePrecision()
    {
        QFETCH(double, typed);
        QFETCH(float, stored);
        SocketProgram program = baseProgram();
        program.dayConditions << probeRow(ConditionAction::On);
        SocketProgramEdit edit(program);
        QCOMPARE(edit.setValue(Day, 1, typed, {1, 2, 3, 4}), ValueEdit::Threshold);
        QCOMPARE(edit.rows(Day).at(1).value, bitsFromFloat(stored));
        QVERIFY(edit.rows(Day).at(1).params.isEmpty());
        QVERIFY(edit.program().timers.isEmpty());
    }

    void removingARow()
    {
        SocketProgram program = baseProgram();
        program.dayConditions << probeRow(ConditionAction::On, 1, 40) << probeRow(ConditionAction::Off, 2, 60);
        SocketProgramEdit edit(program);
        QCOMPARE(edit.removeRow(Day, 1), Refusal::None);
        QCOMPARE(edit.rows(Day).size(), 2);
        QCOMPARE(edit.rows(Day).at(1).value, bitsFromFloat(60));
        QCOMPARE(edit.rows(Night).size(), 1);
        QCOMPARE(edit.removeRow(Day, 2), Refusal::NoSuchRow);
        QCOMPARE(edit.removeRow(Day, -1), Refusal::NoSuchRow);
        QCOMPARE(edit.removeRow(3, 0), Refusal::NoSuchRow);
        // the base state stays
        QCOMPARE(edit.removeRow(Day, 0), Refusal::BaseStateRow);
        QCOMPARE(edit.removeRow(Night, 0), Refusal::BaseStateRow);
        QCOMPARE(edit.rows(Day).size(), 2);
    }

    void removingATimerTakesItsTwinAndLeavesTheProgramAsItWas_data()
    {
        QTest::addColumn<int>("phase");
        QTest::newRow("removed by day") << Day;
        QTest::newRow("removed by night") << Night;
    }
    void removingATimerTakesItsTwinAndLeavesTheProgramAsItWas()
    {
        QFETCH(int, phase);
        SocketProgram program = baseProgram();
        program.dayConditions << probeRow(ConditionAction::On);
        SocketProgramEdit edit(program);
        edit.addTimer(cycleState());
        const int row = int(edit.rows(phase).size()) - 1;
        QCOMPARE(edit.removeRow(phase, row), Refusal::None);
        QVERIFY(socketMapsEqual(single(edit.program()), single(program)));
    }

    void laterTimersRenumberedWhenOneGoes()
    {
        SocketProgramEdit edit(baseProgram());
        for (int i = 0; i < 3; ++i)
            edit.addTimer(cycleState(12, 0));
        edit.setValue(Day, 3, 0, {300, 10, 60, 2});  // the third timer
        QCOMPARE(edit.removeRow(Night, 1), Refusal::None);  // the first
        QCOMPARE(edit.program().timers.size(), 2);
        QCOMPARE(timerIndexes(edit.rows(Day)), (QList<double>{0, 1}));
        QCOMPARE(timerIndexes(edit.rows(Night)), (QList<double>{0, 1}));
        QCOMPARE(edit.program().timers.at(1).start, 300);
        QCOMPARE(edit.rows(Day).at(2).params, (QList<double>{300, 10, 60, 2, 1}));
        // and the renumbered rows still reach their timer
        QCOMPARE(edit.setValue(Night, 2, 0, {310, 10, 60, 2}), ValueEdit::Timer);
        QCOMPARE(edit.program().timers.at(1).start, 310);
        QCOMPARE(edit.rows(Day).at(2).params.first(), 310.0);
    }

    void aTimerRowNamingNoTimerGoesAlone()
    {
        SocketProgramEdit edit(baseProgram());
        edit.addTimer(cycleState(12, 0));
        SocketProgram program = edit.program();
        program.dayConditions[1].params.last() = 7;
        edit = SocketProgramEdit(program);
        QCOMPARE(edit.removeRow(Day, 1), Refusal::None);
        QCOMPARE(edit.rows(Day).size(), 1);
        QCOMPARE(edit.rows(Night).size(), 2);
        QCOMPARE(edit.program().timers.size(), 1);
    }

    void baseStateAddedWhenAllRowsSwitchOneWay_data()
    {
        QTest::addColumn<QList<ConditionAction>>("actions");  // of the sensor rows, after the change of row 0
        QTest::addColumn<bool>("withBase");
        QTest::addColumn<std::optional<ConditionAction>>("added");  // the base state's action, if one is added
        const ConditionAction on = ConditionAction::On;
        const ConditionAction off = ConditionAction::Off;
        const std::optional<ConditionAction> none;
        QTest::newRow("all on: off otherwise") << QList<ConditionAction>{on, on} << false << std::optional<ConditionAction>(off);
        QTest::newRow("all off: on otherwise") << QList<ConditionAction>{off, off} << false << std::optional<ConditionAction>(on);
        QTest::newRow("one row on") << QList<ConditionAction>{on} << false << std::optional<ConditionAction>(off);
        QTest::newRow("both ways: none needed") << QList<ConditionAction>{off, on} << false << none;
        QTest::newRow("a base state there") << QList<ConditionAction>{on, on} << true << none;
    }
    void baseStateAddedWhenAllRowsSwitchOneWay()
    {
        QFETCH(QList<ConditionAction>, actions);
        QFETCH(bool, withBase);
        QFETCH(std::optional<ConditionAction>, added);
        SocketProgram program;
        if (withBase)
            program.dayConditions << baseStateCondition(ConditionAction::On);
        for (ConditionAction action : actions)
            program.dayConditions << probeRow(action);
        SocketProgramEdit edit(program);
        const int row = withBase ? 1 : 0;
        bool baseStateAdded = true;
        QVERIFY(edit.setAction(Day, row, actions.first(), &baseStateAdded));
        QCOMPARE(baseStateAdded, added.has_value());
        QCOMPARE(edit.rows(Day).size(), program.dayConditions.size() + (added ? 1 : 0));
        if (added) {
            const Condition base = edit.rows(Day).last();
            QVERIFY(conditionListsEqual({base}, {baseStateCondition(*added)}));
            QCOMPARE(base.text, QStringLiteral("Базовое состояние"));
        }
        QVERIFY(edit.rows(Night).isEmpty());
    }

    void actionOfATimerRowStaysInItsPhase()
    {
        SocketProgramEdit edit(baseProgram());
        edit.addTimer(cycleState());
        QVERIFY(edit.setAction(Day, 1, ConditionAction::Off));
        QCOMPARE(edit.rows(Day).at(1).action, ConditionAction::Off);
        QCOMPARE(edit.rows(Night).at(1).action, ConditionAction::On);
        QVERIFY(!edit.setAction(Day, 2, ConditionAction::Off));
    }

    void kindsAndBounds()
    {
        SocketProgram program = baseProgram();
        program.dayConditions << probeRow(ConditionAction::On, 1, 40) << probeRow(ConditionAction::On, 1, 40);
        program.dayConditions[2].params = {55};
        SocketProgramEdit edit(program);
        // an interval needs an upper bound: threshold + 1 unless it has one
        QVERIFY(edit.setKind(Day, 1, ConditionKind::Interval));
        QCOMPARE(edit.rows(Day).at(1).kind, ConditionKind::Interval);
        QCOMPARE(edit.rows(Day).at(1).params, QList<double>{41});
        QVERIFY(edit.setKind(Day, 2, ConditionKind::Interval));
        QCOMPARE(edit.rows(Day).at(2).params, QList<double>{55});
        QVERIFY(edit.setKind(Day, 1, ConditionKind::Above));
        QCOMPARE(edit.rows(Day).at(1).params, QList<double>{41});
        QVERIFY(edit.setUpperBound(Day, 1, 70));
        QCOMPARE(edit.rows(Day).at(1).params, QList<double>{70});
        QVERIFY(edit.setPriority(Day, 2, 7));
        QCOMPARE(edit.rows(Day).at(2).priority, 7);
        QVERIFY(!edit.setKind(Day, 3, ConditionKind::Below));
        QVERIFY(!edit.setUpperBound(Night, 1, 5));
        QVERIFY(!edit.setPriority(Day, -1, 5));
    }

    void prioritiesMatterWhenRowsDisagree_data()
    {
        QTest::addColumn<QList<Condition>>("rows");
        QTest::addColumn<bool>("matter");
        const Condition on = probeRow(ConditionAction::On);
        const Condition off = probeRow(ConditionAction::Off);
        const Condition band = probeRow(ConditionAction::On, 1, 40, ConditionKind::Interval);
        const Condition baseOff = baseStateCondition(ConditionAction::Off);
        QTest::newRow("none") << QList<Condition>{} << false;
        QTest::newRow("base state alone") << QList<Condition>{baseOff} << false;
        QTest::newRow("all on") << QList<Condition>{baseOff, on, on} << false;
        QTest::newRow("on and off") << QList<Condition>{on, off} << true;
        QTest::newRow("the base state does not count") << QList<Condition>{baseOff, on} << false;
        QTest::newRow("an interval alone") << QList<Condition>{baseOff, band} << false;
        QTest::newRow("an interval after a row") << QList<Condition>{on, band} << true;
        QTest::newRow("a row after an interval") << QList<Condition>{band, on} << true;
    }
    void prioritiesMatterWhenRowsDisagree()
    {
        QFETCH(QList<Condition>, rows);
        QFETCH(bool, matter);
        SocketProgram program;
        program.nightConditions = rows;
        QCOMPARE(SocketProgramEdit(program).prioritiesMatter(Night), matter);
        QVERIFY(!SocketProgramEdit(program).prioritiesMatter(Day));
    }

    void timerFieldsNormalized_data()
    {
        QTest::addColumn<QList<double>>("params");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<QList<double>>("normalized");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("clock times") << QList<double>{60, 30, 120, 4, 2} << 1440 << QList<double>{60, 30, 1440, 1};
        QTest::newRow("as they are") << QList<double>{60, 30, 120, 4} << 720 << QList<double>{60, 30, 120, 4};
        QTest::newRow("no period") << QList<double>{0, 30, 0, 4} << 720 << QList<double>{0, 30, 60, 4};
        QTest::newRow("period beyond the cycle") << QList<double>{0, 30, 900, 4} << 720 << QList<double>{0, 30, 720, 4};
        QTest::newRow("duration beyond the period") << QList<double>{0, 90, 60, 4} << 720 << QList<double>{0, 90, 90, 4};
        QTest::newRow("count 0") << QList<double>{0, 30, 60, 0} << 720 << QList<double>{0, 30, 60, UnlimitedTimerCount};
        QTest::newRow("count not whole") << QList<double>{0, 30, 60, 2.5} << 720 << QList<double>{0, 30, 60, UnlimitedTimerCount};
        QTest::newRow("count at the limit") << QList<double>{0, 30, 60, 65535} << 720 << QList<double>{0, 30, 60, UnlimitedTimerCount};
        QTest::newRow("count below it") << QList<double>{0, 30, 60, 65534} << 720 << QList<double>{0, 30, 60, 65534};
        QTest::newRow("count NaN") << QList<double>{0, 30, 60, nan} << 720 << QList<double>{0, 30, 60, UnlimitedTimerCount};
        QTest::newRow("fields missing") << QList<double>{15} << 720 << QList<double>{15, 0, 60, UnlimitedTimerCount};
    }
    void timerFieldsNormalized()
    {
        QFETCH(QList<double>, params);
        QFETCH(int, cycle);
        QFETCH(QList<double>, normalized);
        QCOMPARE(normalizedTimerParams(params, cycle), normalized);
    }

    void workingCopyFollowsTheRelayOutputs()
    {
        ControllerState state = cycleState();
        state.sensors[0].type = SensorTemperatureHumidity;
        state.sensors[0].channels = {4, 5};
        state.sensors[2].type = SensorRelayOutput;
        state.sensors[2].channels = {7};
        SocketProgram socket = baseProgram();
        socket.dayConditions << probeRow(ConditionAction::On);
        Condition readsRelay = probeRow(ConditionAction::Off);
        readsRelay.ref = 2;
        readsRelay.source = 7;
        socket.nightConditions << readsRelay;
        QMap<int, SocketProgram> working = {{1, socket}, {FirstRelayOutput + 1, baseProgram()}};

        // the relay on input 2 is output 7: it comes with the default program, the relay's
        // channel is no condition source, the input 1 is no relay any more
        QCOMPARE(syncWorkingCopyWithRelays(working, state, FirstRelayOutput + 2), FirstRelayOutput + 2);
        QCOMPARE(working.keys(), (QList<int>{1, FirstRelayOutput + 2}));
        QCOMPARE(working.value(1).dayConditions.size(), 2);
        QCOMPARE(working.value(1).nightConditions.size(), 1);
        QCOMPARE(working.value(FirstRelayOutput + 2).dayConditions.size(), 1);

        // the relay goes: so does its output, and the editor shows socket 1
        state.sensors[2].type = SensorOneWireTemperature;
        QCOMPARE(syncWorkingCopyWithRelays(working, state, FirstRelayOutput + 2), 1);
        QCOMPARE(working.keys(), QList<int>{1});
        QCOMPARE(syncWorkingCopyWithRelays(working, state, 3), 3);
        QCOMPARE(syncWorkingCopyWithRelays(working, state, 11), 1);
    }
};

QTEST_GUILESS_MAIN(TestSocketProgramEdit)
#include "tst_socketprogramedit.moc"
