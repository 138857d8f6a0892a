#pragma once

// The controller's own reading of a configuration image: only what it needs to run the work
// (sensor inputs and their channel ids, the work cycle, scenarios with their rows and timers, and
// which scenario runs on which cycle day). Names are not kept.

#include <QByteArray>
#include <QHash>
#include <QList>

struct SimSensor
{
    int input = 0;         // 0..5
    int type = 0;          // 1 temperature, 2 humidity + temperature, 3 contact, 4 relay, 5 voltage
    QList<int> channels;   // channel ids in section order
    QList<float> offsets;  // calibration offset per channel, added to what it measures
};

struct SimCondition
{
    int source = 0;        // 0 base state, 0xFF timer, else a channel id
    int code = 0;          // timer slot, or 6 above, 7 below, 13/14 interval on/off
    float threshold = 0;
    float upper = 0;       // interval upper bound
    bool actionOn = false; // for base-state, timer, above and below rows
    int priority = 0;
};

struct SimTimer
{
    int start = 0;         // minute within the cycle day
    int duration = 0;
    int period = 0;
    int count = 0;
};

struct SimProgram
{
    QList<SimCondition> day;
    QList<SimCondition> night;
    QList<SimTimer> timers;
};

struct SimScenario
{
    quint32 offset = 0;              // body offset of its first list header
    QHash<int, SimProgram> programs; // by output index: 0..3 sockets, 4..9 relays on inputs 0..5
};

struct SimDayRun
{
    int lastDay = 0;
    quint32 offset = 0;
};

struct SimImage
{
    bool present = false;   // a header with the right start bytes
    bool malformed = false; // reading stopped at a byte that does not fit the format
    int totalLength = 0;
    QList<SimSensor> sensors;
    bool hasCycle = false;
    int dayHours = 24;
    int nightHours = 0;
    qint64 startSeconds = 0; // local wall-clock seconds
    int cycleCount = 0;
    QList<SimScenario> scenarios;
    QList<SimDayRun> dayMap;

    const SimSensor *sensorWithChannel(int channelId) const;
    const SimSensor *sensorOnInput(int input) const;
    // The scenario of a cycle day, or null when the day map names none.
    const SimScenario *scenarioOfDay(int day) const;
};

// Reads header and body. Never reads past the data; stops at the first byte that does not fit.
SimImage parseSimImage(const QByteArray &image);

// 0x11 0x22, total length, zeros to 64 bytes: the header that goes before a body.
QByteArray simImageHeader(int bodyLength);
