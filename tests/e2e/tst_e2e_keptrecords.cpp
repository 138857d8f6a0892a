#include <QTest>

#include "richstate.h"
#include "e2efixture.h"
#include "framelog.h"
#include "model/codec/configimage.h"

namespace {
constexpr int OpCommitImage = 0x06;

QByteArray richImage()
{
    return RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
}

QByteArray withByte(QByteArray body, int pos, int value)
{
    body[pos] = char(quint8(value));
    return body;
}

// The kept records of a decoded image: sections, then each list's rows with their positions.
QList<QByteArray> keptRecords(const QByteArray &body)
{
    ControllerState state;
    state.resetToEmptyForm();
    decodeConfigImage(state, body);
    QList<QByteArray> records;
    for (const KeptSensorSection &section : std::as_const(state.keptSensorSections))
        records << section.section;
    for (const Scenario &scenario : std::as_const(state.scenarios)) {
        for (auto it = scenario.sockets.cbegin(); it != scenario.sockets.cend(); ++it) {
            for (const QList<KeptRow> *rows : {&it->keptDayRows, &it->keptNightRows}) {
                for (const KeptRow &row : *rows)
                    records << QByteArray::number(it.key()) + ':' + QByteArray::number(row.position) + ':' + row.record.toHex();
            }
        }
    }
    return records;
}

} // namespace

// A controller whose plan holds records the program cannot show (a sensor of a type from newer
// firmware, rows on channels no input offers) still holds them after an unrelated change is saved.
class TestE2EKeptRecords : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

private slots:
    void init() { m_dir.reset(new TempWorkDir); }
    void cleanup() { m_dir.reset(); }

    void socketRenameKeepsThem_data()
    {
        QTest::addColumn<QByteArray>("body");
        const QByteArray rich = richImage();
        QTest::newRow("unknown sensor type") << withByte(rich, 51, 9);
        QTest::newRow("row on a channel no input offers") << withByte(rich, 427, 9);
        QTest::newRow("unknown sensor and its rows") << withByte(rich, 16, 9);
    }
    void socketRenameKeepsThem()
    {
        QFETCH(QByteArray, body);
        const QList<QByteArray> kept = keptRecords(body);
        QVERIFY(!kept.isEmpty());

        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(body);
        QVERIFY(c);
        // a name of the same length: the controller must end with the image it had but for it
        const QByteArray oldName = QStringLiteral("Лампа").toUtf8();
        const QByteArray newName = QStringLiteral("Лампы").toUtf8();
        QByteArray expected = body;
        expected.replace(body.indexOf(oldName), oldName.size(), newName);
        controllerState().sockets[0].name = QString::fromUtf8(newName);
        controllerState().uploadRequest = true;
        frames.clear();
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 600));
        QVERIFY(f.reachIdle());

        QCOMPARE(c->storedImageLength(), ImageHeaderSize + int(body.size()));
        const QByteArray held = c->memory().mid(ImageHeaderSize, body.size());
        QCOMPARE(keptRecords(held), kept);
        QCOMPARE(held, expected);
        // and the program's picture still carries them for the next change
        QCOMPARE(controllerState().sockets[0].name, QStringLiteral("Лампы"));
        QCOMPARE(int(controllerState().keptSensorSections.size()), int(body.at(51) == 9 || body.at(16) == 9));
    }
};

QTEST_MAIN(TestE2EKeptRecords)
#include "tst_e2e_keptrecords.moc"
