#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "link/commandchannel.h"
#include "model/codec/statusrecord.h"
#include "link/exchangestate.h"
#include "link/frames.h"
#include "mockclock.h"
#include "model/clock.h"
#include "sim/simtransport.h"
#include "sim/simulatedcontroller.h"
#include "testsupport.h"

namespace {

// Records what the channel asks of the characteristic; replies are fed by the test.
class FakeService : public BleService
{
public:
    using BleService::BleService;
    QUuid uuid() const override { return bleUuidFrom16(0xFFF0); }
    ServiceState state() const override { return RemoteServiceDiscovered; }
    void discoverDetails(bool) override {}
    bool hasCommandCharacteristic() const override { return true; }
    QByteArray cachedCommandValue() const override { return QByteArray(); }
    void writeCommand(const QByteArray &value) override { writes.append(value); }
    void readCommand() override { ++reads; }

    void emitWritten(const QByteArray &value) { emit characteristicWritten(CommandCharacteristicUuid, value); }

    QList<QByteArray> writes;
    int reads = 0;
};

class FakeListener : public ReplyListener
{
public:
    void signInReplied(const QByteArray &reply) override { signIns.append(reply); }
    void deleteReplied(const QByteArray &reply) override { deletes.append(reply); }
    void setNoteText(const QString &text) override { notes.append(text); }

    QList<QByteArray> signIns;
    QList<QByteArray> deletes;
    QStringList notes;
};

QByteArray blockReply(int address, char fill = 'b')
{
    QByteArray reply(1024, fill);
    reply.append(char(address & 0xFF)).append(char(address >> 8)).append(char(0xFF)).append(char(0xFF));
    return reply;
}

QByteArray ack(bool taken)
{
    QByteArray reply(1028, '\0');
    reply[0] = char(taken ? 0x03 : 0x01);
    return reply;
}

} // namespace

class TestCommandChannel : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeService> service;
    std::unique_ptr<CommandChannel> channel;
    FakeListener listener;

    // The confirmation of the frame last written.
    void confirmLastWrite() { channel->onCharacteristicWritten(CommandCharacteristicUuid, service->writes.last()); }

    void startBlockRead(ExchangeStep step, int start, int end)
    {
        ExchangeState &ex = exchange();
        ex.exchangeStep = step;
        ex.transferEnd = end;
        channel->sendCommand(Opcode::ReadBlocks, readBlocksPayload(quint16(start), quint16(end)));
        confirmLastWrite();
    }

