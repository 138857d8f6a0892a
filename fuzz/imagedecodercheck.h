#pragma once

// One run of the configuration-image decoder on arbitrary bytes, with the properties every run
// must keep. Shared by the libFuzzer target and the corpus regression test.

#include "model/codec/configimage.h"
#include "model/codec/statejson.h"

#include <QJsonDocument>

#include <cmath>

namespace ImageDecoderCheck {

inline ControllerState decoded(const QByteArray &body, DecodeResult *result)
{
    ControllerState state;
    state.resetToEmptyForm();
    *result = decodeConfigImage(state, body);
    linkTimerRows(state);
    return state;
}

inline QByteArray encoded(ControllerState state)
{
    QByteArray body;
    encodeConfigImage(state, body);
    return body;
}

// Everything the rest of the program indexes with must be in range.
inline QString stateProblem(const ControllerState &s, const DecodeResult &r, qsizetype size)
{
    if (r.stopPosition < 0 || r.stopPosition > size)
        return QStringLiteral("stop position outside the data");
    if (r.usedLength != -1 && (r.usedLength % 64 != 0 || r.usedLength <= r.stopPosition))
        return QStringLiteral("used length not past the stop");
    if (r.complete && (!r.dayMapRead || (r.stopPosition < size && r.usedLength == -1)))
        return QStringLiteral("complete without a day map or with a stop that is not reported");
    if (s.cycleCount < 0 || s.cycleCount > ControllerState::MaxCycleDays || s.days.size() != s.cycleCount)
        return QStringLiteral("cycle days");
    for (const CycleDay &day : s.days) {
        if (day.scenarioIndex != 0 && (day.scenarioIndex < 0 || day.scenarioIndex >= s.scenarios.size()))
            return QStringLiteral("day names no scenario");
    }
    for (const SensorSlot &sensor : s.sensors) {
        if (sensor.type < 0 || sensor.type > 5)
            return QStringLiteral("sensor type");
        for (int channel : sensor.channels) {
            if (channel < 1 || channel > 19)
                return QStringLiteral("channel id");
        }
    }
    for (const Scenario &scenario : s.scenarios) {
        for (auto it = scenario.sockets.cbegin(); it != scenario.sockets.cend(); ++it) {
            if (it.key() < 1 || it.key() > 10)
                return QStringLiteral("output number");
            for (const QList<Condition> *rows : {&it->dayConditions, &it->nightConditions}) {
                for (const Condition &row : *rows) {
                    if (row.source == -1 || row.source == 0)
                        continue;
                    if (row.ref < 0 || row.ref > 5 || !s.sensors.at(row.ref).channels.contains(row.source))
                        return QStringLiteral("sensor row of no input");
                }
            }
        }
    }
    return QString();
}

inline bool hasNaNParam(const ControllerState &s)
{
    for (const Scenario &scenario : s.scenarios) {
        for (const SocketProgram &program : scenario.sockets) {
            for (const QList<Condition> *rows : {&program.dayConditions, &program.nightConditions}) {
                for (const Condition &row : *rows) {
                    for (double p : row.params) {
                        if (std::isnan(p))
                            return true;
                    }
                }
            }
        }
    }
    return false;
}

inline bool sameWorkCycle(const ControllerState &a, const ControllerState &b)
{
    return a.dayHours == b.dayHours && a.nightHours == b.nightHours && a.cycleCount == b.cycleCount
        && a.startSeconds == b.startSeconds;
}

// Empty when every property holds, else what broke.
inline QString run(const QByteArray &body)
{
    DecodeResult result;
    const ControllerState state = decoded(body, &result);
    QString problem = stateProblem(state, result, body.size());
    if (!problem.isEmpty())
        return problem;

    // What the program would write back from the decoded state decodes completely...
    const QByteArray first = encoded(state);
    qsizetype contentEnd = first.size();
    while (contentEnd > 0 && first.at(contentEnd - 1) == 0)
        --contentEnd;
    DecodeResult again;
    const ControllerState second = decoded(first, &again);
    if (again.stopPosition != contentEnd)
        return QStringLiteral("re-encoded image stops early at %1 of %2").arg(again.stopPosition).arg(contentEnd);

    // ...and is written the same once more, unless the work cycle could not be written.
    if (sameWorkCycle(state, second) && encoded(second) != first)
        return QStringLiteral("second encoding differs");

    // The inspector's JSON carries everything the encoder reads (NaN bounds lose their payload).
    const QByteArray json = QJsonDocument(stateToJson(state, result)).toJson(QJsonDocument::Compact);
    // A work cycle the encoder would leave out is refused, not dropped.
    const bool cycleLost = state.workCycleKnown && !workCycleWritable(state);
    ControllerState fromJson;
    QString error;
    if (!stateFromJson(QJsonDocument::fromJson(json).object(), fromJson, &error)) {
        if (cycleLost && error.startsWith(QStringLiteral("workCycle.")))
            return QString();
        return QStringLiteral("JSON of a decoded state refused: ") + error;
    }
    if (cycleLost)
        return QStringLiteral("JSON with a work cycle the image cannot hold accepted");
    if (!hasNaNParam(state) && encoded(fromJson) != first)
        return QStringLiteral("JSON encodes differently");
    return QString();
}

} // namespace ImageDecoderCheck
