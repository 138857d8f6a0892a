#pragma once

#include "model/controllerstate.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// What writing one plan over another changes, as a grower reads it: the work cycle, scenarios by
// name, the cycle days whose scenario changes, socket and sensor names.
struct PlanDiff
{
    template <typename T> struct Change
    {
        T from{};
        T to{};
        bool changed() const { return !(from == to); }
    };
    struct NameChange
    {
        int index = 0;     // socket 0..3 or sensor input 0..5
        QString from;
        QString to;
        int typeFrom = 0;  // sensor type codes; 0 for sockets
        int typeTo = 0;
    };
    struct DayChange
    {
        int day = 0;       // cycle day, 0-based
        QString from;      // scenario names
        QString to;
    };

    // Start and end of the work cycle; invalid when that plan has no work cycle.
    Change<QDateTime> start;
    Change<QDateTime> end;
    Change<int> cycleCount;
    Change<int> dayHours;
    Change<int> nightHours;
    QStringList scenariosAdded;
    QStringList scenariosRemoved;
    QStringList scenariosChanged;  // same name, other timetable
    QList<DayChange> days;         // days both plans have whose scenario differs
    QList<NameChange> sockets;
    QList<NameChange> sensors;     // name or type differs

    bool isEmpty() const;
};

PlanDiff diffPlans(const ControllerState &from, const ControllerState &to);

// The difference as JSON: only what changes; "same" tells whether anything does.
QJsonObject planDiffToJson(const PlanDiff &diff);

// One Russian line per change, for the question before a plan is written; runs of days with the
// same change share a line.
QStringList planDiffLines(const PlanDiff &diff);
