#pragma once

#include "model/controllerstate.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <QWidget>

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
// live list is changed only when the scenario page saves.
class ScenarioTimetableWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MaxRows = 10;
    static constexpr int PriorityLevels = 10;

    explicit ScenarioTimetableWidget(QWidget *parent = nullptr);

    QMap<int, SocketProgram> workingSockets;
    int loadedScenario = 0;
    // The live programs of loadedScenario when it was loaded: what the working copy started from.
    QMap<int, SocketProgram> loadedBase;
    int currentSocket = 1;
    int currentPhase = 1;
    QTableWidget *currentTable = nullptr;

    // editor state the page and the routing read
    bool navigationVisible = false;
    int scenarioPosition = 0;
    int relayCount = 0;
    QStringList intervalTexts;

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

    QTableWidget *dayTable() const { return m_dayTable; }
    QTableWidget *nightTable() const { return m_nightTable; }
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
    void buildForm();
    void setUpTable(QTableWidget *table);
    void fillTable(QTableWidget *table, const QList<Condition> &rows);
    void buildIfStale(int phase);
    bool isStale(QTableWidget *table) const;
    void addTimerRows();
    bool addSensorRow(int input, int valueIndex);
    void addBaseStateRow(ConditionAction action);
    nameitrm *makeNameCell(QTableWidget *table, int kind, int ref, const QString &caption);
    ConditionItem *makeConditionCell(QTableWidget *table, int mode, int sensorType,
                                     const QList<double> &params = QList<double>());
    ActionItem *makeActionCell(QTableWidget *table, ConditionItem *condition);
    void putRow(QTableWidget *table, int row, nameitrm *name, ConditionItem *condition, ActionItem *action);
    QList<Condition> *currentList();
    QList<Condition> *listOf(int phase);
    QTableWidget *otherTable() const;
    int rowOf(QObject *cell, int column) const;
    void applyNavigationRule();
    void updatePriorityVisibility();
    void fitColumns(QTableWidget *table);
    void dropUnusedTimer(SocketProgram &program, int timer);
    void showLoadingNote();

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
    QWidget *m_dayPage = nullptr;
    QWidget *m_nightPage = nullptr;
    QTableWidget *m_dayTable = nullptr;
    QTableWidget *m_nightTable = nullptr;
    QPushButton *m_addButton = nullptr;
    QMenu *m_menu = nullptr;
    bool m_stale[2] = {false, false};  // day, night: the table must be built from the model
};
