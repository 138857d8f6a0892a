#pragma once

#include "model/controllerstate.h"

#include <QByteArray>
#include <QDateTime>

// The controller's event log: 20-byte little-endian records, measurements and power markers.
namespace EventLog {
constexpr int RecordSize = 20;
constexpr quint32 PowerMarker = 0xFEFEFFFF;   // bytes FF FF FE FE
constexpr qint64 MeasurementEpoch = 1577836800;  // 2020-01-01 00:00, seconds since 1970
constexpr int WindowYears = 5;                 // records further than this from now are noise
constexpr int PowerOn = -1;                    // EventRecord::sensor of the power markers
constexpr int PowerOff = -2;
}

// Rebuilds state.events from a log block: decodes the whole records (a trailing partial record is
// ignored), drops what cannot be placed (unknown markers, sensors or channel positions, NaN values,
// times outside now +- 5 years), sorts them, removes duplicates, places the measurements in the
// work cycle and marks the values that a condition of that day's scenario would have acted on.
// Reads nothing past the block.
void parseEventLog(ControllerState &state, const QByteArray &log);
// The same with a fixed "now" (its offset from UTC is the controller's).
void parseEventLog(ControllerState &state, const QByteArray &log, const QDateTime &now);
