#pragma once

// Where the running work cycle stands at a given time, and what it asks of each output.

#include "sim/simimage.h"

#include <functional>

struct SimWorkTime
{
    bool inWork = false;    // started, not finished
    int minutesToStart = 0; // non-zero before the start
    int daysLeft = 0;       // cycle days still to run; 0 once the cycle is over or without one
    int cycleDay = 0;
    int hour = 0;           // within the cycle day
    int minute = 0;
    bool dayPhase = true;
};

SimWorkTime simWorkTime(const SimImage &image, qint64 now);

// Level (100 on, 0 off) the work gives an output index (0..3 sockets, 4..9 relays on inputs 0..5),
// or -1 when the work does not drive it. A scenario program decides by its highest-priority row
// that applies (base state, a running timer, a sensor condition; none applies: off); without a
// program a socket is on by day and off by night.
int simWorkOutputLevel(const SimImage &image, const SimWorkTime &time, int output,
                       const std::function<float(int channelId)> &channelValue);
