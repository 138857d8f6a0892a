#include "sim/simulatedcontroller.h"

#include "model/clock.h"
#include "sim/simbytes.h"
#include "sim/simsensorvalues.h"
#include "sim/simstorage.h"
#include "sim/simworkcycle.h"

using namespace SimBytes;

namespace {

constexpr quint8 StartByte = 0x5A;
constexpr int BlockSize = 1024;
constexpr int MaxChunk = 960;
constexpr int FirstSensorChannel = 4;
constexpr int LastStatusChannel = 31; // slot 32 would run into the accepted byte
constexpr int ShortStatusBytes = 20;  // a cut record: flags and times, no image length

enum Op : quint8 {
    DeleteAccount = 0x01,
    ReadBlocks = 0x04,
    WriteImage = 0x05,
    CommitImage = 0x06,
    SetOutput = 0x09,
    SetRunState = 0x0A,
    SetClock = 0x0C,
    SignIn = 0x0E,
    GetStatus = 0x0F,
};

enum Flag : quint8 {
    AccountExists = 0x01,
    ChunkTaken = 0x02,
    WorkRuns = 0x04,
    ClockFailed = 0x08,
    ScenarioNotLoaded = 0x20,
};

constexpr int AcceptedByte = 144;
constexpr int ImageLengthByte = 146;

} // namespace

