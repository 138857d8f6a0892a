#include "model/plan/plancheck.h"

#include "model/numericutil.h"
#include "model/codec/sensorcatalogue.h"

#include <algorithm>

namespace {

using PlanCheck::Severity;

// A timer repeats at most this often within the check: repeat counts come from files and need
// no more than what fits a cycle.
constexpr qint64 MaxTimerRepeats = 2000;

struct Window
{
    qint64 from = 0;
    qint64 to = 0; // exclusive
};

QString number(double value)
{
    return QString::number(value, 'g', 6).replace(QLatin1Char('.'), QLatin1Char(','));
}

class Checker
{
public:
    explicit Checker(const ControllerState &state) : m_state(state) {}

    QList<PlanFinding> run()
    {
        const QList<Scenario> &scenarios = m_state.editedScenarios;
        for (int s = 0; s < scenarios.size(); ++s)
            checkPrograms(s, scenarios.at(s).name, scenarios.at(s).sockets);
        checkDays();
        return m_findings;
    }

    QList<PlanFinding> runPrograms(int s, const QString &name, const QMap<int, SocketProgram> &sockets)
    {
        checkPrograms(s, name, sockets);
        return m_findings;
    }

private:
    void checkPrograms(int s, const QString &name, const QMap<int, SocketProgram> &sockets)
    {
        m_name = name;
        for (auto it = sockets.cbegin(); it != sockets.cend(); ++it) {
            checkList(s, it.key(), PlanCheck::DayPhase, it.value());
            checkList(s, it.key(), PlanCheck::NightPhase, it.value());
        }
    }

    int cycleMinutes() const { return (m_state.editedDayHours + m_state.editedNightHours) * 60; }

    bool phaseComes(int phase) const
    {
        return phase == PlanCheck::DayPhase ? m_state.editedDayHours > 0 : m_state.editedNightHours > 0;
    }

    Window phaseWindow(int phase) const
    {
        const qint64 dayEnd = qint64(m_state.editedDayHours) * 60;
        return phase == PlanCheck::DayPhase ? Window{0, dayEnd} : Window{dayEnd, cycleMinutes()};
    }

    QString where(int output, int phase, int row) const
    {
        QString text = QStringLiteral("«%1», %2, %3").arg(m_name, outputName(m_state, output),
                                                          phase == PlanCheck::DayPhase ? QStringLiteral("день")
                                                                                       : QStringLiteral("ночь"));
        if (row >= 0)
            text += QStringLiteral(", строка %1").arg(row + 1);
        return text + QStringLiteral(": ");
    }

    void add(const QString &code, Severity severity, int scenario, int output, int phase, int row, const QString &what)
    {
        PlanFinding f;
        f.code = code;
        f.severity = severity;
        f.scenario = scenario;
        f.output = output;
        f.phase = phase;
        f.row = row;
        f.text = (scenario >= 0 && output > 0 ? where(output, phase, row) : QString()) + what;
        m_findings << f;
    }

    // The catalogue row of the input a sensor row reads and the channel's position in it; null
    // when the input is off or no longer offers the channel.
    const SensorTypeInfo *channelOf(const Condition &row, int *position) const
    {
        if (row.ref < 0 || row.ref >= m_state.sensors.size())
            return nullptr;
        const SensorSlot &sensor = m_state.sensors.at(row.ref);
        if (sensor.type == SensorOff || sensor.type >= SensorTypeCount)
            return nullptr;
        const SensorTypeInfo &info = sensorTypeInfo(sensor.type);
        *position = int(sensor.channels.indexOf(row.source));
        if (*position < 0 || *position >= info.valueNames.size())
            return nullptr;
        return &info;
    }

    QString withUnit(double value, const SensorTypeInfo *info, int position) const
    {
        const QString unit = info ? info->units.value(position) : QString();
        return unit.isEmpty() ? number(value) : number(value) + QLatin1Char(' ') + unit;
    }

