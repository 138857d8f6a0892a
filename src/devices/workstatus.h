#pragma once

#include <QDateTime>

class StatusRecord;

// What the devices page's status line says, worked out from a status record and the live work
// cycle.
struct WorkStatus
{
    enum Kind { Running = 0, Stopped = 1, NoScenario = 2 };

    int kind = NoScenario;
    bool dayPhase = true;
    bool beforeStart = false;
    int hours = 0;    // of the countdown; may exceed 23
    int minutes = 0;
};

struct WorkCycleTimes
{
    int cycleCount = 0;
    int dayHours = 24;
    int nightHours = 0;
    QDateTime startTime;
};

WorkStatus workStatusOf(const StatusRecord &record, const WorkCycleTimes &cycle, const QDateTime &now);
