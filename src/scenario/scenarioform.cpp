#include "scenario/scenarioform.h"

#include "link/requests.h"
#include "model/plan/plancheck.h"
#include "model/plan/scenariosave.h"
#include "model/plan/socketmapequality.h"
#include "scenario/daypreviewstrip.h"
#include "scenario/scenariotimetablewidget.h"
#include "widgets/dialogs.h"
#include "widgets/infonote.h"
#include "widgets/theme.h"
#include "widgets/viewstate.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Where a finding's row is, kept on its list line.
constexpr int OutputRole = Qt::UserRole;
constexpr int PhaseRole = Qt::UserRole + 1;
constexpr int RowRole = Qt::UserRole + 2;

} // namespace

ScenarioForm::ScenarioForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ScenarioForm"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral("#ScenarioForm { background: %1; }").arg(Theme::css(Theme::PageBackground)));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);

    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("Сценарии"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setStyleSheet(Theme::titleStyle(22));
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    auto *help = new QPushButton(QStringLiteral("Справка"), this);
    help->setObjectName(QStringLiteral("helpButton"));
    help->setIcon(QIcon(QStringLiteral(":/pict/info.png")));
    help->setIconSize(QSize(36, 36));
    help->setFlat(true);
    help->setCursor(Qt::PointingHandCursor);
    help->setStyleSheet(QStringLiteral("color: %1; font-family: %2; font-size: 14px;").arg(Theme::css(Theme::MutedText), Theme::TextFont));
    titleRow->addWidget(help);
    layout->addLayout(titleRow);

    m_editor = new ScenarioTimetableWidget(this);
    layout->addWidget(m_editor, 1);
    m_editor->show();

    m_preview = new DayPreviewStrip(this);
    layout->addWidget(m_preview);
    m_findings = new QListWidget(this);
    m_findings->setObjectName(QStringLiteral("planFindings"));
    m_findings->setAccessibleName(QStringLiteral("Замечания к сценарию"));
    m_findings->setWordWrap(true);
    m_findings->setMaximumHeight(96);
    m_findings->setStyleSheet(QStringLiteral("QListWidget { background: %1; color: %2;"
                                             " border: none; border-radius: 8px; font-family: %3; font-size: 13px; }")
                                  .arg(Theme::css(Theme::CardBackground), Theme::css(Theme::Text), Theme::TextFont));
    m_findings->hide();
    layout->addWidget(m_findings);
    connect(m_findings, &QListWidget::itemClicked, this, &ScenarioForm::showFinding);
    connect(m_editor, &ScenarioTimetableWidget::workingCopyChanged, this, &ScenarioForm::refreshCheck);

    auto *cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setFlat(true);
    cancel->setCursor(Qt::PointingHandCursor);
    cancel->setStyleSheet(QStringLiteral("color: %1; font-family: %2; font-size: 15px; padding: 10px;").arg(Theme::css(Theme::MutedText), Theme::TextFont));
    auto *save = new QPushButton(QStringLiteral("Сохранить"), this);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setCursor(Qt::PointingHandCursor);
    save->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: %2; border: none;"
                                       " border-radius: 8px; font-family: %3; font-size: 15px; padding: 10px 24px; }")
                            .arg(Theme::css(Theme::Action), Theme::css(Theme::OnColourLight), Theme::TextFont));
    auto *row = new QHBoxLayout;
    row->addWidget(cancel);
    row->addStretch(1);
    row->addWidget(save);
    layout->addLayout(row);

    connect(save, &QPushButton::clicked, this, &ScenarioForm::on_saveButton_clicked);
    connect(cancel, &QPushButton::clicked, this, &ScenarioForm::on_cancelButton_clicked);
    connect(help, &QPushButton::released, this, &ScenarioForm::on_helpButton_released);
}