    void checkList(int s, int output, int phase, const SocketProgram &program)
    {
        const QList<Condition> &rows = phase == PlanCheck::DayPhase ? program.dayConditions : program.nightConditions;
        const bool comes = phaseComes(phase);
        for (int r = 0; r < rows.size(); ++r) {
            const Condition &row = rows.at(r);
            if (row.source == TimerSource)
                checkTimer(s, output, phase, r, row, program);
            else if (row.source != BaseStateSource)
                checkSensorRow(s, output, phase, r, row);
        }
        if (!comes)
            return;
        checkHysteresis(s, output, phase, rows);
        checkTimerOverlap(s, output, phase, rows);
        checkConstantOutput(s, output, phase, rows);
    }

    void checkSensorRow(int s, int output, int phase, int r, const Condition &row)
    {
        int position = -1;
        const SensorTypeInfo *info = channelOf(row, &position);
        if (!info) {
            const SensorSlot *sensor = row.ref >= 0 && row.ref < m_state.sensors.size() ? &m_state.sensors.at(row.ref) : nullptr;
            const QString name = sensor ? sensor->name : QString();
            add(QStringLiteral("disconnected-input"), Severity::Error, s, output, phase, r,
                sensor && sensor->type == SensorOff
                    ? QStringLiteral("условие читает вход «%1», который отключён").arg(name)
                    : QStringLiteral("условие читает канал, которого у входа «%1» нет").arg(name));
            return;
        }
        if (row.kind != ConditionKind::Interval)
            return;
        const double lower = floatFromBits(row.value);
        const double upper = row.params.value(0);
        if (!(upper > lower)) {
            add(QStringLiteral("inverted-interval"), Severity::Error, s, output, phase, r,
                QStringLiteral("верхняя граница интервала (%1) не выше нижней (%2)")
                    .arg(withUnit(upper, info, position), withUnit(lower, info, position)));
            return;
        }
        const double noise = info->noiseWidths.value(position);
        if (upper - lower < noise)
            add(QStringLiteral("no-hysteresis"), Severity::Warning, s, output, phase, r,
                QStringLiteral("интервал %1 уже обычного разброса показаний (%2): реле будет часто переключаться")
                    .arg(withUnit(upper - lower, info, position), withUnit(noise, info, position)));
    }

    // An above row and a below row on one channel with opposite actions: between their
    // thresholds lies the band in which nothing switches. Without one the relay follows every
    // small change.
    void checkHysteresis(int s, int output, int phase, const QList<Condition> &rows)
    {
        for (int a = 0; a < rows.size(); ++a) {
            const Condition &above = rows.at(a);
            if (above.kind != ConditionKind::Above || above.source < 1)
                continue;
            int position = -1;
            const SensorTypeInfo *info = channelOf(above, &position);
            if (!info || info->code == SensorContact)
                continue;
            for (int b = 0; b < rows.size(); ++b) {
                const Condition &below = rows.at(b);
                if (below.kind != ConditionKind::Below || below.source != above.source || below.action == above.action)
                    continue;
                const double high = floatFromBits(above.value);
                const double low = floatFromBits(below.value);
                const double noise = info->noiseWidths.value(position);
                const int row = std::max(a, b);
                if (high <= low) {
                    add(QStringLiteral("no-hysteresis"), Severity::Warning, s, output, phase, row,
                        QStringLiteral("пороги «выше %1» и «ниже %2» не оставляют зазора: реле будет переключаться при каждом колебании")
                            .arg(withUnit(high, info, position), withUnit(low, info, position)));
                } else if (high - low < noise) {
                    add(QStringLiteral("no-hysteresis"), Severity::Warning, s, output, phase, row,
                        QStringLiteral("зазор между порогами «выше %1» и «ниже %2» уже обычного разброса показаний (%3)")
                            .arg(withUnit(high, info, position), withUnit(low, info, position), withUnit(noise, info, position)));
                }
            }
        }
    }

    static double param(const Condition &row, int i) { return row.params.value(i); }

    QList<Window> timerWindows(const Condition &row) const
    {
        QList<Window> windows;
        const qint64 start = truncateToInt64(param(row, 0));
        const qint64 duration = truncateToInt64(param(row, 1));
        const qint64 period = truncateToInt64(param(row, 2));
        const qint64 count = qBound(qint64(1), truncateToInt64(param(row, 3)), MaxTimerRepeats);
        for (qint64 i = 0; i < count; ++i) {
            const qint64 from = start + i * period;
            if (from >= cycleMinutes() || (i > 0 && period <= 0))
                break;
            windows << Window{from, from + std::max<qint64>(0, duration)};
        }
        return windows;
    }

