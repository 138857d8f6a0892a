#pragma once

#include <QDateTime>

// One decoded record of the controller's event log: a measurement of one sensor channel or a
// power marker. The history page reads the list the controller state holds.
struct EventRecord
{
    int sensor = 0;       // 0..5; -1 power on; -2 power off
    int cycle = 0;        // work-cycle index (measurements inside the work period only)
    int hourInCycle = 0;  // below dayHours = day part
    QDateTime time;       // local time
    int channel = 0;      // position in the sensor's channels at parse, then the channel id
    int seq = 0;          // position when appended
    int position = 0;     // channel position in the sensor's channels, kept after placement
    float min = 0;
    float avg = 0;
    float max = 0;
    int maxHit = 0;
    int minHit = 0;
};
