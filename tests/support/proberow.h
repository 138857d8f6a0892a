#pragma once

#include "model/controllerstate.h"
#include "model/numericutil.h"

// A condition row on the climate probe's humidity (input 1, channel 4); an interval gets an
// upper bound 10 above the threshold.
inline Condition probeRow(ConditionAction action, int priority = 1, float value = 40,
                          ConditionKind kind = ConditionKind::Below)
{
    Condition row;
    row.ref = 0;
    row.source = 4;
    row.text = QStringLiteral("Климат: Влажность");
    row.kind = kind;
    row.action = action;
    row.priority = priority;
    row.value = bitsFromFloat(value);
    if (kind == ConditionKind::Interval)
        row.params = {double(value) + 10};
    return row;
}
