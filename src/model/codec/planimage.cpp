#include "model/codec/planimage.h"

#include "model/codec/configimageformat.h"

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
    // Where the first day map read whole ends. A decode of a prefix walks the same records as
    // the whole decode until one is cut by the prefix's end, so a prefix reads a whole day map
    // exactly when it reaches past the first one: the shortest such prefix is found by halving.
    // Records after it (a stale plan's) may have carried the whole decode further, so its stop is
    // only an upper bound. Each step is one decode, so a long file costs a few dozen of them.
    qsizetype end = whole.stopPosition;
    if (!whole.complete) {
        qsizetype lo = 1;
        while (lo < end) {
            const qsizetype mid = lo + (end - lo) / 2;
            if (decodeAlone(blocks.left(mid)).dayMapRead)
                end = mid;
            else
                lo = mid + 1;
        }
        if (!decodeAlone(blocks.left(end)).complete)
            return QByteArray();
    }
    if (end % ImageBodyGranule != 0 && end < blocks.size() && blocks.at(end) != '\0')
        return QByteArray();
    const qsizetype padded = (end + ImageBodyGranule - 1) / ImageBodyGranule * ImageBodyGranule;
    return blocks.left(end) + QByteArray(padded - end, '\0');
}
