#include <QSignalSpy>
#include <QTest>

#include "framelog.h"

#include "linkharness.h"
#include "link/frames.h"
#include "model/codec/statusrecord.h"
#include "plans.h"

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

    static QByteArray withByte(QByteArray body, int offset, int value)
    {
        body[offset] = char(value);
        return body;
    }

    // One session with the controller holding the given body; returns its memory afterwards.
    static QByteArray memoryAfterSession(const QByteArray &body, QByteArray *before, RecordingNotes *notesOut = nullptr)
    {
        LinkHarness h;
        SimulatedController *c = h.signedInController(body);
        if (!c)
            return QByteArray("no sign-in");
        *before = c->memory();
        h.tick(60);  // clock, polls, and any upload that would follow
        if (notesOut)
            *notesOut = h.notes;
        return c->memory();
    }

    void controllersPlanIsLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("fallback");
        const QByteArray rich = richBody();
        QTest::newRow("whole plan") << rich << false;
        QTest::newRow("sensor section of an unknown type") << withByte(rich, 16, 9) << false;
        QTest::newRow("condition on a channel no input offers") << withByte(rich, 427, 9) << false;
        QTest::newRow("nothing the program can read") << QByteArray(256, char(0x55)) << true;
        QTest::newRow("a plan without its work cycle") << rich.left(170) << true;
    }

    // A controller's plan is written only when the user changes something: an odd or unreadable
    // image is shown, never replaced by the base plan.
    void controllersPlanIsLeftAlone()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, fallback);
        QByteArray before;
        RecordingNotes notes;
        const QByteArray after = memoryAfterSession(body, &before, &notes);
        QCOMPARE(after, before);
        QCOMPARE(notes.asked.contains(QStringLiteral("Конфигурация контроллера не распознана<p>Она не изменится, пока вы не сохраните свою")),
                 fallback);
    }

    // A plan read only in part is shown but not written over: built from what was read, the
    // image would lose the rest. Bytes a longer plan left after the image's end are not part of it.
    void partlyReadPlanIsNotWrittenOver_data()
    {
        QTest::addColumn<QByteArray>("stale");  // memory contents before the plan was installed
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("partial");
        const QByteArray rich = richBody();
        const QByteArray longer(4096, char(0x5a));
        QTest::newRow("whole plan") << QByteArray() << rich << false;
        QTest::newRow("a longer plan's bytes after the image") << longer << rich << false;
        QByteArray trailing = rich + QByteArray("\x07\x01", 2);
        trailing += QByteArray(ImageBodyGranule - trailing.size() % ImageBodyGranule, '\0');
        QTest::newRow("a record after the day map") << QByteArray() << trailing << true;
        QTest::newRow("a day map cut short") << QByteArray() << rich.left(rich.size() - 70) << true;
    }
    void partlyReadPlanIsNotWrittenOver()
    {
        QFETCH(QByteArray, stale);
        QFETCH(QByteArray, body);
        QFETCH(bool, partial);
        LinkHarness h;
        FrameLog frames(&h.transport);
        SimulatedController *c = h.addController(QStringLiteral("VS-REZ-01"), 0x0A0B0C0D0E01ULL);
        createSimAccount(c, "grower", "green42");
        if (!stale.isEmpty())
            c->installImage(stale);
        c->installImage(body);
        QVERIFY(h.discover() && h.signIn(QStringLiteral("grower"), QStringLiteral("green42")) && h.reachIdle());
        QVERIFY(!controllerState().scenarios.isEmpty());
        const QString shownNote = QStringLiteral("Конфигурация контроллера прочитана не полностью<p>Она не изменится: изменения здесь не записываются");
        QCOMPARE(h.notes.asked.contains(shownNote), partial);

        const QByteArray before = c->memory();
        controllerState().sockets[0].name = QStringLiteral("Новое имя");
        controllerState().uploadRequest = true;
        h.tick(partial ? 40 : 0);
        if (partial) {
            QCOMPARE(frames.count(int(Opcode::WriteImage)), 0);
            QCOMPARE(c->memory(), before);
            QVERIFY(h.notes.asked.contains(
                QStringLiteral("Конфигурация контроллера прочитана не полностью<p>Изменения не записаны. Загрузите сценарий из файла")));
        } else {
            QVERIFY(h.tickUntil([&frames] { return frames.count(int(Opcode::CommitImage)) == 1; }, 300));
            QVERIFY(c->storedImage().contains(QStringLiteral("Новое имя").toUtf8()));
        }
    }

    void emptyControllerGetsTheBasePlan()
    {
        LinkHarness h;
        FrameLog frames(&h.transport);
        SimulatedController *c = h.signedInController();
        QVERIFY(c);
        QVERIFY(h.tickUntil([&frames] { return frames.count(int(Opcode::CommitImage)) == 1; }, 300));
        QVERIFY(c->storedImageLength() > ImageHeaderSize);
    }

    // A's upload is cut off by a lost link; signing in to B must not carry A's plan over.
    void pendingUploadStaysWithItsController()
    {
        LinkHarness h;
        FrameLog frames(&h.transport);
        const QByteArray body = richBody();
        SimulatedController *a = h.signedInController(body, 0xA1);
        QVERIFY(a);
        controllerState().sockets[0].name = QStringLiteral("Только для A");
        controllerState().uploadRequest = true;
        a->faults().disconnectAfterFrames = 1;  // the first chunk goes, then the link drops
        QVERIFY(h.tickUntil([] { return exchange().linkState == LinkState::Discovering; }, 100));
        QVERIFY(exchange().uploadUnconfirmed || controllerState().uploadRequest);

        h.transport.setInRange(a, false);
        SimulatedController *b = h.addController(QStringLiteral("VS-REZ-02"), 0xB2);
        createSimAccount(b, "grower", "green42");
        b->installImage(body);
        const QByteArray bBefore = b->memory();
        // the scan runs out without A; the next one offers B
        QVERIFY(h.tickUntil([&h] {
            h.transport.finishScan();
            return h.view.deviceId == QStringLiteral("00:00:00:00:00:B2");
        }, 200));
        QVERIFY(h.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        QCOMPARE(exchange().linkAddress, quint64(0xB2));
        frames.clear();
        QVERIFY(h.reachIdle());
        h.tick(60);
        QCOMPARE(frames.count(int(Opcode::WriteImage)), 0);
        QCOMPARE(b->memory(), bBefore);
        QVERIFY(controllerState().sockets[0].name != QStringLiteral("Только для A"));
    }

    void oversizePlanIsRefusedAndKept()
    {
        LinkHarness h;
        FrameLog frames(&h.transport);
        SimulatedController *c = h.signedInController(richBody());
        QVERIFY(c);
        const QByteArray before = c->memory();
        ControllerState &state = controllerState();
        makeLargeEditedPlan(state, 40, 80);
        state.uploadRequest = true;
        h.tick(40);
        QCOMPARE(frames.count(int(Opcode::WriteImage)), 0);
        QCOMPARE(c->memory(), before);
        QVERIFY(h.notes.asked.contains(QStringLiteral("План слишком велик для памяти контроллера<p>Сократите сценарии: ничего не записано")));
        QCOMPARE(state.scenarios.size(), 41);  // the plan stays in the program
        QVERIFY(exchange().heldBody.isEmpty());
    }

    void stalledPhaseEndsInDiscovery_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::newRow("service discovery") << QStringLiteral("services");
        QTest::newRow("details discovery") << QStringLiteral("details");
        QTest::newRow("sign-in reply") << QStringLiteral("signin");
    }

    // Silence in any phase of connecting ends the attempt: the waiting note gives way to one line
    // saying so, the form is back, and the next "Вход" works.
    void stalledPhaseEndsInDiscovery()
    {
        QFETCH(QString, phase);
        LinkHarness h;
        SimulatedController *c = h.addController();
        createSimAccount(c, "grower", "green42");
        if (phase == QLatin1String("services"))
            c->faults().stallServiceDiscovery = true;
        else if (phase == QLatin1String("details"))
            c->faults().stallDetailsDiscovery = true;
        else
            c->faults().dropReplies = 1;
        QVERIFY(h.discover());
        h.link->sendAccountCommand(QStringLiteral("grower"), QStringLiteral("green42"), 0);
        QCOMPARE(h.notes.open, QStringLiteral("Авторизация"));
        QVERIFY(h.tickUntil([] { return exchange().linkState >= LinkState::DiscoveringServices; }, 60));
        QVERIFY(h.tickUntil([] { return exchange().linkState <= LinkState::Discovering; }, 120));
        QCOMPARE(h.notes.open, QStringLiteral("Контроллер не отвечает"));
        QCOMPARE(h.notes.flags, int(NoteClose::AfterTicks));
        QVERIFY(!h.view.workView);

        c->faults() = SimFaults();
        QVERIFY(h.discover(40));
        QVERIFY(h.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        QVERIFY(h.reachIdle());
    }

    void adapterProblemIsShownAndClears()
    {
        LinkHarness h;
        h.transport.setAdapterAvailable(false);
        h.addController();
        h.tick(3);
        QVERIFY(h.view.adapterProblem);
        QCOMPARE(h.view.mode, int(SignInMode::Offline));
        h.transport.setAdapterAvailable(true);
        // discovery tries again after one period and finds the controller
        QVERIFY(h.tickUntil([&h] { return h.view.mode != SignInMode::Offline; }, 120));
        QVERIFY(!h.view.adapterProblem);
    }

    void cachedDeviceIsNotOffered()
    {
        LinkHarness h;
        SimulatedController *c = h.addController();
        h.transport.setCachedOnly(c, true);
        h.tick(10);
        QCOMPARE(h.view.mode, int(SignInMode::Offline));
        h.transport.setCachedOnly(c, false);
        h.transport.finishScan();
        QVERIFY(h.discover(40));
    }

    void changedAdvertisementReachesTheForm()
    {
        LinkHarness h;
        SimulatedController *c = h.addController();
        QVERIFY(h.discover());
        QCOMPARE(h.view.mode, int(SignInMode::CreateAccount));
        // someone makes the account on the box while this scan goes on
        createSimAccount(c, "grower", "green42");
        h.transport.advertiseAgain(c);
        QVERIFY(h.tickUntil([&h] { return h.view.mode == SignInMode::SignIn; }, 10));
        QCOMPARE(h.view.login, QStringLiteral("grower"));
    }

    // The service reported last is tried first; it is only probed, and the command service alone
    // is discovered with its values read.
    void otherServicesAreProbedWithoutReadingValues()
    {
        LinkHarness h;
        SimulatedController *c = h.addController();
        c->setExtraService(true);
        createSimAccount(c, "grower", "green42");
        QVERIFY(h.discover());
        QVERIFY(h.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        QCOMPARE(c->valueReads(), 1);
    }
};

QTEST_GUILESS_MAIN(TestExchangeSequencer)
#include "tst_exchangesequencer.moc"
