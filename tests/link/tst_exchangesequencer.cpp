#include <QSignalSpy>
#include <QTest>

#include "linkharness.h"
#include "model/statusrecord.h"

// The exchange sequencer with the link and a simulated controller, no window: what it announces
// and what it writes.
class TestExchangeSequencer : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

    static QByteArray richBody()
    {
        QFile f(testDataPath(QStringLiteral("model/rich-image.hex")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QByteArray hex;
        for (const QByteArray &line : f.readAll().split('\n'))
            hex += line.left(line.indexOf('#') < 0 ? line.size() : line.indexOf('#'));
        return QByteArray::fromHex(hex);
    }

private slots:
    void init() { m_dir = std::make_unique<TempWorkDir>(); }
    void cleanup() { m_dir.reset(); }

    void decodeIsAnnouncedOnceThenStatusFlows()
    {
        LinkHarness h;
        QSignalSpy decoded(h.sequencer.get(), &ExchangeSequencer::configurationDecoded);
        QSignalSpy dates(h.sequencer.get(), &ExchangeSequencer::cycleDatesChanged);
        QSignalSpy status(h.sequencer.get(), &ExchangeSequencer::statusReceived);
        const QByteArray body = richBody();
        QVERIFY(!body.isEmpty());
        SimulatedController *c = h.signedInController(body);
        QVERIFY(c);
        QCOMPARE(decoded.count(), 1);
        QCOMPARE(decoded.first().at(1).toBool(), false);
        QCOMPARE(dates.count(), 1);
        QVERIFY(controllerState().scenarios.size() > 1);
        QVERIFY(h.tickUntil([&status] { return status.count() >= 2; }, 50));
        // the controller's plan is read, never written back unasked
        QCOMPARE(c->memory().mid(64, body.size()), body);
        QVERIFY(h.view.workView);
    }
};

QTEST_GUILESS_MAIN(TestExchangeSequencer)
#include "tst_exchangesequencer.moc"
