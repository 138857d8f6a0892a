#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/demoseed.h"
#include "cycle/workcyclesettingsform.h"
#include "e2efixture.h"
#include "widgets/leftmenupanel.h"

// What the pages show when the grower moves between them: each shows the live plan, not edits
// left behind on another visit.
class TestE2EPages : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

    static void openFromPanel(E2EFixture &f, const char *button)
    {
        f.window->leftMenu()->findChild<QPushButton *>(QString::fromLatin1(button))->click();
        f.tick();
    }

private slots:
    void init() { m_dir.reset(new TempWorkDir); }
    void cleanup() { m_dir.reset(); }

    // A count typed and abandoned for another page is gone when the work-cycle page opens again,
    // so the next save does not send it.
    void workCyclePageShowsTheLiveCycleOnEachOpening()
    {
        E2EFixture f;
        QVERIFY(f.signedInController(DemoSeed::imageBody()));
        const ControllerState &state = controllerState();
        const int live = state.cycleCount;
        QVERIFY(live != 5);

        openFromPanel(f, "workCycleSettingsButton");
        WorkCycleSettingsForm *page = f.window->workCycleForm();
        QCOMPARE(f.window->currentPage(), page);
        auto *count = page->findChild<QLineEdit *>(QStringLiteral("lenday"));
        count->selectAll();
        QTest::keyClicks(count, QStringLiteral("5"));
        QCOMPARE(state.editedCycleCount, 5);
        QCOMPARE(page->cards().size(), 5);

        openFromPanel(f, "deviceButton");
        openFromPanel(f, "workCycleSettingsButton");
        QCOMPARE(f.window->currentPage(), page);
        QCOMPARE(count->text(), QString::number(live));
        QCOMPARE(state.editedCycleCount, live);
        QCOMPARE(page->cards().size(), live);

        // opening it again with nothing abandoned keeps the grower's selection
        page->pushDay(2, false);
        openFromPanel(f, "deviceButton");
        openFromPanel(f, "workCycleSettingsButton");
        QCOMPARE(page->selectedIndexes(), QList<int>{2});
    }

    // The work-cycle page marks edited fields until the controller holds them, or until they are
    // cancelled.
    void unsavedMarkClearsOnSaveAndOnCancel()
    {
        E2EFixture f;
        QVERIFY(f.signedInController(DemoSeed::imageBody()));
        openFromPanel(f, "workCycleSettingsButton");
        WorkCycleSettingsForm *page = f.window->workCycleForm();
        auto *mark = page->findChild<QLabel *>(QStringLiteral("unsavedMark"));
        auto *count = page->findChild<QLineEdit *>(QStringLiteral("lenday"));
        QVERIFY(!mark->isVisibleTo(page));
        const int live = controllerState().cycleCount;

        count->selectAll();
        QTest::keyClicks(count, QString::number(live + 2));
        QVERIFY(mark->isVisibleTo(page));
        page->findChild<QPushButton *>(QStringLiteral("acceptButton"))->click();
        QVERIFY(f.tickUntil([live] { return controllerState().cycleCount != live; }, 400));
        QVERIFY(f.reachIdle());
        QCOMPARE(controllerState().cycleCount, live + 2);
        QVERIFY(!mark->isVisibleTo(page));
        QVERIFY(!count->property("edited").toBool());

        count->selectAll();
        QTest::keyClicks(count, QString::number(live));
        QVERIFY(mark->isVisibleTo(page));
        page->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
        QVERIFY(!mark->isVisibleTo(page));
        QCOMPARE(count->text(), QString::number(live + 2));
    }
};

QTEST_MAIN(TestE2EPages)
#include "tst_e2e_pages.moc"
