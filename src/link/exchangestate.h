#pragma once

#include "model/codec/configimage.h"
#include "model/daystate.h"
#include "link/requests.h"

#include <QByteArray>
#include <QList>

// Connection state of the link (driven by the 100 ms tick and the link's signals).
enum class LinkState : int {
    StartDiscovery = 0,
    DiscoveryFinished = 1,
    Discovering = 2,
    DeletingAccount = 3,
    ConnectRequested = 4,
    Connecting = 5,
    DiscoveringServices = 6,
    ServicesDiscovered = 7,
    DiscoveringDetails = 8,
    ServiceReady = 9,
    SignedIn = 12,
};

// Step of the exchange sequencer while signed in.
enum class ExchangeStep : int {
    Start = 0,
    ImageRead = 2,
    LogReceived = 3,
    ReadingImage = 4,
    Uploading = 5,
    Polling = 6,
    StatusReceived = 7,
    CommandSent = 8,
    ReadingLog = 9,
    Idle = 10,
    Committing = 11,      // CommitImage sent, its write not confirmed yet
    CommitConfirmed = 12, // the controller took CommitImage: the plan it runs is the one written
};

// Which reply the next read of the command characteristic is expected to bring.
enum class ReplyKind : int {
    NoReply = 0,
    DeleteReply = 1,
    SignInReply = 2,
    BlockReply = 3,
    UploadAck = 4,
    StatusReply = 5,
};

// Whether the clock is to be sent.
enum class ClockRequest : int {
    None = 0,
    AfterDecode = 2, // a plan was decoded: the controller's clock is set next
};

// Step timeouts, in ticks of 100 ms.
namespace Timeouts {
constexpr int Connect = 50;
constexpr int ImageRead = 200;
constexpr int LogRead = 200;
constexpr int Upload = 70;
constexpr int Command = 30;
constexpr int RunState = 20;
}

// Bounds of the automatic retries: after them the modal note closes and one line says that the
// controller does not answer.
namespace Attempts {
constexpr int Upload = 3;           // one upload, first try included
constexpr int ImageRead = 4;        // image reads in a row without a usable result
constexpr int StatusRead = 3;       // status reads for the image length after a short record
constexpr int NotReadyReads = 100;  // "not ready" answers for one block or chunk
}

// Everything the link and the exchange sequencer keep between ticks. One program-wide instance
// (exchange()); tests call reset() between cases.
struct ExchangeState
{
    LinkState linkState = LinkState::StartDiscovery;
    ExchangeStep exchangeStep = ExchangeStep::Start;

    // tick bookkeeping
    int skipTicks = 10;
    bool tickBusy = false;
    int stepTimeout = 0;
    int connectTimeout = 0;
    PageRequest pageRequest = PageRequest::None;
    // a snapshot being written back (taken into imageBuffer once the exchange is idle): it is
    // decoded as it is (its start kept), then uploaded like a loaded scenario file
    bool restoring = false;

    // requests raised by the pages
    bool logReadRequest = false;
    ClockRequest setClockRequest = ClockRequest::None;
    int switchOnRequest = 0;
    int switchOffRequest = 0;
    RunRequest startStopChecked = RunRequest::FollowController;
    bool sensorInUseNotice = false;
    bool editorRefresh = false;
    bool refreshHistory = false;

    // transfers
    ReplyKind pendingReply = ReplyKind::NoReply;
    int blockAddress = 0;
    int transferEnd = 0;
    int logLength = 0;
    int logProgress = 0;
    QByteArray imageBuffer;
    QByteArray logBuffer;
    QByteArray statusBytes;
    bool statusWhole = false;      // the last status reply held the whole record
    bool imageLengthKnown = false; // imageLength came from a whole status record
    QByteArray lastImage;
    QByteArray heldBody;
    QByteArray uploadData;
    // The controller's image was decoded only in part: a plan built from what was read would
    // drop the rest, so no change made here is written until a whole plan replaces it.
    bool imagePartial = false;
    quint16 imageLength = 0;
    QList<DayState> cycleDayStates;

    // whose plan the state holds: pending changes belong to that controller only
    quint64 linkAddress = 0;       // controller of the connection under way or made
    quint64 stateAddress = 0;      // controller whose image was last decoded into the state; 0 = none
    bool uploadUnconfirmed = false; // an upload was sent and its commit not yet acknowledged

    // retry bookkeeping (Attempts)
    bool uploadRetry = false;   // the next upload repeats one that failed
    int uploadAttempts = 0;     // tries of the upload under way
    int imageReadAttempts = 0;  // image reads in a row without a result
    int statusAttempts = 0;     // status reads asked for the image length
    int notReadyReads = 0;      // "not ready" answers since the last progress

    // account
    bool saveLoginOnSuccess = false;
    bool controllerSeen = false;

    void reset() { *this = ExchangeState(); }

    // The body of the image read from the controller: a read brings whole blocks, and what
    // follows the image's length (header included) is not part of it.
    QByteArray readImageBody() const { return imageBuffer.left(qMax(0, int(imageLength) - ImageHeaderSize)); }
};

ExchangeState &exchange();
