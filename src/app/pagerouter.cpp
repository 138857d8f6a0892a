#include "app/pagerouter.h"

#include "cycle/workcyclesettingsform.h"
#include "link/exchangestate.h"
#include "link/linkcontroller.h"
#include "model/controllerstate.h"
#include "scenario/scenarioform.h"
#include "widgets/leftmenupanel.h"

#include <QStackedWidget>

PageRouter::PageRouter(const Pages &pages, LinkController *link) : m_pages(pages), m_link(link) {}

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
    case PageRequest::TakeLoadedImage:
        // A scenario file was loaded: its image is taken as if read from the controller. Only
        // between exchanges, so that no reply under way overwrites the step or the buffer, and
        // after a pending upload, which would otherwise skip decoding it.
        if (ex.linkState != LinkState::SignedIn || ex.exchangeStep != ExchangeStep::Idle
            || controllerState().uploadRequest)
            return;
        if (!ex.restoreImage.isEmpty()) {
            // a snapshot of this controller's own plan: restored as it was, start included
            ex.imageBuffer = ex.restoreImage;
            ex.restoreImage.clear();
            ex.restoring = true;
        } else {
            ex.imageBuffer = ex.loadedImage;
            ex.loadedImage.clear();
            controllerState().loadedFromFile = true;
        }
        ex.exchangeStep = ExchangeStep::ImageRead;
        ex.lastImage = ex.imageBuffer;
        ex.heldBody.clear();
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
    default:
        // requests of pages that do not act on them yet are taken and cleared
        break;
    }
    ex.pageRequest = PageRequest::None;
}
