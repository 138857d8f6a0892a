#pragma once

#include "model/controllerstate.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// What writing one plan over another changes, as the controller would see it and a grower reads
// it: the work cycle, scenarios by name and their rows per output and phase, the cycle days whose
// scenario changes, sockets, sensors with their channels and calibration, and the records the
// program keeps without showing them.
struct PlanDiff
{
    template <typename T> struct Change
    {
        T from{};
        T to{};
        bool changed() const { return !(from == to); }
    };
    struct SocketChange
    {
        int index = 0;     // socket 0..3
        QString from;      // names
        QString to;
        int baseFlagFrom = 0;
        int baseFlagTo = 0;
    };
    struct SensorChange
    {
        int index = 0;     // sensor input 0..5
        QString from;      // names
        QString to;
        int typeFrom = 0;  // catalogue codes
        int typeTo = 0;
        QList<int> channelsFrom;
        QList<int> channelsTo;
        QList<CalibrationEntry> calibrationFrom;
        QList<CalibrationEntry> calibrationTo;
        bool otherBytes = false;  // the sections differ in bytes none of the above shows
    };
    struct DayChange
    {
        int day = 0;       // cycle day, 0-based
        QString from;      // scenario names
        QString to;
    };
    // One row as the controller runs it, with its text for the grower.
    struct Row
    {
        Condition condition;
        QString text;
    };
    struct RowChange
    {
        enum Kind { Added, Removed, Changed };
        Kind kind = Added;
        Row from;          // Removed, Changed
        Row to;            // Added, Changed
    };
    // The rows of one list (scenario, output, day or night) that change.
    struct ListChange
    {
        QString scenario;
        int output = 0;      // 1..4 sockets, 5..10 relay outputs
        QString outputName;  // in the plan written
        bool night = false;
        QList<RowChange> rows;           // in list order
        QList<QByteArray> keptAdded;     // rows the program cannot show, as their records
        QList<QByteArray> keptRemoved;
    };

    // Start and end of the work cycle; invalid when that plan has no work cycle.
    Change<QDateTime> start;
    Change<QDateTime> end;
    Change<int> cycleCount;
    Change<int> dayHours;
    Change<int> nightHours;
    QStringList scenariosAdded;
    QStringList scenariosRemoved;
    QStringList scenariosChanged;  // same name, other rows
    QList<DayChange> days;         // days both plans have whose scenario differs
    QList<SocketChange> sockets;   // name or base flag differs
    QList<SensorChange> sensors;
    QList<ListChange> lists;       // rows of added and changed scenarios
    QList<KeptSensorSection> keptSectionsAdded;
    QList<KeptSensorSection> keptSectionsRemoved;

    bool isEmpty() const;
};

PlanDiff diffPlans(const ControllerState &from, const ControllerState &to);

// The difference as JSON: only what changes; "same" tells whether anything does.
QJsonObject planDiffToJson(const PlanDiff &diff);

// The difference in Russian, in groups under a title (the work cycle, days, scenarios, sockets,
// sensors, then one group per changed list of rows); runs of days with the same change share a line.
struct PlanDiffGroup
{
    QString title;
    QStringList lines;
};
QList<PlanDiffGroup> planDiffGroups(const PlanDiff &diff);

// The groups as lines: each title, then its lines indented; with maxPerGroup > 0 a longer group
// shows that many and one line telling how many more there are.
QStringList planDiffLines(const PlanDiff &diff, int maxPerGroup = 0);
