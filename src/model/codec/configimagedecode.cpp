#include "model/codec/configimage.h"

#include "model/plan/basescenario.h"
#include "model/clock.h"
#include "model/codec/configimageformat.h"
#include "model/numericutil.h"
#include "model/codec/sensorcatalogue.h"
#include "model/wallclock.h"

#include <QHash>

#include <algorithm>

namespace {

// Walks the tagged records of a body. Every handler returns the position after its record, or
// Stop when the record is malformed or cut short; nothing of such a record is kept. Positions only
// grow, so the walk always ends.
class ImageDecoder
{
public:
    // keepAll: every sensor section is kept as one the program cannot show, none accepted.
    ImageDecoder(ControllerState &state, const QByteArray &body, bool keepAll = false)
        : m_state(state), m_body(body), m_size(body.size()), m_keepAll(keepAll)
    {
    }

    DecodeResult run()
    {
        m_state.scenarios.clear();
        m_state.keptSensorSections.clear();
        DecodeResult result = walk();
        reserveKeptChannels(m_state);
        return result;
    }

private:
    DecodeResult walk()
    {
        qsizetype i = 0;
        bool report = true;
        while (i < m_size) {
            const qsizetype next = step(i, report);
            if (next <= i) {
                m_result.stopPosition = int(i);
                if (report)
                    m_result.usedLength = int((i / ImageBodyGranule + 1) * ImageBodyGranule);
                m_result.complete = m_dayMapEnd == i && onlyZerosFrom(i);
                return m_result;
            }
            i = next;
        }
        m_result.stopPosition = int(m_size);
        m_result.complete = m_dayMapEnd == m_size;
        return m_result;
    }

    static constexpr qsizetype Stop = -1;

    qsizetype step(qsizetype i, bool &report)
    {
        switch (byteAt(m_body, i)) {
        case ImageTag::SensorStart: return sensorSection(i);
        case ImageTag::SocketStart: return socketSection(i);
        case ImageTag::WorkCycleStart: return workCycle(i);
        case ImageTag::ScenarioStart: return scenarioHeader(i);
        case ImageTag::DayList:
        case ImageTag::NightList: return listHeader(i);
        case ImageTag::ConditionStart: return condition(i);
        case ImageTag::TimerBlock: return timerBlock(i);
        case ImageTag::DayMapStart: return dayMap(i, report);
        default: return Stop;  // padding or an unknown tag
        }
    }

    bool has(qsizetype pos) const { return pos >= 0 && pos < m_size; }

    bool onlyZerosFrom(qsizetype pos) const
    {
        for (; pos < m_size; ++pos) {
            if (byteAt(m_body, pos) != 0)
                return false;
        }
        return true;
    }

    // A name of one-byte length right after the tag; returns the position after it or Stop.
    qsizetype shortName(qsizetype i, QString *name) const
    {
        if (!has(i + 1))
            return Stop;
        const int length = byteAt(m_body, i + 1);
        if (length >= m_size - (i + 2))
            return Stop;
        *name = QString::fromUtf8(m_body.constData() + i + 2, length);
        return i + 2 + length;
    }

