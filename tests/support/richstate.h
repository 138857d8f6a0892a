#pragma once

// The plan of tests/data/model/rich-image.hex built as a state, the way the settings dialogs and the
// editor leave it before an upload.

#include "imagebytes.h"

#include "model/plan/basescenario.h"
#include "model/controllerstate.h"
#include "model/numericutil.h"

#include <QFile>

namespace RichState {

inline Condition sensorRow(int ref, int channel, const QString &text, ConditionKind kind, float value, ConditionAction action,
                           int priority, QList<double> params = {})
{
    Condition row;
    row.ref = ref;
    row.source = channel;
    row.text = text;
    row.kind = kind;
    row.value = bitsFromFloat(value);
    row.action = action;
    row.priority = priority;
    row.params = params;
    return row;
}

inline Condition timerRow(const TimerSlot &timer, int index, ConditionAction action, int priority)
{
    Condition row;
    row.ref = TimerRef;
    row.source = TimerSource;
    row.text = timerRowText();
    row.kind = ConditionKind::Above;
    row.action = action;
    row.priority = priority;
    row.params = {double(timer.start), double(timer.duration), double(timer.period), double(timer.count), double(index)};
    return row;
}

inline TimerSlot timer(int start, int duration, int period, int count)
{
    TimerSlot t;
    t.start = start;
    t.duration = duration;
    t.period = period;
    t.count = count;
    return t;
}

inline SocketProgram relayDefault()
{
    SocketProgram program;
    program.dayConditions = {baseStateCondition(ConditionAction::On)};
    program.nightConditions = {baseStateCondition(ConditionAction::Off)};
    return program;
}

inline ControllerState build()
{
    using namespace ImageBytes;
    ControllerState state;
    auto setSensor = [&](int index, int type, const QString &name, const QList<int> &channels, const QByteArray &section) {
        SensorSlot &s = state.sensors[index];
        s.type = type;
        s.name = name;
        s.channels = channels;
        s.section = section;
        for (int c : channels)
            state.usedChannels[c] = 1;
    };
    setSensor(0, 2, QStringLiteral("Климат"), {4, 5},
              sensor(0, 2, QStringLiteral("Климат"), {{4, true, true, 1.5f}, {5}}, 6, 300));
    state.sensors[0].calibration = {{0, 1.5f}, {0, 0.0f}};
    setSensor(2, 4, QStringLiteral("Насос"), {6}, sensor(2, 4, QStringLiteral("Насос"), {{6}}, 8, 300));
    state.sensors[2].calibration = {{0, 0.0f}};
    setSensor(3, 3, QStringLiteral("Уровень"), {7}, sensor(3, 3, QStringLiteral("Уровень"), {{7}}, 7, 10));
    state.sensors[3].calibration = {{0, 0.0f}};
    state.sockets[0].name = QStringLiteral("Лампа");
    state.sockets[1].name = QStringLiteral("Вентилятор");

    state.dayHours = 16;
    state.nightHours = 8;
    state.cycleCount = 4;
    state.startTime = QDateTime(QDate(2026, 3, 2), QTime(8, 0));

    Scenario base = baseScenario();
    base.sockets.insert(7, relayDefault());

    Scenario seedlings = baseScenario();
    seedlings.name = QStringLiteral("Рассада");
    SocketProgram &lamp = seedlings.sockets[1];
    const TimerSlot lampTimer = timer(480, 30, 120, 4);
    lamp.timers = {lampTimer};
    lamp.dayConditions = {baseStateCondition(ConditionAction::On),
                          sensorRow(0, 5, QStringLiteral("Климат: Температура"), ConditionKind::Above, 28.0f, ConditionAction::Off, 2),
                          timerRow(lampTimer, 0, ConditionAction::On, 1)};
    lamp.nightConditions = {baseStateCondition(ConditionAction::Off), timerRow(lampTimer, 0, ConditionAction::On, 1),
                            sensorRow(0, 4, QStringLiteral("Климат: Влажность"), ConditionKind::Interval, 40.0f, ConditionAction::On, 3, {60.0})};
    SocketProgram &fan = seedlings.sockets[2];
    fan.dayConditions = {baseStateCondition(ConditionAction::Off),
                         sensorRow(3, 7, QStringLiteral("Уровень: Состояние"), ConditionKind::Below, 1.0f, ConditionAction::On, 1)};
    fan.nightConditions = {baseStateCondition(ConditionAction::Off)};
    SocketProgram pump;
    const TimerSlot pumpTimer = timer(600, 10, 10, 1);
    pump.timers = {pumpTimer};
    pump.dayConditions = {baseStateCondition(ConditionAction::Off), timerRow(pumpTimer, 0, ConditionAction::On, 1)};
    pump.nightConditions = {baseStateCondition(ConditionAction::Off)};
    seedlings.sockets.insert(7, pump);

    state.scenarios = {base, seedlings};
    state.days = QList<CycleDay>(4);
    state.days[1].scenarioIndex = 1;
    state.days[2].scenarioIndex = 1;
    state.scenarios[1].usage = 2;
    state.scenarios[0].usage = 2;
    return state;
}

inline QByteArray fixture(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return ImageBytes::fromAnnotatedHex(file.readAll());
}

} // namespace RichState
