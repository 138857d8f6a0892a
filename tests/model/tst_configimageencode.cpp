#include <QTest>

#include "imagebytes.h"
#include "richstate.h"
#include "testsupport.h"

#include "model/plan/basescenario.h"
#include "mockclock.h"
#include "model/clock.h"
#include "model/codec/configimage.h"
#include "model/codec/textlimit.h"

using namespace ImageBytes;

namespace {

const QDateTime Now(QDate(2026, 3, 1), QTime(12, 0));

ControllerState emptyState()
{
    ControllerState state;
    state.resetToEmptyForm();
    createBaseScenario(state);
    return state;
}

QByteArray encodeBody(ControllerState &state)
{
    QByteArray body;
    encodeConfigImage(state, body);
    return body;
}

QByteArray defaultSockets()
{
    return socket(0, QStringLiteral("Порт 1")) + socket(1, QStringLiteral("Порт 2")) + socket(2, QStringLiteral("Порт 3"))
        + socket(3, QStringLiteral("Порт 4"));
}

QByteArray baseScenarioBytes()
{
    return scenario(QStringLiteral("Базовый сценарий")) + baseProgram(0) + baseProgram(1) + baseProgram(2) + baseProgram(3);
}

// Offset of the first list of the base scenario in a body that starts with the default sockets.
constexpr quint32 BaseOffset = 60 + 34;

// A state whose scenario 1 ("S") has only the given program for socket 1.
ControllerState stateWithProgram(const SocketProgram &program, int nightHours = 8)
{
    ControllerState state = emptyState();
    state.nightHours = nightHours;
    Scenario s;
    s.name = QStringLiteral("S");
    s.usage = 1;
    s.sockets.insert(1, program);
    state.scenarios.append(s);
    return state;
}

// The bytes of scenario "S" as written after the base scenario.
QByteArray scenarioSBytes(const QByteArray &lists)
{
    return scenario(QStringLiteral("S")) + lists;
}

Condition timerRowFor(const TimerSlot &t, int index, ConditionAction action = ConditionAction::On, int priority = 1)
{
    return RichState::timerRow(t, index, action, priority);
}

} // namespace