    qsizetype sensorSection(qsizetype i)
    {
        QString name;
        qsizetype p = shortName(i, &name);
        if (p == Stop || !has(p + 2))
            return Stop;
        const int index = byteAt(m_body, p);
        const int type = byteAt(m_body, p + 2);  // p + 1: model code, carried, not read
        // A section for an input met before, of an input the box lacks, or of a type the table
        // lacks is not one the program could have written: it is kept as read for the next
        // write, not a reason to lose the plan behind it.
        bool usable = !m_keepAll && index < ControllerState::SensorCount && !m_sensorSeen[index] && type != SensorOff
                      && type < SensorTypeCount;
        p += 3;

        QList<CalibrationEntry> calibration;
        QList<int> channels;
        QList<int> allChannels;
        while (has(p) && byteAt(m_body, p) == ImageTag::ChannelBlock) {
            if (!has(p + 3))
                return Stop;
            const int channel = byteAt(m_body, p + 1);
            allChannels.append(channel);
            const int marker = byteAt(m_body, p + 3);
            p += 4;
            CalibrationEntry entry;
            if (marker != 0) {
                if (!has(p + 3))
                    return Stop;
                entry.marker = (marker & 0x80) ? 1 : 0;
                entry.offset = floatFromBits(readU32(m_body, p));
                p += 4;
            }
            calibration.append(entry);
            if (has(p) && byteAt(m_body, p) == ImageTag::ChannelUsable) {
                // Each input takes ids no other input holds; a shared id would make the rows
                // on it belong to whichever input came first.
                if (channel < 1 || channel >= ControllerState::ChannelIdCount || m_channelTaken[channel]
                    || channels.contains(channel))
                    usable = false;
                else
                    channels.append(channel);
                ++p;
            }
        }
        // trailer: tag, u32 (carried, not read), end tag
        if (!has(p + 5) || byteAt(m_body, p) != ImageTag::SensorTrailer || byteAt(m_body, p + 5) != ImageTag::SensorEnd)
            return Stop;
        const qsizetype end = p + 6;
        if (!usable) {
            m_state.keptSensorSections.append(KeptSensorSection{index, type, name, allChannels, m_body.mid(i, end - i)});
            return end;
        }

        SensorSlot &sensor = m_state.sensors[index];
        sensor.section = m_body.mid(i, end - i);
        sensor.name = name;
        sensor.calibration = calibration;
        sensor.channels = channels;
        sensor.type = type;
        for (int channel : channels) {
            m_state.usedChannels[channel] = 1;
            m_channelTaken[channel] = true;
        }
        m_sensorSeen[index] = true;
        m_result.acceptedSensors.append(index);
        return end;
    }

    qsizetype socketSection(qsizetype i)
    {
        QString name;
        const qsizetype p = shortName(i, &name);
        if (p == Stop || !has(p + 2))
            return Stop;
        const int index = byteAt(m_body, p);
        if (index >= ControllerState::SocketCount)
            return Stop;
        const qsizetype end = p + 3;
        if (byteAt(m_body, p + 2) == ImageTag::SocketEnd) {
            SocketSlot &socket = m_state.sockets[index];
            socket.name = name;
            socket.baseFlag = byteAt(m_body, p + 1);
            socket.power = 0;
            socket.present = 1;
            socket.section = m_body.mid(i, end - i);
            m_result.acceptedSockets.append(index);
        }
        return end;
    }

    qsizetype workCycle(qsizetype i)
    {
        if (!has(i + WorkCycleSectionSize - 1) || byteAt(m_body, i + WorkCycleSectionSize - 1) != ImageTag::WorkCycleEnd)
            return Stop;
        m_state.dayHours = readU16(m_body, i + 1);
        m_state.nightHours = readU16(m_body, i + 3);
        m_state.startSeconds = readI64(m_body, i + 5);
        m_state.cycleCount = std::min<int>(readU16(m_body, i + 13), ControllerState::MaxCycleDays);
        m_state.days = QList<CycleDay>(m_state.cycleCount);
        m_nextDay = 0;
        m_state.startTime = dateTimeFromLocalWallSeconds(m_state.startSeconds);
        m_state.workCycleKnown = true;
        if (m_state.loadedFromFile)
            moveStartToToday();
        return i + WorkCycleSectionSize;
    }

    // A plan loaded from a file starts today at its time of day (a 24-hour cycle) or in an hour.
    void moveStartToToday()
    {
        const QDateTime now = Clock::now();
        if (m_state.dayHours + m_state.nightHours == 24 && m_state.startTime.isValid()) {
            QDateTime start(now.date(), m_state.startTime.time(), Qt::LocalTime);
            if (start < now)
                start = start.addDays(1);
            m_state.startTime = start;
        } else {
            m_state.startTime = now.addSecs(3600);
        }
    }

    qsizetype scenarioHeader(qsizetype i)
    {
        closePending();
        if (!has(i + 2))
            return Stop;
        const int length = readU16(m_body, i + 1);
        if (length > m_size - (i + 3))
            return Stop;
        m_pending.name = QString::fromUtf8(m_body.constData() + i + 3, length);
        m_pendingOpen = true;
        // its first list starts right after the name; a scenario without lists is named by this
        // offset in the day map
        m_pending.imageOffset = int(i + 3 + length);
        return i + 3 + length;
    }

