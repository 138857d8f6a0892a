#include "model/codec/statejson.h"

#include "model/numericutil.h"
#include "model/codec/sensorcatalogue.h"
#include "model/wallclock.h"

#include <QJsonArray>

#include <cmath>

namespace {

// JSON has no NaN or infinities; they are written as null.
QJsonValue number(double d)
{
    return std::isfinite(d) ? QJsonValue(d) : QJsonValue(QJsonValue::Null);
}

QJsonArray intArray(const QList<int> &values)
{
    QJsonArray array;
    for (int v : values)
        array.append(v);
    return array;
}

QJsonObject sensorToJson(const SensorSlot &sensor, int index)
{
    QJsonArray calibration;
    for (const CalibrationEntry &entry : sensor.calibration)
        calibration.append(QJsonObject{{QStringLiteral("marker"), entry.marker}, {QStringLiteral("offset"), number(entry.offset)}});
    return {
        {QStringLiteral("index"), index},
        {QStringLiteral("type"), sensor.type},
        {QStringLiteral("typeName"), sensorTypeInfo(sensor.type).name},
        {QStringLiteral("name"), sensor.name},
        {QStringLiteral("channels"), intArray(sensor.channels)},
        {QStringLiteral("calibration"), calibration},
        {QStringLiteral("section"), QString::fromLatin1(sensor.section.toHex())},
    };
}

QJsonObject socketToJson(const SocketSlot &socket, int index)
{
    return {
        {QStringLiteral("index"), index},
        {QStringLiteral("name"), socket.name},
        {QStringLiteral("baseFlag"), socket.baseFlag},
        {QStringLiteral("present"), socket.present},
    };
}

QJsonObject conditionToJson(const Condition &row)
{
    QJsonArray params;
    for (double p : row.params)
        params.append(number(p));
    return {
        {QStringLiteral("ref"), row.ref},
        {QStringLiteral("text"), row.text},
        {QStringLiteral("kind"), int(row.kind)},
        {QStringLiteral("value"), number(floatFromBits(row.value))},
        {QStringLiteral("valueBits"), qint64(row.value)},
        {QStringLiteral("priority"), row.priority},
        {QStringLiteral("action"), int(row.action)},
        {QStringLiteral("source"), row.source},
        {QStringLiteral("params"), params},
    };
}

QJsonArray conditionsToJson(const QList<Condition> &rows)
{
    QJsonArray array;
    for (const Condition &row : rows)
        array.append(conditionToJson(row));
    return array;
}

QJsonObject timerToJson(const TimerSlot &timer)
{
    return {
        {QStringLiteral("start"), timer.start},
        {QStringLiteral("duration"), timer.duration},
        {QStringLiteral("period"), timer.period},
        {QStringLiteral("count"), timer.count},
        {QStringLiteral("usedByDay"), timer.usedByDay},
        {QStringLiteral("usedByNight"), timer.usedByNight},
        {QStringLiteral("dayRow"), timer.dayRow},
        {QStringLiteral("nightRow"), timer.nightRow},
    };
}

QJsonArray keptRowsToJson(const QList<KeptRow> &rows)
{
    QJsonArray array;
    for (const KeptRow &row : rows) {
        array.append(QJsonObject{
            {QStringLiteral("position"), row.position},
            {QStringLiteral("source"), keptRowSource(row.record)},
            {QStringLiteral("record"), QString::fromLatin1(row.record.toHex())},
        });
    }
    return array;
}

QJsonObject scenarioToJson(const Scenario &scenario, int index)
{
    QJsonArray programs;
    for (auto it = scenario.sockets.cbegin(); it != scenario.sockets.cend(); ++it) {
        QJsonArray timers;
        for (const TimerSlot &timer : it->timers)
            timers.append(timerToJson(timer));
        QJsonObject program{
            {QStringLiteral("output"), it.key()},
            {QStringLiteral("day"), conditionsToJson(it->dayConditions)},
            {QStringLiteral("night"), conditionsToJson(it->nightConditions)},
            {QStringLiteral("timers"), timers},
        };
        // rows the program cannot show, carried as read
        if (!it->keptDayRows.isEmpty())
            program.insert(QStringLiteral("keptDay"), keptRowsToJson(it->keptDayRows));
        if (!it->keptNightRows.isEmpty())
            program.insert(QStringLiteral("keptNight"), keptRowsToJson(it->keptNightRows));
        programs.append(program);
    }
    return {
        {QStringLiteral("index"), index},
        {QStringLiteral("name"), scenario.name},
        {QStringLiteral("usage"), scenario.usage},
        {QStringLiteral("imageOffset"), scenario.imageOffset},
        {QStringLiteral("sockets"), programs},
    };
}

// The controller's own reading of its start, whatever the zone the inspector runs in.
QJsonValue wallClockText(qint64 wallSeconds)
{
    if (wallSeconds == 0 || !dateTimeFromLocalWallSeconds(wallSeconds).isValid())
        return QJsonValue(QJsonValue::Null);
    return QDateTime::fromSecsSinceEpoch(wallSeconds, Qt::UTC).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

} // namespace

QJsonObject stateToJson(const ControllerState &state, const DecodeResult &result)
{
    QJsonArray sensors;
    for (int i = 0; i < state.sensors.size(); ++i)
        sensors.append(sensorToJson(state.sensors.at(i), i));
    QJsonArray sockets;
    for (int i = 0; i < state.sockets.size(); ++i)
        sockets.append(socketToJson(state.sockets.at(i), i));

    const QJsonObject workCycle{
        {QStringLiteral("known"), state.workCycleKnown},
        {QStringLiteral("dayHours"), state.dayHours},
        {QStringLiteral("nightHours"), state.nightHours},
        {QStringLiteral("startSeconds"), state.startSeconds},
        {QStringLiteral("start"), wallClockText(state.startSeconds)},
        {QStringLiteral("cycleCount"), state.cycleCount},
    };

    QJsonArray days;
    for (const CycleDay &day : state.days)
        days.append(day.scenarioIndex);
    QJsonArray scenarios;
    for (int i = 0; i < state.scenarios.size(); ++i)
        scenarios.append(scenarioToJson(state.scenarios.at(i), i));
    QJsonArray order;
    for (auto it = state.scenarioOrder.cbegin(); it != state.scenarioOrder.cend(); ++it)
        order.append(QJsonObject{{QStringLiteral("scenario"), it.key()}, {QStringLiteral("ordinal"), it.value()}});

    QJsonObject json{
        {QStringLiteral("complete"), result.complete},
        {QStringLiteral("stopPosition"), result.stopPosition},
        {QStringLiteral("sensors"), sensors},
        {QStringLiteral("sockets"), sockets},
        {QStringLiteral("workCycle"), workCycle},
        {QStringLiteral("days"), days},
        {QStringLiteral("scenarios"), scenarios},
        {QStringLiteral("scenarioOrder"), order},
    };
    if (!state.keptSensorSections.isEmpty()) {
        QJsonArray kept;
        for (const KeptSensorSection &section : state.keptSensorSections) {
            kept.append(QJsonObject{
                {QStringLiteral("input"), section.input},
                {QStringLiteral("type"), section.type},
                {QStringLiteral("name"), section.name},
                {QStringLiteral("channels"), intArray(section.channels)},
                {QStringLiteral("section"), QString::fromLatin1(section.section.toHex())},
            });
        }
        json.insert(QStringLiteral("keptSensorSections"), kept);
    }
    return json;
}
