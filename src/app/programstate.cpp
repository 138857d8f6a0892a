#include "app/programstate.h"

#include "history/logicsavedialog.h"
#include "link/exchangestate.h"
#include "model/controllerstate.h"
#include "model/files/daycomments.h"
#include "model/files/workfolders.h"
#include "model/plan/pendingplan.h"
#include "widgets/viewstate.h"

void resetProgramState()
{
    exchange().reset();
    controllerState().reset();
    pendingPlan().reset();
    workFolders().reset();
    dayComments().reset();
    viewState().reset();
    historyPeriod().reset();
}
