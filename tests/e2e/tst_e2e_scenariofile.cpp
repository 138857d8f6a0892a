#include <QDialog>
#include <QJsonObject>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "../model/richstate.h"
#include "app/demoseed.h"
#include "commentanswer.h"
#include "cycle/daycard.h"
#include "cycle/planchangequestion.h"
#include "cycle/workcyclesettingsform.h"
#include "e2efixture.h"
#include "framelog.h"
#include "model/configimage.h"
#include "model/daycomments.h"
#include "model/filewrite.h"
#include "model/scenariofile.h"
#include "model/statejson.h"
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
        QCOMPARE(exchange().pageRequest, 0);

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
        exchange().pageRequest = 3;
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
