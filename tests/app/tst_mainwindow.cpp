#include <QDir>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/mainwindow.h"
#include "cycle/workcyclesettingsform.h"
#include "devices/devicesform.h"
#include "history/settingsform.h"
#include "link/exchangestate.h"
#include "signin/regform.h"
#include "model/files/workfolders.h"
#include "scenario/scenarioform.h"
#include "widgets/infonote.h"
#include "widgets/leftmenupanel.h"
#include "widgets/slidingstackedwidget.h"
#include "widgets/viewstate.h"
#include "windowfixture.h"

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

private slots:
    void init()
    {
        m_dir.reset(new TempWorkDir);
        resetTestProgramState();
    }
    void cleanup()
    {
        closeNote();
        m_dir.reset();
    }

    void construction()
    {
        WindowFixture f;
        MainWindow &w = *f.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Vireosant"));
        QCOMPARE(w.size(), QSize(1071, 800));
        QCOMPARE(w.minimumSize(), QSize(1024, 768));
        QVERIFY(!w.windowIcon().isNull());
        auto *stack = w.findChild<QStackedWidget *>(QStringLiteral("mainStackedWidget"));
        QVERIFY(stack);
        QCOMPARE(stack->count(), 6);
        QCOMPARE(stack->widget(0)->objectName(), QStringLiteral("emptyPage"));
        QVERIFY(qobject_cast<regform *>(stack->widget(1)));
        QVERIFY(qobject_cast<DevicesForm *>(stack->widget(2)));
        QVERIFY(qobject_cast<ScenarioForm *>(stack->widget(3)));
        QVERIFY(qobject_cast<SettingsForm *>(stack->widget(4)));
        QVERIFY(qobject_cast<WorkCycleSettingsForm *>(stack->widget(5)));
        QCOMPARE(w.currentPage(), w.regForm());
        QCOMPARE(w.regForm()->mode(), int(regform::Offline));
        QVERIFY(f.timerWasActive);
        QCOMPARE(w.tickTimer->interval(), 100);
        QVERIFY(!w.leftMenu()->isVisible());
        for (const char *name : {"centralwidget", "leftPanelFrame", "frame", "page1", "page2", "page3", "menubar"})
            QVERIFY2(w.findChild<QWidget *>(QString::fromLatin1(name)), name);
    }

    void workingFolders()
    {
        QDir().mkdir(QStringLiteral("comments"));
        QFile keep(QStringLiteral("comments/3.txt"));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.write("note");
        keep.close();
        WindowFixture f;
        for (const char *name : {"logins", "scenarios", "comments", "gencomments", "snapshots"})
            QVERIFY2(QDir(QString::fromLatin1(name)).exists(), name);
        QVERIFY(QFile::exists(QStringLiteral("comments/3.txt")));
        QVERIFY(workFolders().ready);
        // notes belong to a controller: none is chosen before a sign-in, and the shared notes of
        // earlier versions wait for it
        QVERIFY(!workFolders().hasController());
        QCOMPARE(WorkFolders::commentsPath(), QDir(QStringLiteral("comments")).absolutePath());
    }

    void unwritableFolderIsReported_data()
    {
        QTest::addColumn<bool>("readOnlyDir");
        QTest::newRow("folder name taken by a file") << false;
        QTest::newRow("read-only current directory") << true;
    }
    void unwritableFolderIsReported()
    {
        QFETCH(bool, readOnlyDir);
        if (readOnlyDir) {
            // /proc refuses new folders even to root
            QDir::setCurrent(QStringLiteral("/proc"));
        } else {
            QFile blocker(QStringLiteral("scenarios"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        WindowFixture f;
        QVERIFY(!workFolders().ready);
        f.ticks(11);
        QVERIFY(currentNote());
        QVERIFY(currentNote()->text().startsWith(QStringLiteral("Нет доступа к рабочей папке")));
    }

    void firstTenTicksOnlyCountTheCarousel()
    {
        WindowFixture f;
        exchange().pageRequest = PageRequest::ShowDevices;
        f.ticks(10);
        QCOMPARE(exchange().pageRequest, PageRequest::ShowDevices);
        QCOMPARE(viewState().carouselCounter, 10);
        f.ticks(1);
        QCOMPARE(exchange().pageRequest, PageRequest::None);
    }

    void pageRequests_data()
    {
        QTest::addColumn<PageRequest>("request");
        QTest::addColumn<QString>("page"); // current page after two ticks
        QTest::newRow("scenario saved") << PageRequest::CalendarTakesSelection << QStringLiteral("WorkCycleSettingsForm");
        QTest::newRow("scenario saved, 2") << PageRequest::CalendarTakesScenario << QStringLiteral("WorkCycleSettingsForm");
        QTest::newRow("scenario left") << PageRequest::ShowCalendar << QStringLiteral("WorkCycleSettingsForm");
        QTest::newRow("signed in") << PageRequest::ShowDevices << QStringLiteral("DevicesForm");
        QTest::newRow("edit scenario") << PageRequest::OpenScenarioForDays << QStringLiteral("ScenarioForm");
        QTest::newRow("comment") << PageRequest::RedrawCommentMark << QStringLiteral("regform");
        QTest::newRow("description") << PageRequest::RefreshDescription << QStringLiteral("regform");
        QTest::newRow("disconnect") << PageRequest::DisconnectAfterDeletion << QStringLiteral("regform");
        QTest::newRow("unknown") << PageRequest(42) << QStringLiteral("regform");
    }
    void pageRequests()
    {
        QFETCH(PageRequest, request);
        QFETCH(QString, page);
        WindowFixture f;
        f.ticks(10);
        exchange().pageRequest = request;
        f.ticks(2);
        QCOMPARE(exchange().pageRequest, PageRequest::None);
        QCOMPARE(f.window->currentPage()->objectName(), page);
    }

    void nestedTickReturnsAtOnce()
    {
        WindowFixture f;
        f.ticks(10);
        exchange().pageRequest = PageRequest::ShowDevices;
        exchange().tickBusy = true; // a tick body is running (a modal loop inside it)
        f.ticks(3);
        QCOMPARE(exchange().pageRequest, PageRequest::ShowDevices);
        QCOMPARE(viewState().carouselCounter, 13); // the carousel still counts
        exchange().tickBusy = false;
        f.ticks(1);
        QCOMPARE(exchange().pageRequest, PageRequest::None);
        QVERIFY(!exchange().tickBusy);
    }

    void carouselRunsBackAndForth()
    {
        WindowFixture f;
        SlidingStackedWidget *c = f.window->carousel();
        c->setSpeed(10);
        f.window->show();
        QList<int> shown;
        for (int move = 0; move < 6; ++move) {
            f.ticks(31);
            QVERIFY(!c->isRunning());
            f.ticks(1);
            QTRY_VERIFY(!c->isRunning());
            shown << c->currentIndex();
        }
        QCOMPARE(shown, (QList<int>{1, 2, 1, 0, 1, 2}));
    }

    void workViewAndBack()
    {
        WindowFixture f;
        MainWindow &w = *f.window;
        w.show();
        f.ticks(10);
        w.showWorkView();
        QVERIFY(!viewState().signInViewShown);
        QVERIFY(w.leftMenu()->isVisible());
        QVERIFY(!w.carousel()->isVisible());
        f.ticks(1);
        QCOMPARE(w.currentPage(), static_cast<QWidget *>(w.devicesForm()));
        // the carousel holds still in the work view
        f.ticks(40);
        QCOMPARE(viewState().carouselCounter, 0);
        QTRY_COMPARE(w.leftMenu()->geometry(), w.findChild<QWidget *>(QStringLiteral("leftPanelFrame"))->rect());

        w.resize(1300, 900);
        QTRY_COMPARE(w.leftMenu()->geometry(), w.findChild<QWidget *>(QStringLiteral("leftPanelFrame"))->rect());

        w.showSignInView();
        QVERIFY(viewState().signInViewShown);
        QCOMPARE(w.currentPage(), static_cast<QWidget *>(w.regForm()));
        QVERIFY(w.carousel()->isVisible());
    }

    void closingStopsTheTick()
    {
        WindowFixture f;
        f.window->show();
        f.window->close();
        QVERIFY(f.window->closing);
        QVERIFY(!f.window->tickTimer->isActive());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
