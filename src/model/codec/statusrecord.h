#pragma once

#include <QByteArray>
#include <QDateTime>

// What the controller is doing, as the navigation panel's and the devices page's status lines
// show it.
enum class WorkKind : int {
    Waiting = 0,            // the cycle's start is ahead
    Working = 1,
    Finished = 2,
    NoWorkCycle = 3,
    ClockFailure = 4,
    ScenarioNotLoaded = 5,
    Stopped = 6,            // the work does not run
};

// Read-only view of a status record as the controller sends it. The record is never trusted for
// its length: every field reads missing bytes as 0, so a short or empty record is simply "all
// zero" beyond its end.
class StatusRecord
{
public:
    StatusRecord() = default;
    explicit StatusRecord(const QByteArray &bytes) : m_bytes(bytes) {}

    // A whole record reaches the image length at bytes 146-147.
    static constexpr int WholeSize = 148;
    static constexpr quint8 AccountExistsBit = 0x01;
    static constexpr quint8 WorkRunsBit = 0x04;
    static constexpr quint8 ClockFailedBit = 0x08;
    static constexpr quint8 ScenarioFailedBit = 0x20;

    const QByteArray &bytes() const { return m_bytes; }
    quint8 byte(int index) const;
    quint16 u16(int index) const;  // little-endian
    quint32 u24(int index) const;  // little-endian
    quint32 u32(int index) const;  // little-endian

    // The 32-bit value slot of a channel id (integer or float bits by the sensor type).
    quint32 channelWord(int channelId) const;
    float channelFloat(int channelId) const;

    bool isWhole() const { return m_bytes.size() >= WholeSize; }

    quint8 flags() const { return byte(0); }
    bool accountExists() const { return flags() & AccountExistsBit; }
    bool workRuns() const { return flags() & WorkRunsBit; }
    bool clockFailed() const { return flags() & ClockFailedBit; }
    bool scenarioFailed() const { return flags() & ScenarioFailedBit; }
    int hour() const { return byte(1); }
    int minute() const { return byte(2); }
    int minutesToStart() const { return int(u24(3)); }
    int daysLeft() const { return u16(6); }
    bool workActive() const { return byte(6) != 0; }
    // Length of the configuration image the controller holds, header included; above 0x8000
    // counts as no image.
    quint16 imageLength() const;

private:
    static constexpr int FirstChannelByte = 16;
    static constexpr int MaxChannelId = 255;
    QByteArray m_bytes;
};

// The navigation panel's reading of a status record: its status line, and what becomes of the
// devices page's start/pause button.
struct PanelStatus
{
    enum Button { KeepButton = -1, HideButton = 0, ShowButton = 1 };

    int active = 0;                      // the panel's running flag
    WorkKind kind = WorkKind::Waiting;
    int button = KeepButton;

    bool operator==(const PanelStatus &other) const
    {
        return active == other.active && kind == other.kind && button == other.button;
    }
};

// cycleCount and start are the live work cycle's; now is the local time of the evaluation.
PanelStatus panelStatusOf(const StatusRecord &record, int cycleCount, const QDateTime &start, const QDateTime &now);

// The devices page's reading of a status record: its status line, worked out with the live work
// cycle. kind is Working (or Waiting before the start), Stopped or NoWorkCycle.
struct WorkStatus
{
    WorkKind kind = WorkKind::NoWorkCycle;
    bool dayPhase = true;
    bool beforeStart = false;
    int hours = 0;    // of the countdown; may exceed 23
    int minutes = 0;
};

struct WorkCycleTimes
{
    int cycleCount = 0;
    int dayHours = 24;
    int nightHours = 0;
    QDateTime startTime;
};

WorkStatus workStatusOf(const StatusRecord &record, const WorkCycleTimes &cycle, const QDateTime &now);
