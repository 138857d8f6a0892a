#pragma once

#include "model/controllerstate.h"
#include "model/plan/scenariovalidation.h"

// Longest configuration image (header included) the controller can hold: it must end before the
// end of the event log area.
constexpr int MaxImageLength = 0x7F00;

// Ways the scenario page was opened.
namespace ScenarioEditMode {
constexpr int ForSelectedDays = 0;  // from the calendar, for its selected days
constexpr int FromMenu = 1;         // from the navigation panel, editing existing scenarios
}

// Decides what becomes of the editor's working copy on save: nothing (unchanged, or the base
// scenario from the menu), an equal existing scenario chosen, the loaded scenario or one whose days
// are all selected overwritten, or "Новый сценарий" appended. Fills editedScenarios and
// chosenScenario and returns the page request to raise (1, 2 or 3); 0 when the working copy fails
// its checks or the plan would no longer fit the controller's memory, with the state untouched.
int saveScenario(ControllerState &state, int editMode, int loadedScenario,
                 const QMap<int, SocketProgram> &working, const NoteFn &note);

// Whether the plan fits the controller once the calendar gives the chosen scenario to its days:
// the encoded image of the edited plan stays within MaxImageLength.
bool editedPlanFits(const ControllerState &state, const QList<Scenario> &edited, int chosen);
