#pragma once

#include <cstring>

#include "model/plan/basescenario.h"
#include "model/controllerstate.h"

// Large plans for upload and decode figures: scenarios of many sensor rows per socket.
inline quint32 floatBitsOf(float f)
{
    quint32 b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

inline Scenario largeScenario(const QString &name)
{
    Scenario sc;
    sc.name = name;
    for (int output = 1; output <= 4; ++output) {
        SocketProgram p;
        p.dayConditions << baseStateCondition(ConditionAction::On);
        p.nightConditions << baseStateCondition(ConditionAction::Off);
        for (int r = 0; r < 8; ++r) {
            Condition c;
            c.ref = 0;
            c.text = QStringLiteral("Климат: Температура");
            c.kind = ConditionKind::Above;
            c.value = floatBitsOf(20.0f + r);
            c.action = ConditionAction::On;
            c.priority = r + 1;
            c.source = 5;
            p.dayConditions << c;
            p.nightConditions << c;
        }
        sc.sockets[output] = p;
    }
    return sc;
}

// Puts `scenarios` large scenarios over `days` cycle days into the edited copy of the state.
inline void makeLargeEditedPlan(ControllerState &s, int scenarios, int days)
{
    s.editedScenarios = {baseScenario()};
    for (int n = 1; n <= scenarios; ++n)
        s.editedScenarios << largeScenario(QStringLiteral("Сценарий %1").arg(n));
    s.editedCycleCount = days;
    s.editedDays.clear();
    for (int d = 0; d < days; ++d) {
        CycleDay day;
        day.time = s.editedStartTime.addSecs(qint64(d) * (s.editedDayHours + s.editedNightHours) * 3600);
        day.scenarioIndex = 1 + d % scenarios;
        s.editedDays << day;
    }
}
