#include <QTest>

#include "link/frames.h"
#include "model/codec/statusrecord.h"
#include "mockclock.h"
#include "model/clock.h"

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

} // namespace

class TestFrames : public QObject
{
    Q_OBJECT
private slots:
    void everyFrameHasTheSameSize_data()
    {
        QTest::addColumn<int>("opcode");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("GetStatus") << int(Opcode::GetStatus) << QByteArray();
        QTest::newRow("DeleteAccount") << int(Opcode::DeleteAccount) << QByteArray();
        QTest::newRow("CommitImage") << int(Opcode::CommitImage) << QByteArray();
        QTest::newRow("SignIn") << int(Opcode::SignIn) << signInPayload(QStringLiteral("user"), QStringLiteral("pw"));
        QTest::newRow("ReadBlocks") << int(Opcode::ReadBlocks) << readBlocksPayload(0x40, 0x0C40);
        QTest::newRow("WriteImage full chunk") << int(Opcode::WriteImage) << writeImagePayload(0, QByteArray(960, 'x'));
        QTest::newRow("SetOutput") << int(Opcode::SetOutput) << setOutputPayload(1, true);
        QTest::newRow("SetRunState") << int(Opcode::SetRunState) << setRunStatePayload(4);
        QTest::newRow("SetClock") << int(Opcode::SetClock) << setClockPayload(1234567890);
        QTest::newRow("oversized payload is cut") << int(Opcode::WriteImage) << QByteArray(2000, 'y');
    }

    void everyFrameHasTheSameSize()
    {
        QFETCH(int, opcode);
        QFETCH(QByteArray, payload);
        const QByteArray frame = buildFrame(Opcode(opcode), payload);
        QCOMPARE(frame.size(), 1028);
        QCOMPARE(quint8(frame.at(0)), quint8(0x5A));
        QCOMPARE(quint8(frame.at(1)), quint8(opcode));
        const QByteArray carried = payload.left(1026);
        QCOMPARE(frame.mid(2, carried.size()), carried);
        QCOMPARE(frame.mid(2 + carried.size()), QByteArray(1026 - carried.size(), '\0'));
    }

