#pragma once

// Made-up but plausible readings of the sensor inputs: slow daily waves with a little jitter, so
// that live values move. Everything is a function of the controller's clock, so a given time always
// gives the same reading.

#include <QtGlobal>

namespace SimSensorValues {

// Reading of channel `position` of a sensor of `type` on `input` at local wall-clock second t.
// Type 1: temperature °C; type 2: humidity % (position 0) and temperature (position 1); type 3:
// contact, 1 open / 0 closed; type 5: millivolts. Other types read 0.
float reading(int type, int input, int position, qint64 t);

// The 32-bit status slot of that reading: float bits, except the contact which is an integer.
quint32 statusWord(int type, int input, int position, qint64 t);

struct Span
{
    float min = 0;
    float avg = 0;
    float max = 0;
};

// Minimum, average and maximum over (from, to], sampled every few minutes.
Span span(int type, int input, int position, qint64 from, qint64 to);

// Types whose readings go to the event log and the status record.
bool isMeasuring(int type);

} // namespace SimSensorValues
