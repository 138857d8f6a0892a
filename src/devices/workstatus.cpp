#include "devices/workstatus.h"

#include "model/codec/statusrecord.h"

#include <algorithm>

namespace {
constexpr int MaxCountdownMinutes = 99 * 60; // the text has room for two hour digits
}

WorkStatus workStatusOf(const StatusRecord &record, const WorkCycleTimes &cycle, const QDateTime &now)
{
    WorkStatus status;
    if (cycle.cycleCount == 0) {
        status.kind = WorkStatus::NoScenario;
        return status;
    }
    if (!record.workActive()) {
        status.kind = WorkStatus::Stopped;
        return status;
    }
    status.kind = WorkStatus::Running;

    const int toStart = record.minutesToStart();
    if (toStart != 0 || (cycle.startTime.isValid() && now < cycle.startTime)) {
        const int minutes = std::min(toStart, MaxCountdownMinutes);
        status.beforeStart = true;
        status.hours = minutes / 60;
        status.minutes = minutes % 60;
        return status;
    }

    const int hour = record.hour();
    const int minute = record.minute();
    int remaining;
    if (hour < cycle.dayHours) {
        status.dayPhase = true;
        remaining = (cycle.dayHours - hour) * 60 - minute;
    } else {
        status.dayPhase = false;
        remaining = (cycle.dayHours - hour + cycle.nightHours) * 60 - minute;
    }
    remaining = std::max(remaining, 0);
    status.hours = remaining / 60;
    status.minutes = remaining % 60;
    return status;
}