    qsizetype listHeader(qsizetype i)
    {
        if (!has(i + 2))
            return Stop;
        const int socketIndex = byteAt(m_body, i + 1);  // i + 2: row count, rows are taken as they come
        if (socketIndex >= LastOutput)
            return Stop;
        if (m_pending.imageOffset < 0)
            m_pending.imageOffset = int(i);
        m_output = socketIndex + 1;
        m_night = byteAt(m_body, i) == ImageTag::NightList;
        m_pending.sockets[m_output];
        return i + 3;
    }

    qsizetype condition(qsizetype i)
    {
        if (!has(i + ConditionRecordSize - 1) || byteAt(m_body, i + ConditionRecordSize - 1) != ImageTag::ConditionEnd)
            return Stop;
        if (m_output == 0)
            return Stop;  // a row before any list header belongs to no output
        const int source = qint8(byteAt(m_body, i + 1));
        const int code = byteAt(m_body, i + 2);
        const bool actionByteOn = byteAt(m_body, i + 7) != 0;

        Condition row;
        row.source = source;
        row.value = readU32(m_body, i + 3);
        const int priority = byteAt(m_body, i + 11);
        row.priority = (priority & 0x80) ? 0 : priority;
        if (source == TimerSource) {
            row.ref = TimerRef;
            row.text = timerRowText();
            row.params = {double(code)};
            row.kind = ConditionKind::Above;
            row.action = actionByteOn ? ConditionAction::On : ConditionAction::Off;
        } else {
            if (source == BaseStateSource) {
                row.ref = BaseStateRef;
                row.text = baseStateText();
            } else if (!captionSensorRow(source, &row)) {
                // A channel no input offers (a sensor the program cannot show, say): the row is
                // kept as read, at its place in the list.
                SocketProgram &program = m_pending.sockets[m_output];
                const QList<Condition> &rows = m_night ? program.nightConditions : program.dayConditions;
                QList<KeptRow> &kept = m_night ? program.keptNightRows : program.keptDayRows;
                kept.append(KeptRow{int(rows.size() + kept.size()), m_body.mid(i, ConditionRecordSize)});
                return i + ConditionRecordSize;
            }
            if (code == ConditionCode::Below) {
                row.kind = ConditionKind::Below;
            } else if (code == ConditionCode::IntervalOn || code == ConditionCode::IntervalOff) {
                row.kind = ConditionKind::Interval;
                row.params = {double(floatFromBits(readU32(m_body, i + 7)))};
            } else {
                row.kind = ConditionKind::Above;
            }
            if (code == ConditionCode::IntervalOn)
                row.action = ConditionAction::On;
            else if (code == ConditionCode::IntervalOff)
                row.action = ConditionAction::Off;
            else
                row.action = actionByteOn ? ConditionAction::On : ConditionAction::Off;
        }
        SocketProgram &program = m_pending.sockets[m_output];
        (m_night ? program.nightConditions : program.dayConditions).append(row);
        return i + ConditionRecordSize;
    }

    bool captionSensorRow(int channel, Condition *row) const
    {
        if (channel < 1)
            return false;
        for (int j = 0; j < ControllerState::SensorCount; ++j) {
            const SensorSlot &sensor = m_state.sensors.at(j);
            const qsizetype k = sensor.channels.indexOf(channel);
            if (k < 0)
                continue;
            row->ref = j;
            row->text = sensor.name + QStringLiteral(": ") + sensorTypeInfo(sensor.type).valueNames.value(k);
            return true;
        }
        return false;
    }

