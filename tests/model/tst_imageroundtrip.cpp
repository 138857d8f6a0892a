#include <QTest>

#include "richstate.h"
#include "testsupport.h"

#include "mockclock.h"
#include "model/clock.h"
#include "model/codec/configimage.h"
#include "model/codec/statejson.h"
#include "model/codec/textlimit.h"

#include <QJsonDocument>

namespace {

const QDateTime Now(QDate(2026, 3, 1), QTime(12, 0));

QByteArray encode(ControllerState state)
{
    QByteArray body;
    encodeConfigImage(state, body);
    return body;
}

ControllerState decoded(const QByteArray &body, DecodeResult *result = nullptr)
{
    ControllerState state;
    state.resetToEmptyForm();
    const DecodeResult r = decodeConfigImage(state, body);
    linkTimerRows(state);
    if (result)
        *result = r;
    return state;
}

// The state as the inspector hands it on: through JSON text and back.
ControllerState throughJson(const ControllerState &state, const DecodeResult &result)
{
    const QByteArray text = QJsonDocument(stateToJson(state, result)).toJson();
    ControllerState back;
    QString error;
    if (!stateFromJson(QJsonDocument::fromJson(text).object(), back, &error))
        qWarning() << error;
    return back;
}

SocketProgram programWithTimers(int sensorRef, int channel)
{
    using RichState::timer;
    SocketProgram p;
    p.timers = {timer(0, 15, 30, 40), timer(90, 5, 60, 3), timer(200, 1, 1, 1), timer(1439, 1, 1440, 1), timer(700, 120, 240, 2)};
    p.dayConditions = {baseStateCondition(ConditionAction::On), RichState::timerRow(p.timers[0], 0, ConditionAction::Off, 1),
                       RichState::timerRow(p.timers[2], 2, ConditionAction::On, 2),
                       RichState::sensorRow(sensorRef, channel, QString(), ConditionKind::Interval, -5.25f, ConditionAction::Off, 7, {12.125}),
                       RichState::timerRow(p.timers[4], 4, ConditionAction::Off, 3)};
    p.nightConditions = {baseStateCondition(ConditionAction::Off), RichState::timerRow(p.timers[4], 4, ConditionAction::Off, 3),
                         RichState::timerRow(p.timers[1], 1, ConditionAction::On, 4),
                         RichState::sensorRow(sensorRef, channel, QString(), ConditionKind::Below, 3.0e-3f, ConditionAction::On, 127)};
    return p;
}

ControllerState eightyAlternatingDays()
{
    ControllerState state = RichState::build();
    Scenario third = state.scenarios[1];
    third.name = QStringLiteral("Цветение");
    third.sockets[3] = programWithTimers(0, 4);
    state.scenarios.append(third);
    state.cycleCount = 80;
    state.days = QList<CycleDay>(80);
    for (int d = 0; d < 80; ++d)
        state.days[d].scenarioIndex = 1 + d % 2;
    return state;
}

ControllerState everyOutput()
{
    ControllerState state = RichState::build();
    for (int input : {1, 4, 5}) {
        SensorSlot &s = state.sensors[input];
        s.type = 4;
        s.name = QStringLiteral("Реле %1").arg(input);
        s.channels = {10 + input};
        s.section = ImageBytes::sensor(input, 4, s.name, {{10 + input}}, 8, 300);
    }
    Scenario &s = state.scenarios[1];
    for (int output = 1; output <= 10; ++output)
        s.sockets[output] = programWithTimers(0, 5);
    state.nightHours = 0;  // sensor rows of the night lists go
    state.dayHours = 20;
    return state;
}

ControllerState noWorkCycle()
{
    ControllerState state = RichState::build();
    state.cycleCount = 0;
    state.days.clear();
    state.dayHours = 24;
    state.nightHours = 0;
    state.scenarios.removeLast();
    state.scenarios[0].sockets[2] = programWithTimers(3, 7);
    return state;
}

// Days [0, 1, 1, 0] on a scenario that has no programs yet.
ControllerState dayRunsAnEmptyScenario()
{
    ControllerState state = RichState::build();
    state.scenarios[1].sockets.clear();
    state.scenarios[1].usage = 2;
    return state;
}

ControllerState longNames()
{
    ControllerState state = RichState::build();
    state.sockets[2].name = QString(300, QChar(0x0444));
    state.sockets[3].name = QStringLiteral("\"кавычки\" \\ и\tтабуляция");
    state.scenarios[1].name = QString(1000, QChar(0x4E2D));
    const QString sensorName = cutToUtf8Bytes(QString(200, QChar(0x0416)));
    state.sensors[3].name = sensorName;
    state.sensors[3].section = ImageBytes::sensor(3, 3, sensorName, {{7}}, 7, 10);
    return state;
}

} // namespace

