#pragma once

#include "model/controllerstate.h"

// The row that says what an output does when no other row decides.
Condition baseStateCondition(ConditionAction action);

// The base scenario "Базовый сценарий": sockets 1..4 on by day, off by night.
Scenario baseScenario();

// Inserts the base scenario at index 0 of the live scenario list.
void createBaseScenario(ControllerState &state);

// Row captions the decoder and the editor share.
QString baseStateText();
QString timerRowText();
