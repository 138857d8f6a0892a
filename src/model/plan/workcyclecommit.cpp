#include "model/plan/workcyclecommit.h"

#include "model/clock.h"
#include "model/plan/timershift.h"
#include "model/wallclock.h"

namespace {

void recountUsage(ControllerState &state)
{
    for (Scenario &scenario : state.editedScenarios)
        scenario.usage = 0;
    for (const CycleDay &day : state.editedDays) {
        if (day.scenarioIndex >= 0 && day.scenarioIndex < state.editedScenarios.size())
            ++state.editedScenarios[day.scenarioIndex].usage;
    }
}

} // namespace

bool commitWorkCycle(ControllerState &state, const NoteFn &note, bool validateOnly)
{
    recountUsage(state);
    if (state.editedDayHours < 1) {
        if (note)
            note(QStringLiteral("Не задана длительность дня"));
        return false;
    }
    if (state.editedCycleCount < 0)
        state.editedCycleCount = 0;
    state.timerShiftMinutes = computeTimerShiftMinutes(state);

    // The base scenario is not checked.
    for (int i = 1; i < state.editedScenarios.size(); ++i) {
        const Scenario &scenario = state.editedScenarios.at(i);
        if (scenario.usage != 0 && !validateScenario(state, scenario, note))
            return false;
    }

    const qint64 editedStartSeconds = wallSecondsOf(state.editedStartTime);
    if (state.startSeconds != 0 && editedStartSeconds != state.startSeconds
        && state.editedStartTime.secsTo(Clock::now()) > 599) {
        if (note)
            note(QStringLiteral("Время начала работы уже давно прошло"));
        return false;
    }
    if (validateOnly)
        return true;

    state.days = state.editedDays;
    state.dayHours = state.editedDayHours;
    state.nightHours = state.editedNightHours;
    state.cycleCount = state.editedCycleCount;
    state.startTime = state.editedStartTime;
    state.startSeconds = editedStartSeconds;
    state.scenarios = state.editedScenarios;
    return true;
}
