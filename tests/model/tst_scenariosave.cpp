#include <QTest>

#include "model/plan/basescenario.h"
#include "model/numericutil.h"
#include "model/plan/relayoutputs.h"
#include "model/plan/scenariosave.h"
#include "model/plan/socketmapequality.h"
#include "plans.h"

namespace {

Condition sensorRow(ConditionAction action, int priority, float value)
{
    Condition row;
    row.ref = 0;
    row.source = 4;
    row.text = QStringLiteral("Климат: Влажность");
    row.kind = ConditionKind::Below;
    row.action = action;
    row.priority = priority;
    row.value = bitsFromFloat(value);
    return row;
}

// Socket 1 of the base scenario gets an On row of the given threshold by day.
Scenario variant(const QString &name, float threshold)
{
    Scenario s = baseScenario();
    s.name = name;
    s.sockets[1].dayConditions << sensorRow(ConditionAction::On, 1, threshold);
    return s;
}

// Live plan: base scenario and three more; 8 days: 1 1 2 2 3 3 3 0.
ControllerState plan()
{
    ControllerState state;
    state.editedDayHours = state.dayHours = 16;
    state.editedNightHours = state.nightHours = 8;
    state.startTime = state.editedStartTime = QDateTime(QDate(2026, 3, 1), QTime(8, 0));
    state.sensors[0].type = 2;
    state.sensors[0].channels = {4, 5};
    state.scenarios = {baseScenario(), variant(QStringLiteral("A"), 40), variant(QStringLiteral("B"), 50),
                       variant(QStringLiteral("C"), 60)};
    const QList<int> map = {1, 1, 2, 2, 3, 3, 3, 0};
    for (int d = 0; d < map.size(); ++d)
        state.days << CycleDay{state.startTime.addDays(d), map.at(d)};
    state.editedDays = state.days;
    state.cycleCount = state.editedCycleCount = int(map.size());
    for (Scenario &s : state.scenarios)
        s.usage = 0;
    for (const CycleDay &d : state.days)
        ++state.scenarios[d.scenarioIndex].usage;
    state.editedScenarios = state.scenarios;
    return state;
}

} // namespace

using Selection = QMap<int, int>;

