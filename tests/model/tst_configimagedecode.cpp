#include <QTest>

#include "imagebytes.h"
#include "richstate.h"
#include "testsupport.h"

#include "mockclock.h"
#include "model/clock.h"
#include "model/codec/configimage.h"
#include "model/numericutil.h"

#include <ctime>

using namespace ImageBytes;

namespace {

const QDateTime Now(QDate(2026, 3, 1), QTime(12, 0, 37));

struct Decoded
{
    ControllerState state;
    DecodeResult result;
};

Decoded decode(const QByteArray &body, bool loadedFromFile = false)
{
    Decoded d;
    d.state.resetToEmptyForm();
    d.state.loadedFromFile = loadedFromFile;
    d.result = decodeConfigImage(d.state, body);
    linkTimerRows(d.state);
    return d;
}

QByteArray richImage()
{
    return RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
}

QByteArray defaultSockets()
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b += socket(i, QStringLiteral("Порт %1").arg(i + 1));
    return b;
}

} // namespace

class TestConfigImageDecode : public QObject
{
    Q_OBJECT
private slots:
    void init() { MockClock::set(Now); }
    void cleanupTestCase() { MockClock::clear(); }

    void emptyForm()
    {
        ControllerState state;
        state.sensors[2].type = 3;
        state.sensors[2].channels = {5};
        state.sockets[1].name = QStringLiteral("Лампа");
        state.sockets[1].power = 40;
        state.usedChannels[5] = 1;
        state.cycleCount = 5;
        state.days = QList<CycleDay>(5);
        state.scenarioOrder.insert(1, 0);
        state.startSeconds = 99;
        state.workCycleKnown = true;
        state.resetToEmptyForm();
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(state.sensors[i].name, QStringLiteral("Датчик %1").arg(i + 1));
            QCOMPARE(state.sensors[i].type, 0);
            QVERIFY(state.sensors[i].channels.isEmpty());
        }
        QCOMPARE(state.sockets[1].name, QStringLiteral("Порт 2"));
        QCOMPARE(state.sockets[1].power, 0.0f);
        QCOMPARE(state.usedChannels[5], 0);
        QCOMPARE(state.dayHours, 24);
        QCOMPARE(state.nightHours, 0);
        QCOMPARE(state.cycleCount, 0);
        QVERIFY(state.days.isEmpty());
        QVERIFY(state.scenarioOrder.isEmpty());
        QCOMPARE(state.startSeconds, qint64(0));
        QVERIFY(!state.workCycleKnown);
        QCOMPARE(state.startTime, QDateTime(QDate(2026, 3, 1), QTime(12, 0)));
    }

    void richImage_sensorsAndSockets()
    {
        const Decoded d = decode(richImage());
        const ControllerState &s = d.state;
        QCOMPARE(d.result.acceptedSensors, (QList<int>{0, 2, 3}));
        QCOMPARE(d.result.acceptedSockets, (QList<int>{0, 1, 2, 3}));
        QCOMPARE(d.result.usedLength, 768);
        QCOMPARE(d.result.stopPosition, 705);

        QCOMPARE(s.sensors[0].type, 2);
        QCOMPARE(s.sensors[0].name, QStringLiteral("Климат"));
        QCOMPARE(s.sensors[0].channels, (QList<int>{4, 5}));
        QCOMPARE(s.sensors[0].calibration.size(), 2);
        QCOMPARE(s.sensors[0].calibration[0].marker, 0);  // marker 4 has no top bit
        QCOMPARE(s.sensors[0].calibration[0].offset, 1.5f);
        QCOMPARE(s.sensors[0].calibration[1].offset, 0.0f);
        QCOMPARE(s.sensors[0].section, richImage().left(37));
        QCOMPARE(s.sensors[1].type, 0);
        QCOMPARE(s.sensors[1].name, QStringLiteral("Датчик 2"));
        QCOMPARE(s.sensors[2].type, 4);
        QCOMPARE(s.sensors[3].channels, QList<int>{7});
        for (int id = 0; id < 20; ++id)
            QCOMPARE(s.usedChannels[id], (id >= 4 && id <= 7) ? 1 : 0);

        QCOMPARE(s.sockets[0].name, QStringLiteral("Лампа"));
        QCOMPARE(s.sockets[1].name, QStringLiteral("Вентилятор"));
        QCOMPARE(s.sockets[1].present, 1);
        QCOMPARE(s.sockets[1].section, socket(1, QStringLiteral("Вентилятор")));
    }

    void richImage_workCycleAndDays()
    {
        const ControllerState s = decode(richImage()).state;
        QVERIFY(s.workCycleKnown);
        QCOMPARE(s.dayHours, 16);
        QCOMPARE(s.nightHours, 8);
        QCOMPARE(s.cycleCount, 4);
        QCOMPARE(s.startSeconds, qint64(1772438400));
        QCOMPARE(s.startTime, QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
        QList<int> days;
        for (const CycleDay &day : s.days)
            days.append(day.scenarioIndex);
        QCOMPARE(days, (QList<int>{0, 1, 1, 0}));
        QCOMPARE(s.scenarioOrder, (QMap<int, int>{{1, 0}}));
    }

    void richImage_scenarios()
    {
        const ControllerState s = decode(richImage()).state;
        QCOMPARE(s.scenarios.size(), 2);
        QCOMPARE(s.scenarios[0].name, QStringLiteral("Базовый сценарий"));
        QCOMPARE(s.scenarios[0].imageOffset, 213);
        QCOMPARE(s.scenarios[1].imageOffset, 410);
        QCOMPARE(s.scenarios[1].usage, 0);
        QCOMPARE(s.scenarios[1].sockets.keys(), (QList<int>{1, 2, 3, 4, 7}));

        const SocketProgram lamp = s.scenarios[1].sockets[1];
        QCOMPARE(lamp.dayConditions.size(), 3);
        const Condition &base = lamp.dayConditions[0];
        QCOMPARE(base.ref, -1);
        QCOMPARE(base.text, QStringLiteral("Базовое состояние"));
        QCOMPARE(base.kind, ConditionKind::Below);
        QCOMPARE(base.action, ConditionAction::On);
        QCOMPARE(base.value, quint32(0x447A0000));

        const Condition &hot = lamp.dayConditions[1];
        QCOMPARE(hot.ref, 0);
        QCOMPARE(hot.source, 5);
        QCOMPARE(hot.text, QStringLiteral("Климат: Температура"));
        QCOMPARE(hot.kind, ConditionKind::Above);
        QCOMPARE(floatFromBits(hot.value), 28.0f);
        QCOMPARE(hot.action, ConditionAction::Off);
        QCOMPARE(hot.priority, 2);
        QVERIFY(hot.params.isEmpty());

        const Condition &timer = lamp.dayConditions[2];
        QCOMPARE(timer.ref, -2);
        QCOMPARE(timer.source, -1);
        QCOMPARE(timer.text, QStringLiteral("Таймер                   "));
        QCOMPARE(timer.kind, ConditionKind::Above);
        QCOMPARE(timer.action, ConditionAction::On);
        QCOMPARE(timer.params, (QList<double>{480, 30, 120, 4, 0}));

        const Condition &humidity = lamp.nightConditions[2];
        QCOMPARE(humidity.text, QStringLiteral("Климат: Влажность"));
        QCOMPARE(humidity.kind, ConditionKind::Interval);
        QCOMPARE(humidity.action, ConditionAction::On);
        QCOMPARE(floatFromBits(humidity.value), 40.0f);
        QCOMPARE(humidity.params, QList<double>{60.0});

        const Condition contact = s.scenarios[1].sockets[2].dayConditions[1];
        QCOMPARE(contact.text, QStringLiteral("Уровень: Состояние"));
        QCOMPARE(contact.ref, 3);
        QCOMPARE(floatFromBits(contact.value), 0.5f);

        QCOMPARE(s.scenarios[1].sockets[7].timers.size(), 1);
        QCOMPARE(s.scenarios[1].sockets[7].dayConditions[1].params, (QList<double>{600, 10, 10, 1, 0}));
    }

    void timerRowsAreLinked()
    {
        const ControllerState s = decode(richImage()).state;
        const TimerSlot t = s.scenarios[1].sockets[1].timers[0];
        QCOMPARE(t.start, 480);
        QCOMPARE(t.duration, 30);
        QCOMPARE(t.period, 120);
        QCOMPARE(t.count, 4);
        QCOMPARE(t.slot, -1);
        QCOMPARE(t.usedByDay, 1);
        QCOMPARE(t.dayRow, 2);
        QCOMPARE(t.usedByNight, 1);
        QCOMPARE(t.nightRow, 1);
    }

    void linkingSkipsRowsThatNameNoTimer()
    {
        ControllerState state;
        SocketProgram program;
        program.timers = {RichState::timer(10, 20, 30, 2)};
        Condition stray = RichState::timerRow(program.timers[0], 0, ConditionAction::On, 1);
        stray.params = {5};
        Condition good = stray;
        good.params = {0};
        program.dayConditions = {stray, good};
        Scenario s;
        s.sockets.insert(1, program);
        state.scenarios = {s};
        linkTimerRows(state);
        const SocketProgram &linked = state.scenarios[0].sockets[1];
        QCOMPARE(linked.dayConditions[0].params, QList<double>{5});
        // The row after a stray one is still linked.
        QCOMPARE(linked.dayConditions[1].params, (QList<double>{10, 20, 30, 2, 0}));
        QCOMPARE(linked.timers[0].dayRow, 1);

        linkTimerRows(state);  // once more: nothing changes
        QCOMPARE(state.scenarios[0].sockets[1].dayConditions[1].params, (QList<double>{10, 20, 30, 2, 0}));
    }

    void cycleCountIsCappedAt80()
    {
        const ControllerState s = decode(defaultSockets() + workCycle(12, 12, 1772438400, 200)).state;
        QCOMPARE(s.cycleCount, 80);
        QCOMPARE(s.days.size(), 80);
    }

    void usedLength_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("usedLength");
        const QByteArray sections = defaultSockets() + workCycle(12, 12, 1772438400, 2);  // 76 bytes
        const QByteArray base = sections + scenario(QStringLiteral("Base01")) + baseProgram(0);  // 121 bytes
        const QByteArray map = dayMap({{1, quint32(sections.size() + 9)}});  // 9 bytes
        QTest::newRow("padding at 130") << QByteArray(base + map + QByteArray(62, '\0')) << 192;
        QTest::newRow("consumed whole") << QByteArray(base + map) << -1;
        // A day map without its end byte is not reported.
        QTest::newRow("day map cut short") << QByteArray(base + map.left(8)) << -1;
        QTest::newRow("day map end missing") << QByteArray(base + map.left(8) + QByteArray(7, '\0')) << -1;
        QTest::newRow("empty") << QByteArray() << -1;
        QTest::newRow("padding only") << QByteArray(64, '\0') << 64;
    }

    void usedLength()
    {
        QFETCH(QByteArray, body);
        QTEST(decode(body).result.usedLength, "usedLength");
    }

    void startMovesWhenLoadedFromFile_data()
    {
        QTest::addColumn<int>("dayHours");
        QTest::addColumn<int>("nightHours");
        QTest::addColumn<QTime>("startTime");
        QTest::addColumn<bool>("loadedFromFile");
        QTest::addColumn<QDateTime>("expected");
        QTest::newRow("24 h, time of day passed") << 16 << 8 << QTime(8, 0) << true
                                                 << QDateTime(QDate(2026, 3, 2), QTime(8, 0));
        QTest::newRow("24 h, time of day ahead") << 24 << 0 << QTime(18, 30) << true
                                                << QDateTime(QDate(2026, 3, 1), QTime(18, 30));
        QTest::newRow("not 24 h") << 16 << 6 << QTime(18, 30) << true << Now.addSecs(3600);
        QTest::newRow("read from the controller") << 16 << 8 << QTime(8, 0) << false
                                                  << QDateTime(QDate(2025, 7, 10), QTime(8, 0));
    }

    void startMovesWhenLoadedFromFile()
    {
        QFETCH(int, dayHours);
        QFETCH(int, nightHours);
        QFETCH(QTime, startTime);
        QFETCH(bool, loadedFromFile);
        const qint64 wall = Clock::localWallSeconds(QDateTime(QDate(2025, 7, 10), startTime));
        const Decoded d = decode(workCycle(dayHours, nightHours, wall, 3), loadedFromFile);
        QTEST(d.state.startTime, "expected");
        QCOMPARE(d.state.startSeconds, wall);  // the image's own value
    }

    void relayListsComeBackUnderTheirOutputs()
    {
        QByteArray programs;
        for (int index = 0; index < 10; ++index)
            programs += baseProgram(index);
        const ControllerState s = decode(scenario(QStringLiteral("B")) + programs + dayMap({})).state;
        QCOMPARE(s.scenarios.size(), 1);
        QCOMPARE(s.scenarios[0].sockets.keys(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

        const Decoded beyond = decode(scenario(QStringLiteral("B")) + baseProgram(0) + baseProgram(10) + dayMap({}));
        QCOMPARE(beyond.result.stopPosition, 4 + 36);
        QVERIFY(beyond.state.scenarios.isEmpty());  // never closed
    }

    void conditionFields_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("priority");
        QTest::addColumn<QList<double>>("params");
        QTest::newRow("above, on") << condition(4, 6, 0, 100, 5) << int(ConditionKind::Above) << int(ConditionAction::On) << 5 << QList<double>{};
        QTest::newRow("below, off") << condition(4, 7, 0, 0, 5) << int(ConditionKind::Below) << int(ConditionAction::Off) << 5 << QList<double>{};
        QTest::newRow("unknown code is above") << condition(4, 99, 0, 1, 5) << int(ConditionKind::Above) << int(ConditionAction::On) << 5 << QList<double>{};
        QTest::newRow("interval on") << intervalCondition(4, true, 1, 2.5f, 1) << int(ConditionKind::Interval) << int(ConditionAction::On) << 1
                                     << QList<double>{2.5};
        QTest::newRow("interval off, zero bound") << intervalCondition(4, false, 1, 0.0f, 1) << int(ConditionKind::Interval) << int(ConditionAction::Off)
                                                  << 1 << QList<double>{0.0};
        QTest::newRow("priority with top bit") << condition(4, 6, 0, 0, 0x85) << int(ConditionKind::Above) << int(ConditionAction::Off) << 0
                                               << QList<double>{};
        // A timer in slot 13 or 14 keeps its action: those codes mean intervals only on sensor rows.
        QTest::newRow("timer slot 13") << condition(0xFF, 13, 0, 100, 2) << int(ConditionKind::Above) << int(ConditionAction::On) << 2
                                       << QList<double>{13};
        QTest::newRow("timer slot 14, off") << condition(0xFF, 14, 0, 0, 2) << int(ConditionKind::Above) << int(ConditionAction::Off) << 2
                                            << QList<double>{14};
    }

    void conditionFields()
    {
        QFETCH(QByteArray, record);
        const QByteArray body = sensor(1, 1, QStringLiteral("T"), {{4}}) + scenario(QStringLiteral("B")) + dayList(0, 1)
            + record + dayMap({});
        const Decoded d = decode(body);
        QCOMPARE(d.state.scenarios.size(), 1);
        const Condition row = d.state.scenarios[0].sockets[1].dayConditions.at(0);
        QTEST(int(row.kind), "kind");
        QTEST(int(row.action), "action");
        QTEST(row.priority, "priority");
        QTEST(row.params, "params");
        QCOMPARE(row.value, readBits(record));
        if (row.source != TimerSource) {
            QCOMPARE(row.ref, 1);
            QCOMPARE(row.text, QStringLiteral("T: Температура"));
        }
    }

    void dayMapAssignsDays()
    {
        // Runs beyond the cycle count are ignored; ordinals follow first appearance.
        const QByteArray head = defaultSockets() + workCycle(12, 12, 1772438400, 5);
        QByteArray body = head;
        QList<quint32> offsets;
        for (const char *name : {"A", "B", "C"}) {
            offsets.append(quint32(body.size() + 4));
            body += scenario(QString::fromLatin1(name)) + baseProgram(0);
        }
        body += dayMap({{0, offsets[2]}, {2, offsets[0]}, {3, offsets[1]}, {9, offsets[2]}});
        const ControllerState s = decode(body).state;
        QList<int> days;
        for (const CycleDay &day : s.days)
            days.append(day.scenarioIndex);
        QCOMPARE(days, (QList<int>{2, 0, 0, 1, 2}));
        QCOMPARE(s.scenarioOrder, (QMap<int, int>{{2, 0}, {1, 1}}));
    }

    void startSecondsAreWallClockAcrossClockChanges()
    {
        // In winter, a start in summer: the controller's wall-clock reading of the start must
        // survive a decode and an encode, whatever the offset of the day the program runs on.
        const QByteArray oldTz = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
        MockClock::set(QDateTime(QDate(2026, 1, 15), QTime(12, 0)));
        if (Clock::utcOffsetSeconds() != 3600) {
            qputenv("TZ", oldTz);
            tzset();
            QSKIP("the local zone cannot be switched in this process");
        }
        const qint64 wall = 1783065600;  // 2026-07-03 08:00 on the wall clock
        Decoded d = decode(workCycle(16, 8, wall, 3));
        const QDateTime start = d.state.startTime;
        QByteArray body;
        d.state.scenarios = {RichState::build().scenarios[0]};
        encodeConfigImage(d.state, body);
        qputenv("TZ", oldTz);
        tzset();
        QCOMPARE(start.date(), QDate(2026, 7, 3));
        QCOMPARE(start.time(), QTime(8, 0));
        QCOMPARE(d.state.startSeconds, wall);
        QVERIFY(body.contains(workCycle(16, 8, wall, 3)));
    }

private:
    static quint32 readBits(const QByteArray &record) { return qFromLittleEndian<quint32>(record.constData() + 3); }
};

QTEST_GUILESS_MAIN(TestConfigImageDecode)
#include "tst_configimagedecode.moc"
