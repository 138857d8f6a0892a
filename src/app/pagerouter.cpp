#include "app/pagerouter.h"

#include "cycle/workcyclesettingsform.h"
#include "link/exchangestate.h"
#include "link/linkcontroller.h"
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
        // the calendar takes the plan; the next tick shows it
        ex.pageRequest = PageRequest::ShowCalendar;
        return;
    case PageRequest::ShowCalendar:
        m_pages.stack->setCurrentWidget(m_pages.workCycle);
        m_pages.panel->showMenu();
        m_pages.panel->checkWorkCycleButton();
        break;
    case PageRequest::ShowDevices:
        m_pages.stack->setCurrentWidget(m_pages.devices);
        m_pages.panel->showMenu();
        m_pages.panel->checkDevicesButton();
        break;
    case PageRequest::TakeLoadedImage:
        // a scenario file was loaded: its image is taken as if read from the controller
        ex.exchangeStep = ExchangeStep::ImageRead;
        ex.lastImage = ex.imageBuffer;
        ex.heldBody.clear();
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
