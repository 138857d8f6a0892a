#include <QListWidget>
#include <QTableWidget>
#include <QTest>

#include "app/demoseed.h"
#include "cycle/planchangequestion.h"
#include "cycle/snapshotlist.h"
#include "e2efixture.h"
#include "framelog.h"
#include "model/plan/pendingplan.h"
#include "model/files/snapshotkeeper.h"

namespace {
constexpr int OpWriteImage = 0x05;
constexpr int OpCommitImage = 0x06;
constexpr quint64 Address = 0x0A0B0C0D0E01ULL;

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

// Snapshots against the simulated controller: kept on reading and on confirmed writing, once per
// plan, and written back through a question that shows the change.
class TestE2ESnapshots : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

    static QList<SnapshotEntry> snapshots(E2EFixture &f) { return f.window->snapshots()->store().list(Address); }

    static QByteArray heldByController(SimulatedController *c)
    {
        return c->memory().mid(64, c->storedImageLength() - 64);
    }

    // Changes socket 2's name and waits for the upload to be committed and decoded.
    static bool renameSocket(E2EFixture &f, FrameLog &frames, const QString &name)
    {
        const int commits = frames.count(OpCommitImage);
        controllerState().sockets[1].name = name;
        controllerState().uploadRequest = true;
        return f.tickUntil([&] { return frames.count(OpCommitImage) > commits; }, 400) && f.reachIdle();
    }

private slots:
    void init() { m_dir.reset(new TempWorkDir); }
    void cleanup() { m_dir.reset(); }

    void keptAndRestored()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        const QByteArray first = heldByController(c);
        const QString originalName = controllerState().sockets[1].name;

        // sign-in: the image read
        QList<SnapshotEntry> list = snapshots(f);
        QCOMPARE(list.size(), 1);
        QCOMPARE(contentOf(list.first().path), first);

        // a renamed socket: a second snapshot once the controller confirmed it
        QVERIFY(renameSocket(f, frames, QStringLiteral("Вытяжка")));
        list = snapshots(f);
        QCOMPARE(list.size(), 2);
        QCOMPARE(contentOf(list.first().path), heldByController(c));
        QVERIFY(contentOf(list.first().path).contains(QStringLiteral("Вытяжка").toUtf8()));

        // the same plan written again: no third snapshot
        f.tick(20);
        QVERIFY(renameSocket(f, frames, QStringLiteral("Вытяжка")));
        QCOMPARE(snapshots(f).size(), 2);

        // restore the first from the list; the question names the socket
        SnapshotList dialog(f.window->snapshots(), Address, f.window.get());
        QCOMPARE(dialog.table()->rowCount(), 2);
        QCOMPARE(dialog.table()->item(1, 4)->text().split(QStringLiteral(", ")).value(1), originalName);
        dialog.table()->selectRow(1);
        QStringList asked;
        Dialogs::scriptExecResult(QDialog::Accepted, [&asked](QDialog *question) {
            const auto *changes = question->findChild<QListWidget *>(QLatin1String(PlanChangeQuestion::ListName));
            for (int i = 0; changes && i < changes->count(); ++i)
                asked << changes->item(i)->text();
        });
        const int commits = frames.count(OpCommitImage);
        QVERIFY(dialog.restoreSelected());
        QCOMPARE(asked, (QStringList{QStringLiteral("Розетки"), QStringLiteral("    Розетка 2: «Вытяжка» → «%1»").arg(originalName)}));
        QVERIFY(f.tickUntil([&] { return frames.count(OpCommitImage) > commits; }, 400));
        QVERIFY(f.reachIdle());

        // exactly the first plan again, its start kept; it is the newest snapshot now, not a third
        QCOMPARE(heldByController(c), first);
        QCOMPARE(controllerState().sockets[1].name, originalName);
        list = snapshots(f);
        QCOMPARE(list.size(), 2);
        QCOMPARE(contentOf(list.first().path), first);
    }

    void restoreWaitsForTheUploadUnderWay()
    {
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        const QByteArray first = heldByController(c);
        controllerState().sockets[1].name = QStringLiteral("Вытяжка");
        controllerState().uploadRequest = true;
        QVERIFY(f.tickUntil([] { return exchange().exchangeStep == ExchangeStep::Uploading; }, 20));

        // what the list does once the question was answered
        QVERIFY(pendingPlan().choose(Address, QStringLiteral("first.img"), first, true, nullptr));
        f.tick();
        QVERIFY(pendingPlan().isWaiting()); // not taken in the middle of the upload
        // a page request meanwhile does not drop it
        exchange().pageRequest = PageRequest::ShowCalendar;
        f.tick();
        QVERIFY(pendingPlan().isWaiting());

        // the upload ends with its commit, then the snapshot goes out and is committed in turn
        QVERIFY(f.tickUntil([&] { return frames.count(OpCommitImage) == 2; }, 800));
        QVERIFY(f.reachIdle());
        QCOMPARE(heldByController(c), first);
        QCOMPARE(exchange().pageRequest, PageRequest::None);
        QVERIFY(!pendingPlan().isWaiting());
        QVERIFY(!exchange().restoring);
        QCOMPARE(snapshots(f).size(), 2);
    }

    void refusedRestoreWritesNothing_data()
    {
        QTest::addColumn<bool>("damaged");  // the older snapshot's file is damaged on disk
        QTest::addColumn<int>("answer");    // the answer to the plan-change question
        QTest::newRow("damaged snapshot") << true << int(QDialog::Accepted);
        QTest::newRow("question declined") << false << int(QDialog::Rejected);
    }
    void refusedRestoreWritesNothing()
    {
        QFETCH(bool, damaged);
        QFETCH(int, answer);
        E2EFixture f;
        FrameLog frames(f.transport.get());
        SimulatedController *c = f.signedInController(DemoSeed::imageBody());
        QVERIFY(c);
        QVERIFY(renameSocket(f, frames, QStringLiteral("Вытяжка")));
        const QByteArray held = heldByController(c);
        const QList<SnapshotEntry> list = snapshots(f);
        QCOMPARE(list.size(), 2);
        if (damaged) {
            QFile file(list.last().path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(70);
            file.write("\xff\xff");
            file.close();
        }

        SnapshotList dialog(f.window->snapshots(), Address, f.window.get());
        dialog.table()->selectRow(1);
        bool asked = false;
        Dialogs::scriptExecResult(answer, [&asked](QDialog *) { asked = true; });
        frames.clear();
        QVERIFY(!dialog.restoreSelected());
        // a damaged file is refused before anything is asked
        QCOMPARE(asked, !damaged);
        if (damaged)
            QCOMPARE(f.noteText(), QStringLiteral("Снимок %1 повреждён").arg(QFileInfo(list.last().path).fileName()));
        f.tick(30);
        QCOMPARE(frames.count(OpWriteImage), 0);
        QCOMPARE(heldByController(c), held);
        QVERIFY(!pendingPlan().isWaiting());
        Dialogs::clearScript();
    }
};

QTEST_MAIN(TestE2ESnapshots)
#include "tst_e2e_snapshots.moc"
