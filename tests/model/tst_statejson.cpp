#include <QTest>

#include "richstate.h"
#include "testsupport.h"

#include "mockclock.h"
#include "model/clock.h"
#include "model/codec/configimage.h"
#include "model/codec/statejson.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace {

QJsonObject parse(const QByteArray &text)
{
    return QJsonDocument::fromJson(text).object();
}

} // namespace

class TestStateJson : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MockClock::set(QDateTime(QDate(2026, 3, 1), QTime(12, 0))); }
    void cleanupTestCase() { MockClock::clear(); }

    void decodedImageAsJson()
    {
        ControllerState state;
        state.resetToEmptyForm();
        const DecodeResult result = decodeConfigImage(state, RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex"))));
        linkTimerRows(state);
        const QJsonObject json = stateToJson(state, result);

        QCOMPARE(json.value(QStringLiteral("complete")).toBool(), true);
        QCOMPARE(json.value(QStringLiteral("stopPosition")).toInt(), 705);  // the first padding byte
        const QJsonObject sensor0 = json.value(QStringLiteral("sensors")).toArray().at(0).toObject();
        QCOMPARE(sensor0.value(QStringLiteral("typeName")).toString(), QStringLiteral("Датчик температуры & влажности (AM2301A)"));
        QCOMPARE(sensor0.value(QStringLiteral("channels")).toArray(), (QJsonArray{4, 5}));
        QCOMPARE(sensor0.value(QStringLiteral("section")).toString().left(8), QStringLiteral("020cd09a"));
        QCOMPARE(sensor0.value(QStringLiteral("calibration")).toArray().at(0).toObject().value(QStringLiteral("offset")).toDouble(), 1.5);
        const QJsonObject cycle = json.value(QStringLiteral("workCycle")).toObject();
        QCOMPARE(cycle.value(QStringLiteral("startSeconds")).toInteger(), qint64(1772438400));
        QCOMPARE(cycle.value(QStringLiteral("start")).toString(), QStringLiteral("2026-03-02T08:00:00"));
        QCOMPARE(json.value(QStringLiteral("days")).toArray(), (QJsonArray{0, 1, 1, 0}));
        QCOMPARE(json.value(QStringLiteral("scenarioOrder")).toArray(),
                 (QJsonArray{QJsonObject{{QStringLiteral("scenario"), 1}, {QStringLiteral("ordinal"), 0}}}));
        const QJsonObject interval = json.value(QStringLiteral("scenarios")).toArray().at(1).toObject()
                                         .value(QStringLiteral("sockets")).toArray().at(0).toObject()
                                         .value(QStringLiteral("night")).toArray().at(2).toObject();
        QCOMPARE(interval.value(QStringLiteral("kind")).toInt(), 3);
        QCOMPARE(interval.value(QStringLiteral("value")).toDouble(), 40.0);
        QCOMPARE(interval.value(QStringLiteral("valueBits")).toInteger(), qint64(0x42200000));
        QCOMPARE(interval.value(QStringLiteral("params")).toArray(), QJsonArray{60.0});
        QCOMPARE(interval.value(QStringLiteral("text")).toString(), QStringLiteral("Климат: Влажность"));
    }

    void noStopNoUsedLength()
    {
        ControllerState state;
        state.resetToEmptyForm();
        const QJsonObject json = stateToJson(state, DecodeResult());
        QVERIFY(!json.contains(QStringLiteral("usedLength")));
        QVERIFY(json.value(QStringLiteral("workCycle")).toObject().value(QStringLiteral("start")).isNull());
    }

    void numbersJsonCannotHold()
    {
        ControllerState state;
        state.resetToEmptyForm();
        Scenario s;
        SocketProgram p;
        Condition row = RichState::sensorRow(0, 4, QString(), ConditionKind::Interval, 0, ConditionAction::On, 1, {qQNaN()});
        row.value = 0x7FC00001;  // a NaN with a payload
        p.dayConditions = {row};
        s.sockets.insert(1, p);
        state.scenarios = {s};
        const QByteArray text = QJsonDocument(stateToJson(state, DecodeResult())).toJson();
        ControllerState back;
        QString error;
        QVERIFY2(stateFromJson(parse(text), back, &error), qPrintable(error));
        const Condition read = back.scenarios[0].sockets[1].dayConditions[0];
        QCOMPARE(read.value, quint32(0x7FC00001));  // the bits travel exactly
        QVERIFY(std::isnan(read.params.at(0)));
    }

    void minimalJson()
    {
        const QJsonObject json = parse(R"({"workCycle": {"dayHours": 12, "nightHours": 12, "startSeconds": 1772438400,
            "cycleCount": 2}, "scenarios": [{"name": "B", "sockets": [{"output": 1,
            "day": [{"source": 0, "action": 1}], "night": [{"source": 0, "action": 2, "value": 2.5}]}]}]})");
        ControllerState state;
        QString error;
        QVERIFY2(stateFromJson(json, state, &error), qPrintable(error));
        QCOMPARE(state.days.size(), 2);
        QCOMPARE(state.sockets[2].name, QStringLiteral("Порт 3"));
        QCOMPARE(state.startTime, QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
        QCOMPARE(state.scenarios[0].sockets[1].nightConditions[0].value, quint32(0x40200000));
        QByteArray body;
        encodeConfigImage(state, body);
        QVERIFY(body.contains(QByteArray::fromHex("0c0c000c008043a5690000000002000d")));
    }

    // A sensor given by its section alone takes its other fields from it.
    void sensorFromSection()
    {
        const QJsonObject json = parse(R"({"sensors": [{"index": 2, "section": "020ad09dd0b0d181d0bed1810208041106000012142c01000003"}]})");
        ControllerState state;
        QString error;
        QVERIFY2(stateFromJson(json, state, &error), qPrintable(error));
        QCOMPARE(state.sensors[2].type, 4);
        QCOMPARE(state.sensors[2].name, QStringLiteral("Насос"));
        QCOMPARE(state.sensors[2].channels, QList<int>{6});
        QCOMPARE(state.usedChannels[6], 1);
    }

    void errors_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        const QByteArray program = R"({"scenarios": [{"sockets": [{"output": 1, %1}]}]})";
        auto inProgram = [&](const char *inner) { return QByteArray(program).replace("%1", inner); };
        const QString at = QStringLiteral("scenarios[0].sockets[0].");

        QTest::newRow("sensors not an array") << QByteArray(R"({"sensors": {}})") << QStringLiteral("sensors: expected an array");
        QTest::newRow("sensor without index") << QByteArray(R"({"sensors": [{}]})")
                                              << QStringLiteral("sensors[0].index: expected an integer in 0..5");
        QTest::newRow("sensor index 6") << QByteArray(R"({"sensors": [{"index": 6}]})")
                                        << QStringLiteral("sensors[0].index: expected an integer in 0..5");
        QTest::newRow("sensor twice") << QByteArray(R"({"sensors": [{"index": 1}, {"index": 1}]})")
                                      << QStringLiteral("sensors[1]: index 1 given twice");
        QTest::newRow("sensor type 7") << QByteArray(R"({"sensors": [{"index": 0, "type": 7}]})")
                                       << QStringLiteral("sensors[0].type: expected an integer in 0..5");
        QTest::newRow("section not hex") << QByteArray(R"({"sensors": [{"index": 0, "section": "0g"}]})")
                                         << QStringLiteral("sensors[0].section: expected hexadecimal bytes");
        QTest::newRow("section odd") << QByteArray(R"({"sensors": [{"index": 0, "section": "02 0"}]})")
                                     << QStringLiteral("sensors[0].section: expected hexadecimal bytes");
        QTest::newRow("channel 20") << QByteArray(R"({"sensors": [{"index": 0, "channels": [4, 20]}]})")
                                    << QStringLiteral("sensors[0].channels[1]: expected an integer in 1..19");
        QTest::newRow("socket name a number") << QByteArray(R"({"sockets": [{"index": 0, "name": 5}]})")
                                              << QStringLiteral("sockets[0].name: expected a string");
        QTest::newRow("work cycle an array") << QByteArray(R"({"workCycle": []})")
                                             << QStringLiteral("workCycle: expected an object");
        QTest::newRow("81 cycles") << QByteArray(R"({"workCycle": {"cycleCount": 81}})")
                                   << QStringLiteral("workCycle.cycleCount: expected an integer in 0..80");
        QTest::newRow("fractional hours") << QByteArray(R"({"workCycle": {"dayHours": 1.5}})")
                                          << QStringLiteral("workCycle.dayHours: expected an integer in 0..65535");
        QTest::newRow("known not a bool") << QByteArray(R"({"workCycle": {"known": 1}})")
                                          << QStringLiteral("workCycle.known: expected true or false");
        QTest::newRow("days do not match") << QByteArray(R"({"workCycle": {"cycleCount": 2, "startSeconds": 1772438400}, "days": [0]})")
                                           << QStringLiteral("days: expected one entry per cycle (2)");
        QTest::newRow("day names no scenario")
            << QByteArray(R"({"workCycle": {"cycleCount": 1, "startSeconds": 1772438400}, "scenarios": [{}], "days": [1]})")
            << QStringLiteral("days[0]: expected an integer in 0..0");
        QTest::newRow("output 11") << QByteArray(R"({"scenarios": [{"sockets": [{"output": 11}]}]})")
                                   << QStringLiteral("scenarios[0].sockets[0].output: expected an integer in 1..10");
        QTest::newRow("output twice") << QByteArray(R"({"scenarios": [{"sockets": [{"output": 1}, {"output": 1}]}]})")
                                      << QStringLiteral("scenarios[0].sockets[1]: output 1 given twice");
        QTest::newRow("row not an object") << inProgram(R"("day": [1])") << (at + QStringLiteral("day[0]: expected an object"));
        QTest::newRow("priority 256") << inProgram(R"("day": [{"priority": 256}])")
                                      << (at + QStringLiteral("day[0].priority: expected an integer in 0..255"));
        QTest::newRow("source 20") << inProgram(R"("night": [{}, {"source": 20}])")
                                   << (at + QStringLiteral("night[1].source: expected an integer in -1..19"));
        QTest::newRow("kind 4") << inProgram(R"("night": [{"kind": 4}])")
                                << (at + QStringLiteral("night[0].kind: expected an integer in 1..3"));
        QTest::newRow("negative bits") << inProgram(R"("day": [{"valueBits": -1}])")
                                       << (at + QStringLiteral("day[0].valueBits: expected an integer in 0..4294967295"));
        QTest::newRow("param a string") << inProgram(R"("day": [{"params": [1, "x"]}])")
                                        << (at + QStringLiteral("day[0].params[1]: expected a number"));
        QTest::newRow("timer start 70000") << inProgram(R"("timers": [{"start": 70000}])")
                                           << (at + QStringLiteral("timers[0].start: expected an integer in 0..65535"));
        // A work cycle the image cannot hold would be left out of it.
        QTest::newRow("start beyond year 9999") << QByteArray(R"({"workCycle": {"cycleCount": 1, "startSeconds": 253402300800}})")
                                                << QStringLiteral("workCycle.startSeconds: expected 0 (no start) or a time in the years 1..9999");
        QTest::newRow("cycle without a start") << QByteArray(R"({"workCycle": {"cycleCount": 3}})")
                                               << QStringLiteral("workCycle.startSeconds: a work cycle needs a start");
        QTest::newRow("1000 day hours") << QByteArray(R"({"workCycle": {"dayHours": 1000, "cycleCount": 1, "startSeconds": 1772438400}})")
                                        << QStringLiteral("workCycle.dayHours: a work cycle needs 1..999 day hours");
        QTest::newRow("known cycle without cycles") << QByteArray(R"({"workCycle": {"known": true, "startSeconds": 1772438400}})")
                                                    << QStringLiteral("workCycle.cycleCount: a work cycle needs at least one cycle");

        // Keys the form does not know, at every level.
        QTest::newRow("unknown top key") << QByteArray(R"({"sensor": []})") << QStringLiteral("sensor: unknown key");
        QTest::newRow("unknown sensor key") << QByteArray(R"({"sensors": [{"index": 0, "chanels": [4]}]})")
                                            << QStringLiteral("sensors[0].chanels: unknown key");
        QTest::newRow("unknown calibration key") << QByteArray(R"({"sensors": [{"index": 0, "calibration": [{"ofset": 1}]}]})")
                                                 << QStringLiteral("sensors[0].calibration[0].ofset: unknown key");
        QTest::newRow("unknown socket key") << QByteArray(R"({"sockets": [{"index": 0, "power": 1}]})")
                                            << QStringLiteral("sockets[0].power: unknown key");
        QTest::newRow("unknown cycle key") << QByteArray(R"({"workCycle": {"days": 4}})") << QStringLiteral("workCycle.days: unknown key");
        QTest::newRow("unknown scenario key") << QByteArray(R"({"scenarios": [{"title": "B"}]})")
                                              << QStringLiteral("scenarios[0].title: unknown key");
        QTest::newRow("unknown program key") << inProgram(R"("evening": [])") << (at + QStringLiteral("evening: unknown key"));
        QTest::newRow("unknown row key") << inProgram(R"("day": [{"treshold": 2}])") << (at + QStringLiteral("day[0].treshold: unknown key"));
        QTest::newRow("unknown timer key") << inProgram(R"("timers": [{"repeat": 2}])") << (at + QStringLiteral("timers[0].repeat: unknown key"));
        QTest::newRow("unknown order key") << QByteArray(R"({"scenarioOrder": [{"scenario": 1, "ordinal": 0, "x": 0}]})")
                                           << QStringLiteral("scenarioOrder[0].x: unknown key");

        // The section is what is written: the fields describing it must agree with it.
        const QByteArray pump = R"({"sensors": [{"index": 2, "section": "020ad09dd0b0d181d0bed1810208041106000012142c01000003", %1}]})";
        auto withPump = [&](const char *fields) { return QByteArray(pump).replace("%1", fields); };
        QTest::newRow("section of another name") << withPump(R"("name": "Насос 2")")
                                                 << QStringLiteral("sensors[0].section: holds the name \"Насос\", not \"Насос 2\"");
        QTest::newRow("section of another type") << withPump(R"("type": 3)") << QStringLiteral("sensors[0].section: holds type 4, not 3");
        QTest::newRow("section of other channels") << withPump(R"("channels": [6, 8])")
                                                   << QStringLiteral("sensors[0].section: holds the channels [6], not [6,8]");
        QTest::newRow("section of other calibration") << withPump(R"("calibration": [{"offset": 0.5}])")
                                                      << QStringLiteral("sensors[0].section: holds other calibration entries");
        QTest::newRow("section of another input") << QByteArray(pump).replace("\"index\": 2", "\"index\": 1").replace(", %1", "")
                                                  << QStringLiteral("sensors[0].section: the section is input 2's, not input 1's");
        QTest::newRow("section cut short") << QByteArray(R"({"sensors": [{"index": 2, "section": "020ad09dd0b0d181d0bed181020804110600001214"}]})")
                                           << QStringLiteral("sensors[0].section: not one whole sensor section of a known type");
        QTest::newRow("section and more") << withPump(R"("type": 4)").replace("000003\"", "00000307\"")
                                          << QStringLiteral("sensors[0].section: not one whole sensor section of a known type");
        QTest::newRow("type without section") << QByteArray(R"({"sensors": [{"index": 0, "type": 2}]})")
                                              << QStringLiteral("sensors[0].section: missing: an input of type 2 is written as its section");
        QTest::newRow("channel of two inputs")
            << QByteArray(R"({"sensors": [{"index": 2, "section": "020ad09dd0b0d181d0bed1810208041106000012142c01000003"},
                                          {"index": 0, "channels": [6]}]})")
            << QStringLiteral("sensors[1].channels: channel 6 is offered by input 2 too");

        // Records kept without being shown are given by their bytes, which must be one whole record.
        const QByteArray keptPump = R"({"keptSensorSections": [{"section": "020ad09dd0b0d181d0bed1810208091106000012142c01000003", %1}]})";
        QTest::newRow("kept section cut short") << QByteArray(R"({"keptSensorSections": [{"section": "020ad09dd0b0d181d0bed18102080911"}]})")
                                                << QStringLiteral("keptSensorSections[0].section: not one whole sensor section");
        QTest::newRow("kept section of another type") << QByteArray(keptPump).replace("%1", R"("type": 4)")
                                                      << QStringLiteral("keptSensorSections[0].section: holds type 9");
        QTest::newRow("kept section of other channels") << QByteArray(keptPump).replace("%1", R"("channels": [7])")
                                                        << QStringLiteral("keptSensorSections[0].section: holds the channels [6]");
        const QByteArray rowOn9 = "0a0906000096440000000002 0b";
        QTest::newRow("kept row not a record") << inProgram(R"("keptNight": [{"position": 0, "record": "0a09"}])")
                                               << (at + QStringLiteral("keptNight[0].record: expected one condition record of 13 bytes"));
        QTest::newRow("kept base-state row") << inProgram(R"("keptDay": [{"position": 0, "record": "0a000700007a446400000000 0b"}])")
                                             << (at + QStringLiteral("keptDay[0].record: a row on source 0 is not kept, it is read"));
        QTest::newRow("kept rows out of order")
            << inProgram(QByteArray(R"("keptDay": [{"position": 2, "record": "%r"}, {"position": 1, "record": "%r"}])").replace("%r", rowOn9).constData())
            << (at + QStringLiteral("keptDay[1].position: expected positions in ascending order"));

        QTest::newRow("order without ordinal") << QByteArray(R"({"scenarioOrder": [{"scenario": 1}]})")
                                               << QStringLiteral("scenarioOrder[0].ordinal: expected an integer in 0..2147483647");
    }

    void errors()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
        QCOMPARE(parseError.error, QJsonParseError::NoError);

        ControllerState state = RichState::build();
        const ControllerState before = state;
        QString message;
        QVERIFY(!stateFromJson(document.object(), state, &message));
        QCOMPARE(message, error);
        QCOMPARE(state.scenarios.size(), before.scenarios.size());
        QCOMPARE(state.sockets[0].name, before.sockets[0].name);
        QCOMPARE(state.cycleCount, before.cycleCount);
    }
};

QTEST_GUILESS_MAIN(TestStateJson)
#include "tst_statejson.moc"
