#pragma once

#include "model/log/eventrecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <array>

enum class ConditionKind : int {
    Below = 1,     // two-state sensor: closed
    Above = 2,     // two-state sensor: open
    Interval = 3,
};

enum class ConditionAction : int {
    On = 1,
    Off = 2,
};

// Sources of a condition row besides sensor channel ids 1..19.
constexpr int BaseStateSource = 0;
constexpr int TimerSource = -1;
// Refs of a condition row besides sensor indexes 0..5.
constexpr int BaseStateRef = -1;
constexpr int TimerRef = -2;

struct CalibrationEntry
{
    int marker = 0;
    float offset = 0;
};

struct SensorSlot
{
    int type = 0;                          // sensor catalogue code; 0 = no sensor
    QString name;
    QList<CalibrationEntry> calibration;   // one per channel sub-block of the section
    QStringList valueTexts;                // last value text of each channel
    QByteArray section;                    // the sensor section of the image, verbatim
    QList<int> channels;                   // channel ids offered to scenarios, in section order
};

struct SocketSlot
{
    QString name;
    int baseFlag = 0;
    float power = 0;
    int present = 0;
    QByteArray section;
};

struct CycleDay
{
    QDateTime time;         // start of this cycle
    int scenarioIndex = 0;  // 0 = base scenario
};

struct Condition
{
    int ref = BaseStateRef;  // sensor index 0..5, BaseStateRef or TimerRef
    QString text;
    ConditionKind kind = ConditionKind::Below;
    quint32 value = 0;       // threshold, the bits of a float
    int priority = 0;
    ConditionAction action = ConditionAction::On;
    int source = BaseStateSource;  // channel id 1..19, BaseStateSource or TimerSource
    // Interval: [upper bound]; timer row: [start, duration, period, count, timer index]
    QList<double> params;
};

struct TimerSlot
{
    int start = 0;     // minutes from the start of the cycle
    int duration = 0;  // minutes
    int period = 0;    // minutes
    int count = 0;
    int usedByDay = 0;
    int usedByNight = 0;
    int slot = -1;     // number in the last encoded image; -1 = not numbered
    int dayRow = 0;
    int nightRow = 0;
};

// A condition record the program cannot show (a row on a channel no input offers), kept as read
// and written back at its place in the list.
struct KeptRow
{
    int position = 0;    // index in the list as read, counting every row
    QByteArray record;   // the 13 bytes, 0x0A .. 0x0B
};

struct SocketProgram
{
    QList<Condition> dayConditions;
    QList<Condition> nightConditions;
    QList<TimerSlot> timers;
    QList<KeptRow> keptDayRows;     // in ascending position
    QList<KeptRow> keptNightRows;
};

// A sensor section the program cannot show (a type or input it does not know, or one that
// contradicts an accepted section), kept verbatim; the other fields describe it.
struct KeptSensorSection
{
    int input = 0;       // index byte of the section
    int type = 0;        // type byte
    QString name;
    QList<int> channels; // channel ids of its sub-blocks, in section order
    QByteArray section;  // 0x02 .. 0x03
};

struct Scenario
{
    int imageOffset = -1;  // body offset of its first condition list in the last image
    int usage = 0;         // number of edited days that use it
    int selectedUsage = 0; // number of the calendar's selected days that use it
    QString name;
    QMap<int, SocketProgram> sockets;  // output number (1..4 sockets, 5..10 relays) -> program
};

// Output numbers: 1..4 the power sockets, 5..10 relay outputs on sensor inputs 0..5.
constexpr int FirstRelayOutput = 5;
constexpr int LastOutput = 10;

// The program's picture of the controller. One program-wide instance (controllerState()).
struct ControllerState
{
    static constexpr int SensorCount = 6;
    static constexpr int SocketCount = 4;
    static constexpr int MaxCycleDays = 80;
    static constexpr int ChannelIdCount = 20;  // ids 0..19; sensors use 1..19

    ControllerState();

    QList<SensorSlot> sensors;   // SensorCount entries
    QList<SocketSlot> sockets;   // SocketCount entries

    // live work cycle
    int dayHours = 16;
    int nightHours = 8;          // 0 = no day/night split
    QDateTime startTime;
    qint64 startSeconds = 0;     // start as local wall-clock seconds; 0 = no work cycle set
    int cycleCount = 0;
    bool workCycleKnown = false;

    QList<CycleDay> days;
    QList<Scenario> scenarios;   // entry 0 is the base scenario

    // edited copy, made live by commitWorkCycle
    int editedDayHours = 16;
    int editedNightHours = 8;
    int editedCycleCount = 0;
    QDateTime editedStartTime;
    QList<CycleDay> editedDays;
    QList<Scenario> editedScenarios;

    QMap<int, int> scenarioOrder;              // scenario index -> ordinal of first appearance
    // The calendar's selection as the scenario page sees it: scenario index of a selected day ->
    // order in which that scenario was first met in the selection (0 = the first selected card's).
    QMap<int, int> selectedDayScenarios;
    int chosenScenario = 0;                    // editedScenarios index the scenario page saved for the selection
    std::array<int, ChannelIdCount> usedChannels{};  // 1 = a sensor offers that channel id
    // Sensor sections of the last decoded image that the program cannot show, in image order.
    QList<KeptSensorSection> keptSensorSections;
    int timerShiftMinutes = 0;                 // 0..1439
    // The start the timers of the scenarios count from: the start of the image last decoded. A
    // moved start shifts them against this one, so an upload repeated after the move made the
    // start live shifts them once, not twice or never.
    QDateTime timersStartTime;

    bool imageIsCurrent = false;  // the next encode sends the held body as it is
    bool loadedFromFile = false;  // the next decode moves the work-cycle start to today
    bool uploadRequest = false;   // the configuration must be written to the controller

    QList<EventRecord> events;

    void reset() { *this = ControllerState(); }
    // The state a decode starts from: default names, no sensors, no work cycle, start = now
    // cut to the minute. The scenario list is left to the decoder.
    void resetToEmptyForm();
};

ControllerState &controllerState();

// Marks in usedChannels the ids that kept sensor sections and kept rows of the live scenarios
// name, so that no sensor set up here takes an id those records already read.
void reserveKeptChannels(ControllerState &state);

// Name of an output as the messages show it: the socket's name, or for a relay output the name
// of its sensor input. Empty for numbers that name no output.
QString outputName(const ControllerState &state, int output);

// Default names of the inputs and sockets, numbered from 1.
QString defaultSensorName(int index);
QString defaultSocketName(int index);

// Source byte of a kept row (signed, as the decoder reads it); 0 for a record too short to hold one.
inline int keptRowSource(const QByteArray &record)
{
    return record.size() > 1 ? int(qint8(record.at(1))) : 0;
}
