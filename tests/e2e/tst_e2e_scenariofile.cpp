#include <QDialog>
#include <QDirIterator>
#include <QJsonObject>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "richstate.h"
#include "app/demoseed.h"
#include "commentanswer.h"
#include "cycle/daycard.h"
#include "cycle/planchangequestion.h"
#include "cycle/workcyclesettingsform.h"
#include "e2efixture.h"
#include "framelog.h"
#include "switchcontroller.h"
#include "model/codec/configimage.h"
#include "model/files/daycomments.h"
#include "model/files/filewrite.h"
#include "model/plan/pendingplan.h"
#include "model/files/scenariofile.h"
#include "model/codec/statejson.h"
#include "model/files/workfolders.h"
#include "widgets/dialogs.h"

namespace {
constexpr int OpWriteImage = 0x05;
constexpr int OpCommitImage = 0x06;

QByteArray richImage()
{
    return RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
}

// The decoded plan of an image body without its start, and the start apart.
QJsonObject planWithoutStart(const QByteArray &body, QDateTime *start)
{
    ControllerState s;
    s.resetToEmptyForm();
    const DecodeResult result = decodeConfigImage(s, body);
    linkTimerRows(s);
    *start = s.startTime;
    QJsonObject json = stateToJson(s, result);
    QJsonObject cycle = json.value(QStringLiteral("workCycle")).toObject();
    cycle.remove(QStringLiteral("start"));
    cycle.remove(QStringLiteral("startSeconds"));
    json.insert(QStringLiteral("workCycle"), cycle);
    return json;
}

QByteArray storedBody(SimulatedController *c)
{
    return c->storedImage().mid(64);
}

// A 24-hour cycle keeps its time of day and starts today, or tomorrow once that has passed.
QDateTime movedStart(const QDateTime &fileStart)
{
    QDateTime moved(Clock::now().date(), fileStart.time());
    return moved < Clock::now() ? moved.addDays(1) : moved;
}

bool hasDot(WorkCycleSettingsForm *page, int day)
{
    return page->cards().value(day) && page->cards().at(day)->text().contains(QStringLiteral("#3FDD78"));
}

// Every note file of every controller (and any shared one), with its content: what a load may
// change on disk.
QByteArray notesOnDisk()
{
    QByteArray all;
    for (const QString &root : {WorkFolders::commentsPath(), WorkFolders::generalCommentsPath()}) {
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        QStringList paths;
        while (it.hasNext())
            paths << it.next();
        paths.sort();
        for (const QString &path : std::as_const(paths)) {
            QByteArray data;
            readWholeFile(path, &data);
            all += path.toUtf8() + '=' + data + ';';
        }
    }
    return all;
}

// The grower's own notes of the controller signed in to.
void writeOwnNotes()
{
    QVERIFY(dayComments().saveComment(2, QStringLiteral("своя заметка")).isEmpty());
    QVERIFY(dayComments().saveDescription(QStringLiteral("свой план")).isEmpty());
}

// A scenario file of the rich plan with a note on day 1 and a description.
QString writeOtherFile(const QString &folder, const QString &name = QStringLiteral("other.scn"))
{
    ScenarioFileContent content;
    content.image = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
    content.index = "1,0\n";
    content.notes = {{0, QByteArray("pH 6.0")}};
    content.description = "План с другого бокса";
    const QString path = folder + QLatin1Char('/') + name;
    writeWholeFile(path, writeScenarioFile(content));
    return path;
}

// The file's notes are the ones in use.
bool fileNotesInUse()
{
    const DayComments &c = dayComments();
    return c.commentFiles.keys() == QList<int>{1} && c.commentText(1) == QStringLiteral("pH 6.0")
           && c.descriptionText == QStringLiteral("План с другого бокса");
}

// Loads the file with the plan question answered yes.
void loadFile(E2EFixture &f, const QString &path)
{
    Dialogs::scriptFileName(path);
    Dialogs::scriptExecResult(QDialog::Accepted);
    f.window->workCycleForm()->on_loadscenario_released();
}

// Keeps the exchange busy: the next status reply is lost, so the poll waits for its timeout.
bool holdTheExchange(E2EFixture &f, SimulatedController *c)
{
    c->faults().dropReplies = 1;
    return f.tickUntil([] { return exchange().exchangeStep == ExchangeStep::Polling; }, 20);
}

} // namespace

// Scenario files with the whole program against the simulated controller.
class TestE2EScenarioFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;


