#include "model/codec/configimage.h"

#include "model/codec/configimageformat.h"
#include "model/numericutil.h"
#include "model/codec/sensorcatalogue.h"
#include "model/codec/textlimit.h"
#include "model/plan/timershift.h"
#include "model/wallclock.h"

#include <limits>

namespace {

double param(const Condition &row, int i)
{
    return i < row.params.size() ? row.params.at(i) : 0.0;
}

bool isSensorSource(int source)
{
    return source != BaseStateSource && source != TimerSource;
}

// Writes one program's condition lists and numbers the timers they use, in order of first use.
class ProgramWriter
{
public:
    ProgramWriter(const ControllerState &state, SocketProgram &program, QByteArray &section)
        : m_state(state), m_program(program), m_section(section)
    {
        m_timerBlock.append(char(ImageTag::TimerBlock));
        appendU16(m_timerBlock, 0);  // timer count, filled in at the end
    }

    // Kept rows go back at the positions they were read at, as far as the list still reaches.
    void writeList(quint8 tag, quint8 socketIndex, const QList<Condition> &rows, const QList<KeptRow> &kept)
    {
        appendU8(m_section, tag);
        appendU8(m_section, socketIndex);
        appendU8(m_section, quint8(rows.size() + kept.size()));
        qsizetype next = 0;
        int written = 0;
        for (const KeptRow &row : kept) {
            for (; written < row.position && next < rows.size(); ++written)
                writeCondition(rows.at(next++));
            m_section += row.record;
            ++written;
        }
        for (; next < rows.size(); ++next)
            writeCondition(rows.at(next));
    }

    void finish()
    {
        qToLittleEndian(quint16(m_slotCounter), m_timerBlock.data() + 1);
        appendU8(m_timerBlock, ImageTag::TimerBlockEnd);
        m_section += m_timerBlock;
    }

private:
    bool onTwoStateSensor(const Condition &row) const
    {
        return row.ref >= 0 && row.ref < m_state.sensors.size()
            && m_state.sensors.at(row.ref).type == SensorContact;
    }

    quint8 timerCode(const Condition &row)
    {
        if (row.params.isEmpty())
            return 0;
        const qint64 index = truncateToInt64(row.params.last());
        if (index < 0 || index >= m_program.timers.size())
            return 0;
        TimerSlot &timer = m_program.timers[index];
        if (timer.slot < 0) {
            timer.slot = m_slotCounter++;
            appendTimerRecord(row);
        }
        return quint8(timer.slot);
    }

    void appendTimerRecord(const Condition &row)
    {
        const qint64 cycleHours = qint64(m_state.dayHours) + m_state.nightHours;
        appendU16(m_timerBlock, quint16(shiftedTimerStart(param(row, 0), m_state.timerShiftMinutes, cycleHours)));
        for (int i = 1; i <= 3; ++i)
            appendU16(m_timerBlock, quint16(truncateToInt64(param(row, i))));
    }

    void writeCondition(const Condition &row)
    {
        const bool timer = row.source == TimerSource;
        const bool interval = !timer && row.kind == ConditionKind::Interval;
        quint8 code;
        if (timer)
            code = timerCode(row);
        else if (interval)
            code = row.action == ConditionAction::On ? ConditionCode::IntervalOn : ConditionCode::IntervalOff;
        else
            code = row.kind == ConditionKind::Below ? ConditionCode::Below : ConditionCode::Above;

        quint32 threshold = row.value;
        if (row.source == BaseStateSource)
            threshold = BaseStateThresholdBits;
        else if (isSensorSource(row.source) && onTwoStateSensor(row))
            threshold = TwoStateThresholdBits;

        appendU8(m_section, ImageTag::ConditionStart);
        appendU8(m_section, quint8(row.source));
        appendU8(m_section, code);
        appendU32(m_section, threshold);
        if (interval) {
            appendU32(m_section, bitsFromFloat(toSinglePrecision(param(row, 0))));
        } else {
            appendU8(m_section, row.action == ConditionAction::On ? ActionOnByte : 0);
            appendU8(m_section, 0);
            appendU16(m_section, 0);
        }
        appendU8(m_section, quint8(row.priority));
        appendU8(m_section, ImageTag::ConditionEnd);
    }

