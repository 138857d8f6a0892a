#pragma once

#include "model/controllerstate.h"
#include "model/plan/scenariosave.h"

#include <QWidget>
#include <optional>

class DayPreviewStrip;
class ScenarioTimetableWidget;
class QListWidget;
class QListWidgetItem;
class QPushButton;
struct DecodeResult;

// The scenario page: the timetable editor under a title bar with help, and "Отмена" / "Сохранить".
// Opened from the navigation panel (edit existing scenarios) or from the calendar (give the
// selected days a scenario); saving hands the result to the calendar through the page request.
class ScenarioForm : public QWidget
{
    Q_OBJECT
public:
    explicit ScenarioForm(QWidget *parent = nullptr);

    ScenarioEditMode editMode = ScenarioEditMode::FromMenu;
    ScenarioTimetableWidget *editor() const { return m_editor; }
    DayPreviewStrip *preview() const { return m_preview; }
    QListWidget *findingsList() const { return m_findings; }

    // From the navigation panel: the first scenario of the day map, arrows shown.
    void openFromMenu();
    // From the calendar (page request 5): the scenario of the first selected day.
    void openForSelectedDays();

signals:
    void helpRequested(int page);

public slots:
    // What the exchange sequencer announces: a decoded configuration (socket captions, condition
    // menu, relay outputs) and an upload about to be encoded (the relay outputs go to the state).
    void takeConfiguration(const DecodeResult &result, bool fallback);
    void refreshEditorForUpload();

    void on_saveButton_clicked();
    void on_cancelButton_clicked();
    void on_helpButton_released();

private:
    // The working copy left by the previous visit, with the scenario it belongs to and the live
    // programs it started from (the arrows may have moved it to another scenario).
    struct KeptEdits
    {
        int index = -1;
        QMap<int, SocketProgram> base;
        QMap<int, SocketProgram> sockets;
    };
    KeptEdits keptEdits() const;
    // Whether a visit that ended without save or cancel (the link was lost) left edits that can
    // go back into their own scenario: opened the same way, and the scenario unchanged since.
    bool restorable(const KeptEdits &kept) const;
    // Puts them back when the editor has just loaded their scenario.
    void restoreUnsavedEdits(const KeptEdits &kept);
    void rememberOpening();
    // The checker's findings and the cycle preview of the working copy.
    void refreshCheck();
    void showFinding(QListWidgetItem *item);
    // A working copy with errors is saved only when the user says so.
    bool confirmSaveWithErrors();

    ScenarioTimetableWidget *m_editor;
    DayPreviewStrip *m_preview;
    QListWidget *m_findings;
    bool m_closedByButtons = true;
    std::optional<ScenarioEditMode> m_openedMode;
    QMap<int, int> m_openedSelection;
};
