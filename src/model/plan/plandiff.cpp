#include "model/plan/plandiff.h"

#include "model/numericutil.h"
#include "model/plan/plandifftext.h"
#include "model/codec/sensorcatalogue.h"

#include <QMap>

#include <algorithm>

namespace {

double param(const Condition &row, int i)
{
    return i < row.params.size() ? row.params.at(i) : 0.0;
}

bool onContactSensor(const ControllerState &plan, const Condition &row)
{
    return row.ref >= 0 && row.ref < plan.sensors.size() && plan.sensors.at(row.ref).type == SensorContact;
}

// Two rows are the same when the controller would run them alike: what the encoder writes of them,
// with a timer row's timer by its values rather than its slot number.
bool sameRow(const ControllerState &a, const Condition &x, const ControllerState &b, const Condition &y)
{
    if (x.source != y.source || quint8(x.priority) != quint8(y.priority))
        return false;
    if (x.source == BaseStateSource)
        return x.action == y.action;
    if (x.source == TimerSource) {
        for (int i = 0; i < 4; ++i) {
            if (truncateToInt64(param(x, i)) != truncateToInt64(param(y, i)))
                return false;
        }
        return x.action == y.action;
    }
    if (x.kind != y.kind || x.action != y.action)
        return false;
    if (x.kind == ConditionKind::Interval)
        return x.value == y.value
               && bitsFromFloat(toSinglePrecision(param(x, 0))) == bitsFromFloat(toSinglePrecision(param(y, 0)));
    // a two-state sensor's threshold is always written as 0.5
    return x.value == y.value || (onContactSensor(a, x) && onContactSensor(b, y));
}

PlanDiff::Row rowOf(const ControllerState &plan, const Condition &row)
{
    return PlanDiff::Row{row, planRowText(plan, row)};
}

// Rows are aligned on the longest run of rows both lists share; between those, a removed and an
// added row on the same source count as one changed row.
QList<PlanDiff::RowChange> diffRows(const ControllerState &a, const QList<Condition> &x, const ControllerState &b,
                                    const QList<Condition> &y)
{
    const qsizetype n = x.size();
    const qsizetype m = y.size();
    QList<QList<int>> common(n + 1, QList<int>(m + 1, 0));
    for (qsizetype i = n - 1; i >= 0; --i) {
        for (qsizetype j = m - 1; j >= 0; --j) {
            common[i][j] = sameRow(a, x.at(i), b, y.at(j)) ? common[i + 1][j + 1] + 1
                                                            : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    QList<PlanDiff::RowChange> changes;
    QList<qsizetype> removed;
    QList<qsizetype> added;
    const auto flushGap = [&]() {
        QList<bool> used(added.size(), false);
        for (qsizetype i : std::as_const(removed)) {
            qsizetype match = -1;
            for (qsizetype k = 0; k < added.size() && match < 0; ++k) {
                if (!used.at(k) && y.at(added.at(k)).source == x.at(i).source)
                    match = k;
            }
            if (match >= 0) {
                used[match] = true;
                changes << PlanDiff::RowChange{PlanDiff::RowChange::Changed, rowOf(a, x.at(i)), rowOf(b, y.at(added.at(match)))};
            } else {
                changes << PlanDiff::RowChange{PlanDiff::RowChange::Removed, rowOf(a, x.at(i)), {}};
            }
        }
        for (qsizetype k = 0; k < added.size(); ++k) {
            if (!used.at(k))
                changes << PlanDiff::RowChange{PlanDiff::RowChange::Added, {}, rowOf(b, y.at(added.at(k)))};
        }
        removed.clear();
        added.clear();
    };
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && sameRow(a, x.at(i), b, y.at(j)) && common[i][j] == common[i + 1][j + 1] + 1) {
            flushGap();
            ++i;
            ++j;
        } else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j])) {
            added << j++;
        } else {
            removed << i++;
        }
    }
    flushGap();
    return changes;
}

QList<QByteArray> keptRecords(const QList<KeptRow> &rows)
{
    QList<QByteArray> records;
    for (const KeptRow &row : rows)
        records << row.record;
    return records;
}

// Records of a that b lacks, each as often as it is missing.
template <typename T> QList<T> missingFrom(QList<T> a, const QList<T> &b)
{
    for (const T &item : b) {
        const qsizetype at = a.indexOf(item);
        if (at >= 0)
            a.removeAt(at);
    }
    return a;
}

void diffLists(const ControllerState &from, const Scenario &a, const ControllerState &to, const Scenario &b, bool added,
               PlanDiff &diff)
{
    QList<int> outputs = a.sockets.keys();
    for (int output : b.sockets.keys()) {
        if (!outputs.contains(output))
            outputs << output;
    }
    std::sort(outputs.begin(), outputs.end());
    bool changed = false;
    for (int output : std::as_const(outputs)) {
        const SocketProgram x = a.sockets.value(output);
        const SocketProgram y = b.sockets.value(output);
        for (bool night : {false, true}) {
            PlanDiff::ListChange list;
            list.scenario = b.name;
            list.output = output;
            list.outputName = outputName(b.sockets.contains(output) ? to : from, output);
            list.night = night;
            list.rows = diffRows(from, night ? x.nightConditions : x.dayConditions, to, night ? y.nightConditions : y.dayConditions);
            const QList<QByteArray> keptX = keptRecords(night ? x.keptNightRows : x.keptDayRows);
            const QList<QByteArray> keptY = keptRecords(night ? y.keptNightRows : y.keptDayRows);
            list.keptAdded = missingFrom(keptY, keptX);
            list.keptRemoved = missingFrom(keptX, keptY);
            if (list.rows.isEmpty() && list.keptAdded.isEmpty() && list.keptRemoved.isEmpty())
                continue;
            changed = true;
            diff.lists << list;
        }
    }
    if (changed && !added && !diff.scenariosChanged.contains(b.name))
        diff.scenariosChanged << b.name;
}

