#pragma once

#include <QByteArray>
#include <QtEndian>

// Record tags and codes of the configuration image body. Shared by the encoder and the decoder.
namespace ImageTag {
constexpr quint8 SensorStart = 0x02;
constexpr quint8 SensorEnd = 0x03;
constexpr quint8 SocketStart = 0x07;
constexpr quint8 SocketEnd = 0x08;
constexpr quint8 ConditionStart = 0x0A;
constexpr quint8 ConditionEnd = 0x0B;
constexpr quint8 WorkCycleStart = 0x0C;
constexpr quint8 WorkCycleEnd = 0x0D;
constexpr quint8 DayList = 0x0E;
constexpr quint8 NightList = 0x0F;
constexpr quint8 TimerBlock = 0x10;
constexpr quint8 TimerBlockEnd = 0x11;   // in a sensor section: channel sub-block
constexpr quint8 DayMapStart = 0x12;     // in a sensor section: channel usable by scenarios
constexpr quint8 DayMapEnd = 0x13;
constexpr quint8 ScenarioStart = 0x14;   // in a sensor section: trailer
constexpr quint8 ChannelBlock = TimerBlockEnd;
constexpr quint8 ChannelUsable = DayMapStart;
constexpr quint8 SensorTrailer = ScenarioStart;
}

namespace ConditionCode {
constexpr quint8 Above = 6;
constexpr quint8 Below = 7;
constexpr quint8 IntervalOn = 13;
constexpr quint8 IntervalOff = 14;
}

constexpr quint8 TimerSourceByte = 0xFF;
constexpr quint8 ActionOnByte = 100;
constexpr quint32 BaseStateThresholdBits = 0x447A0000;  // 1000.0f
constexpr quint32 TwoStateThresholdBits = 0x3F000000;   // 0.5f
constexpr int ConditionRecordSize = 13;
constexpr int TimerRecordSize = 8;
constexpr int WorkCycleSectionSize = 16;
constexpr int DayMapRunSize = 6;

// Little-endian writers.
inline void appendU8(QByteArray &out, quint8 v) { out.append(char(v)); }
inline void appendU16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}
inline void appendU32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}
inline void appendI64(QByteArray &out, qint64 v)
{
    char b[8];
    qToLittleEndian(v, b);
    out.append(b, 8);
}

// Little-endian readers; the caller has checked that the bytes exist.
inline quint8 byteAt(const QByteArray &in, qsizetype pos) { return quint8(in.at(pos)); }
inline quint16 readU16(const QByteArray &in, qsizetype pos)
{
    return qFromLittleEndian<quint16>(in.constData() + pos);
}
inline quint32 readU32(const QByteArray &in, qsizetype pos)
{
    return qFromLittleEndian<quint32>(in.constData() + pos);
}
inline qint64 readI64(const QByteArray &in, qsizetype pos)
{
    return qFromLittleEndian<qint64>(in.constData() + pos);
}
