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

#include <cstring>

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

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Whether two records give rows that look the same: a timer row's index is bookkeeping that its
// cells never show (it changes when an earlier timer goes).
bool sameDisplay(const Condition &a, const Condition &b)
{
    if (a.text != b.text || a.ref != b.ref || a.kind != b.kind || a.value != b.value || a.priority != b.priority
        || a.action != b.action || a.source != b.source)
        return false;
    const bool timer = a.source == TimerSource;
    const qsizetype shownParams = timer ? qMin<qsizetype>(4, qMax(a.params.size(), b.params.size())) : a.params.size();
    if (!timer && a.params.size() != b.params.size())
        return false;
    for (qsizetype i = 0; i < shownParams; ++i) {
        if (!sameBits(a.params.value(i), b.params.value(i)))
            return false;
    }
    return true;
}

} // namespace

ScenarioTimetableWidget::ScenarioTimetableWidget(QWidget *parent)
    : QWidget(parent), workingSockets(m_working), loadedScenario(m_loadedScenario)
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
    m_output = 1;
    m_dayButton->setChecked(true);
    m_phase = 1;
    showTables();
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
    // the tables are made per output when it is first shown
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

ScenarioTimetableWidget::Table &ScenarioTimetableWidget::tableOf(int output, int phase)
{
    auto found = m_tables.find(output);
    if (found == m_tables.end()) {
        found = m_tables.emplace(output, OutputTables()).first;
        for (int p = 0; p < 2; ++p) {
            auto *table = new QTableWidget(m_stack);
            table->setObjectName(p == 0 ? QStringLiteral("powerSocketDayTable") : QStringLiteral("powerSocketNightTable"));
            setUpTable(table);
            m_stack->addWidget(table);
            found->second.phase[p].widget = table;
        }
    }
    return found->second.phase[phase == 2 ? 1 : 0];
}

ScenarioTimetableWidget::Table *ScenarioTimetableWidget::builtTable(int output, int phase) const
{
    const auto found = m_tables.find(output);
    if (found == m_tables.end())
        return nullptr;
    return const_cast<Table *>(&found->second.phase[phase == 2 ? 1 : 0]);
}

QTableWidget *ScenarioTimetableWidget::dayTable() const
{
    const Table *table = builtTable(m_output, 1);
    return table ? table->widget : nullptr;
}

QTableWidget *ScenarioTimetableWidget::nightTable() const
{
    const Table *table = builtTable(m_output, 2);
    return table ? table->widget : nullptr;
}

QTableWidget *ScenarioTimetableWidget::currentTable() const
{
    return m_phase == 1 ? dayTable() : nightTable();
}

void ScenarioTimetableWidget::showTables()
{
    m_stack->setCurrentWidget(tableOf(m_output, m_phase).widget);
}

void ScenarioTimetableWidget::markAllStale()
{
    for (auto &[output, tables] : m_tables) {
        for (Table &table : tables.phase)
            table.stale = true;
    }
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
    if (m_loadedScenario < 0 || m_loadedScenario >= live.size())
        return !m_working.isEmpty();
    return !socketMapsEqual(m_working, live.at(m_loadedScenario).sockets);
}

