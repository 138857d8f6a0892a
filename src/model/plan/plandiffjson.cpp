#include "model/plan/plandiff.h"

#include "model/numericutil.h"

#include <QJsonArray>

#include <cmath>

namespace {

QJsonValue timeJson(const QDateTime &t)
{
    return t.isValid() ? QJsonValue(t.toString(Qt::ISODate)) : QJsonValue();
}

// JSON has no NaN or infinities; they are written as null.
QJsonValue number(double d)
{
    return std::isfinite(d) ? QJsonValue(d) : QJsonValue(QJsonValue::Null);
}

template <typename T, typename F> void putChange(QJsonObject &o, const char *key, const PlanDiff::Change<T> &c, F toJson)
{
    if (c.changed())
        o.insert(QLatin1String(key), QJsonObject{{QStringLiteral("from"), toJson(c.from)}, {QStringLiteral("to"), toJson(c.to)}});
}

QJsonArray intArray(const QList<int> &values)
{
    QJsonArray array;
    for (int v : values)
        array << v;
    return array;
}

QJsonArray calibrationJson(const QList<CalibrationEntry> &entries)
{
    QJsonArray array;
    for (const CalibrationEntry &e : entries)
        array << QJsonObject{{QStringLiteral("marker"), e.marker}, {QStringLiteral("offset"), number(e.offset)}};
    return array;
}

QJsonObject sensorJson(const PlanDiff::SensorChange &c)
{
    QJsonObject o{{QStringLiteral("index"), c.index}, {QStringLiteral("from"), c.from}, {QStringLiteral("to"), c.to},
                  {QStringLiteral("typeFrom"), c.typeFrom}, {QStringLiteral("typeTo"), c.typeTo}};
    if (c.channelsFrom != c.channelsTo) {
        o.insert(QStringLiteral("channelsFrom"), intArray(c.channelsFrom));
        o.insert(QStringLiteral("channelsTo"), intArray(c.channelsTo));
    }
    const QJsonArray calibrationFrom = calibrationJson(c.calibrationFrom);
    const QJsonArray calibrationTo = calibrationJson(c.calibrationTo);
    if (calibrationFrom != calibrationTo) {
        o.insert(QStringLiteral("calibrationFrom"), calibrationFrom);
        o.insert(QStringLiteral("calibrationTo"), calibrationTo);
    }
    if (c.otherBytes)
        o.insert(QStringLiteral("otherBytes"), true);
    return o;
}

QJsonObject rowJson(const PlanDiff::Row &row)
{
    const Condition &c = row.condition;
    QJsonObject o{{QStringLiteral("text"), row.text}, {QStringLiteral("source"), c.source},
                  {QStringLiteral("action"), int(c.action)}, {QStringLiteral("priority"), c.priority}};
    if (c.source == TimerSource) {
        QJsonArray timer;
        for (int i = 0; i < 4; ++i)
            timer << number(c.params.value(i));
        o.insert(QStringLiteral("timer"), timer);
    } else if (c.source != BaseStateSource) {
        o.insert(QStringLiteral("kind"), int(c.kind));
        o.insert(QStringLiteral("value"), number(floatFromBits(c.value)));
        if (c.kind == ConditionKind::Interval)
            o.insert(QStringLiteral("upper"), number(c.params.value(0)));
    }
    return o;
}

QJsonArray hexArray(const QList<QByteArray> &records)
{
    QJsonArray array;
    for (const QByteArray &r : records)
        array << QString::fromLatin1(r.toHex());
    return array;
}

QJsonObject listJson(const PlanDiff::ListChange &list)
{
    QJsonArray added;
    QJsonArray removed;
    QJsonArray changed;
    for (const PlanDiff::RowChange &c : list.rows) {
        if (c.kind == PlanDiff::RowChange::Added)
            added << rowJson(c.to);
        else if (c.kind == PlanDiff::RowChange::Removed)
            removed << rowJson(c.from);
        else
            changed << QJsonObject{{QStringLiteral("from"), rowJson(c.from)}, {QStringLiteral("to"), rowJson(c.to)}};
    }
    QJsonObject o{{QStringLiteral("scenario"), list.scenario},
                  {QStringLiteral("output"), list.output},
                  {QStringLiteral("phase"), list.night ? QStringLiteral("night") : QStringLiteral("day")}};
    if (!added.isEmpty())
        o.insert(QStringLiteral("added"), added);
    if (!removed.isEmpty())
        o.insert(QStringLiteral("removed"), removed);
    if (!changed.isEmpty())
        o.insert(QStringLiteral("changed"), changed);
    if (!list.keptAdded.isEmpty())
        o.insert(QStringLiteral("keptAdded"), hexArray(list.keptAdded));
    if (!list.keptRemoved.isEmpty())
        o.insert(QStringLiteral("keptRemoved"), hexArray(list.keptRemoved));
    return o;
}

QJsonArray keptSectionsJson(const QList<KeptSensorSection> &sections)
{
    QJsonArray array;
    for (const KeptSensorSection &k : sections) {
        array << QJsonObject{{QStringLiteral("input"), k.input},
                             {QStringLiteral("type"), k.type},
                             {QStringLiteral("name"), k.name},
                             {QStringLiteral("section"), QString::fromLatin1(k.section.toHex())}};
    }
    return array;
}

} // namespace

QJsonObject planDiffToJson(const PlanDiff &diff)
{
    QJsonObject o;
    o.insert(QStringLiteral("same"), diff.isEmpty());
    QJsonObject cycle;
    putChange(cycle, "start", diff.start, timeJson);
    putChange(cycle, "end", diff.end, timeJson);
    const auto integer = [](int v) { return QJsonValue(v); };
    putChange(cycle, "cycleCount", diff.cycleCount, integer);
    putChange(cycle, "dayHours", diff.dayHours, integer);
    putChange(cycle, "nightHours", diff.nightHours, integer);
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
    if (!diff.sockets.isEmpty()) {
        QJsonArray sockets;
        for (const PlanDiff::SocketChange &c : diff.sockets) {
            QJsonObject socket{{QStringLiteral("index"), c.index}, {QStringLiteral("from"), c.from}, {QStringLiteral("to"), c.to}};
            if (c.baseFlagFrom != c.baseFlagTo) {
                socket.insert(QStringLiteral("baseFlagFrom"), c.baseFlagFrom);
                socket.insert(QStringLiteral("baseFlagTo"), c.baseFlagTo);
            }
            sockets << socket;
        }
        o.insert(QStringLiteral("sockets"), sockets);
    }
    if (!diff.sensors.isEmpty()) {
        QJsonArray sensors;
        for (const PlanDiff::SensorChange &c : diff.sensors)
            sensors << sensorJson(c);
        o.insert(QStringLiteral("sensors"), sensors);
    }
    if (!diff.lists.isEmpty()) {
        QJsonArray lists;
        for (const PlanDiff::ListChange &list : diff.lists)
            lists << listJson(list);
        o.insert(QStringLiteral("rows"), lists);
    }
    if (!diff.keptSectionsAdded.isEmpty())
        o.insert(QStringLiteral("keptSensorSectionsAdded"), keptSectionsJson(diff.keptSectionsAdded));
    if (!diff.keptSectionsRemoved.isEmpty())
        o.insert(QStringLiteral("keptSensorSectionsRemoved"), keptSectionsJson(diff.keptSectionsRemoved));
    return o;
}
