#pragma once

#include "model/controllerstate.h"

// A timer row of timer slot 0: start, duration and period in minutes, repeat count.
inline Condition timerCondition(int start, int duration, int period, int count, ConditionAction action = ConditionAction::On,
                                int priority = 1)
{
    Condition row;
    row.ref = TimerRef;
    row.source = TimerSource;
    row.action = action;
    row.priority = priority;
    row.params = {double(start), double(duration), double(period), double(count), 0};
    return row;
}
