#include "model/plan/basescenario.h"

#include "model/numericutil.h"

QString baseStateText()
{
    return QStringLiteral("Базовое состояние");
}

QString timerRowText()
{
    return QStringLiteral("Таймер") + QString(19, QLatin1Char(' '));
}

Condition baseStateCondition(ConditionAction action)
{
    Condition row;
    row.ref = BaseStateRef;
    row.text = baseStateText();
    row.kind = ConditionKind::Below;
    row.value = bitsFromFloat(1000.0f);
    row.priority = 0;
    row.source = BaseStateSource;
    row.action = action;
    return row;
}

Scenario baseScenario()
{
    Scenario scenario;
    scenario.name = QStringLiteral("Базовый сценарий");
    for (int output = 1; output <= ControllerState::SocketCount; ++output) {
        SocketProgram program;
        program.dayConditions.append(baseStateCondition(ConditionAction::On));
        program.nightConditions.append(baseStateCondition(ConditionAction::Off));
        scenario.sockets.insert(output, program);
    }
    return scenario;
}

void createBaseScenario(ControllerState &state)
{
    state.scenarios.prepend(baseScenario());
}
