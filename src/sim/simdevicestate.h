#pragma once

// What a simulated controller keeps across power cycles: the part that is saved to a folder.

#include <QByteArray>
#include <QList>
#include <QMap>

struct SimDeviceState
{
    QByteArray credentials;  // 120 bytes: login zero-padded to 80, password; empty = no account
    QByteArray image;        // header and body as stored from address 0; empty = none
    QList<QByteArray> log;   // 20-byte records, oldest first
    bool running = true;
    qint64 clockOffset = 0;  // device clock minus the local wall clock, seconds
    QMap<int, quint32> outputs;
    int logPeriodMinutes = 30;
    qint64 savedAt = 0;      // device clock when saved, local wall-clock seconds
};
