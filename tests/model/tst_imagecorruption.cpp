#include <QTest>

#include "richstate.h"
#include "testsupport.h"

#include "mockclock.h"
#include "model/clock.h"
#include "model/codec/configimage.h"

// Truncated and corrupted copies of tests/data/model/rich-image.hex must decode what precedes the
// fault and stop there. Layout of that image (body offsets):
//   0 sensor 0 (37 bytes), 37 sensor 2 (26), 63 sensor 3 (30),
//   93 socket 0, 108 socket 1, 133 socket 2, 148 socket 3, 163 work cycle (16),
//   179 scenario 0 header, 213 its lists ... 357 relay output 7,
//   393 scenario 1 header, 410 socket 1 day list, 413 its first condition, 452 night list,
//   494 timer block (12), 506 socket 2 ... 684 day map (21), 705 padding.

namespace {

QByteArray richImage()
{
    return RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
}

QByteArray withByte(int pos, int value)
{
    QByteArray b = richImage();
    b[pos] = char(quint8(value));
    return b;
}

QList<int> dayScenarios(const ControllerState &state)
{
    QList<int> days;
    for (const CycleDay &day : state.days)
        days.append(day.scenarioIndex);
    return days;
}

} // namespace

class TestImageCorruption : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { MockClock::set(QDateTime(QDate(2026, 3, 1), QTime(12, 0))); }
    void cleanupTestCase() { MockClock::clear(); }

    void faults_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("stop");
        QTest::addColumn<int>("usedLength");
        QTest::addColumn<QList<int>>("sensors");
        QTest::addColumn<QList<int>>("sockets");
        QTest::addColumn<int>("scenarios");
        QTest::addColumn<QList<int>>("days");
        QTest::addColumn<int>("ordered");  // entries of the scenario order

        const QList<int> none;
        const QList<int> allSensors{0, 2, 3};
        const QList<int> allSockets{0, 1, 2, 3};
        const QList<int> noDayMap{0, 0, 0, 0};
        const QByteArray rich = richImage();

        QTest::newRow("whole image") << rich << 705 << 768 << allSensors << allSockets << 2 << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("empty") << QByteArray() << 0 << -1 << none << none << 0 << none << 0;

        // sensor sections
        QTest::newRow("cut in a sensor name") << rich.left(10) << 0 << 64 << none << none << 0 << none << 0;
        QTest::newRow("cut in a channel sub-block") << rich.left(20) << 0 << 64 << none << none << 0 << none << 0;
        QTest::newRow("cut in a calibration value") << rich.left(23) << 0 << 64 << none << none << 0 << none << 0;
        QTest::newRow("cut in a trailer") << rich.left(35) << 0 << 64 << none << none << 0 << none << 0;
        QTest::newRow("cut after a sensor") << rich.left(37) << 37 << -1 << QList<int>{0} << none << 0 << none << 0;
        QTest::newRow("name longer than the data") << withByte(1, 0xF0).left(100) << 0 << 64 << none << none << 0 << none << 0;
        QTest::newRow("sensor index 6: kept, not accepted") << withByte(14, 6) << 705 << 768 << QList<int>{2, 3} << allSockets << 2
                << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("sensor type 9: kept, not accepted") << withByte(16, 9) << 705 << 768 << QList<int>{2, 3} << allSockets << 2
                << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("sensor type 0: kept, not accepted") << withByte(16, 0) << 705 << 768 << QList<int>{2, 3} << allSockets << 2
                << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("usable channel id 0: kept, not accepted") << withByte(18, 0) << 705 << 768 << QList<int>{2, 3} << allSockets << 2
                << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("usable channel id 20: kept, not accepted") << withByte(18, 20) << 705 << 768 << QList<int>{2, 3} << allSockets << 2
                << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("trailer tag wrong") << withByte(31, 0x15) << 0 << 64 << none << none << 0 << none << 0;
        QTest::newRow("sensor end wrong") << withByte(36, 0x04) << 0 << 64 << none << none << 0 << none << 0;
        QTest::newRow("channel taken by an earlier input: kept, not accepted") << withByte(53, 5) << 705 << 768 << QList<int>{0, 3}
                << allSockets << 2 << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("one channel twice in a section: kept, not accepted") << withByte(27, 4) << 705 << 768 << QList<int>{2, 3} << allSockets << 2
                << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("second section for input 0: kept, not accepted") << withByte(49, 0) << 705 << 768 << QList<int>{0, 3} << allSockets << 2
                << QList<int>{0, 1, 1, 0} << 1;

        // sockets and the work cycle
        QTest::newRow("socket index 4") << withByte(105, 4) << 93 << 128 << allSensors << none << 0 << none << 0;
        QTest::newRow("socket end wrong: skipped") << withByte(107, 0x09) << 705 << 768 << allSensors << QList<int>{1, 2, 3}
                                                   << 2 << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("cut in a socket") << rich.left(120) << 108 << 128 << allSensors << QList<int>{0} << 0 << none << 0;
        QTest::newRow("work cycle end wrong") << withByte(178, 0) << 163 << 192 << allSensors << allSockets << 0 << none << 0;
        QTest::newRow("cut in the work cycle") << rich.left(170) << 163 << 192 << allSensors << allSockets << 0 << none << 0;

        // scenarios
        QTest::newRow("cut in a scenario name") << rich.left(200) << 179 << 192 << allSensors << allSockets << 0 << noDayMap << 0;
        QTest::newRow("scenario name longer than the data") << withByte(181, 0x7F) << 179 << 192 << allSensors << allSockets
                                                            << 0 << noDayMap << 0;
        QTest::newRow("cut in a condition") << rich.left(420) << 413 << 448 << allSensors << allSockets << 1 << noDayMap << 0;
        QTest::newRow("condition end wrong") << withByte(425, 0x0C) << 413 << 448 << allSensors << allSockets << 1 << noDayMap << 0;
        QTest::newRow("condition source 20: row kept apart") << withByte(414, 20) << 705 << 768 << allSensors << allSockets << 2
                << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("condition source -2: row kept apart") << withByte(414, 0xFE) << 705 << 768 << allSensors << allSockets << 2
                << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("condition on a channel no input offers: row kept apart") << withByte(427, 9) << 705 << 768 << allSensors << allSockets << 2
                << QList<int>{0, 1, 1, 0} << 1;
        QTest::newRow("list index 10") << withByte(411, 10) << 410 << 448 << allSensors << allSockets << 1 << noDayMap << 0;
        QTest::newRow("cut in a list header") << rich.left(412) << 410 << 448 << allSensors << allSockets << 1 << noDayMap << 0;
        QTest::newRow("timer block end wrong") << withByte(505, 0) << 494 << 512 << allSensors << allSockets << 1 << noDayMap << 0;
        QTest::newRow("timer count beyond the data") << withByte(496, 0x40) << 494 << 512 << allSensors << allSockets
                                                     << 1 << noDayMap << 0;
        QTest::newRow("unknown tag") << withByte(410, 0x20) << 410 << 448 << allSensors << allSockets << 1 << noDayMap << 0;

        // day map
        QTest::newRow("day map end wrong: not reported") << withByte(704, 0) << 684 << -1 << allSensors << allSockets << 2
                                                         << noDayMap << 0;
        QTest::newRow("day map run count too high") << withByte(685, 4) << 684 << -1 << allSensors << allSockets << 2
                                                    << noDayMap << 0;
        QTest::newRow("cut in the day map") << rich.left(700) << 684 << -1 << allSensors << allSockets << 2 << noDayMap << 0;
        QTest::newRow("first run names an unknown offset") << withByte(688, 0x99) << 684 << 704 << allSensors << allSockets
                                                           << 2 << noDayMap << 0;
        QTest::newRow("last run names an unknown offset") << withByte(700, 0x99) << 684 << 704 << allSensors << allSockets
                                                          << 2 << QList<int>{0, 1, 1, 0} << 1;
    }

    void faults()
    {
        QFETCH(QByteArray, body);
        ControllerState state;
        state.resetToEmptyForm();
        const DecodeResult result = decodeConfigImage(state, body);
        linkTimerRows(state);
        QTEST(result.stopPosition, "stop");
        QTEST(result.usedLength, "usedLength");
        QTEST(result.acceptedSensors, "sensors");
        QTEST(result.acceptedSockets, "sockets");
        QTEST(int(state.scenarios.size()), "scenarios");
        QTEST(dayScenarios(state), "days");
        QTEST(int(state.scenarioOrder.size()), "ordered");
        // Whatever was accepted is complete.
        for (int index : result.acceptedSensors)
            QVERIFY(!state.sensors[index].section.isEmpty());
        if (result.acceptedSensors.contains(0))
            QCOMPARE(state.sensors[0].name, QStringLiteral("Климат"));
    }

    // Every prefix and every single-byte change of a real image decodes without reading outside
    // the data (run under the sanitizer build), stops inside it and reports a sane length.
    void everyPrefixAndByteChange()
    {
        const QByteArray rich = richImage();
        QList<QByteArray> bodies;
        for (int n = 0; n <= rich.size(); ++n)
            bodies.append(rich.left(n));
        for (int pos = 0; pos < 705; ++pos) {
            for (int value : {0x00, 0x02, 0x03, 0x07, 0x0A, 0x0E, 0x10, 0x11, 0x12, 0x13, 0x14, 0x7F, 0x80, 0xFF}) {
                QByteArray b = rich;
                b[pos] = char(value);
                bodies.append(b);
            }
        }
        for (const QByteArray &body : bodies) {
            ControllerState state;
            state.resetToEmptyForm();
            const DecodeResult result = decodeConfigImage(state, body);
            linkTimerRows(state);
            QVERIFY(result.stopPosition >= 0 && result.stopPosition <= body.size());
            if (result.usedLength >= 0) {
                QVERIFY(result.stopPosition < body.size());
                QCOMPARE(result.usedLength % 64, 0);
                QVERIFY(result.usedLength > result.stopPosition);
            }
            QVERIFY(state.cycleCount <= 80 && state.days.size() == state.cycleCount);
        }
    }
};

QTEST_GUILESS_MAIN(TestImageCorruption)
#include "tst_imagecorruption.moc"
