#include "devices/statusrecord.h"

#include "link/frames.h"

#include <cstring>

quint8 StatusRecord::byte(int index) const
{
    return replyByte(m_bytes, index);
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
