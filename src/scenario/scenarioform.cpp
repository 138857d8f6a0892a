#include "scenario/scenarioform.h"

#include "link/exchangestate.h"
#include "model/scenariosave.h"
#include "model/socketmapequality.h"
#include "scenario/scenariotimetablewidget.h"
#include "widgets/infonote.h"
#include "widgets/viewstate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ScenarioForm::ScenarioForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ScenarioForm"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral("#ScenarioForm { background: rgba(42, 46, 48, 1); }"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);

    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("Сценарии"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setStyleSheet(QStringLiteral("color: rgb(230, 232, 233); font-family: Inter; font-size: 22px; font-weight: 700;"));
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    auto *help = new QPushButton(QStringLiteral("Справка"), this);
    help->setObjectName(QStringLiteral("helpButton"));
    help->setIcon(QIcon(QStringLiteral(":/pict/info.png")));
    help->setIconSize(QSize(36, 36));
    help->setFlat(true);
    help->setCursor(Qt::PointingHandCursor);
    help->setStyleSheet(QStringLiteral("color: rgb(183, 192, 197); font-family: Inter; font-size: 14px;"));
    titleRow->addWidget(help);
    layout->addLayout(titleRow);

    m_editor = new ScenarioTimetableWidget(this);
    layout->addWidget(m_editor, 1);
    m_editor->show();

    auto *cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setFlat(true);
    cancel->setCursor(Qt::PointingHandCursor);
    cancel->setStyleSheet(QStringLiteral("color: rgb(183, 192, 197); font-family: Inter; font-size: 15px; padding: 10px;"));
    auto *save = new QPushButton(QStringLiteral("Сохранить"), this);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setCursor(Qt::PointingHandCursor);
    save->setStyleSheet(QStringLiteral("QPushButton { background: rgba(0, 132, 255, 1); color: white; border: none;"
                                       " border-radius: 8px; font-family: Inter; font-size: 15px; padding: 10px 24px; }"));
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
    return {m_editor->loadedScenario, m_editor->loadedBase, m_editor->workingSockets};
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
    if (m_editor->loadedScenario != kept.index || !restorable(kept))
        return;
    m_editor->workingSockets = kept.sockets;
    m_editor->powerSocketClicked(m_editor->currentSocket);
    closeNote();
    showNote(window(), QStringLiteral("Несохранённые изменения сценария восстановлены"), NoteClose::Popup, 10);
}

void ScenarioForm::rememberOpening()
{
    m_closedByButtons = false;
    m_openedMode = editMode;
    m_openedSelection = controllerState().selectedDayScenarios;
}

void ScenarioForm::on_saveButton_clicked()
{
    QString refusal;
    const NoteFn note = [&refusal](const QString &text) { refusal = text; };
    const int request = saveScenario(controllerState(), editMode, m_editor->loadedScenario, m_editor->workingSockets, note);
    if (request == 0) {
        // The working copy stays for the user to correct: the refused rows are put on screen
        // (another output or phase, maybe) before the reason is shown.
        m_editor->showFirstFailingList();
        closeNote();
        showNote(window(), refusal, NoteClose::Popup, 10);
        return;
    }
    m_closedByButtons = true;
    exchange().pageRequest = request;
}

void ScenarioForm::on_cancelButton_clicked()
{
    ControllerState &state = controllerState();
    state.editedScenarios = state.scenarios;
    m_closedByButtons = true;
    exchange().pageRequest = 3;
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