void ScenarioForm::openFromMenu()
{
    const ControllerState &state = controllerState();
    editMode = ScenarioEditMode::FromMenu;
    if (!state.scenarioOrder.isEmpty()) {
        int index = 1;
        for (auto it = state.scenarioOrder.cbegin(); it != state.scenarioOrder.cend(); ++it) {
            if (it.value() == 0) {
                index = it.key();
                break;
            }
        }
        m_editor->setNavigationVisible(true);
        const KeptEdits kept = keptEdits();
        if (restorable(kept) && state.scenarioOrder.contains(kept.index))
            index = kept.index;
        m_editor->loadScenario(index);
        restoreUnsavedEdits(kept);
        m_editor->fitRelayButtons();
    }
    viewState().openedFromMenu = true;
    rememberOpening();
}

void ScenarioForm::openForSelectedDays()
{
    const ControllerState &state = controllerState();
    editMode = ScenarioEditMode::ForSelectedDays;
    int index = 0;
    for (auto it = state.selectedDayScenarios.cbegin(); it != state.selectedDayScenarios.cend(); ++it) {
        if (it.value() == 0) {
            index = it.key();
            break;
        }
    }
    m_editor->setNavigationVisible(false);
    const KeptEdits kept = keptEdits();
    m_editor->loadScenario(index);
    restoreUnsavedEdits(kept);
    m_editor->fitRelayButtons();
    rememberOpening();
}

ScenarioForm::KeptEdits ScenarioForm::keptEdits() const
{
    return {m_editor->loadedScenarioIndex(), m_editor->loadedBase(), m_editor->workingCopy()};
}

bool ScenarioForm::restorable(const KeptEdits &kept) const
{
    if (m_closedByButtons || m_openedMode != editMode || socketMapsEqual(kept.sockets, kept.base))
        return false;
    const ControllerState &state = controllerState();
    return (editMode == ScenarioEditMode::FromMenu || m_openedSelection == state.selectedDayScenarios)
        && kept.index >= 0 && kept.index < state.scenarios.size()
        && socketMapsEqual(state.scenarios.at(kept.index).sockets, kept.base);
}

void ScenarioForm::restoreUnsavedEdits(const KeptEdits &kept)
{
    if (m_editor->loadedScenarioIndex() != kept.index || !restorable(kept))
        return;
    m_editor->setWorkingCopy(kept.sockets);
    m_editor->powerSocketClicked(m_editor->currentOutput());
    closeNote();
    showNote(window(), QStringLiteral("Несохранённые изменения сценария восстановлены"), NoteClose::Popup, 10);
}

void ScenarioForm::rememberOpening()
{
    m_closedByButtons = false;
    m_openedMode = editMode;
    m_openedSelection = controllerState().selectedDayScenarios;
}

void ScenarioForm::refreshCheck()
{
    const ControllerState &state = controllerState();
    QMap<int, QString> names;
    const QMap<int, SocketProgram> &working = m_editor->workingCopy();
    for (auto it = working.cbegin(); it != working.cend(); ++it)
        names.insert(it.key(), outputName(state, it.key()));
    m_preview->setPlan(working, names, state.editedDayHours, state.editedNightHours);

    const int index = m_editor->loadedScenarioIndex();
    const QString name = index >= 0 && index < state.editedScenarios.size() ? state.editedScenarios.at(index).name
                                                                             : QStringLiteral("Новый сценарий");
    const QList<PlanFinding> findings = checkScenarioPrograms(state, index, name, working);
    const QStringList lines = findingLines(findings);
    m_findings->clear();
    for (int i = 0; i < findings.size(); ++i) {
        auto *item = new QListWidgetItem(lines.at(i), m_findings);
        item->setData(OutputRole, findings.at(i).output);
        item->setData(PhaseRole, findings.at(i).phase);
        item->setData(RowRole, findings.at(i).row);
        item->setForeground(findings.at(i).isError() ? Theme::Alert : Theme::Warning);
    }
    m_findings->setVisible(!findings.isEmpty());
}

