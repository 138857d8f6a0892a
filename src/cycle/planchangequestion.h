#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QWidget;

// The question before a whole plan is written over the one the controller holds: it lists what
// would change (planDiffLines) and is asked through the dialog seam. heldBody is the image body
// the controller holds now (SnapshotKeeper::heldBody); empty when it is not known.
namespace PlanChangeQuestion {

// Before a snapshot taken at `taken` is written back. True when the user goes on.
bool confirmRestore(QWidget *parent, const QByteArray &heldBody, const QByteArray &snapshot, const QDateTime &taken);

// Before a scenario file's image is handed to the controller; the start shown is where loading
// moves it. True when the user goes on.
bool confirmScenarioFile(QWidget *parent, const QByteArray &heldBody, const QByteArray &image);

// Lines shown per group of changes; the rest of a group is counted in one line.
constexpr int MaxLinesPerGroup = 8;

// Object names for tests: the list of changes and the two buttons.
inline const char *const ListName = "planChangeList";
inline const char *const AcceptName = "acceptButton";

} // namespace PlanChangeQuestion
