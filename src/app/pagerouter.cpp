#include "app/pagerouter.h"

#include "cycle/workcyclesettingsform.h"
#include "link/exchangestate.h"
#include "link/linkcontroller.h"
#include "model/controllerstate.h"
#include "model/files/daycomments.h"
#include "model/plan/pendingplan.h"
#include "model/files/workfolders.h"
#include "scenario/scenarioform.h"
#include "widgets/infonote.h"
#include "widgets/leftmenupanel.h"

#include <QFileInfo>
#include <QStackedWidget>

namespace {
constexpr int NoteTicks = 50;

void popupNote(QWidget *parent, const QString &text)
{
    closeNote();
    // timed: the start of discovery that follows a lost link closes untimed notes
    showNote(parent, text, NoteClose::Popup | NoteClose::AfterTicks, NoteTicks);
}
} // namespace

PageRouter::PageRouter(const Pages &pages, LinkController *link) : m_pages(pages), m_link(link) {}

void PageRouter::planWritten(const QByteArray &body)
{
    PlanNotes notes;
    QString name;
    if (!pendingPlan().confirmed(exchange().linkAddress, body, &notes, &name))
        return;
    // the notes of the controller signed in to are the chosen ones (MainWindow::takeNotesOf, at sign-in)
    QString failed = workFolders().controller == exchange().linkAddress ? QString() : WorkFolders::commentsPath();
    if (failed.isEmpty())
        failed = dayComments().replaceAll(notes.index, notes.files, notes.description);
    m_pages.workCycle->refreshCommentMark();
    m_pages.workCycle->refreshDescriptionButton();
    if (!failed.isEmpty())
        popupNote(m_pages.stack->window(), QStringLiteral("Не удалось записать файл<p>%1").arg(QFileInfo(failed).fileName()));
}

void PageRouter::linkLost()
{
    PendingPlan &plan = pendingPlan();
    if (!plan.isWaiting())
        return;
    const bool snapshot = plan.waitingKeepsStart();
    const QString name = plan.cancelWaiting();
    // nothing was written, to the controller or to the notes
    popupNote(m_pages.stack->window(),
              (snapshot ? QStringLiteral("Снимок не восстановлен: нет связи с контроллером<p>")
                        : QStringLiteral("Сценарий не загружен: нет связи с контроллером<p>"))
                  + name.toHtmlEscaped());
}

void PageRouter::handle()
{
    ExchangeState &ex = exchange();
    switch (ex.pageRequest) {
    case PageRequest::None:
        return;
    case PageRequest::CalendarTakesSelection:
    case PageRequest::CalendarTakesScenario:
        // the scenario page saved: the calendar takes the plan; the next tick shows it
        m_pages.workCycle->applyScenarioSave(ex.pageRequest);
        ex.pageRequest = PageRequest::ShowCalendar;
        return;
    case PageRequest::ShowCalendar:
        m_pages.stack->setCurrentWidget(m_pages.workCycle);
        m_pages.panel->showMenu();
        m_pages.panel->checkWorkCycleButton();
        m_pages.workCycle->clearSelection(true);
        break;
    case PageRequest::ShowDevices:
        m_pages.stack->setCurrentWidget(m_pages.devices);
        m_pages.panel->showMenu();
        m_pages.panel->checkDevicesButton();
        m_pages.workCycle->clearSelection(false);
        break;
    case PageRequest::OpenScenarioForDays:
        // the calendar asks for a scenario for its selected days
        m_pages.panel->hideMenu();
        m_pages.scenario->openForSelectedDays();
        m_pages.stack->setCurrentWidget(m_pages.scenario);
        break;
    case PageRequest::RedrawCommentMark:
        m_pages.workCycle->refreshCommentMark();
        break;
    case PageRequest::RefreshDescription:
        m_pages.workCycle->refreshDescriptionButton();
        break;
    case PageRequest::DisconnectAfterDeletion:
        m_link->disconnectController();
        break;
    }
    ex.pageRequest = PageRequest::None;
}
