// Saving and loading scenario files from the work-cycle page.

#include "cycle/workcyclesettingsform.h"

#include "cycle/planchangequestion.h"

#include "link/exchangestate.h"
#include "model/configimage.h"
#include "model/controllerstate.h"
#include "model/daycomments.h"
#include "model/filewrite.h"
#include "model/scenariofile.h"
#include "model/workfolders.h"
#include "widgets/dialogs.h"
#include "widgets/infonote.h"

#include <QFileInfo>

namespace {

const QString FileFilter = QStringLiteral("Scenario (*.scn)");

QString fileNote(const QString &what, const QString &path)
{
    return what + QStringLiteral("<p>") + QFileInfo(path).fileName();
}

} // namespace

void WorkCycleSettingsForm::on_uploadscenario_released()
{
    if (controllerState().cycleCount == 0) {
        note(QStringLiteral("Задайте рабочий сценарий"));
        return;
    }
    const QByteArray image = exchange().readImageBody();
    if (!imageHoldsWholePlan(image)) {
        // e.g. the image is being read back right now: a file of half an image could not be loaded
        note(QStringLiteral("Сценарий еще не прочитан из контроллера"));
        return;
    }
    if (m_scenarioFolder.isEmpty())
        m_scenarioFolder = workFolders().scenarioDir.path();
    const QString chosen = Dialogs::getSaveFileName(window(), QStringLiteral("Save File"),
                                                    m_scenarioFolder + QStringLiteral("/untitled"), FileFilter);
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
    if (m_scenarioFolder.isEmpty())
        m_scenarioFolder = workFolders().scenarioDir.path();
    const QString path = Dialogs::getOpenFileName(window(), QStringLiteral("Open File"), m_scenarioFolder, FileFilter);
    if (path.isEmpty())
        return;
    closeNote();
    QByteArray bytes;
    if (!readWholeFile(path, &bytes)) {
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
    const QByteArray held = exchange().readImageBody();
    if (!PlanChangeQuestion::confirmScenarioFile(window(), imageHoldsWholePlan(held) ? held : QByteArray(), content.image))
        return;
    showNote(window(), QStringLiteral("Загрузка данных"), NoteClose::OnIdle, 10);

    QMap<int, QByteArray> notes;
    for (const ScenarioNote &n : std::as_const(content.notes))
        notes.insert(n.number, n.text);
    const QString failed = dayComments().replaceAll(content.index, notes, content.description);
    refreshCommentMark();

    // The sequencer takes it as the controller's image once the exchange is idle, moves the start
    // to today and writes it to the controller.
    exchange().loadedImage = content.image;
    exchange().pageRequest = 6;
    if (!failed.isEmpty()) {
        closeNote();
        note(fileNote(QStringLiteral("Не удалось записать файл"), failed));
    }
}
