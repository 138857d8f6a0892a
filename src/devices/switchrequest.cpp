#include "devices/switchrequest.h"

#include "link/exchangestate.h"
#include "widgets/infonote.h"

#include <QWidget>

namespace {
constexpr int StopWorkNoteTicks = 20;
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

bool switchRequestPending()
{
    return exchange().switchOnRequest != 0 || exchange().switchOffRequest != 0;
}

void showStopWorkNote(QWidget *parent)
{
    showNoteOrShorten(parent ? parent->window() : nullptr, QStringLiteral("Остановите работу контроллера"),
                      NoteClose::AfterTicks, StopWorkNoteTicks);
}
