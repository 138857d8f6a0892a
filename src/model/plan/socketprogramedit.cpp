#include "model/plan/socketprogramedit.h"

#include "model/codec/sensorcatalogue.h"
#include "model/numericutil.h"
#include "model/plan/basescenario.h"
#include "model/plan/relayoutputs.h"

#include <cmath>

int editedCycleMinutes(const ControllerState &state)
{
    return (state.editedDayHours + state.editedNightHours) * 60;
}

QList<double> normalizedTimerParams(QList<double> params, int cycleMinutes)
{
    while (params.size() < 4)
        params << 0.0;
    params = params.mid(0, 4);
    if (cycleMinutes == 24 * 60) {
        params[2] = 1440;
        params[3] = 1;
        return params;
    }
    if (params[2] <= 0)
        params[2] = 60;
    if (params[2] > cycleMinutes)
        params[2] = cycleMinutes;
    if (params[1] > params[2])
        params[2] = params[1];
    const double count = params[3];
    if (!(count > 0 && count == std::floor(count) && count < UnlimitedTimerCount))
        params[3] = UnlimitedTimerCount;
    return params;
}

SocketProgramEdit::SocketProgramEdit(const SocketProgram &program) : m_program(program), m_present(true)
{
}

const QList<Condition> &SocketProgramEdit::rows(int phase) const
{
    static const QList<Condition> none;
    if (!m_present || (phase != Day && phase != Night))
        return none;
    return phase == Day ? m_program.dayConditions : m_program.nightConditions;
}

QList<Condition> *SocketProgramEdit::list(int phase)
{
    if (!m_present || (phase != Day && phase != Night))
        return nullptr;
    return phase == Day ? &m_program.dayConditions : &m_program.nightConditions;
}

Condition *SocketProgramEdit::rowAt(int phase, int row)
{
    QList<Condition> *rows = list(phase);
    if (!rows || row < 0 || row >= rows->size())
        return nullptr;
    return &(*rows)[row];
}

int SocketProgramEdit::timerIndexOf(const Condition &row)
{
    const double last = row.params.isEmpty() ? -1.0 : row.params.last();
    return int(qBound(qint64(-1), truncateToInt64(last), qint64(1) << 20));
}

SocketProgramEdit::Added SocketProgramEdit::addSensorRows(int phase, int input, const SensorSlot &sensor)
{
    Added added;
    if (phase != Day && phase != Night) {
        added.refusal = Refusal::NoSuchRow;
        return added;
    }
    const QStringList valueNames = sensorTypeInfo(sensor.type).valueNames;
    for (int c = 0; c < valueNames.size(); ++c) {
        if (rows(phase).size() >= MaxRows) {
            added.refusal = Refusal::TooManyRows;
            break;
        }
        if (c >= sensor.channels.size()) {
            added.refusal = Refusal::NoChannel;
            break;
        }
        Condition record;
        record.ref = input;
        record.text = sensor.name + QStringLiteral(": ") + valueNames.at(c);
        record.kind = ConditionKind::Below;
        record.priority = NewRowPriority;
        record.action = ConditionAction::On;
        record.value = bitsFromFloat(0.0f);
        record.source = sensor.channels.at(c);
        m_present = true;
        list(phase)->append(record);
        ++added.rows;
    }
    return added;
}

SocketProgramEdit::Refusal SocketProgramEdit::addTimer(const ControllerState &state)
{
    if (!state.startTime.isValid() && state.dayHours + state.nightHours == 24)
        return Refusal::NoStartTime;
    if (rows(Day).size() >= MaxRows || rows(Night).size() >= MaxRows)
        return Refusal::TooManyRows;
    m_present = true;
    const QList<double> fields = normalizedTimerParams({}, editedCycleMinutes(state));
    TimerSlot timer{0, 0, 0, 0, 1, 1, -1, 0, 0};
    timer.start = int(truncateToInt64(fields.at(0)));
    timer.duration = int(truncateToInt64(fields.at(1)));
    timer.period = int(truncateToInt64(fields.at(2)));
    timer.count = int(truncateToInt64(fields.at(3)));
    timer.dayRow = int(m_program.dayConditions.size());
    timer.nightRow = int(m_program.nightConditions.size());
    m_program.timers.append(timer);

    Condition record;
    record.ref = TimerRef;
    record.text = timerRowText();
    // the kind of a timer row is not written; Above is what reading it back gives
    record.kind = ConditionKind::Above;
    record.priority = NewRowPriority;
    record.action = ConditionAction::On;
    record.params = fields;
    record.params << double(m_program.timers.size() - 1);
    record.source = TimerSource;
    m_program.dayConditions << record;
    m_program.nightConditions << record;
    return Refusal::None;
}

SocketProgramEdit::Refusal SocketProgramEdit::removeRow(int phase, int row)
{
    const Condition *found = rowAt(phase, row);
    if (!found)
        return Refusal::NoSuchRow;
    if (found->source == BaseStateSource)
        return Refusal::BaseStateRow;
    const int t = timerIndexOf(*found);
    if (found->source != TimerSource || t < 0 || t >= m_program.timers.size()) {
        list(phase)->removeAt(row);
        return Refusal::None;
    }
    for (QList<Condition> *rows : {&m_program.dayConditions, &m_program.nightConditions}) {
        rows->removeIf([t](const Condition &c) { return c.source == TimerSource && timerIndexOf(c) == t; });
    }
    dropTimer(t);
    return Refusal::None;
}

