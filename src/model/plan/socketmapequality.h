#pragma once

#include "model/controllerstate.h"

// Equality of condition rows as the scenario page's save sees it: thresholds compared as floats,
// params bytewise.
bool conditionListsEqual(const QList<Condition> &a, const QList<Condition> &b);

// Same outputs in the same order, equal day and night lists, and timers equal in their values and
// phase flags. Slot numbers and row positions are bookkeeping and not compared.
bool socketMapsEqual(const QMap<int, SocketProgram> &a, const QMap<int, SocketProgram> &b);