private slots:
    void init() { m_dir.reset(new TempWorkDir); }
    void cleanup() { m_dir.reset(); }

    void loadedPlanReachesController_data()
    {
        QTest::addColumn<bool>("uploadPending");
        QTest::addColumn<bool>("whilePolling");
        QTest::addColumn<bool>("wholeBlocks");  // the image as another writer stores it: the block read
        QTest::newRow("idle") << false << false << false;
        // the load waits until the status request under way is answered or timed out
        QTest::newRow("while polling") << false << true << false;
        // a change of the page still on its way out goes first; the file's plan follows
        QTest::newRow("upload pending") << true << false << false;
        // erased flash after the image's padding is not part of the plan
        QTest::newRow("image of whole blocks") << false << false << true;
    }
    // A box running another plan takes the file's plan exactly, with the start moved to today.
    void loadedPlanReachesController()
    {
        QFETCH(bool, uploadPending);
        QFETCH(bool, whilePolling);
        QFETCH(bool, wholeBlocks);
        E2EFixture f;
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        ScenarioFileContent content;
        content.image = richImage();
        if (wholeBlocks)
            content.image.append(QByteArray(1024 - content.image.size(), '\xFF'));
        content.index = "1,0\n";
        content.notes = {{0, QByteArray("pH 6.0")}};
        content.description = "План с другого бокса";
        const QString path = m_dir->path() + QStringLiteral("/other.scn");
        QVERIFY(writeWholeFile(path, writeScenarioFile(content)));

        FrameLog frames(f.transport.get());
        Dialogs::scriptFileName(path);
        WorkCycleSettingsForm *page = f.window->workCycleForm();
        controllerState().uploadRequest = uploadPending;
        if (whilePolling) {
            c->faults().dropReplies = 1;
            QVERIFY(f.tickUntil([] { return exchange().exchangeStep == ExchangeStep::Polling; }, 20));
        }
        QStringList asked;
        Dialogs::scriptExecResult(QDialog::Accepted, [&asked](QDialog *question) {
            const auto *changes = question->findChild<QListWidget *>(QLatin1String(PlanChangeQuestion::ListName));
            for (int i = 0; changes && i < changes->count(); ++i)
                asked << changes->item(i)->text();
        });
        page->on_loadscenario_released();
        // the question compared the file with the plan this controller holds
        QVERIFY2(asked.join(u'|').contains(QStringLiteral("Количество циклов: 30 → 4")), qPrintable(asked.join(u'|')));
        const int commits = uploadPending ? 2 : 1;
        QVERIFY(f.tickUntil([&frames, commits] { return frames.count(OpCommitImage) == commits; }, 800));
        QVERIFY(f.reachIdle());
        QCOMPARE(exchange().pageRequest, PageRequest::None);

        QDateTime fileStart;
        QDateTime controllerStart;
        const QJsonObject expected = planWithoutStart(richImage(), &fileStart);
        QCOMPARE(planWithoutStart(storedBody(c), &controllerStart), expected);
        QCOMPARE(controllerStart, movedStart(fileStart));
        QCOMPARE(controllerState().startTime, controllerStart);

        QCOMPARE(page->cards().size(), 4);
        QVERIFY(hasDot(page, 1));
        QCOMPARE(dayComments().descriptionText, QStringLiteral("План с другого бокса"));
    }

    // Select a day, note it, describe the plan, save; delete the note; load the file back.
    void saveDeleteLoadBack()
    {
        E2EFixture f;
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        WorkCycleSettingsForm *page = f.window->workCycleForm();
        exchange().pageRequest = PageRequest::ShowCalendar;
        f.tick();
        QCOMPARE(f.window->currentPage(), page);
        QCOMPARE(page->cards().size(), 30);

        QTest::mouseClick(page->cards().at(4), Qt::LeftButton);
        answerCommentDialog(QStringLiteral("первые всходы"), "save");
        page->on_createcomment_released();
        page->clearSelection(true);
        answerCommentDialog(QStringLiteral("Базилик"), "save");
        page->on_createcomment_released();
        QVERIFY(hasDot(page, 4));

        const QString name = m_dir->path() + QStringLiteral("/basil");
        Dialogs::scriptFileName(name);
        page->on_uploadscenario_released();
        QCOMPARE(f.noteText(), QStringLiteral("Сценарий сохранен"));
        closeNote();
        QVERIFY(QFile::exists(name + QStringLiteral(".scn")));
        QVERIFY(QFile::exists(name + QStringLiteral(".txt")));

        QTest::mouseClick(page->cards().at(4), Qt::LeftButton);
        answerCommentDialog(QString(), "delete_2");
        page->on_createcomment_released();
        page->clearSelection(true);
        answerCommentDialog(QString(), "delete_2");
        page->on_createcomment_released();
        QVERIFY(!hasDot(page, 4));
        QVERIFY(!dayComments().hasDescription);

        FrameLog frames(f.transport.get());
        Dialogs::scriptFileName(name + QStringLiteral(".scn"));
        Dialogs::scriptExecResult(QDialog::Accepted);
        page->on_loadscenario_released();
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 400));
        QVERIFY(f.reachIdle());
        QVERIFY(hasDot(page, 4));
        QCOMPARE(dayComments().descriptionText, QStringLiteral("Базилик"));
        QCOMPARE(page->findChild<QPushButton *>(QStringLiteral("createcomment"))->text(), QStringLiteral("Описание сценария"));
        QDateTime start;
        QDateTime fileStart;
        QCOMPARE(planWithoutStart(storedBody(c), &start), planWithoutStart(DemoSeed::imageBody(), &fileStart));
        QCOMPARE(start, movedStart(fileStart));
    }

    // The work-cycle fields follow the link: filled from the decoded plan, emptied when it drops.
    void fieldsFollowTheLink()
    {
        E2EFixture f;
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        WorkCycleSettingsForm *page = f.window->workCycleForm();
        auto *count = page->findChild<QLineEdit *>(QStringLiteral("lenday"));
        QCOMPARE(count->text(), QStringLiteral("30"));
        QCOMPARE(page->cards().size(), 30);
        c->faults().disconnectAfterFrames = 1;
        QVERIFY(f.tickUntil([] { return exchange().linkState != LinkState::SignedIn; }, 50));
        QCOMPARE(count->text(), QString());
        QVERIFY(page->cards().isEmpty());
    }

    // A plan the program read only in part is not written over by changes made here; a whole
    // plan from a file, chosen for it, replaces it.
    void partlyReadPlanIsReplacedOnlyByAFile()
    {
        E2EFixture f;
        QByteArray partial = DemoSeed::imageBody() + QByteArray("\x07\x01", 2);
        partial += QByteArray(64 - partial.size() % 64, '\0');
        SimulatedController *c = f.signedInController(partial);
        QVERIFY(c);
        const QByteArray before = c->storedImage();
        FrameLog frames(f.transport.get());
        controllerState().sockets[2].name = QStringLiteral("Насос");
        controllerState().uploadRequest = true;
        f.tick(40);
        QCOMPARE(frames.count(OpWriteImage), 0);
        QCOMPARE(c->storedImage(), before);

        ScenarioFileContent content;
        content.image = richImage();
        const QString path = m_dir->path() + QStringLiteral("/whole.scn");
        QVERIFY(writeWholeFile(path, writeScenarioFile(content)));
        Dialogs::scriptFileName(path);
        Dialogs::scriptExecResult(QDialog::Accepted);
        f.window->workCycleForm()->on_loadscenario_released();
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 800));
        QVERIFY(f.reachIdle());
        QDateTime fileStart;
        QDateTime controllerStart;
        QCOMPARE(planWithoutStart(storedBody(c), &controllerStart), planWithoutStart(richImage(), &fileStart));
        // and the plan now read whole takes the user's changes again
        controllerState().sockets[2].name = QStringLiteral("Насос");
        controllerState().uploadRequest = true;
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 2; }, 800));
        QVERIFY(storedBody(c).contains(QStringLiteral("Насос").toUtf8()));
    }

    // The happy path: the file's notes replace the grower's only once the controller confirmed
    // the plan they belong to, not while it is on its way.
    void notesFollowTheConfirmedPlan()
    {
        E2EFixture f;
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        writeOwnNotes();
        const QByteArray own = notesOnDisk();
        const QString path = writeOtherFile(m_dir->path());
        FrameLog frames(f.transport.get());
        QByteArray atCommit;
        QObject::connect(f.transport.get(), &SimTransport::frameWritten, f.window.get(),
                         [&atCommit](SimulatedController *, const QByteArray &frame) {
                             if (frame.size() > 1 && quint8(frame.at(1)) == OpCommitImage)
                                 atCommit = notesOnDisk();
                         });
        loadFile(f, path);
        QCOMPARE(notesOnDisk(), own);
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpWriteImage) > 0; }, 100));
        QCOMPARE(notesOnDisk(), own);
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 800));
        QCOMPARE(atCommit, own);  // the plan written and read back, the commit going out: not yet
        QVERIFY(f.tickUntil([] { return fileNotesInUse(); }, 100));
        QVERIFY(f.reachIdle());
        QVERIFY(hasDot(f.window->workCycleForm(), 1));
        QVERIFY(!hasDot(f.window->workCycleForm(), 2));
        QDateTime fileStart;
        QDateTime controllerStart;
        QCOMPARE(planWithoutStart(storedBody(c), &controllerStart), planWithoutStart(richImage(), &fileStart));
        QVERIFY(!pendingPlan().isWaiting());
        QVERIFY(!pendingPlan().notesPending());
    }

    // The link is lost while the load waits for the exchange: it is cancelled with a note naming
    // the file, nothing on disk changes and nothing is written after the next sign-in.
    void waitingLoadCancelledWhenTheLinkIsLost()
    {
        E2EFixture f;
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        writeOwnNotes();
        const QByteArray own = notesOnDisk();
        const QByteArray before = c->storedImage();
        const QString path = writeOtherFile(m_dir->path());
        QVERIFY(holdTheExchange(f, c));
        loadFile(f, path);
        QVERIFY(pendingPlan().isWaiting());
        f.tick();
        QVERIFY(pendingPlan().isWaiting());
        FrameLog frames(f.transport.get());
        f.transport->setInRange(c, false);
        QVERIFY(f.tickUntil([&f] { return f.linkState() == LinkState::Discovering; }, 20));
        QCOMPARE(f.noteText(), QStringLiteral("Сценарий не загружен: нет связи с контроллером<p>other.scn"));
        QVERIFY(!pendingPlan().isWaiting());
        QCOMPARE(notesOnDisk(), own);

        f.transport->setInRange(c, true);
        f.transport->finishScan();
        QVERIFY(f.discover());
        QVERIFY(f.signIn(QStringLiteral("grower"), QStringLiteral("green42")));
        QVERIFY(f.reachIdle());
        f.tick(60);
        QCOMPARE(frames.count(OpWriteImage), 0);
        QCOMPARE(c->storedImage(), before);
        QCOMPARE(notesOnDisk(), own);
        QCOMPARE(dayComments().commentText(2), QStringLiteral("своя заметка"));
        QCOMPARE(dayComments().descriptionText, QStringLiteral("свой план"));
    }

    // Another page request while the load waits does not drop it: the plan is written and its
    // notes follow.
    void waitingLoadOutlivesOtherPageRequests_data()
    {
        QTest::addColumn<QString>("request");
        QTest::newRow("Создать сценарий") << QStringLiteral("setsc");
        QTest::newRow("devices page") << QStringLiteral("devices");
        QTest::newRow("calendar") << QStringLiteral("calendar");
    }
    void waitingLoadOutlivesOtherPageRequests()
    {
        QFETCH(QString, request);
        E2EFixture f;
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        writeOwnNotes();
        const QByteArray own = notesOnDisk();
        const QString path = writeOtherFile(m_dir->path());
        WorkCycleSettingsForm *page = f.window->workCycleForm();
        exchange().pageRequest = PageRequest::ShowCalendar;
        f.tick();
        QCOMPARE(f.window->currentPage(), page);
        QVERIFY(holdTheExchange(f, c));
        FrameLog frames(f.transport.get());
        loadFile(f, path);
        if (request == QStringLiteral("setsc")) {
            QTest::mouseClick(page->cards().at(3), Qt::LeftButton);
            page->findChild<QPushButton *>(QStringLiteral("setsc"))->click();
            QCOMPARE(exchange().pageRequest, PageRequest::OpenScenarioForDays);
        } else {
            exchange().pageRequest = request == QStringLiteral("devices") ? PageRequest::ShowDevices : PageRequest::ShowCalendar;
        }
        f.tick();
        QCOMPARE(exchange().pageRequest, PageRequest::None);  // the other request was carried out
        QVERIFY(pendingPlan().isWaiting());   // and the plan still waits
        QCOMPARE(notesOnDisk(), own);
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 800));
        QVERIFY(f.tickUntil([] { return fileNotesInUse(); }, 100));
        QVERIFY(f.reachIdle());
        QDateTime fileStart;
        QDateTime controllerStart;
        QCOMPARE(planWithoutStart(storedBody(c), &controllerStart), planWithoutStart(richImage(), &fileStart));
    }

    // The write of the plan's commit is never confirmed: the notes stay the grower's.
    // (Needs the sequencer to announce a written image only once the commit's write was
    // acknowledged.)
    void unconfirmedCommitLeavesTheNotes()
    {
        E2EFixture f;
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        writeOwnNotes();
        const QByteArray own = notesOnDisk();
        const QString path = writeOtherFile(m_dir->path());
        FrameLog frames(f.transport.get());
        // from the commit on, no write is confirmed any more
        QObject::connect(f.transport.get(), &SimTransport::frameWritten, f.window.get(),
                         [](SimulatedController *controller, const QByteArray &frame) {
                             if (frame.size() > 1 && quint8(frame.at(1)) == OpCommitImage)
                                 controller->faults().dropConfirmations = 1000000;
                         });
        loadFile(f, path);
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 800));
        f.tick(300);
        QCOMPARE(notesOnDisk(), own);
        QVERIFY(!fileNotesInUse());
        QCOMPARE(dayComments().commentText(2), QStringLiteral("своя заметка"));
    }

    // The link drops while the plan is being written: the upload is redone after the next
    // sign-in to the same controller, and the notes follow once that is confirmed.
    void interruptedUploadRedoneNotesFollow()
    {
        E2EFixture f;
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        writeOwnNotes();
        const QByteArray own = notesOnDisk();
        const QString path = writeOtherFile(m_dir->path());
        FrameLog frames(f.transport.get());
        loadFile(f, path);
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpWriteImage) == 1; }, 100));
        c->faults().disconnectAfterFrames = 1;  // the link drops after the next chunk
        QVERIFY(f.tickUntil([&f] { return f.linkState() == LinkState::Discovering; }, 100));
        QCOMPARE(frames.count(OpCommitImage), 0);
        QCOMPARE(notesOnDisk(), own);
        QVERIFY(pendingPlan().notesPending());

        QVERIFY(signInToController(f, c, c));
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 800));
        QVERIFY(f.tickUntil([] { return fileNotesInUse(); }, 100));
        QVERIFY(f.reachIdle());
        QDateTime fileStart;
        QDateTime controllerStart;
        QCOMPARE(planWithoutStart(storedBody(c), &controllerStart), planWithoutStart(richImage(), &fileStart));
        QVERIFY(hasDot(f.window->workCycleForm(), 1));
    }

    // Signed in to another controller after the link dropped mid-upload: the pending notes go
    // with the pending upload; neither controller's notes change.
    void anotherControllerDropsThePendingNotes()
    {
        E2EFixture f;
        SimulatedController *a = f.signedInController(DemoSeed::imageBody());
        QVERIFY(a);
        SimulatedController *b = f.addController(QStringLiteral("VS-REZ-02"), 0x0A0B0C0D0E02ULL);
        createSimAccount(b, "grower", "green42");
        b->installImage(DemoSeed::imageBody());
        writeOwnNotes();
        const QByteArray own = notesOnDisk();
        const QByteArray bBefore = b->storedImage();
        const QString path = writeOtherFile(m_dir->path());
        FrameLog frames(f.transport.get());
        loadFile(f, path);
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpWriteImage) == 1; }, 100));
        a->faults().disconnectAfterFrames = 1;
        QVERIFY(f.tickUntil([&f] { return f.linkState() == LinkState::Discovering; }, 100));

        QVERIFY(signInToController(f, a, b));
        QVERIFY(!pendingPlan().notesPending());
        QVERIFY(dayComments().commentFiles.isEmpty());  // b has notes of its own: none
        f.tick(100);
        QCOMPARE(frames.count(OpCommitImage), 0);
        QCOMPARE(b->storedImage(), bBefore);
        QCOMPARE(notesOnDisk(), own);

        // back to a: its upload went with the other sign-in, its notes are the grower's
        QVERIFY(signInToController(f, b, a));
        f.tick(60);
        QCOMPARE(frames.count(OpCommitImage), 0);
        QCOMPARE(notesOnDisk(), own);
        QCOMPARE(dayComments().commentText(2), QStringLiteral("своя заметка"));
    }

    // A damaged file never reaches the controller.
    void damagedFileSendsNothing()
    {
        E2EFixture f;
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        const QByteArray before = c->storedImage();
        ScenarioFileContent content;
        content.image = richImage().left(200);
        const QString path = m_dir->path() + QStringLiteral("/cut.scn");
        QVERIFY(writeWholeFile(path, writeScenarioFile(content)));
        FrameLog frames(f.transport.get());
        Dialogs::scriptFileName(path);
        f.window->workCycleForm()->on_loadscenario_released();
        QCOMPARE(f.noteText(), QStringLiteral("Файл сценария поврежден<p>cut.scn"));
        f.tick(50);
        QCOMPARE(frames.count(OpWriteImage), 0);
        QCOMPARE(c->storedImage(), before);
    }
};

QTEST_MAIN(TestE2EScenarioFile)
#include "tst_e2e_scenariofile.moc"
