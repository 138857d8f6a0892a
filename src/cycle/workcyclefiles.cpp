// Saving and loading scenario files from the work-cycle page.

#include "cycle/workcyclesettingsform.h"

#include "cycle/planchangequestion.h"

#include "link/requests.h"
#include "model/codec/configimage.h"
#include "model/controllerstate.h"
#include "model/files/daycomments.h"
#include "model/files/filewrite.h"
#include "model/plan/pendingplan.h"
#include "model/files/scenariofile.h"
#include "model/files/workfolders.h"
#include "widgets/dialogs.h"
#include "widgets/infonote.h"

#include <QFileInfo>

namespace {

const QString FileFilter = QStringLiteral("Сценарий (*.scn)");

// A scenario file holds an image body (no more than the controller's 0x7F00 bytes of memory
// less the header) and the notes of at most 80 cycle days with one description, all typed by hand.
// 4 MiB leaves some 50 KB of text (dozens of pages) for each of those 81 notes: far beyond any real
// file, and still small enough to read into memory at once.
constexpr qint64 MaxScenarioFileBytes = 4 * 1024 * 1024;

QString fileNote(const QString &what, const QString &path)
{
    return what + QStringLiteral("<p>") + QFileInfo(path).fileName().toHtmlEscaped();
}

} // namespace

void WorkCycleSettingsForm::on_uploadscenario_released()
{
    if (controllerState().cycleCount == 0) {
        note(QStringLiteral("Задайте рабочий сценарий"));
        return;
    }
    const QByteArray image = controllerImageBody();
    if (!imageHoldsWholePlan(image)) {
        // e.g. the image is being read back right now: a file of half an image could not be loaded
        note(QStringLiteral("Сценарий еще не прочитан из контроллера"));
        return;
    }
    if (m_scenarioFolder.isEmpty())
        m_scenarioFolder = workFolders().scenarioDir.path();
    const QString chosen = Dialogs::getSaveFileName(window(), QStringLiteral("Выгрузить сценарий"),
                                                    m_scenarioFolder + QStringLiteral("/сценарий"), FileFilter);
    if (chosen.isEmpty())
        return;
    const QString folder = folderOfPath(chosen);
    if (!folder.isEmpty())
        m_scenarioFolder = folder;

    const ScenarioFilePaths paths = scenarioFilePaths(chosen);
    const ScenarioFileContent content = collectScenarioFile(image);
    closeNote();
    if (!writeWholeFile(paths.scenario, writeScenarioFile(content))) {
        note(fileNote(QStringLiteral("Не удалось записать файл"), paths.scenario));
        return;
    }
    if (!content.description.isEmpty() && !writeWholeFile(paths.companion, content.description)) {
        note(fileNote(QStringLiteral("Не удалось записать файл"), paths.companion));
        return;
    }
    note(QStringLiteral("Сценарий сохранен"));
}

void WorkCycleSettingsForm::on_loadscenario_released()
{
    // one plan on its way at a time: a waiting one is never replaced unseen
    if (pendingPlan().isWaiting()) {
        note(pendingPlan().stillWaitingNote());
        return;
    }
    if (m_scenarioFolder.isEmpty())
        m_scenarioFolder = workFolders().scenarioDir.path();
    const QString path = Dialogs::getOpenFileName(window(), QStringLiteral("Загрузить сценарий"), m_scenarioFolder, FileFilter);
    if (path.isEmpty())
        return;
    closeNote();
    // A file larger than any scenario file can be is damaged, and is not read into memory.
    QByteArray bytes;
    switch (readFileUpTo(path, MaxScenarioFileBytes, &bytes)) {
    case BoundedRead::Read:
        break;
    case BoundedRead::TooLarge:
        note(fileNote(QStringLiteral("Файл сценария поврежден"), path));
        return;
    case BoundedRead::Unreadable:
        note(fileNote(QStringLiteral("Не удалось открыть файл"), path));
        return;
    }
    // Everything is checked before anything changes: a damaged file leaves plan and notes alone.
    ScenarioFileContent content;
    if (!readScenarioFile(bytes, &content) || !imageHoldsWholePlan(content.image)) {
        note(fileNote(QStringLiteral("Файл сценария поврежден"), path));
        return;
    }
    // The grower sees what the file would change on the controller before anything does.
    const QByteArray held = controllerImageBody();
    if (!PlanChangeQuestion::confirmScenarioFile(window(), imageHoldsWholePlan(held) ? held : QByteArray(), content.image))
        return;

    // The plan waits for an idle exchange; then the sequencer takes it as the controller's image,
    // moves the start to today and writes it. The file's notes and description replace the
    // controller's only once the controller confirmed that plan (PageRouter): until then, and
    // for good should the plan not get there, the notes stay as they are.
    PlanNotes notes;
    notes.index = content.index;
    for (const ScenarioNote &n : std::as_const(content.notes))
        notes.files.insert(n.number, n.text);
    notes.description = content.description;
    QString refusal;
    if (!offerPlan(linkedController(), QFileInfo(path).fileName(), content.image, false, &notes, &refusal)) {
        note(refusal);
        return;
    }
    showNote(window(), QStringLiteral("Загрузка данных"), NoteClose::OnIdle, 10);
}
