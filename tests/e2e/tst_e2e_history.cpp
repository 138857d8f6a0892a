#include <QFile>
#include <QLabel>
#include <QTableView>
#include <QTest>

#include "app/demoseed.h"
#include "e2efixture.h"
#include "history/logicsavedialog.h"
#include "history/settingsform.h"
#include "model/log/eventlog.h"

// The history page against the simulated controller: choose a period, the log is read and
// decoded, the rows appear, the CSV goes to a file.
class TestE2EHistory : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;

    // Signed in to a controller with the demo plan and two weeks of history.
    static SimulatedController *demoController(E2EFixture &f)
    {
        SimulatedController *c = f.addController();
        createSimAccount(c, "grower", "green42");
        c->seedDemo(DemoSeed::imageBody(), 14);
        if (!f.discover() || !f.signIn(QStringLiteral("grower"), QStringLiteral("green42")) || !f.reachIdle())
            return nullptr;
        return c;
    }

    static void choosePeriod(SettingsForm *page, const QString &start = QString())
    {
        QTest::mouseClick(page->updatebutt, Qt::LeftButton);
        logicsavedialog *dialog = page->periodDialog();
        QVERIFY(dialog);
        if (!start.isEmpty())
            dialog->startdat->setText(start);
        QTest::mouseClick(dialog->save, Qt::LeftButton);
    }

private slots:
    void init()
    {
        m_dir.reset(new TempWorkDir);
        historyPeriod().reset();
    }
    void cleanup() { m_dir.reset(); }

    void periodReadsTheLogAndExports()
    {
        E2EFixture f;
        QVERIFY(demoController(f));
        SettingsForm *page = f.window->settingsForm();
        // the columns were built with the decoded sensors
        QVERIFY(page->logtd->model()->columnCount() > 3);
        QVERIFY(page->csvHeader.contains(QStringLiteral("(минимум)")));

        // the period dialog blurs the main window while it is open
        QTest::mouseClick(page->updatebutt, Qt::LeftButton);
        QVERIFY(page->periodDialog());
        QVERIFY(f.window->graphicsEffect());
        page->periodDialog()->startdat->setText(QStringLiteral("01.01.2020"));  // before the cycle: clamped
        QTest::mouseClick(page->periodDialog()->save, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!f.window->graphicsEffect());
        QCOMPARE(page->startdata->text(), controllerState().startTime.toString(QStringLiteral("dd.MM.yyyy")));

        QVERIFY(exchange().logReadRequest);
        QVERIFY(f.tickUntil([] { return exchange().exchangeStep == ExchangeStep::ReadingLog; }, 20));
        QVERIFY(f.noteText().startsWith(QStringLiteral("Вычитывание лога")));
        QVERIFY(f.tickUntil([page] { return page->logtd->model()->rowCount() > 0; }, 300));
        QVERIFY(!controllerState().events.isEmpty());
        const int rows = page->logtd->model()->rowCount();
        QCOMPARE(page->csvLines.size(), rows + 1);
        QVERIFY(rows > 100);

        // a second period is filled from the held log, without another read
        choosePeriod(page);
        QVERIFY(!exchange().logReadRequest);
        QCOMPARE(page->logtd->model()->rowCount(), rows);

        const QString name = m_dir->path() + QStringLiteral("/история.csv");
        Dialogs::scriptFileName(name);
        QTest::mouseClick(page->loadbutt, Qt::LeftButton);
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QCOMPARE(written, page->csvLines.join(QString()).toLocal8Bit());
        QVERIFY(written.startsWith(QStringLiteral("Дата Время;Событие;").toUtf8()));
        // plain values: a spreadsheet reads numbers, not markup
        QVERIFY(!written.contains('<') && !written.contains("&nbsp;"));

        // an export that cannot be written says so, and the earlier file stays whole
        const QString bad = m_dir->path() + QStringLiteral("/нет/история.csv");
        Dialogs::scriptFileName(bad);
        closeNote();
        QTest::mouseClick(page->loadbutt, Qt::LeftButton);
        QCOMPARE(f.noteText(), QStringLiteral("Не удалось сохранить файл %1").arg(QDir::toNativeSeparators(bad)));
        file.seek(0);
        QCOMPARE(file.readAll(), written);
    }

    void silentLogReadIsReported()
    {
        E2EFixture f;
        SimulatedController *c = demoController(f);
        QVERIFY(c);
        SettingsForm *page = f.window->settingsForm();
        choosePeriod(page);
        // silence after the first blocks
        QVERIFY(f.tickUntil([] { return exchange().exchangeStep == ExchangeStep::ReadingLog && !exchange().logBuffer.isEmpty(); }, 40));
        c->faults().dropReplies = 1000;
        QVERIFY(f.tickUntil([] { return exchange().exchangeStep != ExchangeStep::ReadingLog; }, 400));
        QVERIFY(f.noteText().startsWith(QStringLiteral("Лог контроллера не получен")));
        QCOMPARE(page->logtd->model()->rowCount(), 0);

        // the part read before the silence is not taken for the log: the next period reads again
        c->faults().dropReplies = 0;
        closeNote();
        choosePeriod(page);
        QVERIFY(exchange().logReadRequest);
        QVERIFY(f.tickUntil([page] { return page->logtd->model()->rowCount() > 0; }, 400));
    }
};

QTEST_MAIN(TestE2EHistory)
#include "tst_e2e_history.moc"
