#include "scenario/scenariotimetablewidget.h"

#include "model/plan/basescenario.h"
#include "model/numericutil.h"
#include "model/plan/relayoutputs.h"
#include "model/plan/scenariointervals.h"
#include "model/plan/scenariovalidation.h"
#include "model/codec/sensorcatalogue.h"
#include "model/plan/socketmapequality.h"
#include "scenario/actionitem.h"
#include "scenario/conditionitem.h"
#include "widgets/dialogs.h"
#include "widgets/infonote.h"
#include "widgets/nameitrm.h"
#include "widgets/theme.h"
#include "widgets/viewstate.h"

#include <QAction>
#include <optional>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

constexpr int TimerMenuData = -2;

QString outputButtonStyle()
{
    using namespace Theme;
    return QStringLiteral(
               "QPushButton { background: %1; color: %2; border: 1px solid %3;"
               " border-radius: 6px; padding: 6px 10px; font-family: %4; font-size: 12px; }"
               "QPushButton:checked { background: %5; color: %6; }")
        .arg(css(CardBackground), css(Text), css(Border), TextFont, css(Action), css(OnColourLight));
}

QString tableStyle()
{
    using namespace Theme;
    return QStringLiteral(
               "QTableWidget { background: %1; color: %2; border: none; font-family: %4; font-size: 12px; }"
               "QHeaderView::section { background: %3; color: %2; border: none; padding: 4px; }"
               "QLabel { color: %2; }"
               "QLineEdit, QComboBox, QTextEdit { background: %3; color: %2;"
               " border: 1px solid %5; border-radius: 4px; padding: 2px 4px; }"
               "QComboBox QAbstractItemView { background: %3; color: %2; }"
               "QComboBox QAbstractItemView::item { min-height: 36px; }")
        .arg(css(CardBackground), css(Text), css(PageBackground), TextFont, css(Border));
}

double lastParam(const Condition &row)
{
    return row.params.isEmpty() ? -1.0 : row.params.last();
}

int timerIndexOf(const Condition &row)
{
    return int(qBound(qint64(-1), truncateToInt64(lastParam(row)), qint64(1) << 20));
}

} // namespace

ScenarioTimetableWidget::ScenarioTimetableWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ScenarioTimetableWidget"));
    buildForm();
    for (int i = 0; i < 4; ++i)
        connect(m_socketButtons[i], &QPushButton::clicked, this, [this, i] { powerSocketClicked(i + 1); });
    for (int i = 0; i < 6; ++i)
        connect(m_relayButtons[i], &QPushButton::clicked, this, [this, i] { powerSocketClicked(i + 5); });
    connect(m_dayButton, &QPushButton::clicked, this, [this] { timeOfDayClicked(1); });
    connect(m_nightButton, &QPushButton::clicked, this, [this] { timeOfDayClicked(2); });
    connect(m_prev, &QPushButton::released, this, [this] { stepScenario(-1); });
    connect(m_next, &QPushButton::released, this, [this] { stepScenario(1); });

    m_socketButtons[0]->setChecked(true);
    currentSocket = 1;
    m_dayButton->setChecked(true);
    currentPhase = 1;
    m_stack->setCurrentWidget(m_dayPage);
    currentTable = m_dayTable;
    updatePriorityVisibility();
}

