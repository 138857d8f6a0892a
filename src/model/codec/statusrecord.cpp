#include "model/codec/statusrecord.h"

#include <algorithm>

#include <cstring>

quint8 StatusRecord::byte(int index) const
{
    return index >= 0 && index < m_bytes.size() ? static_cast<quint8>(m_bytes.at(index)) : 0;
}

quint16 StatusRecord::u16(int index) const
{
    return static_cast<quint16>(byte(index) | byte(index + 1) << 8);
}

quint32 StatusRecord::u24(int index) const
{
    return quint32(byte(index)) | quint32(byte(index + 1)) << 8 | quint32(byte(index + 2)) << 16;
}

quint32 StatusRecord::u32(int index) const
{
    return u24(index) | quint32(byte(index + 3)) << 24;
}

quint32 StatusRecord::channelWord(int channelId) const
{
    // Ids are one byte in the configuration image; anything else cannot be a slot of the record.
    if (channelId < 0 || channelId > MaxChannelId)
        return 0;
    return u32(FirstChannelByte + 4 * channelId);
}

float StatusRecord::channelFloat(int channelId) const
{
    const quint32 bits = channelWord(channelId);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

PanelStatus panelStatusOf(const StatusRecord &record, int cycleCount, const QDateTime &start, const QDateTime &now)
{
    PanelStatus s;
    const int running = record.workRuns() ? 1 : 0;
    const bool daysLeft = record.daysLeft() != 0;
    if (record.clockFailed()) {
        s.kind = WorkKind::ClockFailure;
    } else if (record.scenarioFailed() && daysLeft) {
        s.kind = WorkKind::ScenarioNotLoaded;
    } else if (cycleCount == 0) {
        s.kind = WorkKind::NoWorkCycle;
        s.button = PanelStatus::HideButton;
    } else if (record.minutesToStart() != 0 || now < start) {
        s.active = 1;
        s.kind = WorkKind::Waiting;
        if (running)
            s.button = PanelStatus::HideButton;
    } else if (!daysLeft) {
        s.active = running;
        s.kind = WorkKind::Finished;
        if (running)
            s.button = PanelStatus::HideButton;
    } else {
        s.active = running;
        s.kind = WorkKind::Working;
        s.button = PanelStatus::ShowButton;
    }
    return s;
}

quint16 StatusRecord::imageLength() const
{
    const quint16 length = u16(146);
    return length > 0x8000 ? 0 : length;
}

namespace {
constexpr int MaxCountdownMinutes = 99 * 60; // the text has room for two hour digits
}

WorkStatus workStatusOf(const StatusRecord &record, const WorkCycleTimes &cycle, const QDateTime &now)
{
    WorkStatus status;
    if (cycle.cycleCount == 0) {
        status.kind = WorkKind::NoWorkCycle;
        return status;
    }
    if (!record.workActive()) {
        status.kind = WorkKind::Stopped;
        return status;
    }
    status.kind = WorkKind::Working;

    const int toStart = record.minutesToStart();
    if (toStart != 0 || (cycle.startTime.isValid() && now < cycle.startTime)) {
        const int minutes = std::min(toStart, MaxCountdownMinutes);
        status.kind = WorkKind::Waiting;
        status.beforeStart = true;
        status.hours = minutes / 60;
        status.minutes = minutes % 60;
        return status;
    }

    const int hour = record.hour();
    const int minute = record.minute();
    int remaining;
    if (hour < cycle.dayHours) {
        status.dayPhase = true;
        remaining = (cycle.dayHours - hour) * 60 - minute;
    } else {
        status.dayPhase = false;
        remaining = (cycle.dayHours - hour + cycle.nightHours) * 60 - minute;
    }
    remaining = std::max(remaining, 0);
    status.hours = remaining / 60;
    status.minutes = remaining % 60;
    return status;
}
