#include "model/codec/statusrecord.h"

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
        s.kind = StatusKind::ClockFailure;
    } else if (record.scenarioFailed() && daysLeft) {
        s.kind = StatusKind::ScenarioNotLoaded;
    } else if (cycleCount == 0) {
        s.kind = StatusKind::NoWorkCycle;
        s.button = PanelStatus::HideButton;
    } else if (record.minutesToStart() != 0 || now < start) {
        s.active = 1;
        s.kind = StatusKind::Waiting;
        if (running)
            s.button = PanelStatus::HideButton;
    } else if (!daysLeft) {
        s.active = running;
        s.kind = StatusKind::Finished;
        if (running)
            s.button = PanelStatus::HideButton;
    } else {
        s.active = running;
        s.kind = StatusKind::Working;
        s.button = PanelStatus::ShowButton;
    }
    return s;
}
