// The controller's contract, checked against the simulated controller through the transport seam.
// Frames, images and log records are built and read here from their byte layouts, independently
// of the program's own frame builders and decoders, so that a fault on either side shows.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cstring>
#include <memory>

#include "mockclock.h"
#include "model/clock.h"
#include "sim/simlink.h"
#include "sim/simtransport.h"
#include "sim/simulatedcontroller.h"
#include "testsupport.h"

namespace {

constexpr quint8 OpDelete = 0x01, OpRead = 0x04, OpWrite = 0x05, OpCommit = 0x06, OpOutput = 0x09,
                 OpRunState = 0x0A, OpClock = 0x0C, OpSignIn = 0x0E, OpStatus = 0x0F;
constexpr int LogEnd = 0x7F00;

template<typename T>
QByteArray le(T value)
{
    char raw[sizeof(T)];
    qToLittleEndian(value, raw);
    return QByteArray(raw, sizeof(T));
}

QByteArray f32(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, 4);
    return le<quint32>(bits);
}

quint32 u32At(const QByteArray &b, int pos) { return qFromLittleEndian<quint32>(b.constData() + pos); }
quint16 u16At(const QByteArray &b, int pos) { return qFromLittleEndian<quint16>(b.constData() + pos); }
float f32At(const QByteArray &b, int pos)
{
    const quint32 bits = u32At(b, pos);
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}
int byteAt(const QByteArray &b, int pos) { return quint8(b.at(pos)); }

QByteArray frame(quint8 opcode, const QByteArray &payload = QByteArray())
{
    QByteArray f;
    f.append(char(0x5A)).append(char(opcode)).append(payload);
    f.append(1028 - f.size(), '\0');
    return f;
}

QByteArray credentials(const QByteArray &login, const QByteArray &password)
{
    QByteArray c = login.left(80);
    c.append(80 - c.size(), '\0');
    c.append(password);
    c = c.left(120);
    c.append(120 - c.size(), '\0');
    return c;
}

QByteArray outputPayload(int index, quint32 level)
{
    return QByteArray(1, char(index)) + le<quint32>(level);
}

// A configuration image written from its byte layout.
struct ImageBuilder
{
    QByteArray body;

    ImageBuilder &sensor(int input, int type, const QList<int> &channels)
    {
        const QByteArray name = "S" + QByteArray::number(input);
        body.append(char(0x02)).append(char(name.size())).append(name);
        body.append(char(input)).append(char(5)).append(char(type));
        for (int id : channels)
            body.append(char(0x11)).append(char(id)).append(char(0)).append(char(0)).append(char(0x12));
        body.append(char(0x14)).append(le<quint32>(300)).append(char(0x03));
        return *this;
    }
    ImageBuilder &sockets()
    {
        for (int i = 0; i < 4; ++i)
            body.append(char(0x07)).append(char(4)).append("Port").append(char(i)).append(char(0)).append(char(0x08));
        return *this;
    }
    ImageBuilder &cycle(int dayHours, int nightHours, qint64 start, int count)
    {
        body.append(char(0x0C)).append(le<quint16>(dayHours)).append(le<quint16>(nightHours));
        body.append(le<qint64>(start)).append(le<quint16>(count)).append(char(0x0D));
        return *this;
    }
    // Returns the scenario's offset (the byte after its name).
    quint32 scenario(const QByteArray &name)
    {
        body.append(char(0x14)).append(le<quint16>(name.size())).append(name);
        return quint32(body.size());
    }
    ImageBuilder &list(bool night, int output, int rows)
    {
        body.append(char(night ? 0x0F : 0x0E)).append(char(output)).append(char(rows));
        return *this;
    }
    // Base-state row (source 0), timer row (0xFF, code = slot) or a sensor row.
    ImageBuilder &row(int source, int code, float threshold, bool on, int priority)
    {
        body.append(char(0x0A)).append(char(source)).append(char(code)).append(f32(threshold));
        body.append(char(on ? 100 : 0)).append(3, '\0').append(char(priority)).append(char(0x0B));
        return *this;
    }
    ImageBuilder &timers(const QList<QList<int>> &records)
    {
        body.append(char(0x10)).append(le<quint16>(records.size()));
        for (const QList<int> &r : records)
            for (int v : r)
                body.append(le<quint16>(v));
        body.append(char(0x11));
        return *this;
    }
    ImageBuilder &dayMap(const QList<QPair<int, quint32>> &runs)
    {
        body.append(char(0x12)).append(char(runs.size()));
        for (const auto &run : runs)
            body.append(le<quint16>(run.first)).append(le<quint32>(run.second));
        body.append(char(0x13));
        return *this;
    }
    QByteArray padded() const
    {
        QByteArray b = body;
        b.append((64 - b.size() % 64) % 64, '\0');
        return b;
    }
    QByteArray image() const
    {
        const QByteArray b = padded();
        QByteArray header(64, '\0');
        header[0] = char(0x11);
        header[1] = char(0x22);
        header.replace(2, 2, le<quint16>(b.size() + 64));
        return header + b;
    }
};

// Sensor inputs used by most cases: temperature (ch 4), humidity + temperature (5, 6), contact (7),
// voltage (8) and a relay output on input 5 (ch 9).
ImageBuilder sensorsAndSockets()
{
    ImageBuilder b;
    b.sensor(0, 1, {4}).sensor(1, 2, {5, 6}).sensor(2, 3, {7}).sensor(3, 5, {8}).sensor(4, 4, {9}).sockets();
    return b;
}

struct LogRecord
{
    bool power = false;
    bool on = false;
    qint64 time = 0; // local wall-clock seconds
    int sensor = 0;
    int position = 0;
    float min = 0, avg = 0, max = 0;
};

