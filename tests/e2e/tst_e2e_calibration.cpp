#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QtEndian>
#include <cstring>

#include "app/demoseed.h"
#include "devices/sensorsettings.h"
#include "e2efixture.h"
#include "framelog.h"
#include "sim/simsensorvalues.h"

namespace {
constexpr int OpCommitImage = 0x06;
constexpr int RootsInput = 1;     // the demo's root-zone thermometer
constexpr int RootsChannel = 6;

float statusFloat(const QByteArray &status, int channel)
{
    const quint32 bits = qFromLittleEndian<quint32>(status.constData() + 16 + 4 * channel);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
} // namespace

// A probe calibrated in the settings dialog: written with read-back and commit, kept in the
// controller's image, and applied to what the controller reports.
class TestE2ECalibration : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

private slots:
    void init() { m_dir.reset(new TempWorkDir); }
    void cleanup() { m_dir.reset(); }

    void calibrationReachesTheController()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        SensorSlot &roots = controllerState().sensors[RootsInput];
        QVERIFY(f.tickUntil([&roots] { return !roots.valueTexts.isEmpty(); }, 100));
        QVERIFY(roots.calibration.isEmpty() || roots.calibration.first().offset == 0.0f);

        // the dialog as the tile opens it; the grower's reference reads 1.5 more
        SensorSettings dialog;
        const SensorTypeInfo row = sensorTypeInfo(roots.type);
        dialog.setEditedSensor(RootsInput);
        dialog.setSensorName(roots.name);
        dialog.setTypeList(selectableTypes(RootsInput));
        dialog.showTypeRow(row);
        dialog.setOpenedTypeName(row.name);
        dialog.refreshValues();
        const float instant = dialog.curValEdits.at(0)->text().toFloat();
        dialog.updateValEdits.at(0)->setText(QString::number(instant + 1.5f, 'f', 4));
        dialog.saveButton->click();
        QCOMPARE(roots.calibration.size(), 1);
        QVERIFY(qAbs(roots.calibration.first().offset - 1.5f) < 0.001f);
        QVERIFY(controllerState().uploadRequest);

        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 600));
        QVERIFY(f.reachIdle());

        // the controller's image holds the offset ...
        const SimSensor *sensor = c->runningImage().sensorOnInput(RootsInput);
        QVERIFY(sensor);
        QCOMPARE(sensor->channels, QList<int>{RootsChannel});
        QCOMPARE(sensor->offsets.size(), 1);
        QCOMPARE(sensor->offsets.first(), roots.calibration.first().offset);
        // ... and the program's picture, decoded again from it, too
        QCOMPARE(controllerState().sensors[RootsInput].calibration.first().offset, sensor->offsets.first());

        // its status reports the corrected value, and the program shows what it reports
        const float raw = SimSensorValues::reading(1, RootsInput, 0, c->clockSeconds());
        QCOMPARE(statusFloat(c->statusValue(), RootsChannel), raw + sensor->offsets.first());
        QVERIFY(f.tickUntil([] { return exchange().statusBytes.size() >= 16 + 4 * (RootsChannel + 1); }, 100));
        const QString before = roots.valueTexts.value(0);
        QVERIFY(f.tickUntil([&roots, &before] { return roots.valueTexts.value(0) != before; }, 1200));
        QVERIFY(qAbs(roots.valueTexts.value(0).toFloat() - statusFloat(exchange().statusBytes, RootsChannel)) < 0.001f);
    }
};

QTEST_MAIN(TestE2ECalibration)
#include "tst_e2e_calibration.moc"
