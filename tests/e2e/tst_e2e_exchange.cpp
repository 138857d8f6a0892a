#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "app/demoseed.h"
#include "e2efixture.h"
#include "framelog.h"
#include "link/frames.h"
#include "model/plan/basescenario.h"
#include "model/codec/configimage.h"
#include "plans.h"

namespace {
constexpr int OpReadBlocks = 0x04;
constexpr int OpWriteImage = 0x05;
constexpr int OpCommitImage = 0x06;
constexpr int OpSetOutput = 0x09;
constexpr int OpSetRunState = 0x0A;
constexpr int OpSetClock = 0x0C;
constexpr int OpGetStatus = 0x0F;

QByteArray writeImageFrame(int address, const QByteArray &chunk)
{
    QByteArray payload = writeImagePayload(quint16(address), chunk);
    return buildFrame(Opcode::WriteImage, payload);
}

} // namespace

// The exchange sequencer end to end: reading, decoding, uploading with read-back, commands.
class TestE2EExchange : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

private slots:
    void init() { m_dir.reset(new TempWorkDir); }
    void cleanup() { m_dir.reset(); }

    void emptyControllerGetsBaseScenario()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signInTo();
        QVERIFY(c);
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 300));
        QCOMPARE(frames.count(OpReadBlocks), 1); // only the read-back
        QVERIFY(frames.count(OpWriteImage) >= 1);
        QVERIFY(f.reachIdle());
        const ControllerState &state = controllerState();
        QCOMPARE(state.scenarios.size(), 1);
        QCOMPARE(state.scenarios.first().name, QStringLiteral("Базовый сценарий"));
        QCOMPARE(state.cycleCount, 0);
        QVERIFY(c->storedImageLength() > 64);
        QCOMPARE(c->memory().mid(64, exchange().heldBody.size()), exchange().heldBody);
    }

    void imageDecodedOnceTwoReadsAgree()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signInTo(DemoSeed::imageBody());
        QVERIFY(c);
        // after the first read, the controller's image changes: the second read differs
        QVERIFY(f.tickUntil([] { return exchange().exchangeStep == ExchangeStep::ImageRead; }, 100));
        QByteArray changed = DemoSeed::imageBody();
        c->installImage(changed);
        const QByteArray socketName = QStringLiteral("Лампа").toUtf8();
        const QByteArray renamed = QStringLiteral("Лампы").toUtf8();
        QVERIFY(changed.contains(socketName));
        changed.replace(changed.indexOf(socketName), socketName.size(), renamed);
        c->receiveFrame(writeImageFrame(64, changed.left(960)));
        QVERIFY(f.reachIdle());
        QCOMPARE(frames.count(OpReadBlocks), 3);
        QCOMPARE(controllerState().sockets[0].name, QStringLiteral("Лампы"));
        QCOMPARE(controllerState().cycleCount, 30);
        QCOMPARE(frames.count(OpWriteImage), 0);
        // the clock is set after a decode, then the status is polled
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpGetStatus) > 0; }, 10));
        QCOMPARE(frames.count(OpSetClock), 1);
    }

    void uploadReadBackDecides_data()
    {
        QTest::addColumn<bool>("spoilReadBack");
        QTest::newRow("equal: committed") << false;
        QTest::newRow("different: written again") << true;
    }
    void uploadReadBackDecides()
    {
        QFETCH(bool, spoilReadBack);
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        ControllerState &state = controllerState();
        state.sockets[1].name = QStringLiteral("Вытяжка");
        state.uploadRequest = true;
        frames.clear();
        // the whole image goes out; before it is read back the controller's copy may get spoilt
        QVERIFY(f.tickUntil([] { return exchange().exchangeStep == ExchangeStep::Start && exchange().uploadData.isEmpty(); }, 200));
        const QByteArray sent = exchange().heldBody;
        if (spoilReadBack)
            c->receiveFrame(writeImageFrame(64, QByteArray(16, '\x7f')));
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 400));
        QCOMPARE(frames.count(OpWriteImage) > (sent.size() + 64 + 959) / 960, spoilReadBack);
        QCOMPARE(exchange().heldBody, sent); // the same body, not rebuilt
        QVERIFY(f.reachIdle());
        QCOMPARE(c->memory().mid(64, sent.size()), sent);
        QCOMPARE(controllerState().sockets[1].name, QStringLiteral("Вытяжка"));
    }

    void uploadRequestDuringFirstReadIsNotWritten()
    {
        // The state was not read from this controller yet: a request raised now must not carry an
        // empty plan over the controller's 30-day one.
        E2EFixture f;
        FrameLog frames(f.transport.get());
        const QByteArray body = DemoSeed::imageBody();
        SimulatedController *c = f.signInTo(body);
        QVERIFY(c);
        const QByteArray before = c->memory();
        QVERIFY(f.tickUntil([] { return exchange().exchangeStep == ExchangeStep::ReadingImage; }, 20));
        controllerState().uploadRequest = true;
        QVERIFY(f.reachIdle());
        f.tick(30);
        QCOMPARE(controllerState().cycleCount, 30);
        QCOMPARE(frames.count(OpWriteImage), 0);
        QCOMPARE(c->memory(), before);
    }

    void uploadRequestDuringReadBackWaits()
    {
        // The state is this controller's: a change made while its image is read again is uploaded
        // right after the read, without decoding over it.
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        controllerState().sockets[1].name = QStringLiteral("Вытяжка");
        controllerState().uploadRequest = true;
        QVERIFY(f.tickUntil([] { return exchange().exchangeStep == ExchangeStep::ReadingImage; }, 100));
        controllerState().sockets[2].name = QStringLiteral("Насос");
        controllerState().uploadRequest = true;
        frames.clear();
        QVERIFY(f.tickUntil([] { return exchange().exchangeStep == ExchangeStep::Idle; }, 200));
        QCOMPARE(frames.count(OpCommitImage), 0);
        f.tick();
        QVERIFY(frames.count(OpWriteImage) >= 1);
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 400));
        QVERIFY(f.reachIdle());
        QCOMPARE(controllerState().sockets[2].name, QStringLiteral("Насос"));
        QCOMPARE(controllerState().sockets[1].name, QStringLiteral("Вытяжка"));
    }

    void pauseIsRepeatedUntilStopped()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        QVERIFY(c->isRunning());
        // the first run-state command is lost: the next poll sends it again
        exchange().startStopChecked = RunRequest::Paused;
        c->faults().dropReplies = 0;
        frames.clear();
        QVERIFY(f.tickUntil([c] { return !c->isRunning(); }, 100));
        const int sent = frames.count(OpSetRunState);
        QVERIFY(sent >= 1);
        f.tick(30);
        QCOMPARE(frames.count(OpSetRunState), sent);
        QVERIFY(frames.count(OpGetStatus) > 3);
    }

    void socketSwitchGoesOut()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        exchange().switchOnRequest = 3;
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpSetOutput) == 1; }, 40));
        QVERIFY(f.tickUntil([c] { return c->manualLevel(2) == 100; }, 10));
        QCOMPARE(exchange().switchOnRequest, 0);
        // a relay output is switched by the first channel id of its input (the pump: id 8)
        exchange().switchOffRequest = 8;
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpSetOutput) == 2; }, 40));
        f.tick(3);
        QVERIFY(c->manualLevel(8) == 0);
    }

    void droppedStatusReplyReturnsToIdle()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        // past the clock command, in the plain polling rhythm
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpGetStatus) > 0 && exchange().exchangeStep == ExchangeStep::Idle; }, 10));
        c->faults().dropReplies = 1;
        f.tick(); // Idle -> Polling, the reply never comes
        QCOMPARE(exchange().exchangeStep, ExchangeStep::Polling);
        const int polls = frames.count(OpGetStatus);
        f.tick(29);
        QCOMPARE(exchange().exchangeStep, ExchangeStep::Polling);
        QCOMPARE(frames.count(OpGetStatus), polls);
        // the 30th tick gives up on the reply, and the same tick's idle step polls again
        f.tick(1);
        QCOMPARE(frames.count(OpGetStatus), polls + 1);
        QVERIFY(f.tickUntil([] { return exchange().exchangeStep == ExchangeStep::Idle; }, 3));
    }

    void outOfOrderBlockRestartsRead()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.addController(QStringLiteral("REZ-other"), 0x77);
        createSimAccount(c, "grower", "green42");
        c->installImage(DemoSeed::imageBody());
        c->faults().blocksOutOfOrder = 1;
        QVERIFY(f.discover());
        QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        QVERIFY(f.reachIdle());
        QCOMPARE(frames.count(OpReadBlocks), 3);
        QCOMPARE(controllerState().cycleCount, 30);
    }

    void linkLostDuringUploadKeepsThePlan()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        ControllerState &state = controllerState();
        state.sockets[3].name = QStringLiteral("Тепловентилятор");
        state.uploadRequest = true;
        c->faults().disconnectAfterFrames = 2; // the link drops after the second chunk
        QVERIFY(f.tickUntil([&f] { return f.linkState() == LinkState::Discovering; }, 100));
        QVERIFY(!controllerState().workCycleKnown);
        // signing in again: the read image is not taken, the intended plan goes out and is committed
        frames.clear();
        QVERIFY(f.discover());
        QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 400));
        QVERIFY(f.reachIdle());
        QCOMPARE(controllerState().sockets[3].name, QStringLiteral("Тепловентилятор"));
        QCOMPARE(controllerState().cycleCount, 30);
        QCOMPARE(c->memory().mid(64, exchange().heldBody.size()), exchange().heldBody);
        QCOMPARE(c->runningImage().totalLength, c->storedImageLength());
    }

    void largeImageOverSlowLink()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        makeLargeEditedPlan(controllerState(), 24, 48);
        controllerState().uploadRequest = true;
        c->faults().replyDelayMs = 40;
        // real time passes between ticks so that the slow answers arrive
        const bool done = f.tickUntil([&frames] {
            drainEvents(15);
            return frames.count(OpCommitImage) == 1;
        }, 3000);
        QVERIFY(done);
        QVERIFY(exchange().heldBody.size() >= 20 * 1024);
        const int chunks = int((exchange().heldBody.size() + 64 + 959) / 960);
        QCOMPARE(frames.count(OpWriteImage), chunks); // one pass, no retry
        QVERIFY(f.reachIdle(3000));
        QCOMPARE(controllerState().scenarios.size(), 25);
    }
};

QTEST_MAIN(TestE2EExchange)
#include "tst_e2e_exchange.moc"
