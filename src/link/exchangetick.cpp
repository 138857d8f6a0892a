#include "link/exchangetick.h"

#include "link/exchangesequencer.h"
#include "link/exchangestate.h"
#include "link/linkcontroller.h"
#include "link/linknotes.h"

ExchangeTick::ExchangeTick(LinkController *link, ExchangeSequencer *sequencer, LinkNotes *notes)
    : m_link(link), m_sequencer(sequencer), m_notes(notes)
{
    if (m_link && m_sequencer)
        QObject::connect(m_sequencer, &ExchangeSequencer::controllerSilent, m_link, &LinkController::disconnectController);
}

bool ExchangeTick::run()
{
    ExchangeState &ex = exchange();
    if (ex.skipTicks != 0) {
        --ex.skipTicks;
        return false;
    }
    if (ex.tickBusy)
        return false;
    ex.tickBusy = true;

    if (ex.sensorInUseNotice) {
        m_notes->note(QStringLiteral("Данный датчик используется в условиях<p>Изменения не будут сохранены"),
                      NoteClose::Popup, 10);
        ex.sensorInUseNotice = false;
    }
    m_sequencer->timeoutTick();
    m_sequencer->takeWaitingPlan();
    if (m_pageRequests)
        m_pageRequests();
    m_notes->tickNote(ex.linkState == LinkState::StartDiscovery, ex.exchangeStep == ExchangeStep::Idle);

    switch (ex.linkState) {
    case LinkState::StartDiscovery:
    case LinkState::DiscoveryFinished:
    case LinkState::Discovering:
    case LinkState::ConnectRequested:
    case LinkState::Connecting:
    case LinkState::ServicesDiscovered:
        m_link->connectStep();
        break;
    case LinkState::DeletingAccount:
    case LinkState::DiscoveringServices:
    case LinkState::DiscoveringDetails:
    case LinkState::ServiceReady:
        m_link->waitStep();
        break;
    case LinkState::SignedIn:
        m_sequencer->step();
        break;
    default:
        break;
    }
    ex.tickBusy = false;
    return true;
}
