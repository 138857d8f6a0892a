#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct PlanNotes;

// What the pages may ask of the link, and the little they read of it. The link carries each
// request out on a later tick of the exchange; nothing here waits.

// Deferred page requests; the tick acts on them in order.
enum class PageRequest : int {
    None = 0,
    CalendarTakesSelection = 1,  // the scenario page saved for the selected days
    CalendarTakesScenario = 2,   // the scenario page saved a scenario opened from the menu
    ShowCalendar = 3,
    ShowDevices = 4,
    OpenScenarioForDays = 5,     // the calendar opens the scenario page for its selection
    RedrawCommentMark = 7,
    RefreshDescription = 8,
    DisconnectAfterDeletion = 9,
};

// The run state the program asks of the controller (status bit 2). Until the user asks for one,
// the program follows what the controller reports and never switches the work by itself.
enum class RunRequest : int {
    FollowController = -1,
    Paused = 0,
    Running = 4,
};

// Outputs 1..4 are the sockets, 5..10 the relay outputs of sensor inputs 1..6.
constexpr int SensorOutputOffset = 4;

void requestPage(PageRequest request);

// The user's start/pause button; the sequencer sends it once the exchange is idle.
void requestRunState(bool running);
// What the user asked for, or FollowController before any request.
RunRequest requestedRunState();

// Records the wish to switch an output on or off. A newer wish for the same output replaces an
// older one that has not been sent yet, so the last click always wins.
void requestOutputSwitch(int output, bool on);
// True while a switch request is waiting to be sent.
bool outputSwitchPending();

// The event log is read on the next idle tick (the history page asks when it has none).
void requestLogRead();
// The last log read, as read; empty until one finished.
QByteArray readLog();
// A decode replaced the plan since the history page last built its columns.
bool historyRefreshDue();

// The sensor settings changed the plan: the scenario editor rebuilds before the next upload.
void requestEditorRefresh();

bool linkSignedIn();
// The controller of the connection under way or made; 0 before any.
quint64 linkedController();
// The body of the image last read from the controller (empty while none is whole).
QByteArray controllerImageBody();

// Offers a plan the user chose for the controller signed in to (a loaded scenario file, or a
// snapshot when keepsStart): it waits until the exchange is idle, is taken as if read from the
// controller and then written. Returns false with *refusal set when it cannot wait (no link,
// another plan still on its way); notes go with the plan only once the controller confirms it.
// The plan is for the controller at address: should the link meanwhile lead to another one, the
// plan is cancelled, never written there.
bool offerPlan(quint64 address, const QString &name, const QByteArray &body, bool keepsStart, const PlanNotes *notes,
               QString *refusal);