// The scenario page's save: which scenario of the edited list gets the working copy.
class TestScenarioSave : public QObject
{
    Q_OBJECT

private slots:
    void decision_data()
    {
        QTest::addColumn<int>("editMode");
        QTest::addColumn<int>("loaded");
        QTest::addColumn<Selection>("selection");      // scenario -> selected days using it
        QTest::addColumn<int>("workingLike");               // scenario whose sockets are edited
        QTest::addColumn<float>("threshold");               // the edit: socket 1's new threshold; 0 = none
        QTest::addColumn<int>("request");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("editedCount");

        QTest::newRow("menu, base scenario: nothing changes") << 1 << 0 << Selection() << 0 << 70.0f << 3 << -1 << 4;
        QTest::newRow("menu, scenario 2 overwritten") << 1 << 2 << Selection() << 2 << 70.0f << 2 << 2 << 4;
        QTest::newRow("one day, left unchanged") << 0 << 2 << Selection{{2, 1}} << 2 << 0.0f << 3 << -1 << 4;
        QTest::newRow("equal to an existing scenario: chosen") << 0 << 1 << Selection{{1, 1}, {2, 1}} << 1 << 60.0f << 1 << 3 << 4;
        QTest::newRow("some days of scenario 3: new one") << 0 << 3 << Selection{{3, 2}} << 3 << 70.0f << 1 << 4 << 5;
        QTest::newRow("all days of scenario 3: overwritten") << 0 << 3 << Selection{{3, 3}} << 3 << 70.0f << 1 << 3 << 4;
        QTest::newRow("first key whose days are all selected") << 0 << 2 << Selection{{1, 1}, {2, 2}, {3, 3}} << 2 << 70.0f << 1 << 2 << 4;
        QTest::newRow("base scenario days: never overwritten") << 0 << 0 << Selection{{0, 1}} << 0 << 70.0f << 1 << 4 << 5;
    }
    void decision()
    {
        QFETCH(int, editMode);
        QFETCH(int, loaded);
        QFETCH(Selection, selection);
        QFETCH(int, workingLike);
        QFETCH(float, threshold);
        ControllerState state = plan();
        state.chosenScenario = -1;
        // an earlier edited copy is always dropped
        state.editedScenarios << variant(QStringLiteral("stale"), 1);
        int order = 0;
        for (auto it = selection.cbegin(); it != selection.cend(); ++it) {
            state.selectedDayScenarios.insert(it.key(), order++);
            state.scenarios[it.key()].selectedUsage = it.value();
        }
        QMap<int, SocketProgram> working = state.scenarios.at(workingLike).sockets;
        if (threshold != 0.0f) {
            QList<Condition> &rows = working[1].dayConditions;
            if (rows.size() < 2)
                rows << sensorRow(ConditionAction::On, 1, threshold);
            else
                rows[1].value = bitsFromFloat(threshold);
        }
        const QList<Scenario> live = state.scenarios;
        QStringList notes;
        const int request = int(saveScenario(state, ScenarioEditMode(editMode), loaded, working, [&notes](const QString &t) { notes << t; }));

        QVERIFY2(notes.isEmpty(), qPrintable(notes.join(QLatin1Char('|'))));
        QTEST(request, "request");
        QTEST(state.chosenScenario, "chosen");
        QTEST(int(state.editedScenarios.size()), "editedCount");
        QCOMPARE(state.scenarios.size(), live.size());  // the live list is never touched
        for (int i = 0; i < live.size(); ++i)
            QVERIFY(socketMapsEqual(state.scenarios.at(i).sockets, live.at(i).sockets));
        if (state.chosenScenario >= 0) {
            QVERIFY(socketMapsEqual(state.editedScenarios.at(state.chosenScenario).sockets, working));
            if (state.chosenScenario == live.size())
                QCOMPARE(state.editedScenarios.last().name, QStringLiteral("Новый сценарий"));
        }
        // entries that were not chosen are the live ones
        for (int i = 0; i < live.size(); ++i) {
            if (i != state.chosenScenario)
                QVERIFY(socketMapsEqual(state.editedScenarios.at(i).sockets, live.at(i).sockets));
        }
    }

    void refusedCheckKeepsEverything()
    {
        ControllerState state = plan();
        state.selectedDayScenarios = {{3, 0}};
        QMap<int, SocketProgram> working = state.scenarios.at(3).sockets;
        working[2].nightConditions.clear();
        const QList<Scenario> edited = state.editedScenarios;
        QStringList notes;
        QCOMPARE(saveScenario(state, ScenarioEditMode::ForSelectedDays, 3, working, [&notes](const QString &t) { notes << t; }), ScenarioSaveResult::Refused);
        QCOMPARE(notes, QStringList{QStringLiteral("Не задано ночное состояние  для <p>Порт 2")});
        QCOMPARE(state.editedScenarios.size(), edited.size());
        QCOMPARE(state.chosenScenario, 0);
    }

    // A plan at the edge of the controller's memory: one more scenario is refused with a note
    // instead of being cut or written past the image's room.
    void planThatWouldNotFitIsRefused()
    {
        ControllerState state = plan();
        state.scenarios = {baseScenario()};
        state.days.clear();
        int n = 0;
        while (true) {
            QList<Scenario> more = state.scenarios;
            more << largeScenario(QStringLiteral("Сценарий %1").arg(n + 1));
            QList<CycleDay> days = state.days;
            days << CycleDay{state.startTime.addDays(n), n + 1} << CycleDay{state.startTime.addDays(n), n + 1};
            ControllerState trial = state;
            trial.editedDays = days;
            if (!editedPlanFits(trial, more, -1))
                break;
            state.scenarios = more;
            state.days = days;
            state.editedDays = days;
            ++n;
            QVERIFY(n < 40);
        }
        QVERIFY(n > 1);
        for (Scenario &s : state.scenarios)
            s.usage = s.selectedUsage = 2;
        state.scenarios[0].usage = 0;
        state.editedScenarios = state.scenarios;
        state.editedCycleCount = state.cycleCount = int(state.days.size());
        // one of the two days of scenario 1 gets a changed copy: a new scenario is needed
        state.selectedDayScenarios = {{1, 0}};
        state.scenarios[1].selectedUsage = 1;
        QMap<int, SocketProgram> working = state.scenarios.at(1).sockets;
        working[1].dayConditions[1].value = bitsFromFloat(99.0f);
        QStringList notes;
        QCOMPARE(saveScenario(state, ScenarioEditMode::ForSelectedDays, 1, working, [&notes](const QString &t) { notes << t; }), ScenarioSaveResult::Refused);
        QCOMPARE(notes.size(), 1);
        QVERIFY(notes.first().startsWith(QStringLiteral("Сценарий не помещается в память контроллера")));
        QCOMPARE(state.editedScenarios.size(), state.scenarios.size());
        // overwriting in place still fits
        state.scenarios[1].selectedUsage = 2;
        QCOMPARE(saveScenario(state, ScenarioEditMode::ForSelectedDays, 1, working, {}), ScenarioSaveResult::ForSelectedDays);
        QCOMPARE(state.chosenScenario, 1);
    }