// Reads the log area from its record layout; free slots (all 0xFF) are left out.
QList<LogRecord> parseLog(const QByteArray &area)
{
    QList<LogRecord> out;
    for (int p = 0; p + 20 <= area.size(); p += 20) {
        const QByteArray r = area.mid(p, 20);
        if (r == QByteArray(20, char(0xFF)))
            continue;
        LogRecord rec;
        if (u32At(r, 0) == 0xFEFEFFFF) {
            rec.power = true;
            rec.time = qFromLittleEndian<qint64>(r.constData() + 4);
            rec.on = u32At(r, 12) == 1 && u32At(r, 16) == 1;
        } else {
            quint64 t = 0;
            for (int i = 6; i >= 0; --i)
                t = (t << 8) | quint8(r.at(i));
            rec.time = qint64(t) + 1577836800;
            rec.sensor = byteAt(r, 7) >> 4;
            rec.position = byteAt(r, 7) & 0x0F;
            rec.min = f32At(r, 8);
            rec.avg = f32At(r, 12);
            rec.max = f32At(r, 16);
        }
        out.append(rec);
    }
    return out;
}

const QDateTime T0(QDate(2026, 3, 10), QTime(12, 0));

// One simulated controller, reached through the seam: scanner, link, service.
struct Bench
{
    SimTransport transport;
    SimulatedController *device;
    std::unique_ptr<BleLink> link;
    std::unique_ptr<BleService> service;

    Bench()
        : device(transport.addController(QStringLiteral("VS-REZ-01"), 0x0A0B0C0D0E01ULL))
    {
    }

    bool open()
    {
        service.reset();
        link.reset(transport.createLink(device->advertisement(), nullptr));
        QSignalSpy connected(link.get(), &BleLink::connected);
        link->connectToDevice();
        if (!connected.wait(1000))
            return false;
        QSignalSpy discovered(link.get(), &BleLink::serviceDiscovered);
        QSignalSpy finished(link.get(), &BleLink::discoveryFinished);
        link->discoverServices();
        if (!finished.wait(1000) || discovered.isEmpty())
            return false;
        service.reset(link->createServiceObject(discovered.first().first().toUuid(), nullptr));
        if (!service)
            return false;
        service->discoverDetails();
        return QTest::qWaitFor([&] { return service->state() == BleService::RemoteServiceDiscovered; }, 1000)
            && service->hasCommandCharacteristic();
    }

    bool send(quint8 opcode, const QByteArray &payload = QByteArray())
    {
        return sendRaw(frame(opcode, payload));
    }
    bool sendRaw(const QByteArray &bytes)
    {
        QSignalSpy written(service.get(), &BleService::characteristicWritten);
        service->writeCommand(bytes);
        if (!written.wait(200))
            return false;
        return written.first().at(0).toUInt() == 0xFFF1 && written.first().at(1).toByteArray() == bytes;
    }
    QByteArray read()
    {
        QSignalSpy spy(service.get(), &BleService::characteristicRead);
        service->readCommand();
        if (!spy.wait(200))
            return QByteArray();
        return spy.first().at(1).toByteArray();
    }
    QByteArray request(quint8 opcode, const QByteArray &payload = QByteArray())
    {
        return send(opcode, payload) ? read() : QByteArray();
    }
    QByteArray status() { return request(OpStatus); }
    QByteArray signIn(const QByteArray &login, const QByteArray &password)
    {
        return request(OpSignIn, credentials(login, password));
    }

    // Writes an image in chunks of 960 bytes, each acknowledged before the next, then commits it.
    bool upload(const QByteArray &image, bool commit = true)
    {
        for (int address = 0; address < image.size(); address += 960) {
            const QByteArray chunk = image.mid(address, 960);
            const QByteArray ack = request(OpWrite, le<quint16>(address) + le<quint16>(chunk.size()) + chunk);
            if (ack.isEmpty() || !(byteAt(ack, 0) & 0x02))
                return false;
        }
        return !commit || send(OpCommit);
    }

    // Reads [start, end) block by block, checking each block's address and marker.
    QByteArray readRange(int start, int end)
    {
        if (!send(OpRead, le<quint16>(start) + le<quint16>(end)))
            return QByteArray();
        QByteArray data;
        for (int address = start; address < end; address += 1024) {
            const QByteArray block = read();
            if (block.size() != 1028 || u16At(block, 1024) != address || byteAt(block, 1026) != 0xFF
                || byteAt(block, 1027) != 0xFF)
                return QByteArray();
            data += block.left(1024);
        }
        return data;
    }

    QList<LogRecord> readLog(int imageLength)
    {
        const int length = 20 * ((LogEnd - qMax(imageLength, 4000)) / 20 + 1);
        return parseLog(readRange(LogEnd - length, LogEnd).left(length));
    }
};

qint64 wall(const QDateTime &t)
{
    return Clock::localWallSeconds(t);
}

} // namespace

class TestSimContract : public QObject
{
    Q_OBJECT
private slots:
    void init() { MockClock::set(T0); }
    void cleanup()
    {
        drainEvents(0);
        MockClock::clear();
    }

    // ---- advertising and accounts ----

    void advertisesNameAndLogin_data()
    {
        QTest::addColumn<QByteArray>("login");
        QTest::addColumn<QByteArray>("advertised");
        QTest::newRow("no account: starts with a zero byte") << QByteArray() << QByteArray(24, '\0');
        QTest::newRow("short login, zero-padded") << QByteArray("grower") << QByteArray("grower") + QByteArray(18, '\0');
        QTest::newRow("long login fills the field") << QByteArray(40, 'x') << QByteArray(24, 'x');
    }

    void advertisesNameAndLogin()
    {
        QFETCH(QByteArray, login);
        QFETCH(QByteArray, advertised);
        Bench bench;
        if (!login.isEmpty()) {
            QVERIFY(bench.open());
            QCOMPARE(byteAt(bench.signIn(login, "pw"), 144), 0xFF);
        }
        const BleDeviceInfo info = bench.device->advertisement();
        QVERIFY(info.name.contains(QStringLiteral("REZ")));
        QCOMPARE(info.address, 0x0A0B0C0D0E01ULL);
        QCOMPARE(info.manufacturerData.value(1) + info.manufacturerData.value(2), advertised);
    }