class TestImageRoundTrip : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MockClock::set(Now); }
    void cleanupTestCase() { MockClock::clear(); }

    void fixtureComesBackByteForByte_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::newRow("rich image") << QStringLiteral("model/rich-image.hex");
        QTest::newRow("empty state") << QStringLiteral("model/empty-state.hex");
    }

    void fixtureComesBackByteForByte()
    {
        QFETCH(QString, fixture);
        const QByteArray image = RichState::fixture(testDataPath(fixture));
        QVERIFY(!image.isEmpty());
        DecodeResult result;
        const ControllerState state = decoded(image, &result);
        QCOMPARE(encode(state), image);
        QCOMPARE(encode(throughJson(state, result)), image);
    }

    void statesComeBack_data()
    {
        QTest::addColumn<ControllerState>("state");
        QTest::newRow("rich") << RichState::build();
        QTest::newRow("80 alternating days, many timers") << eightyAlternatingDays();
        QTest::newRow("every output, no night") << everyOutput();
        QTest::newRow("no work cycle") << noWorkCycle();
        QTest::newRow("long and odd names") << longNames();
        QTest::newRow("a day runs a scenario without programs") << dayRunsAnEmptyScenario();
    }

    void statesComeBack()
    {
        QFETCH(ControllerState, state);
        const QByteArray image = encode(state);
        DecodeResult result;
        const ControllerState back = decoded(image, &result);
        QCOMPARE(result.usedLength == -1, image.size() % 64 == 0 && image.at(image.size() - 1) == 0x13);
        QCOMPARE(encode(back), image);
        QCOMPARE(encode(throughJson(back, result)), image);

        // What the user sees comes back as set.
        QCOMPARE(back.cycleCount, state.cycleCount);
        for (int d = 0; d < state.days.size(); ++d)
            QCOMPARE(back.days[d].scenarioIndex, state.days[d].scenarioIndex);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(back.sockets[i].name, cutToUtf8Bytes(state.sockets[i].name));
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(back.sensors[i].type, state.sensors[i].type);
            if (state.sensors[i].type != 0)
                QCOMPARE(back.sensors[i].name, state.sensors[i].name);
        }
        QCOMPARE(back.scenarios.size(), state.scenarios.size());
        for (int j = 0; j < state.scenarios.size(); ++j) {
            QCOMPARE(back.scenarios[j].name, state.scenarios[j].name);
            QCOMPARE(back.scenarios[j].sockets.keys(), state.scenarios[j].sockets.keys());
        }
    }

    // Records the program cannot show go back as read when something else is changed: a sensor
    // section of an unknown type, a row on a channel no input offers, and both (an unknown sensor
    // with the rows that read it). The socket's new name has the old one's length, so the image
    // must come back unchanged but for that name.
    void keptRecordsSurviveARename_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("keptSections");
        QTest::addColumn<int>("keptRows");
        const QByteArray rich = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        const auto withByte = [&rich](int pos, int value) {
            QByteArray b = rich;
            b[pos] = char(value);
            return b;
        };
        QTest::newRow("unknown sensor type") << withByte(51, 9) << 1 << 0;
        QTest::newRow("row on a channel no input offers") << withByte(427, 9) << 0 << 1;
        QTest::newRow("unknown sensor and its rows") << withByte(16, 9) << 1 << 2;
    }
    void keptRecordsSurviveARename()
    {
        QFETCH(QByteArray, image);
        QFETCH(int, keptSections);
        QFETCH(int, keptRows);
        DecodeResult result;
        ControllerState state = decoded(image, &result);
        QVERIFY(result.complete);
        QCOMPARE(int(state.keptSensorSections.size()), keptSections);
        int rows = 0;
        for (const Scenario &scenario : std::as_const(state.scenarios)) {
            for (const SocketProgram &program : scenario.sockets)
                rows += int(program.keptDayRows.size() + program.keptNightRows.size());
        }
        QCOMPARE(rows, keptRows);

        const QByteArray oldName = QStringLiteral("Лампа").toUtf8();
        const QByteArray newName = QStringLiteral("Лампы").toUtf8();
        QByteArray expected = image;
        expected.replace(image.indexOf(oldName), oldName.size(), newName);
        state.sockets[0].name = QString::fromUtf8(newName);
        QCOMPARE(encode(state), expected);
        // the inspector's JSON carries them both ways
        QCOMPARE(encode(throughJson(state, result)), expected);
    }

    void sharedTimerStaysShared()
    {
        ControllerState state = eightyAlternatingDays();
        const ControllerState back = decoded(encode(state));
        const SocketProgram p = back.scenarios[2].sockets[3];
        // Timers come back in slot order, only the ones rows use: 0, 2, 4 by day, then 1 by night.
        QCOMPARE(p.timers.size(), 4);
        QCOMPARE(p.dayConditions[4].params, (QList<double>{700, 120, 240, 2, 2}));
        QCOMPARE(p.nightConditions[1].params, (QList<double>{700, 120, 240, 2, 2}));
        QCOMPARE(p.timers[2].dayRow, 4);
        QCOMPARE(p.timers[2].nightRow, 1);
        QCOMPARE(p.nightConditions[2].params, (QList<double>{90, 5, 60, 3, 3}));
    }
};

QTEST_GUILESS_MAIN(TestImageRoundTrip)
#include "tst_imageroundtrip.moc"
