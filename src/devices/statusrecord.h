#pragma once

#include <QByteArray>

// Read-only view of a status record as the controller sends it. The record is never trusted for
// its length: every field reads missing bytes as 0, so a short or empty record is simply "all
// zero" beyond its end.
class StatusRecord
{
public:
    explicit StatusRecord(const QByteArray &bytes) : m_bytes(bytes) {}

    quint8 byte(int index) const;
    quint32 u24(int index) const;  // little-endian
    quint32 u32(int index) const;  // little-endian

    // The 32-bit value slot of a channel id (integer or float bits by the sensor type).
    quint32 channelWord(int channelId) const;
    float channelFloat(int channelId) const;

    int hour() const { return byte(1); }
    int minute() const { return byte(2); }
    int minutesToStart() const { return int(u24(3)); }
    bool workActive() const { return byte(6) != 0; }

private:
    static constexpr int FirstChannelByte = 16;
    static constexpr int MaxChannelId = 255;
    QByteArray m_bytes;
};