void ScenarioForm::showFinding(QListWidgetItem *item)
{
    const int output = item->data(OutputRole).toInt();
    const int phase = item->data(PhaseRole).toInt();
    if (output <= 0 || phase < PlanCheck::DayPhase)
        return;
    m_editor->powerSocketClicked(output);
    m_editor->timeOfDayClicked(phase == PlanCheck::DayPhase ? 1 : 2);
    const int row = item->data(RowRole).toInt();
    QTableWidget *table = m_editor->currentTable();
    if (table && row >= 0 && row < table->rowCount())
        table->selectRow(row);
}

bool ScenarioForm::confirmSaveWithErrors()
{
    const ControllerState &state = controllerState();
    QList<PlanFinding> errors;
    const int index = m_editor->loadedScenarioIndex();
    const QString name = index >= 0 && index < state.editedScenarios.size() ? state.editedScenarios.at(index).name
                                                                             : QStringLiteral("Новый сценарий");
    for (const PlanFinding &f : checkScenarioPrograms(state, index, name, m_editor->workingCopy()))
        if (f.isError())
            errors << f;
    if (errors.isEmpty())
        return true;
    QDialog dialog(window());
    dialog.resize(620, 320);
    auto *layout = new QVBoxLayout(Theme::dialogFrame(&dialog, QStringLiteral("Ошибки в сценарии")));
    auto *intro = new QLabel(QStringLiteral("Сценарий не сможет работать так, как задано:"), &dialog);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto *list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("saveErrors"));
    list->setWordWrap(true);
    list->addItems(findingLines(errors));
    layout->addWidget(list, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *fix = new QPushButton(QStringLiteral("Исправить"), &dialog);
    auto *save = new QPushButton(QStringLiteral("Сохранить всё равно"), &dialog);
    buttons->addWidget(fix);
    buttons->addWidget(save);
    layout->addLayout(buttons);
    connect(fix, &QPushButton::clicked, &dialog, &QDialog::reject);
    connect(save, &QPushButton::clicked, &dialog, &QDialog::accept);
    fix->setDefault(true);
    return Dialogs::exec(&dialog) == QDialog::Accepted;
}

void ScenarioForm::on_saveButton_clicked()
{
    if (!confirmSaveWithErrors())
        return;
    QString refusal;
    const NoteFn note = [&refusal](const QString &text) { refusal = text; };
    const ScenarioSaveResult result = saveScenario(controllerState(), editMode, m_editor->loadedScenario, m_editor->workingSockets, note);
    if (result == ScenarioSaveResult::Refused) {
        // The working copy stays for the user to correct: the refused rows are put on screen
        // (another output or phase, maybe) before the reason is shown.
        m_editor->showFirstFailingList();
        closeNote();
        showNote(window(), refusal, NoteClose::Popup, 10);
        return;
    }
    m_closedByButtons = true;
    switch (result) {
    case ScenarioSaveResult::ForSelectedDays:
        requestPage(PageRequest::CalendarTakesSelection);
        break;
    case ScenarioSaveResult::FromMenu:
        requestPage(PageRequest::CalendarTakesScenario);
        break;
    default:
        requestPage(PageRequest::ShowCalendar);
        break;
    }
}

void ScenarioForm::on_cancelButton_clicked()
{
    ControllerState &state = controllerState();
    state.editedScenarios = state.scenarios;
    m_closedByButtons = true;
    requestPage(PageRequest::ShowCalendar);
}

void ScenarioForm::on_helpButton_released()
{
    emit helpRequested(2);
}

void ScenarioForm::takeConfiguration(const DecodeResult &, bool fallback)
{
    const ControllerState &state = controllerState();
    for (int i = 0; i < ControllerState::SocketCount; ++i)
        m_editor->setSocketCaption(i, state.sockets.at(i).name);
    if (fallback)
        return;
    m_editor->rebuildConditionMenu();
    m_editor->syncRelayOutputs();
}

void ScenarioForm::refreshEditorForUpload()
{
    m_editor->syncRelayOutputs();
    m_editor->update();
}