class TestConfigImageEncode : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MockClock::set(Now); }
    void cleanupTestCase() { MockClock::clear(); }

    void emptyStateBytes()
    {
        ControllerState state = emptyState();
        QByteArray body;
        const QByteArray header = encodeConfigImage(state, body);
        QCOMPARE(body, RichState::fixture(testDataPath(QStringLiteral("model/empty-state.hex"))));
        QCOMPARE(body, padded(defaultSockets() + baseScenarioBytes() + dayMap({})));
        QCOMPARE(body.size(), 256);
        QCOMPARE(header.size(), 64);
        QCOMPARE(header.left(4), QByteArray::fromHex("11224001"));
        QCOMPARE(header.mid(4), QByteArray(60, '\0'));
        QCOMPARE(state.scenarios[0].imageOffset, int(BaseOffset));
        QCOMPARE(state.startSeconds, Clock::localWallSeconds(Now));  // stored even when not written
    }

    void richStateMatchesTheFixture()
    {
        ControllerState state = RichState::build();
        QCOMPARE(encodeBody(state), RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex"))));
        QCOMPARE(state.scenarios[0].imageOffset, 213);
        QCOMPARE(state.scenarios[1].imageOffset, 410);
    }

    void dayMapRuns_data()
    {
        QTest::addColumn<QList<int>>("days");
        QTest::addColumn<QByteArray>("map");
        const quint32 sOffset = BaseOffset + 144 + 4;  // right after the name "S"
        QList<Run> alternating;
        QList<int> alternatingDays;
        for (int d = 0; d < 6; ++d) {
            alternatingDays.append(d % 2);
            alternating.append({d, d % 2 ? sOffset : BaseOffset});
        }
        QTest::newRow("80 days on the base scenario") << QList<int>(80, 0) << dayMap({{79, BaseOffset}});
        QTest::newRow("alternating days") << alternatingDays << dayMap(alternating);
        QTest::newRow("runs") << QList<int>{1, 1, 0, 0, 0, 1} << dayMap({{1, sOffset}, {4, BaseOffset}, {5, sOffset}});
        QTest::newRow("no days") << QList<int>{} << dayMap({});
        // A day naming no scenario runs the base scenario rather than an offset the image lacks.
        QTest::newRow("unknown scenario index") << QList<int>{0, 7, -1} << dayMap({{2, BaseOffset}});
    }

    void dayMapRuns()
    {
        QFETCH(QList<int>, days);
        ControllerState state = emptyState();
        Scenario s = baseScenario();
        s.name = QStringLiteral("S");
        s.usage = 1;
        state.scenarios.append(s);
        for (int index : days)
            state.days.append(CycleDay{QDateTime(), index});
        const QByteArray body = encodeBody(state);
        const QByteArray prefix = defaultSockets() + baseScenarioBytes() + scenario(QStringLiteral("S"))
            + baseProgram(0) + baseProgram(1) + baseProgram(2) + baseProgram(3);
        QFETCH(QByteArray, map);
        QCOMPARE(body, padded(prefix + map));
    }

    void workCycleSection_data()
    {
        QTest::addColumn<int>("dayHours");
        QTest::addColumn<int>("nightHours");
        QTest::addColumn<int>("cycleCount");
        QTest::addColumn<bool>("validStart");
        QTest::addColumn<bool>("written");
        QTest::newRow("usual") << 16 << 8 << 3 << true << true;
        QTest::newRow("longest") << 999 << 999 << 80 << true << true;
        QTest::newRow("no cycles") << 16 << 8 << 0 << true << false;
        QTest::newRow("no day") << 0 << 8 << 3 << true << false;
        QTest::newRow("day too long") << 1000 << 0 << 3 << true << false;
        QTest::newRow("night too long") << 12 << 1000 << 3 << true << false;
        QTest::newRow("negative night") << 12 << -1 << 3 << true << false;
        QTest::newRow("no start") << 16 << 8 << 3 << false << false;
    }

    void workCycleSection()
    {
        QFETCH(int, dayHours);
        QFETCH(int, nightHours);
        QFETCH(int, cycleCount);
        QFETCH(bool, validStart);
        QFETCH(bool, written);
        ControllerState state = emptyState();
        state.dayHours = dayHours;
        state.nightHours = nightHours;
        state.cycleCount = cycleCount;
        state.startTime = validStart ? QDateTime(QDate(2026, 3, 2), QTime(8, 0)) : QDateTime();
        const QByteArray body = encodeBody(state);
        const QByteArray section = workCycle(dayHours, nightHours, 1772438400, cycleCount);
        QCOMPARE(body.mid(60, 16) == section, written);
        QCOMPARE(body.at(60) == 0x0C, written);
        QCOMPARE(state.startSeconds, validStart ? qint64(1772438400) : qint64(0));
    }

    void nightSensorRowsWithoutNight_data()
    {
        QTest::addColumn<int>("nightHours");
        QTest::newRow("no night") << 0;
        QTest::newRow("night") << 8;
    }

    void nightSensorRowsWithoutNight()
    {
        QFETCH(int, nightHours);
        const TimerSlot t = RichState::timer(60, 10, 20, 1);
        SocketProgram program;
        program.timers = {t};
        const Condition sensorRow = RichState::sensorRow(0, 4, QString(), ConditionKind::Above, 25.0f, ConditionAction::Off, 2);
        program.dayConditions = {baseStateCondition(ConditionAction::On), sensorRow};
        program.nightConditions = {sensorRow, baseStateCondition(ConditionAction::Off), timerRowFor(t, 0), sensorRow};
        ControllerState state = stateWithProgram(program, nightHours);
        state.sensors[0].type = 1;
        state.sensors[0].channels = {4};

        const QByteArray body = encodeBody(state);
        const QByteArray sensorBytes = condition(4, 6, 0x41C80000, 0, 2);  // 25.0
        const QByteArray night = nightHours == 0
            ? nightList(0, 2) + baseNight() + condition(0xFF, 0, 0, 100, 1)
            : nightList(0, 4) + sensorBytes + baseNight() + condition(0xFF, 0, 0, 100, 1) + sensorBytes;
        const QByteArray expected = scenarioSBytes(dayList(0, 2) + baseDay() + sensorBytes + night
                                                   + timers({{60, 10, 20, 1}}));
        QVERIFY2(body.contains(expected), body.toHex().constData());
        // The rows are gone from the state too, so the editor shows what the controller runs.
        QCOMPARE(state.scenarios[1].sockets[1].nightConditions.size(), nightHours == 0 ? 2 : 4);
        QCOMPARE(state.scenarios[1].sockets[1].dayConditions.size(), 2);
    }

    void timersAreNumberedByFirstUse()
    {
        const TimerSlot unused = RichState::timer(1, 1, 1, 1);
        const TimerSlot shared = RichState::timer(480, 30, 60, 2);
        const TimerSlot nightOnly = RichState::timer(1300, 5, 10, 3);
        SocketProgram program;
        program.timers = {unused, shared, nightOnly};
        Condition stray = timerRowFor(shared, 1, ConditionAction::Off, 2);
        stray.params.last() = 9;  // names no timer
        program.dayConditions = {baseStateCondition(ConditionAction::On), timerRowFor(shared, 1)};
        program.nightConditions = {baseStateCondition(ConditionAction::Off), timerRowFor(nightOnly, 2), timerRowFor(shared, 1), stray};
        ControllerState state = stateWithProgram(program);

        const QByteArray body = encodeBody(state);
        const QByteArray expected = scenarioSBytes(
            dayList(0, 2) + baseDay() + condition(0xFF, 0, 0, 100, 1)
            + nightList(0, 4) + baseNight() + condition(0xFF, 1, 0, 100, 1) + condition(0xFF, 0, 0, 100, 1)
            + condition(0xFF, 0, 0, 0, 2) + timers({{480, 30, 60, 2}, {1300, 5, 10, 3}}));
        QVERIFY2(body.contains(expected), body.toHex().constData());
        const QList<TimerSlot> &numbered = state.scenarios[1].sockets[1].timers;
        QCOMPARE(numbered[0].slot, -1);
        QCOMPARE(numbered[1].slot, 0);
        QCOMPARE(numbered[2].slot, 1);
    }

    void timerStartsTakeTheShift()
    {
        const TimerSlot t = RichState::timer(1430, 5, 10, 1);
        SocketProgram program;
        program.timers = {t};
        program.dayConditions = {baseStateCondition(ConditionAction::On), timerRowFor(t, 0)};
        program.nightConditions = {baseStateCondition(ConditionAction::Off)};
        ControllerState state = stateWithProgram(program);
        state.dayHours = 16;
        state.nightHours = 8;
        state.timerShiftMinutes = 20;
        QVERIFY(encodeBody(state).contains(timers({{10, 5, 10, 1}})));
    }

    void conditionRecords_data()
    {
        QTest::addColumn<int>("sensorType");
        QTest::addColumn<Condition>("row");
        QTest::addColumn<QByteArray>("record");
        const float v = 21.5f;
        QTest::newRow("above, on") << 1 << RichState::sensorRow(0, 4, QString(), ConditionKind::Above, v, ConditionAction::On, 3)
                                   << condition(4, 6, 0x41AC0000, 100, 3);
        QTest::newRow("below, off") << 1 << RichState::sensorRow(0, 4, QString(), ConditionKind::Below, v, ConditionAction::Off, 9)
                                    << condition(4, 7, 0x41AC0000, 0, 9);
        QTest::newRow("interval on") << 1 << RichState::sensorRow(0, 4, QString(), ConditionKind::Interval, 20.0f, ConditionAction::On, 4, {25.0})
                                     << intervalCondition(4, true, 20.0f, 25.0f, 4);
        QTest::newRow("interval off") << 1 << RichState::sensorRow(0, 4, QString(), ConditionKind::Interval, 20.0f, ConditionAction::Off, 4, {25.0})
                                      << intervalCondition(4, false, 20.0f, 25.0f, 4);
        QTest::newRow("two-state sensor") << 3 << RichState::sensorRow(0, 4, QString(), ConditionKind::Below, v, ConditionAction::On, 1)
                                          << condition(4, 7, BitsHalf, 100, 1);
        QTest::newRow("two-state sensor, any value") << 3 << RichState::sensorRow(0, 4, QString(), ConditionKind::Above, -7.0f, ConditionAction::Off, 1)
                                                     << condition(4, 6, BitsHalf, 0, 1);
        Condition timerAsInterval = RichState::timerRow(RichState::timer(60, 5, 10, 1), 0, ConditionAction::On, 1);
        timerAsInterval.kind = ConditionKind::Interval;  // a timer row carries its action, never a bound
        QTest::newRow("timer row, no timers") << 1 << timerAsInterval << condition(0xFF, 0, 0, 100, 1);
        Condition base = baseStateCondition(ConditionAction::On);
        base.value = 0;  // the editor's automatic base rows carry 0.0
        QTest::newRow("base state always 1000") << 1 << base << condition(0, 7, Bits1000, 100, 0);
    }

    void conditionRecords()
    {
        QFETCH(int, sensorType);
        QFETCH(Condition, row);
        QFETCH(QByteArray, record);
        SocketProgram program;
        program.dayConditions = {row};
        program.nightConditions = {baseStateCondition(ConditionAction::Off)};
        ControllerState state = stateWithProgram(program);
        state.sensors[0].type = sensorType;
        state.sensors[0].channels = {4};
        const QByteArray body = encodeBody(state);
        QVERIFY2(body.contains(scenarioSBytes(dayList(0, 1) + record + nightList(0, 1))), body.toHex().constData());
    }

    void relayProgramsUseTheirOutputIndex()
    {
        ControllerState state = emptyState();
        state.scenarios[0].sockets.insert(10, RichState::relayDefault());
        state.scenarios[0].sockets.insert(11, RichState::relayDefault());  // not an output
        state.scenarios[0].sockets.insert(0, RichState::relayDefault());   // not an output
        const QByteArray body = encodeBody(state);
        QCOMPARE(body, padded(defaultSockets() + baseScenarioBytes() + baseProgram(9) + dayMap({})));
    }

    void onlyUsedScenariosAreWritten()
    {
        ControllerState state = emptyState();
        for (const char *name : {"unused", "used", "named by a day"}) {
            Scenario s = baseScenario();
            s.name = QString::fromLatin1(name);
            state.scenarios.append(s);
        }
        state.scenarios[2].usage = 1;
        state.days = {CycleDay{QDateTime(), 3}};
        const QByteArray body = encodeBody(state);
        QVERIFY(!body.contains("unused"));
        QVERIFY(body.contains(scenario(QStringLiteral("used"))));
        QVERIFY(body.contains(scenario(QStringLiteral("named by a day"))));
        QCOMPARE(state.scenarios[1].imageOffset, -1);
    }

    void noScenarioGivesAnEmptyDayMap()
    {
        ControllerState state;
        state.resetToEmptyForm();
        state.days = QList<CycleDay>(3);
        QCOMPARE(encodeBody(state), padded(defaultSockets() + dayMap({})));
    }

    void sensorSectionsAreWrittenVerbatim()
    {
        ControllerState state = emptyState();
        state.sensors[4].type = 5;
        state.sensors[4].section = QByteArray("any bytes the dialog built");
        state.sensors[1].type = 0;
        state.sensors[1].section = QByteArray("an input switched off");
        QVERIFY(encodeBody(state).startsWith(QByteArray("any bytes the dialog built") + socket(0, QStringLiteral("Порт 1"))));
    }

    void heldBody()
    {
        ControllerState state = emptyState();
        QByteArray held = "held";
        state.imageIsCurrent = true;
        const QByteArray header = encodeConfigImage(state, held);
        QCOMPARE(held, QByteArray("held"));
        QCOMPARE(header.left(4), QByteArray::fromHex("11224400"));
        QVERIFY(!state.imageIsCurrent);

        encodeConfigImage(state, held);
        QCOMPARE(held.size(), 256);

        // An empty body is never sent, even when flagged as current.
        QByteArray empty;
        state.imageIsCurrent = true;
        encodeConfigImage(state, empty);
        QCOMPARE(empty.size(), 256);
    }

    void longNamesAreCut()
    {
        ControllerState state = emptyState();
        state.sockets[0].name = QString(200, QChar(0x0416));  // 400 bytes of UTF-8
        state.sockets[1].name = QString(300, QLatin1Char('a'));
        const QByteArray body = encodeBody(state);
        QCOMPARE(body.left(2), QByteArray::fromHex("07fe"));
        QCOMPARE(body.mid(2, 254), QString(127, QChar(0x0416)).toUtf8());
        QCOMPARE(body.mid(256, 7), QByteArray::fromHex("00000807ff6161"));
        QCOMPARE(state.sockets[0].section.size(), 2 + 254 + 3);
    }

    void utf8Cut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<QString>("cut");
        const QString emoji = QString::fromUtf8("\xF0\x9F\x8C\xB1");  // 4 bytes, a surrogate pair
        QTest::newRow("fits") << QStringLiteral("Лампа") << 10 << QStringLiteral("Лампа");
        QTest::newRow("inside a 2-byte char") << QStringLiteral("Лампа") << 9 << QStringLiteral("Ламп");
        QTest::newRow("inside a 4-byte char") << (QStringLiteral("ab") + emoji) << 5 << QStringLiteral("ab");
        QTest::newRow("after a 4-byte char") << (emoji + emoji) << 4 << emoji;
        QTest::newRow("zero") << QStringLiteral("a") << 0 << QString();
    }

    void utf8Cut()
    {
        QFETCH(QString, text);
        QFETCH(int, maxBytes);
        QFETCH(QString, cut);
        QCOMPARE(cutToUtf8Bytes(text, maxBytes), cut);
        QCOMPARE(utf8CutTo(text, maxBytes), cut.toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestConfigImageEncode)
#include "tst_configimageencode.moc"
