#include <QTest>

#include "model/codec/configimage.h"
#include "model/codec/sensorsection.h"

// Sections built for each sensor type must be accepted by the decoder as the same sensor.
class TestSensorSection : public QObject
{
    Q_OBJECT
private slots:
    void decodesBack_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<int>>("channels");
        QTest::addColumn<float>("offset");
        QTest::addColumn<int>("trailer");
        QTest::newRow("temperature") << 1 << QList<int>{4} << 0.0f << 200;
        QTest::newRow("temperature calibrated") << 1 << QList<int>{4} << -1.5f << 200;
        QTest::newRow("humidity and temperature") << 2 << QList<int>{5, 6} << 0.0f << 300;
        QTest::newRow("contact") << 3 << QList<int>{7} << 0.0f << 10;
        QTest::newRow("relay") << 4 << QList<int>{8} << 2.0f << 300;
        QTest::newRow("voltage") << 5 << QList<int>{19} << 0.0f << 300;
    }
    void decodesBack()
    {
        QFETCH(int, type);
        QFETCH(QList<int>, channels);
        QFETCH(float, offset);
        QFETCH(int, trailer);
        QList<CalibrationEntry> calibration;
        if (offset != 0.0f)
            calibration << CalibrationEntry{0, offset};
        const QByteArray section = buildSensorSection(2, type, QStringLiteral("Датчик"), channels, calibration);
        QVERIFY(!section.isEmpty());
        QCOMPARE(quint8(section.at(section.size() - 6)), quint8(0x14));
        const int written = quint8(section.at(section.size() - 5)) | quint8(section.at(section.size() - 4)) << 8;
        QCOMPARE(written, trailer);

        ControllerState state;
        state.resetToEmptyForm();
        const DecodeResult result = decodeConfigImage(state, section);
        QCOMPARE(result.acceptedSensors, QList<int>{2});
        QCOMPARE(state.sensors[2].type, type);
        QCOMPARE(state.sensors[2].channels, channels);
        QCOMPARE(state.sensors[2].section, section);
        // a relay never carries a calibration value
        const bool calibrated = offset != 0.0f && type != 4;
        QCOMPARE(!state.sensors[2].calibration.isEmpty() && state.sensors[2].calibration.first().offset != 0.0f,
                 calibrated);
    }

    void refusesWhatCannotBeWritten_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<int>>("channels");
        QTest::newRow("off") << 0 << 0 << QList<int>{4};
        QTest::newRow("unknown type") << 0 << 6 << QList<int>{4};
        QTest::newRow("bad index") << 6 << 1 << QList<int>{4};
        QTest::newRow("missing second channel") << 0 << 2 << QList<int>{4};
    }
    void refusesWhatCannotBeWritten()
    {
        QFETCH(int, index);
        QFETCH(int, type);
        QFETCH(QList<int>, channels);
        QVERIFY(buildSensorSection(index, type, QStringLiteral("x"), channels, {}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSensorSection)
#include "tst_sensorsection.moc"
