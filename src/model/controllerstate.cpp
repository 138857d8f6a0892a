#include "model/controllerstate.h"

#include "model/wallclock.h"

ControllerState::ControllerState()
    : sensors(SensorCount), sockets(SocketCount)
{
    for (int i = 0; i < SensorCount; ++i)
        sensors[i].name = defaultSensorName(i);
    for (int i = 0; i < SocketCount; ++i)
        sockets[i].name = defaultSocketName(i);
}

void ControllerState::resetToEmptyForm()
{
    for (int i = 0; i < SensorCount; ++i) {
        sensors[i] = SensorSlot();
        sensors[i].name = defaultSensorName(i);
    }
    for (int i = 0; i < SocketCount; ++i) {
        SocketSlot &socket = sockets[i];
        socket.power = 0;
        socket.section.clear();
        socket.name = defaultSocketName(i);
    }
    usedChannels.fill(0);
    keptSensorSections.clear();
    dayHours = 24;
    nightHours = 0;
    cycleCount = 0;
    days.clear();
    workCycleKnown = false;
    scenarioOrder.clear();
    startTime = nowCutToMinute();
    startSeconds = 0;
}

ControllerState &controllerState()
{
    static ControllerState state;
    return state;
}

void reserveKeptChannels(ControllerState &state)
{
    const auto reserve = [&state](int id) {
        if (id >= 1 && id < ControllerState::ChannelIdCount)
            state.usedChannels[id] = 1;
    };
    for (const KeptSensorSection &section : std::as_const(state.keptSensorSections)) {
        for (int id : section.channels)
            reserve(id);
    }
    for (const Scenario &scenario : std::as_const(state.scenarios)) {
        for (const SocketProgram &program : scenario.sockets) {
            for (const QList<KeptRow> *rows : {&program.keptDayRows, &program.keptNightRows}) {
                for (const KeptRow &row : *rows)
                    reserve(keptRowSource(row.record));
            }
        }
    }
}

QString outputName(const ControllerState &state, int output)
{
    if (output >= 1 && output <= ControllerState::SocketCount)
        return state.sockets.value(output - 1).name;
    if (output >= FirstRelayOutput && output <= LastOutput)
        return state.sensors.value(output - FirstRelayOutput).name;
    return QString();
}

QString defaultSensorName(int index)
{
    return QStringLiteral("Датчик %1").arg(index + 1);
}

QString defaultSocketName(int index)
{
    return QStringLiteral("Порт %1").arg(index + 1);
}
