#pragma once

#include "model/controllerstate.h"
#include "model/plan/socketprogramedit.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <QTime>
#include <QWidget>

#include <map>

class ActionItem;
class ConditionItem;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSpacerItem;
class QStackedWidget;
class QTableWidget;
class nameitrm;

// The editor of one scenario: for each output (sockets 1..4, relay outputs 5..10) a day table and a
// night table of condition rows. It edits a working copy of the scenario's socket programs; the
// live list is changed only when the scenario page saves. The editing rules are
// SocketProgramEdit's: the tables show the working copy and hand the user's actions to it.
//
// Every output has its own pair of tables, built when first shown. A table remembers the rows it
// shows; showing it again rebuilds only the rows that differ from the working copy.
class ScenarioTimetableWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MaxRows = SocketProgramEdit::MaxRows;
    static constexpr int PriorityLevels = 10;

    explicit ScenarioTimetableWidget(QWidget *parent = nullptr);

    // The working copy: output number -> program.
    const QMap<int, SocketProgram> &workingCopy() const { return m_working; }
    // Replaces the working copy (edits kept from an earlier visit) and shows it.
    void setWorkingCopy(const QMap<int, SocketProgram> &sockets);
    // Replaces one output's program in the working copy and shows it.
    void setWorkingProgram(int output, const SocketProgram &program);
    // The scenario the working copy was loaded from, and its live programs at that time.
    int loadedScenarioIndex() const { return m_loadedScenario; }
    const QMap<int, SocketProgram> &loadedBase() const { return m_loadedBase; }

    // Read-only names of workingCopy() and loadedScenarioIndex() for code that still reads them as
    // fields (the end-to-end scenario test).
    const QMap<int, SocketProgram> &workingSockets;
    const int &loadedScenario;

    int currentOutput() const { return m_output; }
    int currentPhase() const { return m_phase; }
    QTableWidget *currentTable() const;
    bool navigationVisible() const { return m_navigationVisible; }
    int scenarioPosition() const { return m_scenarioPosition; }
    int relayCount() const { return m_relayCount; }
    QStringList intervalTexts() const { return m_intervalTexts; }

    void loadScenario(int index);
    void setNavigationVisible(bool visible);
    void syncRelayOutputs();
    void rebuildConditionMenu();
    void setSocketCaption(int socketIndex, const QString &text);
    void fitRelayButtons();
    // The working copy differs from the live scenario it was loaded from.
    bool hasUnsavedEdits() const;
    // Shows the output and phase of the first condition list that fails its checks, so that the
    // rows a save refused are on screen. False when every list passes.
    bool showFirstFailingList();

    // The tables of the shown output.
    QTableWidget *dayTable() const;
    QTableWidget *nightTable() const;
    QMenu *conditionMenu() const { return m_menu; }
    QPushButton *outputButton(int output) const;
    ConditionItem *conditionCell(QTableWidget *table, int row) const;
    ActionItem *actionCell(QTableWidget *table, int row) const;
    nameitrm *nameCell(QTableWidget *table, int row) const;

signals:
    // The working copy changed (a row added, removed or edited, another scenario loaded).
    void workingCopyChanged();

public slots:
    void powerSocketClicked(int output);
    void timeOfDayClicked(int phase);
    void conditionActionTriggered();
    void conditionChanged(ConditionKind kind, float lower, float upper);
    void value2changed(double upper);
    void valueChanged(double value, const QList<double> &params);
    void priorityChanged(int priority);
    void actionChanged(ConditionAction action);
    void removePowerSocketConditionItem();
    // The calendar switched the day/night split on (1) or off (0).
    void dayPhaseChanged(int state);
    void stepScenario(int direction);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // A row as its cells show it: the record, and what else the cells were made from.
    struct ShownRow
    {
        Condition record;
        int sensorType = -1;    // sensor rows: the input's type (the condition choices)
        int cycleMinutes = -1;  // timer rows: clock or cycle fields, the longest period
        QTime start;            // timer rows: the clock times' origin
    };
    struct Table
    {
        QTableWidget *widget = nullptr;
        QList<ShownRow> shown;
        bool stale = true;  // the working copy may have changed since the rows were made
    };
    struct OutputTables
    {
        Table phase[2];  // day, night
    };

    void buildForm();
    void setUpTable(QTableWidget *table);
    Table &tableOf(int output, int phase);
    Table &current() { return tableOf(m_output, m_phase); }
    Table *builtTable(int output, int phase) const;
    void showTables();
    void markAllStale();
    ShownRow shownRow(const Condition &record) const;
    // Brings the shown output's table of the phase in line with the working copy, rebuilding only
    // the rows that differ; rows from freshFrom on were just added and are shown as new rows.
    void render(int phase, int freshFrom = MaxRows + 1);
    void renderIfStale(int phase);
    void buildRow(QTableWidget *table, int row, const Condition &record, bool fresh);
    SocketProgramEdit currentEdit() const;
    void commit(const SocketProgramEdit &edit);
    // Refreshes the shown record of a row the user edited in place.
    void keepShown(int phase, int row);
    nameitrm *makeNameCell(QTableWidget *table, int kind, int ref, const QString &caption);
    ConditionItem *makeConditionCell(QTableWidget *table, int mode, int sensorType,
                                     const QList<double> &params = QList<double>());
    ActionItem *makeActionCell(QTableWidget *table, ConditionItem *condition);
    void putRow(QTableWidget *table, int row, nameitrm *name, ConditionItem *condition, ActionItem *action);
    int rowOf(QObject *cell, int column) const;
    void applyNavigationRule();
    void updatePriorityVisibility();
    void fitColumns(QTableWidget *table);
    void showLoadingNote();
    void showTooManyRows();

    QMap<int, SocketProgram> m_working;
    int m_loadedScenario = 0;
    QMap<int, SocketProgram> m_loadedBase;
    int m_output = 1;
    int m_phase = 1;
    bool m_navigationVisible = false;
    int m_scenarioPosition = 0;
    int m_relayCount = 0;
    QStringList m_intervalTexts;

    QPushButton *m_socketButtons[4] = {};
    QPushButton *m_relayButtons[6] = {};
    QSpacerItem *m_relaySpacer = nullptr;
    QPushButton *m_prev = nullptr;
    QPushButton *m_next = nullptr;
    QLabel *m_dates = nullptr;
    QFrame *m_phaseFrame = nullptr;
    QPushButton *m_dayButton = nullptr;
    QPushButton *m_nightButton = nullptr;
    QStackedWidget *m_stack = nullptr;
    std::map<int, OutputTables> m_tables;  // by output; std::map keeps references stable
    QPushButton *m_addButton = nullptr;
    QMenu *m_menu = nullptr;
};
