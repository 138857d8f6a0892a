#include "model/plandiff.h"

#include "model/wallclock.h"

#include <QJsonArray>
#include <QMap>

namespace {

bool sameCondition(const Condition &a, const Condition &b)
{
    return a.ref == b.ref && a.kind == b.kind && a.value == b.value && a.priority == b.priority
           && a.action == b.action && a.source == b.source && a.params == b.params;
}

bool sameConditions(const QList<Condition> &a, const QList<Condition> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (!sameCondition(a.at(i), b.at(i)))
            return false;
    }
    return true;
}

bool sameTimers(const QList<TimerSlot> &a, const QList<TimerSlot> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        const TimerSlot &x = a.at(i);
        const TimerSlot &y = b.at(i);
        if (x.start != y.start || x.duration != y.duration || x.period != y.period || x.count != y.count)
            return false;
    }
    return true;
}

bool sameTimetable(const Scenario &a, const Scenario &b)
{
    if (a.sockets.keys() != b.sockets.keys())
        return false;
    for (auto it = a.sockets.cbegin(); it != a.sockets.cend(); ++it) {
        const SocketProgram &other = b.sockets.value(it.key());
        if (!sameConditions(it->dayConditions, other.dayConditions)
            || !sameConditions(it->nightConditions, other.nightConditions) || !sameTimers(it->timers, other.timers))
            return false;
    }
    return true;
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

// Scenarios are matched by name; several of one name pair up in list order.
void diffScenarios(const ControllerState &from, const ControllerState &to, PlanDiff &diff)
{
    QMap<QString, QList<const Scenario *>> remaining;
    for (const Scenario &s : from.scenarios)
        remaining[s.name] << &s;
    for (const Scenario &s : to.scenarios) {
        QList<const Scenario *> &same = remaining[s.name];
        if (same.isEmpty()) {
            diff.scenariosAdded << s.name;
            continue;
        }
        if (!sameTimetable(*same.takeFirst(), s) && !diff.scenariosChanged.contains(s.name))
            diff.scenariosChanged << s.name;
    }
    for (const Scenario &s : from.scenarios) {
        QList<const Scenario *> &left = remaining[s.name];
        if (left.contains(&s))
            diff.scenariosRemoved << s.name;
    }
}

QJsonValue timeJson(const QDateTime &t)
{
    return t.isValid() ? QJsonValue(t.toString(Qt::ISODate)) : QJsonValue();
}

template <typename T, typename F> void putChange(QJsonObject &o, const char *key, const PlanDiff::Change<T> &c, F toJson)
{
    if (c.changed())
        o.insert(QLatin1String(key), QJsonObject{{QStringLiteral("from"), toJson(c.from)}, {QStringLiteral("to"), toJson(c.to)}});
}

QJsonArray namesJson(const QList<PlanDiff::NameChange> &changes, bool withTypes)
{
    QJsonArray array;
    for (const PlanDiff::NameChange &c : changes) {
        QJsonObject o{{QStringLiteral("index"), c.index}, {QStringLiteral("from"), c.from}, {QStringLiteral("to"), c.to}};
        if (withTypes) {
            o.insert(QStringLiteral("typeFrom"), c.typeFrom);
            o.insert(QStringLiteral("typeTo"), c.typeTo);
        }
        array << o;
    }
    return array;
}

QString quoted(const QString &name)
{
    return QStringLiteral("«%1»").arg(name);
}

QString timeText(const QDateTime &t)
{
    return t.isValid() ? t.toString(startTimeFormat()) : QStringLiteral("не задано");
}

QString sensorText(const QString &name, int type)
{
    return type == 0 ? QStringLiteral("не подключен") : quoted(name);
}

} // namespace

bool PlanDiff::isEmpty() const
{
    return !start.changed() && !end.changed() && !cycleCount.changed() && !dayHours.changed() && !nightHours.changed()
           && scenariosAdded.isEmpty() && scenariosRemoved.isEmpty() && scenariosChanged.isEmpty() && days.isEmpty()
           && sockets.isEmpty() && sensors.isEmpty();
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
        const QString a = from.sockets.value(i).name;
        const QString b = to.sockets.value(i).name;
        if (a != b)
            diff.sockets << PlanDiff::NameChange{i, a, b, 0, 0};
    }
    for (int i = 0; i < ControllerState::SensorCount; ++i) {
        const SensorSlot a = from.sensors.value(i);
        const SensorSlot b = to.sensors.value(i);
        // the name of an input without a sensor is only its default caption
        const bool bothOff = a.type == 0 && b.type == 0;
        if (!bothOff && (a.type != b.type || a.name != b.name))
            diff.sensors << PlanDiff::NameChange{i, a.name, b.name, a.type, b.type};
    }
    return diff;
}

