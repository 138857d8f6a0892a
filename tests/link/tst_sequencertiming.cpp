#include <QSignalSpy>
#include <QTest>

#include "richstate.h"
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

// Day states as numbers, the form of the tables.
QList<int> numbers(const QList<DayState> &states)
{
    QList<int> out;
    for (DayState s : states)
        out << int(s);
    return out;
}

// Where a command just written waits for its reply.
ExchangeStep waitingStepAfter(Opcode opcode)
{
    switch (opcode) {
    case Opcode::WriteImage:
        return ExchangeStep::Uploading;
    case Opcode::ReadBlocks:
        return ExchangeStep::ReadingImage;
    case Opcode::GetStatus:
        return ExchangeStep::Polling;
    default:
        return ExchangeStep::CommandSent;
    }
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
            ex.startStopChecked = RunRequest::Paused;
            return Opcode::SetRunState;
        case Stalled::StatusPoll:
            return Opcode::GetStatus;
        case Stalled::OutputSwitch:
            ex.switchOnRequest = 2;
            return Opcode::SetOutput;
        case Stalled::Clock:
            ex.setClockRequest = ClockRequest::AfterDecode;
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
        QTest::addColumn<ExchangeStep>("waitingStep");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("nextOpcode");  // first frame once the step gives up
        QTest::addColumn<int>("nextAddress"); // its address field; -1 not checked
        QTest::addColumn<bool>("late");       // the reply comes after all, with the retry

        const int status = int(Opcode::GetStatus);
        const ExchangeStep upload = ExchangeStep::Uploading;
        const ExchangeStep reading = ExchangeStep::ReadingImage;
        const ExchangeStep command = ExchangeStep::CommandSent;
        const ExchangeStep polling = ExchangeStep::Polling;
        const ExchangeStep log = ExchangeStep::ReadingLog;
        const int chunk = Frame::MaxChunk;
        const int body = Frame::ImageBodyStart;
        QTest::newRow("upload chunk: all again") << int(Stalled::UploadChunk) << chunk << upload << 70
                                                 << int(Opcode::WriteImage) << 0 << false;
        QTest::newRow("image read: from the start") << int(Stalled::ImageRead) << body << reading << 200
                                                    << int(Opcode::ReadBlocks) << body << false;
        QTest::newRow("run state") << int(Stalled::RunState) << -1 << command << 20 << status << -1 << false;
        QTest::newRow("status poll") << int(Stalled::StatusPoll) << -1 << polling << 30 << status << -1 << false;
        QTest::newRow("output switch") << int(Stalled::OutputSwitch) << -1 << command << 30 << status << -1 << false;
        QTest::newRow("clock") << int(Stalled::Clock) << -1 << command << 30 << status << -1 << false;
        QTest::newRow("log read") << int(Stalled::LogRead) << -1 << log << 200 << status << -1 << false;
        QTest::newRow("late upload acknowledgement") << int(Stalled::UploadChunk) << chunk << upload << 70
                                                     << int(Opcode::WriteImage) << 0 << true;
        QTest::newRow("late image block") << int(Stalled::ImageRead) << body << reading << 200
                                          << int(Opcode::ReadBlocks) << body << true;
        QTest::newRow("late status") << int(Stalled::StatusPoll) << -1 << polling << 30 << status << -1 << true;
        QTest::newRow("late log block") << int(Stalled::LogRead) << -1 << log << 200 << status << -1 << true;
    }

    // Silence holds a step for exactly its timeout; then the step gives up and the exchange goes
    // on. A reply that comes after its step gave up moves nothing: no data taken, no step
    // skipped, nothing decoded twice.
    void stalledStepGivesUp()
    {
        QFETCH(int, kind);
        QFETCH(int, address);
        QFETCH(ExchangeStep, waitingStep);
        QFETCH(int, ticks);
        QFETCH(int, nextOpcode);
        QFETCH(int, nextAddress);
        QFETCH(bool, late);

        LinkHarness h;
        FrameLog frames(&h.transport);
        SimulatedController *c = settled(h, frames);
        QVERIFY(c);
        QSignalSpy decoded(h.sequencer.get(), &ExchangeSequencer::configurationDecoded);
        QSignalSpy status(h.sequencer.get(), &ExchangeSequencer::statusReceived);
        QSignalSpy logTaken(h.sequencer.get(), &ExchangeSequencer::logTaken);
        QSignalSpy logGivenUp(h.sequencer.get(), &ExchangeSequencer::logReadTimedOut);

        Silence silence(&h.transport, raiseFor(kind), address, late);
        QVERIFY(h.tickUntil([&silence] { return silence.fell(); }, 20));
        const QList<QByteArray> before = uploadsIn(frames.frames);
        frames.clear();
        h.tick(ticks - 1);
        QCOMPARE(exchange().exchangeStep, waitingStep);
        QVERIFY(frames.written.isEmpty());
        QCOMPARE(logGivenUp.count(), 0);

        if (late)
            c->faults().dropReplies = 1; // the retry's own reply is lost: only the late one comes
        const int polled = int(status.count());
        const QByteArray image = exchange().imageBuffer;
        h.tick();
        QVERIFY(!frames.frames.isEmpty());
        QCOMPARE(frames.written.first(), nextOpcode);
        if (nextAddress >= 0)
            QCOMPARE(int(replyU16(frames.frames.first(), 2)), nextAddress);
        QCOMPARE(logGivenUp.count(), kind == Stalled::LogRead ? 1 : 0);
        if (late) {
            QCOMPARE(c->faults().lateReplies, 0); // it came
            QCOMPARE(frames.written.size(), 1);
            QCOMPARE(exchange().exchangeStep, waitingStepAfter(Opcode(nextOpcode)));
            // a new image read starts empty; nothing else touches the image
            QCOMPARE(exchange().imageBuffer, kind == Stalled::ImageRead ? QByteArray() : image);
            QVERIFY(exchange().logBuffer.isEmpty());
            QCOMPARE(int(status.count()), polled);
            QCOMPARE(decoded.count(), 0);
        }

        // the exchange recovers: an upload is committed as a whole, polling goes on
        QVERIFY(h.tickUntil([&] { return status.count() > polled; }, 800));
        const bool uploading = kind == Stalled::UploadChunk || kind == Stalled::ImageRead;
        QCOMPARE(decoded.count(), uploading ? 1 : 0);
        QCOMPARE(frames.count(int(Opcode::CommitImage)), decoded.count());
        QCOMPARE(logTaken.count(), 0);
        const QList<QByteArray> after = uploadsIn(frames.frames);
        if (kind == Stalled::UploadChunk) {
            QVERIFY(!after.isEmpty());
            QCOMPARE(after.last().size(), int(ImageHeaderSize + exchange().heldBody.size()));
            QVERIFY(after.last().startsWith(before.first()));
            QCOMPARE(c->storedImage(), after.last());
        }
        if (kind == Stalled::ImageRead) {
            QVERIFY(after.isEmpty());
            QCOMPARE(c->storedImage(), before.first());
        }
        if (kind == Stalled::RunState)
            QVERIFY(!c->isRunning());
    }

    void idleTakesRequestsInPriority_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<int>("switchOn");  // output numbers, 0 none
        QTest::addColumn<int>("switchOff");
        QTest::addColumn<bool>("clock");
        QTest::addColumn<bool>("log");
        QTest::addColumn<int>("first");

        const int upload = int(Opcode::WriteImage);
        const int output = int(Opcode::SetOutput);
        QTest::newRow("all: upload") << true << 2 << 3 << true << true << upload;
        QTest::newRow("upload and log: upload") << true << 0 << 0 << false << true << upload;
        QTest::newRow("switching, clock, log: switching") << false << 2 << 0 << true << true << output;
        QTest::newRow("switching off and log: switching") << false << 0 << 3 << false << true << output;
        QTest::newRow("on and off: on first") << false << 2 << 3 << false << false << output;
        QTest::newRow("clock and log: clock") << false << 0 << 0 << true << true << int(Opcode::SetClock);
        QTest::newRow("log: log read") << false << 0 << 0 << false << true << int(Opcode::ReadBlocks);
        QTest::newRow("nothing: status poll") << false << 0 << 0 << false << false << int(Opcode::GetStatus);
    }

    // One idle step writes one command, for the most urgent request; the others stay raised and
    // go on the next idle steps.
    void idleTakesRequestsInPriority()
    {
        QFETCH(bool, upload);
        QFETCH(int, switchOn);
        QFETCH(int, switchOff);
        QFETCH(bool, clock);
        QFETCH(bool, log);
        QFETCH(int, first);

        LinkHarness h;
        FrameLog frames(&h.transport);
        QVERIFY(settled(h, frames));
        ControllerState &state = controllerState();
        ExchangeState &ex = exchange();
        if (upload) {
            state.sockets[1].name = QStringLiteral("Вытяжка");
            state.uploadRequest = true;
        }
        ex.switchOnRequest = switchOn;
        ex.switchOffRequest = switchOff;
        ex.setClockRequest = clock ? ClockRequest::AfterDecode : ClockRequest::None;
        ex.logReadRequest = log;

        h.tick();
        QVERIFY(!frames.written.isEmpty());
        QCOMPARE(frames.written.first(), first);
        const bool switched = first == int(Opcode::SetOutput);
        if (switched) {
            // the on request goes before the off request
            const QByteArray expected = setOutputPayload(switchOn != 0 ? switchOn : switchOff, switchOn != 0);
            QCOMPARE(frames.frames.first().mid(2, expected.size()), expected);
        }
        QCOMPARE(state.uploadRequest, false);
        QCOMPARE(ex.switchOnRequest, switched ? 0 : switchOn);
        QCOMPARE(ex.switchOffRequest, switched && switchOn == 0 ? 0 : switchOff);
        QCOMPARE(ex.setClockRequest != ClockRequest::None, clock && first != int(Opcode::SetClock));
        QCOMPARE(ex.logReadRequest, log && first != int(Opcode::ReadBlocks));

        // none is lost: each goes out in its turn
        QVERIFY(h.tickUntil([&ex] {
            return ex.exchangeStep == ExchangeStep::Idle && !controllerState().uploadRequest && ex.switchOnRequest == 0
                   && ex.switchOffRequest == 0 && ex.setClockRequest == ClockRequest::None && !ex.logReadRequest;
        }, 400));
        QCOMPARE(frames.count(int(Opcode::SetOutput)), (switchOn != 0) + (switchOff != 0));
        QCOMPARE(frames.count(int(Opcode::CommitImage)), upload ? 1 : 0);
    }

    void dayBarFollowsStatus_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("laterHours"); // the clock moves on, then two more polls
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<int>("remaining");
        QTest::addColumn<int>("announced"); // day bars announced, the decode's included

        // the plan: 4 cycles of 24 hours from 02.03.2026 08:00
        const QList<int> none{2, 2, 2, 2};
        QTest::newRow("before the start") << QDateTime(QDate(2026, 3, 1), QTime(12, 0)) << 0 << none << 4 << 1;
        QTest::newRow("first day") << QDateTime(QDate(2026, 3, 2), QTime(12, 0)) << 0 << none << 4 << 1;
        QTest::newRow("second day") << QDateTime(QDate(2026, 3, 3), QTime(12, 0)) << 0 << QList<int>{0, 2, 2, 2} << 3 << 2;
        QTest::newRow("last day") << QDateTime(QDate(2026, 3, 5), QTime(9, 0)) << 0 << QList<int>{0, 0, 0, 2} << 1 << 2;
        QTest::newRow("over") << QDateTime(QDate(2026, 3, 10), QTime(12, 0)) << 0 << QList<int>{0, 0, 0, 0} << 0 << 2;
        QTest::newRow("second day, a day later") << QDateTime(QDate(2026, 3, 3), QTime(12, 0)) << 24
                                                 << QList<int>{0, 0, 2, 2} << 2 << 3;
        QTest::newRow("first day, into the third") << QDateTime(QDate(2026, 3, 2), QTime(20, 0)) << 40
                                                   << QList<int>{0, 0, 2, 2} << 2 << 2;
    }

    // The decode shows every cycle day waiting; status replies mark the days before the current
    // one as begun, once per change.
    void dayBarFollowsStatus()
    {
        QFETCH(QDateTime, now);
        QFETCH(int, laterHours);
        QFETCH(QList<int>, states);
        QFETCH(int, remaining);
        QFETCH(int, announced);

        LinkHarness h(now);
        QSignalSpy bar(h.sequencer.get(), &ExchangeSequencer::dayBarChanged);
        QSignalSpy status(h.sequencer.get(), &ExchangeSequencer::statusReceived);
        QVERIFY(h.signedInController(richBody()));
        QCOMPARE(bar.count(), 1);
        QCOMPARE(numbers(bar.first().at(0).value<QList<DayState>>()), QList<int>({2, 2, 2, 2}));
        QCOMPARE(bar.first().at(1).toInt(), 4);

        QVERIFY(h.tickUntil([&status] { return status.count() >= 2; }, 50));
        if (laterHours > 0) {
            MockClock::advance(qint64(laterHours) * 3600 * 1000);
            QVERIFY(h.tickUntil([&status] { return status.count() >= 4; }, 50));
        }
        QCOMPARE(bar.count(), announced);
        QCOMPARE(numbers(bar.last().at(0).value<QList<DayState>>()), states);
        QCOMPARE(bar.last().at(1).toInt(), remaining);
        QCOMPARE(numbers(exchange().cycleDayStates), states);
    }

    void cycleDatesAfterDecode_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");

        QTest::newRow("4 cycles of 24 h") << richBody() << QStringLiteral("02.03.2026") << QStringLiteral("06.03.2026");
        QTest::newRow("4 cycles of 18 h") << richBodyWithHours(12, 6) << QStringLiteral("02.03.2026")
                                          << QStringLiteral("05.03.2026");
        QTest::newRow("4 cycles of 36 h") << richBodyWithHours(24, 12) << QStringLiteral("02.03.2026")
                                          << QStringLiteral("08.03.2026");
        QTest::newRow("nothing readable") << QByteArray(256, char(0x55)) << QString() << QString();
    }

    // The dates the panel shows: the start of the work and the day its last cycle ends.
    void cycleDatesAfterDecode()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QVERIFY(!body.isEmpty());

        LinkHarness h;
        QSignalSpy dates(h.sequencer.get(), &ExchangeSequencer::cycleDatesChanged);
        QVERIFY(h.signedInController(body));
        QCOMPARE(dates.count(), 1);
        QCOMPARE(dates.first().at(0).toString(), start);
        QCOMPARE(dates.first().at(1).toString(), end);
    }

    void differingReadBack_data()
    {
        QTest::addColumn<int>("change"); // made during the upload
        QTest::addColumn<bool>("rebuilt");

        QTest::newRow("nothing changed: the same body") << 0 << false;
        QTest::newRow("edit not saved: the same body") << 1 << false;
        QTest::newRow("change saved: built anew") << 2 << true;
    }

    // A read-back that differs from what was written: the held body goes again, unless the user
    // saved a change meanwhile; then the body is built from the state so the change goes too.
    void differingReadBack()
    {
        QFETCH(int, change);
        QFETCH(bool, rebuilt);

        LinkHarness h;
        FrameLog frames(&h.transport);
        SimulatedController *c = settled(h, frames);
        QVERIFY(c);
        ControllerState &state = controllerState();
        state.sockets[1].name = QStringLiteral("Вытяжка");
        makeLargeEditedPlan(state, 2, 4); // several chunks: the user acts between two of them
        state.uploadRequest = true;
        bool changed = false;
        const QMetaObject::Connection hook = connect(&h.transport, &SimTransport::frameWritten, this,
                                                     [&](SimulatedController *, const QByteArray &frame) {
            if (changed || quint8(frame.at(1)) != quint8(Opcode::WriteImage) || replyU16(frame, 2) == 0)
                return;
            changed = true;
            if (change == 1) {
                state.editedDayHours = 12;
            } else if (change == 2) {
                state.sockets[2].name = QStringLiteral("Полив");
                state.uploadRequest = true;
            }
        });
        // the upload is written; the controller's copy gets spoilt before it is read back
        QVERIFY(h.tickUntil([] { return exchange().exchangeStep == ExchangeStep::Start && exchange().uploadData.isEmpty(); }, 50));
        disconnect(hook);
        QVERIFY(changed);
        c->receiveFrame(writeImageFrame(ImageHeaderSize, QByteArray(16, char(0x7F))));

        QVERIFY(h.tickUntil([&frames] { return frames.count(int(Opcode::CommitImage)) == 1; }, 200));
        const QList<QByteArray> uploads = uploadsIn(frames.frames);
        QCOMPARE(uploads.size(), 2);
        QCOMPARE(uploads.at(1) != uploads.at(0), rebuilt);
        QCOMPARE(uploads.at(1).contains(QStringLiteral("Полив").toUtf8()), rebuilt);
        QCOMPARE(uploads.at(1).mid(ImageHeaderSize), exchange().heldBody);
        QCOMPARE(c->storedImage(), uploads.at(1));

        QVERIFY(h.reachIdle());
        QCOMPARE(state.sockets[1].name, QStringLiteral("Вытяжка"));
        QCOMPARE(state.sockets[2].name == QStringLiteral("Полив"), rebuilt);
        QCOMPARE(state.dayHours, 16);
    }
};

QTEST_GUILESS_MAIN(TestSequencerTiming)
#include "tst_sequencertiming.moc"