    const ControllerState &m_state;
    SocketProgram &m_program;
    QByteArray &m_section;
    QByteArray m_timerBlock;
    int m_slotCounter = 0;
};

// A kept section refused for its type or input alone goes back in input order; one refused because
// it contradicts an accepted section goes after all accepted ones, so that reading the image again
// accepts the same sections.
bool keptInInputOrder(const KeptSensorSection &kept)
{
    return kept.input >= ControllerState::SensorCount || kept.type == SensorOff || kept.type >= SensorTypeCount;
}

void appendSensorSections(const ControllerState &state, QByteArray &body)
{
    const auto appendKept = [&](const auto &belongs) {
        for (const KeptSensorSection &kept : state.keptSensorSections) {
            if (belongs(kept))
                body += kept.section;
        }
    };
    for (int i = 0; i < ControllerState::SensorCount; ++i) {
        if (state.sensors.at(i).type != SensorOff)
            body += state.sensors.at(i).section;
        appendKept([i](const KeptSensorSection &kept) { return keptInInputOrder(kept) && kept.input == i; });
    }
    appendKept([](const KeptSensorSection &kept) { return kept.input >= ControllerState::SensorCount; });
    appendKept([](const KeptSensorSection &kept) { return !keptInInputOrder(kept); });
}

void appendSocketSections(ControllerState &state, QByteArray &body)
{
    for (int i = 0; i < ControllerState::SocketCount; ++i) {
        SocketSlot &socket = state.sockets[i];
        const QByteArray name = utf8CutTo(socket.name, MaxNameBytes);
        socket.section.clear();
        appendU8(socket.section, ImageTag::SocketStart);
        appendU8(socket.section, quint8(name.size()));
        socket.section += name;
        appendU8(socket.section, quint8(i));
        appendU8(socket.section, 0);
        appendU8(socket.section, ImageTag::SocketEnd);
        body += socket.section;
    }
}

void appendWorkCycle(ControllerState &state, QByteArray &body)
{
    state.startSeconds = wallSecondsOf(state.startTime);
    if (!workCycleWritable(state))
        return;
    appendU8(body, ImageTag::WorkCycleStart);
    appendU16(body, quint16(state.dayHours));
    appendU16(body, quint16(state.nightHours));
    appendI64(body, state.startSeconds);
    appendU16(body, quint16(state.cycleCount));
    appendU8(body, ImageTag::WorkCycleEnd);
}

void dropNightSensorRows(ControllerState &state)
{
    for (Scenario &scenario : state.scenarios) {
        for (SocketProgram &program : scenario.sockets) {
            program.nightConditions.removeIf([](const Condition &row) { return isSensorSource(row.source); });
        }
    }
}

// Scenario a day runs; an index naming no scenario runs the base scenario.
int dayScenario(const ControllerState &state, int day)
{
    const int index = state.days.at(day).scenarioIndex;
    return (index >= 0 && index < state.scenarios.size()) ? index : 0;
}

void appendScenarioSections(ControllerState &state, QByteArray &body)
{
    QList<bool> namedByDay(state.scenarios.size(), false);
    if (!state.scenarios.isEmpty()) {
        for (int d = 0; d < state.days.size(); ++d)
            namedByDay[dayScenario(state, d)] = true;
    }
    for (int j = 0; j < state.scenarios.size(); ++j) {
        Scenario &scenario = state.scenarios[j];
        // A scenario some day runs is always written, so that no run of the day map names an
        // offset the image lacks.
        if (j != 0 && scenario.usage == 0 && !namedByDay.at(j))
            continue;
        QByteArray section;
        const QByteArray name = utf8CutTo(scenario.name, std::numeric_limits<quint16>::max());
        appendU8(section, ImageTag::ScenarioStart);
        appendU16(section, quint16(name.size()));
        section += name;
        scenario.imageOffset = int(body.size() + section.size());
        for (auto it = scenario.sockets.begin(); it != scenario.sockets.end(); ++it) {
            if (it.key() < 1 || it.key() > LastOutput)
                continue;  // not an output: nothing the controller could switch
            SocketProgram &program = it.value();
            for (TimerSlot &timer : program.timers)
                timer.slot = -1;
            const quint8 socketIndex = quint8(it.key() - 1);
            ProgramWriter writer(state, program, section);
            writer.writeList(ImageTag::DayList, socketIndex, program.dayConditions, program.keptDayRows);
            writer.writeList(ImageTag::NightList, socketIndex, program.nightConditions, program.keptNightRows);
            writer.finish();
        }
        body += section;
    }
}

void appendDayMap(const ControllerState &state, QByteArray &body)
{
    appendU8(body, ImageTag::DayMapStart);
    const qsizetype countPos = body.size();
    appendU8(body, 0);
    int runs = 0;
    if (!state.scenarios.isEmpty()) {
        const int n = int(state.days.size());
        auto appendRun = [&](int lastDay) {
            appendU16(body, quint16(lastDay));
            appendU32(body, quint32(state.scenarios.at(dayScenario(state, lastDay)).imageOffset));
            ++runs;
        };
        for (int j = 1; j < n; ++j) {
            if (dayScenario(state, j - 1) != dayScenario(state, j))
                appendRun(j - 1);
        }
        if (n > 0)
            appendRun(n - 1);
    }
    body[countPos] = char(quint8(runs));
    appendU8(body, ImageTag::DayMapEnd);
}

QByteArray buildBody(ControllerState &state)
{
    QByteArray body;
    appendSensorSections(state, body);
    appendSocketSections(state, body);
    appendWorkCycle(state, body);
    if (state.nightHours == 0)
        dropNightSensorRows(state);
    appendScenarioSections(state, body);
    appendDayMap(state, body);
    const qsizetype padding = (ImageBodyGranule - body.size() % ImageBodyGranule) % ImageBodyGranule;
    body.append(padding, '\0');
    return body;
}

} // namespace

bool workCycleWritable(const ControllerState &state)
{
    return state.dayHours >= 1 && state.dayHours <= MaxCycleHours && state.nightHours >= 0
        && state.nightHours <= MaxCycleHours && wallSecondsOf(state.startTime) != 0 && state.cycleCount > 0;
}

QByteArray encodeConfigImage(ControllerState &state, QByteArray &heldBody)
{
    // An empty held body is never what should go out, whatever the flag says.
    if (!state.imageIsCurrent || heldBody.isEmpty())
        heldBody = buildBody(state);
    state.imageIsCurrent = false;

    if (heldBody.size() + ImageHeaderSize > MaxImageSize)
        return QByteArray();  // the length field cannot hold it and the memory cannot take it
    QByteArray header(ImageHeaderSize, '\0');
    header[0] = char(0x11);
    header[1] = char(0x22);
    qToLittleEndian(quint16(heldBody.size() + ImageHeaderSize), header.data() + 2);
    return header;
}
