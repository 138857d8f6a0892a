#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTextEdit>
#include <QTest>
#include <QWheelEvent>

#include "model/plan/socketmapequality.h"
#include "programstate.h"
#include "scenariofixture.h"
#include "widgets/dialogs.h"
#include "widgets/infonote.h"
#include "widgets/nameitrm.h"

namespace {

constexpr int TimerData = -2;

bool priorityShown(ScenarioTimetableWidget &editor, QTableWidget *table)
{
    bool shown = false;
    for (int r = 0; r < table->rowCount(); ++r) {
        ConditionItem *cell = editor.conditionCell(table, r);
        const bool rowShown = !cell->field<QWidget>("priorityLabel")->isHidden();
        if (r > 0 && rowShown != shown)
            return false;  // rows disagree: never what the rule gives
        shown = rowShown;
    }
    return shown;
}

} // namespace

// The timetable editor: rows from the model and the model from rows, limits, timers in both
// phases, the priority rule, the automatic base state, relay outputs and the navigation.
class TestTimetable : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScenarioTimetableWidget> m_editor;
    QList<Scenario> m_live;

    bool liveUntouched() const
    {
        const QList<Scenario> &live = controllerState().scenarios;
        bool same = live.size() == m_live.size();
        for (int i = 0; same && i < live.size(); ++i)
            same = socketMapsEqual(live.at(i).sockets, m_live.at(i).sockets);
        return same;
    }

    ScenarioTimetableWidget &editor() { return *m_editor; }
    QList<Condition> dayList(int output = 1) { return editor().workingCopy().value(output).dayConditions; }
    QList<Condition> nightList(int output = 1) { return editor().workingCopy().value(output).nightConditions; }