void SocketProgramEdit::dropTimer(int timer)
{
    // A timer no row names is dropped and the later ones renumbered. The rows' positions in the
    // timers (dayRow, nightRow) are bookkeeping of the encoder and stay as they are.
    m_program.timers.removeAt(timer);
    for (QList<Condition> *rows : {&m_program.dayConditions, &m_program.nightConditions}) {
        for (Condition &row : *rows) {
            const int t = timerIndexOf(row);
            if (row.source == TimerSource && t > timer)
                row.params.last() = double(t - 1);
        }
    }
}

bool SocketProgramEdit::setAction(int phase, int row, ConditionAction action, bool *baseStateAdded)
{
    if (baseStateAdded)
        *baseStateAdded = false;
    Condition *record = rowAt(phase, row);
    if (!record)
        return false;
    record->action = action;
    QList<Condition> &rows = *list(phase);
    bool hasOn = false;
    bool hasOff = false;
    bool hasBase = false;
    for (const Condition &c : rows) {
        if (c.source == BaseStateSource) {
            hasBase = true;
            continue;
        }
        hasOn = hasOn || c.action == ConditionAction::On;
        hasOff = hasOff || c.action == ConditionAction::Off;
    }
    if (!(hasOn && hasOff) && !hasBase) {
        // the same row the base scenario and the decoder carry, so equal plans compare equal
        rows.append(baseStateCondition(hasOn ? ConditionAction::Off : ConditionAction::On));
        if (baseStateAdded)
            *baseStateAdded = true;
    }
    return true;
}

bool SocketProgramEdit::setKind(int phase, int row, ConditionKind kind)
{
    Condition *record = rowAt(phase, row);
    if (!record)
        return false;
    record->kind = kind;
    if (kind == ConditionKind::Interval && record->params.isEmpty())
        record->params = {double(floatFromBits(record->value)) + 1};
    return true;
}

bool SocketProgramEdit::setUpperBound(int phase, int row, double upper)
{
    Condition *record = rowAt(phase, row);
    if (!record)
        return false;
    if (!record->params.isEmpty())
        record->params[0] = upper;
    else
        record->params = {upper};
    return true;
}

bool SocketProgramEdit::setPriority(int phase, int row, int priority)
{
    Condition *record = rowAt(phase, row);
    if (!record)
        return false;
    record->priority = priority;
    return true;
}

SocketProgramEdit::ValueEdit SocketProgramEdit::setValue(int phase, int row, double value, const QList<double> &timerFields)
{
    Condition *record = rowAt(phase, row);
    if (!record)
        return ValueEdit::Refused;
    if (record->source != TimerSource) {
        record->value = bitsFromFloat(toSinglePrecision(value));
        return ValueEdit::Threshold;
    }
    const int t = timerIndexOf(*record);
    if (t < 0 || t >= m_program.timers.size() || timerFields.size() < 4)
        return ValueEdit::Refused;
    TimerSlot &timer = m_program.timers[t];
    timer.start = int(truncateToInt64(timerFields.at(0)));
    timer.duration = int(truncateToInt64(timerFields.at(1)));
    timer.period = int(truncateToInt64(timerFields.at(2)));
    timer.count = int(truncateToInt64(timerFields.at(3)));
    QList<double> stored = timerFields.mid(0, 4);
    stored << double(t);
    record->params = stored;
    // the twins: found by their timer index, so that stale row numbers never touch a row of
    // another kind
    const int other = phase == Day ? Night : Day;
    for (int i : timerTwins(phase, row))
        (*list(other))[i].params = stored;
    return ValueEdit::Timer;
}

bool SocketProgramEdit::prioritiesMatter(int phase) const
{
    const Condition *previous = nullptr;
    for (const Condition &row : rows(phase)) {
        if (row.source == BaseStateSource)
            continue;
        // an interval switches both ways: it disagrees with any other row
        if (previous && (previous->kind == ConditionKind::Interval || row.kind == ConditionKind::Interval
                         || previous->action != row.action))
            return true;
        previous = &row;
    }
    return false;
}

const TimerSlot *SocketProgramEdit::timerOf(int phase, int row) const
{
    const QList<Condition> &list = rows(phase);
    if (row < 0 || row >= list.size() || list.at(row).source != TimerSource)
        return nullptr;
    const int t = timerIndexOf(list.at(row));
    return t >= 0 && t < m_program.timers.size() ? &m_program.timers.at(t) : nullptr;
}

QList<int> SocketProgramEdit::timerTwins(int phase, int row) const
{
    QList<int> twins;
    if (!timerOf(phase, row))
        return twins;
    const int t = timerIndexOf(rows(phase).at(row));
    const QList<Condition> &others = rows(phase == Day ? Night : Day);
    for (int i = 0; i < others.size(); ++i) {
        if (others.at(i).source == TimerSource && timerIndexOf(others.at(i)) == t)
            twins << i;
    }
    return twins;
}

int syncWorkingCopyWithRelays(QMap<int, SocketProgram> &working, const ControllerState &state, int shownOutput)
{
    const QList<int> relays = relayOutputs(state);
    syncRelayProgram(working, relays, relayChannels(state), keptOutputs(state));
    if (shownOutput >= 1 && shownOutput <= ControllerState::SocketCount)
        return shownOutput;
    return relays.contains(shownOutput) ? shownOutput : 1;
}
