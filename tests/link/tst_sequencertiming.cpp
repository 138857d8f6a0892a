#include <QSignalSpy>
#include <QTest>

#include "../model/richstate.h"
#include "framelog.h"
#include "linkharness.h"
#include "link/frames.h"
#include "plans.h"

namespace {

QByteArray richBody()
{
    return RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
}

// The rich plan with other day and night hours (its 4 cycles start 02.03.2026 08:00).
QByteArray richBodyWithHours(int dayHours, int nightHours)
{
    QByteArray body = richBody();
    const qsizetype at = body.indexOf(QByteArray::fromHex("0c100008008043a569"));
    if (at < 0)
        return QByteArray();
    body[at + 1] = char(dayHours);
    body[at + 3] = char(nightHours);
    return body;
}

QByteArray writeImageFrame(int address, const QByteArray &chunk)
{
    return buildFrame(Opcode::WriteImage, writeImagePayload(quint16(address), chunk));
}

bool hasReply(int opcode)
{
    return opcode == int(Opcode::ReadBlocks) || opcode == int(Opcode::WriteImage) || opcode == int(Opcode::GetStatus);
}

// The uploads among the frames, header and body each: a chunk at address 0 starts a new one.
QList<QByteArray> uploadsIn(const QList<QByteArray> &frames)
{
    QList<QByteArray> uploads;
    for (const QByteArray &frame : frames) {
        if (quint8(frame.at(1)) != quint8(Opcode::WriteImage))
            continue;
        if (replyU16(frame, 2) == 0)
            uploads << QByteArray();
        if (!uploads.isEmpty())
            uploads.last() += frame.mid(6, replyU16(frame, 4));
    }
    return uploads;
}

// The controller falls silent on the next frame of one kind (at one address, when given): the
// reply never comes, or comes late (with the next frame written); a command without reply is
// never confirmed.
class Silence
{
public:
    Silence(SimTransport *transport, Opcode opcode, int address, bool late)
    {
        m_connection = QObject::connect(transport, &SimTransport::frameWritten, transport,
                                        [this, opcode, address, late](SimulatedController *c, const QByteArray &frame) {
            if (m_fell || quint8(frame.at(1)) != quint8(opcode) || (address >= 0 && replyU16(frame, 2) != address))
                return;
            m_fell = true;
            SimFaults &faults = c->faults();
            if (!hasReply(int(opcode)))
                ++faults.dropConfirmations;
            else if (late)
                ++faults.lateReplies;
            else
                ++faults.dropReplies;
        });
    }
    ~Silence() { QObject::disconnect(m_connection); }
    Silence(const Silence &) = delete;
    Silence &operator=(const Silence &) = delete;

    bool fell() const { return m_fell; }

private:
    QMetaObject::Connection m_connection;
    bool m_fell = false;
};

// What falls silent.
namespace Stalled {
enum Kind : int {
    UploadChunk,
    ImageRead,
    RunState,
    StatusPoll,
    OutputSwitch,
    Clock,
    LogRead,
};
}

} // namespace

// The exchange sequencer's timing with the link and a simulated controller, no window: when each
// step gives up, what a late reply does, the order of pending requests, the day bar and dates,
// and what goes again after a read-back that differs.
class TestSequencerTiming : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

    // Signed in with the rich plan, its clock sent: the plain polling rhythm, idle.
    static SimulatedController *settled(LinkHarness &h, FrameLog &frames)
    {
        SimulatedController *c = h.signedInController(richBody());
        if (!c || !h.tickUntil([&frames] {
                return frames.count(int(Opcode::SetClock)) == 1 && exchange().exchangeStep == ExchangeStep::Idle;
            }, 10))
            return nullptr;
        frames.clear();
        return c;
    }

    // Raises what makes the stalled command go out on the next ticks; returns the command.
    static Opcode raiseFor(int kind)
    {
        ControllerState &state = controllerState();
        ExchangeState &ex = exchange();
        switch (kind) {
        case Stalled::UploadChunk:
            makeLargeEditedPlan(state, 2, 4); // several chunks
            state.uploadRequest = true;
            return Opcode::WriteImage;
        case Stalled::ImageRead:
            state.sockets[1].name = QStringLiteral("Вытяжка");
            state.uploadRequest = true; // its read-back stalls
            return Opcode::ReadBlocks;
        case Stalled::RunState:
            ex.startStopChecked = 0;
            return Opcode::SetRunState;
        case Stalled::StatusPoll:
            return Opcode::GetStatus;
        case Stalled::OutputSwitch:
            ex.switchOnRequest = 2;
            return Opcode::SetOutput;
        case Stalled::Clock:
            ex.setClockRequest = 2;
            return Opcode::SetClock;
        case Stalled::LogRead:
        default:
            ex.logReadRequest = true;
            return Opcode::ReadBlocks;
        }
    }

