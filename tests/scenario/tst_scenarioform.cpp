#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include "link/exchangestate.h"
#include "scenario/daypreviewstrip.h"
#include "widgets/dialogs.h"

#include <QDialog>
#include <QListWidget>
#include "model/plan/socketmapequality.h"
#include "programstate.h"
#include "scenario/scenarioform.h"
#include "scenariofixture.h"
#include "widgets/infonote.h"
#include "widgets/viewstate.h"

// The scenario page: how it opens, save and cancel, help, and edits left behind by a lost link.
class TestScenarioForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScenarioForm> m_form;

    ScenarioForm &form() { return *m_form; }
    ScenarioTimetableWidget &editor() { return *m_form->editor(); }
    QPushButton *button(const char *name) { return form().findChild<QPushButton *>(QString::fromLatin1(name)); }
    // One more row on socket 1 by day: the thermometer, switching on.
    void addRow()
    {
        editor().powerSocketClicked(1);
        editor().timeOfDayClicked(1);
        menuAction(editor(), 3)->trigger();
    }

private slots:
    void init()
    {
        resetTestProgramState();
        setUpScenarioState();
        ControllerState &state = controllerState();
        Scenario third = state.scenarios.at(1);
        third.name = QStringLiteral("Цветение");
        third.sockets[2].nightConditions << probeRow(ConditionAction::On, 1, 80);
        state.scenarios << third;
        state.days[2].scenarioIndex = 2;
        state.scenarioOrder = {{1, 0}, {2, 1}};
        state.editedScenarios = state.scenarios;
        m_form.reset(new ScenarioForm);
        m_form->resize(932, 794);
        m_form->show();
        editor().rebuildConditionMenu();
    }
    void cleanup()
    {
        m_form.reset();
        closeNote();
        Dialogs::clearScript();
    }

    // Under the tables: what the checker finds in the working copy (a click shows its row) and
    // what each output does over the cycle; a save with an error asks first.
    void findingsPreviewAndSaveQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("fix first") << int(QDialog::Rejected);
        QTest::newRow("save anyway") << int(QDialog::Accepted);
    }
    void findingsPreviewAndSaveQuestion()
    {
        QFETCH(int, answer);
        form().openFromMenu();
        QCOMPARE(editor().loadedScenarioIndex(), 1);
        QListWidget *findings = form().findingsList();
        // an upper bound below the lower one
        Condition inverted = probeRow(ConditionAction::On, 2, 60, ConditionKind::Interval);
        inverted.params = {50};
        SocketProgram lamp = editor().workingCopy().value(1);
        lamp.dayConditions << inverted;
        editor().setWorkingProgram(1, lamp);
        emit editor().workingCopyChanged();
        QVERIFY(!findings->isHidden());
        QListWidgetItem *error = nullptr;
        for (int i = 0; i < findings->count(); ++i)
            if (findings->item(i)->text().startsWith(QStringLiteral("Ошибка: «Рассада», Лампа, день, строка")))
                error = findings->item(i);
        QVERIFY(error);
        QCOMPARE(form().preview()->spans().value(1).first().state, int(DayPreview::BySensor));

        // a click shows the row: the night of another output first
        editor().powerSocketClicked(2);
        editor().timeOfDayClicked(2);
        emit findings->itemClicked(error);
        QCOMPARE(editor().currentOutput(), 1);
        QCOMPARE(editor().currentPhase(), 1);
        QCOMPARE(editor().currentTable()->currentRow(), int(editor().workingCopy().value(1).dayConditions.size()) - 1);

        QStringList asked;
        Dialogs::scriptExecResult(answer, [&asked](QDialog *d) {
            if (auto *list = d->findChild<QListWidget *>(QStringLiteral("saveErrors")))
                for (int i = 0; i < list->count(); ++i)
                    asked << list->item(i)->text();
        });
        exchange().pageRequest = PageRequest::None;
        button("saveButton")->click();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.first().contains(QStringLiteral("верхняя граница интервала")));
        QCOMPARE(exchange().pageRequest != PageRequest::None, answer == QDialog::Accepted);
    }

    void openedFromMenu()
    {
        controllerState().scenarioOrder = {{2, 0}, {1, 1}};
        form().openFromMenu();
        QCOMPARE(form().editMode, ScenarioEditMode::FromMenu);
        QCOMPARE(editor().loadedScenarioIndex(), 2);
        QVERIFY(editor().navigationVisible());
        QVERIFY(viewState().openedFromMenu);
        // edits keep the arrows when the page came from the menu
        addRow();
        QVERIFY(editor().navigationVisible());
    }

    void openedForSelectedDays()
    {
        controllerState().selectedDayScenarios = {{1, 1}, {2, 0}};
        form().openForSelectedDays();
        QCOMPARE(form().editMode, ScenarioEditMode::ForSelectedDays);
        QCOMPARE(editor().loadedScenarioIndex(), 2);
        QVERIFY(!editor().navigationVisible());
        QVERIFY(editor().findChild<QLabel *>(QStringLiteral("scintervlals"))->isHidden());
    }

    void cancelRestoresTheLiveList()
    {
        controllerState().selectedDayScenarios = {{1, 0}};
        form().openForSelectedDays();
        addRow();
        ControllerState &state = controllerState();
        state.editedScenarios << state.scenarios.at(1);
        QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
        QCOMPARE(exchange().pageRequest, PageRequest::ShowCalendar);
        QCOMPARE(state.editedScenarios.size(), state.scenarios.size());
    }

    void saveForSelectedDays()
    {
        ControllerState &state = controllerState();
        state.selectedDayScenarios = {{1, 0}};
        state.scenarios[1].usage = 3;
        state.scenarios[1].selectedUsage = 1;
        form().openForSelectedDays();
        addRow();
        QTest::mouseClick(button("saveButton"), Qt::LeftButton);
        QCOMPARE(exchange().pageRequest, PageRequest::CalendarTakesSelection);
        QCOMPARE(state.chosenScenario, 3);
        QCOMPARE(state.editedScenarios.size(), 4);
        QCOMPARE(state.editedScenarios.last().name, QStringLiteral("Новый сценарий"));
        QCOMPARE(state.editedScenarios.last().sockets.value(1).dayConditions.size(), 3);
        QCOMPARE(state.scenarios.size(), 3);
    }

    void refusedSaveKeepsTheWorkingCopy()
    {
        controllerState().selectedDayScenarios = {{1, 0}};
        form().openForSelectedDays();
        addRow();
        // an Off row next to an On row of the same priority
        chooseAction(editor().actionCell(editor().dayTable(), 2), ConditionAction::Off);
        const QMap<int, SocketProgram> working = editor().workingCopy();
        closeNote();
        QTest::mouseClick(button("saveButton"), Qt::LeftButton);
        QCOMPARE(exchange().pageRequest, PageRequest::None);
        QCOMPARE(currentNote() ? currentNote()->text() : QString(),
                 QStringLiteral("Одинаковый приоритет дневных условий ВКЛ и ВЫКЛ устройства: <p> Лампа"));
        QVERIFY(socketMapsEqual(editor().workingCopy(), working));
        QCOMPARE(editor().dayTable()->rowCount(), 3);
    }

    void helpAsksForTheScenarioTopic()
    {
        QSignalSpy spy(&form(), &ScenarioForm::helpRequested);
        QTest::mouseClick(button("helpButton"), Qt::LeftButton);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().at(0).toInt(), 2);
    }

    // The link is lost while the page holds edits: the next opening of the same scenario the same
    // way puts them back; after save or cancel, or when the scenario changed meanwhile, it does not.
    void editsLeftByALostLink_data()
    {
        QTest::addColumn<int>("between");  // 0 nothing, 1 cancel, 2 live scenario changed, 3 other days
        QTest::addColumn<bool>("restored");
        QTest::newRow("reopened") << 0 << true;
        QTest::newRow("cancelled before") << 1 << false;
        QTest::newRow("the controller's scenario changed") << 2 << false;
        QTest::newRow("other days selected") << 3 << false;
    }
    void editsLeftByALostLink()
    {
        QFETCH(int, between);
        QFETCH(bool, restored);
        ControllerState &state = controllerState();
        state.selectedDayScenarios = {{1, 0}};
        form().openForSelectedDays();
        addRow();
        if (between == 1)
            QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
        if (between == 2)
            state.scenarios[1].sockets[1].dayConditions[1].value = bitsFromFloat(45.0f);
        if (between == 3)
            state.selectedDayScenarios = {{1, 0}, {2, 1}};
        closeNote();
        form().openForSelectedDays();
        QCOMPARE(editor().workingCopy().value(1).dayConditions.size(), restored ? 3 : 2);
        QCOMPARE(editor().dayTable()->rowCount(), restored ? 3 : 2);
        QCOMPARE(currentNote() && currentNote()->text() == QStringLiteral("Несохранённые изменения сценария восстановлены"), restored);
    }

    // A save refused for rows the editor does not show puts those rows on screen with the reason.
    void refusedSaveShowsTheRowsAtFault_data()
    {
        QTest::addColumn<int>("output");
        QTest::addColumn<bool>("night");
        QTest::newRow("the other phase") << 1 << true;
        QTest::newRow("another output by day") << 3 << false;
    }
    void refusedSaveShowsTheRowsAtFault()
    {
        QFETCH(int, output);
        QFETCH(bool, night);
        const QString message = QStringLiteral("Одинаковый приоритет %1 условий ВКЛ и ВЫКЛ устройства: <p> %2")
                                    .arg(night ? QStringLiteral("ночных") : QStringLiteral("дневных"),
                                         outputName(controllerState(), output));
        form().openFromMenu();
        editor().powerSocketClicked(1);
        editor().timeOfDayClicked(1);
        SocketProgram program = editor().workingCopy().value(output);
        QList<Condition> &rows = night ? program.nightConditions : program.dayConditions;
        rows << probeRow(ConditionAction::On, 3, 40) << probeRow(ConditionAction::Off, 3, 60);
        editor().setWorkingProgram(output, program);
        closeNote();
        QTest::mouseClick(button("saveButton"), Qt::LeftButton);
        QCOMPARE(exchange().pageRequest, PageRequest::None);
        QCOMPARE(editor().currentOutput(), output);
        QCOMPARE(editor().currentPhase(), night ? 2 : 1);
        QTableWidget *table = night ? editor().nightTable() : editor().dayTable();
        QCOMPARE(editor().currentTable(), table);
        QCOMPARE(table->rowCount(), rows.size());
        QVERIFY(currentNote());
        QCOMPARE(currentNote()->text(), message);
    }

    // Edits made after stepping to another scenario belong to that one: the next opening from the
    // menu brings them back there, never into the scenario the page first showed.
    void editsOfAStepToAnotherScenario_data()
    {
        QTest::addColumn<bool>("changedMeanwhile");  // the stepped-to scenario changed on the controller
        QTest::newRow("unchanged") << false;
        QTest::newRow("changed meanwhile") << true;
    }
    void editsOfAStepToAnotherScenario()
    {
        QFETCH(bool, changedMeanwhile);
        ControllerState &state = controllerState();
        form().openFromMenu();
        QCOMPARE(editor().loadedScenarioIndex(), 1);
        QTest::mouseClick(editor().findChild<QPushButton *>(QStringLiteral("nextsc")), Qt::LeftButton);
        QCOMPARE(editor().loadedScenarioIndex(), 2);
        addRow();
        const QMap<int, SocketProgram> edited = editor().workingCopy();
        if (changedMeanwhile)
            state.scenarios[2].sockets[1].dayConditions[1].value = bitsFromFloat(45.0f);
        closeNote();
        const QMap<int, SocketProgram> first = state.scenarios.at(1).sockets;

        form().openFromMenu();
        QCOMPARE(editor().loadedScenarioIndex(), changedMeanwhile ? 1 : 2);
        if (changedMeanwhile)
            QVERIFY(socketMapsEqual(editor().workingCopy(), first));
        else
            QVERIFY(socketMapsEqual(editor().workingCopy(), edited));
        QCOMPARE(editor().scenarioPosition(), changedMeanwhile ? 0 : 1);
        // a save then writes them where they came from
        QVERIFY(socketMapsEqual(state.scenarios.at(1).sockets, first));
    }
};

QTEST_MAIN(TestScenarioForm)
#include "tst_scenarioform.moc"
