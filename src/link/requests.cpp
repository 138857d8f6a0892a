#include "link/requests.h"

#include "link/exchangestate.h"
#include "model/plan/pendingplan.h"

void requestPage(PageRequest request)
{
    exchange().pageRequest = request;
}

void requestRunState(bool running)
{
    exchange().startStopChecked = running ? RunRequest::Running : RunRequest::Paused;
}

RunRequest requestedRunState()
{
    return exchange().startStopChecked;
}

void requestOutputSwitch(int output, bool on)
{
    ExchangeState &ex = exchange();
    if (on) {
        ex.switchOnRequest = output;
        if (ex.switchOffRequest == output)
            ex.switchOffRequest = 0;
    } else {
        ex.switchOffRequest = output;
        if (ex.switchOnRequest == output)
            ex.switchOnRequest = 0;
    }
}

bool outputSwitchPending()
{
    return exchange().switchOnRequest != 0 || exchange().switchOffRequest != 0;
}

void requestLogRead()
{
    exchange().logReadRequest = true;
}

QByteArray readLog()
{
    return exchange().logBuffer;
}

bool historyRefreshDue()
{
    return exchange().refreshHistory;
}

void requestEditorRefresh()
{
    exchange().editorRefresh = true;
}

bool linkSignedIn()
{
    return exchange().linkState == LinkState::SignedIn;
}

quint64 linkedController()
{
    return exchange().linkAddress;
}

QByteArray controllerImageBody()
{
    return exchange().readImageBody();
}

bool offerPlan(quint64 address, const QString &name, const QByteArray &body, bool keepsStart, const PlanNotes *notes,
               QString *refusal)
{
    if (!linkSignedIn()) {
        *refusal = QStringLiteral("Нет связи с контроллером");
        return false;
    }
    PendingPlan &plan = pendingPlan();
    if (!plan.choose(address, name, body, keepsStart, notes)) {
        *refusal = plan.stillWaitingNote();
        return false;
    }
    return true;
}
