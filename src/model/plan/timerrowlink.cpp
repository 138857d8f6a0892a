#include "model/codec/configimage.h"

#include "model/numericutil.h"

namespace {

void linkList(QList<Condition> &rows, QList<TimerSlot> &timers, bool night)
{
    for (int n = 0; n < rows.size(); ++n) {
        Condition &row = rows[n];
        if (row.source != TimerSource || row.params.isEmpty())
            continue;
        // The timer index is the last param: the only one right after decoding, and still the
        // last once linked, so linking twice changes nothing.
        const qint64 s = truncateToInt64(row.params.last());
        if (s < 0 || s >= timers.size())
            continue;  // names no timer; the rows after it are still linked
        TimerSlot &timer = timers[s];
        row.params = {double(timer.start), double(timer.duration), double(timer.period),
                      double(timer.count), double(s)};
        if (night) {
            timer.usedByNight = 1;
            timer.nightRow = n;
        } else {
            timer.usedByDay = 1;
            timer.dayRow = n;
        }
    }
}

} // namespace

void linkTimerRows(ControllerState &state)
{
    for (Scenario &scenario : state.scenarios) {
        for (SocketProgram &program : scenario.sockets) {
            linkList(program.dayConditions, program.timers, false);
            linkList(program.nightConditions, program.timers, true);
        }
    }
}
