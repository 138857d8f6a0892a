#pragma once

#include "model/plan/scenariovalidation.h"

// Checks the edited work cycle, days and scenarios and, unless validateOnly, makes them live.
// A failure shows one message and leaves the live state unchanged.
bool commitWorkCycle(ControllerState &state, const NoteFn &note, bool validateOnly);
