#include "model/log/eventlog.h"

#include "model/clock.h"
#include "model/numericutil.h"
#include "model/codec/sensorcatalogue.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Beyond this a time is noise; keeps the offset arithmetic far from overflow.
constexpr qint64 SaneSeconds = qint64(1) << 50;

struct Window
{
    qint64 fromMs = 0;  // exclusive, milliseconds since 1970 UTC
    qint64 toMs = 0;    // exclusive
    qint64 offset = 0;  // controller's offset from UTC, seconds
};

// The local time of utc seconds, when inside the window.
bool timeInWindow(qint64 utcSeconds, const Window &w, QDateTime &out)
{
    if (utcSeconds <= -SaneSeconds || utcSeconds >= SaneSeconds)
        return false;
    const qint64 ms = utcSeconds * 1000;
    if (ms <= w.fromMs || ms >= w.toMs)
        return false;
    out = QDateTime::fromSecsSinceEpoch(utcSeconds);
    return out.isValid();
}

quint32 u32At(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

float f32At(const char *p)
{
    return floatFromBits(u32At(p));
}

bool decodeMarker(const char *r, const Window &w, EventRecord &e)
{
    const qint64 wall = qFromLittleEndian<qint64>(r + 4);
    const quint32 a = u32At(r + 12);
    const quint32 b = u32At(r + 16);
    int sensor;
    if (a == 1 && b == 1)
        sensor = EventLog::PowerOn;
    else if (a == 0)
        sensor = EventLog::PowerOff;
    else
        return false;
    if (wall <= -SaneSeconds || wall >= SaneSeconds || !timeInWindow(wall - w.offset, w, e.time))
        return false;
    e.sensor = sensor;
    e.channel = 0;
    return true;
}

bool decodeMeasurement(const char *r, const ControllerState &state, const Window &w, EventRecord &e)
{
    quint64 raw = 0;
    for (int i = 6; i >= 0; --i)
        raw = (raw << 8) | quint8(r[i]);
    const quint8 where = quint8(r[7]);
    const int sensor = where >> 4;
    const int position = where & 0x0F;
    if (sensor >= ControllerState::SensorCount || sensor >= state.sensors.size())
        return false;
    const SensorSlot &slot = state.sensors.at(sensor);
    if (slot.type == SensorOff || slot.type == SensorRelayOutput || position >= slot.channels.size())
        return false;
    e.min = f32At(r + 8);
    e.avg = f32At(r + 12);
    e.max = f32At(r + 16);
    if (std::isnan(e.min) || std::isnan(e.avg) || std::isnan(e.max))
        return false;
    // 56 bits always fit; the result stays far from the limits of qint64
    if (!timeInWindow(qint64(raw) - w.offset + EventLog::MeasurementEpoch, w, e.time))
        return false;
    e.sensor = sensor;
    e.channel = position;
    e.position = position;
    return true;
}

bool recordLess(const EventRecord &a, const EventRecord &b)
{
    if (a.time != b.time)
        return a.time < b.time;
    if (a.sensor != b.sensor)
        return a.sensor < b.sensor;
    if (a.channel != b.channel)
        return quint32(a.channel) < quint32(b.channel);
    return a.seq < b.seq;
}

bool conditionHits(const Condition &c, float value)
{
    const float threshold = floatFromBits(c.value);
    switch (c.kind) {
    case ConditionKind::Above:
        return value > threshold;
    case ConditionKind::Below:
        return threshold > value;
    case ConditionKind::Interval:
        if (c.params.isEmpty())
            return false;  // an interval without its upper bound cannot be tested
        return !(threshold <= value && double(value) <= c.params.first());
    default:
        return false;
    }
}

using ChannelIndex = std::array<QList<int>, ControllerState::ChannelIdCount>;

void placeInWorkCycle(ControllerState &state, ChannelIndex &index)
{
    const int cycleHours = state.dayHours + state.nightHours;
    if (cycleHours <= 0 || !state.startTime.isValid())
        return;
    const QDateTime end = state.startTime.addSecs(qint64(cycleHours) * state.cycleCount * 3600);
    for (int i = 0; i < state.events.size(); ++i) {
        EventRecord &e = state.events[i];
        if (e.sensor < 0 || e.sensor >= ControllerState::SensorCount)
            continue;
        if (!(e.time > state.startTime && e.time < end))
            continue;
        e.channel = state.sensors.at(e.sensor).channels.at(e.channel);
        const qint64 h = state.startTime.secsTo(e.time) / 3600;
        e.cycle = int(h / cycleHours);
        e.hourInCycle = int(h % cycleHours);
        if (e.channel >= 0 && e.channel < ControllerState::ChannelIdCount && e.cycle < state.days.size())
            index[size_t(e.channel)].append(i);
    }
}

void markList(ControllerState &state, const ChannelIndex &index, int scenario, const QList<Condition> &list, bool night)
{
    for (const Condition &c : list) {
        if (c.source < 1 || c.source >= ControllerState::ChannelIdCount)
            continue;
        for (int i : index[size_t(c.source)]) {
            EventRecord &e = state.events[i];
            if ((e.hourInCycle >= state.dayHours) != night)
                continue;
            if (state.days.at(e.cycle).scenarioIndex != scenario)
                continue;
            if (e.maxHit == 0 && conditionHits(c, e.max))
                e.maxHit = 1;
            if (e.minHit == 0 && conditionHits(c, e.min))
                e.minHit = 1;
        }
    }
}

} // namespace

void parseEventLog(ControllerState &state, const QByteArray &log)
{
    parseEventLog(state, log, Clock::now());
}

void parseEventLog(ControllerState &state, const QByteArray &log, const QDateTime &now)
{
    state.events.clear();
    Window w;
    w.fromMs = now.addYears(-EventLog::WindowYears).toMSecsSinceEpoch();
    w.toMs = now.addYears(EventLog::WindowYears).toMSecsSinceEpoch();
    w.offset = now.offsetFromUtc();

    const qsizetype records = log.size() / EventLog::RecordSize;
    state.events.reserve(records);
    for (qsizetype k = 0; k < records; ++k) {
        const char *r = log.constData() + k * EventLog::RecordSize;
        EventRecord e;
        const bool ok = u32At(r) == EventLog::PowerMarker ? decodeMarker(r, w, e)
                                                          : decodeMeasurement(r, state, w, e);
        if (!ok)
            continue;
        e.seq = int(state.events.size());
        state.events.append(e);
    }

    std::sort(state.events.begin(), state.events.end(), recordLess);
    const auto same = [](const EventRecord &a, const EventRecord &b) {
        return a.time == b.time && a.sensor == b.sensor && a.channel == b.channel;
    };
    state.events.erase(std::unique(state.events.begin(), state.events.end(), same), state.events.end());

    ChannelIndex index;
    placeInWorkCycle(state, index);
    for (int s = 0; s < state.scenarios.size(); ++s) {
        for (const SocketProgram &program : state.scenarios.at(s).sockets) {
            markList(state, index, s, program.dayConditions, false);
            markList(state, index, s, program.nightConditions, true);
        }
    }
}
