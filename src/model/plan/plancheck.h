#pragma once

#include "model/controllerstate.h"

#include <QList>
#include <QString>
#include <QStringList>

// Mistakes in a plan that the save checks let through but that cost a crop: a relay that would
// chatter, a timer that never runs, a rule on a disconnected input. Works on the edited copy of a
// state (after a decode it equals the live plan).
namespace PlanCheck {

enum class Severity {
    Warning, // the plan can do it, but probably not as meant
    Error,   // the plan cannot do what it says
};

enum Phase { NoPhase = -1, DayPhase = 0, NightPhase = 1 };

} // namespace PlanCheck

struct PlanFinding
{
    QString code;                // stable: "inverted-interval", "timer-overlap", ...
    PlanCheck::Severity severity = PlanCheck::Severity::Warning;
    int scenario = -1;           // index into the edited scenarios; -1 = the plan as a whole
    int output = 0;              // output number 1..10; 0 = none
    int phase = PlanCheck::NoPhase;
    int row = -1;                // row of the phase's list; -1 = none
    int day = -1;                // first cycle day concerned (0-based); -1 = none
    QString text;                // one Russian sentence, where included

    bool isError() const { return severity == PlanCheck::Severity::Error; }
};

QList<PlanFinding> checkPlan(const ControllerState &state);
// The rows of one scenario being edited (its day map is not looked at).
QList<PlanFinding> checkScenarioPrograms(const ControllerState &state, int scenario, const QString &name,
                                        const QMap<int, SocketProgram> &sockets);
// "Ошибка: …" / "Предупреждение: …", one line a finding.
QStringList findingLines(const QList<PlanFinding> &findings);

bool hasPlanErrors(const QList<PlanFinding> &findings);
QString severityName(PlanCheck::Severity severity); // "error" / "warning"
QString phaseName(int phase);                       // "day" / "night" / ""
