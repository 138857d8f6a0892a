// Figures of the scenario editor: switching outputs and phases ("Загрузка сценария") on a scenario
// that holds 10 rows on every output and phase, side by side with building as many plain rows.
// Every output keeps its tables; showing one again rebuilds only the rows that changed. Two cases:
// the rows are as they were when last shown (the first round builds them, the later ones rebuild
// none), and every row changed since (each switch rebuilds the shown phase's 10 rows).
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTableWidget>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "model/plan/basescenario.h"
#include "model/controllerstate.h"
#include "model/numericutil.h"
#include "model/plan/relayoutputs.h"
#include "scenario/scenariotimetablewidget.h"
#include "widgets/infonote.h"

namespace {

Condition sensorRow(int sensor, int channel, ConditionKind kind, ConditionAction action, int priority, float value)
{
    Condition c;
    c.ref = sensor;
    c.source = channel;
    c.text = QStringLiteral("Датчик %1").arg(sensor + 1);
    c.kind = kind;
    c.action = action;
    c.priority = priority;
    c.value = bitsFromFloat(value);
    if (kind == ConditionKind::Interval)
        c.params = {double(value) + 5};
    return c;
}

Condition timerRow(int index, int priority)
{
    Condition c;
    c.ref = TimerRef;
    c.source = TimerSource;
    c.text = timerRowText();
    c.kind = ConditionKind::Above;
    c.action = ConditionAction::On;
    c.priority = priority;
    c.params = {double(60 * index), 30, 120, 4, double(index)};
    return c;
}

// Base state, two timers and seven sensor rows of every kind: priorities shown.
QList<Condition> fullList(ConditionAction baseAction)
{
    QList<Condition> rows = {baseStateCondition(baseAction), timerRow(0, 1), timerRow(1, 2)};
    const ConditionKind kinds[] = {ConditionKind::Below, ConditionKind::Above, ConditionKind::Interval};
    const ConditionAction actions[] = {ConditionAction::On, ConditionAction::Off};
    for (int r = 0; r < 7; ++r)
        rows << sensorRow(r % 4, 4 + r % 4, kinds[r % 3], actions[r % 2], 3 + r, 20.0f + r);
    return rows;
}

void setUpState()
{
    ControllerState &s = controllerState();
    const QList<int> types = {2, 1, 3, 5, 4, 4};
    for (int k = 0; k < 6; ++k) {
        s.sensors[k].type = types.at(k);
        s.sensors[k].name = QStringLiteral("Датчик %1").arg(k + 1);
        s.sensors[k].channels = {4 + k};
    }
    s.dayHours = s.editedDayHours = 18;
    s.nightHours = s.editedNightHours = 6;
    s.startTime = s.editedStartTime = QDateTime(QDate(2026, 3, 1), QTime(6, 0));
    Scenario full;
    full.name = QStringLiteral("Полный");
    for (int output : {1, 2, 3, 4, 9, 10}) {
        SocketProgram p;
        p.dayConditions = fullList(ConditionAction::On);
        p.nightConditions = fullList(ConditionAction::Off);
        p.timers = {TimerSlot{0, 30, 120, 4, 1, 1, -1, 1, 1}, TimerSlot{60, 30, 120, 4, 1, 1, -1, 2, 2}};
        full.sockets.insert(output, p);
    }
    s.scenarios = {baseScenario(), full};
    s.editedScenarios = s.scenarios;
}

qint64 threadCpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Wall-clock time and the CPU time of this thread: on a busy machine the wall clock also counts
// the time other programs had the processor.
class Stopwatch
{
public:
    void start()
    {
        m_cpu = threadCpuNs();
        m_wall.start();
    }
    qint64 wallNs() const { return m_wall.nsecsElapsed(); }
    qint64 cpuNs() const { return threadCpuNs() - m_cpu; }

private:
    QElapsedTimer m_wall;
    qint64 m_cpu = 0;
};

// What the program's event loop does after a switch: pending events, then the deletion of the
// widgets of rows that went (without an event loop running they would never be deleted, and the
// widgets left over would slow every later step).
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

struct Figures
{
    QList<double> wall;
    QList<double> cpu;
    void add(const Stopwatch &w)
    {
        wall << double(w.wallNs()) / 1e6;
        cpu << double(w.cpuNs()) / 1e6;
    }
    void print(const char *what) const
    {
        std::printf("%-50s cpu median %7.2f max %7.2f ms | wall median %7.2f max %7.2f ms (%lld runs)\n", what,
                    median(cpu), *std::max_element(cpu.begin(), cpu.end()), median(wall),
                    *std::max_element(wall.begin(), wall.end()), static_cast<long long>(cpu.size()));
    }
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpState();

