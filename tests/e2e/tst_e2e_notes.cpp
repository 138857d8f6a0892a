#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTest>

#include "richstate.h"
#include "app/demoseed.h"
#include "commentanswer.h"
#include "cycle/daycard.h"
#include "cycle/workcyclesettingsform.h"
#include "e2efixture.h"
#include "framelog.h"
#include "switchcontroller.h"
#include "model/files/daycomments.h"
#include "model/files/filewrite.h"
#include "model/files/scenariofile.h"
#include "model/files/workfolders.h"
#include "widgets/dialogs.h"

namespace {
constexpr int OpCommitImage = 0x06;
constexpr quint64 AddressA = 0x0A0B0C0D0E01ULL;
constexpr quint64 AddressB = 0x0A0B0C0D0E02ULL;

bool hasDot(WorkCycleSettingsForm *page, int day)
{
    return page->cards().value(day) && page->cards().at(day)->text().contains(QStringLiteral("#3FDD78"));
}

void put(const QString &path, const QByteArray &content)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QVERIFY(writeWholeFile(path, content));
}

QByteArray contentOf(const QString &path)
{
    QByteArray data;
    readWholeFile(path, &data);
    return data;
}
} // namespace

// Day notes and the description belong to the controller they were written for, end to end.
class TestE2ENotes : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

    // Two boxes running the demo plan, both with the account grower / green42.
    static SimulatedController *box(E2EFixture &f, const QString &name, quint64 address)
    {
        SimulatedController *c = f.addController(name, address);
        createSimAccount(c, "grower", "green42");
        c->installImage(DemoSeed::imageBody());
        return c;
    }

    static void writeNote(E2EFixture &f, int day, const QString &text)
    {
        WorkCycleSettingsForm *page = f.window->workCycleForm();
        page->clearSelection(true);
        QTest::mouseClick(page->cards().at(day), Qt::LeftButton);
        answerCommentDialog(text, "save");
        page->on_createcomment_released();
        page->clearSelection(true);
    }

private slots:
    void init() { m_dir.reset(new TempWorkDir); }
    void cleanup() { m_dir.reset(); }

    // A second box does not show the first one's notes; loading a file on one leaves the other's.
    void twoControllersKeepSeparateNotes()
    {
        E2EFixture f;
        SimulatedController *a = box(f, QStringLiteral("VS-REZ-01"), AddressA);
        SimulatedController *b = box(f, QStringLiteral("VS-REZ-02"), AddressB);
        WorkCycleSettingsForm *page = f.window->workCycleForm();
        QVERIFY(signInToController(f, b, a));
        writeNote(f, 4, QStringLiteral("всходы на A"));
        QVERIFY(dayComments().saveDescription(QStringLiteral("план A")).isEmpty());
        QVERIFY(hasDot(page, 4));
        QCOMPARE(contentOf(WorkFolders::controllerCommentsPath(AddressA) + QStringLiteral("/0.txt")),
                 QStringLiteral("всходы на A").toUtf8());

        QVERIFY(signInToController(f, a, b));
        QVERIFY(dayComments().commentFiles.isEmpty());
        QVERIFY(!dayComments().hasDescription);
        QVERIFY(!hasDot(page, 4));
        writeNote(f, 7, QStringLiteral("подкормка на B"));
        QVERIFY(hasDot(page, 7));

        // a file loaded on b replaces b's notes once written, and only b's
        ScenarioFileContent content;
        content.image = RichState::fixture(testDataPath(QStringLiteral("model/rich-image.hex")));
        content.index = "1,0\n";
        content.notes = {{0, QByteArray("из файла")}};
        content.description = "описание из файла";
        const QString path = m_dir->path() + QStringLiteral("/file.scn");
        QVERIFY(writeWholeFile(path, writeScenarioFile(content)));
        FrameLog frames(f.transport.get());
        Dialogs::scriptFileName(path);
        Dialogs::scriptExecResult(QDialog::Accepted);
        page->on_loadscenario_released();
        QVERIFY(f.tickUntil([&frames] { return frames.count(OpCommitImage) == 1; }, 800));
        QVERIFY(f.tickUntil([] { return dayComments().commentText(1) == QStringLiteral("из файла"); }, 100));
        QVERIFY(f.reachIdle());
        QCOMPARE(dayComments().descriptionText, QStringLiteral("описание из файла"));

        QVERIFY(signInToController(f, b, a));
        QCOMPARE(dayComments().commentFiles.keys(), QList<int>{4});
        QCOMPARE(dayComments().commentText(4), QStringLiteral("всходы на A"));
        QCOMPARE(dayComments().descriptionText, QStringLiteral("план A"));
        QVERIFY(hasDot(page, 4));
    }

    // Notes kept by earlier versions for all controllers at once move to the first controller
    // signed in to after the update, and not to the second.
    void sharedNotesMoveToTheFirstControllerSignedIn()
    {
        put(QStringLiteral("comments/0.txt"), "посев");
        put(QStringLiteral("comments/1.txt"), "подкормка");
        put(QStringLiteral("comments/main.txt"), "2,0\n6,1\n");
        put(QStringLiteral("gencomments/maindescr.txt"), "Томаты");
        E2EFixture f;
        SimulatedController *a = box(f, QStringLiteral("VS-REZ-01"), AddressA);
        SimulatedController *b = box(f, QStringLiteral("VS-REZ-02"), AddressB);
        WorkCycleSettingsForm *page = f.window->workCycleForm();
        // before any sign-in nothing moves
        f.tick(3);
        QVERIFY(QFile::exists(QStringLiteral("comments/0.txt")));

        QVERIFY(signInToController(f, a, b));
        QCOMPARE(dayComments().commentFiles.keys(), (QList<int>{2, 6}));
        QCOMPARE(dayComments().commentText(6), QStringLiteral("подкормка"));
        QCOMPARE(dayComments().descriptionText, QStringLiteral("Томаты"));
        QVERIFY(hasDot(page, 2));
        QVERIFY(QDir(QStringLiteral("comments")).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(QDir(QStringLiteral("gencomments")).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QCOMPARE(contentOf(WorkFolders::controllerCommentsPath(AddressB) + QStringLiteral("/main.txt")), QByteArray("2,0\n6,1\n"));

        QVERIFY(signInToController(f, b, a));
        QVERIFY(dayComments().commentFiles.isEmpty());
        QVERIFY(!dayComments().hasDescription);
        QVERIFY(!hasDot(page, 2));

        QVERIFY(signInToController(f, a, b));
        QCOMPARE(dayComments().commentFiles.keys(), (QList<int>{2, 6}));
    }
};

QTEST_MAIN(TestE2ENotes)
#include "tst_e2e_notes.moc"
