#include "sim/simworkcycle.h"

namespace {

constexpr int MaxMinutesToStart = 0xFFFFFF;
constexpr int On = 100;

bool timerRunning(const SimTimer &timer, int minuteInCycle)
{
    const int repeats = qMax(1, timer.count);
    for (int i = 0; i < repeats; ++i) {
        const qint64 from = timer.start + qint64(i) * timer.period;
        if (from > minuteInCycle)
            break;
        if (minuteInCycle < from + timer.duration)
            return true;
        if (timer.period <= 0)
            break;
    }
    return false;
}

// Whether the row applies now, and the level it asks for.
bool rowApplies(const SimCondition &row, const SimProgram &program, int minuteInCycle,
                const std::function<float(int)> &channelValue, int *level)
{
    if (row.source == 0) {
        *level = row.actionOn ? On : 0;
        return true;
    }
    if (row.source == 0xFF) {
        if (row.code >= program.timers.size() || !timerRunning(program.timers.at(row.code), minuteInCycle))
            return false;
        *level = row.actionOn ? On : 0;
        return true;
    }
    const float value = channelValue(row.source);
    switch (row.code) {
    case 7:
        *level = row.actionOn ? On : 0;
        return value < row.threshold;
    case 13:
    case 14:
        *level = row.code == 13 ? On : 0;
        return value < row.threshold || value > row.upper;
    default:
        *level = row.actionOn ? On : 0;
        return value > row.threshold;
    }
}

} // namespace

SimWorkTime simWorkTime(const SimImage &image, qint64 now)
{
    SimWorkTime t;
    const qint64 period = qint64(image.dayHours + image.nightHours) * 3600;
    if (!image.hasCycle || image.cycleCount <= 0 || period <= 0)
        return t;
    if (now < image.startSeconds) {
        t.minutesToStart = int(qMin<qint64>(MaxMinutesToStart, (image.startSeconds - now + 59) / 60));
        t.daysLeft = image.cycleCount;
        return t;
    }
    const qint64 elapsed = now - image.startSeconds;
    const qint64 day = elapsed / period;
    if (day >= image.cycleCount)
        return t;
    const qint64 within = elapsed % period;
    t.inWork = true;
    t.cycleDay = int(day);
    t.daysLeft = image.cycleCount - int(day);
    t.hour = int(within / 3600);
    t.minute = int(within % 3600 / 60);
    t.dayPhase = t.hour < image.dayHours;
    return t;
}

int simWorkOutputLevel(const SimImage &image, const SimWorkTime &time, int output,
                       const std::function<float(int)> &channelValue)
{
    if (!time.inWork)
        return -1;
    const SimScenario *scenario = image.scenarioOfDay(time.cycleDay);
    if (!scenario || !scenario->programs.contains(output))
        return output < 4 ? (time.dayPhase ? On : 0) : -1;

    const SimProgram &program = scenario->programs[output];
    const QList<SimCondition> &rows = time.dayPhase ? program.day : program.night;
    const int minuteInCycle = time.hour * 60 + time.minute;
    int best = -1;
    int level = 0;
    for (const SimCondition &row : rows) {
        int rowLevel = 0;
        if (row.priority > best && rowApplies(row, program, minuteInCycle, channelValue, &rowLevel)) {
            best = row.priority;
            level = rowLevel;
        }
    }
    return level;
}
