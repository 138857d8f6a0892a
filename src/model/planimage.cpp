#include "model/planimage.h"

#include "model/configimageformat.h"

ControllerState planOfImage(const QByteArray &body, bool movesStart)
{
    ControllerState state;
    state.resetToEmptyForm();
    state.loadedFromFile = movesStart;
    decodeConfigImage(state, body);
    linkTimerRows(state);
    state.loadedFromFile = false;
    const qint64 cycleSeconds = qint64(state.dayHours + state.nightHours) * 3600;
    for (int k = 0; k < state.days.size(); ++k)
        state.days[k].time = state.startTime.addSecs(cycleSeconds * k);
    state.editedDayHours = state.dayHours;
    state.editedNightHours = state.nightHours;
    state.editedCycleCount = state.cycleCount;
    state.editedStartTime = state.startTime;
    state.editedDays = state.days;
    state.editedScenarios = state.scenarios;
    return state;
}

namespace {

DecodeResult decodeAlone(const QByteArray &body)
{
    ControllerState state;
    state.resetToEmptyForm();
    return decodeConfigImage(state, body);
}

} // namespace

QByteArray controllerImageIn(const QByteArray &blocks)
{
    const DecodeResult whole = decodeAlone(blocks);
    if (!whole.dayMapRead)
        return QByteArray();
    // The first day map read whole ends at a day-map end tag: at the shortest prefix that decodes
    // complete. Records after it (a stale plan's) may have carried the whole decode further, so
    // its stop is only an upper bound.
    qsizetype end = whole.complete ? whole.stopPosition : 0;
    for (qsizetype p = 1; end == 0 && p <= whole.stopPosition; ++p) {
        if (quint8(blocks.at(p - 1)) == ImageTag::DayMapEnd && decodeAlone(blocks.left(p)).complete)
            end = p;
    }
    if (end == 0)
        return QByteArray();
    if (end % ImageBodyGranule != 0 && end < blocks.size() && blocks.at(end) != '\0')
        return QByteArray();
    const qsizetype padded = (end + ImageBodyGranule - 1) / ImageBodyGranule * ImageBodyGranule;
    return blocks.left(end) + QByteArray(padded - end, '\0');
}