private slots:
    void init()
    {
        exchange().reset();
        listener = FakeListener();
        service.reset(new FakeService);
        channel.reset(new CommandChannel);
        channel->setService(service.get());
        channel->setListener(&listener);
    }

    void writtenFrameChoosesTheReply_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<ExchangeStep>("stepBefore");
        QTest::addColumn<ReplyKind>("pending");
        QTest::addColumn<int>("blockAddress");
        QTest::addColumn<ExchangeStep>("stepAfter");
        QTest::addColumn<int>("reads");

        QTest::newRow("DeleteAccount") << buildFrame(Opcode::DeleteAccount) << ExchangeStep::Idle << ReplyKind::DeleteReply << 0 << ExchangeStep::Idle << 1;
        QTest::newRow("SignIn") << buildFrame(Opcode::SignIn, signInPayload(QStringLiteral("a"), QStringLiteral("b")))
                                << ExchangeStep::Idle << ReplyKind::SignInReply << 0 << ExchangeStep::Idle << 1;
        QTest::newRow("ReadBlocks takes the start address")
            << buildFrame(Opcode::ReadBlocks, readBlocksPayload(0x0F98, 0x7F00)) << ExchangeStep::ReadingLog << ReplyKind::BlockReply
            << 0x0F98 << ExchangeStep::ReadingLog << 1;
        QTest::newRow("WriteImage expects the next chunk's address")
            << buildFrame(Opcode::WriteImage, writeImagePayload(960, QByteArray(960, 'x'))) << ExchangeStep::Uploading
            << ReplyKind::UploadAck << 1920 << ExchangeStep::Uploading << 1;
        QTest::newRow("GetStatus") << buildFrame(Opcode::GetStatus) << ExchangeStep::Polling << ReplyKind::StatusReply << 0 << ExchangeStep::Polling << 1;
        QTest::newRow("SetOutput completes the command")
            << buildFrame(Opcode::SetOutput, setOutputPayload(1, true)) << ExchangeStep::CommandSent << ReplyKind::NoReply << 0 << ExchangeStep::Idle << 0;
        QTest::newRow("SetClock completes the command")
            << buildFrame(Opcode::SetClock, setClockPayload(1)) << ExchangeStep::CommandSent << ReplyKind::NoReply << 0 << ExchangeStep::Idle << 0;
        QTest::newRow("CommitImage during the image step changes nothing")
            << buildFrame(Opcode::CommitImage) << ExchangeStep::ImageRead << ReplyKind::NoReply << 0 << ExchangeStep::ImageRead << 0;
    }

    void writtenFrameChoosesTheReply()
    {
        QFETCH(QByteArray, frame);
        QFETCH(ExchangeStep, stepBefore);
        QFETCH(ReplyKind, pending);
        QFETCH(int, blockAddress);
        QFETCH(ExchangeStep, stepAfter);
        QFETCH(int, reads);
        exchange().exchangeStep = stepBefore;
        channel->onCharacteristicWritten(CommandCharacteristicUuid, frame);
        QCOMPARE(exchange().pendingReply, pending);
        QCOMPARE(exchange().blockAddress, blockAddress);
        QCOMPARE(exchange().exchangeStep, stepAfter);
        QCOMPARE(service->reads, reads);
    }

    void foreignWritesAreIgnored_data()
    {
        QTest::addColumn<int>("characteristic");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("other characteristic") << 0x2A00 << buildFrame(Opcode::GetStatus);
        QByteArray noStart = buildFrame(Opcode::GetStatus);
        noStart[0] = 0;
        QTest::newRow("no frame start") << int(CommandCharacteristicUuid) << noStart;
        QTest::newRow("empty") << int(CommandCharacteristicUuid) << QByteArray();
        QTest::newRow("start byte only") << int(CommandCharacteristicUuid) << QByteArray(1, char(0x5A));
    }

    void foreignWritesAreIgnored()
    {
        QFETCH(int, characteristic);
        QFETCH(QByteArray, value);
        exchange().exchangeStep = ExchangeStep::CommandSent;
        exchange().blockAddress = 77;
        channel->onCharacteristicWritten(quint16(characteristic), value);
        QCOMPARE(exchange().pendingReply, ReplyKind::NoReply);
        QCOMPARE(exchange().exchangeStep, ExchangeStep::CommandSent);
        QCOMPARE(exchange().blockAddress, 77);
        QCOMPARE(service->reads, 0);
    }

    void imageReadAppendsBlocksUntilTheEnd()
    {
        ExchangeState &ex = exchange();
        startBlockRead(ExchangeStep::ReadingImage, 0x40, 3000);
        QByteArray expected;
        for (int k = 0; k < 3; ++k) {
            const char fill = char('a' + k);
            ex.stepTimeout = 3;
            channel->onCharacteristicRead(CommandCharacteristicUuid, blockReply(0x40 + 1024 * k, fill));
            expected += QByteArray(1024, fill);
            QCOMPARE(ex.stepTimeout, Timeouts::ImageRead); // progress re-arms the timeout
        }
        QCOMPARE(ex.imageBuffer, expected);
        QCOMPARE(ex.exchangeStep, ExchangeStep::ImageRead);
        QCOMPARE(ex.pendingReply, ReplyKind::NoReply);
        QCOMPARE(service->reads, 3); // one after the write, one per further block
    }

    void blockWithoutMarkerIsFetchedAgain_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QByteArray noMarker = blockReply(0x40);
        noMarker[1027] = 0;
        QTest::newRow("marker missing") << noMarker;
        QTest::newRow("one byte short") << blockReply(0x40).left(1027);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("marker only") << QByteArray(2, char(0xFF));
    }

    void blockWithoutMarkerIsFetchedAgain()
    {
        QFETCH(QByteArray, reply);
        ExchangeState &ex = exchange();
        startBlockRead(ExchangeStep::ReadingImage, 0x40, 0x840);
        channel->onCharacteristicRead(CommandCharacteristicUuid, reply);
        QCOMPARE(service->reads, 2);
        QVERIFY(ex.imageBuffer.isEmpty());
        QCOMPARE(ex.blockAddress, 0x40);
        QCOMPARE(ex.pendingReply, ReplyKind::BlockReply);
        channel->onCharacteristicRead(CommandCharacteristicUuid, blockReply(0x40));
        QCOMPARE(ex.imageBuffer.size(), 1024);
    }

    // A controller that answers "not ready" without end is read a bounded number of times; then the
    // step ends on the next tick instead of waiting out a timeout meant for silence.
    void neverReadyEndsTheStepAtOnce_data()
    {
        QTest::addColumn<ExchangeStep>("step");
        QTest::addColumn<int>("timeout");
        QTest::newRow("image block") << ExchangeStep::ReadingImage << Timeouts::ImageRead;
        QTest::newRow("log block") << ExchangeStep::ReadingLog << Timeouts::LogRead;
        QTest::newRow("upload chunk") << ExchangeStep::Uploading << Timeouts::Upload;
    }
    void neverReadyEndsTheStepAtOnce()
    {
        QFETCH(ExchangeStep, step);
        QFETCH(int, timeout);
        ExchangeState &ex = exchange();
        QByteArray notReady;
        if (step == ExchangeStep::Uploading) {
            ex.uploadData = QByteArray(2000, 'u');
            ex.exchangeStep = step;
            channel->sendCommand(Opcode::WriteImage, writeImagePayload(0, takeUploadChunk(ex.uploadData)));
            confirmLastWrite();
            notReady = ack(false);
        } else {
            startBlockRead(step, 0x40, 0x840);
            notReady = blockReply(0x40);
            notReady[1027] = 0;
        }
        ex.stepTimeout = timeout;
        for (int i = 0; i < Attempts::NotReadyReads; ++i)
            channel->onCharacteristicRead(CommandCharacteristicUuid, notReady);
        QCOMPARE(service->reads, 1 + Attempts::NotReadyReads);
        QCOMPARE(ex.stepTimeout, timeout);
        channel->onCharacteristicRead(CommandCharacteristicUuid, notReady);
        QCOMPARE(service->reads, 1 + Attempts::NotReadyReads);
        QCOMPARE(ex.stepTimeout, 1);
        QCOMPARE(ex.exchangeStep, step);
    }

    void outOfOrderBlockAbandons_data()
    {
        QTest::addColumn<ExchangeStep>("step");
        QTest::addColumn<ExchangeStep>("stepAfter");
        QTest::addColumn<bool>("logRequest");
        QTest::newRow("image read starts over") << ExchangeStep::ReadingImage << ExchangeStep::Start << false;
        QTest::newRow("log read is asked for again") << ExchangeStep::ReadingLog << ExchangeStep::Idle << true;
    }

    void outOfOrderBlockAbandons()
    {
        QFETCH(ExchangeStep, step);
        QFETCH(ExchangeStep, stepAfter);
        QFETCH(bool, logRequest);
        ExchangeState &ex = exchange();
        startBlockRead(step, 0x40, 0x2000);
        channel->onCharacteristicRead(CommandCharacteristicUuid, blockReply(0x40));
        channel->onCharacteristicRead(CommandCharacteristicUuid, blockReply(0x840));
        QCOMPARE(ex.exchangeStep, stepAfter);
        QCOMPARE(ex.pendingReply, ReplyKind::NoReply);
        QCOMPARE(ex.logReadRequest, logRequest);
        QCOMPARE(ex.imageBuffer.size() + ex.logBuffer.size(), 1024);
        QCOMPARE(service->reads, 2);
    }

    void logProgressMovesInStepsAboveTenPercent()
    {
        ExchangeState &ex = exchange();
        const BlockRange range = logReadRange(4000);
        ex.logLength = logReadLength(4000);
        startBlockRead(ExchangeStep::ReadingLog, range.start, range.end);
        for (int address = range.start; ex.exchangeStep == ExchangeStep::ReadingLog && address < 0x10000; address += 1024)
            channel->onCharacteristicRead(CommandCharacteristicUuid, blockReply(address));

        QCOMPARE(ex.exchangeStep, ExchangeStep::LogReceived);
        QCOMPARE(ex.logBuffer.size(), 28 * 1024);
        QCOMPARE(ex.logProgress, 100);
        QStringList expected;
        for (int percent : {14, 25, 39, 50, 61, 75, 86, 100})
            expected << QStringLiteral("Вычитывание лога %1%").arg(percent);
        expected << QStringLiteral("Обработка данных");
        QCOMPARE(listener.notes, expected);
    }

    void logProgressNeverShowsMoreThanAHundred()
    {
        // An image reaching into the log area leaves one record: the first block runs far past it.
        ExchangeState &ex = exchange();
        const BlockRange range = logReadRange(0x7F00);
        ex.logLength = logReadLength(0x7F00);
        startBlockRead(ExchangeStep::ReadingLog, range.start, range.end);
        channel->onCharacteristicRead(CommandCharacteristicUuid, blockReply(range.start));
        QCOMPARE(ex.logProgress, 100);
        QCOMPARE(listener.notes,
                 QStringList({QStringLiteral("Вычитывание лога 100%"), QStringLiteral("Обработка данных")}));
    }

    void uploadGoesInChunksAfterEachAck()
    {
        ExchangeState &ex = exchange();
        QByteArray data(2000, '\0');
        for (int i = 0; i < data.size(); ++i)
            data[i] = char(i % 251);
        ex.uploadData = data;
        ex.exchangeStep = ExchangeStep::Uploading;
        channel->sendCommand(Opcode::WriteImage, writeImagePayload(0, takeUploadChunk(ex.uploadData)));

        confirmLastWrite();
        channel->onCharacteristicRead(CommandCharacteristicUuid, ack(false)); // still storing
        QCOMPARE(service->writes.size(), 1);
        QCOMPARE(service->reads, 2);
        while (ex.exchangeStep == ExchangeStep::Uploading && service->writes.size() < 10) {
            ex.stepTimeout = 1;
            channel->onCharacteristicRead(CommandCharacteristicUuid, ack(true));
            if (ex.exchangeStep == ExchangeStep::Uploading) {
                QCOMPARE(ex.stepTimeout, Timeouts::Upload);
                confirmLastWrite();
            }
        }

        QCOMPARE(ex.exchangeStep, ExchangeStep::Start);
        QCOMPARE(ex.pendingReply, ReplyKind::NoReply);
        QCOMPARE(service->writes.size(), 3);
        const QList<int> addresses = {0, 960, 1920};
        const QList<int> lengths = {0x03C0, 0x03C0, 0x0050};
        QByteArray sent;
        for (int k = 0; k < 3; ++k) {
            const QByteArray &frame = service->writes.at(k);
            QCOMPARE(frame.size(), 1028);
            QCOMPARE(int(quint8(frame.at(1))), int(Opcode::WriteImage));
            QCOMPARE(int(replyU16(frame, 2)), addresses.at(k));
            QCOMPARE(int(replyU16(frame, 4)), lengths.at(k));
            sent += frame.mid(6, lengths.at(k));
        }
        QCOMPARE(sent, data);
    }

    void statusReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QByteArray full(1028, '\0');
        full[0] = char(0x05);
        full[146] = char(0x40);
        QTest::newRow("full record") << full;
        QTest::newRow("short record") << full.left(10);
        QTest::newRow("empty") << QByteArray();
    }

    void statusReply()
    {
        QFETCH(QByteArray, reply);
        ExchangeState &ex = exchange();
        ex.pendingReply = ReplyKind::StatusReply;
        ex.exchangeStep = ExchangeStep::Polling;
        channel->onCharacteristicRead(CommandCharacteristicUuid, reply);
        QCOMPARE(ex.exchangeStep, ExchangeStep::StatusReceived);
        QCOMPARE(ex.pendingReply, ReplyKind::NoReply);
        QVERIFY(StatusRecord(ex.statusBytes).isWhole());
        QCOMPARE(ex.statusBytes.left(reply.size()), reply);
        QCOMPARE(ex.statusBytes.mid(reply.size()), QByteArray(ex.statusBytes.size() - reply.size(), '\0'));
    }

    void accountRepliesGoToTheListener()
    {
        ExchangeState &ex = exchange();
        ex.pendingReply = ReplyKind::SignInReply;
        channel->onCharacteristicRead(CommandCharacteristicUuid, QByteArray("signin"));
        ex.pendingReply = ReplyKind::DeleteReply;
        channel->onCharacteristicRead(CommandCharacteristicUuid, QByteArray("delete"));
        QCOMPARE(listener.signIns, QList<QByteArray>{QByteArray("signin")});
        QCOMPARE(listener.deletes, QList<QByteArray>{QByteArray("delete")});
        QCOMPARE(ex.pendingReply, ReplyKind::NoReply);
    }

    void staleRepliesAreIgnored()
    {
        ExchangeState &ex = exchange();
        ex.exchangeStep = ExchangeStep::Idle;
        for (const QByteArray &reply : {blockReply(0), ack(true), QByteArray(1028, '\x05')})
            channel->onCharacteristicRead(CommandCharacteristicUuid, reply);
        ex.pendingReply = ReplyKind::StatusReply;
        channel->onCharacteristicRead(0x2A00, QByteArray(1028, '\x05'));
        QCOMPARE(ex.exchangeStep, ExchangeStep::Idle);
        QVERIFY(ex.statusBytes.isEmpty());
        QVERIFY(ex.imageBuffer.isEmpty() && ex.logBuffer.isEmpty());
        QCOMPARE(service->reads + service->writes.size(), 0);
        QVERIFY(listener.signIns.isEmpty() && listener.notes.isEmpty());
    }

    void followsTheCurrentService()
    {
        service->emitWritten(buildFrame(Opcode::GetStatus));
        QCOMPARE(exchange().pendingReply, ReplyKind::StatusReply);

        FakeService other;
        channel->setService(&other);
        exchange().pendingReply = ReplyKind::NoReply;
        service->emitWritten(buildFrame(Opcode::GetStatus)); // the old service is no longer heard
        QCOMPARE(exchange().pendingReply, ReplyKind::NoReply);
        QVERIFY(channel->sendCommand(Opcode::GetStatus));
        QCOMPARE(other.writes.size(), 1);
        QCOMPARE(service->writes.size(), 0);

        channel->setService(nullptr);
        QVERIFY(!channel->sendCommand(Opcode::GetStatus));
    }

    void deletedServiceIsForgotten()
    {
        service.reset();
        QVERIFY(!channel->service());
        QVERIFY(!channel->sendCommand(Opcode::GetStatus));
    }

    void linkFramesAreLoggedWhenAskedFor()
    {
        QVERIFY(!lcLink().isDebugEnabled());
        QLoggingCategory::setFilterRules(QStringLiteral("vireosant.link.debug=true"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^write op 0x0f len 1028: 5a 0f 00")));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^read op 0x0f len 3: 01 02 03$")));
        channel->sendCommand(Opcode::GetStatus);
        exchange().pendingReply = ReplyKind::StatusReply;
        channel->onCharacteristicRead(CommandCharacteristicUuid, QByteArray("\x01\x02\x03", 3));
        QLoggingCategory::setFilterRules(QString());
    }

    // The handlers against the simulated controller: the two sides are written independently, so
    // this is where a disagreement about frames or replies shows.
    void againstTheSimulatedController()
    {
        MockClock::set(QDateTime(QDate(2026, 3, 10), QTime(12, 0)));
        SimTransport transport;
        SimulatedController *device = transport.addController(QStringLiteral("VS-REZ-01"), 7);
        std::unique_ptr<BleLink> link(transport.createLink(device->advertisement(), nullptr));
        link->connectToDevice();
        QTRY_COMPARE(link->state(), BleLink::ConnectedState);
        link->discoverServices();
        QTRY_COMPARE(link->state(), BleLink::DiscoveredState);
        std::unique_ptr<BleService> simService(link->createServiceObject(bleUuidFrom16(0xFFF0), nullptr));
        QVERIFY(simService);
        simService->discoverDetails();
        QTRY_VERIFY(simService->hasCommandCharacteristic());
        channel->setService(simService.get());
        ExchangeState &ex = exchange();

        channel->sendCommand(Opcode::SignIn, signInPayload(QStringLiteral("grower"), QStringLiteral("secret")));
        QTRY_COMPARE(listener.signIns.size(), 1);
        QVERIFY(replyAccepted(listener.signIns.first()));
        QCOMPARE(listener.signIns.first().mid(2, 120), signInPayload(QStringLiteral("grower"), QStringLiteral("secret"))
                                                           + QByteArray(120 - 86, '\0'));

        // Upload: a header and a body of two chunks, then read it back.
        const QByteArray body(1100, 'i');
        QByteArray header(64, '\0');
        header[0] = char(0x11);
        header[1] = char(0x22);
        header[2] = char((64 + 1100) & 0xFF);
        header[3] = char((64 + 1100) >> 8);
        ex.uploadData = header + body;
        ex.exchangeStep = ExchangeStep::Uploading;
        channel->sendCommand(Opcode::WriteImage, writeImagePayload(0, takeUploadChunk(ex.uploadData)));
        QTRY_COMPARE(ex.exchangeStep, ExchangeStep::Start);

        const BlockRange image = imageReadRange(1164);
        ex.exchangeStep = ExchangeStep::ReadingImage;
        ex.transferEnd = image.end;
        channel->sendCommand(Opcode::ReadBlocks, readBlocksPayload(image.start, image.end));
        QTRY_COMPARE(ex.exchangeStep, ExchangeStep::ImageRead);
        QCOMPARE(ex.imageBuffer.size(), 2048);
        QCOMPARE(ex.imageBuffer.left(1100), body);

        ex.exchangeStep = ExchangeStep::Polling;
        channel->sendCommand(Opcode::GetStatus);
        QTRY_COMPARE(ex.exchangeStep, ExchangeStep::StatusReceived);
        QCOMPARE(int(StatusRecord(ex.statusBytes).imageLength()), 1164);
        QVERIFY(replyByte(ex.statusBytes, 0) & Frame::AccountExistsBit);

        // A block out of order starts the log read over.
        device->faults().blocksOutOfOrder = 1;
        const BlockRange log = logReadRange(1164);
        ex.exchangeStep = ExchangeStep::ReadingLog;
        ex.logLength = logReadLength(1164);
        ex.transferEnd = log.end;
        channel->sendCommand(Opcode::ReadBlocks, readBlocksPayload(log.start, log.end));
        QTRY_VERIFY(ex.logReadRequest);
        QCOMPARE(ex.exchangeStep, ExchangeStep::Idle);

        ex.logBuffer.clear();
        ex.exchangeStep = ExchangeStep::ReadingLog;
        channel->sendCommand(Opcode::ReadBlocks, readBlocksPayload(log.start, log.end));
        QTRY_COMPARE(ex.exchangeStep, ExchangeStep::LogReceived);
        QCOMPARE(ex.logBuffer.size(), 28 * 1024);
        QCOMPARE(listener.notes.last(), QStringLiteral("Обработка данных"));

        ex.exchangeStep = ExchangeStep::CommandSent;
        channel->sendCommand(Opcode::SetOutput, setOutputPayload(3, true));
        QTRY_COMPARE(ex.exchangeStep, ExchangeStep::Idle);
        QCOMPARE(device->manualLevel(2), 100u);

        channel->setService(nullptr);
        simService.reset();
        link.reset();
        drainEvents(0);
        MockClock::clear();
    }
};

QTEST_GUILESS_MAIN(TestCommandChannel)
#include "tst_commandchannel.moc"
