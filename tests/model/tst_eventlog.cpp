#include <QTest>

#include "eventlogbytes.h"

#include "model/plan/basescenario.h"
#include "model/log/eventlog.h"
#include "model/codec/sensorcatalogue.h"

#include <limits>

namespace {

const QDateTime Now(QDate(2026, 3, 1), QTime(12, 0));
const QDateTime Start(QDate(2026, 2, 1), QTime(0, 0));

// Sensor 0: humidity and temperature on ids 4, 5; sensor 1: a relay; sensor 2: a thermometer on
// id 7; sensor 3: switched off but with a channel left over. A 16 + 8 cycle of ten days from
// Start; days 2 and 3 run scenario 1, the others the base scenario.
ControllerState logState()
{
    ControllerState s;
    s.sensors[0].type = SensorTemperatureHumidity;
    s.sensors[0].channels = {4, 5};
    s.sensors[1].type = SensorRelayOutput;
    s.sensors[1].channels = {6};
    s.sensors[2].type = SensorOneWireTemperature;
    s.sensors[2].channels = {7};
    s.sensors[3].type = SensorOff;
    s.sensors[3].channels = {8};
    s.dayHours = 16;
    s.nightHours = 8;
    s.startTime = Start;
    s.cycleCount = 10;
    for (int d = 0; d < s.cycleCount; ++d)
        s.days.append(CycleDay{Start.addSecs(qint64(d) * 24 * 3600), d == 2 || d == 3 ? 1 : 0});
    s.scenarios = {baseScenario(), baseScenario()};
    s.scenarios[1].name = QStringLiteral("Рассада");
    return s;
}

Condition thresholdRow(ConditionKind kind, float threshold, int channel, QList<double> params = {})
{
    Condition c;
    c.ref = 2;
    c.source = channel;
    c.kind = kind;
    c.value = bitsFromFloat(threshold);
    c.priority = 1;
    c.params = params;
    return c;
}

QByteArray tempAt(const QDateTime &t, float min = 20, float avg = 21, float max = 22)
{
    return LogBytes::measurement(t, 2, 0, min, avg, max);
}

} // namespace

