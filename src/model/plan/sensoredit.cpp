#include "model/plan/sensoredit.h"

#include "model/codec/sensorcatalogue.h"
#include "model/codec/sensorsection.h"
#include "model/codec/textlimit.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

std::optional<float> instantValue(const SensorSlot &sensor, int channel)
{
    if (channel >= sensor.valueTexts.size())
        return std::nullopt;
    return parseRefinedValue(sensor.valueTexts.at(channel));
}

bool scenarioUsesChannels(const Scenario &scenario, const QList<int> &channels)
{
    for (const SocketProgram &program : scenario.sockets) {
        for (const QList<Condition> *rows : {&program.dayConditions, &program.nightConditions}) {
            for (const Condition &row : *rows) {
                if (row.source >= 1 && channels.contains(row.source))
                    return true;
            }
        }
    }
    return false;
}

bool listUsesChannels(const QList<Scenario> &scenarios, const QList<int> &channels)
{
    for (const Scenario &scenario : scenarios) {
        if (scenarioUsesChannels(scenario, channels))
            return true;
    }
    return false;
}

} // namespace

std::optional<float> parseRefinedValue(const QString &text)
{
    bool ok = false;
    const float value = QLocale::c().toFloat(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString cleanRefinedText(const QString &text)
{
    QString out = text;
    while (!out.isEmpty() && !parseRefinedValue(out)) {
        if (out == QLatin1String("-") || out == QLatin1String("-.") || out == QLatin1String("."))
            break;
        out.chop(1);
    }
    return out;
}

void applyRefinedValues(SensorSlot &sensor, int type, std::optional<float> refined1,
                        std::optional<float> refined2)
{
    if (type == SensorOneWireTemperature) {
        const std::optional<float> instant = instantValue(sensor, 0);
        if (!refined1 || !instant)
            return;
        if (sensor.calibration.isEmpty())
            sensor.calibration.append(CalibrationEntry{0, *refined1 - *instant});
        else
            sensor.calibration[0].offset += *refined1 - *instant;
    } else if (type == SensorTemperatureHumidity) {
        if (!refined1 && !refined2)
            return;
        if (sensor.calibration.size() < 2)
            sensor.calibration = {CalibrationEntry{}, CalibrationEntry{}};
        const std::optional<float> refined[2] = {refined1, refined2};
        for (int channel = 0; channel < 2; ++channel) {
            const std::optional<float> instant = instantValue(sensor, channel);
            if (refined[channel] && instant)
                sensor.calibration[channel].offset += *refined[channel] - *instant;
        }
    }
}

bool sensorUsedByConditions(const ControllerState &state, int index)
{
    if (index < 0 || index >= state.sensors.size())
        return false;
    const QList<int> &channels = state.sensors.at(index).channels;
    if (channels.isEmpty())
        return false;
    return listUsesChannels(state.scenarios, channels) || listUsesChannels(state.editedScenarios, channels);
}

QStringList scenariosUsingSensor(const ControllerState &state, int index)
{
    QStringList names;
    if (index < 0 || index >= state.sensors.size() || state.sensors.at(index).channels.isEmpty())
        return names;
    const QList<int> &channels = state.sensors.at(index).channels;
    for (const QList<Scenario> *list : {&state.scenarios, &state.editedScenarios}) {
        for (const Scenario &scenario : *list) {
            if (scenarioUsesChannels(scenario, channels) && !names.contains(scenario.name))
                names << scenario.name;
        }
    }
    return names;
}

SensorEdit rebuildSensor(ControllerState &state, int index, int type, const QString &name)
{
    if (index < 0 || index >= state.sensors.size())
        return SensorEdit::BadIndex;
    SensorSlot &sensor = state.sensors[index];
    if (type < SensorOff || type >= SensorTypeCount)
        type = SensorOff;
    // A section the program cannot show holds the input too: a type set here would contradict it.
    const bool keptOnInput = std::any_of(state.keptSensorSections.cbegin(), state.keptSensorSections.cend(),
                                         [index](const KeptSensorSection &kept) { return kept.input == index; });
    if (type != sensor.type && (keptOnInput || sensorUsedByConditions(state, index)))
        return SensorEdit::InUse;

    const QString keptName = cutToUtf8Bytes(name);
    if (type == SensorOff) {
        for (int id : std::as_const(sensor.channels)) {
            if (id >= 0 && id < ControllerState::ChannelIdCount)
                state.usedChannels[id] = 0;
        }
        sensor.channels.clear();
        sensor.type = SensorOff;
        sensor.name = keptName;
        state.uploadRequest = true;
        return SensorEdit::Disconnected;
    }

    // Work on copies: running out of ids must leave the sensor exactly as it was.
    QList<int> channels = sensor.channels;
    std::array<int, ControllerState::ChannelIdCount> used = state.usedChannels;
    const int needed = int(sensorTypeInfo(type).valueNames.size());
    while (channels.size() > needed) {
        const int id = channels.takeAt(needed);
        if (id >= 0 && id < ControllerState::ChannelIdCount)
            used[id] = 0;
    }
    while (channels.size() < needed) {
        int id = FirstSensorChannelId;
        while (id < ControllerState::ChannelIdCount && used[id] != 0)
            ++id;
        if (id == ControllerState::ChannelIdCount)
            return SensorEdit::OutOfChannels;
        used[id] = 1;
        channels.append(id);
    }

    const QByteArray section = buildSensorSection(index, type, keptName, channels, sensor.calibration);
    if (section.isEmpty())
        return SensorEdit::OutOfChannels;
    sensor.type = type;
    sensor.name = keptName;
    sensor.channels = channels;
    sensor.section = section;
    state.usedChannels = used;
    state.uploadRequest = true;
    return SensorEdit::Built;
}
