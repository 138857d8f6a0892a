#pragma once

#include "model/controllerstate.h"

#include <QList>

// What one output does over one cycle of day and night, as far as the plan alone decides it:
// timers, base states and phases are known; a sensor rule that outranks them leaves it to the
// readings.
namespace DayPreview {

enum State { Off = 0, On = 1, BySensor = 2 };

struct Span
{
    int from = 0; // minute of the cycle
    int to = 0;   // exclusive
    int state = Off;
    bool operator==(const Span &o) const { return from == o.from && to == o.to && state == o.state; }
};

// Spans in order, covering the whole cycle of dayHours + nightHours, neighbours of one state merged.
QList<Span> outputSpans(const SocketProgram &program, int dayHours, int nightHours);

} // namespace DayPreview