QJsonObject planDiffToJson(const PlanDiff &diff)
{
    QJsonObject o;
    o.insert(QStringLiteral("same"), diff.isEmpty());
    QJsonObject cycle;
    putChange(cycle, "start", diff.start, timeJson);
    putChange(cycle, "end", diff.end, timeJson);
    const auto number = [](int v) { return QJsonValue(v); };
    putChange(cycle, "cycleCount", diff.cycleCount, number);
    putChange(cycle, "dayHours", diff.dayHours, number);
    putChange(cycle, "nightHours", diff.nightHours, number);
    if (!cycle.isEmpty())
        o.insert(QStringLiteral("workCycle"), cycle);
    if (!diff.scenariosAdded.isEmpty())
        o.insert(QStringLiteral("scenariosAdded"), QJsonArray::fromStringList(diff.scenariosAdded));
    if (!diff.scenariosRemoved.isEmpty())
        o.insert(QStringLiteral("scenariosRemoved"), QJsonArray::fromStringList(diff.scenariosRemoved));
    if (!diff.scenariosChanged.isEmpty())
        o.insert(QStringLiteral("scenariosChanged"), QJsonArray::fromStringList(diff.scenariosChanged));
    if (!diff.days.isEmpty()) {
        QJsonArray days;
        for (const PlanDiff::DayChange &d : diff.days)
            days << QJsonObject{{QStringLiteral("day"), d.day + 1}, {QStringLiteral("from"), d.from}, {QStringLiteral("to"), d.to}};
        o.insert(QStringLiteral("days"), days);
    }
    if (!diff.sockets.isEmpty())
        o.insert(QStringLiteral("sockets"), namesJson(diff.sockets, false));
    if (!diff.sensors.isEmpty())
        o.insert(QStringLiteral("sensors"), namesJson(diff.sensors, true));
    return o;
}

QStringList planDiffLines(const PlanDiff &diff)
{
    QStringList lines;
    const QString arrow = QStringLiteral(" → ");
    if (diff.start.changed())
        lines << QStringLiteral("Начало работы: ") + timeText(diff.start.from) + arrow + timeText(diff.start.to);
    if (diff.end.changed())
        lines << QStringLiteral("Окончание работы: ") + timeText(diff.end.from) + arrow + timeText(diff.end.to);
    if (diff.cycleCount.changed())
        lines << QStringLiteral("Количество циклов: %1%2%3").arg(diff.cycleCount.from).arg(arrow).arg(diff.cycleCount.to);
    if (diff.dayHours.changed())
        lines << QStringLiteral("Длительность дня: %1 ч%2%3 ч").arg(diff.dayHours.from).arg(arrow).arg(diff.dayHours.to);
    if (diff.nightHours.changed())
        lines << QStringLiteral("Длительность ночи: %1 ч%2%3 ч").arg(diff.nightHours.from).arg(arrow).arg(diff.nightHours.to);
    for (const QString &name : diff.scenariosAdded)
        lines << QStringLiteral("Новый сценарий ") + quoted(name);
    for (const QString &name : diff.scenariosRemoved)
        lines << QStringLiteral("Удаляется сценарий ") + quoted(name);
    for (const QString &name : diff.scenariosChanged)
        lines << QStringLiteral("Меняется сценарий ") + quoted(name);
    for (int i = 0; i < diff.days.size();) {
        const PlanDiff::DayChange &first = diff.days.at(i);
        int last = i;
        while (last + 1 < diff.days.size() && diff.days.at(last + 1).day == diff.days.at(last).day + 1
               && diff.days.at(last + 1).from == first.from && diff.days.at(last + 1).to == first.to)
            ++last;
        const QString days = last == i ? QStringLiteral("День %1").arg(first.day + 1)
                                       : QStringLiteral("Дни %1–%2").arg(first.day + 1).arg(diff.days.at(last).day + 1);
        lines << days + QStringLiteral(": ") + quoted(first.from) + arrow + quoted(first.to);
        i = last + 1;
    }
    for (const PlanDiff::NameChange &c : diff.sockets)
        lines << QStringLiteral("Розетка %1: ").arg(c.index + 1) + quoted(c.from) + arrow + quoted(c.to);
    for (const PlanDiff::NameChange &c : diff.sensors)
        lines << QStringLiteral("Вход %1: ").arg(c.index + 1) + sensorText(c.from, c.typeFrom) + arrow + sensorText(c.to, c.typeTo);
    return lines;
}
