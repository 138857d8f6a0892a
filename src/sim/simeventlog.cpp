#include "sim/simeventlog.h"

#include "sim/simbytes.h"


namespace {

bool isFree(const QByteArray &memory, int address)
{
    for (int i = 0; i < SimEventLog::RecordSize; ++i)
        if (SimBytes::u8(memory, address + i) != 0xFF)
            return false;
    return true;
}

void erase(QByteArray &memory, int from, int to)
{
    for (int a = qMax(0, from); a < to && a < memory.size(); ++a)
        memory[a] = char(0xFF);
}

} // namespace

int SimEventLog::capacity(int imageLength)
{
    const int base = qMax(imageLength, MinStart);
    return base >= AreaEnd ? 0 : (AreaEnd - base) / RecordSize;
}

int SimEventLog::slotAddress(int slot)
{
    return AreaEnd - RecordSize * (slot + 1);
}

QByteArray SimEventLog::measurement(qint64 localSeconds, int input, int position, const SimSensorValues::Span &span)
{
    QByteArray record;
    const quint64 time = quint64(qMax<qint64>(0, localSeconds - Epoch2020));
    for (int i = 0; i < 7; ++i)
        record.append(char((time >> (8 * i)) & 0xFF));
    record.append(char(((input & 0x0F) << 4) | (position & 0x0F)));
    SimBytes::append<quint32>(record, SimBytes::floatBits(span.min));
    SimBytes::append<quint32>(record, SimBytes::floatBits(span.avg));
    SimBytes::append<quint32>(record, SimBytes::floatBits(span.max));
    return record;
}

QByteArray SimEventLog::powerMarker(qint64 localSeconds, bool on)
{
    QByteArray record;
    SimBytes::append<quint32>(record, 0xFEFEFFFF);
    SimBytes::append<qint64>(record, localSeconds);
    SimBytes::append<quint32>(record, on ? 1 : 0);
    SimBytes::append<quint32>(record, on ? 1 : 0);
    return record;
}

void SimEventLog::append(QByteArray &memory, int imageLength, const QByteArray &record)
{
    const int slotCount = capacity(imageLength);
    if (slotCount == 0)
        return;
    if (m_next >= slotCount) {
        m_next = 0;
        m_wrapped = true;
    }
    const int address = slotAddress(m_next);
    for (int i = 0; i < RecordSize; ++i)
        memory[address + i] = i < record.size() ? record.at(i) : char(0xFF);
    if (++m_next >= slotCount) {
        m_next = 0;
        m_wrapped = true;
    }
}

QList<QByteArray> SimEventLog::records(const QByteArray &memory, int imageLength) const
{
    const int slotCount = capacity(imageLength);
    QList<int> order;
    if (m_wrapped)
        for (int s = m_next; s < slotCount; ++s)
            order.append(s);
    for (int s = 0; s < m_next && s < slotCount; ++s)
        order.append(s);

    QList<QByteArray> out;
    for (int s : order) {
        const int address = slotAddress(s);
        if (!isFree(memory, address))
            out.append(memory.mid(address, RecordSize));
    }
    return out;
}

void SimEventLog::rewrite(QByteArray &memory, int imageLength, const QList<QByteArray> &records)
{
    m_next = 0;
    m_wrapped = false;
    erase(memory, slotAddress(capacity(imageLength) - 1), AreaEnd);
    for (const QByteArray &r : records)
        append(memory, imageLength, r);
}

void SimEventLog::fit(QByteArray &memory, int imageLength)
{
    const int slotCount = capacity(imageLength);
    if (m_next >= slotCount) {
        m_next = 0;
        m_wrapped = slotCount > 0;
    }
    erase(memory, imageLength, slotAddress(slotCount - 1));
}

void SimEventLog::setPeriodMinutes(int minutes)
{
    m_periodMinutes = qMax(1, minutes);
    m_lastMeasured = 0;
}

qint64 SimEventLog::alignedToPeriod(qint64 t) const
{
    const qint64 period = qint64(m_periodMinutes) * 60;
    return t - ((t % period) + period) % period;
}

void SimEventLog::measureUntil(QByteArray &memory, int imageLength, const SimImage &image, qint64 until)
{
    const qint64 period = qint64(m_periodMinutes) * 60;
    if (m_lastMeasured == 0 || until < m_lastMeasured) {
        restartAt(until);
        return;
    }
    int perPeriod = 0;
    for (const SimSensor &s : image.sensors)
        if (SimSensorValues::isMeasuring(s.type))
            perPeriod += int(s.channels.size());
    const qint64 periods = (until - m_lastMeasured) / period;
    const qint64 fit = perPeriod > 0 ? capacity(imageLength) / perPeriod + 1 : 0;
    if (periods > fit)
        m_lastMeasured += (periods - fit) * period;

    for (qint64 t = m_lastMeasured + period; t <= until; t += period) {
        for (const SimSensor &s : image.sensors) {
            if (!SimSensorValues::isMeasuring(s.type))
                continue;
            for (int position = 0; position < s.channels.size(); ++position) {
                const auto span = SimSensorValues::span(s.type, s.input, position, t - period, t);
                append(memory, imageLength, measurement(t, s.input, position, span));
            }
        }
        m_lastMeasured = t;
    }
}
