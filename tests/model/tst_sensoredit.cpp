#include <QTest>

#include "model/controllerstate.h"
#include "model/plan/sensoredit.h"

namespace {

// A sensor condition row reading channel id `source`.
Scenario scenarioReading(int source)
{
    Condition row;
    row.ref = 0;
    row.kind = ConditionKind::Above;
    row.source = source;
    Scenario scenario;
    scenario.sockets[1].dayConditions << row;
    return scenario;
}

QList<float> offsets(const SensorSlot &sensor)
{
    QList<float> out;
    for (const CalibrationEntry &e : sensor.calibration)
        out << e.offset;
    return out;
}

} // namespace

// Calibration, type changes, channel allocation and the sensor section of the sensor settings.
class TestSensorEdit : public QObject
{
    Q_OBJECT
private slots:
    void refinedTextIsCleaned_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("comma: longest prefix that parses") << QStringLiteral("12,5") << QStringLiteral("12");
        QTest::newRow("point") << QStringLiteral("21.5") << QStringLiteral("21.5");
        QTest::newRow("trailing point") << QStringLiteral("21.") << QStringLiteral("21.");
        QTest::newRow("letters") << QStringLiteral("abc") << QString();
        QTest::newRow("negative being typed") << QStringLiteral("-") << QStringLiteral("-");
        QTest::newRow("negative") << QStringLiteral("-3.25") << QStringLiteral("-3.25");
        QTest::newRow("not a number is no number") << QStringLiteral("nan") << QString();
        QTest::newRow("infinity is no number") << QStringLiteral("inf") << QString();
    }
    void refinedTextIsCleaned()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QCOMPARE(cleanRefinedText(typed), kept);
    }

    void refinedValuesCalibrate_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("instant");
        QTest::addColumn<QList<float>>("before");
        QTest::addColumn<QString>("refined1");
        QTest::addColumn<QString>("refined2");
        QTest::addColumn<QList<float>>("after");
        QTest::newRow("type 1, first calibration") << 1 << QStringList{QStringLiteral("20")} << QList<float>{}
                                                   << QStringLiteral("21.5") << QString() << QList<float>{1.5f};
        QTest::newRow("type 1, on top of an earlier offset")
            << 1 << QStringList{QStringLiteral("20")} << QList<float>{0.5f} << QStringLiteral("21.5") << QString()
            << QList<float>{2.0f};
        QTest::newRow("type 1, no live value: left alone")
            << 1 << QStringList{} << QList<float>{0.5f} << QStringLiteral("21.5") << QString() << QList<float>{0.5f};
        QTest::newRow("type 2, one entry made two")
            << 2 << QStringList{QStringLiteral("60"), QStringLiteral("24")} << QList<float>{3.0f} << QString()
            << QStringLiteral("23") << QList<float>{0.0f, -1.0f};
        QTest::newRow("type 2, both channels")
            << 2 << QStringList{QStringLiteral("60"), QStringLiteral("24")} << QList<float>{1.0f, 1.0f}
            << QStringLiteral("55") << QStringLiteral("25") << QList<float>{-4.0f, 2.0f};
        QTest::newRow("contact is not calibrated")
            << 3 << QStringList{QStringLiteral("1")} << QList<float>{} << QStringLiteral("0") << QString()
            << QList<float>{};
        QTest::newRow("voltage is not calibrated")
            << 5 << QStringList{QStringLiteral("800")} << QList<float>{} << QStringLiteral("900") << QString()
            << QList<float>{};
    }
    void refinedValuesCalibrate()
    {
        QFETCH(int, type);
        QFETCH(QStringList, instant);
        QFETCH(QList<float>, before);
        QFETCH(QString, refined1);
        QFETCH(QString, refined2);
        QFETCH(QList<float>, after);
        SensorSlot sensor;
        sensor.type = type;
        sensor.valueTexts = instant;
        for (float offset : before)
            sensor.calibration << CalibrationEntry{0, offset};
        applyRefinedValues(sensor, type, parseRefinedValue(refined1), parseRefinedValue(refined2));
        QCOMPARE(offsets(sensor), after);
    }

    // The exact section of each type, built by a type change on input 1 (channels from 4 up).
    void sectionBytesByType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<float>>("calibration");
        QTest::addColumn<QByteArray>("section");
        const QByteArray head = QByteArray::fromHex("020141 01");
        QTest::newRow("1") << 1 << QList<float>{} << head + QByteArray::fromHex("0501 1104000012 14c8000000 03");
        QTest::newRow("1 calibrated") << 1 << QList<float>{1.5f}
                                      << head + QByteArray::fromHex("0501 110400040000c03f12 14c8000000 03");
        QTest::newRow("2") << 2 << QList<float>{} << head + QByteArray::fromHex("0602 1104000012 1105000012 142c010000 03");
        QTest::newRow("2, one entry: no marker") << 2 << QList<float>{1.5f}
                                                 << head + QByteArray::fromHex("0602 1104000012 1105000012 142c010000 03");
        QTest::newRow("2 calibrated second") << 2 << QList<float>{0.0f, 1.5f}
                                             << head + QByteArray::fromHex("0602 1104000012 110500040000c03f12 142c010000 03");
        QTest::newRow("3") << 3 << QList<float>{} << head + QByteArray::fromHex("0703 1104000012 140a000000 03");
        QTest::newRow("3 calibrated") << 3 << QList<float>{1.5f}
                                      << head + QByteArray::fromHex("0703 110400040000c03f12 140a000000 03");
        QTest::newRow("4 never calibrated") << 4 << QList<float>{1.5f, 1.5f}
                                            << head + QByteArray::fromHex("0804 1104000012 142c010000 03");
        QTest::newRow("5, one entry: no marker") << 5 << QList<float>{1.5f}
                                                 << head + QByteArray::fromHex("0205 1104000012 142c010000 03");
        QTest::newRow("5, two entries") << 5 << QList<float>{1.5f, 0.0f}
                                        << head + QByteArray::fromHex("0205 110400040000c03f12 142c010000 03");
    }
    void sectionBytesByType()
    {
        QFETCH(int, type);
        QFETCH(QList<float>, calibration);
        QFETCH(QByteArray, section);
        ControllerState state;
        for (float offset : calibration)
            state.sensors[1].calibration << CalibrationEntry{0, offset};
        QCOMPARE(rebuildSensor(state, 1, type, QStringLiteral("A")), SensorEdit::Built);
        QCOMPARE(state.sensors[1].section, section);
        QCOMPARE(state.sensors[1].type, type);
        QVERIFY(state.uploadRequest);
    }

    void nameKeptWithinOneByteLength()
    {
        ControllerState state;
        const QString name = QString(100, QChar(0x0436)) + QStringLiteral("€€€€€€€€€€€€€€€€€€€€");  // 200 + 60 bytes
        QCOMPARE(rebuildSensor(state, 0, 1, name), SensorEdit::Built);
        const QByteArray section = state.sensors[0].section;
        QCOMPARE(quint8(section.at(1)), quint8(254));  // 200 + 18 euros of 3 bytes
        QCOMPARE(QString::fromUtf8(section.mid(2, 254)), state.sensors[0].name);
    }

    void channelsFollowTheType()
    {
        ControllerState state;
        state.usedChannels[4] = 1;  // another input holds id 4
        QCOMPARE(rebuildSensor(state, 2, 1, QStringLiteral("t")), SensorEdit::Built);
        QCOMPARE(state.sensors[2].channels, QList<int>{5});
        QCOMPARE(rebuildSensor(state, 2, 2, QStringLiteral("t")), SensorEdit::Built);
        QCOMPARE(state.sensors[2].channels, (QList<int>{5, 6}));
        QCOMPARE(state.usedChannels[6], 1);
        QCOMPARE(rebuildSensor(state, 2, 5, QStringLiteral("t")), SensorEdit::Built);
        QCOMPARE(state.sensors[2].channels, QList<int>{5});
        QCOMPARE(state.usedChannels[6], 0);
        QCOMPARE(state.usedChannels[4], 1);

        // "off" (and an unknown type) gives back every channel and is no longer written
        for (int off : {0, 6}) {
            state.uploadRequest = false;
            QCOMPARE(rebuildSensor(state, 2, 1, QStringLiteral("t")), SensorEdit::Built);
            QCOMPARE(rebuildSensor(state, 2, off, QStringLiteral("t")), SensorEdit::Disconnected);
            QCOMPARE(state.sensors[2].type, 0);
            QVERIFY(state.sensors[2].channels.isEmpty());
            QCOMPARE(state.usedChannels[5], 0);
            QVERIFY(state.uploadRequest);
        }
    }

    // A section the program keeps without showing holds its input and its channel ids: no type is
    // set over it, and no other input takes an id its rows may read.
    void keptSectionHoldsItsInputAndChannels()
    {
        ControllerState state;
        state.keptSensorSections = {KeptSensorSection{2, 9, QStringLiteral("CO2"), {4}, QByteArray::fromHex("0203434f32020909110400001214c800000003")}};
        reserveKeptChannels(state);
        QCOMPARE(rebuildSensor(state, 2, 1, QStringLiteral("t")), SensorEdit::InUse);
        QCOMPARE(state.sensors[2].type, 0);
        QVERIFY(!state.uploadRequest);
        QCOMPARE(rebuildSensor(state, 3, 1, QStringLiteral("t")), SensorEdit::Built);
        QCOMPARE(state.sensors[3].channels, QList<int>{5});
    }

    void outOfChannelIdsChangesNothing()
    {
        ControllerState state;
        for (int id = 4; id < ControllerState::ChannelIdCount; ++id)
            state.usedChannels[id] = 1;
        SensorSlot &sensor = state.sensors[3];
        sensor.type = 1;
        sensor.channels = {9};
        sensor.name = QStringLiteral("Корни");
        sensor.calibration = {CalibrationEntry{0, 1.5f}};
        sensor.section = QByteArray::fromHex("0201410305011109000012 14c8000000 03");
        const SensorSlot before = sensor;
        const auto used = state.usedChannels;

        QCOMPARE(rebuildSensor(state, 3, 2, QStringLiteral("Климат")), SensorEdit::OutOfChannels);
        const SensorSlot &after = state.sensors[3];
        QCOMPARE(after.type, before.type);
        QCOMPARE(after.channels, before.channels);
        QCOMPARE(after.name, before.name);
        QCOMPARE(after.section, before.section);
        QCOMPARE(offsets(after), offsets(before));
        QVERIFY(state.usedChannels == used);
        QVERIFY(!state.uploadRequest);
    }

    void typeChangeRefusedWhileConditionsReadTheSensor_data()
    {
        QTest::addColumn<bool>("edited");  // the row is in the edited plan, not the live one
        QTest::addColumn<int>("source");
        QTest::addColumn<bool>("refused");
        QTest::newRow("live plan reads it") << false << 6 << true;
        QTest::newRow("edited plan reads it") << true << 6 << true;
        QTest::newRow("another channel") << false << 7 << false;
    }
    void typeChangeRefusedWhileConditionsReadTheSensor()
    {
        QFETCH(bool, edited);
        QFETCH(int, source);
        QFETCH(bool, refused);
        ControllerState state;
        QCOMPARE(rebuildSensor(state, 0, 1, QStringLiteral("a")), SensorEdit::Built);  // id 4
        QCOMPARE(rebuildSensor(state, 1, 2, QStringLiteral("b")), SensorEdit::Built);  // ids 5, 6
        (edited ? state.editedScenarios : state.scenarios) << scenarioReading(source);
        state.uploadRequest = false;
        const QByteArray section = state.sensors[1].section;

        QCOMPARE(rebuildSensor(state, 1, 1, QStringLiteral("b")),
                 refused ? SensorEdit::InUse : SensorEdit::Built);
        QCOMPARE(state.sensors[1].type, refused ? 2 : 1);
        QCOMPARE(state.uploadRequest, !refused);
        if (refused) {
            QCOMPARE(state.sensors[1].section, section);
            // the same type (a new name, a calibration) is still saved
            QCOMPARE(rebuildSensor(state, 1, 2, QStringLiteral("c")), SensorEdit::Built);
        }
    }
};

QTEST_GUILESS_MAIN(TestSensorEdit)
#include "tst_sensoredit.moc"