private slots:
    void init()
    {
        resetTestProgramState();
        setUpScenarioState();
        m_editor.reset(new ScenarioTimetableWidget);
        m_editor->resize(900, 600);
        m_editor->show();
        m_editor->rebuildConditionMenu();
        m_editor->syncRelayOutputs();
        m_live = controllerState().scenarios;
        m_editor->loadScenario(1);
        closeNote();
    }
    void cleanup()
    {
        m_editor.reset();
        closeNote();
    }

    void rowsFromTheModel()
    {
        QCOMPARE(editor().dayTable()->rowCount(), 2);
        editor().timeOfDayClicked(2);  // the night table is built when it is shown
        QCOMPARE(editor().nightTable()->rowCount(), 1);
        editor().timeOfDayClicked(1);
        QCOMPARE(editor().nameCell(editor().dayTable(), 1)->textArea()->toPlainText(), QStringLiteral("Климат: Влажность"));
        QCOMPARE(editor().conditionCell(editor().dayTable(), 1)->field<QLineEdit>("valueEdit")->text(), QStringLiteral("40"));
        QVERIFY(!editor().nameCell(editor().dayTable(), 0)->removeButton()->isEnabled());
        QCOMPARE(editor().actionCell(editor().nightTable(), 0)->actionOf(), ConditionAction::Off);
        QCOMPARE(editor().outputButton(1)->text(), QStringLiteral("ПОРТ 1"));
        editor().setSocketCaption(0, QStringLiteral("Лампа"));
        editor().setSocketCaption(7, QStringLiteral("ничего"));
        QCOMPARE(editor().outputButton(1)->text(), QStringLiteral("Лампа"));
        QCOMPARE(currentNote() ? currentNote()->text() : QString(), QString());
        editor().powerSocketClicked(2);
        QCOMPARE(currentNote() ? currentNote()->text() : QString(), QStringLiteral("Загрузка сценария"));
    }

    void menuOffersTimerAndSensorInputs()
    {
        QStringList texts;
        for (QAction *a : editor().conditionMenu()->actions())
            texts << a->text();
        QCOMPARE(texts, (QStringList{QStringLiteral("Таймер") + QString(19, QLatin1Char(' ')), QStringLiteral("Климат"),
                                     QStringLiteral("Уровень"), QStringLiteral("Корни")}));
        // rebuilt after every decode: the old entries go, the new sensors come
        controllerState().sensors[5].type = 5;
        controllerState().sensors[5].name = QStringLiteral("Свет");
        editor().rebuildConditionMenu();
        editor().rebuildConditionMenu();
        QCOMPARE(editor().conditionMenu()->actions().size(), 5);
        QCOMPARE(editor().conditionMenu()->actions().last()->text(), QStringLiteral("Свет"));
    }

    void outputWithoutProgram()
    {
        QMap<int, SocketProgram> working = editor().workingCopy();
        working.remove(2);
        editor().setWorkingCopy(working);
        editor().powerSocketClicked(2);
        QCOMPARE(editor().dayTable()->rowCount(), 0);
        QCOMPARE(editor().nightTable()->rowCount(), 0);
        menuAction(editor(), 3)->trigger();
        QCOMPARE(editor().dayTable()->rowCount(), 1);
        QCOMPARE(dayList(2).size(), 1);
        QCOMPARE(dayList(2).first().source, 8);
        QCOMPARE(dayList(2).first().ref, 3);
        QCOMPARE(dayList(2).first().text, QStringLiteral("Корни: Температура"));
        QVERIFY(nightList(2).isEmpty());
        QVERIFY(liveUntouched());
    }

    void tenRowsAtMost()
    {
        SocketProgram program = editor().workingCopy().value(1);
        QList<Condition> &rows = program.dayConditions;
        while (rows.size() < 9)
            rows << probeRow(ConditionAction::On, 1, float(rows.size()));
        editor().setWorkingProgram(1, program);
        editor().powerSocketClicked(1);
        closeNote();
        menuAction(editor(), 0)->trigger();  // humidity and temperature: room for one
        QCOMPARE(editor().dayTable()->rowCount(), 10);
        QCOMPARE(dayList().size(), 10);
        QCOMPARE(dayList().last().text, QStringLiteral("Климат: Влажность"));
        QCOMPARE(dayList().last().source, 4);
        QCOMPARE(currentNote() ? currentNote()->text() : QString(), QStringLiteral("Задано слишком много условий"));
        closeNote();
        // a timer needs room in both tables
        menuAction(editor(), TimerData)->trigger();
        QCOMPARE(nightList().size(), 1);
        QCOMPARE(currentNote() ? currentNote()->text() : QString(), QStringLiteral("Задано слишком много условий"));
    }

    // The wheel scrolls a long table up from its bottom; a further turn down there stays with it.
    void wheelScrollsTheTableBothWays_data()
    {
        QTest::addColumn<int>("from");  // 0 the top, 1 the bottom
        QTest::addColumn<int>("turn");  // wheel angle: positive turns up
        QTest::addColumn<int>("moved");  // -1 up, 0 not, 1 down
        QTest::newRow("up from the bottom") << 1 << 120 << -1;
        QTest::newRow("down from the top") << 0 << -120 << 1;
        QTest::newRow("down at the bottom") << 1 << -120 << 0;
    }
    void wheelScrollsTheTableBothWays()
    {
        QFETCH(int, from);
        QFETCH(int, turn);
        QFETCH(int, moved);
        SocketProgram program = editor().workingCopy().value(1);
        QList<Condition> &rows = program.dayConditions;
        while (rows.size() < 10)
            rows << probeRow(ConditionAction::On, 1, float(rows.size()));
        editor().setWorkingProgram(1, program);
        editor().powerSocketClicked(1);
        closeNote();
        QTableWidget *table = editor().dayTable();
        QScrollBar *bar = table->verticalScrollBar();
        QTRY_VERIFY(bar->isVisible() && bar->maximum() > 0);
        bar->setValue(from == 1 ? bar->maximum() : 0);
        const int before = bar->value();
        const QPoint at = table->viewport()->rect().center();
        QWheelEvent wheel(at, table->viewport()->mapToGlobal(at), QPoint(), QPoint(0, turn), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(table->viewport(), &wheel);
        QCOMPARE(bar->value() < before ? -1 : bar->value() > before ? 1 : 0, moved);
    }

    void timerLivesInBothPhases_data()
    {
        QTest::addColumn<bool>("nightShownBefore");
        QTest::newRow("night table not built yet") << false;
        QTest::newRow("night table built") << true;
    }
    void timerLivesInBothPhases()
    {
        QFETCH(bool, nightShownBefore);
        if (nightShownBefore) {
            editor().timeOfDayClicked(2);
            editor().timeOfDayClicked(1);
        }
        const int timersBefore = int(editor().workingCopy().value(1).timers.size());
        menuAction(editor(), TimerData)->trigger();
        QCOMPARE(editor().dayTable()->rowCount(), 3);
        if (nightShownBefore)
            QCOMPARE(editor().nightTable()->rowCount(), 2);
        QCOMPARE(editor().workingCopy().value(1).timers.size(), timersBefore + 1);
        QCOMPARE(dayList().last().params.last(), double(timersBefore));
        QCOMPARE(nightList().last().params, dayList().last().params);

        // edited by night: the day row and the timer follow
        editor().timeOfDayClicked(2);
        QCOMPARE(editor().nightTable()->rowCount(), 2);
        ConditionItem *night = editor().conditionCell(editor().nightTable(), 1);
        QVERIFY(night->clockMode());
        enterField(night, "startone", QStringLiteral("22:00"));
        enterField(night, "valueEdit", QStringLiteral("06:00"));
        const TimerSlot timer = editor().workingCopy().value(1).timers.last();
        QCOMPARE(timer.start, 16 * 60);  // after the 06:00 start
        QCOMPARE(timer.duration, 480);
        QCOMPARE(dayList().last().params, (QList<double>{960, 480, 1440, 1, double(timersBefore)}));
        QCOMPARE(nightList().last().params, dayList().last().params);
        ConditionItem *day = editor().conditionCell(editor().dayTable(), 2);
        QCOMPARE(day->field<QLineEdit>("startone")->text(), QStringLiteral("22:00"));
        QCOMPARE(day->field<QLineEdit>("valueEdit")->text(), QStringLiteral("06:00"));

        // removed by day: both rows go, and the program is as it was
        editor().timeOfDayClicked(1);
        editor().nameCell(editor().dayTable(), 2)->removeButton()->click();
        QCOMPARE(editor().dayTable()->rowCount(), 2);
        editor().timeOfDayClicked(2);
        QCOMPARE(editor().nightTable()->rowCount(), 1);
        QVERIFY(socketMapsEqual(editor().workingCopy(), controllerState().scenarios.at(1).sockets));
        QVERIFY(!editor().hasUnsavedEdits());
    }

    void laterTimersRenumberedWhenOneGoes()
    {
        menuAction(editor(), TimerData)->trigger();
        menuAction(editor(), TimerData)->trigger();
        editor().timeOfDayClicked(2);
        editor().nameCell(editor().nightTable(), 1)->removeButton()->click();  // the first timer
        QCOMPARE(editor().workingCopy().value(1).timers.size(), 1);
        QCOMPARE(dayList().size(), 3);
        QCOMPARE(dayList().last().params.last(), 0.0);
        QCOMPARE(nightList().last().params.last(), 0.0);
        QCOMPARE(editor().dayTable()->rowCount(), 3);
        QCOMPARE(editor().nightTable()->rowCount(), 2);
    }

    void timerNeedsAStartInA24HourCycle()
    {
        ControllerState &state = controllerState();
        state.startTime = QDateTime();
        state.dayHours = 24;
        state.nightHours = 0;
        menuAction(editor(), TimerData)->trigger();
        QCOMPARE(currentNote() ? currentNote()->text() : QString(), QStringLiteral("Настройте время начала работы"));
        QVERIFY(editor().workingCopy().value(1).timers.isEmpty());
        QCOMPARE(dayList().size(), 2);
        closeNote();
        // a cycle of another length counts from its own start
        state.dayHours = 12;
        menuAction(editor(), TimerData)->trigger();
        QCOMPARE(dayList().size(), 3);
    }

    void priorityChoiceFollowsTheRule()
    {
        QTableWidget *day = editor().dayTable();
        QVERIFY(!priorityShown(editor(), day));
        menuAction(editor(), 3)->trigger();  // a second On row
        QCOMPARE(day->rowCount(), 3);
        QVERIFY(!priorityShown(editor(), day));
        chooseAction(editor().actionCell(day, 2), ConditionAction::Off);
        QVERIFY(priorityShown(editor(), day));
        QCOMPARE(dayList().at(2).action, ConditionAction::Off);
        chooseAction(editor().actionCell(day, 2), ConditionAction::On);
        QVERIFY(!priorityShown(editor(), day));
        QComboBox *kinds = editor().conditionCell(day, 1)->field<QComboBox>("conditionComboBox");
        kinds->setCurrentIndex(2);
        emit kinds->activated(2);
        QCOMPARE(dayList().at(1).kind, ConditionKind::Interval);
        QCOMPARE(dayList().at(1).params, QList<double>{41.0});
        QVERIFY(priorityShown(editor(), day));
        QComboBox *priority = editor().conditionCell(day, 1)->field<QComboBox>("priorityComboBox");
        priority->setCurrentIndex(6);
        emit priority->activated(6);
        QCOMPARE(dayList().at(1).priority, 7);
    }

    void baseStateRowAddedWhenAllSwitchOneWay()
    {
        SocketProgram program = editor().workingCopy().value(1);
        program.dayConditions = {probeRow(ConditionAction::On, 1, 40), probeRow(ConditionAction::On, 2, 60)};
        editor().setWorkingProgram(1, program);
        editor().powerSocketClicked(1);
        chooseAction(editor().actionCell(editor().dayTable(), 0), ConditionAction::On);
        QCOMPARE(dayList().size(), 3);
        QCOMPARE(dayList().last().source, int(BaseStateSource));
        QCOMPARE(dayList().last().action, ConditionAction::Off);
        QCOMPARE(dayList().last().text, QStringLiteral("Базовое состояние"));
        QCOMPARE(editor().dayTable()->rowCount(), 3);
        QCOMPARE(editor().actionCell(editor().dayTable(), 2)->actionOf(), ConditionAction::Off);
        QVERIFY(!editor().nameCell(editor().dayTable(), 2)->removeButton()->isEnabled());
        // with a base state there, no second one
        chooseAction(editor().actionCell(editor().dayTable(), 1), ConditionAction::On);
        QCOMPARE(dayList().size(), 3);
    }

    void navigation()
    {
        ControllerState &state = controllerState();
        Scenario third = state.scenarios.at(1);
        third.name = QStringLiteral("Цветение");
        state.scenarios << third;
        state.days[2].scenarioIndex = 2;
        state.scenarioOrder = {{1, 0}, {2, 1}};
        QLabel *dates = editor().findChild<QLabel *>(QStringLiteral("scintervlals"));
        auto *prev = editor().findChild<QPushButton *>(QStringLiteral("prevsc"));
        auto *next = editor().findChild<QPushButton *>(QStringLiteral("nextsc"));

        editor().setNavigationVisible(true);
        editor().loadScenario(1);
        QCOMPARE(dates->text(), QStringLiteral("01-02 МАРТА,04 МАРТА"));
        QVERIFY(prev->isHidden());
        QVERIFY(!next->isHidden());
        QTest::mouseClick(next, Qt::LeftButton);
        QCOMPARE(editor().loadedScenarioIndex(), 2);
        QVERIFY(!prev->isHidden());
        QVERIFY(next->isHidden());
        editor().stepScenario(1);  // no neighbour: the base scenario
        QCOMPARE(editor().loadedScenarioIndex(), 0);
        QVERIFY(prev->isHidden());
        editor().loadScenario(99);
        QCOMPARE(editor().loadedScenarioIndex(), 2);

        // an edit hides the navigation unless the page came from the menu
        menuAction(editor(), 3)->trigger();
        QVERIFY(dates->isHidden());
    }

    void steppingAwayFromEditsAsks()
    {
        viewState().openedFromMenu = true;
        editor().setNavigationVisible(true);
        controllerState().scenarioOrder = {{1, 0}};
        editor().loadScenario(1);
        menuAction(editor(), 3)->trigger();
        QVERIFY(editor().navigationVisible());
        Dialogs::scriptExecResult(QMessageBox::No);
        editor().stepScenario(1);
        QCOMPARE(editor().loadedScenarioIndex(), 1);
        QCOMPARE(dayList().size(), 3);
        Dialogs::scriptExecResult(QMessageBox::Yes);
        editor().stepScenario(1);
        QCOMPARE(editor().loadedScenarioIndex(), 0);
    }

    void relayOutputs()
    {
        auto *relay3 = editor().findChild<QPushButton *>(QStringLiteral("relay3"));
        QVERIFY(!relay3->isHidden());
        QCOMPARE(relay3->text(), QStringLiteral("РЕЛЕ:\nНасос"));
        QVERIFY(editor().findChild<QPushButton *>(QStringLiteral("relay1"))->isHidden());
        QCOMPARE(editor().relayCount(), 1);
        QVERIFY(editor().workingCopy().contains(7));
        editor().powerSocketClicked(7);
        QCOMPARE(editor().dayTable()->rowCount(), 1);
        editor().timeOfDayClicked(2);
        QCOMPARE(editor().actionCell(editor().nightTable(), 0)->actionOf(), ConditionAction::Off);

        // the relay becomes a thermometer: its output goes from every scenario and the editor
        ControllerState &state = controllerState();
        state.sensors[2].type = 1;
        editor().syncRelayOutputs();
        QVERIFY(relay3->isHidden());
        QCOMPARE(editor().currentOutput(), 1);
        QVERIFY(!editor().workingCopy().contains(7));
        for (const Scenario &s : state.scenarios)
            QVERIFY(!s.sockets.contains(7));
    }

    void dayPhaseSwitch()
    {
        QWidget *phases = editor().findChild<QWidget *>(QStringLiteral("frame_4"));
        editor().setNavigationVisible(false);
        QVERIFY(!phases->isHidden());
        editor().timeOfDayClicked(2);
        controllerState().editedNightHours = 0;
        editor().dayPhaseChanged(0);
        QVERIFY(phases->isHidden());
        QCOMPARE(editor().currentPhase(), 1);
        QCOMPARE(editor().currentTable(), editor().dayTable());
    }
};

QTEST_MAIN(TestTimetable)
#include "tst_timetable.moc"
