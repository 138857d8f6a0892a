#include "sim/simimage.h"

#include "sim/simbytes.h"

using namespace SimBytes;

namespace {

constexpr int HeaderSize = 64;
constexpr int ConditionSize = 13;
constexpr int TimerSize = 8;

class ImageReader
{
public:
    explicit ImageReader(const QByteArray &body, SimImage &out)
        : m_body(body)
        , m_out(out)
    {
    }

    // Returns false where the data stops fitting the format.
    bool run()
    {
        while (m_pos < m_body.size()) {
            const quint8 tag = u8(m_body, m_pos);
            bool ok = true;
            switch (tag) {
            case 0x00:
                return true; // padding: the body ends here
            case 0x02: ok = sensorSection(); break;
            case 0x07: ok = socketSection(); break;
            case 0x0C: ok = cycleSection(); break;
            case 0x14: ok = scenarioHeader(); break;
            case 0x0E:
            case 0x0F: ok = listHeader(tag == 0x0F); break;
            case 0x0A: ok = condition(); break;
            case 0x10: ok = timerBlock(); break;
            case 0x12: ok = dayMap(); break;
            default: ok = false;
            }
            if (!ok)
                return false;
        }
        return true;
    }

private:
    bool sensorSection()
    {
        qsizetype p = m_pos + 1;
        const int nameLength = u8(m_body, p);
        p += 1 + nameLength;
        if (!has(m_body, p, 3))
            return false;
        SimSensor sensor;
        sensor.input = u8(m_body, p);
        sensor.type = u8(m_body, p + 2);
        p += 3;
        if (sensor.input > 5)
            return false;
        while (u8(m_body, p) == 0x11) {
            if (!has(m_body, p, 4))
                return false;
            sensor.channels.append(u8(m_body, p + 1));
            const bool hasCalibration = u8(m_body, p + 3) != 0;
            if (hasCalibration && !has(m_body, p, 8))
                return false;
            sensor.offsets.append(hasCalibration ? f32(m_body, p + 4) : 0.0f);
            p += 4 + (hasCalibration ? 4 : 0);
            if (u8(m_body, p) == 0x12)
                ++p;
        }
        if (!has(m_body, p, 6) || u8(m_body, p) != 0x14 || u8(m_body, p + 5) != 0x03)
            return false;
        m_out.sensors.append(sensor);
        m_pos = p + 6;
        return true;
    }

    bool socketSection()
    {
        const qsizetype p = m_pos + 2 + u8(m_body, m_pos + 1);
        if (!has(m_body, m_pos, 2) || !has(m_body, p, 3) || u8(m_body, p) > 3)
            return false;
        m_pos = p + 3;
        return true;
    }

    bool cycleSection()
    {
        if (!has(m_body, m_pos, 16) || u8(m_body, m_pos + 15) != 0x0D)
            return false;
        m_out.hasCycle = true;
        m_out.dayHours = u16(m_body, m_pos + 1);
        m_out.nightHours = u16(m_body, m_pos + 3);
        m_out.startSeconds = i64(m_body, m_pos + 5);
        m_out.cycleCount = u16(m_body, m_pos + 13);
        m_pos += 16;
        return true;
    }

    bool scenarioHeader()
    {
        if (!has(m_body, m_pos, 3))
            return false;
        const qsizetype next = m_pos + 3 + u16(m_body, m_pos + 1);
        if (next > m_body.size())
            return false;
        m_out.scenarios.append(SimScenario());
        m_out.scenarios.last().offset = quint32(next);
        m_output = -1;
        m_pos = next;
        return true;
    }

    bool listHeader(bool night)
    {
        if (!has(m_body, m_pos, 3) || m_out.scenarios.isEmpty())
            return false;
        const int output = u8(m_body, m_pos + 1);
        if (output > 9)
            return false;
        m_output = output;
        m_night = night;
        m_pos += 3; // the row count is not needed: rows are taken as they come
        return true;
    }

    bool condition()
    {
        if (m_output < 0 || !has(m_body, m_pos, ConditionSize) || u8(m_body, m_pos + 12) != 0x0B)
            return false;
        SimCondition c;
        c.source = u8(m_body, m_pos + 1);
        c.code = u8(m_body, m_pos + 2);
        c.threshold = f32(m_body, m_pos + 3);
        c.upper = f32(m_body, m_pos + 7);
        c.actionOn = u8(m_body, m_pos + 7) != 0;
        c.priority = u8(m_body, m_pos + 11);
        SimProgram &program = currentProgram();
        (m_night ? program.night : program.day).append(c);
        m_pos += ConditionSize;
        return true;
    }

    bool timerBlock()
    {
        if (m_output < 0 || !has(m_body, m_pos, 3))
            return false;
        const int count = u16(m_body, m_pos + 1);
        const qsizetype end = m_pos + 3 + qsizetype(count) * TimerSize;
        if (!has(m_body, end, 1) || u8(m_body, end) != 0x11)
            return false;
        SimProgram &program = currentProgram();
        for (int k = 0; k < count; ++k) {
            const qsizetype p = m_pos + 3 + k * TimerSize;
            program.timers.append({u16(m_body, p), u16(m_body, p + 2), u16(m_body, p + 4), u16(m_body, p + 6)});
        }
        m_pos = end + 1;
        return true;
    }

    bool dayMap()
    {
        if (!has(m_body, m_pos, 2))
            return false;
        const int runs = u8(m_body, m_pos + 1);
        const qsizetype end = m_pos + 2 + qsizetype(runs) * 6;
        if (!has(m_body, end, 1) || u8(m_body, end) != 0x13)
            return false;
        for (int k = 0; k < runs; ++k) {
            const qsizetype p = m_pos + 2 + k * 6;
            m_out.dayMap.append({u16(m_body, p), u32(m_body, p + 2)});
        }
        m_output = -1;
        m_pos = end + 1;
        return true;
    }

    SimProgram &currentProgram() { return m_out.scenarios.last().programs[m_output]; }

    const QByteArray &m_body;
    SimImage &m_out;
    qsizetype m_pos = 0;
    int m_output = -1; // output index of the list being read, -1 outside a list
    bool m_night = false;
};

} // namespace

const SimSensor *SimImage::sensorWithChannel(int channelId) const
{
    for (const SimSensor &s : sensors)
        if (s.channels.contains(channelId))
            return &s;
    return nullptr;
}

const SimSensor *SimImage::sensorOnInput(int input) const
{
    for (const SimSensor &s : sensors)
        if (s.input == input)
            return &s;
    return nullptr;
}

const SimScenario *SimImage::scenarioOfDay(int day) const
{
    for (const SimDayRun &run : dayMap) {
        if (day > run.lastDay)
            continue;
        for (const SimScenario &s : scenarios)
            if (s.offset == run.offset)
                return &s;
        return nullptr;
    }
    return nullptr;
}

SimImage parseSimImage(const QByteArray &image)
{
    SimImage out;
    if (!has(image, 0, HeaderSize) || u8(image, 0) != 0x11 || u8(image, 1) != 0x22)
        return out;
    out.present = true;
    out.totalLength = u16(image, 2);
    const QByteArray body = image.mid(HeaderSize, qMax(0, out.totalLength - HeaderSize));
    ImageReader reader(body, out);
    out.malformed = !reader.run();
    return out;
}

QByteArray simImageHeader(int bodyLength)
{
    QByteArray header(HeaderSize, '\0');
    header[0] = char(0x11);
    header[1] = char(0x22);
    put<quint16>(header, 2, quint16(bodyLength + HeaderSize));
    return header;
}
