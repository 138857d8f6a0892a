#pragma once

// The event log in the controller's memory: 20-byte records in slots that count down from 0x7F00,
// used as a ring above the configuration image. Free slots hold 0xFF bytes.

#include "sim/simimage.h"
#include "sim/simsensorvalues.h"

#include <QByteArray>
#include <QList>

class SimEventLog
{
public:
    static constexpr int AreaEnd = 0x7F00;
    static constexpr int RecordSize = 20;
    static constexpr int MinStart = 4000;
    static constexpr qint64 Epoch2020 = 1577836800;

    // Whole records that fit between the image (at least address 4000) and 0x7F00.
    static int capacity(int imageLength);
    static int slotAddress(int slot);

    static QByteArray measurement(qint64 localSeconds, int input, int position, const SimSensorValues::Span &span);
    static QByteArray powerMarker(qint64 localSeconds, bool on);

    // Writes the record into the next slot, overwriting the oldest one when the ring is full.
    void append(QByteArray &memory, int imageLength, const QByteArray &record);
    // Records in the order they were written, oldest first.
    QList<QByteArray> records(const QByteArray &memory, int imageLength) const;
    // Empties the area and writes the given records from the first slot on.
    void rewrite(QByteArray &memory, int imageLength, const QList<QByteArray> &records);
    // After the image changed length: keeps the cursor inside the ring and erases what lies
    // between the image and the ring, so that stale bytes never read as records.
    void fit(QByteArray &memory, int imageLength);

    // Every period the measuring sensors of the running configuration get one record per channel.
    void setPeriodMinutes(int minutes);
    int periodMinutes() const { return m_periodMinutes; }
    // Writes the records of every period that ended after the last one written, up to `until`.
    // The first call, and a clock set back, only start the schedule; after a long jump only what
    // the ring can hold is written.
    void measureUntil(QByteArray &memory, int imageLength, const SimImage &image, qint64 until);
    // Measuring goes on from `t`; nothing is written for the time before.
    void restartAt(qint64 t) { m_lastMeasured = alignedToPeriod(t); }
    qint64 alignedToPeriod(qint64 t) const;

private:
    int m_next = 0;
    bool m_wrapped = false;
    int m_periodMinutes = 30;
    qint64 m_lastMeasured = 0;
};