void ScenarioTimetableWidget::buildForm()
{
    setMinimumHeight(450);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    auto *header = new QHBoxLayout;
    m_prev = new QPushButton(QStringLiteral("◀"), this);
    m_prev->setObjectName(QStringLiteral("prevsc"));
    m_next = new QPushButton(QStringLiteral("▶"), this);
    m_next->setObjectName(QStringLiteral("nextsc"));
    m_dates = new QLabel(this);
    m_dates->setObjectName(QStringLiteral("scintervlals"));
    m_dates->setAlignment(Qt::AlignCenter);
    m_dates->setStyleSheet(QStringLiteral("color: %1; font-family: %2; font-size: 14pt; font-weight: bold;").arg(Theme::css(Theme::Text), Theme::TextFont));
    for (QPushButton *b : {m_prev, m_next}) {
        b->setFlat(true);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(QStringLiteral("color: %1; font-size: 18px;").arg(Theme::css(Theme::Text)));
    }
    header->addWidget(m_prev);
    header->addWidget(m_dates, 1);
    header->addWidget(m_next);
    layout->addLayout(header);

    auto *outputs = new QHBoxLayout;
    const QStringList socketTexts = {QStringLiteral("ПОРТ 1"), QStringLiteral("ПОРТ2"), QStringLiteral("ПОРТ 3"), QStringLiteral("ПОРТ 4")};
    for (int i = 0; i < 4; ++i) {
        m_socketButtons[i] = new QPushButton(socketTexts.at(i), this);
        m_socketButtons[i]->setObjectName(QStringLiteral("powerSocketButton_%1").arg(i + 1));
        outputs->addWidget(m_socketButtons[i]);
    }
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::VLine);
    line->setStyleSheet(QStringLiteral("color: %1;").arg(Theme::css(Theme::Border)));
    outputs->addWidget(line);
    for (int i = 0; i < 6; ++i) {
        m_relayButtons[i] = new QPushButton(QStringLiteral("РЕЛЕ:"), this);
        m_relayButtons[i]->setObjectName(QStringLiteral("relay%1").arg(i + 1));
        m_relayButtons[i]->hide();
        outputs->addWidget(m_relayButtons[i]);
    }
    m_relaySpacer = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    outputs->addSpacerItem(m_relaySpacer);
    for (int i = 0; i < 10; ++i) {
        QPushButton *b = i < 4 ? m_socketButtons[i] : m_relayButtons[i - 4];
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setStyleSheet(outputButtonStyle());
        b->setMinimumHeight(42);
    }
    layout->addLayout(outputs);

    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("Сценарии работы"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setStyleSheet(QStringLiteral("color: %1; font-family: %2; font-size: 16px; font-weight: 600;").arg(Theme::css(Theme::Text), Theme::TextFont));
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    m_phaseFrame = new QFrame(this);
    m_phaseFrame->setObjectName(QStringLiteral("frame_4"));
    auto *phaseLayout = new QHBoxLayout(m_phaseFrame);
    phaseLayout->setContentsMargins(0, 0, 0, 0);
    m_dayButton = new QPushButton(QStringLiteral("День"), m_phaseFrame);
    m_dayButton->setObjectName(QStringLiteral("dayWorkButton"));
    m_nightButton = new QPushButton(QStringLiteral("Ночь"), m_phaseFrame);
    m_nightButton->setObjectName(QStringLiteral("nightWorkButton"));
    for (QPushButton *b : {m_dayButton, m_nightButton}) {
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setStyleSheet(outputButtonStyle());
        b->setMinimumHeight(36);
        phaseLayout->addWidget(b);
    }
    titleRow->addWidget(m_phaseFrame);
    layout->addLayout(titleRow);

    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("powerSocketTimeStacketWidget"));
    m_dayPage = new QWidget(m_stack);
    m_dayPage->setObjectName(QStringLiteral("powerSocketDayPage"));
    m_nightPage = new QWidget(m_stack);
    m_nightPage->setObjectName(QStringLiteral("powerSocketNightPage"));
    m_dayTable = new QTableWidget(m_dayPage);
    m_dayTable->setObjectName(QStringLiteral("powerSocketDayTable"));
    m_nightTable = new QTableWidget(m_nightPage);
    m_nightTable->setObjectName(QStringLiteral("powerSocketNightTable"));
    for (auto [page, table] : {std::pair{m_dayPage, m_dayTable}, std::pair{m_nightPage, m_nightTable}}) {
        auto *pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        pageLayout->addWidget(table);
        m_stack->addWidget(page);
        setUpTable(table);
    }
    layout->addWidget(m_stack, 1);

    m_addButton = new QPushButton(QStringLiteral("+ Добавить условие"), this);
    m_addButton->setObjectName(QStringLiteral("powerSocketAddButton"));
    m_addButton->setMinimumSize(170, 42);
    m_addButton->setStyleSheet(outputButtonStyle());
    m_menu = new QMenu(m_addButton);
    m_addButton->setMenu(m_menu);
    auto *addRow = new QHBoxLayout;
    addRow->addWidget(m_addButton);
    addRow->addStretch(1);
    layout->addLayout(addRow);
}

void ScenarioTimetableWidget::setUpTable(QTableWidget *table)
{
    table->setColumnCount(3);
    table->setHorizontalHeaderLabels({QStringLiteral("УСЛОВИЕ"), QString(), QStringLiteral("ДЕЙСТВИЕ")});
    table->horizontalHeader()->setSectionsClickable(false);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->verticalHeader()->hide();
    table->setFocusPolicy(Qt::NoFocus);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setShowGrid(false);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    table->setStyleSheet(tableStyle());
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->viewport()->installEventFilter(this);
}

