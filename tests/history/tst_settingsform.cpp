#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>

#include "mockclock.h"
#include "history/historychart.h"
#include "history/historytablemodel.h"
#include "history/logicsavedialog.h"
#include "history/settingsform.h"
#include "model/clock.h"
#include "model/log/eventlog.h"
#include "model/codec/sensorcatalogue.h"
#include "model/files/workfolders.h"
#include "programstate.h"
#include "testsupport.h"
#include "widgets/myheaderview.h"

#include <QChart>

namespace {

const QDateTime Now(QDate(2026, 3, 1), QTime(12, 0));
const QDateTime CycleStart(QDate(2026, 2, 20), QTime(9, 0));

void climateState()
{
    ControllerState &s = controllerState();
    s.sensors[0].type = SensorTemperatureHumidity;
    s.sensors[0].name = QStringLiteral("Климат");
    s.sensors[0].channels = {4, 5};
    s.startTime = CycleStart;
    s.dayHours = 16;
    s.nightHours = 8;
    s.cycleCount = 30;
}

EventRecord record(const QDateTime &t, int sensor, int position = 0, float value = 20, int maxHit = 0)
{
    EventRecord e;
    e.time = t;
    e.sensor = sensor;
    e.position = position;
    e.channel = 4 + position;
    e.min = value - 1;
    e.avg = value;
    e.max = value + 1;
    e.maxHit = maxHit;
    return e;
}

void closeNotes()
{
    closeNote();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString noteText()
{
    return currentNote() ? currentNote()->text() : QString();
}

} // namespace

class TestSettingsForm : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        resetTestProgramState();
        historyPeriod().reset();
        MockClock::set(Now);
    }
    void cleanup()
    {
        closeNotes();
        MockClock::clear();
    }

    void pageWidgets()
    {
        SettingsForm page;
        for (const char *name : {"helpButton", "updatebutt", "loadbutt", "startdata", "stopdata", "logtd"})
            QVERIFY2(page.findChild<QWidget *>(QString::fromLatin1(name)), name);
        QCOMPARE(page.updatebutt->text(), QStringLiteral("   Выбрать период"));
        QCOMPARE(page.loadbutt->text(), QStringLiteral("Выгрузка в CSV"));
        QCOMPARE(page.helpButton->text(), QStringLiteral("Справка"));
        QVERIFY(qobject_cast<MyHeaderView *>(page.logtd->horizontalHeader()));
        QVERIFY(page.logtd->verticalHeader()->isHidden());
        QCOMPARE(page.logtd->selectionMode(), QAbstractItemView::NoSelection);

        QSignalSpy help(&page, &SettingsForm::helpRequested);
        QTest::mouseClick(page.helpButton, Qt::LeftButton);
        QCOMPARE(help.size(), 1);
        QCOMPARE(help.first().first().toInt(), 3);
    }

    void columns()
    {
        SettingsForm page;
        QCOMPARE(page.logtd->model()->columnCount(), 3);  // no sensors yet
        QCOMPARE(page.csvHeader, QStringLiteral("Дата Время;Событие;\n"));
        climateState();
        page.buildColumns();
        QAbstractItemModel *m = page.logtd->model();
        QCOMPARE(m->columnCount(), 3);
        QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Климат: Влажность/ Температура"));
        QCOMPARE(page.columnChannels().size(), 2);
        QCOMPARE(page.columnFormats(), (QList<QList<int>>{{21, 121}}));
    }

    // The three notes of a period the page cannot use; the table stays empty.
    void fillNotes_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("note");
        QTest::newRow("bad start") << QStringLiteral("31.02.2026") << QStringLiteral("01.03.2026")
                                   << QStringLiteral("Некорректно задана дата начала");
        QTest::newRow("empty start") << QStringLiteral("..") << QStringLiteral("01.03.2026")
                                     << QStringLiteral("Некорректно задана дата начала");
        QTest::newRow("bad end") << QStringLiteral("20.02.2026") << QStringLiteral("1.3.2026")
                                 << QStringLiteral("Некорректно задана дата окончания");
        QTest::newRow("reversed") << QStringLiteral("20.02.2026") << QStringLiteral("19.02.2026")
                                  << QStringLiteral("Ошибка! <p> Дата остановки раньше начала");
        QTest::newRow("valid") << QStringLiteral("20.02.2026") << QStringLiteral("20.02.2026") << QString();
    }
    void fillNotes()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, note);
        climateState();
        controllerState().events = {record(CycleStart.addSecs(3600), 0)};
        SettingsForm page;
        page.buildColumns();
        page.startdata->setText(start);
        page.stopdata->setText(end);
        page.fillRows();
        QCOMPARE(noteText(), note);
        QCOMPARE(page.logtd->model()->rowCount(), note.isEmpty() ? 1 : 0);
        if (!note.isEmpty())
            QCOMPARE(currentNote()->flags, int(NoteClose::Popup));
    }

    void applyPeriod_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("logHeld");
        QTest::addColumn<QString>("shownStart");
        QTest::addColumn<QString>("shownEnd");
        QTest::addColumn<int>("rows");
        QTest::newRow("log not held: read it") << QStringLiteral("21.02.2026") << QStringLiteral("25.02.2026") << false
                                               << QStringLiteral("21.02.2026") << QStringLiteral("25.02.2026") << 1;
        QTest::newRow("before the work cycle") << QStringLiteral("01.01.2026") << QStringLiteral("25.02.2026") << true
                                               << QStringLiteral("20.02.2026") << QStringLiteral("25.02.2026") << 2;
        QTest::newRow("end before start") << QStringLiteral("22.02.2026") << QStringLiteral("21.02.2026") << true
                                          << QStringLiteral("22.02.2026") << QStringLiteral("22.02.2026") << 1;
        QTest::newRow("end before the clamped start") << QStringLiteral("01.02.2026") << QStringLiteral("10.02.2026") << true
                                                      << QStringLiteral("20.02.2026") << QStringLiteral("20.02.2026") << 1;
    }
    void applyPeriod()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(bool, logHeld);
        QFETCH(QString, shownStart);
        QFETCH(QString, shownEnd);
        QFETCH(int, rows);
        climateState();
        controllerState().events = {record(CycleStart.addSecs(3600), 0), record(CycleStart.addDays(2), 0)};
        if (logHeld)
            exchange().logBuffer = QByteArray(20, '\0');
        SettingsForm page;
        page.buildColumns();
        historyPeriod().periodStartText = start;
        historyPeriod().periodEndText = end;
        page.applyPeriod();
        QCOMPARE(page.startdata->text(), shownStart);
        QCOMPARE(page.stopdata->text(), shownEnd);
        QCOMPARE(exchange().logReadRequest, !logHeld);
        QCOMPARE(page.logtd->model()->rowCount(), logHeld ? rows : 0);
        QCOMPARE(noteText(), QString());
        if (!logHeld) {
            // the sequencer reads and parses the log, then hands it over
            page.logTaken();
            QCOMPARE(page.logtd->model()->rowCount(), rows);
        }
    }

    void periodDialog()
    {
        climateState();
        SettingsForm page;
        QTest::mouseClick(page.updatebutt, Qt::LeftButton);
        logicsavedialog *dialog = page.periodDialog();
        QVERIFY(dialog);
        QVERIFY(dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Dialog"));
        QVERIFY(dialog->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(dialog->startdat->inputMask(), QStringLiteral("00.00.0000;_"));
        QCOMPARE(dialog->enddat->inputMask(), QStringLiteral("00.00.0000;_"));
        QCOMPARE(dialog->startdat->text(), QStringLiteral("20.02.2026"));
        QCOMPARE(dialog->enddat->text(), QStringLiteral("02.03.2026"));
        QCOMPARE(dialog->save->text(), QStringLiteral("Продолжить"));
        QCOMPARE(dialog->cancel->text(), QStringLiteral("Отмена"));

        // cancel: nothing chosen
        QSignalSpy none(dialog, &logicsavedialog::none);
        QTest::mouseClick(dialog->cancel, Qt::LeftButton);
        QCOMPARE(none.size(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!page.periodDialog());
        QVERIFY(historyPeriod().periodStartText.isEmpty());
        QVERIFY(!exchange().logReadRequest);

        // continue: the period is taken and the log asked for
        QTest::mouseClick(page.updatebutt, Qt::LeftButton);
        dialog = page.periodDialog();
        QVERIFY(dialog);
        dialog->enddat->setText(QStringLiteral("25.02.2026"));
        QSignalSpy contin(dialog, &logicsavedialog::contin);
        QTest::mouseClick(dialog->save, Qt::LeftButton);
        QCOMPARE(contin.size(), 1);
        QCOMPARE(historyPeriod().periodStartText, QStringLiteral("20.02.2026"));
        QCOMPARE(historyPeriod().periodEndText, QStringLiteral("25.02.2026"));
        QCOMPARE(page.stopdata->text(), QStringLiteral("25.02.2026"));
        QVERIFY(exchange().logReadRequest);
    }

    // The export starts in the scenarios folder, names a file without extension ".csv", writes
    // plain values a spreadsheet reads as numbers and says where the file went.
    void exportWritesTheCsvLines_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << QStringLiteral("история") << QStringLiteral("история.csv");
        QTest::newRow(".csv") << QStringLiteral("история.csv") << QStringLiteral("история.csv");
        QTest::newRow("another extension") << QStringLiteral("история.txt") << QStringLiteral("история.txt");
    }
    void exportWritesTheCsvLines()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        TempWorkDir dir;
        QVERIFY(workFolders().prepare());
        climateState();
        controllerState().events = {record(CycleStart.addSecs(3600), 0, 0, 55), record(CycleStart.addSecs(3600), 0, 1, 21.37f),
                                    record(CycleStart.addSecs(7200), EventLog::PowerOff)};
        SettingsForm page;
        page.buildColumns();
        page.startdata->setText(QStringLiteral("20.02.2026"));
        page.stopdata->setText(QStringLiteral("20.02.2026"));
        page.fillRows();
        QCOMPARE(page.csvLines.size(), 3);
        const QString expected = page.csvLines.join(QString());
        QVERIFY(!expected.contains(QLatin1Char('<')) && !expected.contains(QLatin1Char('&')));
        for (double v : {20.4, 21.4, 22.4}) {
            const QString field = QLatin1Char(';') + QLocale().toString(v, 'f', 1) + QLatin1Char(';');
            QVERIFY2(page.csvLines.at(1).contains(field), qPrintable(page.csvLines.at(1)));
        }

        Dialogs::scriptFileName(dir.path() + QLatin1Char('/') + typed);
        QTest::mouseClick(page.loadbutt, Qt::LeftButton);
        QCOMPARE(Dialogs::lastFolder(), workFolders().scenarioDir.path());
        const QString path = dir.path() + QLatin1Char('/') + written;
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(file.readAll()), expected);
        QCOMPARE(noteText(), QStringLiteral("История сохранена в файл %1").arg(QDir::toNativeSeparators(path)));
        closeNotes();

        // cancel writes nothing and says nothing
        Dialogs::scriptFileName(QString());
        QTest::mouseClick(page.loadbutt, Qt::LeftButton);
        QCOMPARE(noteText(), QString());
    }

    // A file that cannot be written is named in a note; an earlier good file stays as it was.
    void failedExport_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing folder") << QStringLiteral("нет/история.csv");
        QTest::newRow("a folder") << QStringLiteral("папка.csv");
    }
    void failedExport()
    {
        QFETCH(QString, relative);
        TempWorkDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("папка.csv")));
        SettingsForm page;
        page.csvLines = {QStringLiteral("Дата Время;Событие;\n")};
        const QString name = dir.path() + QLatin1Char('/') + relative;
        Dialogs::scriptFileName(name);
        QTest::mouseClick(page.loadbutt, Qt::LeftButton);
        QCOMPARE(noteText(), QStringLiteral("Не удалось сохранить файл %1").arg(QDir::toNativeSeparators(name)));
        QVERIFY(QFileInfo(dir.path() + QStringLiteral("/папка.csv")).isDir());
    }

    void logReadTimeoutIsReported()
    {
        SettingsForm page;
        showNote(&page, QStringLiteral("Вычитывание лога 40%"), NoteClose::OnIdle, 10);
        page.logReadTimedOut();
        QVERIFY(noteText().startsWith(QStringLiteral("Лог контроллера не получен")));
    }

    void chartOfThePeriod()
    {
        climateState();
        controllerState().events = {record(CycleStart.addSecs(3600), 0, 0, 55), record(CycleStart.addSecs(3600), 0, 1, 21, 1),
                                    record(CycleStart.addSecs(7200), 0, 0, 56), record(CycleStart.addSecs(7200), 0, 1, 22),
                                    record(CycleStart.addSecs(9000), EventLog::PowerOff),
                                    record(CycleStart.addSecs(9600), EventLog::PowerOn)};
        SettingsForm page;
        page.resize(1000, 700);
        page.buildColumns();
        page.startdata->setText(QStringLiteral("20.02.2026"));
        page.stopdata->setText(QStringLiteral("21.02.2026"));
        page.fillRows();
        QCOMPARE(page.chart->chart()->series().size(), 0);  // built when first shown
        QTest::mouseClick(page.chartButton, Qt::LeftButton);
        QVERIFY(page.chartButton->isChecked());
        // per channel a line (bands and out-of-limit runs are painted beneath); the temperature's hit a run
        QCOMPARE(page.chart->chart()->series().size(), 2);
        QCOMPARE(page.chart->data().series.at(1).runs.size(), 1);
        QCOMPARE(page.chart->powerMarks().size(), 2);
        QVERIFY(page.chart->powerMarks().first().on == false);
        // 20.02 09:00-01:00 day, 01:00-09:00 night; 21.02 09:00.. day and night
        QCOMPARE(page.chart->bands().size(), 4);
        QVERIFY(!page.chart->bands().at(0).night);
        QVERIFY(page.chart->bands().at(1).night);
        QTest::mouseClick(page.tableButton, Qt::LeftButton);
        QCOMPARE(page.logtd->isVisibleTo(&page), true);
    }
};

QTEST_MAIN(TestSettingsForm)
#include "tst_settingsform.moc"