private slots:
    void init() { m_dir = std::make_unique<TempWorkDir>(); }
    void cleanup() { m_dir.reset(); }

    void stalledStepGivesUp_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("address");     // of the silenced frame; -1 any
        QTest::addColumn<int>("waitingStep");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("nextOpcode");  // first frame once the step gives up
        QTest::addColumn<int>("nextAddress"); // its address field; -1 not checked

        const int status = int(Opcode::GetStatus);
        QTest::newRow("upload chunk: all again") << int(Stalled::UploadChunk) << Frame::MaxChunk
                                                 << int(ExchangeStep::Uploading) << 70 << int(Opcode::WriteImage) << 0;
        QTest::newRow("image read: from the start") << int(Stalled::ImageRead) << Frame::ImageBodyStart
                                                    << int(ExchangeStep::ReadingImage) << 200
                                                    << int(Opcode::ReadBlocks) << Frame::ImageBodyStart;
        QTest::newRow("run state") << int(Stalled::RunState) << -1 << int(ExchangeStep::CommandSent) << 20 << status << -1;
        QTest::newRow("status poll") << int(Stalled::StatusPoll) << -1 << int(ExchangeStep::Polling) << 30 << status << -1;
        QTest::newRow("output switch") << int(Stalled::OutputSwitch) << -1 << int(ExchangeStep::CommandSent) << 30 << status << -1;
        QTest::newRow("clock") << int(Stalled::Clock) << -1 << int(ExchangeStep::CommandSent) << 30 << status << -1;
        QTest::newRow("log read") << int(Stalled::LogRead) << -1 << int(ExchangeStep::ReadingLog) << 200 << status << -1;
    }

    // Silence holds the step for exactly its timeout; then the step gives up and the exchange
    // goes on.
    void stalledStepGivesUp()
    {
        QFETCH(int, kind);
        QFETCH(int, address);
        QFETCH(int, waitingStep);
        QFETCH(int, ticks);
        QFETCH(int, nextOpcode);
        QFETCH(int, nextAddress);

        LinkHarness h;
        FrameLog frames(&h.transport);
        SimulatedController *c = settled(h, frames);
        QVERIFY(c);
        QSignalSpy status(h.sequencer.get(), &ExchangeSequencer::statusReceived);
        QSignalSpy logGivenUp(h.sequencer.get(), &ExchangeSequencer::logReadTimedOut);

        Silence silence(&h.transport, raiseFor(kind), address, false);
        QVERIFY(h.tickUntil([&silence] { return silence.fell(); }, 20));
        const QList<QByteArray> before = uploadsIn(frames.frames);
        frames.clear();
        h.tick(ticks - 1);
        QCOMPARE(exchange().exchangeStep, waitingStep);
        QVERIFY(frames.written.isEmpty());
        QCOMPARE(logGivenUp.count(), 0);

        h.tick();
        QVERIFY(!frames.frames.isEmpty());
        QCOMPARE(frames.written.first(), nextOpcode);
        if (nextAddress >= 0)
            QCOMPARE(int(replyU16(frames.frames.first(), 2)), nextAddress);
        QCOMPARE(logGivenUp.count(), kind == Stalled::LogRead ? 1 : 0);

        // and the exchange recovers: the upload is committed as a whole, polling goes on
        const int polled = int(status.count());
        QVERIFY(h.tickUntil([&] { return status.count() > polled; }, 600));
        const QList<QByteArray> after = uploadsIn(frames.frames);
        if (kind == Stalled::UploadChunk) {
            // one more upload, whole, from the first byte of the header
            QCOMPARE(after.size(), 1);
            QCOMPARE(after.first().size(), int(ImageHeaderSize + exchange().heldBody.size()));
            QVERIFY(after.first().startsWith(before.first()));
            QCOMPARE(c->storedImage(), after.first());
        }
        if (kind == Stalled::ImageRead) {
            QVERIFY(after.isEmpty());
            QCOMPARE(c->storedImage(), before.first());
        }
        if (kind == Stalled::UploadChunk || kind == Stalled::ImageRead)
            QCOMPARE(frames.count(int(Opcode::CommitImage)), 1);
        if (kind == Stalled::RunState)
            QVERIFY(!c->isRunning());
    }

    void lateReplyIsIgnored_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("retryStep"); // where the retried exchange waits for its own reply

        QTest::newRow("upload acknowledgement") << int(Stalled::UploadChunk) << Frame::MaxChunk << 70
                                                << int(ExchangeStep::Uploading);
        QTest::newRow("image block") << int(Stalled::ImageRead) << Frame::ImageBodyStart << 200
                                     << int(ExchangeStep::ReadingImage);
        QTest::newRow("status") << int(Stalled::StatusPoll) << -1 << 30 << int(ExchangeStep::Polling);
        QTest::newRow("log block") << int(Stalled::LogRead) << -1 << 200 << int(ExchangeStep::Polling);
    }

    // A reply that comes after its step gave up, while the retried exchange still waits for its
    // own, moves nothing: no data taken, no step skipped, nothing decoded twice.
    void lateReplyIsIgnored()
    {
        QFETCH(int, kind);
        QFETCH(int, address);
        QFETCH(int, ticks);
        QFETCH(int, retryStep);

        LinkHarness h;
        FrameLog frames(&h.transport);
        SimulatedController *c = settled(h, frames);
        QVERIFY(c);
        QSignalSpy decoded(h.sequencer.get(), &ExchangeSequencer::configurationDecoded);
        QSignalSpy status(h.sequencer.get(), &ExchangeSequencer::statusReceived);
        QSignalSpy logTaken(h.sequencer.get(), &ExchangeSequencer::logTaken);

        Silence silence(&h.transport, raiseFor(kind), address, true);
        QVERIFY(h.tickUntil([&silence] { return silence.fell(); }, 20));
        h.tick(ticks - 1);
        c->faults().dropReplies = 1; // the retry's own reply is lost: only the late one comes
        frames.clear();
        const int polled = int(status.count());
        const QByteArray image = exchange().imageBuffer;
        h.tick(); // gives up and retries; the late reply arrives with the retry
        QCOMPARE(c->faults().lateReplies, 0);
        QCOMPARE(c->faults().dropReplies, 0);
        QCOMPARE(frames.written.size(), 1);
        QCOMPARE(exchange().exchangeStep, retryStep);
        // a new image read starts empty; nothing else touches the image
        QCOMPARE(exchange().imageBuffer, kind == Stalled::ImageRead ? QByteArray() : image);
        QVERIFY(exchange().logBuffer.isEmpty());
        QCOMPARE(int(status.count()), polled);
        QCOMPARE(decoded.count(), 0);

        // the retry gives up in turn, the next one goes through; every result counts once
        QVERIFY(h.tickUntil([&] { return status.count() > polled; }, 800));
        QCOMPARE(decoded.count(), kind == Stalled::UploadChunk || kind == Stalled::ImageRead ? 1 : 0);
        QCOMPARE(frames.count(int(Opcode::CommitImage)), decoded.count());
        QCOMPARE(logTaken.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSequencerTiming)
#include "tst_sequencertiming.moc"
