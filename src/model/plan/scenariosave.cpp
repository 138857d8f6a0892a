#include "model/plan/scenariosave.h"

#include "model/codec/configimage.h"
#include "model/plan/socketmapequality.h"

namespace {

QString tooLargeText()
{
    return QStringLiteral("Сценарий не помещается в память контроллера<p>Уменьшите число условий или сценариев");
}

} // namespace

bool editedPlanFits(const ControllerState &state, const QList<Scenario> &edited, int chosen)
{
    ControllerState trial = state;
    trial.scenarios = edited;
    trial.days = state.editedDays;
    trial.cycleCount = state.editedCycleCount;
    trial.dayHours = state.editedDayHours;
    trial.nightHours = state.editedNightHours;
    for (Scenario &scenario : trial.scenarios)
        scenario.usage = 0;
    for (const CycleDay &day : trial.days) {
        if (day.scenarioIndex >= 0 && day.scenarioIndex < trial.scenarios.size())
            ++trial.scenarios[day.scenarioIndex].usage;
    }
    // the calendar gives the chosen scenario to at least one day
    if (chosen >= 0 && chosen < trial.scenarios.size() && trial.scenarios[chosen].usage == 0)
        trial.scenarios[chosen].usage = 1;
    trial.imageIsCurrent = false;
    QByteArray body;
    const QByteArray header = encodeConfigImage(trial, body);
    return header.size() + body.size() <= MaxImageLength;
}

ScenarioSaveResult saveScenario(ControllerState &state, ScenarioEditMode editMode, int loadedScenario,
                 const QMap<int, SocketProgram> &working, const NoteFn &note)
{
    bool unchanged = false;
    if (editMode == ScenarioEditMode::ForSelectedDays && state.selectedDayScenarios.size() == 1) {
        const int k = state.selectedDayScenarios.firstKey();
        unchanged = k >= 0 && k < state.scenarios.size() && socketMapsEqual(working, state.scenarios.at(k).sockets);
    }
    if (unchanged || (editMode == ScenarioEditMode::FromMenu && loadedScenario == 0)) {
        state.editedScenarios = state.scenarios;
        return ScenarioSaveResult::Unchanged;
    }

    Scenario checked;
    checked.sockets = working;
    if (!validateScenario(state, checked, note))
        return ScenarioSaveResult::Refused;

    QList<Scenario> edited = state.scenarios;
    int chosen = 0;
    int target = 0;
    if (editMode == ScenarioEditMode::FromMenu) {
        target = loadedScenario;
        chosen = target;
    } else {
        for (int i = 0; i < edited.size(); ++i) {
            if (socketMapsEqual(edited.at(i).sockets, working)) {
                state.editedScenarios = edited;
                state.chosenScenario = i;
                return ScenarioSaveResult::ForSelectedDays;
            }
        }
        for (auto it = state.selectedDayScenarios.cbegin(); it != state.selectedDayScenarios.cend(); ++it) {
            const int k = it.key();
            if (k != 0 && k < edited.size() && edited.at(k).usage == edited.at(k).selectedUsage) {
                target = k;
                chosen = k;
                break;
            }
        }
    }

    // a loaded index the live list no longer holds is saved as a new scenario, never out of range
    if (target > 0 && target < edited.size()) {
        edited[chosen].sockets = working;
    } else {
        Scenario added;
        added.name = QStringLiteral("Новый сценарий");
        added.imageOffset = 0;
        added.sockets = working;
        edited << added;
        chosen = int(edited.size() - 1);
    }

    if (!editedPlanFits(state, edited, chosen)) {
        if (note)
            note(tooLargeText());
        return ScenarioSaveResult::Refused;
    }
    state.editedScenarios = edited;
    state.chosenScenario = chosen;
    return editMode == ScenarioEditMode::FromMenu ? ScenarioSaveResult::FromMenu : ScenarioSaveResult::ForSelectedDays;
}
