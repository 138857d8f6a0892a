#include <QTest>

#include "model/plan/pendingplan.h"

// A plan on its way to a controller: it waits alone, and its notes go with exactly the confirmed
// write of its own plan, to its own controller.
class TestPendingPlan : public QObject
{
    Q_OBJECT

    static constexpr quint64 A = 0x0A0B0C0D0E01ULL;
    static constexpr quint64 B = 0x0A0B0C0D0E02ULL;

private slots:
    void init() { pendingPlan().reset(); }

    // A plan on its way: its notes wait for the confirmed write of exactly its own body.
    void notesFollowTheirOwnPlan()
    {
        PendingPlan &p = pendingPlan();
        PlanNotes notes;
        notes.index = "1,0\n";
        notes.files.insert(0, "из файла");
        notes.description = "описание";
        QVERIFY(p.choose(A, QStringLiteral("plan.scn"), "image", false, &notes));
        QVERIFY(!p.choose(A, QStringLiteral("other.scn"), "other", false, &notes)); // one at a time
        QCOMPARE(p.waitingName(), QStringLiteral("plan.scn"));
        PlanNotes out;
        QString name;
        QVERIFY(!p.confirmed(A, "body", &out, &name));  // nothing taken yet

        bool keepsStart = true;
        QCOMPARE(p.take(&keepsStart), QByteArray("image"));
        QVERIFY(!keepsStart);
        QVERIFY(!p.isWaiting());
        QVERIFY(p.notesPending());
        p.uploadSeen(B, "body");                     // another controller's upload
        QVERIFY(!p.confirmed(A, "body", &out, &name));
        p.uploadSeen(A, "body");
        QVERIFY(!p.confirmed(A, "older body", &out, &name));
        QVERIFY(!p.confirmed(B, "body", &out, &name));
        p.uploadSeen(A, "rebuilt body");              // a change made meanwhile rebuilt the upload
        QVERIFY(!p.confirmed(A, "body", &out, &name));
        QVERIFY(p.confirmed(A, "rebuilt body", &out, &name));
        QCOMPARE(name, QStringLiteral("plan.scn"));
        QCOMPARE(out.files.value(0), QByteArray("из файла"));
        QCOMPARE(out.description, QByteArray("описание"));
        QVERIFY(!p.notesPending());
        QVERIFY(!p.confirmed(A, "rebuilt body", &out, &name));  // once

        // signed in to another controller: the notes waiting for A go
        QVERIFY(p.choose(A, QStringLiteral("plan.scn"), "image", false, &notes));
        p.take(&keepsStart);
        p.uploadSeen(A, "body");
        p.keepOnlyFor(A);
        QVERIFY(p.notesPending());
        p.keepOnlyFor(B);
        QVERIFY(!p.notesPending());
        QVERIFY(!p.confirmed(A, "body", &out, &name));

        // a snapshot carries no notes: taking it drops notes waiting for an earlier plan
        QVERIFY(p.choose(A, QStringLiteral("plan.scn"), "image", false, &notes));
        p.take(&keepsStart);
        QVERIFY(p.choose(A, QStringLiteral("snap.img"), "snapshot", true, nullptr));
        QCOMPARE(p.take(&keepsStart), QByteArray("snapshot"));
        QVERIFY(keepsStart);
        QVERIFY(!p.notesPending());

        // cancelled while waiting; the account deleted
        QVERIFY(p.choose(A, QStringLiteral("plan.scn"), "image", false, &notes));
        QCOMPARE(p.cancelWaiting(), QStringLiteral("plan.scn"));
        QVERIFY(!p.isWaiting());
        QVERIFY(p.choose(A, QStringLiteral("plan.scn"), "image", false, &notes));
        p.dropFor(B);
        QVERIFY(p.isWaiting());
        p.dropFor(A);
        QVERIFY(!p.isWaiting());
    }
};

QTEST_GUILESS_MAIN(TestPendingPlan)
#include "tst_pendingplan.moc"