    qsizetype timerBlock(qsizetype i)
    {
        if (m_output == 0 || !has(i + 2))
            return Stop;
        const int count = readU16(m_body, i + 1);
        const qsizetype end = i + 3 + qsizetype(TimerRecordSize) * count;
        if (!has(end) || byteAt(m_body, end) != ImageTag::TimerBlockEnd)
            return Stop;
        QList<TimerSlot> &timers = m_pending.sockets[m_output].timers;
        for (int k = 0; k < count; ++k) {
            const qsizetype p = i + 3 + qsizetype(TimerRecordSize) * k;
            TimerSlot timer;
            timer.start = readU16(m_body, p);
            timer.duration = readU16(m_body, p + 2);
            timer.period = readU16(m_body, p + 4);
            timer.count = readU16(m_body, p + 6);
            timers.append(timer);
        }
        return end + 1;
    }

    qsizetype dayMap(qsizetype i, bool &report)
    {
        closePending();
        if (!has(i + 1))
            return Stop;
        const int runs = byteAt(m_body, i + 1);
        const qsizetype end = i + 2 + qsizetype(DayMapRunSize) * runs;
        if (!has(end) || byteAt(m_body, end) != ImageTag::DayMapEnd) {
            report = false;
            return Stop;
        }
        for (int k = 0; k < runs; ++k) {
            const qsizetype p = i + 2 + qsizetype(DayMapRunSize) * k;
            const int lastDay = readU16(m_body, p);
            const quint32 offset = readU32(m_body, p + 2);
            if (!m_scenarioByOffset.contains(offset) && m_emptyByOffset.contains(offset)) {
                m_scenarioByOffset.insert(offset, int(m_state.scenarios.size()));
                m_state.scenarios.append(m_emptyByOffset.take(offset));
            }
            const auto found = m_scenarioByOffset.constFind(offset);
            if (found == m_scenarioByOffset.constEnd())
                return Stop;  // a run naming a scenario the image does not hold
            const int scenario = found.value();
            const int dayCount = int(std::min<qsizetype>(m_state.cycleCount, m_state.days.size()));
            for (; m_nextDay <= lastDay && m_nextDay < dayCount; ++m_nextDay)
                m_state.days[m_nextDay].scenarioIndex = scenario;
            if (scenario != 0 && !m_state.scenarioOrder.contains(scenario))
                m_state.scenarioOrder.insert(scenario, int(m_state.scenarioOrder.size()));
        }
        m_result.dayMapRead = true;
        m_dayMapEnd = end + 1;
        return end + 1;
    }

    // A pending scenario with at least one program joins the list; one without programs joins it
    // only when a day runs it.
    void closePending()
    {
        if (!m_pending.sockets.isEmpty()) {
            m_scenarioByOffset.insert(quint32(m_pending.imageOffset), int(m_state.scenarios.size()));
            m_state.scenarios.append(m_pending);
        } else if (m_pendingOpen && !m_emptyByOffset.contains(quint32(m_pending.imageOffset))) {
            m_emptyByOffset.insert(quint32(m_pending.imageOffset), m_pending);
        }
        m_pendingOpen = false;
        m_pending = Scenario();
        m_output = 0;
        m_night = false;
    }

    ControllerState &m_state;
    const QByteArray &m_body;
    const qsizetype m_size;
    const bool m_keepAll;
    DecodeResult m_result;
    bool m_sensorSeen[ControllerState::SensorCount] = {};
    bool m_channelTaken[ControllerState::ChannelIdCount] = {};
    Scenario m_pending;
    bool m_pendingOpen = false;  // a scenario header was read for m_pending
    QHash<quint32, Scenario> m_emptyByOffset;
    int m_output = 0;  // output number of the current list; 0 = none yet
    bool m_night = false;
    int m_nextDay = 0;
    qsizetype m_dayMapEnd = -1;  // position after the last day map read whole
    QHash<quint32, int> m_scenarioByOffset;
};

} // namespace

DecodeResult decodeConfigImage(ControllerState &state, const QByteArray &body)
{
    return ImageDecoder(state, body).run();
}

bool readSensorSection(const QByteArray &bytes, KeptSensorSection *out)
{
    ControllerState alone;
    alone.resetToEmptyForm();
    const DecodeResult result = ImageDecoder(alone, bytes, true).run();
    if (result.stopPosition != bytes.size() || alone.keptSensorSections.size() != 1
        || alone.keptSensorSections.first().section != bytes)
        return false;
    *out = alone.keptSensorSections.first();
    return true;
}