QPushButton *ScenarioTimetableWidget::outputButton(int output) const
{
    if (output >= 1 && output <= 4)
        return m_socketButtons[output - 1];
    if (output >= FirstRelayOutput && output <= LastOutput)
        return m_relayButtons[output - FirstRelayOutput];
    return nullptr;
}

ConditionItem *ScenarioTimetableWidget::conditionCell(QTableWidget *table, int row) const
{
    return qobject_cast<ConditionItem *>(table->cellWidget(row, 1));
}

ActionItem *ScenarioTimetableWidget::actionCell(QTableWidget *table, int row) const
{
    return qobject_cast<ActionItem *>(table->cellWidget(row, 2));
}

nameitrm *ScenarioTimetableWidget::nameCell(QTableWidget *table, int row) const
{
    return qobject_cast<nameitrm *>(table->cellWidget(row, 0));
}

bool ScenarioTimetableWidget::hasUnsavedEdits() const
{
    const QList<Scenario> &live = controllerState().scenarios;
    if (loadedScenario < 0 || loadedScenario >= live.size())
        return !workingSockets.isEmpty();
    return !socketMapsEqual(workingSockets, live.at(loadedScenario).sockets);
}

bool ScenarioTimetableWidget::showFirstFailingList()
{
    const ControllerState &state = controllerState();
    for (auto it = workingSockets.cbegin(); it != workingSockets.cend(); ++it) {
        for (const bool night : {false, true}) {
            if (validateConditionList(state, night ? it->nightConditions : it->dayConditions, night, it.key(), NoteFn()))
                continue;
            if (it.key() != currentSocket && outputButton(it.key()))
                powerSocketClicked(it.key());
            const int phase = night ? 2 : 1;
            if (phase != currentPhase)
                timeOfDayClicked(phase);
            return true;
        }
    }
    return false;
}

void ScenarioTimetableWidget::showLoadingNote()
{
    showNote(window(), QStringLiteral("Загрузка сценария"), NoteClose::AfterTicks, 10);
}

void ScenarioTimetableWidget::loadScenario(int index)
{
    const ControllerState &state = controllerState();
    if (index >= state.scenarios.size())
        index = int(state.scenarios.size()) - 1;
    if (index < 0)
        index = 0;
    workingSockets = index < state.scenarios.size() ? state.scenarios.at(index).sockets : QMap<int, SocketProgram>();
    loadedBase = workingSockets;
    loadedScenario = index;
    intervalTexts = scenarioIntervalTexts(state.days, index);

    if (navigationVisible) {
        const auto found = state.scenarioOrder.constFind(index);
        if (found != state.scenarioOrder.constEnd()) {
            scenarioPosition = found.value();
            m_prev->setVisible(scenarioPosition != 0);
        } else {
            m_prev->setVisible(false);
        }
        m_next->setVisible(scenarioPosition != int(state.scenarioOrder.size()) - 1);
        const QString joined = intervalTexts.join(QLatin1Char(','));
        m_dates->setText(joined);
        m_dates->setToolTip(joined);
    } else {
        m_dates->setToolTip(QString());
    }
    powerSocketClicked(currentSocket);
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::stepScenario(int direction)
{
    if (hasUnsavedEdits()) {
        // another scenario replaces the working copy: never without the user's word
        QMessageBox box(QMessageBox::Question, QStringLiteral("Сценарии"),
                        QStringLiteral("Изменения сценария не сохранены.<p>Перейти к другому сценарию без сохранения?"),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Перейти"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Остаться"));
        if (Dialogs::exec(&box) != QMessageBox::Yes)
            return;
    }
    const QMap<int, int> &order = controllerState().scenarioOrder;
    const int wanted = scenarioPosition + direction;
    int target = 0;
    for (auto it = order.cbegin(); it != order.cend(); ++it) {
        if (it.value() == wanted) {
            target = it.key();
            break;
        }
    }
    loadScenario(target);
}

void ScenarioTimetableWidget::setNavigationVisible(bool visible)
{
    m_phaseFrame->setVisible(controllerState().editedNightHours != 0);
    m_prev->setVisible(visible);
    m_next->setVisible(visible);
    m_dates->setVisible(visible);
    navigationVisible = visible;
}