class TestEventLog : public QObject
{
    Q_OBJECT
private slots:
    // Whole records only: a trailing partial record is ignored.
    void blockLength_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("records");
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("19 bytes") << 19 << 0;
        QTest::newRow("one record") << 20 << 1;
        QTest::newRow("45 bytes") << 45 << 2;
        QTest::newRow("three records") << 60 << 3;
    }
    void blockLength()
    {
        QFETCH(int, bytes);
        QFETCH(int, records);
        QByteArray log;
        for (int k = 0; k < 3; ++k)
            log += tempAt(Start.addDays(-1).addSecs(600 * k));
        ControllerState s = logState();
        s.events.append(EventRecord{});  // left over from an earlier parse
        parseEventLog(s, log.left(bytes), Now);
        QCOMPARE(s.events.size(), records);
    }

    // One record each: what is kept, and as what.
    void singleRecord_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("sensor");  // 99 = dropped
        QTest::addColumn<QDateTime>("time");

        const QDateTime t(QDate(2026, 2, 20), QTime(10, 30));
        const float nan = std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("measurement") << tempAt(t) << Now << 2 << t;
        QTest::newRow("time 0 within five years")
            << LogBytes::measurement({}, 2, 0, 1, 2, 3, 0) << QDateTime(QDate(2024, 12, 31), QTime(0, 0)) << 2
            << QDateTime(QDate(2020, 1, 1), QTime(0, 0));
        QTest::newRow("time 0 after five years") << LogBytes::measurement({}, 2, 0, 1, 2, 3, 0) << Now << 99 << QDateTime();
        QTest::newRow("five years ahead") << tempAt(Now.addYears(5)) << Now << 99 << QDateTime();
        QTest::newRow("just inside five years ahead") << tempAt(Now.addYears(5).addSecs(-1)) << Now << 2
                                                      << Now.addYears(5).addSecs(-1);
        QTest::newRow("largest 56-bit time") << LogBytes::measurement({}, 2, 0, 1, 2, 3, (qint64(1) << 56) - 1) << Now
                                             << 99 << QDateTime();
        QTest::newRow("sensor index 6") << LogBytes::measurement(t, 6, 0, 1, 2, 3) << Now << 99 << QDateTime();
        QTest::newRow("sensor index 15") << LogBytes::measurement(t, 15, 0, 1, 2, 3) << Now << 99 << QDateTime();
        QTest::newRow("sensor switched off") << LogBytes::measurement(t, 3, 0, 1, 2, 3) << Now << 99 << QDateTime();
        QTest::newRow("relay output") << LogBytes::measurement(t, 1, 0, 1, 2, 3) << Now << 99 << QDateTime();
        QTest::newRow("second channel") << LogBytes::measurement(t, 0, 1, 1, 2, 3) << Now << 0 << t;
        QTest::newRow("channel beyond the list") << LogBytes::measurement(t, 0, 2, 1, 2, 3) << Now << 99 << QDateTime();
        QTest::newRow("NaN minimum") << tempAt(t, nan) << Now << 99 << QDateTime();
        QTest::newRow("NaN average") << tempAt(t, 1, nan) << Now << 99 << QDateTime();
        QTest::newRow("NaN maximum") << tempAt(t, 1, 2, nan) << Now << 99 << QDateTime();
        QTest::newRow("power on") << LogBytes::marker(t, 1, 1) << Now << int(EventLog::PowerOn) << t;
        QTest::newRow("a 1, b 0 skipped") << LogBytes::marker(t, 1, 0) << Now << 99 << QDateTime();
        QTest::newRow("power off") << LogBytes::marker(t, 0, 0) << Now << int(EventLog::PowerOff) << t;
        QTest::newRow("a 0, any b: power off") << LogBytes::marker(t, 0, 0xABCD) << Now << int(EventLog::PowerOff) << t;
        QTest::newRow("unknown marker") << LogBytes::marker(t, 2, 1) << Now << 99 << QDateTime();
        QTest::newRow("marker at time 0") << LogBytes::markerAt(0, 1, 1) << Now << 99 << QDateTime();
        QTest::newRow("marker at the lowest time") << LogBytes::markerAt(std::numeric_limits<qint64>::min(), 0, 0)
                                                   << Now << 99 << QDateTime();
        QTest::newRow("marker at the highest time") << LogBytes::markerAt(std::numeric_limits<qint64>::max(), 0, 0)
                                                    << Now << 99 << QDateTime();
        QTest::newRow("erased slot") << QByteArray(20, char(0xFF)) << Now << 99 << QDateTime();
    }
    void singleRecord()
    {
        QFETCH(QByteArray, record);
        QFETCH(QDateTime, now);
        QFETCH(int, sensor);
        QFETCH(QDateTime, time);
        ControllerState s = logState();
        parseEventLog(s, record, now);
        if (sensor == 99) {
            QCOMPARE(s.events.size(), 0);
            return;
        }
        QCOMPARE(s.events.size(), 1);
        QCOMPARE(s.events[0].sensor, sensor);
        QCOMPARE(s.events[0].time, time);
        QCOMPARE(s.events[0].minHit, 0);
        QCOMPARE(s.events[0].maxHit, 0);
    }

    void sortedAndWithoutDuplicates()
    {
        const QDateTime t(QDate(2026, 1, 20), QTime(10, 0));  // before the work cycle
        const QByteArray log = tempAt(t.addSecs(60), 5) + LogBytes::measurement(t, 0, 1, 1, 1, 1)
            + tempAt(t, 7) + LogBytes::marker(t, 0, 0) + tempAt(t, 8)  // the second of the same second goes
            + LogBytes::measurement(t, 0, 0, 2, 2, 2) + LogBytes::marker(t, 0, 0);
        ControllerState s = logState();
        parseEventLog(s, log, Now);
        QCOMPARE(s.events.size(), 5);
        // time, then sensor (power off first), then channel position, then order of arrival
        QCOMPARE(s.events[0].sensor, int(EventLog::PowerOff));
        QCOMPARE(s.events[0].seq, 3);
        QCOMPARE(s.events[1].sensor, 0);
        QCOMPARE(s.events[1].channel, 0);
        QCOMPARE(s.events[2].sensor, 0);
        QCOMPARE(s.events[2].channel, 1);
        QCOMPARE(s.events[3].sensor, 2);
        QCOMPARE(s.events[3].min, 7.0f);
        QCOMPARE(s.events[4].min, 5.0f);
        QCOMPARE(s.events[4].time, t.addSecs(60));
    }

    // Inside the work period the channel position becomes the channel id and the record gets its
    // cycle and hour; outside it keeps its position and is never marked.
    void placement_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("hit");
        QTest::newRow("before the start") << Start.addSecs(-60) << 1 << 0 << 0 << 0;
        QTest::newRow("at the start") << Start << 1 << 0 << 0 << 0;
        QTest::newRow("first hour") << Start.addSecs(3599) << 5 << 0 << 0 << 1;
        QTest::newRow("day 2, hour 17") << Start.addSecs((24 + 17) * 3600 + 30) << 5 << 1 << 17 << 1;
        QTest::newRow("last minute") << Start.addDays(10).addSecs(-60) << 5 << 9 << 23 << 1;
        QTest::newRow("at the end") << Start.addDays(10) << 1 << 0 << 0 << 0;
    }
    void placement()
    {
        QFETCH(QDateTime, time);
        QFETCH(int, channel);
        QFETCH(int, cycle);
        QFETCH(int, hour);
        QFETCH(int, hit);
        ControllerState s = logState();
        for (Scenario &sc : s.scenarios) {
            sc.sockets[1].dayConditions.append(thresholdRow(ConditionKind::Above, 10, 5));
            sc.sockets[1].nightConditions.append(thresholdRow(ConditionKind::Above, 10, 5));
        }
        parseEventLog(s, LogBytes::measurement(time, 0, 1, 30, 31, 32), Now);
        QCOMPARE(s.events.size(), 1);
        QCOMPARE(s.events[0].channel, channel);
        QCOMPARE(s.events[0].cycle, cycle);
        QCOMPARE(s.events[0].hourInCycle, hour);
        QCOMPARE(s.events[0].maxHit, hit);
    }

    // One condition on channel 7, in the day or night list of the base scenario, against one
    // measurement of a day-0 day hour or night hour.
    void hits_data()
    {
        QTest::addColumn<ConditionKind>("kind");
        QTest::addColumn<float>("threshold");
        QTest::addColumn<double>("upper");
        QTest::addColumn<bool>("nightList");
        QTest::addColumn<bool>("nightRecord");
        QTest::addColumn<float>("min");
        QTest::addColumn<float>("max");
        QTest::addColumn<int>("minHit");
        QTest::addColumn<int>("maxHit");
        QTest::newRow("above: max over") << ConditionKind::Above << 25.f << 0.0 << false << false << 20.f << 25.5f << 0 << 1;
        QTest::newRow("above: equal is no hit") << ConditionKind::Above << 25.f << 0.0 << false << false << 25.f << 25.f << 0 << 0;
        QTest::newRow("above: both over") << ConditionKind::Above << 10.f << 0.0 << false << false << 11.f << 12.f << 1 << 1;
        QTest::newRow("below: min under") << ConditionKind::Below << 20.f << 0.0 << false << false << 19.5f << 22.f << 1 << 0;
        QTest::newRow("below: equal is no hit") << ConditionKind::Below << 20.f << 0.0 << false << false << 20.f << 22.f << 0 << 0;
        QTest::newRow("interval 20..25: max 25.5") << ConditionKind::Interval << 20.f << 25.0 << false << false << 21.f << 25.5f << 0 << 1;
        QTest::newRow("interval 20..25: max 25.0") << ConditionKind::Interval << 20.f << 25.0 << false << false << 21.f << 25.f << 0 << 0;
        QTest::newRow("interval 20..25: min 19.9") << ConditionKind::Interval << 20.f << 25.0 << false << false << 19.9f << 24.f << 1 << 0;
        QTest::newRow("interval 20..25: min 20") << ConditionKind::Interval << 20.f << 25.0 << false << false << 20.f << 24.f << 0 << 0;
        QTest::newRow("interval without bound") << ConditionKind::Interval << 20.f << -1.0 << false << false << 1.f << 99.f << 0 << 0;
        QTest::newRow("unknown kind") << ConditionKind(7) << 20.f << 0.0 << false << false << 1.f << 99.f << 0 << 0;
        QTest::newRow("night list, night record") << ConditionKind::Above << 25.f << 0.0 << true << true << 20.f << 26.f << 0 << 1;
        QTest::newRow("night list, day record") << ConditionKind::Above << 25.f << 0.0 << true << false << 20.f << 26.f << 0 << 0;
        QTest::newRow("day list, night record") << ConditionKind::Below << 25.f << 0.0 << false << true << 20.f << 26.f << 0 << 0;
        QTest::newRow("night below") << ConditionKind::Below << 25.f << 0.0 << true << true << 20.f << 26.f << 1 << 0;
    }
    void hits()
    {
        QFETCH(ConditionKind, kind);
        QFETCH(float, threshold);
        QFETCH(double, upper);
        QFETCH(bool, nightList);
        QFETCH(bool, nightRecord);
        QFETCH(float, min);
        QFETCH(float, max);
        QFETCH(int, minHit);
        QFETCH(int, maxHit);
        ControllerState s = logState();
        const Condition row = thresholdRow(kind, threshold, 7, upper >= 0 ? QList<double>{upper} : QList<double>{});
        SocketProgram &program = s.scenarios[0].sockets[2];
        (nightList ? program.nightConditions : program.dayConditions).append(row);
        const QDateTime t = Start.addSecs((nightRecord ? 20 : 5) * 3600);
        parseEventLog(s, tempAt(t, min, 0, max), Now);
        QCOMPARE(s.events.size(), 1);
        QCOMPARE(s.events[0].minHit, minHit);
        QCOMPARE(s.events[0].maxHit, maxHit);
    }

    // A condition marks only the days that run its scenario, and only its own channel.
    void hitsFollowTheDayScenario()
    {
        ControllerState s = logState();
        s.scenarios[1].sockets[3].dayConditions.append(thresholdRow(ConditionKind::Above, 25, 7));
        QByteArray log;
        for (int day = 0; day < 5; ++day)
            log += tempAt(Start.addDays(day).addSecs(3600), 20, 21, 30);
        log += LogBytes::measurement(Start.addDays(2).addSecs(3600), 0, 1, 20, 21, 30);  // channel 5
        parseEventLog(s, log, Now);
        QCOMPARE(s.events.size(), 6);
        QList<int> marked;
        for (const EventRecord &e : std::as_const(s.events))
            if (e.maxHit)
                marked << e.cycle;
        QCOMPARE(marked, (QList<int>{2, 3}));
    }

    // Days beyond the calendar's list (a shorter day list than cycleCount) are placed, not marked.
    void cycleBeyondTheDayList()
    {
        ControllerState s = logState();
        s.days.resize(1);
        s.scenarios[0].sockets[1].dayConditions.append(thresholdRow(ConditionKind::Above, 1, 7));
        parseEventLog(s, tempAt(Start.addDays(4).addSecs(3600)), Now);
        QCOMPARE(s.events.size(), 1);
        QCOMPARE(s.events[0].cycle, 4);
        QCOMPARE(s.events[0].channel, 7);
        QCOMPARE(s.events[0].maxHit, 0);
    }
};

QTEST_GUILESS_MAIN(TestEventLog)
#include "tst_eventlog.moc"
