#include <QTest>

#include "widgets/infonote.h"

class TestInfoNote : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        closeNote();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(openNotes(), 0);
    }

    void atMostOneNote()
    {
        QWidget parent;
        showNote(&parent, QStringLiteral("first"), NoteClose::AfterTicks, 10);
        QVERIFY(currentNote());
        infonote *first = currentNote();
        showNote(&parent, QStringLiteral("second"), NoteClose::AfterTicks, 10);
        QCOMPARE(currentNote(), first);
        QCOMPARE(currentNote()->text(), QStringLiteral("first"));
        QCOMPARE(openNotes(), 1);
        setNoteText(QStringLiteral("changed"));
        QCOMPARE(currentNote()->text(), QStringLiteral("changed"));
    }

    void shortenInsteadOfSecondNote()
    {
        QWidget parent;
        showNoteOrShorten(&parent, QStringLiteral("a"), NoteClose::AfterTicks, 20);
        showNoteOrShorten(&parent, QStringLiteral("b"), NoteClose::AfterTicks, 20);
        QCOMPARE(currentNote()->ticksLeft, 19);
        QCOMPARE(currentNote()->text(), QStringLiteral("a"));
    }

    void closesByFlag_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<bool>("atDiscovery");
        QTest::addColumn<bool>("idle");
        QTest::addColumn<int>("ticksUntilClosed"); // -1: still open after 50 ticks
        QTest::newRow("ticks 20") << 1 << 20 << false << false << 20;
        QTest::newRow("ticks 10") << 1 << 10 << false << false << 10;
        QTest::newRow("discovery waits") << 2 << 10 << false << false << -1;
        QTest::newRow("discovery") << 2 << 10 << true << false << 1;
        QTest::newRow("idle waits") << 4 << 10 << false << false << -1;
        QTest::newRow("idle") << 4 << 10 << false << true << 1;
        QTest::newRow("popup ignores ticks") << 8 << 10 << true << true << -1;
    }
    void closesByFlag()
    {
        QFETCH(int, flags);
        QFETCH(int, ticks);
        QFETCH(bool, atDiscovery);
        QFETCH(bool, idle);
        QFETCH(int, ticksUntilClosed);
        QWidget parent;
        showNote(&parent, QStringLiteral("n"), flags, ticks);
        int n = 0;
        while (currentNote() && n < 50) {
            tickNote(atDiscovery, idle);
            ++n;
        }
        if (ticksUntilClosed < 0) {
            QVERIFY(currentNote());
        } else {
            QCOMPARE(n, ticksUntilClosed);
            QVERIFY(!currentNote());
            QCOMPARE(openNotes(), 0);
        }
    }

    void popupClosesOnClick()
    {
        QWidget parent;
        showNote(&parent, QStringLiteral("popup"), NoteClose::Popup, 10);
        QVERIFY(currentNote());
        QVERIFY(!currentNote()->isModal());
        QTest::mouseClick(currentNote(), Qt::LeftButton);
        QVERIFY(!currentNote());
        QCOMPARE(openNotes(), 0);
    }

    void nonPopupIsModal()
    {
        QWidget parent;
        showNote(&parent, QStringLiteral("modal"), NoteClose::AfterTicks, 10);
        QVERIFY(currentNote()->isModal());
        QTest::mouseClick(currentNote(), Qt::LeftButton);
        QVERIFY(currentNote());
    }

    void deletedParentFreesTheSlot()
    {
        auto *parent = new QWidget;
        showNote(parent, QStringLiteral("x"), NoteClose::AfterTicks, 10);
        delete parent;
        QVERIFY(!currentNote());
        QCOMPARE(openNotes(), 0);
        showNote(nullptr, QStringLiteral("again"), NoteClose::AfterTicks, 10);
        QVERIFY(currentNote());
    }
};

QTEST_MAIN(TestInfoNote)
#include "tst_infonote.moc"
