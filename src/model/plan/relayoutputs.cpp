#include "model/plan/relayoutputs.h"

#include "model/plan/basescenario.h"
#include "model/codec/sensorcatalogue.h"


QList<int> relayOutputs(const ControllerState &state)
{
    QList<int> outputs;
    for (int k = 0; k < state.sensors.size() && k < ControllerState::SensorCount; ++k) {
        if (state.sensors.at(k).type == SensorRelayOutput)
            outputs << FirstRelayOutput + k;
    }
    return outputs;
}

SocketProgram defaultRelayProgram()
{
    SocketProgram program;
    program.dayConditions << baseStateCondition(ConditionAction::On);
    program.nightConditions << baseStateCondition(ConditionAction::Off);
    return program;
}

namespace {

void dropRows(QList<Condition> &rows, const QSet<int> &sources)
{
    rows.removeIf([&sources](const Condition &row) { return sources.contains(row.source); });
}

} // namespace

QSet<int> relayChannels(const ControllerState &state)
{
    QSet<int> channels;
    for (int output : relayOutputs(state)) {
        for (int channel : state.sensors.at(output - FirstRelayOutput).channels) {
            // the base-state and timer markers are never channels
            if (channel != BaseStateSource && channel != TimerSource)
                channels.insert(channel);
        }
    }
    return channels;
}

QList<int> keptOutputs(const ControllerState &state)
{
    QList<int> outputs;
    for (const KeptSensorSection &section : state.keptSensorSections) {
        if (section.input >= 0 && section.input < ControllerState::SensorCount)
            outputs << FirstRelayOutput + section.input;
    }
    return outputs;
}

void syncRelayProgram(QMap<int, SocketProgram> &sockets, const QList<int> &relays, const QSet<int> &channels,
                      const QList<int> &kept)
{
    for (auto it = sockets.begin(); it != sockets.end();) {
        const int output = it.key();
        if (output < FirstRelayOutput || relays.contains(output) || kept.contains(output)) {
            dropRows(it->dayConditions, channels);
            dropRows(it->nightConditions, channels);
            ++it;
        } else {
            it = sockets.erase(it);
        }
    }
    for (int output : relays) {
        if (!sockets.contains(output))
            sockets.insert(output, defaultRelayProgram());
    }
}

void syncRelayPrograms(ControllerState &state)
{
    const QList<int> relays = relayOutputs(state);
    const QSet<int> channels = relayChannels(state);
    const QList<int> kept = keptOutputs(state);
    for (Scenario &scenario : state.scenarios)
        syncRelayProgram(scenario.sockets, relays, channels, kept);
    // edited in place rather than replaced by the live list: a plan waiting for its upload keeps
    // its scenarios
    for (Scenario &scenario : state.editedScenarios)
        syncRelayProgram(scenario.sockets, relays, channels, kept);
}