    void accountIsCreatedThenChecked()
    {
        Bench bench;
        QVERIFY(bench.open());
        QCOMPARE(byteAt(bench.service->cachedCommandValue(), 0) & 0x01, 0);

        const QByteArray created = bench.signIn("grower", "secret");
        QCOMPARE(byteAt(created, 144), 0xFF);
        QCOMPARE(created.mid(2, 120), credentials("grower", "secret"));
        QCOMPARE(byteAt(bench.status(), 0) & 0x01, 1);

        const QByteArray wrong = bench.signIn("grower", "guess");
        QCOMPARE(byteAt(wrong, 144), 0x00);
        QCOMPARE(wrong.mid(2, 120), credentials("grower", "guess"));
        QCOMPARE(byteAt(bench.signIn("other", "secret"), 144), 0x00);
        QCOMPARE(byteAt(bench.signIn("grower", "secret"), 144), 0xFF);
        QCOMPARE(bench.device->credentials(), credentials("grower", "secret"));
    }

    void emptyLoginCreatesNoAccount()
    {
        Bench bench;
        QVERIFY(bench.open());
        QCOMPARE(byteAt(bench.signIn("", "secret"), 144), 0x00);
        QVERIFY(!bench.device->hasAccount());
    }

    void deleteAccount_data()
    {
        QTest::addColumn<QByteArray>("password"); // sign-in before deleting; empty = none
        QTest::addColumn<bool>("jumpered");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("after an accepted sign-in") << QByteArray("secret") << false << true;
        QTest::newRow("after a refused sign-in") << QByteArray("guess") << false << false;
        QTest::newRow("without sign-in") << QByteArray() << false << false;
        QTest::newRow("without sign-in, inputs joined") << QByteArray() << true << true;
    }

    void deleteAccount()
    {
        QFETCH(QByteArray, password);
        QFETCH(bool, jumpered);
        QFETCH(bool, accepted);
        Bench bench;
        QVERIFY(bench.open());
        bench.signIn("grower", "secret");
        QVERIFY(bench.open()); // a fresh link: the creating sign-in does not count
        if (!password.isEmpty())
            bench.signIn("grower", password);
        bench.device->setInputsJumpered(jumpered);

        const QByteArray reply = bench.request(OpDelete);
        QCOMPARE(byteAt(reply, 144) == 0xFF && !(byteAt(reply, 0) & 0x01), accepted);
        QCOMPARE(bench.device->hasAccount(), !accepted);
        if (accepted)
            QCOMPARE(bench.device->advertisement().manufacturerData.value(1).at(0), '\0');
    }

