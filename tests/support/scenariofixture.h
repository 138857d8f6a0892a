#pragma once

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>

#include "model/plan/basescenario.h"
#include "model/controllerstate.h"
#include "model/numericutil.h"
#include "proberow.h"
#include "scenario/actionitem.h"
#include "scenario/conditionitem.h"
#include "scenario/scenariotimetablewidget.h"

// A controller with a climate probe (two values), a level switch, a relay and a thermometer, a
// 16 + 8 cycle and the base scenario plus one more.
inline void setUpScenarioState()
{
    ControllerState &state = controllerState();
    state.reset();
    const QStringList names = {QStringLiteral("Климат"), QStringLiteral("Уровень"), QStringLiteral("Насос"), QStringLiteral("Корни")};
    const QList<int> types = {2, 3, 4, 1};
    const QList<QList<int>> channels = {{4, 5}, {6}, {7}, {8}};
    for (int k = 0; k < 4; ++k) {
        state.sensors[k].type = types.at(k);
        state.sensors[k].name = names.at(k);
        state.sensors[k].channels = channels.at(k);
    }
    state.sockets[0].name = QStringLiteral("Лампа");
    state.dayHours = state.editedDayHours = 16;
    state.nightHours = state.editedNightHours = 8;
    state.startTime = state.editedStartTime = QDateTime(QDate(2026, 3, 1), QTime(6, 0));
    Scenario second = baseScenario();
    second.name = QStringLiteral("Рассада");
    second.sockets[1].dayConditions << probeRow(ConditionAction::On, 1, 40);
    state.scenarios = {baseScenario(), second};
    state.editedScenarios = state.scenarios;
    const QList<int> map = {1, 1, 0, 1};
    for (int d = 0; d < map.size(); ++d)
        state.days << CycleDay{state.startTime.addDays(d), map.at(d)};
    state.editedDays = state.days;
    state.cycleCount = state.editedCycleCount = int(map.size());
    state.scenarioOrder = {{1, 0}};
}

inline QAction *menuAction(ScenarioTimetableWidget &editor, int data)
{
    for (QAction *a : editor.conditionMenu()->actions()) {
        if (a->data().toInt() == data)
            return a;
    }
    return nullptr;
}

inline void chooseAction(ActionItem *cell, ConditionAction action)
{
    const int index = cell->comboBox()->findData(int(action));
    cell->comboBox()->setCurrentIndex(index);
    emit cell->comboBox()->activated(index);
}

inline void enterField(ConditionItem *cell, const char *field, const QString &text)
{
    QLineEdit *edit = cell->field<QLineEdit>(field);
    edit->setText(text);
    emit edit->editingFinished();
}