SimulatedController::SimulatedController(const QString &name, quint64 address, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_address(address)
    , m_memory(MemorySize, char(0xFF))
{
}

BleDeviceInfo SimulatedController::advertisement() const
{
    QByteArray login = m_credentials.left(AdvertisedLoginBytes);
    login.append(AdvertisedLoginBytes - login.size(), '\0');
    BleDeviceInfo info;
    info.name = m_name;
    info.address = m_address;
    info.manufacturerData.insert(1, login.left(AdvertisedLoginBytes / 2));
    info.manufacturerData.insert(2, login.mid(AdvertisedLoginBytes / 2));
    return info;
}

qint64 SimulatedController::clockSeconds() const
{
    return Clock::nowLocalWallSeconds() + m_clockOffset;
}

int SimulatedController::storedImageLength() const
{
    if (u8(m_memory, 0) != 0x11 || u8(m_memory, 1) != 0x22)
        return 0;
    return u16(m_memory, 2);
}

QByteArray SimulatedController::storedImage() const
{
    return m_memory.left(qBound(0, storedImageLength(), MemorySize));
}

bool SimulatedController::receiveFrame(const QByteArray &frame)
{
    if (frame.size() != FrameSize)
        return false;
    updateLog();
    if (u8(frame, 0) != StartByte)
        return true;

    switch (u8(frame, 1)) {
    case SignIn: handleSignIn(frame); break;
    case DeleteAccount: handleDelete(); break;
    case ReadBlocks: handleReadBlocks(frame); break;
    case WriteImage: handleWriteImage(frame); break;
    case CommitImage: commitImage(); break;
    case SetOutput: m_manual.insert(u8(frame, 2), u32(frame, 3)); break;
    case SetRunState:
        if (u8(frame, 2) == 4 || u8(frame, 2) == 0)
            m_runningWork = u8(frame, 2) == 4;
        break;
    case SetClock: handleSetClock(frame); break;
    case GetStatus:
        m_reply = linkStatusValue();
        m_pending = Pending::Fixed;
        break;
    default:
        break;
    }
    return true;
}

QByteArray SimulatedController::readReply()
{
    updateLog();
    switch (m_pending) {
    case Pending::Blocks:
        return nextBlock();
    case Pending::UploadAck: {
        QByteArray reply = m_reply;
        if (m_faults.notReadyReads > 0) {
            --m_faults.notReadyReads;
            reply[0] = char(u8(reply, 0) & ~ChunkTaken);
        }
        return reply;
    }
    case Pending::Fixed:
        return m_reply;
    case Pending::None:
        break;
    }
    return QByteArray(ReplySize, '\0');
}

void SimulatedController::beginSession()
{
    m_signedIn = false;
    m_pending = Pending::None;
}

void SimulatedController::endSession()
{
    beginSession();
}

void SimulatedController::handleSignIn(const QByteArray &frame)
{
    const QByteArray offered = frame.mid(2, CredentialBytes);
    bool accepted = false;
    if (m_faults.refuseNextSignIn)
        m_faults.refuseNextSignIn = false;
    else if (!hasAccount())
        accepted = offered.at(0) != '\0'; // an empty login would advertise as "no account"
    else
        accepted = offered == m_credentials;
    if (accepted && !hasAccount())
        m_credentials = offered;
    m_signedIn = accepted;

    m_reply = QByteArray(ReplySize, '\0');
    m_reply[0] = char(flags());
    m_reply.replace(2, CredentialBytes, offered);
    m_reply[AcceptedByte] = char(accepted ? 0xFF : 0x00);
    put<quint16>(m_reply, ImageLengthByte, quint16(storedImageLength()));
    m_pending = Pending::Fixed;
}

void SimulatedController::handleDelete()
{
    const bool accepted = m_signedIn || m_jumpered;
    if (accepted) {
        m_credentials.clear();
        m_signedIn = false;
    }
    m_reply = QByteArray(ReplySize, '\0');
    m_reply[0] = char(flags());
    m_reply[AcceptedByte] = char(accepted ? 0xFF : 0x00);
    m_pending = Pending::Fixed;
}

void SimulatedController::handleReadBlocks(const QByteArray &frame)
{
    m_blockCursor = u16(frame, 2);
    m_blockEnd = u16(frame, 4);
    m_blockServed = false;
    m_pending = Pending::Blocks;
}

QByteArray SimulatedController::blockAt(int address, bool marked) const
{
    QByteArray block(ReplySize, char(0xFF));
    for (int i = 0; i < BlockSize; ++i) {
        const int a = address + i;
        if (a >= 0 && a < MemorySize)
            block[i] = m_memory.at(a);
    }
    put<quint16>(block, BlockSize, quint16(address));
    if (!marked) {
        block[1026] = '\0';
        block[1027] = '\0';
    }
    return block;
}

QByteArray SimulatedController::nextBlock()
{
    if (m_faults.notReadyReads > 0) {
        --m_faults.notReadyReads;
        return blockAt(m_blockCursor, false);
    }
    // The range is served at least once, even when it is empty; after its end the last block stays.
    if (m_blockServed && m_blockCursor >= m_blockEnd)
        return m_reply;
    if (m_faults.blocksOutOfOrder > 0) {
        --m_faults.blocksOutOfOrder;
        m_blockCursor += BlockSize;
    }
    m_reply = blockAt(m_blockCursor, true);
    m_blockCursor += BlockSize;
    m_blockServed = true;
    return m_reply;
}

void SimulatedController::handleWriteImage(const QByteArray &frame)
{
    const int address = u16(frame, 2);
    const int length = qMin<int>(u16(frame, 4), MaxChunk);
    for (int i = 0; i < length; ++i)
        if (address + i < MemorySize)
            m_memory[address + i] = frame.at(6 + i);
    m_reply = statusValue();
    m_reply[0] = char(u8(m_reply, 0) | ChunkTaken);
    m_pending = Pending::UploadAck;
}

void SimulatedController::commitImage()
{
    m_running = parseSimImage(storedImage());
    m_log.fit(m_memory, storedImageLength());
}

void SimulatedController::handleSetClock(const QByteArray &frame)
{
    // Setting the clock is not time passing: measuring goes on from the new time.
    m_clockOffset = i64(frame, 2) - Clock::nowLocalWallSeconds();
    m_clockFailed = false;
    m_log.restartAt(clockSeconds());
}

quint8 SimulatedController::flags() const
{
    quint8 f = 0;
    if (hasAccount())
        f |= AccountExists;
    if (m_runningWork)
        f |= WorkRuns;
    if (m_clockFailed)
        f |= ClockFailed;
    if (m_running.present && m_running.malformed)
        f |= ScenarioNotLoaded;
    return f;
}

namespace {

// A calibrated input reports what it measures plus its offset, as the controller does.
float calibrationOffset(const SimSensor &sensor, int position)
{
    if (sensor.type == 3 || position < 0 || position >= sensor.offsets.size())
        return 0;
    return sensor.offsets.at(position);
}

} // namespace

float SimulatedController::channelReading(int channelId, qint64 now) const
{
    const SimSensor *sensor = m_running.sensorWithChannel(channelId);
    if (!sensor)
        return 0;
    const int position = int(sensor->channels.indexOf(channelId));
    return SimSensorValues::reading(sensor->type, sensor->input, position, now) + calibrationOffset(*sensor, position);
}

quint32 SimulatedController::outputWord(int output, int manualKey, const SimWorkTime &time, qint64 now) const
{
    if (m_runningWork) {
        const int level = simWorkOutputLevel(m_running, time, output,
                                             [this, now](int id) { return channelReading(id, now); });
        if (level >= 0)
            return quint32(level);
    }
    return m_manual.value(manualKey);
}

QByteArray SimulatedController::linkStatusValue()
{
    if (m_faults.shortStatus > 0) {
        --m_faults.shortStatus;
        return statusValue().left(ShortStatusBytes);
    }
    return statusValue();
}

QByteArray SimulatedController::statusValue()
{
    updateLog();
    const qint64 now = clockSeconds();
    const SimWorkTime time = simWorkTime(m_running, now);

    QByteArray status(ReplySize, '\0');
    status[0] = char(flags());
    status[1] = char(qMin(time.hour, 0xFF));
    status[2] = char(time.minute);
    put<quint16>(status, 3, quint16(time.minutesToStart & 0xFFFF));
    status[5] = char((time.minutesToStart >> 16) & 0xFF);
    put<quint16>(status, 6, quint16(qMin(time.daysLeft, 0xFFFF)));

    for (int socket = 0; socket < 4; ++socket)
        put<quint32>(status, 16 + 4 * socket, outputWord(socket, socket, time, now));
    for (const SimSensor &sensor : m_running.sensors) {
        for (int position = 0; position < sensor.channels.size(); ++position) {
            const int id = sensor.channels.at(position);
            if (id < FirstSensorChannel || id > LastStatusChannel)
                continue;
            quint32 word = 0;
            if (sensor.type == 4 && position == 0)
                word = outputWord(4 + sensor.input, id, time, now);
            else if (sensor.type == 3)
                word = SimSensorValues::statusWord(sensor.type, sensor.input, position, now);
            else if (SimSensorValues::isMeasuring(sensor.type))
                word = SimBytes::floatBits(channelReading(id, now));
            put<quint32>(status, 16 + 4 * id, word);
        }
    }
    put<quint16>(status, ImageLengthByte, quint16(storedImageLength()));
    return status;
}

void SimulatedController::updateLog()
{
    updateLogUntil(clockSeconds());
}

void SimulatedController::updateLogUntil(qint64 until)
{
    m_log.measureUntil(m_memory, storedImageLength(), m_running, until);
}

QList<QByteArray> SimulatedController::logRecords()
{
    updateLog();
    return m_log.records(m_memory, storedImageLength());
}

void SimulatedController::recordPowerEvent(bool on, qint64 atSeconds)
{
    m_log.append(m_memory, storedImageLength(), SimEventLog::powerMarker(atSeconds, on));
}

void SimulatedController::installImage(const QByteArray &body)
{
    const QByteArray image = simImageHeader(int(body.size())) + body;
    m_memory.replace(0, qMin<qsizetype>(image.size(), MemorySize), image.left(MemorySize));
    commitImage();
    m_runningWork = true;
}

void SimulatedController::seedLog(int days)
{
    m_log.rewrite(m_memory, storedImageLength(), {});
    const qint64 now = clockSeconds();
    const qint64 from = m_log.alignedToPeriod(now - qint64(qMax(0, days)) * 86400);
    const qint64 cut = m_log.alignedToPeriod(from + (now - from) / 2);
    const qint64 back = cut + 2 * 3600;
    m_log.restartAt(from);
    if (days > 0) {
        updateLogUntil(cut);
        recordPowerEvent(false, cut + 60);
        recordPowerEvent(true, back - 60);
        m_log.restartAt(back);
    }
    updateLogUntil(now);
}

void SimulatedController::seedDemo(const QByteArray &body, int logDays)
{
    installImage(body);
    seedLog(logDays);
}

SimDeviceState SimulatedController::state()
{
    SimDeviceState s;
    s.credentials = m_credentials;
    s.image = storedImage();
    s.log = logRecords();
    s.running = m_runningWork;
    s.clockOffset = m_clockOffset;
    s.outputs = m_manual;
    s.logPeriodMinutes = m_log.periodMinutes();
    s.savedAt = clockSeconds();
    return s;
}

void SimulatedController::restore(const SimDeviceState &s)
{
    m_credentials = s.credentials.size() == CredentialBytes ? s.credentials : QByteArray();
    m_memory.fill(char(0xFF), MemorySize);
    m_memory.replace(0, qMin<qsizetype>(s.image.size(), MemorySize), s.image.left(MemorySize));
    m_running = parseSimImage(storedImage());
    m_log.rewrite(m_memory, storedImageLength(), s.log);
    m_runningWork = s.running;
    m_clockOffset = s.clockOffset;
    m_manual = s.outputs;
    m_log.setPeriodMinutes(s.logPeriodMinutes);
    m_pending = Pending::None;
    m_signedIn = false;

    // The device was off between the save and now: it logs that, and nothing was measured meanwhile.
    const qint64 now = clockSeconds();
    if (s.savedAt > 0 && s.savedAt < now) {
        recordPowerEvent(false, s.savedAt);
        recordPowerEvent(true, now);
    }
    m_log.restartAt(now);
}

bool SimulatedController::saveTo(const QString &folder)
{
    return SimStorage::save(state(), folder);
}

bool SimulatedController::loadFrom(const QString &folder)
{
    SimDeviceState s;
    if (!SimStorage::load(folder, &s))
        return false;
    restore(s);
    return true;
}
