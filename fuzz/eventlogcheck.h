#pragma once

// One run of the event-log parser on arbitrary bytes against a fixed configuration, with the
// properties every run must keep. Shared by the libFuzzer target and the corpus regression test.

#include "model/plan/basescenario.h"
#include "model/log/eventlog.h"
#include "model/log/historytable.h"
#include "model/numericutil.h"

#include <cmath>

namespace EventLogCheck {

inline const QDateTime &now()
{
    static const QDateTime t(QDate(2026, 3, 1), QTime(12, 0));
    return t;
}

inline Condition row(int channel, ConditionKind kind, float threshold, QList<double> params = {})
{
    Condition c;
    c.ref = 0;
    c.source = channel;
    c.kind = kind;
    c.value = bitsFromFloat(threshold);
    c.priority = 1;
    c.params = params;
    return c;
}

// Every kind of input: two channels, one channel, a relay, an input switched off; conditions of
// every kind by day and night; a cycle around "now" whose day list is shorter than its count.
inline ControllerState configuration()
{
    ControllerState s;
    s.sensors[0].type = 2;
    s.sensors[0].channels = {4, 5};
    s.sensors[1].type = 1;
    s.sensors[1].channels = {19};
    s.sensors[2].type = 4;
    s.sensors[2].channels = {6};
    s.sensors[3].type = 5;
    s.sensors[3].channels = {20};  // beyond the channel index
    s.sensors[4].type = 3;
    s.sensors[4].channels = {7};
    s.dayHours = 16;
    s.nightHours = 8;
    s.cycleCount = 40;
    s.startTime = now().addDays(-20);
    for (int d = 0; d < 30; ++d)
        s.days.append(CycleDay{s.startTime.addDays(d), d % 3 == 1 ? 1 : 0});
    s.scenarios = {baseScenario(), baseScenario()};
    SocketProgram &p = s.scenarios[1].sockets[1];
    p.dayConditions = {row(4, ConditionKind::Above, 60), row(5, ConditionKind::Below, 18), row(19, ConditionKind::Interval, 20, {25}),
                       row(7, ConditionKind::Interval, 1)};
    p.nightConditions = {row(5, ConditionKind::Interval, 15, {22}), row(20, ConditionKind::Above, 0), row(0, ConditionKind::Above, 0)};
    return s;
}

inline QString run(const QByteArray &log)
{
    ControllerState s = configuration();
    parseEventLog(s, log, now());
    if (s.events.size() > log.size() / EventLog::RecordSize)
        return QStringLiteral("more records than the block holds");
    const QDateTime from = now().addYears(-EventLog::WindowYears);
    const QDateTime to = now().addYears(EventLog::WindowYears);
    for (int i = 0; i < s.events.size(); ++i) {
        const EventRecord &e = s.events.at(i);
        if (!e.time.isValid() || e.time <= from || e.time >= to)
            return QStringLiteral("record %1 outside the window").arg(i);
        if (e.sensor < EventLog::PowerOff || e.sensor >= ControllerState::SensorCount)
            return QStringLiteral("record %1: sensor %2").arg(i).arg(e.sensor);
        if (std::isnan(e.min) || std::isnan(e.avg) || std::isnan(e.max))
            return QStringLiteral("record %1 holds NaN").arg(i);
        if ((e.minHit != 0 && e.minHit != 1) || (e.maxHit != 0 && e.maxHit != 1))
            return QStringLiteral("record %1: hit flags").arg(i);
        if ((e.minHit || e.maxHit) && (e.sensor < 0 || e.cycle < 0 || e.cycle >= s.days.size()))
            return QStringLiteral("record %1 marked outside the plan").arg(i);
        if (i > 0) {
            const EventRecord &p = s.events.at(i - 1);
            if (e.time < p.time)
                return QStringLiteral("record %1 out of order").arg(i);
            if (e.time == p.time && e.sensor == p.sensor && e.position == p.position)
                return QStringLiteral("record %1 duplicated").arg(i);
        }
    }
    // the page's rows of the whole window come out of the same records without trouble
    const HistoryColumns columns = buildHistoryColumns(s);
    const HistoryFill fill = fillHistory(columns, s.events, from.date(), to.date(), QLocale::c());
    if (fill.csvLines.size() != fill.rows.size() + 1)
        return QStringLiteral("CSV lines and rows differ");
    return QString();
}

} // namespace EventLogCheck
