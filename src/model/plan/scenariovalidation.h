#pragma once

#include "model/controllerstate.h"

#include <functional>

// Shows one check message; the GUI passes a call of showNote. An empty function makes the check
// silent (same result, no message).
using NoteFn = std::function<void(const QString &)>;

// Checks one condition list of the program of an output (1..10). The timer checks use the edited
// work cycle and the timer shift it implies.
bool validateConditionList(const ControllerState &state, const QList<Condition> &list, bool night,
                           int output, const NoteFn &note);

// Checks every program of the scenario in output order, day list before night list; stops at the
// first failure.
bool validateScenario(const ControllerState &state, const Scenario &scenario, const NoteFn &note);