    void equality_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("equal");
        QTest::newRow("same") << 0 << true;
        QTest::newRow("timer slot number and rows are bookkeeping") << 1 << true;
        QTest::newRow("threshold") << 2 << false;
        QTest::newRow("negative zero is zero as a float") << 3 << true;
        QTest::newRow("interval bound") << 4 << false;
        QTest::newRow("timer count") << 5 << false;
        QTest::newRow("extra output") << 6 << false;
        QTest::newRow("timer used by night only") << 7 << false;
        QTest::newRow("caption") << 8 << false;
    }
    void equality()
    {
        QFETCH(int, change);
        Scenario a = baseScenario();
        Condition interval = sensorRow(ConditionAction::On, 2, 0.0f);
        interval.kind = ConditionKind::Interval;
        interval.params = {30.0};
        a.sockets[2].dayConditions << interval;
        a.sockets[3].timers << TimerSlot{10, 20, 60, 3, 1, 1, -1, 1, 1};
        Scenario b = a;
        Condition &row = b.sockets[2].dayConditions[1];
        TimerSlot &timer = b.sockets[3].timers[0];
        switch (change) {
        case 1: timer.slot = 4; timer.dayRow = 7; timer.nightRow = 9; break;
        case 2: row.value = bitsFromFloat(0.5f); break;
        case 3: row.value = bitsFromFloat(-0.0f); break;
        case 4: row.params = {31.0}; break;
        case 5: timer.count = 4; break;
        case 6: b.sockets.insert(5, defaultRelayProgram()); break;
        case 7: timer.usedByDay = 0; break;
        case 8: row.text = QStringLiteral("Климат: Температура"); break;
        default: break;
        }
        QTEST(socketMapsEqual(a.sockets, b.sockets), "equal");
        QTEST(socketMapsEqual(b.sockets, a.sockets), "equal");
    }

    void relayPrograms()
    {
        ControllerState state = plan();
        state.sensors[1].type = 4;         // input 2 becomes a relay: output 6
        state.sensors[1].channels = {9};
        state.sensors[2].type = 3;         // input 3 was a relay, now a contact
        state.sensors[2].channels = {10};
        Condition onRelay = sensorRow(ConditionAction::On, 1, 1.0f);
        onRelay.source = 9;
        onRelay.ref = 1;
        state.scenarios[1].sockets[1].dayConditions << onRelay;
        state.scenarios[1].sockets.insert(7, defaultRelayProgram());
        state.editedScenarios = state.scenarios;
        state.editedScenarios << variant(QStringLiteral("waiting for upload"), 80);

        syncRelayPrograms(state);

        QCOMPARE(relayOutputs(state), QList<int>{6});
        for (const QList<Scenario> *list : {&state.scenarios, &state.editedScenarios}) {
            for (const Scenario &s : *list) {
                QCOMPARE(s.sockets.keys(), (QList<int>{1, 2, 3, 4, 6}));
                QVERIFY(socketMapsEqual({{6, s.sockets.value(6)}}, {{6, defaultRelayProgram()}}));
                for (const Condition &c : s.sockets.value(1).dayConditions)
                    QVERIFY(c.source != 9);
            }
        }
        QCOMPARE(state.editedScenarios.size(), state.scenarios.size() + 1);
        QCOMPARE(state.scenarios[1].sockets[1].dayConditions.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestScenarioSave)
#include "tst_scenariosave.moc"