    void signInHoldsForOneLinkOnly()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.signIn("grower", "secret");
        bench.signIn("grower", "secret");
        QVERIFY(bench.open());
        QCOMPARE(byteAt(bench.request(OpDelete), 144), 0x00);
        QVERIFY(bench.device->hasAccount());
    }

    // ---- image ----

    void imageIsWrittenReadBackAndCommitted()
    {
        Bench bench;
        QVERIFY(bench.open());
        ImageBuilder b = sensorsAndSockets();
        b.cycle(16, 8, wall(T0) - 3600, 5);
        b.body.append(QByteArray(2100, '\0')); // long enough for three 960-byte chunks and three blocks
        const QByteArray image = b.image();
        QVERIFY(image.size() > 1920);

        QVERIFY(bench.upload(image, false));
        QCOMPARE(int(u16At(bench.status(), 146)), image.size());
        // Written but not committed: the running configuration is still empty.
        QCOMPARE(u32At(bench.status(), 16 + 4 * 4), 0u);

        const QByteArray body = bench.readRange(0x40, image.size());
        QCOMPARE(body.size(), 3072);
        QCOMPARE(body.left(image.size() - 64), image.mid(64));

        QVERIFY(bench.send(OpCommit));
        const QByteArray status = bench.status();
        const float temperature = f32At(status, 16 + 4 * 4);
        QVERIFY2(temperature >= 22 && temperature <= 26, qPrintable(QString::number(temperature)));
        QCOMPARE(int(u16At(status, 6)), 5);
    }

    void blockReadsServeOneBlockPerRead()
    {
        Bench bench;
        QVERIFY(bench.open());
        QVERIFY(bench.upload(sensorsAndSockets().image()));
        QVERIFY(bench.send(OpRead, le<quint16>(0x40) + le<quint16>(0x40 + 2048)));
        for (int address : {0x40, 0x440}) {
            const QByteArray block = bench.read();
            QCOMPARE(block.size(), 1028);
            QCOMPARE(int(u16At(block, 1024)), address);
            QCOMPARE(block.right(2), QByteArray(2, char(0xFF)));
            QCOMPARE(block.left(16), bench.device->memory().mid(address, 16));
        }
    }

    void emptyRangeStillServesOneBlock()
    {
        Bench bench;
        QVERIFY(bench.open());
        QVERIFY(bench.send(OpRead, le<quint16>(0x40) + le<quint16>(0x40)));
        const QByteArray block = bench.read();
        QCOMPARE(int(u16At(block, 1024)), 0x40);
        QCOMPARE(block.right(2), QByteArray(2, char(0xFF)));
    }

    // ---- status record ----

    void statusRecord_data()
    {
        QTest::addColumn<qint64>("offset"); // clock minus the work start, seconds
        QTest::addColumn<bool>("withCycle");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("minutesToStart");
        QTest::addColumn<int>("daysLeft");

        QTest::newRow("90 minutes before the start") << qint64(-90 * 60) << true << 0 << 0 << 90 << 3;
        QTest::newRow("30 seconds before the start counts as a minute") << qint64(-30) << true << 0 << 0 << 1 << 3;
        QTest::newRow("first day, 5:30 into it") << qint64(330 * 60) << true << 5 << 30 << 0 << 3;
        QTest::newRow("second day, night phase") << qint64(((24 + 20) * 60 + 7) * 60) << true << 20 << 7 << 0 << 2;
        QTest::newRow("last minute of the cycle") << qint64((3 * 24 * 60 - 1) * 60) << true << 23 << 59 << 0 << 1;
        QTest::newRow("cycle over") << qint64(3 * 24 * 3600) << true << 0 << 0 << 0 << 0;
        QTest::newRow("start more than a u24 of minutes ahead") << qint64(-0x1000005) * 60 << true << 0 << 0 << 0xFFFFFF << 3;
        QTest::newRow("no work cycle") << qint64(6000) << false << 0 << 0 << 0 << 0;
    }

    void statusRecord()
    {
        QFETCH(qint64, offset);
        QFETCH(bool, withCycle);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, minutesToStart);
        QFETCH(int, daysLeft);

        Bench bench;
        QVERIFY(bench.open());
        ImageBuilder b = sensorsAndSockets();
        if (withCycle)
            b.cycle(16, 8, wall(T0), 3);
        const QByteArray image = b.image();
        QVERIFY(bench.upload(image));
        QVERIFY(bench.send(OpClock, le<qint64>(wall(T0) + offset)));

        const QByteArray status = bench.status();
        QCOMPARE(status.size(), 1028);
        QCOMPARE(byteAt(status, 0), 0x04); // runs, no account, clock fine, image loaded
        QCOMPARE(byteAt(status, 1), hour);
        QCOMPARE(byteAt(status, 2), minute);
        QCOMPARE(int(u16At(status, 3) | (byteAt(status, 5) << 16)), minutesToStart);
        QCOMPARE(int(u16At(status, 6)), daysLeft);
        QCOMPARE(int(u16At(status, 146)), image.size());
        QCOMPARE(byteAt(status, 144), 0);
    }

    void channelValuesByType()
    {
        Bench bench;
        QVERIFY(bench.open());
        QVERIFY(bench.upload(sensorsAndSockets().image()));
        for (int minute = 0; minute < 24 * 60; minute += 97) {
            MockClock::set(T0.addSecs(minute * 60));
            const QByteArray s = bench.status();
            QVERIFY(f32At(s, 32) >= 22 && f32At(s, 32) <= 26);  // ch 4 temperature
            QVERIFY(f32At(s, 36) >= 50 && f32At(s, 36) <= 70);  // ch 5 humidity
            QVERIFY(f32At(s, 40) >= 22 && f32At(s, 40) <= 26);  // ch 6 temperature
            QVERIFY(u32At(s, 44) <= 1);                         // ch 7 contact, an integer
            QVERIFY(f32At(s, 48) >= 0 && f32At(s, 48) <= 5000); // ch 8 millivolts
            QCOMPARE(u32At(s, 52), 0u);                         // ch 9 relay, off
        }
        // Deterministic for a given clock time, and moving between times.
        MockClock::set(T0);
        const QByteArray a = bench.status().mid(32, 24);
        QCOMPARE(bench.status().mid(32, 24), a);
        MockClock::set(T0.addSecs(3 * 3600));
        QVERIFY(bench.status().mid(32, 24) != a);
    }

    void clockFailureAndMalformedImageFlags()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.device->setClockFailed(true);
        QCOMPARE(byteAt(bench.status(), 0) & 0x08, 0x08);
        QVERIFY(bench.send(OpClock, le<qint64>(wall(T0))));
        QCOMPARE(byteAt(bench.status(), 0) & 0x08, 0);

        ImageBuilder b = sensorsAndSockets();
        b.body.append(char(0x55)); // not a record tag
        QVERIFY(bench.upload(b.image()));
        const QByteArray status = bench.status();
        QCOMPARE(byteAt(status, 0) & 0x20, 0x20);
        // What came before the bad byte still runs.
        QVERIFY(f32At(status, 32) >= 22);
    }

    // ---- outputs, run state, clock ----

    void manualOutputsWhilePaused()
    {
        Bench bench;
        QVERIFY(bench.open());
        ImageBuilder b = sensorsAndSockets();
        b.cycle(16, 8, wall(T0) - 3600, 3);
        QVERIFY(bench.upload(b.image()));

        QVERIFY(bench.send(OpRunState, QByteArray(1, char(0))));
        QCOMPARE(byteAt(bench.status(), 0) & 0x04, 0);
        QVERIFY(bench.send(OpOutput, outputPayload(2, 100)));
        QVERIFY(bench.send(OpOutput, outputPayload(9, 100)));
        QByteArray s = bench.status();
        QCOMPARE(u32At(s, 16), 0u);
        QCOMPARE(u32At(s, 16 + 8), 100u);
        QCOMPARE(u32At(s, 16 + 4 * 9), 100u);

        QVERIFY(bench.send(OpOutput, outputPayload(2, 0)));
        QCOMPARE(u32At(bench.status(), 16 + 8), 0u);

        // Running again: the work decides; without a scenario a socket is on by day.
        QVERIFY(bench.send(OpRunState, QByteArray(1, char(4))));
        s = bench.status();
        QCOMPARE(byteAt(s, 0) & 0x04, 0x04);
        QCOMPARE(u32At(s, 16), 100u);
        QVERIFY(bench.send(OpClock, le<qint64>(wall(T0) + 17 * 3600)));
        QCOMPARE(u32At(bench.status(), 16), 0u);
    }

    void unknownRunStateIsIgnored()
    {
        Bench bench;
        QVERIFY(bench.open());
        QVERIFY(bench.send(OpRunState, QByteArray(1, char(0))));
        QVERIFY(bench.send(OpRunState, QByteArray(1, char(7))));
        QCOMPARE(byteAt(bench.status(), 0) & 0x04, 0);
    }

    void scenarioDrivesOutputs_data()
    {
        QTest::addColumn<int>("minuteOfCycle");
        QTest::addColumn<int>("socket1");
        QTest::addColumn<int>("socket2");
        QTest::addColumn<int>("relay");

        // Socket 1: base state on by day, off by night; timer 0 (minutes 60..89, and again
        // 120..149) switches it off with a higher priority. Socket 2: on while the temperature is
        // above 10 (always). Relay on input 5 (output index 8): on at night by its base state.
        QTest::newRow("day, before the timer") << 30 << 100 << 100 << 0;
        QTest::newRow("day, timer running") << 75 << 0 << 100 << 0;
        QTest::newRow("day, between timer repeats") << 100 << 100 << 100 << 0;
        QTest::newRow("day, second repeat") << 149 << 0 << 100 << 0;
        QTest::newRow("night") << 18 * 60 << 0 << 0 << 100;
    }

    void scenarioDrivesOutputs()
    {
        QFETCH(int, minuteOfCycle);
        QFETCH(int, socket1);
        QFETCH(int, socket2);
        QFETCH(int, relay);

        Bench bench;
        QVERIFY(bench.open());
        ImageBuilder b;
        b.sensor(0, 1, {4}).sensor(4, 4, {9}).sockets().cycle(16, 8, wall(T0), 2);
        const quint32 base = b.scenario("base");
        b.list(false, 0, 2).row(0, 0, 1000, true, 0).row(0xFF, 0, 0, false, 5);
        b.list(true, 0, 1).row(0, 0, 1000, false, 0);
        b.timers({{60, 30, 60, 2}});
        b.list(false, 1, 1).row(4, 6, 10, true, 1);
        b.list(true, 1, 0).timers({});
        b.list(false, 8, 0).list(true, 8, 1).row(0, 0, 1000, true, 0).timers({});
        b.dayMap({{1, base}});
        QVERIFY(bench.upload(b.image()));
        QVERIFY(bench.send(OpClock, le<qint64>(wall(T0) + minuteOfCycle * 60)));

        const QByteArray s = bench.status();
        QCOMPARE(int(u32At(s, 16)), socket1);
        QCOMPARE(int(u32At(s, 20)), socket2);
        QCOMPARE(int(u32At(s, 16 + 4 * 9)), relay);
    }

    void clockIsSetInLocalWallSeconds()
    {
        Bench bench;
        QVERIFY(bench.open());
        ImageBuilder b = sensorsAndSockets();
        b.cycle(24, 0, wall(T0), 10);
        QVERIFY(bench.upload(b.image()));
        QVERIFY(bench.send(OpClock, le<qint64>(wall(T0) + 2 * 3600 + 15 * 60)));
        QCOMPARE(bench.device->clockSeconds(), wall(T0) + 2 * 3600 + 15 * 60);
        QByteArray s = bench.status();
        QCOMPARE(byteAt(s, 1), 2);
        QCOMPARE(byteAt(s, 2), 15);
        // The device clock runs on from there.
        MockClock::advance(10 * 60 * 1000);
        s = bench.status();
        QCOMPARE(byteAt(s, 2), 25);
    }

    // ---- event log ----

    void logGrowsWithMeasurements()
    {
        Bench bench;
        QVERIFY(bench.open());
        const QByteArray image = sensorsAndSockets().image();
        QVERIFY(bench.upload(image));
        MockClock::advance(2 * 3600 * 1000);
        bench.status();

        const QList<LogRecord> log = bench.readLog(image.size());
        // Every 30 minutes one record per measured channel; the relay is not measured.
        QCOMPARE(log.size(), 4 * 5);
        QSet<QPair<int, int>> channels;
        for (const LogRecord &r : log) {
            QVERIFY(!r.power);
            QCOMPARE(r.time % 1800, 0);
            QVERIFY(r.time > wall(T0) && r.time <= wall(T0) + 7200);
            QVERIFY(r.min <= r.avg && r.avg <= r.max);
            channels.insert({r.sensor, r.position});
            if (r.sensor == 0 || (r.sensor == 1 && r.position == 1))
                QVERIFY(r.min >= 22 && r.max <= 26);
            if (r.sensor == 1 && r.position == 0)
                QVERIFY(r.min >= 50 && r.max <= 70);
            if (r.sensor == 2)
                QVERIFY(r.min >= 0 && r.max <= 1);
        }
        const QSet<QPair<int, int>> expected{{0, 0}, {1, 0}, {1, 1}, {2, 0}, {3, 0}};
        QCOMPARE(channels, expected);
    }

    void logKeepsTheNewestRecordsWhenFull()
    {
        Bench bench;
        QVERIFY(bench.open());
        const QByteArray image = sensorsAndSockets().image();
        QVERIFY(bench.upload(image));
        MockClock::advance(qint64(400) * 86400 * 1000); // far more than the area holds
        bench.status();

        const QList<LogRecord> log = bench.readLog(image.size());
        const int capacity = (LogEnd - 4000) / 20;
        QVERIFY(log.size() <= capacity);
        QVERIFY(log.size() >= capacity - 5);
        qint64 newest = 0;
        for (const LogRecord &r : log)
            newest = qMax(newest, r.time);
        QCOMPARE(newest, wall(Clock::now()) - wall(Clock::now()) % 1800);
    }

    void seededDemoDevice()
    {
        SimTransport transport;
        SimulatedController *device = transport.addController(QStringLiteral("REZ demo"), 1);
        ImageBuilder b = sensorsAndSockets();
        b.cycle(18, 6, wall(T0) - 4 * 86400, 30);
        device->seedDemo(b.padded(), 3);

        QVERIFY(!device->hasAccount());
        QVERIFY(device->isRunning());
        QCOMPARE(device->storedImageLength(), b.image().size());
        const QList<LogRecord> log = parseLog(device->logRecords().join());
        int powerOn = 0, powerOff = 0;
        qint64 oldest = wall(T0);
        for (const LogRecord &r : log) {
            if (r.power)
                (r.on ? powerOn : powerOff)++;
            else
                oldest = qMin(oldest, r.time);
        }
        QCOMPARE(powerOn, 1);
        QCOMPARE(powerOff, 1);
        QVERIFY(oldest <= wall(T0) - 3 * 86400 + 3600);
    }

    // ---- saving and loading ----

    void stateSurvivesSaveAndLoad()
    {
        QTemporaryDir dir;
        Bench bench;
        QVERIFY(bench.open());
        bench.signIn("grower", "secret");
        const QByteArray image = sensorsAndSockets().image();
        QVERIFY(bench.upload(image));
        QVERIFY(bench.send(OpRunState, QByteArray(1, char(0))));
        QVERIFY(bench.send(OpOutput, outputPayload(1, 100)));
        MockClock::advance(3600 * 1000);
        const int records = int(bench.device->logRecords().size());
        QVERIFY(records > 0);
        QVERIFY(bench.device->saveTo(dir.path()));

        MockClock::advance(5 * 3600 * 1000); // switched off for five hours
        SimulatedController again(QStringLiteral("VS-REZ-01"), 1);
        QVERIFY(again.loadFrom(dir.path()));
        QCOMPARE(again.credentials(), credentials("grower", "secret"));
        QCOMPARE(again.memory().left(image.size()), image);
        QVERIFY(!again.isRunning());
        QCOMPARE(again.manualLevel(1), 100u);

        const QList<LogRecord> log = parseLog(again.logRecords().join());
        QCOMPARE(log.size(), records + 2);
        QVERIFY(log.at(records).power && !log.at(records).on);
        QCOMPARE(log.at(records).time, wall(T0) + 3600);
        QVERIFY(log.at(records + 1).power && log.at(records + 1).on);
        QCOMPARE(log.at(records + 1).time, wall(Clock::now()));
    }

    void fixtureLoads()
    {
        SimulatedController device(QStringLiteral("VS-REZ-01"), 1);
        QVERIFY(device.loadFrom(testDataPath(QStringLiteral("sim/grower"))));
        QCOMPARE(device.credentials(), credentials("grower", "secret"));
        QVERIFY(device.storedImageLength() > 64);
        QCOMPARE(device.runningImage().sensors.size(), 5);
        QVERIFY(device.logRecords().size() > 20);
    }

    void missingOrDamagedFilesGiveDefaults()
    {
        QTemporaryDir dir;
        SimulatedController device(QStringLiteral("VS-REZ-01"), 1);
        QVERIFY(!device.loadFrom(dir.filePath(QStringLiteral("absent"))));

        QFile account(dir.filePath(QStringLiteral("account.bin")));
        QVERIFY(account.open(QIODevice::WriteOnly));
        account.write(QByteArray(50, 'x')); // not a whole credential block
        account.close();
        QFile log(dir.filePath(QStringLiteral("log.bin")));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(QByteArray(45, char(0x01))); // two records and a stub
        log.close();
        QFile json(dir.filePath(QStringLiteral("device.json")));
        QVERIFY(json.open(QIODevice::WriteOnly));
        json.write("{ not json");
        json.close();

        QVERIFY(device.loadFrom(dir.path()));
        QVERIFY(!device.hasAccount());
        QCOMPARE(device.storedImageLength(), 0);
        QVERIFY(device.isRunning());
        QCOMPARE(device.logRecords().size(), 2);
    }

    // ---- faults ----

    void droppedRepliesNeverArrive()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.device->faults().dropReplies = 2;
        QVERIFY(bench.send(OpStatus));
        QVERIFY(bench.read().isEmpty());
        QVERIFY(bench.read().isEmpty());
        QCOMPARE(bench.read().size(), 1028);
    }

    void notReadyReadsRepeatTheBlock()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.device->faults().notReadyReads = 2;
        QVERIFY(bench.send(OpRead, le<quint16>(0x40) + le<quint16>(0x840)));
        for (int i = 0; i < 2; ++i)
            QVERIFY(bench.read().right(2) != QByteArray(2, char(0xFF)));
        QCOMPARE(int(u16At(bench.read(), 1024)), 0x40);
        QCOMPARE(int(u16At(bench.read(), 1024)), 0x440);
    }

    void notReadyUploadAckLacksTheTakenBit()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.device->faults().notReadyReads = 1;
        QVERIFY(bench.send(OpWrite, le<quint16>(0) + le<quint16>(4) + QByteArray("abcd")));
        QCOMPARE(byteAt(bench.read(), 0) & 0x02, 0);
        QCOMPARE(byteAt(bench.read(), 0) & 0x02, 0x02);
        QCOMPARE(bench.device->memory().left(4), QByteArray("abcd"));
    }

    void blockOutOfOrder()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.device->faults().blocksOutOfOrder = 1;
        QVERIFY(bench.send(OpRead, le<quint16>(0x40) + le<quint16>(0xC40)));
        const QByteArray block = bench.read();
        QCOMPARE(block.right(2), QByteArray(2, char(0xFF)));
        QCOMPARE(int(u16At(block, 1024)), 0x440);
    }

    void disconnectAfterFrames()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.device->faults().disconnectAfterFrames = 2;
        QSignalSpy lost(bench.link.get(), &BleLink::disconnected);
        QVERIFY(bench.send(OpRunState, QByteArray(1, char(0))));
        QVERIFY(!bench.send(OpRunState, QByteArray(1, char(4)))); // taken, never confirmed
        QTRY_COMPARE(lost.size(), 1);
        QCOMPARE(bench.link->state(), BleLink::UnconnectedState);
        QCOMPARE(bench.service->state(), BleService::InvalidService);
        QVERIFY(bench.device->isRunning());
        QVERIFY(!bench.send(OpStatus)); // a dead service takes nothing
        QVERIFY(bench.open());
    }

    void lostFrameNeverReachesTheController()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.device->faults().dropFrames = 1;
        QVERIFY(!bench.send(OpRunState, QByteArray(1, char(0))));
        QVERIFY(bench.device->isRunning());
        QVERIFY(bench.send(OpRunState, QByteArray(1, char(0))));
        QVERIFY(!bench.device->isRunning());
    }

    void refuseNextSignIn()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.signIn("grower", "secret");
        bench.device->faults().refuseNextSignIn = true;
        QCOMPARE(byteAt(bench.signIn("grower", "secret"), 144), 0x00);
        QCOMPARE(byteAt(bench.signIn("grower", "secret"), 144), 0xFF);
    }

    void refusedFirstSignInCreatesNoAccount()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.device->faults().refuseNextSignIn = true;
        QCOMPARE(byteAt(bench.signIn("grower", "secret"), 144), 0x00);
        QVERIFY(!bench.device->hasAccount());
    }

    void delayedReplies()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.device->faults().replyDelayMs = 150;
        QSignalSpy written(bench.service.get(), &BleService::characteristicWritten);
        bench.service->writeCommand(frame(OpStatus));
        drainEvents(40);
        QCOMPARE(written.size(), 0);
        QVERIFY(written.wait(1000));
    }

    void answersNeverComeInsideTheCall()
    {
        Bench bench;
        QVERIFY(bench.open());
        QSignalSpy written(bench.service.get(), &BleService::characteristicWritten);
        QSignalSpy read(bench.service.get(), &BleService::characteristicRead);
        bench.service->writeCommand(frame(OpStatus));
        bench.service->readCommand();
        QCOMPARE(written.size(), 0);
        QCOMPARE(read.size(), 0);
        drainEvents(0);
        QCOMPARE(written.size(), 1);
        QCOMPARE(read.size(), 1);
    }

    // ---- scanning, range and services ----

    void scanReportsControllersInRangeInOrder()
    {
        SimTransport transport;
        SimulatedController *a = transport.addController(QStringLiteral("REZ-A"), 1);
        SimulatedController *b = transport.addController(QStringLiteral("REZ-B"), 2);
        SimulatedController *c = transport.addController(QStringLiteral("REZ-C"), 3);
        transport.setInRange(b, false);
        transport.setScanOrder({c, a});

        std::unique_ptr<BleScanner> scanner(transport.createScanner(nullptr));
        QSignalSpy found(scanner.get(), &BleScanner::deviceDiscovered);
        QSignalSpy finished(scanner.get(), &BleScanner::finished);
        const auto names = [&found] {
            QStringList out;
            for (const QList<QVariant> &args : found)
                out << args.first().value<BleDeviceInfo>().name;
            return out;
        };

        scanner->start();
        QVERIFY(scanner->isActive());
        QCOMPARE(found.size(), 0); // reports arrive later, never inside start()
        drainEvents(0);
        QCOMPARE(names(), QStringList({QStringLiteral("REZ-C"), QStringLiteral("REZ-A")}));

        transport.setInRange(b, true); // comes into range during the run
        drainEvents(0);
        QCOMPARE(names().last(), QStringLiteral("REZ-B"));
        drainEvents(30);
        QCOMPARE(finished.size(), 0); // no period set: the run lasts until the test ends it

        transport.finishScan();
        QVERIFY(!scanner->isActive());
        QTRY_COMPARE(finished.size(), 1);
        transport.setInRange(a, false);
        found.clear();
        scanner->start();
        drainEvents(0);
        QCOMPARE(names(), QStringList({QStringLiteral("REZ-C"), QStringLiteral("REZ-B")}));
    }

    void scanEndsByItselfAfterItsPeriod()
    {
        SimTransport transport;
        transport.addController(QStringLiteral("REZ-A"), 1);
        transport.setScanPeriod(30);
        std::unique_ptr<BleScanner> scanner(transport.createScanner(nullptr));
        QSignalSpy finished(scanner.get(), &BleScanner::finished);
        scanner->start();
        QVERIFY(finished.wait(1000));
        QVERIFY(!scanner->isActive());
    }

    void scanFailsWithoutAdapter()
    {
        SimTransport transport;
        transport.addController(QStringLiteral("REZ-A"), 1);
        transport.setAdapterAvailable(false);
        std::unique_ptr<BleScanner> scanner(transport.createScanner(nullptr));
        QSignalSpy found(scanner.get(), &BleScanner::deviceDiscovered);
        QSignalSpy finished(scanner.get(), &BleScanner::finished);
        QSignalSpy failed(scanner.get(), &BleScanner::errorOccurred);
        scanner->start();
        QVERIFY(failed.wait(1000));
        QVERIFY(!scanner->isActive());
        transport.finishScan();
        drainEvents(20);
        QCOMPARE(found.size(), 0);
        QCOMPARE(finished.size(), 0);
    }

    void scanShowsTheCurrentAdvertisement()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.signIn("grower", "secret");
        std::unique_ptr<BleScanner> scanner(bench.transport.createScanner(nullptr));
        QSignalSpy found(scanner.get(), &BleScanner::deviceDiscovered);
        scanner->start();
        QVERIFY(found.wait(1000));
        const BleDeviceInfo info = found.first().first().value<BleDeviceInfo>();
        QVERIFY(info.manufacturerData.value(1).startsWith("grower"));
    }

    void outOfRange()
    {
        Bench bench;
        bench.transport.setInRange(bench.device, false);
        std::unique_ptr<BleLink> link(bench.transport.createLink(bench.device->advertisement(), nullptr));
        QSignalSpy connected(link.get(), &BleLink::connected);
        link->connectToDevice();
        drainEvents(30);
        QCOMPARE(connected.size(), 0);
        QCOMPARE(link->state(), BleLink::ConnectingState);

        bench.transport.setInRange(bench.device, true);
        QVERIFY(bench.open());
        QSignalSpy lost(bench.link.get(), &BleLink::disconnected);
        bench.transport.setInRange(bench.device, false);
        QTRY_COMPARE(lost.size(), 1);
        QCOMPARE(bench.service->state(), BleService::InvalidService);
    }

    void linkToUnknownAddressNeverConnects()
    {
        SimTransport transport;
        BleDeviceInfo nobody;
        nobody.address = 99;
        std::unique_ptr<BleLink> link(transport.createLink(nobody, nullptr));
        QSignalSpy connected(link.get(), &BleLink::connected);
        link->connectToDevice();
        drainEvents(20);
        QCOMPARE(connected.size(), 0);
        QVERIFY(!link->createServiceObject(SimLink::commandServiceUuid(), nullptr));
    }

    void extraServiceComesAfterTheCommandService()
    {
        Bench bench;
        bench.device->setExtraService(true);
        std::unique_ptr<BleLink> link(bench.transport.createLink(bench.device->advertisement(), nullptr));
        QSignalSpy connected(link.get(), &BleLink::connected);
        link->connectToDevice();
        QVERIFY(connected.wait(1000));
        QVERIFY(!link->createServiceObject(SimLink::commandServiceUuid(), nullptr)); // not discovered yet

        QSignalSpy discovered(link.get(), &BleLink::serviceDiscovered);
        QSignalSpy finished(link.get(), &BleLink::discoveryFinished);
        link->discoverServices();
        QVERIFY(finished.wait(1000));
        QCOMPARE(discovered.size(), 2);
        const QUuid first = discovered.at(0).at(0).toUuid();
        const QUuid last = discovered.at(1).at(0).toUuid();
        QCOMPARE(link->state(), BleLink::DiscoveredState);

        std::unique_ptr<BleService> extra(link->createServiceObject(last, nullptr));
        QVERIFY(extra);
        extra->discoverDetails();
        QTRY_COMPARE(extra->state(), BleService::RemoteServiceDiscovered);
        QVERIFY(!extra->hasCommandCharacteristic());
        QSignalSpy written(extra.get(), &BleService::characteristicWritten);
        extra->writeCommand(frame(OpStatus));
        drainEvents(20);
        QCOMPARE(written.size(), 0);

        std::unique_ptr<BleService> command(link->createServiceObject(first, nullptr));
        command->discoverDetails();
        QTRY_COMPARE(command->state(), BleService::RemoteServiceDiscovered);
        QVERIFY(command->hasCommandCharacteristic());
        QCOMPARE(command->cachedCommandValue().size(), 1028);
        QVERIFY(!link->createServiceObject(bleUuidFrom16(0x1234), nullptr));
    }

    void serviceDeletedWhileAnswersAreOnTheirWay()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.service->writeCommand(frame(OpStatus));
        bench.service->readCommand();
        bench.service.reset();
        drainEvents(20); // nothing is delivered to the deleted service
        bench.link.reset();
        drainEvents(20);
    }

    // ---- malformed frames ----

    void malformedFrames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("short") << frame(OpRunState, QByteArray(1, char(0))).left(100) << false;
        QTest::newRow("long") << frame(OpRunState, QByteArray(1, char(0))) + "x" << false;
        QTest::newRow("empty") << QByteArray() << false;
        QByteArray badStart = frame(OpRunState, QByteArray(1, char(0)));
        badStart[0] = char(0x5B);
        QTest::newRow("wrong start byte") << badStart << true;
        QTest::newRow("unknown opcode") << frame(0x33, QByteArray(1, char(0))) << true;
    }

    void malformedFrames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, confirmed);
        Bench bench;
        QVERIFY(bench.open());
        QCOMPARE(bench.sendRaw(bytes), confirmed);
        QVERIFY(bench.device->isRunning());
    }

    void oversizedWriteStaysInsideTheFrameAndMemory()
    {
        Bench bench;
        QVERIFY(bench.open());
        QVERIFY(bench.send(OpWrite, le<quint16>(0x7EF0) + le<quint16>(0xFFFF) + QByteArray(1022, 'z')));
        QCOMPARE(byteAt(bench.read(), 0) & 0x02, 0x02);
        QCOMPARE(bench.device->memory().size(), 0x7F00);
        QCOMPARE(bench.device->memory().right(16), QByteArray(16, 'z'));
    }

    void damagedImagesNeverCrash_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("headerLength"); // 0: the true length
        const QByteArray sensor = ImageBuilder().sensor(0, 2, {5, 6}).body;
        QTest::newRow("sensor section cut short") << sensor.left(sensor.size() - 3) << 0;
        QTest::newRow("sensor name longer than the data") << QByteArray::fromHex("02ff41") << 0;
        QTest::newRow("timer count past the end") << QByteArray::fromHex("140100410e0000" "10ffff") << 0;
        QTest::newRow("condition without a list") << QByteArray::fromHex("0a0006000000000000000000000b") << 0;
        QTest::newRow("day map past the end") << QByteArray::fromHex("12ff0000") << 0;
        QTest::newRow("day map to an unknown scenario") << QByteArray::fromHex("1201" "0500" "99000000" "13") << 0;
        QTest::newRow("list for output 200") << QByteArray::fromHex("140100410ec800") << 0;
        QTest::newRow("header length past the memory") << QByteArray(64, char(0x07)) << 0xFFFF;
    }

    void damagedImagesNeverCrash()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, headerLength);
        Bench bench;
        QVERIFY(bench.open());
        ImageBuilder b;
        b.cycle(16, 8, wall(T0) - 60, 3);
        b.body.append(body);
        QByteArray image = b.image();
        if (headerLength)
            image.replace(2, 2, le<quint16>(headerLength));
        QVERIFY(bench.upload(image));
        const QByteArray status = bench.status();
        QCOMPARE(status.size(), 1028);
        QCOMPARE(int(u16At(status, 6)), 3); // the work cycle read before the damage runs
    }
};

QTEST_GUILESS_MAIN(TestSimContract)
#include "tst_simcontract.moc"