// Scenarios are matched by name; several of one name pair up in list order. An added scenario's
// rows are listed as added to an empty one.
void diffScenarios(const ControllerState &from, const ControllerState &to, PlanDiff &diff)
{
    QMap<QString, QList<const Scenario *>> remaining;
    for (const Scenario &s : from.scenarios)
        remaining[s.name] << &s;
    for (const Scenario &s : to.scenarios) {
        QList<const Scenario *> &same = remaining[s.name];
        if (same.isEmpty()) {
            diff.scenariosAdded << s.name;
            diffLists(from, Scenario(), to, s, true, diff);
            continue;
        }
        diffLists(from, *same.takeFirst(), to, s, false, diff);
    }
    for (const Scenario &s : from.scenarios) {
        QList<const Scenario *> &left = remaining[s.name];
        if (left.contains(&s))
            diff.scenariosRemoved << s.name;
    }
}

bool sameCalibration(const QList<CalibrationEntry> &a, const QList<CalibrationEntry> &b)
{
    const qsizetype n = std::max(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const CalibrationEntry x = a.value(i);
        const CalibrationEntry y = b.value(i);
        if (bitsFromFloat(x.offset) != bitsFromFloat(y.offset) || x.marker != y.marker)
            return false;
    }
    return true;
}

void diffSensors(const ControllerState &from, const ControllerState &to, PlanDiff &diff)
{
    for (int i = 0; i < ControllerState::SensorCount; ++i) {
        const SensorSlot a = from.sensors.value(i);
        const SensorSlot b = to.sensors.value(i);
        // the name of an input without a sensor is only its default caption
        if (a.type == SensorOff && b.type == SensorOff)
            continue;
        PlanDiff::SensorChange c{i, a.name, b.name, a.type, b.type, a.channels, b.channels, a.calibration, b.calibration, false};
        const bool shown = a.type != b.type || a.name != b.name || a.channels != b.channels
                           || !sameCalibration(a.calibration, b.calibration);
        c.otherBytes = !shown && a.type != SensorOff && b.type != SensorOff && a.section != b.section;
        if (shown || c.otherBytes)
            diff.sensors << c;
    }
    QList<QByteArray> sectionsA;
    QList<QByteArray> sectionsB;
    for (const KeptSensorSection &k : from.keptSensorSections)
        sectionsA << k.section;
    for (const KeptSensorSection &k : to.keptSensorSections)
        sectionsB << k.section;
    const QList<QByteArray> added = missingFrom(sectionsB, sectionsA);
    const QList<QByteArray> removed = missingFrom(sectionsA, sectionsB);
    for (const KeptSensorSection &k : to.keptSensorSections) {
        if (added.contains(k.section))
            diff.keptSectionsAdded << k;
    }
    for (const KeptSensorSection &k : from.keptSensorSections) {
        if (removed.contains(k.section))
            diff.keptSectionsRemoved << k;
    }
}

QDateTime cycleStart(const ControllerState &s)
{
    return s.cycleCount > 0 ? s.startTime : QDateTime();
}

QDateTime cycleEnd(const ControllerState &s)
{
    return s.cycleCount > 0 ? s.startTime.addSecs(qint64(s.cycleCount) * (s.dayHours + s.nightHours) * 3600) : QDateTime();
}

QString scenarioNameOfDay(const ControllerState &s, int day)
{
    const int index = s.days.value(day).scenarioIndex;
    return index >= 0 && index < s.scenarios.size() ? s.scenarios.at(index).name : QString();
}

} // namespace

bool PlanDiff::isEmpty() const
{
    return !start.changed() && !end.changed() && !cycleCount.changed() && !dayHours.changed() && !nightHours.changed()
           && scenariosAdded.isEmpty() && scenariosRemoved.isEmpty() && scenariosChanged.isEmpty() && days.isEmpty()
           && sockets.isEmpty() && sensors.isEmpty() && lists.isEmpty() && keptSectionsAdded.isEmpty()
           && keptSectionsRemoved.isEmpty();
}

PlanDiff diffPlans(const ControllerState &from, const ControllerState &to)
{
    PlanDiff diff;
    diff.start = {cycleStart(from), cycleStart(to)};
    diff.end = {cycleEnd(from), cycleEnd(to)};
    diff.cycleCount = {from.cycleCount, to.cycleCount};
    diff.dayHours = {from.dayHours, to.dayHours};
    diff.nightHours = {from.nightHours, to.nightHours};
    diffScenarios(from, to, diff);

    const int commonDays = qMin(qMin(from.days.size(), to.days.size()), qMin(from.cycleCount, to.cycleCount));
    for (int day = 0; day < commonDays; ++day) {
        const QString a = scenarioNameOfDay(from, day);
        const QString b = scenarioNameOfDay(to, day);
        if (a != b)
            diff.days << PlanDiff::DayChange{day, a, b};
    }
    for (int i = 0; i < ControllerState::SocketCount; ++i) {
        const SocketSlot a = from.sockets.value(i);
        const SocketSlot b = to.sockets.value(i);
        if (a.name != b.name || a.baseFlag != b.baseFlag)
            diff.sockets << PlanDiff::SocketChange{i, a.name, b.name, a.baseFlag, b.baseFlag};
    }
    diffSensors(from, to, diff);
    return diff;
}
