#pragma once

#include "model/clock.h"
#include "model/log/eventlog.h"
#include "model/numericutil.h"

#include <QByteArray>
#include <QDateTime>
#include <QtEndian>

// Log records as the controller writes them, for tests.
namespace LogBytes {

inline void appendU32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// A measurement at a local time; raw overrides the 56-bit time field when not negative.
inline QByteArray measurement(const QDateTime &local, int sensor, int position, float min, float avg, float max,
                              qint64 raw = -1)
{
    const quint64 t = raw >= 0 ? quint64(raw)
                               : quint64(Clock::localWallSeconds(local) - EventLog::MeasurementEpoch);
    QByteArray r;
    for (int i = 0; i < 7; ++i)
        r.append(char((t >> (8 * i)) & 0xFF));
    r.append(char(((sensor & 0x0F) << 4) | (position & 0x0F)));
    appendU32(r, bitsFromFloat(min));
    appendU32(r, bitsFromFloat(avg));
    appendU32(r, bitsFromFloat(max));
    return r;
}

inline QByteArray markerAt(qint64 wallSeconds, quint32 a, quint32 b)
{
    QByteArray r;
    appendU32(r, EventLog::PowerMarker);
    char t[8];
    qToLittleEndian(wallSeconds, t);
    r.append(t, 8);
    appendU32(r, a);
    appendU32(r, b);
    return r;
}

inline QByteArray marker(const QDateTime &local, quint32 a, quint32 b)
{
    return markerAt(Clock::localWallSeconds(local), a, b);
}

} // namespace LogBytes