    void signInPayloadLayout_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("short login padded to 80")
            << QStringLiteral("anna") << QStringLiteral("secret")
            << QByteArray("anna") + QByteArray(76, '\0') + QByteArray("secret");
        const QString longLogin = QString(100, QLatin1Char('L'));
        QTest::newRow("100-byte login keeps its first 80 bytes, 40 of password")
            << longLogin << QString(50, QLatin1Char('p'))
            << QByteArray(80, 'L') + QByteArray(40, 'p');
        QTest::newRow("UTF-8 bytes count, not characters")
            << QStringLiteral("Ёж") << QStringLiteral("пароль")
            << QStringLiteral("Ёж").toUtf8() + QByteArray(76, '\0') + QStringLiteral("пароль").toUtf8();
        QTest::newRow("empty login still takes 80 bytes")
            << QString() << QStringLiteral("pw") << QByteArray(80, '\0') + QByteArray("pw");
    }

    void signInPayloadLayout()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QByteArray, expected);
        const QByteArray payload = signInPayload(login, password);
        QCOMPARE(payload, expected);
        QVERIFY(payload.size() <= 120);
        QCOMPARE(buildFrame(Opcode::SignIn, payload).mid(2, 120), expected + QByteArray(120 - expected.size(), '\0'));
    }

    void readRanges_data()
    {
        QTest::addColumn<int>("imageLength");
        QTest::addColumn<int>("logLength");
        QTest::addColumn<int>("logStart");

        QTest::newRow("image of 4000 bytes") << 4000 << 28520 << 0x0F98;
        QTest::newRow("no image: log from 4000 on") << 0 << 28520 << 0x0F98;
        QTest::newRow("small image: log from 4000 on") << 1088 << 28520 << 0x0F98;
        QTest::newRow("large image") << 5000 << 27520 << 4992;
        QTest::newRow("image filling the memory keeps one record") << 0x7F00 << 20 << 0x7EEC;
        QTest::newRow("image past the log end never gives a negative length") << 0x8000 << 20 << 0x7EEC;
    }

    void readRanges()
    {
        QFETCH(int, imageLength);
        QFETCH(int, logLength);
        QFETCH(int, logStart);
        QCOMPARE(logReadLength(quint16(imageLength)), logLength);
        const BlockRange log = logReadRange(quint16(imageLength));
        QCOMPARE(int(log.start), logStart);
        QCOMPARE(int(log.end), 0x7F00);
        QCOMPARE(int(log.end) - int(log.start), logLength);

        const BlockRange image = imageReadRange(quint16(imageLength));
        QCOMPARE(int(image.start), 0x40);
        QCOMPARE(int(image.end), imageLength);
        QCOMPARE(readBlocksPayload(log.start, log.end),
                 bytes({logStart & 0xFF, logStart >> 8, 0x00, 0x7F}));
    }

    void uploadChunks()
    {
        QByteArray upload(2000, '\0');
        for (int i = 0; i < upload.size(); ++i)
            upload[i] = char(i * 7);
        const QByteArray original = upload;

        QList<QByteArray> payloads;
        for (int address = 0; !upload.isEmpty(); address += 960)
            payloads.append(writeImagePayload(quint16(address), takeUploadChunk(upload)));

        QCOMPARE(payloads.size(), 3);
        const QList<QByteArray> heads = {bytes({0x00, 0x00, 0xC0, 0x03}), bytes({0xC0, 0x03, 0xC0, 0x03}),
                                         bytes({0x80, 0x07, 0x50, 0x00})};
        QByteArray joined;
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(payloads[k].left(4), heads[k]);
            joined += payloads[k].mid(4);
        }
        QCOMPARE(joined, original);
    }

    void setOutput_data()
    {
        QTest::addColumn<int>("output");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QList<int>>("channels");
        QTest::addColumn<QByteArray>("payload");

        QTest::newRow("socket 3 on") << 3 << true << QList<int>() << bytes({0x02, 0x64, 0, 0, 0});
        QTest::newRow("socket 3 off") << 3 << false << QList<int>() << bytes({0x02, 0, 0, 0, 0});
        QTest::newRow("socket 1 on") << 1 << true << QList<int>() << bytes({0x00, 0x64, 0, 0, 0});
        QTest::newRow("relay on input 2 goes by its first channel id")
            << 6 << true << QList<int>{9, 10} << bytes({0x09, 0x64, 0, 0, 0});
        QTest::newRow("input without channels sends nothing") << 7 << true << QList<int>() << QByteArray();
        QTest::newRow("output 0 is none") << 0 << true << QList<int>() << QByteArray();
        QTest::newRow("output 11 is none") << 11 << true << QList<int>{5} << QByteArray();
    }

    void setOutput()
    {
        QFETCH(int, output);
        QFETCH(bool, on);
        QFETCH(QList<int>, channels);
        QFETCH(QByteArray, payload);
        QCOMPARE(setOutputPayload(output, on, channels), payload);
    }

    void socket3FrameBytes()
    {
        QCOMPARE(buildFrame(Opcode::SetOutput, setOutputPayload(3, true)).left(7),
                 bytes({0x5A, 0x09, 0x02, 0x64, 0x00, 0x00, 0x00}));
        const QByteArray off = buildFrame(Opcode::SetOutput, setOutputPayload(3, false));
        QCOMPARE(off.left(3), bytes({0x5A, 0x09, 0x02}));
        QCOMPARE(off.mid(3), QByteArray(1025, '\0'));
    }

    void runStateAndClock()
    {
        QCOMPARE(setRunStatePayload(4), bytes({4}));
        QCOMPARE(setRunStatePayload(0), bytes({0}));
        QCOMPARE(setClockPayload(0x0102030405060708LL), bytes({8, 7, 6, 5, 4, 3, 2, 1}));

        // Local wall-clock seconds: the tests run three hours ahead of UTC.
        const QDateTime now(QDate(2026, 3, 1), QTime(10, 0));
        MockClock::set(now);
        const qint64 expected = now.toSecsSinceEpoch() + 3 * 3600;
        QCOMPARE(setClockPayload(), setClockPayload(expected));
        MockClock::clear();
    }

    void replyReadersNeverReadPastTheReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("marker");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("imageLength");

        QByteArray block(1028, '\0');
        block[1024] = char(0x40);
        block[1026] = char(0xFF);
        block[1027] = char(0xFF);
        QByteArray status(148, '\0');
        status[144] = char(0xFF);
        status[146] = char(0x40);
        status[147] = char(0x04);
        QByteArray hugeImage(148, '\0');
        hugeImage[147] = char(0x80);
        hugeImage[146] = char(0x01);

        QTest::newRow("empty") << QByteArray() << false << false << 0;
        QTest::newRow("one byte short of a block") << block.left(1027) << false << false << 0;
        QTest::newRow("block") << block << true << false << 0;
        QTest::newRow("status") << status << false << true << 0x0440;
        QTest::newRow("status cut before its length") << status.left(146) << false << true << 0;
        QTest::newRow("length above 0x8000 is none") << hugeImage << false << false << 0;
    }

    void replyReadersNeverReadPastTheReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, marker);
        QFETCH(bool, accepted);
        QFETCH(int, imageLength);
        QCOMPARE(blockReplyHasMarker(reply), marker);
        QCOMPARE(replyAccepted(reply), accepted);
        QCOMPARE(int(StatusRecord(reply).imageLength()), imageLength);
        QCOMPARE(replyByte(reply, -1), quint8(0));
        QCOMPARE(replyByte(reply, int(reply.size())), quint8(0));
        QVERIFY(paddedStatusRecord(reply).size() >= 148);
        QCOMPARE(paddedStatusRecord(reply).left(reply.size()), reply);
    }

    void deleteNeedsAcceptanceAndNoAccountLeft_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("acceptByte");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accepted") << 0x04 << 0xFF << true;
        QTest::newRow("account still there") << 0x05 << 0xFF << false;
        QTest::newRow("refused") << 0x04 << 0x00 << false;
    }

    void deleteNeedsAcceptanceAndNoAccountLeft()
    {
        QFETCH(int, flags);
        QFETCH(int, acceptByte);
        QFETCH(bool, accepted);
        QByteArray reply(148, '\0');
        reply[0] = char(flags);
        reply[144] = char(acceptByte);
        QCOMPARE(deleteReplyAccepted(reply), accepted);
    }
};

QTEST_GUILESS_MAIN(TestFrames)
#include "tst_frames.moc"
