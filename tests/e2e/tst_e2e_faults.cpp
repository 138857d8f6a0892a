#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "app/demoseed.h"
#include "e2efixture.h"
#include "framelog.h"
#include "link/exchangesequencer.h"
#include "link/frames.h"
#include "sim/simimage.h"

// Faults a real radio produces (lost acknowledgements, short reads, silence, a lost link) against
// the whole program: the plan on the controller is kept, never half-written, and every wait ends.
namespace {

constexpr int OpWriteImage = 0x05;
constexpr int OpCommitImage = 0x06;
constexpr int OpSetRunState = 0x0A;
constexpr int OpSignIn = 0x0E;
constexpr int OpGetStatus = 0x0F;
constexpr int PumpProgram = 7; // the relay on input 4 (index 3)

// Runs `action` on the controller once, when the program writes the first frame of `opcode`.
struct OnFrame
{
    QMetaObject::Connection connection;
    bool fired = false;
    OnFrame(SimTransport *transport, int opcode, const std::function<void(SimulatedController *)> &action, bool once = true)
    {
        connection = QObject::connect(transport, &SimTransport::frameWritten, transport,
                                      [this, opcode, action, once](SimulatedController *c, const QByteArray &frame) {
                                          if (frame.size() < 2 || quint8(frame.at(1)) != opcode || (once && fired))
                                              return;
                                          fired = true;
                                          action(c);
                                      });
    }
    ~OnFrame() { QObject::disconnect(connection); }
};

QList<int> pumpTimerStarts(SimulatedController *c)
{
    QList<int> starts;
    for (const SimScenario &sc : c->runningImage().scenarios)
        for (const SimTimer &t : sc.programs.value(PumpProgram).timers)
            starts << t.start;
    return starts;
}

bool noteShown(E2EFixture &f, const QString &text) { return f.noteText().contains(text); }

// Someone paused the work on the box before the program came (another client, a grower at it).
void pauseOnTheBox(SimulatedController *c)
{
    c->receiveFrame(buildFrame(Opcode::SetRunState, setRunStatePayload(0)));
}

} // namespace

class TestE2EFaults : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

