#pragma once

#include "model/controllerstate.h"

// Minutes added to every timer start when a 24-hour cycle's start is moved, so that timers keep
// their time of day: 0 unless the edited day and night hours make 24.
int computeTimerShiftMinutes(const ControllerState &state);

// Timer start as written: (start + shift) remainder the cycle length in minutes (no remainder
// when the cycle has no length).
qint64 shiftedTimerStart(double start, int shiftMinutes, qint64 cycleHours);