    bool startsIn(const QList<Window> &windows, int phase) const
    {
        const Window span = phaseWindow(phase);
        return phaseComes(phase) && !windows.isEmpty() && windows.first().from >= span.from && windows.first().from < span.to;
    }

    // A timer is one slot the editor lists in both tables; it runs in the phase its start lies in.
    // Only a timer that starts in no phase it is listed in never runs.
    void checkTimer(int s, int output, int phase, int r, const Condition &row, const SocketProgram &program)
    {
        const int otherPhase = phase == PlanCheck::DayPhase ? PlanCheck::NightPhase : PlanCheck::DayPhase;
        const QList<Condition> &other = phase == PlanCheck::DayPhase ? program.nightConditions : program.dayConditions;
        const bool twin = std::any_of(other.cbegin(), other.cend(), [&row](const Condition &c) {
            return c.source == TimerSource && c.params.value(4) == row.params.value(4);
        });
        const QList<Window> windows = timerWindows(row);
        if (!startsIn(windows, phase)) {
            if (twin && startsIn(windows, otherPhase))
                return; // it runs in the other phase
            if (twin && phase == PlanCheck::NightPhase)
                return; // the day row of the pair says it
            add(QStringLiteral("timer-never-runs"), Severity::Error, s, output, phase, r,
                phaseComes(phase) || twin ? QStringLiteral("таймер начинается вне фазы: он никогда не сработает")
                                          : QStringLiteral("в цикле нет ночи: ночной таймер никогда не сработает"));
            return;
        }
        const Window phaseSpan = phaseWindow(phase);
        const qint64 requested = qBound(qint64(1), truncateToInt64(param(row, 3)), MaxTimerRepeats);
        const bool cut = windows.size() < requested || windows.last().to > phaseSpan.to
                         || std::any_of(windows.cbegin(), windows.cend(), [&](const Window &w) { return w.from >= phaseSpan.to; });
        if (cut)
            add(QStringLiteral("timer-never-runs"), Severity::Warning, s, output, phase, r,
                QStringLiteral("повторы таймера не умещаются в фазу: последние не сработают"));
    }

    void checkTimerOverlap(int s, int output, int phase, const QList<Condition> &rows)
    {
        QList<int> timerRows;
        for (int r = 0; r < rows.size(); ++r)
            if (rows.at(r).source == TimerSource)
                timerRows << r;
        for (int i = 0; i < timerRows.size(); ++i) {
            const QList<Window> a = timerWindows(rows.at(timerRows.at(i)));
            for (int j = i + 1; j < timerRows.size(); ++j) {
                const QList<Window> b = timerWindows(rows.at(timerRows.at(j)));
                if (overlap(a, b))
                    add(QStringLiteral("timer-overlap"), Severity::Warning, s, output, phase, timerRows.at(j),
                        QStringLiteral("таймер пересекается с таймером в строке %1").arg(timerRows.at(i) + 1));
            }
        }
    }

    // Both lists are sorted by start and their windows do not overlap among themselves.
    static bool overlap(const QList<Window> &a, const QList<Window> &b)
    {
        int i = 0;
        int j = 0;
        while (i < a.size() && j < b.size()) {
            if (a.at(i).from < b.at(j).to && b.at(j).from < a.at(i).to && a.at(i).to > a.at(i).from
                && b.at(j).to > b.at(j).from)
                return true;
            if (a.at(i).to <= b.at(j).to)
                ++i;
            else
                ++j;
        }
        return false;
    }