private slots:
    void init() { m_dir.reset(new TempWorkDir); }
    void cleanup()
    {
        Dialogs::clearScript();
        m_dir.reset();
    }

    // Moving the start of a 24-hour plan shifts its timers once; a retried upload must not write
    // them unshifted (or shifted twice).
    void retriedUploadShiftsTimersOnce_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("none") << QString();
        QTest::newRow("chunk acknowledgement lost") << QStringLiteral("ack");
        QTest::newRow("commit acknowledgement lost") << QStringLiteral("commit");
        QTest::newRow("link lost during the upload") << QStringLiteral("link");
    }
    void retriedUploadShiftsTimersOnce()
    {
        QFETCH(QString, fault);
        E2EFixture f;
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        QCOMPARE(pumpTimerStarts(c), (QList<int>{30, 60}));

        std::unique_ptr<OnFrame> inject;
        if (fault == QLatin1String("ack"))
            inject.reset(new OnFrame(f.transport.get(), OpWriteImage, [](SimulatedController *sc) { sc->faults().dropReplies = 1; }));
        else if (fault == QLatin1String("commit"))
            inject.reset(new OnFrame(f.transport.get(), OpCommitImage, [](SimulatedController *sc) { sc->faults().dropConfirmations = 1; }));
        else if (fault == QLatin1String("link"))
            inject.reset(new OnFrame(f.transport.get(), OpWriteImage, [](SimulatedController *sc) { sc->faults().disconnectAfterFrames = 1; }));

        // the start moves from 06:00 to 08:00: the timers count two hours less from it
        ControllerState &s = controllerState();
        s.editedStartTime = QDateTime(Clock::now().date().addDays(1), QTime(8, 0));
        s.uploadRequest = true;
        if (fault == QLatin1String("link")) {
            QVERIFY(f.tickUntil([&f] { return f.linkState() != LinkState::SignedIn; }, 200));
            QVERIFY(f.tickUntil([&f] { return f.form()->mode() == regform::SignIn; }, 200));
            QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        }
        QVERIFY(f.tickUntil([c] { return pumpTimerStarts(c) != QList<int>{30, 60}; }, 1500));
        QVERIFY(f.reachIdle());
        f.tick(20);
        QCOMPARE(pumpTimerStarts(c), (QList<int>{30 - 120 + 1440, 60 - 120 + 1440}));
        QCOMPARE(QDateTime::fromSecsSinceEpoch(c->runningImage().startSeconds, Qt::UTC).time(), QTime(8, 0));
    }

    // A short or missing status record says nothing of the image: the base plan is never written
    // over the controller's plan because of it.
    void shortStatusNeverWritesTheBasePlan_data()
    {
        QTest::addColumn<int>("shortRecords");
        QTest::addColumn<bool>("givesUp");
        QTest::newRow("cached value short") << 1 << false;
        QTest::newRow("cached value and one status reply short") << 2 << false;
        QTest::newRow("never a whole record") << 1000 << true;
    }
    void shortStatusNeverWritesTheBasePlan()
    {
        QFETCH(int, shortRecords);
        QFETCH(bool, givesUp);
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.addController();
        createSimAccount(c, "grower", "green42");
        c->installImage(DemoSeed::imageBody());
        const QByteArray before = c->storedImage();
        c->faults().shortStatus = shortRecords;
        QVERIFY(f.discover());
        QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        if (givesUp) {
            QVERIFY(f.tickUntil([&f] { return noteShown(f, QStringLiteral("Контроллер не отвечает")); }, 400));
            QVERIFY(f.linkState() != LinkState::SignedIn);
        } else {
            QVERIFY(f.reachIdle());
            QCOMPARE(controllerState().cycleCount, 30);
        }
        f.tick(30);
        QCOMPARE(frames.count(OpWriteImage), 0);
        QCOMPARE(c->storedImage(), before);
    }

    // "Saved" is the controller's acknowledgement of the commit: until then nothing counts as
    // written, and a commit never acknowledged is reported and redone after the next sign-in.
    void commitCountsOnlyWhenAcknowledged()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        QSignalSpy written(f.window->sequencer(), &ExchangeSequencer::imageWritten);
        // every commit's write goes unacknowledged (the controller takes it, the answer is lost)
        OnFrame inject(f.transport.get(), OpCommitImage, [](SimulatedController *sc) { sc->faults().dropConfirmations = 1; }, false);
        controllerState().sockets[1].name = QStringLiteral("Вытяжка");
        controllerState().uploadRequest = true;
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 300));
        QCOMPARE(written.count(), 0);
        QVERIFY(exchange().uploadUnconfirmed);
        QVERIFY(f.tickUntil([&f] { return noteShown(f, QStringLiteral("Контроллер не отвечает")); }, 1500));
        QCOMPARE(written.count(), 0);
        QVERIFY(exchange().uploadUnconfirmed);
        QCOMPARE(frames.count(OpCommitImage), Attempts::Upload);
        // the status poll goes on
        frames.clear();
        f.tick(20);
        QVERIFY(frames.count(OpGetStatus) > 0);
        QCOMPARE(frames.count(OpWriteImage), 0);

        // the next sign-in redoes it, and this time the acknowledgement arrives
        QObject::disconnect(inject.connection);
        f.transport->setInRange(c, false);
        QVERIFY(f.tickUntil([&f] { return f.linkState() != LinkState::SignedIn; }, 50));
        f.transport->setInRange(c, true);
        QVERIFY(f.tickUntil([&f] { return f.form()->mode() == regform::SignIn; }, 200));
        QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        QVERIFY(f.tickUntil([&written] { return written.count() == 1; }, 800));
        QVERIFY(!exchange().uploadUnconfirmed);
        f.tick();
        QCOMPARE(controllerState().sockets[1].name, QStringLiteral("Вытяжка"));
    }

    // Silence ends every wait: the modal note closes, one line says the controller does not
    // answer, and nothing half-written is committed.
    void everyWaitEnds_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("maxTicks");
        QTest::newRow("sign-in never acknowledged") << QStringLiteral("signin") << 120;
        QTest::newRow("upload chunk never taken") << QStringLiteral("chunk") << 400;
        QTest::newRow("image blocks never ready") << QStringLiteral("blocks") << 1200;
    }
    void everyWaitEnds()
    {
        QFETCH(QString, fault);
        QFETCH(int, maxTicks);
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.addController();
        createSimAccount(c, "grower", "green42");
        c->installImage(DemoSeed::imageBody());
        const SimImage before = c->runningImage();
        QVERIFY(f.discover());
        std::unique_ptr<OnFrame> inject;
        if (fault == QLatin1String("signin")) {
            inject.reset(new OnFrame(f.transport.get(), OpSignIn, [](SimulatedController *sc) { sc->faults().dropConfirmations = 1; }));
            f.typeCredentials(QStringLiteral("grower"), QStringLiteral("green42"));
            f.pressLogin();
        } else if (fault == QLatin1String("blocks")) {
            c->faults().notReadyReads = 1000000;
            QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        } else {
            QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
            QVERIFY(f.reachIdle());
            inject.reset(new OnFrame(f.transport.get(), OpWriteImage, [](SimulatedController *sc) { sc->faults().notReadyReads = 1000000; }));
            controllerState().sockets[1].name = QStringLiteral("Вытяжка");
            controllerState().uploadRequest = true;
        }
        int ticks = 0;
        QVERIFY(f.tickUntil([&f, &ticks] { ++ticks; return noteShown(f, QStringLiteral("Контроллер не отвечает")); }, maxTicks));
        QVERIFY(currentNote());
        QCOMPARE(frames.count(OpCommitImage), 0);
        QCOMPARE(c->runningImage().scenarios.size(), before.scenarios.size());
        QCOMPARE(c->runningImage().startSeconds, before.startSeconds);
        if (fault == QLatin1String("chunk")) {
            // signed in still: the status poll resumes
            QCOMPARE(f.linkState(), LinkState::SignedIn);
            frames.clear();
            f.tick(20);
            QVERIFY(frames.count(OpGetStatus) > 0);
            QCOMPARE(frames.count(OpWriteImage), 0);
        } else {
            QVERIFY(f.tickUntil([&f] { return f.linkState() != LinkState::SignedIn && viewState().signInViewShown; }, 50));
        }
        qInfo("%s ended after %d ticks", qPrintable(fault), ticks);
    }

    // The program never switches the work on by itself: a paused box stays paused through a
    // sign-in and a decode. Only an empty controller's first plan starts it.
    void pausedBoxStaysPaused_data()
    {
        QTest::addColumn<bool>("pausedBeforeSignIn");
        QTest::newRow("paused here, then a socket renamed") << false;
        QTest::newRow("paused before the sign-in") << true;
    }
    void pausedBoxStaysPaused()
    {
        QFETCH(bool, pausedBeforeSignIn);
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.addController();
        createSimAccount(c, "grower", "green42");
        c->installImage(DemoSeed::imageBody());
        if (pausedBeforeSignIn)
            pauseOnTheBox(c);
        QVERIFY(f.discover());
        QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        QVERIFY(f.reachIdle());
        if (!pausedBeforeSignIn) {
            QVERIFY(c->isRunning());
            exchange().startStopChecked = RunRequest::Paused;
            QVERIFY(f.tickUntil([c] { return !c->isRunning(); }, 100));
        }
        QVERIFY(!c->isRunning());
        frames.clear();
        controllerState().sockets[0].name = QStringLiteral("Лампа 2");
        controllerState().uploadRequest = true;
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 400));
        QVERIFY(f.reachIdle());
        f.tick(60);
        QVERIFY(!c->isRunning());
        QCOMPARE(frames.count(OpSetRunState), 0);
    }

    void emptyControllerIsStartedWithItsFirstPlan()
    {
        E2EFixture f;
        SimulatedController *c = f.addController();
        createSimAccount(c, "grower", "green42");
        pauseOnTheBox(c);
        QVERIFY(!c->isRunning());
        QVERIFY(f.discover());
        QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        QVERIFY(f.tickUntil([c] { return c->storedImageLength() > 0 && c->isRunning(); }, 400));
    }

    // Closing the window while a plan is being written asks first; no keeps the window, yes
    // waits for the end.
    void closingWhileWritingAsks_data()
    {
        QTest::addColumn<bool>("wait");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void closingWhileWritingAsks()
    {
        QFETCH(bool, wait);
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        controllerState().sockets[1].name = QStringLiteral("Вытяжка");
        controllerState().uploadRequest = true;
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpWriteImage) >= 1; }, 50));
        QString asked;
        Dialogs::scriptExecResult(wait ? QDialog::Accepted : QDialog::Rejected, [&asked](QDialog *d) {
            if (auto *label = d->findChild<QLabel *>(QStringLiteral("closeQuestionText")))
                asked = label->text();
        });
        f.window->show();
        f.window->close();
        QVERIFY(asked.startsWith(QStringLiteral("Идёт запись настроек в контроллер…")));
        QVERIFY(f.window->isVisible());
        QVERIFY(!f.window->closing);
        if (!wait)
            return;
        QVERIFY(f.tickUntil([&f] { return f.window->closing; }, 400));
        QVERIFY(!exchange().uploadUnconfirmed);
        QCOMPARE(frames.count(OpCommitImage), 1);
    }
};

QTEST_MAIN(TestE2EFaults)
#include "tst_e2e_faults.moc"
