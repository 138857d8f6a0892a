#pragma once

#include "model/controllerstate.h"

#include <QList>
#include <QMap>

// The scenario editor's working copy of one output's program and the rules of editing it: rows
// added and removed, thresholds, kinds, priorities and actions set, the automatic base-state row,
// timers whose rows live in both phases (twins) and are renumbered when one goes. No widgets here:
// the timetable shows what this holds and hands the user's actions to it.
//
// Phases are 1 (day) and 2 (night), as everywhere in the editor. Rows are indexes in a phase's
// list. An output may have no program at all (hasProgram() false); the first row added makes one.

// Count a timer keeps when the count typed is not a whole number in 1..65534: repeats without end.
constexpr int UnlimitedTimerCount = 65535;

// Minutes of the edited work cycle (edited day plus night hours); 1440 makes timers clock times.
int editedCycleMinutes(const ControllerState &state);

// Timer fields as the editor keeps them, [start, duration, period, count] (more params are cut,
// missing ones are 0). In a 24-hour cycle (clock times) the period is 1440 and the count 1.
// Otherwise a period of 0 or less becomes 60 minutes, then one longer than the cycle the cycle's
// length, then one shorter than the duration the duration; a count that is not a whole number in
// 1..65534 becomes UnlimitedTimerCount. The fields of a new timer row are normalizedTimerParams({}, cycle).
QList<double> normalizedTimerParams(QList<double> params, int cycleMinutes);

class SocketProgramEdit
{
public:
    static constexpr int Day = 1;
    static constexpr int Night = 2;
    // Rows one phase's list may hold.
    static constexpr int MaxRows = 10;
    // Priority of a row just added: the lowest.
    static constexpr int NewRowPriority = 1;

    enum class Refusal {
        None,
        TooManyRows,  // the list holds MaxRows rows (a timer: either list does)
        NoChannel,    // the sensor offers no channel for the value: the controller cannot read it
        NoStartTime,  // a timer in a 24-hour cycle whose start is not known
        NoSuchRow,    // no program, or no row at that index
        BaseStateRow, // the base-state row is never removed
        BadTimer,     // timer fields for a row that names no timer, or fewer than four fields
    };

    // Result of adding the rows of a sensor input: how many were added, and why the rest were not.
    struct Added
    {
        int rows = 0;
        Refusal refusal = Refusal::None;
    };

    // What a value edit changed.
    enum class ValueEdit {
        Refused,    // no such row, or a timer row with bad fields: nothing changed
        Threshold,  // the row's threshold
        Timer,      // the timer, its row and the row's twins in the other phase
    };

    // An output without a program.
    SocketProgramEdit() = default;
    explicit SocketProgramEdit(const SocketProgram &program);

    bool hasProgram() const { return m_present; }
    const SocketProgram &program() const { return m_program; }
    // The phase's rows; empty without a program or for a phase other than 1 and 2.
    const QList<Condition> &rows(int phase) const;

    // Appends one row per value of the sensor's type ("<name>: <value name>", switching on below 0
    // at the lowest priority, reading the value's channel), as long as the list has room and the
    // sensor a channel for the value. input is the sensor's index, the rows' ref.
    Added addSensorRows(int phase, int input, const SensorSlot &sensor);
    // A new timer: one row at the end of each phase's list (the row is the same in both, so that a
    // timer runs by day and by night), fields normalizedTimerParams({}, editedCycleMinutes).
    // Refused without a start time in a 24-hour cycle (live day plus night hours), or when either
    // list is full.
    Refusal addTimer(const ControllerState &state);

    // Removes a row. A timer row takes its twins in the other phase with it; the timer goes and
    // the later timers are renumbered, so adding and removing a timer leaves the program as it was.
    // A timer row that names no timer goes alone.
    Refusal removeRow(int phase, int row);

    // Sets a row's action. A list whose rows (the base state aside) then all switch one way gets
    // the base-state row that switches the other way, unless it has one: *baseStateAdded tells.
    // The twin of a timer row keeps its own action.
    bool setAction(int phase, int row, ConditionAction action, bool *baseStateAdded = nullptr);
    // Sets a row's kind; an interval without an upper bound gets threshold + 1.
    bool setKind(int phase, int row, ConditionKind kind);
    // Sets the upper bound of a row's interval.
    bool setUpperBound(int phase, int row, double upper);
    bool setPriority(int phase, int row, int priority);
    // A value from a row's condition cell: the threshold of a sensor row (stored in single
    // precision), or the fields [start, duration, period, count] of a timer row, which go to the
    // timer, the row and its twins.
    ValueEdit setValue(int phase, int row, double value, const QList<double> &timerFields);

    // Whether the phase's rows need priorities shown: they do not all switch the same way, or an
    // interval (which switches both ways) is among more than one row. The base state never counts.
    bool prioritiesMatter(int phase) const;

    // The timer a timer row names; null for other rows and for a row naming no timer.
    const TimerSlot *timerOf(int phase, int row) const;
    // Rows of the other phase that name the same timer as the phase's row.
    QList<int> timerTwins(int phase, int row) const;

    // The last param of a row read as a timer index, bounded to -1 .. 2^20; -1 without params.
    // Only rows whose source is TimerSource name timers.
    static int timerIndexOf(const Condition &row);

private:
    QList<Condition> *list(int phase);
    Condition *rowAt(int phase, int row);
    void dropTimer(int timer);

    SocketProgram m_program;
    bool m_present = false;
};

// Brings the working copy of a scenario in line with the inputs that are relay outputs now (see
// syncRelayProgram) and returns the output to show: the shown one while it is a socket or a relay
// that still is one, socket 1 otherwise.
int syncWorkingCopyWithRelays(QMap<int, SocketProgram> &working, const ControllerState &state, int shownOutput);