    // hosted like in the program, whose window carries a style sheet
    QWidget host;
    host.setStyleSheet(QStringLiteral("QMainWindow { background-color: rgba(20, 23, 24, 240); }"));
    auto *hosted = new ScenarioTimetableWidget(&host);
    ScenarioTimetableWidget &editor = *hosted;
    host.resize(932, 700);
    editor.resize(932, 700);
    host.show();
    editor.rebuildConditionMenu();
    editor.syncRelayOutputs();
    editor.loadScenario(1);
    settle();
    closeNote();

    const QList<int> outputs = {1, 2, 3, 4, 9, 10};
    const int rounds = 10;
    Figures outputSwitch;
    Figures phaseSwitch;
    Stopwatch timer;
    for (int round = 0; round < rounds; ++round) {
        for (int output : outputs) {
            timer.start();
            editor.powerSocketClicked(output);
            settle();
            outputSwitch.add(timer);
            closeNote();
            timer.start();
            editor.timeOfDayClicked(editor.currentPhase() == 1 ? 2 : 1);
            settle();
            phaseSwitch.add(timer);
        }
    }

    // every row of every output changed between two rounds: each switch rebuilds 10 rows
    Figures changedOutputSwitch;
    Figures changedPhaseSwitch;
    const QMap<int, SocketProgram> loaded = editor.workingCopy();
    for (int round = 0; round < rounds; ++round) {
        QMap<int, SocketProgram> changed = loaded;
        for (SocketProgram &program : changed) {
            for (QList<Condition> *rows : {&program.dayConditions, &program.nightConditions}) {
                for (Condition &row : *rows)
                    row.text += QString(round + 1, QLatin1Char('.'));
            }
        }
        editor.setWorkingCopy(changed);
        settle();
        for (int output : outputs) {
            timer.start();
            editor.powerSocketClicked(output);
            settle();
            changedOutputSwitch.add(timer);
            closeNote();
            timer.start();
            editor.timeOfDayClicked(editor.currentPhase() == 1 ? 2 : 1);
            settle();
            changedPhaseSwitch.add(timer);
        }
    }

    // the same number of rows per switch (10), three plain cells each, replacing the previous ones
    QWidget plainHost;
    plainHost.setStyleSheet(host.styleSheet());
    auto *dayPlainTable = new QTableWidget(0, 3, &plainHost);
    auto *nightPlainTable = new QTableWidget(0, 3, &plainHost);
    QTableWidget &dayPlain = *dayPlainTable;
    QTableWidget &nightPlain = *nightPlainTable;
    for (QTableWidget *t : {&dayPlain, &nightPlain})
        t->resize(900, 600);
    plainHost.resize(932, 700);
    plainHost.show();
    Figures plainWidgets;
    Figures plainItems;
    for (int round = 0; round < rounds * int(outputs.size()); ++round) {
        timer.start();
        for (QTableWidget *t : {round % 2 ? &dayPlain : &nightPlain}) {
            t->setRowCount(0);
            for (int r = 0; r < 10; ++r) {
                t->insertRow(r);
                t->setCellWidget(r, 0, new QLabel(QStringLiteral("Датчик")));
                t->setCellWidget(r, 1, new QLabel(QStringLiteral("УСЛОВИЕ")));
                auto *combo = new QComboBox;
                combo->addItems({QStringLiteral("ВКЛ"), QStringLiteral("ВЫКЛ")});
                t->setCellWidget(r, 2, combo);
            }
            t->resizeRowsToContents();
        }
        settle();
        plainWidgets.add(timer);
        timer.start();
        for (QTableWidget *t : {round % 2 ? &dayPlain : &nightPlain}) {
            t->setRowCount(0);
            for (int r = 0; r < 10; ++r) {
                t->insertRow(r);
                for (int col = 0; col < 3; ++col)
                    t->setItem(r, col, new QTableWidgetItem(QStringLiteral("строка")));
            }
            t->resizeRowsToContents();
        }
        settle();
        plainItems.add(timer);
    }

    std::printf("scenario editor, 10 rows on every output and phase (budget: one 100 ms tick)\n");
    outputSwitch.print("output switch, rows as last shown");
    phaseSwitch.print("phase switch, rows as last shown");
    changedOutputSwitch.print("output switch, every row changed (10 rebuilt)");
    changedPhaseSwitch.print("phase switch, every row changed (10 rebuilt)");
    plainWidgets.print("10 plain rows: label, label, combo box");
    plainItems.print("10 plain rows: three text items");
    return 0;
}
