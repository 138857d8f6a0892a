#include <QTest>

#include "app/demoseed.h"
#include "bluezfixture.h"
#include "model/controllerstate.h"

namespace {
constexpr char OpReadBlocks = 0x04;
constexpr char OpWriteImage = 0x05;
constexpr char OpCommitImage = 0x06;
QString key(const char *name) { return QString::fromLatin1(name); }
const QString Address = QLatin1String(BluezFixture::Address);
} // namespace

// The exchange through the program's Qt Bluetooth backend and the test daemon: reading, uploading,
// commands and the log, and the faults a real link brings. Each case checks what the simulated
// controller holds afterwards.
class TestBluezExchange : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

    static bool idle()
    {
        return exchange().linkState == LinkState::SignedIn && exchange().exchangeStep == ExchangeStep::Idle;
    }
    // A renamed socket, to be uploaded.
    static void requestRename()
    {
        controllerState().sockets[1].name = QStringLiteral("Вытяжка");
        controllerState().uploadRequest = true;
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(BluezDaemon::instance().start(&error), qPrintable(error));
    }
    void init() { m_dir.reset(new TempWorkDir); }
    void cleanup() { m_dir.reset(); }

    void firstReadAndDecode()
    {
        BluezFixture f;
        QVERIFY(f.signedInWith(DemoSeed::imageBody()));
        const ControllerState &state = controllerState();
        QCOMPARE(state.cycleCount, 30);
        QCOMPARE(state.sockets[0].name, QStringLiteral("Лампа"));
        QVERIFY(state.scenarios.size() > 1);
        // read, not written over
        QVERIFY(f.opcodes().contains(OpReadBlocks));
        QVERIFY(!f.opcodes().contains(OpWriteImage));
        QCOMPARE(f.controller().value(key("image")).toByteArray().mid(64), DemoSeed::imageBody());
    }

    void changeUploadedReadBackAndCommitted()
    {
        BluezFixture f;
        QVERIFY(f.signedInWith(DemoSeed::imageBody()));
        QVERIFY(f.daemon.succeeded(QStringLiteral("ClearCounters"), {Address}));
        requestRename();
        QVERIFY(f.waitFor([&f] { return f.opcodes().contains(OpCommitImage) && idle(); }));
        const QByteArray ops = f.opcodes();
        QCOMPARE(ops.count(OpCommitImage), 1);
        QVERIFY(ops.indexOf(OpWriteImage) < ops.lastIndexOf(OpReadBlocks));
        QVERIFY(ops.lastIndexOf(OpReadBlocks) < ops.indexOf(OpCommitImage));
        const QVariantMap c = f.controller();
        const QByteArray image = c.value(key("image")).toByteArray();
        QVERIFY(image.contains(QStringLiteral("Вытяжка").toUtf8()));
        QCOMPARE(image.mid(64), exchange().heldBody);
        QCOMPARE(c.value(key("runningLength")).toInt(), image.size());
    }

    void manualSwitch()
    {
        BluezFixture f;
        QVERIFY(f.signedInWith(DemoSeed::imageBody()));
        exchange().switchOnRequest = 3;
        QVERIFY(f.waitFor([&f] { return f.outputLevel(2) == 100; }));
        exchange().switchOffRequest = 3;
        QVERIFY(f.waitFor([&f] { return f.outputLevel(2) == 0; }));
    }

    void logRead()
    {
        BluezFixture f;
        QVERIFY(f.addController());
        QVERIFY(f.createAccount("grower", "green42"));
        QVERIFY(f.daemon.succeeded(QStringLiteral("InstallImage"), {Address, DemoSeed::imageBody()}));
        QVERIFY(f.daemon.succeeded(QStringLiteral("SeedLog"), {Address, 2}));
        f.openWindow();
        QVERIFY(f.discover());
        QVERIFY(f.signIn());
        QVERIFY(f.reachIdle());
        exchange().logReadRequest = true;
        QVERIFY(f.waitFor([] { return !exchange().logReadRequest && idle() && !controllerState().events.isEmpty(); }));
        QCOMPARE(controllerState().events.size(), f.controller().value(key("logRecords")).toInt());
    }

    // The link drops after the first chunk: the controller keeps running its plan, and the upload
    // is made again after the next sign-in.
    void linkLostMidUpload()
    {
        BluezFixture f;
        QVERIFY(f.signedInWith(DemoSeed::imageBody()));
        const QVariantMap before = f.controller();
        QVERIFY(f.daemon.succeeded(QStringLiteral("ClearCounters"), {Address}));
        QVERIFY(f.daemon.succeeded(QStringLiteral("DisconnectAfterFrames"), {Address, 1}));
        requestRename();
        QVERIFY(f.waitFor([&f] { return f.linkState() != LinkState::SignedIn; }));
        const QVariantMap lost = f.controller();
        QVERIFY(!lost.value(key("connected")).toBool());
        QCOMPARE(lost.value(key("opcodes")).toByteArray(), QByteArray(1, OpWriteImage));
        QCOMPARE(lost.value(key("runningLength")), before.value(key("runningLength")));
        QCOMPARE(lost.value(key("runningScenarios")), before.value(key("runningScenarios")));

        QVERIFY(f.discover());
        QVERIFY(f.signIn());
        QVERIFY(f.waitFor([&f] { return f.opcodes().contains(OpCommitImage) && idle(); }));
        const QVariantMap after = f.controller();
        const QByteArray image = after.value(key("image")).toByteArray();
        QVERIFY(image.contains(QStringLiteral("Вытяжка").toUtf8()));
        QCOMPARE(after.value(key("runningLength")).toInt(), image.size());
        QCOMPARE(controllerState().sockets[1].name, QStringLiteral("Вытяжка"));
        QCOMPARE(controllerState().cycleCount, 30);
    }

    // Faults of the link that the program rides out: the switch still reaches the controller.
    void faultRiddenOut_data()
    {
        QTest::addColumn<QString>("knob");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("write refused once by BlueZ") << QStringLiteral("FailWrites") << QVariant(1);
        QTest::newRow("write refused twice by BlueZ") << QStringLiteral("FailWrites") << QVariant(2);
        QTest::newRow("replies late") << QStringLiteral("SetReplyDelay") << QVariant(400);
    }
    void faultRiddenOut()
    {
        QFETCH(QString, knob);
        QFETCH(QVariant, value);
        BluezFixture f;
        QVERIFY(f.signedInWith(DemoSeed::imageBody()));
        QList<QVariant> args{Address, value};
        if (knob == QLatin1String("FailWrites"))
            args << QStringLiteral("org.bluez.Error.Failed");
        QVERIFY(f.daemon.succeeded(knob, args));
        exchange().switchOnRequest = 3;
        QVERIFY(f.waitFor([&f] { return f.outputLevel(2) == 100; }));
        QVERIFY(f.waitFor([] { return idle(); }));
        QVERIFY(f.controller().value(key("signedIn")).toBool());
    }
};

QTEST_MAIN(TestBluezExchange)
#include "tst_bluez_exchange.moc"
