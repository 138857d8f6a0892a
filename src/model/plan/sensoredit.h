#pragma once

#include "model/controllerstate.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the sensor settings do to the program's picture of the controller: calibration from
// refined values and the sensor's type, channels and section rebuilt. No widgets here.

// A refined value as typed: a point is the decimal separator whatever the locale. Only finite
// numbers count.
std::optional<float> parseRefinedValue(const QString &text);

// The longest prefix of text that parses as a refined value. A lone sign (or sign and point) is
// kept as well, so that a negative value can be typed at all.
QString cleanRefinedText(const QString &text);

// Adds refined − instant to the calibration offsets of a sensor of the given type (1: one entry;
// 2: two entries, one per channel; other types are not calibrated). The instant values are the
// sensor's valueTexts; a channel without a readable instant value is left alone.
void applyRefinedValues(SensorSlot &sensor, int type, std::optional<float> refined1,
                        std::optional<float> refined2);

// True when a condition of a live or edited scenario reads one of the sensor's channels.
bool sensorUsedByConditions(const ControllerState &state, int index);
// The names of those scenarios, live ones first, each once.
QStringList scenariosUsingSensor(const ControllerState &state, int index);

enum class SensorEdit {
    Built,          // type, channels and section rebuilt; an upload is requested
    Disconnected,   // type 0: channels released; an upload is requested
    InUse,          // a type change on a sensor that conditions read, or on an input a kept
                    // section holds: nothing changed
    OutOfChannels,  // no free channel id: nothing changed
    BadIndex,
};

// Sets sensor `index` to type `type` (a catalogue code, 6 = unknown, handled as 0) with the given
// name: channels taken from / given back to ids 4..19 as the type needs, the section rebuilt with
// the sensor's calibration. Either everything changes or nothing does.
SensorEdit rebuildSensor(ControllerState &state, int index, int type, const QString &name);

// First channel id a sensor may take (0..3 are the sockets' values).
constexpr int FirstSensorChannelId = 4;
