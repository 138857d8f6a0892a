#pragma once

#include "model/controllerstate.h"
#include "model/plan/scenariovalidation.h"

// Longest configuration image (header included) the controller can hold: it must end before the
// end of the event log area.
constexpr int MaxImageLength = 0x7F00;

// Ways the scenario page was opened.
enum class ScenarioEditMode : int {
    ForSelectedDays = 0,  // from the calendar, for its selected days
    FromMenu = 1,         // from the navigation panel, editing existing scenarios
};

// What a save of the scenario page made of the working copy.
enum class ScenarioSaveResult : int {
    Refused = 0,          // a check failed or the plan would not fit: nothing changed
    ForSelectedDays = 1,  // a scenario chosen for the calendar's selected days
    FromMenu = 2,         // an existing scenario rewritten from the menu
    Unchanged = 3,        // nothing to take: the calendar shows again
};

// Decides what becomes of the editor's working copy on save: nothing (unchanged, or the base
// scenario from the menu), an equal existing scenario chosen, the loaded scenario or one whose days
// are all selected overwritten, or "Новый сценарий" appended. Fills editedScenarios and
// chosenScenario. Refused when the working copy fails its checks or the plan would no longer fit
// the controller's memory, with the state untouched.
ScenarioSaveResult saveScenario(ControllerState &state, ScenarioEditMode editMode, int loadedScenario,
                 const QMap<int, SocketProgram> &working, const NoteFn &note);

// Whether the plan fits the controller once the calendar gives the chosen scenario to its days:
// the encoded image of the edited plan stays within MaxImageLength.
bool editedPlanFits(const ControllerState &state, const QList<Scenario> &edited, int chosen);
