#pragma once

// Little-endian reads and writes on byte arrays for the simulated controller. Reads never go past
// the array: callers check the room first, and a read out of range gives 0.

#include <QByteArray>
#include <QtEndian>
#include <cstring>

namespace SimBytes {

inline bool has(const QByteArray &bytes, qsizetype pos, qsizetype count)
{
    return pos >= 0 && count >= 0 && pos <= bytes.size() && count <= bytes.size() - pos;
}

inline quint8 u8(const QByteArray &bytes, qsizetype pos)
{
    return has(bytes, pos, 1) ? quint8(bytes.at(pos)) : 0;
}

template<typename T>
T read(const QByteArray &bytes, qsizetype pos)
{
    if (!has(bytes, pos, sizeof(T)))
        return T(0);
    return qFromLittleEndian<T>(bytes.constData() + pos);
}

inline quint16 u16(const QByteArray &bytes, qsizetype pos) { return read<quint16>(bytes, pos); }
inline quint32 u32(const QByteArray &bytes, qsizetype pos) { return read<quint32>(bytes, pos); }
inline qint64 i64(const QByteArray &bytes, qsizetype pos) { return read<qint64>(bytes, pos); }

inline float f32(const QByteArray &bytes, qsizetype pos)
{
    const quint32 bits = u32(bytes, pos);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline quint32 floatBits(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Writes inside the array only; bytes that would fall outside are dropped.
template<typename T>
void put(QByteArray &bytes, qsizetype pos, T value)
{
    char raw[sizeof(T)];
    qToLittleEndian(value, raw);
    for (qsizetype i = 0; i < qsizetype(sizeof(T)); ++i)
        if (pos + i >= 0 && pos + i < bytes.size())
            bytes[pos + i] = raw[i];
}

template<typename T>
void append(QByteArray &bytes, T value)
{
    char raw[sizeof(T)];
    qToLittleEndian(value, raw);
    bytes.append(raw, sizeof(T));
}

} // namespace SimBytes