void ScenarioTimetableWidget::dayPhaseChanged(int state)
{
    m_phaseFrame->setVisible(controllerState().editedNightHours != 0 || state != 0);
    if (state == 0 && currentPhase != 1) {
        m_dayButton->setChecked(true);
        timeOfDayClicked(1);
    }
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::applyNavigationRule()
{
    if (!viewState().openedFromMenu)
        setNavigationVisible(false);
}

void ScenarioTimetableWidget::powerSocketClicked(int output)
{
    if (!outputButton(output))
        return;
    showLoadingNote();
    currentSocket = output;
    outputButton(output)->setChecked(true);
    m_dayTable->setRowCount(0);
    m_nightTable->setRowCount(0);
    // The hidden phase's table is built when it is shown: an output switch then builds half the
    // rows, which keeps it within one tick.
    m_stale[0] = m_stale[1] = true;
    buildIfStale(currentPhase);
    fitColumns(m_dayTable);
    fitColumns(m_nightTable);
    updatePriorityVisibility();
    fitRelayButtons();
}

void ScenarioTimetableWidget::putRow(QTableWidget *table, int row, nameitrm *name, ConditionItem *condition, ActionItem *action)
{
    // one or two lines of caption: keeps the rows as low as their fields
    if (name->textArea()->maximumHeight() > 60)
        name->textArea()->setMaximumHeight(60);
    table->setCellWidget(row, 0, name);
    table->setCellWidget(row, 1, condition);
    // the border belongs to the cell, not to its combo box
    action->setAttribute(Qt::WA_StyledBackground, true);
    action->setStyleSheet(QStringLiteral("ActionItem { border: none; border-left: 2px solid %1; }").arg(Theme::css(Theme::Shadow)));
    table->setCellWidget(row, 2, action);
}

nameitrm *ScenarioTimetableWidget::makeNameCell(QTableWidget *table, int kind, int ref, const QString &caption)
{
    auto *name = new nameitrm(kind, table->viewport());
    name->setCaption(ref, caption);
    connect(name, &nameitrm::removeItem, this, &ScenarioTimetableWidget::removePowerSocketConditionItem);
    return name;
}

// The condition cell's reports, but for its kind: that one is connected once the row shows its
// stored kind, so that showing it changes nothing.
ConditionItem *ScenarioTimetableWidget::makeConditionCell(QTableWidget *table, int mode, int sensorType, const QList<double> &params)
{
    auto *cell = new ConditionItem(table->viewport(), PriorityLevels, mode, sensorType, params);
    connect(cell, &ConditionItem::valueChanged, this, &ScenarioTimetableWidget::valueChanged);
    connect(cell, &ConditionItem::valueChanged2, this, &ScenarioTimetableWidget::value2changed);
    connect(cell, &ConditionItem::priorityChanged, this, &ScenarioTimetableWidget::priorityChanged);
    return cell;
}

ActionItem *ScenarioTimetableWidget::makeActionCell(QTableWidget *table, ConditionItem *condition)
{
    auto *action = new ActionItem(table->viewport());
    connect(action, &ActionItem::actionChanged, this, &ScenarioTimetableWidget::actionChanged);
    connect(condition, &ConditionItem::conditionChanged, action, &ActionItem::conditionChanged);
    return action;
}

void ScenarioTimetableWidget::fillTable(QTableWidget *table, const QList<Condition> &rows)
{
    const QList<SensorSlot> &sensors = controllerState().sensors;
    for (const Condition &record : rows) {
        const int row = table->rowCount();
        table->insertRow(row);
        ConditionItem *condition;
        int nameKind;
        if (record.source == BaseStateSource) {
            condition = makeConditionCell(table, ConditionItem::BaseStateRow, -2);
            nameKind = 0;
        } else if (record.source == TimerSource) {
            condition = makeConditionCell(table, ConditionItem::TimerRow, -2, record.params);
            nameKind = 2;
        } else {
            const int type = record.ref >= 0 && record.ref < sensors.size() ? sensors.at(record.ref).type : SensorOff;
            condition = makeConditionCell(table, ConditionItem::SensorRow, type);
            nameKind = 1;
        }
        nameitrm *name = makeNameCell(table, nameKind, record.ref, record.text);
        condition->setValue(floatFromBits(record.value));
        if (!record.params.isEmpty())
            condition->setUpperValue(record.params.at(0));
        condition->setPriority(record.priority);

        ActionItem *action = makeActionCell(table, condition);
        condition->setKindAndAction(record.kind, record.action);
        connect(condition, &ConditionItem::conditionChanged, this, &ScenarioTimetableWidget::conditionChanged);
        action->setAction(record.action);
        putRow(table, row, name, condition, action);
    }
}

void ScenarioTimetableWidget::timeOfDayClicked(int phase)
{
    if (phase != 1 && phase != 2)
        return;
    currentTable = phase == 1 ? m_dayTable : m_nightTable;
    buildIfStale(phase);
    m_stack->setCurrentWidget(phase == 1 ? m_dayPage : m_nightPage);
    (phase == 1 ? m_dayButton : m_nightButton)->setChecked(true);
    currentPhase = phase;
    fitColumns(currentTable);
    updatePriorityVisibility();
}

void ScenarioTimetableWidget::buildIfStale(int phase)
{
    if (!m_stale[phase - 1])
        return;
    m_stale[phase - 1] = false;
    QTableWidget *table = phase == 1 ? m_dayTable : m_nightTable;
    table->setRowCount(0);
    if (const QList<Condition> *rows = listOf(phase))
        fillTable(table, *rows);
}

bool ScenarioTimetableWidget::isStale(QTableWidget *table) const
{
    return m_stale[table == m_dayTable ? 0 : 1];
}

QList<Condition> *ScenarioTimetableWidget::listOf(int phase)
{
    const auto found = workingSockets.find(currentSocket);
    if (found == workingSockets.end())
        return nullptr;
    return phase == 1 ? &found->dayConditions : &found->nightConditions;
}

QList<Condition> *ScenarioTimetableWidget::currentList()
{
    return listOf(currentPhase);
}

QTableWidget *ScenarioTimetableWidget::otherTable() const
{
    return currentTable == m_dayTable ? m_nightTable : m_dayTable;
}

int ScenarioTimetableWidget::rowOf(QObject *cell, int column) const
{
    if (!cell)
        return -1;
    for (int row = 0; row < currentTable->rowCount(); ++row) {
        if (currentTable->cellWidget(row, column) == cell)
            return row;
    }
    return -1;
}

void ScenarioTimetableWidget::updatePriorityVisibility()
{
    QList<Condition> *list = currentList();
    if (!list)
        return;
    bool conflict = false;
    // the one action all sensor rows share; none yet, or none because of an interval
    std::optional<ConditionAction> a;
    bool mixed = false;
    for (const Condition &row : *list) {
        if (row.source == BaseStateSource)
            continue;
        if (mixed || (a && (*a != row.action || row.kind == ConditionKind::Interval))) {
            conflict = true;
            break;
        }
        mixed = row.kind == ConditionKind::Interval;
        a = row.action;
    }
    for (int row = 0; row < currentTable->rowCount(); ++row) {
        if (ConditionItem *cell = conditionCell(currentTable, row))
            cell->setPriorityVisible(conflict);
    }
    fitColumns(currentTable);
}

void ScenarioTimetableWidget::conditionActionTriggered()
{
    applyNavigationRule();
    auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    const int k = action->data().toInt();
    const ControllerState &state = controllerState();
    if (k == TimerMenuData) {
        if (!state.startTime.isValid() && state.dayHours + state.nightHours == 24) {
            showNote(window(), QStringLiteral("Настройте время начала работы"), NoteClose::Popup, 10);
            return;
        }
        addTimerRows();
    } else if (k >= 0 && k < ControllerState::SensorCount) {
        const int values = int(sensorTypeInfo(state.sensors.at(k).type).valueNames.size());
        for (int c = 0; c < values; ++c) {
            if (!addSensorRow(k, c))
                break;
        }
    } else {
        return;
    }
    updatePriorityVisibility();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::addTimerRows()
{
    QTableWidget *other = otherTable();
    const bool twinShown = !isStale(other);
    const int r = currentTable->rowCount();
    const QList<Condition> *otherRows = listOf(currentPhase == 1 ? 2 : 1);
    const int o = otherRows ? int(otherRows->size()) : 0;
    if (r >= MaxRows || o >= MaxRows) {
        showNote(window(), QStringLiteral("Задано слишком много условий"), NoteClose::Popup, 10);
        return;
    }
    SocketProgram &program = workingSockets[currentSocket];
    program.timers.append(TimerSlot{0, 0, 0, 0, 1, 1, -1, 0, 0});
    const QString caption = timerRowText();
    currentTable->insertRow(r);
    ConditionItem *condition = makeConditionCell(currentTable, ConditionItem::TimerRow, -2);
    connect(condition, &ConditionItem::conditionChanged, this, &ScenarioTimetableWidget::conditionChanged);
    ActionItem *action = makeActionCell(currentTable, condition);
    putRow(currentTable, r, makeNameCell(currentTable, 2, TimerRef, caption), condition, action);
    if (twinShown) {
        other->insertRow(o);
        ConditionItem *twin = makeConditionCell(other, ConditionItem::TimerRow, -2);
        connect(twin, &ConditionItem::conditionChanged, this, &ScenarioTimetableWidget::conditionChanged);
        putRow(other, o, makeNameCell(other, 2, TimerRef, caption), twin, makeActionCell(other, twin));
        other->resizeRowsToContents();
    }

    Condition record;
    record.ref = TimerRef;
    record.text = caption;
    // the kind of a timer row is not written; Above is what reading it back gives
    record.kind = ConditionKind::Above;
    record.priority = condition->priorityOf();
    record.action = action->actionOf();
    record.params = condition->params();
    record.source = TimerSource;
    TimerSlot &timer = program.timers.last();
    timer.start = int(truncateToInt64(record.params.value(0)));
    timer.duration = int(truncateToInt64(record.params.value(1)));
    timer.period = int(truncateToInt64(record.params.value(2)));
    timer.count = int(truncateToInt64(record.params.value(3)));
    record.params << double(program.timers.size() - 1);

    timer.dayRow = currentPhase == 1 ? r : o;
    timer.nightRow = currentPhase == 1 ? o : r;
    program.dayConditions << record;
    program.nightConditions << record;
    currentTable->resizeRowsToContents();
}

bool ScenarioTimetableWidget::addSensorRow(int input, int valueIndex)
{
    const int r = currentTable->rowCount();
    if (r >= MaxRows) {
        showNote(window(), QStringLiteral("Задано слишком много условий"), NoteClose::Popup, 10);
        return false;
    }
    const SensorSlot &sensor = controllerState().sensors.at(input);
    // a value the input offers no channel for cannot be read by the controller
    if (valueIndex >= sensor.channels.size())
        return false;
    currentTable->insertRow(r);
    const QString caption = sensor.name + QStringLiteral(": ") + sensorTypeInfo(sensor.type).valueNames.value(valueIndex);
    ConditionItem *condition = makeConditionCell(currentTable, ConditionItem::SensorRow, sensor.type);
    connect(condition, &ConditionItem::conditionChanged, this, &ScenarioTimetableWidget::conditionChanged);
    ActionItem *action = makeActionCell(currentTable, condition);
    putRow(currentTable, r, makeNameCell(currentTable, 1, input, caption), condition, action);
    currentTable->resizeRowsToContents();

    Condition record;
    record.ref = input;
    record.text = caption;
    record.kind = ConditionKind(condition->kindOf());
    record.priority = condition->priorityOf();
    record.action = action->actionOf();
    record.value = bitsFromFloat(float(condition->valueOf()));
    record.source = sensor.channels.at(valueIndex);
    if (QList<Condition> *list = currentList()) {
        list->append(record);
    } else {
        SocketProgram program;
        (currentPhase == 1 ? program.dayConditions : program.nightConditions) << record;
        workingSockets.insert(currentSocket, program);
    }
    return true;
}

void ScenarioTimetableWidget::addBaseStateRow(ConditionAction action)
{
    const int r = currentTable->rowCount();
    currentTable->insertRow(r);
    ConditionItem *condition = makeConditionCell(currentTable, ConditionItem::BaseStateRow, -2);
    ActionItem *cell = makeActionCell(currentTable, condition);
    cell->setAction(action);
    putRow(currentTable, r, makeNameCell(currentTable, 0, 0, baseStateText()), condition, cell);
    currentTable->resizeRowsToContents();
    // the same row the base scenario and the decoder carry, so equal plans compare equal
    if (QList<Condition> *list = currentList())
        list->append(baseStateCondition(action));
}

void ScenarioTimetableWidget::actionChanged(ConditionAction action)
{
    const int row = rowOf(sender(), 2);
    if (row < 0)
        return;
    if (ConditionItem *cell = conditionCell(currentTable, row))
        cell->setAction(action);
    QList<Condition> *list = currentList();
    if (!list || row >= list->size())
        return;
    (*list)[row].action = action;
    bool hasOn = false;
    bool hasOff = false;
    bool hasBase = false;
    for (const Condition &c : *list) {
        if (c.source == BaseStateSource) {
            hasBase = true;
            continue;
        }
        hasOn = hasOn || c.action == ConditionAction::On;
        hasOff = hasOff || c.action == ConditionAction::Off;
    }
    if (!(hasOn && hasOff) && !hasBase)
        addBaseStateRow(hasOn ? ConditionAction::Off : ConditionAction::On);
    updatePriorityVisibility();
    applyNavigationRule();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::conditionChanged(ConditionKind kind, float lower, float upper)
{
    Q_UNUSED(lower)
    Q_UNUSED(upper)
    const int row = rowOf(sender(), 1);
    QList<Condition> *list = currentList();
    if (row < 0 || !list || row >= list->size())
        return;
    Condition &record = (*list)[row];
    record.kind = kind;
    if (kind == ConditionKind::Interval && record.params.isEmpty())
        record.params = {double(floatFromBits(record.value)) + 1};
    applyNavigationRule();
    updatePriorityVisibility();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::value2changed(double upper)
{
    const int row = rowOf(sender(), 1);
    QList<Condition> *list = currentList();
    if (row < 0 || !list || row >= list->size())
        return;
    Condition &record = (*list)[row];
    if (!record.params.isEmpty())
        record.params[0] = upper;
    else
        record.params = {upper};
    applyNavigationRule();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::priorityChanged(int priority)
{
    const int row = rowOf(sender(), 1);
    QList<Condition> *list = currentList();
    if (row < 0 || !list || row >= list->size())
        return;
    (*list)[row].priority = priority;
    applyNavigationRule();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::valueChanged(double value, const QList<double> &params)
{
    const int row = rowOf(sender(), 1);
    QList<Condition> *list = currentList();
    if (row < 0 || !list || row >= list->size())
        return;
    Condition &record = (*list)[row];
    if (record.source != TimerSource) {
        record.value = bitsFromFloat(toSinglePrecision(value));
        applyNavigationRule();
        return;
    }
    SocketProgram &program = workingSockets[currentSocket];
    const int t = timerIndexOf(record);
    if (t < 0 || t >= program.timers.size() || params.size() < 4)
        return;
    TimerSlot &timer = program.timers[t];
    timer.start = int(truncateToInt64(params.at(0)));
    timer.duration = int(truncateToInt64(params.at(1)));
    timer.period = int(truncateToInt64(params.at(2)));
    timer.count = int(truncateToInt64(params.at(3)));
    QList<double> stored = params.mid(0, 4);
    stored << double(t);
    record.params = stored;
    // the twin rows of the other phase: found by their timer index, so that stale row numbers
    // never refresh a row of another kind
    const int otherPhase = currentPhase == 1 ? 2 : 1;
    QList<Condition> *others = listOf(otherPhase);
    QTableWidget *other = otherTable();
    for (int i = 0; others && i < others->size(); ++i) {
        Condition &twin = (*others)[i];
        if (twin.source != TimerSource || timerIndexOf(twin) != t)
            continue;
        twin.params = stored;
        if (ConditionItem *cell = isStale(other) ? nullptr : conditionCell(other, i))
            cell->setTimer(timer);
    }
    applyNavigationRule();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::removePowerSocketConditionItem()
{
    const int b = rowOf(sender(), 0);
    if (b < 0)
        return;
    // the row's widgets are deleted later, after the remove button's click has returned
    currentTable->removeRow(b);

    QList<Condition> *list = currentList();
    if (list && b < list->size()) {
        SocketProgram &program = workingSockets[currentSocket];
        const Condition record = list->at(b);
        const int t = timerIndexOf(record);
        if (record.source == TimerSource && t >= 0 && t < program.timers.size()) {
            for (int phase = 1; phase <= 2; ++phase) {
                QList<Condition> &rows = phase == 1 ? program.dayConditions : program.nightConditions;
                QTableWidget *table = phase == 1 ? m_dayTable : m_nightTable;
                for (int i = 0; i < rows.size();) {
                    if (rows.at(i).source == TimerSource && timerIndexOf(rows.at(i)) == t) {
                        rows.removeAt(i);
                        if (phase != currentPhase && !isStale(table))
                            table->removeRow(i);
                    } else {
                        ++i;
                    }
                }
            }
            dropUnusedTimer(program, t);
        } else {
            list->removeAt(b);
        }
    }
    updatePriorityVisibility();
    applyNavigationRule();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::dropUnusedTimer(SocketProgram &program, int timer)
{
    // A timer no row names is dropped and the later ones renumbered, so adding and removing a
    // timer leaves the program as it was.
    program.timers.removeAt(timer);
    for (QList<Condition> *rows : {&program.dayConditions, &program.nightConditions}) {
        for (Condition &row : *rows) {
            const int t = timerIndexOf(row);
            if (row.source == TimerSource && t > timer)
                row.params.last() = double(t - 1);
        }
    }
}

void ScenarioTimetableWidget::syncRelayOutputs()
{
    ControllerState &state = controllerState();
    for (int k = 0; k < 6; ++k) {
        const SensorSlot &sensor = state.sensors.at(k);
        m_relayButtons[k]->setVisible(sensor.type == SensorRelayOutput);
        m_relayButtons[k]->setText(QStringLiteral("РЕЛЕ:\n%1").arg(sensor.name));
    }
    const QList<int> relays = relayOutputs(state);
    relayCount = int(relays.size());
    if (relayCount < 4) {
        m_relaySpacer->changeSize(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    } else {
        for (QPushButton *b : m_relayButtons) {
            b->setMinimumWidth(100);
            b->setMaximumWidth(2000);
        }
        m_relaySpacer->changeSize(0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    }
    if (layout())
        layout()->invalidate();
    syncRelayPrograms(state);
    // the open working copy follows the same outputs
    syncRelayProgram(workingSockets, relays, relayChannels(state), keptOutputs(state));
    if (!outputButton(currentSocket) || (currentSocket >= FirstRelayOutput && !relays.contains(currentSocket)))
        currentSocket = 1;
    if (isVisible())
        powerSocketClicked(currentSocket);
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::rebuildConditionMenu()
{
    // the menu owns the actions it made and deletes them
    m_menu->clear();
    auto *timer = m_menu->addAction(timerRowText());
    timer->setData(TimerMenuData);
    connect(timer, &QAction::triggered, this, &ScenarioTimetableWidget::conditionActionTriggered);
    const ControllerState &state = controllerState();
    for (int k = 0; k < ControllerState::SensorCount; ++k) {
        const int type = state.sensors.at(k).type;
        if (type == SensorOff || type == SensorRelayOutput)
            continue;
        auto *action = m_menu->addAction(state.sensors.at(k).name);
        action->setData(k);
        connect(action, &QAction::triggered, this, &ScenarioTimetableWidget::conditionActionTriggered);
    }
}

void ScenarioTimetableWidget::setSocketCaption(int socketIndex, const QString &text)
{
    if (socketIndex >= 0 && socketIndex < 4)
        m_socketButtons[socketIndex]->setText(text);
}

void ScenarioTimetableWidget::fitRelayButtons()
{
    if (relayCount > 3)
        return;
    for (QPushButton *b : m_relayButtons)
        b->setFixedWidth(m_socketButtons[0]->width());
}

void ScenarioTimetableWidget::fitColumns(QTableWidget *table)
{
    const int w = table->viewport()->width();
    int first = int(0.3 * w);
    // a name column wide enough for each name's longest word
    for (int row = 0; row < table->rowCount(); ++row) {
        if (const nameitrm *name = nameCell(table, row))
            first = qMax(first, name->minimumSizeHint().width());
    }
    const int last = qMin(int(0.2 * w), 110);
    int middle = w - last - first;
    if (table->verticalScrollBar()->isVisible())
        middle -= 10;
    table->setColumnWidth(0, first);
    table->setColumnWidth(1, qMax(0, middle));
    table->setColumnWidth(2, last);
    table->resizeRowsToContents();
}

bool ScenarioTimetableWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel && currentTable && watched == currentTable->viewport()) {
        // At the bottom a further turn down stays with the table rather than moving the page;
        // a turn up scrolls the table as anywhere else.
        const auto *wheel = static_cast<QWheelEvent *>(event);
        const int delta = wheel->inverted() ? -wheel->angleDelta().y() : wheel->angleDelta().y();
        QScrollBar *bar = currentTable->verticalScrollBar();
        if (delta < 0 && bar->isVisible() && bar->value() == bar->maximum())
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ScenarioTimetableWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitColumns(m_dayTable);
    fitColumns(m_nightTable);
    fitRelayButtons();
}

void ScenarioTimetableWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitColumns(m_dayTable);
    fitColumns(m_nightTable);
}
