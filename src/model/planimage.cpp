#include "model/planimage.h"

ControllerState planOfImage(const QByteArray &body, bool movesStart)
{
    ControllerState state;
    state.resetToEmptyForm();
    state.loadedFromFile = movesStart;
    decodeConfigImage(state, body);
    linkTimerRows(state);
    state.loadedFromFile = false;
    const qint64 cycleSeconds = qint64(state.dayHours + state.nightHours) * 3600;
    for (int k = 0; k < state.days.size(); ++k)
        state.days[k].time = state.startTime.addSecs(cycleSeconds * k);
    state.editedDayHours = state.dayHours;
    state.editedNightHours = state.nightHours;
    state.editedCycleCount = state.cycleCount;
    state.editedStartTime = state.startTime;
    state.editedDays = state.days;
    state.editedScenarios = state.scenarios;
    return state;
}
