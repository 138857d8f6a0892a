#pragma once

// Hand assembly of image records for tests, written apart from the encoder so that each checks
// the other.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

#include <cstring>

namespace ImageBytes {

inline QByteArray u8(int v) { return QByteArray(1, char(quint8(v))); }
inline QByteArray u16(int v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(quint16(v), b.data());
    return b;
}
inline QByteArray u32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
inline QByteArray i64(qint64 v)
{
    QByteArray b(8, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
inline QByteArray f32(float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, 4);
    return u32(bits);
}

struct Channel
{
    int id;
    bool usable = true;
    bool calibrated = false;
    float offset = 0;
};

inline QByteArray sensor(int index, int type, const QString &name, const QList<Channel> &channels,
                         int model = 5, quint32 trailer = 200)
{
    const QByteArray utf8 = name.toUtf8();
    QByteArray b = u8(0x02) + u8(int(utf8.size())) + utf8 + u8(index) + u8(model) + u8(type);
    for (const Channel &c : channels) {
        b += u8(0x11) + u8(c.id) + u8(0) + u8(c.calibrated ? 4 : 0);
        if (c.calibrated)
            b += f32(c.offset);
        if (c.usable)
            b += u8(0x12);
    }
    return b + u8(0x14) + u32(trailer) + u8(0x03);
}

inline QByteArray socket(int index, const QString &name, int baseFlag = 0, int end = 0x08)
{
    const QByteArray utf8 = name.toUtf8();
    return u8(0x07) + u8(int(utf8.size())) + utf8 + u8(index) + u8(baseFlag) + u8(end);
}

inline QByteArray workCycle(int dayHours, int nightHours, qint64 startSeconds, int cycleCount)
{
    return u8(0x0C) + u16(dayHours) + u16(nightHours) + i64(startSeconds) + u16(cycleCount) + u8(0x0D);
}

inline QByteArray scenario(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    return u8(0x14) + u16(int(utf8.size())) + utf8;
}

inline QByteArray dayList(int socketIndex, int rows) { return u8(0x0E) + u8(socketIndex) + u8(rows); }
inline QByteArray nightList(int socketIndex, int rows) { return u8(0x0F) + u8(socketIndex) + u8(rows); }

// A condition whose bytes 7..10 are the action byte and three zeros.
inline QByteArray condition(int source, int code, quint32 thresholdBits, int actionByte, int priority)
{
    return u8(0x0A) + u8(source) + u8(code) + u32(thresholdBits) + u8(actionByte) + u8(0) + u16(0)
        + u8(priority) + u8(0x0B);
}

inline QByteArray intervalCondition(int source, bool on, float lower, float upper, int priority)
{
    return u8(0x0A) + u8(source) + u8(on ? 13 : 14) + f32(lower) + f32(upper) + u8(priority) + u8(0x0B);
}

constexpr quint32 Bits1000 = 0x447A0000;
constexpr quint32 BitsHalf = 0x3F000000;

inline QByteArray baseDay() { return condition(0, 7, Bits1000, 100, 0); }
inline QByteArray baseNight() { return condition(0, 7, Bits1000, 0, 0); }

struct Timer
{
    int start, duration, period, count;
};

inline QByteArray timers(const QList<Timer> &list)
{
    QByteArray b = u8(0x10) + u16(int(list.size()));
    for (const Timer &t : list)
        b += u16(t.start) + u16(t.duration) + u16(t.period) + u16(t.count);
    return b + u8(0x11);
}

// The base program of one socket: base rows by day and night, no timers.
inline QByteArray baseProgram(int socketIndex)
{
    return dayList(socketIndex, 1) + baseDay() + nightList(socketIndex, 1) + baseNight() + timers({});
}

struct Run
{
    int lastDay;
    quint32 offset;
};

inline QByteArray dayMap(const QList<Run> &runs)
{
    QByteArray b = u8(0x12) + u8(int(runs.size()));
    for (const Run &r : runs)
        b += u16(r.lastDay) + u32(r.offset);
    return b + u8(0x13);
}

inline QByteArray padded(QByteArray body)
{
    while (body.size() % 64 != 0)
        body += '\0';
    return body;
}

// Bytes from a hex text; everything after '#' on a line is a comment.
inline QByteArray fromAnnotatedHex(const QByteArray &text)
{
    QByteArray digits;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype hash = line.indexOf('#');
        digits += (hash >= 0 ? line.left(hash) : line).simplified().replace(' ', "");
    }
    return QByteArray::fromHex(digits);
}

} // namespace ImageBytes
