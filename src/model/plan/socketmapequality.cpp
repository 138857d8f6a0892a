#include "model/plan/socketmapequality.h"

#include "model/numericutil.h"

#include <cstring>

namespace {

bool paramsEqual(const QList<double> &a, const QList<double> &b)
{
    if (a.size() != b.size())
        return false;
    return a.isEmpty() || std::memcmp(a.constData(), b.constData(), sizeof(double) * size_t(a.size())) == 0;
}

bool conditionsEqual(const Condition &a, const Condition &b)
{
    // NaN thresholds never compare equal, like the floats they are
    return a.text == b.text && a.ref == b.ref && a.kind == b.kind
        && floatFromBits(a.value) == floatFromBits(b.value) && a.priority == b.priority
        && a.action == b.action && a.source == b.source && paramsEqual(a.params, b.params);
}

bool timersEqual(const TimerSlot &a, const TimerSlot &b)
{
    return a.start == b.start && a.duration == b.duration && a.period == b.period && a.count == b.count
        && a.usedByDay == b.usedByDay && a.usedByNight == b.usedByNight;
}

bool programsEqual(const SocketProgram &a, const SocketProgram &b)
{
    if (!conditionListsEqual(a.dayConditions, b.dayConditions) || !conditionListsEqual(a.nightConditions, b.nightConditions))
        return false;
    if (a.timers.size() != b.timers.size())
        return false;
    for (qsizetype i = 0; i < a.timers.size(); ++i) {
        if (!timersEqual(a.timers.at(i), b.timers.at(i)))
            return false;
    }
    return true;
}

} // namespace

bool conditionListsEqual(const QList<Condition> &a, const QList<Condition> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!conditionsEqual(a.at(i), b.at(i)))
            return false;
    }
    return true;
}

bool socketMapsEqual(const QMap<int, SocketProgram> &a, const QMap<int, SocketProgram> &b)
{
    if (a.size() != b.size())
        return false;
    for (auto ia = a.cbegin(), ib = b.cbegin(); ia != a.cend(); ++ia, ++ib) {
        if (ia.key() != ib.key() || !programsEqual(ia.value(), ib.value()))
            return false;
    }
    return true;
}
