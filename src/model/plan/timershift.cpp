#include "model/plan/timershift.h"

#include "model/numericutil.h"

int computeTimerShiftMinutes(const ControllerState &state)
{
    if (state.editedDayHours + state.editedNightHours != 24)
        return 0;
    const QDateTime &timersStart = state.timersStartTime.isValid() ? state.timersStartTime : state.startTime;
    if (!state.editedStartTime.isValid() || !timersStart.isValid())
        return 0;
    constexpr int day = 86400;
    const qint64 seconds = state.editedStartTime.secsTo(timersStart);
    // The difference is taken as a 32-bit value, as the controller's plan has always done.
    const qint32 seconds32 = qint32(quint32(quint64(seconds)));
    const int d = seconds32 % day + day;
    return (d % day) / 60;
}

qint64 shiftedTimerStart(double start, int shiftMinutes, qint64 cycleHours)
{
    const qint64 minutes = truncateToInt64(start) + shiftMinutes;
    const qint64 cycleMinutes = cycleHours * 60;
    return cycleMinutes > 0 ? minutes % cycleMinutes : minutes;
}