    // Rules that all ask for what the base state already gives can never switch the output the
    // other way. A list that holds only its base state is meant to be constant.
    void checkConstantOutput(int s, int output, int phase, const QList<Condition> &rows)
    {
        bool hasRule = false;
        bool on = false;
        bool off = false;
        for (const Condition &row : rows) {
            hasRule = hasRule || row.source != BaseStateSource;
            // an interval switches one way below its band and the other way above it
            const bool interval = row.source != BaseStateSource && row.source != TimerSource && row.kind == ConditionKind::Interval;
            on = on || interval || row.action == ConditionAction::On;
            off = off || interval || row.action == ConditionAction::Off;
        }
        if (!hasRule || (on && off))
            return;
        if (on)
            add(QStringLiteral("always-on"), Severity::Warning, s, output, phase, -1,
                QStringLiteral("ни одно условие не выключает устройство: оно всегда включено"));
        else if (off)
            add(QStringLiteral("always-off"), Severity::Warning, s, output, phase, -1,
                QStringLiteral("ни одно условие не включает устройство: оно всегда выключено"));
    }

    void checkDays()
    {
        const QList<Scenario> &scenarios = m_state.editedScenarios;
        const int count = std::min<int>(m_state.editedCycleCount, ControllerState::MaxCycleDays);
        QList<int> used(scenarios.size(), 0);
        int runStart = -1;
        const auto closeRun = [&](int end) {
            if (runStart < 0)
                return;
            PlanFinding f;
            f.code = QStringLiteral("day-without-scenario");
            f.severity = Severity::Warning;
            f.day = runStart;
            f.text = runStart + 1 == end ? QStringLiteral("день %1 цикла без сценария: работает базовый сценарий").arg(runStart + 1)
                                         : QStringLiteral("дни %1–%2 цикла без сценария: работает базовый сценарий").arg(runStart + 1).arg(end);
            m_findings << f;
            runStart = -1;
        };
        for (int d = 0; d < count; ++d) {
            const int index = d < m_state.editedDays.size() ? m_state.editedDays.at(d).scenarioIndex : -1;
            if (index < 0 || index >= scenarios.size()) {
                closeRun(d);
                PlanFinding f;
                f.code = QStringLiteral("day-without-scenario");
                f.severity = Severity::Error;
                f.day = d;
                f.text = QStringLiteral("день %1 цикла ссылается на сценарий, которого нет").arg(d + 1);
                m_findings << f;
                continue;
            }
            ++used[index];
            if (index == 0 && scenarios.size() > 1) {
                if (runStart < 0)
                    runStart = d;
            } else {
                closeRun(d);
            }
        }
        closeRun(count);
        if (count == 0)
            return;
        for (int s = 1; s < scenarios.size(); ++s) {
            if (used.at(s) != 0)
                continue;
            PlanFinding f;
            f.code = QStringLiteral("unused-scenario");
            f.severity = Severity::Warning;
            f.scenario = s;
            f.text = QStringLiteral("сценарий «%1» не назначен ни одному дню цикла").arg(scenarios.at(s).name);
            m_findings << f;
        }
    }

    const ControllerState &m_state;
    QString m_name; // of the scenario whose programs are checked
    QList<PlanFinding> m_findings;
};

} // namespace

QList<PlanFinding> checkPlan(const ControllerState &state)
{
    return Checker(state).run();
}

QList<PlanFinding> checkScenarioPrograms(const ControllerState &state, int scenario, const QString &name,
                                        const QMap<int, SocketProgram> &sockets)
{
    return Checker(state).runPrograms(scenario, name, sockets);
}

QStringList findingLines(const QList<PlanFinding> &findings)
{
    QStringList lines;
    for (const PlanFinding &f : findings)
        lines << (f.isError() ? QStringLiteral("Ошибка: ") : QStringLiteral("Предупреждение: ")) + f.text;
    return lines;
}

bool hasPlanErrors(const QList<PlanFinding> &findings)
{
    return std::any_of(findings.cbegin(), findings.cend(), [](const PlanFinding &f) { return f.isError(); });
}

QString severityName(PlanCheck::Severity severity)
{
    return severity == PlanCheck::Severity::Error ? QStringLiteral("error") : QStringLiteral("warning");
}

QString phaseName(int phase)
{
    switch (phase) {
    case PlanCheck::DayPhase:
        return QStringLiteral("day");
    case PlanCheck::NightPhase:
        return QStringLiteral("night");
    default:
        return QString();
    }
}
