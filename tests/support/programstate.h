#pragma once

#include "app/programstate.h"
#include "link/exchangestate.h"
#include "model/controllerstate.h"
#include "model/plan/pendingplan.h"
#include "widgets/dialogs.h"
#include "widgets/infonote.h"
#include "widgets/viewstate.h"

// The program's own reset, plus what a test leaves behind: an open note and scripted answers.
inline void resetTestProgramState()
{
    closeNote();
    resetProgramState();
    Dialogs::clearScript();
}