bool ScenarioTimetableWidget::showFirstFailingList()
{
    const ControllerState &state = controllerState();
    for (auto it = m_working.cbegin(); it != m_working.cend(); ++it) {
        for (const bool night : {false, true}) {
            if (validateConditionList(state, night ? it->nightConditions : it->dayConditions, night, it.key(), NoteFn()))
                continue;
            if (it.key() != m_output && outputButton(it.key()))
                powerSocketClicked(it.key());
            const int phase = night ? 2 : 1;
            if (phase != m_phase)
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


void ScenarioTimetableWidget::showTooManyRows()
{
    showNote(window(), QStringLiteral("Задано слишком много условий"), NoteClose::Popup, 10);
}

void ScenarioTimetableWidget::loadScenario(int index)
{
    const ControllerState &state = controllerState();
    if (index >= state.scenarios.size())
        index = int(state.scenarios.size()) - 1;
    if (index < 0)
        index = 0;
    m_working = index < state.scenarios.size() ? state.scenarios.at(index).sockets : QMap<int, SocketProgram>();
    m_loadedBase = m_working;
    m_loadedScenario = index;
    m_intervalTexts = scenarioIntervalTexts(state.days, index);
    markAllStale();

    if (m_navigationVisible) {
        const auto found = state.scenarioOrder.constFind(index);
        if (found != state.scenarioOrder.constEnd()) {
            m_scenarioPosition = found.value();
            m_prev->setVisible(m_scenarioPosition != 0);
        } else {
            m_prev->setVisible(false);
        }
        m_next->setVisible(m_scenarioPosition != int(state.scenarioOrder.size()) - 1);
        const QString joined = m_intervalTexts.join(QLatin1Char(','));
        m_dates->setText(joined);
        m_dates->setToolTip(joined);
    } else {
        m_dates->setToolTip(QString());
    }
    powerSocketClicked(m_output);
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::setWorkingCopy(const QMap<int, SocketProgram> &sockets)
{
    m_working = sockets;
    markAllStale();
    render(m_phase);
    updatePriorityVisibility();
}

void ScenarioTimetableWidget::setWorkingProgram(int output, const SocketProgram &program)
{
    m_working.insert(output, program);
    markAllStale();
    render(m_phase);
    updatePriorityVisibility();
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
    const int wanted = m_scenarioPosition + direction;
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
    m_navigationVisible = visible;
}

void ScenarioTimetableWidget::dayPhaseChanged(int state)
{
    m_phaseFrame->setVisible(controllerState().editedNightHours != 0 || state != 0);
    if (state == 0 && m_phase != 1) {
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
    m_output = output;
    outputButton(output)->setChecked(true);
    // The shown phase's table is brought in line with the working copy; the hidden phase's when it
    // is shown. An output shown before keeps its rows, and only those that changed are made anew.
    render(m_phase);
    showTables();
    fitColumns(currentTable());
    // a hidden table that may show another output's rows is fitted when it is shown
    const int other = m_phase == 1 ? 2 : 1;
    if (!tableOf(m_output, other).stale)
        fitColumns(tableOf(m_output, other).widget);
    updatePriorityVisibility();
    fitRelayButtons();
}

void ScenarioTimetableWidget::timeOfDayClicked(int phase)
{
    if (phase != 1 && phase != 2)
        return;
    m_phase = phase;
    renderIfStale(phase);
    showTables();
    (phase == 1 ? m_dayButton : m_nightButton)->setChecked(true);
    fitColumns(currentTable());
    updatePriorityVisibility();
}

void ScenarioTimetableWidget::putRow(QTableWidget *table, int row, nameitrm *name, ConditionItem *condition, ActionItem *action)
{
    // Cells replaced are deleted by the table, later; hidden now, as the table hides the cells of
    // a row it removes.
    for (int column = 0; column < 3; ++column) {
        if (QWidget *old = table->cellWidget(row, column))
            old->hide();
    }
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

// The cells of an existing row made from its record (cells there before are replaced). A fresh
// row (one the user has just added) shows its threshold field as the condition cell makes it, not
// the record's 0.
void ScenarioTimetableWidget::buildRow(QTableWidget *table, int row, const Condition &record, bool fresh)
{
    const QList<SensorSlot> &sensors = controllerState().sensors;
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
    if (!fresh)
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

ScenarioTimetableWidget::ShownRow ScenarioTimetableWidget::shownRow(const Condition &record) const
{
    const ControllerState &state = controllerState();
    ShownRow shown;
    shown.record = record;
    if (record.source == TimerSource) {
        shown.cycleMinutes = editedCycleMinutes(state);
        shown.start = state.startTime.isValid() ? state.startTime.time() : QTime();
    } else if (record.source != BaseStateSource) {
        shown.sensorType = record.ref >= 0 && record.ref < state.sensors.size() ? state.sensors.at(record.ref).type : SensorOff;
    }
    return shown;
}

namespace {

template<typename Shown>
bool sameRow(const Shown &a, const Shown &b)
{
    return a.sensorType == b.sensorType && a.cycleMinutes == b.cycleMinutes && a.start == b.start
        && sameDisplay(a.record, b.record);
}

} // namespace

void ScenarioTimetableWidget::render(int phase, int freshFrom)
{
    Table &table = tableOf(m_output, phase);
    const auto program = m_working.constFind(m_output);
    const QList<Condition> rows = program == m_working.cend() ? QList<Condition>()
                                  : phase == 1                 ? program->dayConditions
                                                               : program->nightConditions;
    QList<ShownRow> wanted;
    wanted.reserve(rows.size());
    for (const Condition &record : rows)
        wanted << shownRow(record);

    // The rows both lists begin and end with stay; of the rest, rows at the same place are
    // replaced one by one when there are as many as before, and all of them otherwise.
    const QList<ShownRow> &shown = table.shown;
    qsizetype head = 0;
    while (head < shown.size() && head < wanted.size() && sameRow(shown.at(head), wanted.at(head)))
        ++head;
    qsizetype tail = 0;
    while (tail < shown.size() - head && tail < wanted.size() - head
           && sameRow(shown.at(shown.size() - 1 - tail), wanted.at(wanted.size() - 1 - tail)))
        ++tail;
    const qsizetype oldMiddle = shown.size() - head - tail;
    const qsizetype newMiddle = wanted.size() - head - tail;
    QTableWidget *widget = table.widget;
    bool changed = false;
    // Replaced cells are deleted by the table, later, after the signal that led here has returned.
    if (oldMiddle == newMiddle) {
        for (qsizetype r = head; r < head + newMiddle; ++r) {
            if (sameRow(shown.at(r), wanted.at(r)))
                continue;
            buildRow(widget, int(r), rows.at(r), r >= freshFrom);
            changed = true;
        }
    } else if (tail == 0) {
        // rows go from or come to the end: the row count changes once
        widget->setRowCount(int(head));
        widget->setRowCount(int(wanted.size()));
        for (qsizetype r = head; r < wanted.size(); ++r)
            buildRow(widget, int(r), rows.at(r), r >= freshFrom);
        changed = true;
    } else {
        for (qsizetype i = 0; i < oldMiddle; ++i)
            widget->removeRow(int(head));
        for (qsizetype r = head; r < head + newMiddle; ++r) {
            widget->insertRow(int(r));
            buildRow(widget, int(r), rows.at(r), r >= freshFrom);
        }
        changed = true;
    }
    table.shown = wanted;
    table.stale = false;
    // a new name may need a wider name column
    if (changed)
        fitColumns(widget);
}

void ScenarioTimetableWidget::renderIfStale(int phase)
{
    if (tableOf(m_output, phase).stale)
        render(phase);
}

SocketProgramEdit ScenarioTimetableWidget::currentEdit() const
{
    const auto found = m_working.constFind(m_output);
    return found == m_working.cend() ? SocketProgramEdit() : SocketProgramEdit(*found);
}

void ScenarioTimetableWidget::commit(const SocketProgramEdit &edit)
{
    if (edit.hasProgram())
        m_working.insert(m_output, edit.program());
}

void ScenarioTimetableWidget::keepShown(int phase, int row)
{
    Table &table = tableOf(m_output, phase);
    const auto program = m_working.constFind(m_output);
    if (program == m_working.cend())
        return;
    const QList<Condition> &rows = phase == 1 ? program->dayConditions : program->nightConditions;
    if (row >= 0 && row < table.shown.size() && row < rows.size())
        table.shown[row].record = rows.at(row);
}

int ScenarioTimetableWidget::rowOf(QObject *cell, int column) const
{
    QTableWidget *table = currentTable();
    if (!cell || !table)
        return -1;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->cellWidget(row, column) == cell)
            return row;
    }
    return -1;
}

void ScenarioTimetableWidget::updatePriorityVisibility()
{
    if (!m_working.contains(m_output))
        return;
    const bool conflict = currentEdit().prioritiesMatter(m_phase);
    QTableWidget *table = currentTable();
    if (!table)
        return;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (ConditionItem *cell = conditionCell(table, row))
            cell->setPriorityVisible(conflict);
    }
    fitColumns(table);
}

void ScenarioTimetableWidget::conditionActionTriggered()
{
    applyNavigationRule();
    auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    const int k = action->data().toInt();
    const ControllerState &state = controllerState();
    // new rows go after the rows the table shows
    renderIfStale(m_phase);
    SocketProgramEdit edit = currentEdit();
    const int before = int(edit.rows(m_phase).size());
    if (k == TimerMenuData) {
        const SocketProgramEdit::Refusal refusal = edit.addTimer(state);
        if (refusal == SocketProgramEdit::Refusal::NoStartTime) {
            showNote(window(), QStringLiteral("Настройте время начала работы"), NoteClose::Popup, 10);
            return;
        }
        if (refusal == SocketProgramEdit::Refusal::TooManyRows) {
            showTooManyRows();
        } else {
            commit(edit);
            render(m_phase, before);
            // the twin in the other phase, when that table shows this output's rows
            const int other = m_phase == 1 ? 2 : 1;
            if (!tableOf(m_output, other).stale)
                render(other);
        }
    } else if (k >= 0 && k < ControllerState::SensorCount) {
        const SocketProgramEdit::Added added = edit.addSensorRows(m_phase, k, state.sensors.at(k));
        if (added.rows > 0) {
            commit(edit);
            render(m_phase, before);
        }
        if (added.refusal == SocketProgramEdit::Refusal::TooManyRows)
            showTooManyRows();
    } else {
        return;
    }
    updatePriorityVisibility();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::actionChanged(ConditionAction action)
{
    const int row = rowOf(sender(), 2);
    if (row < 0)
        return;
    if (ConditionItem *cell = conditionCell(currentTable(), row))
        cell->setAction(action);
    SocketProgramEdit edit = currentEdit();
    bool baseStateAdded = false;
    if (!edit.setAction(m_phase, row, action, &baseStateAdded))
        return;
    commit(edit);
    keepShown(m_phase, row);
    if (baseStateAdded)
        render(m_phase);
    updatePriorityVisibility();
    applyNavigationRule();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::conditionChanged(ConditionKind kind, float lower, float upper)
{
    Q_UNUSED(lower)
    Q_UNUSED(upper)
    const int row = rowOf(sender(), 1);
    SocketProgramEdit edit = currentEdit();
    if (!edit.setKind(m_phase, row, kind))
        return;
    commit(edit);
    keepShown(m_phase, row);
    applyNavigationRule();
    updatePriorityVisibility();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::value2changed(double upper)
{
    const int row = rowOf(sender(), 1);
    SocketProgramEdit edit = currentEdit();
    if (!edit.setUpperBound(m_phase, row, upper))
        return;
    commit(edit);
    keepShown(m_phase, row);
    applyNavigationRule();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::priorityChanged(int priority)
{
    const int row = rowOf(sender(), 1);
    SocketProgramEdit edit = currentEdit();
    if (!edit.setPriority(m_phase, row, priority))
        return;
    commit(edit);
    keepShown(m_phase, row);
    applyNavigationRule();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::valueChanged(double value, const QList<double> &params)
{
    const int row = rowOf(sender(), 1);
    SocketProgramEdit edit = currentEdit();
    const SocketProgramEdit::ValueEdit result = edit.setValue(m_phase, row, value, params);
    if (result == SocketProgramEdit::ValueEdit::Refused)
        return;
    commit(edit);
    keepShown(m_phase, row);
    if (result == SocketProgramEdit::ValueEdit::Threshold) {
        applyNavigationRule();
        return;
    }
    // the twin rows of the other phase show the timer's new fields, when that table shows this
    // output's rows
    const int otherPhase = m_phase == 1 ? 2 : 1;
    Table &other = tableOf(m_output, otherPhase);
    if (!other.stale) {
        const TimerSlot timer = *edit.timerOf(m_phase, row);
        for (int i : edit.timerTwins(m_phase, row)) {
            if (ConditionItem *cell = conditionCell(other.widget, i))
                cell->setTimer(timer);
            keepShown(otherPhase, i);
        }
    }
    applyNavigationRule();
    emit workingCopyChanged();
}

void ScenarioTimetableWidget::removePowerSocketConditionItem()
{
    const int row = rowOf(sender(), 0);
    if (row < 0)
        return;
    SocketProgramEdit edit = currentEdit();
    if (edit.removeRow(m_phase, row) == SocketProgramEdit::Refusal::None) {
        commit(edit);
        render(m_phase);
        // a timer's twins go from the other phase's table, when it shows this output's rows
        const int other = m_phase == 1 ? 2 : 1;
        if (!tableOf(m_output, other).stale)
            render(other);
    }
    updatePriorityVisibility();
    applyNavigationRule();
    emit workingCopyChanged();
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
    m_relayCount = int(relays.size());
    if (m_relayCount < 4) {
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
    m_output = syncWorkingCopyWithRelays(m_working, state, m_output);
    tableOf(m_output, m_phase);
    markAllStale();
    if (isVisible())
        powerSocketClicked(m_output);
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
    if (m_relayCount > 3)
        return;
    for (QPushButton *b : m_relayButtons)
        b->setFixedWidth(m_socketButtons[0]->width());
}

void ScenarioTimetableWidget::fitColumns(QTableWidget *table)
{
    if (!table)
        return;
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
    QTableWidget *table = event->type() == QEvent::Wheel ? currentTable() : nullptr;
    if (table && watched == table->viewport()) {
        // At the bottom a further turn down stays with the table rather than moving the page;
        // a turn up scrolls the table as anywhere else.
        const auto *wheel = static_cast<QWheelEvent *>(event);
        const int delta = wheel->inverted() ? -wheel->angleDelta().y() : wheel->angleDelta().y();
        QScrollBar *bar = table->verticalScrollBar();
        if (delta < 0 && bar->isVisible() && bar->value() == bar->maximum())
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ScenarioTimetableWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitColumns(dayTable());
    fitColumns(nightTable());
    fitRelayButtons();
}

void ScenarioTimetableWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitColumns(dayTable());
    fitColumns(nightTable());
}
