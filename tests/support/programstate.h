#pragma once

#include "link/exchangestate.h"
#include "model/controllerstate.h"
#include "model/plan/pendingplan.h"
#include "widgets/dialogs.h"
#include "widgets/infonote.h"
#include "widgets/viewstate.h"

// Puts the program-wide state back to how the program starts (GUI test programs only).
inline void resetProgramState()
{
    closeNote();
    exchange().reset();
    viewState().reset();
    controllerState().reset();
    pendingPlan().reset();
    Dialogs::clearScript();
}
