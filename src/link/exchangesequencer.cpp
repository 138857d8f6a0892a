#include "link/exchangesequencer.h"

#include "link/commandchannel.h"
#include "link/exchangestate.h"
#include "link/frames.h"
#include "model/basescenario.h"
#include "model/clock.h"
#include "model/controllerstate.h"
#include "model/wallclock.h"
#include "model/workcyclecommit.h"
#include "widgets/infonote.h"

namespace {

constexpr quint8 ClockFailedBit = 0x08;
constexpr quint8 ScenarioFailedBit = 0x20;

enum StatusKind { Waiting = 0, Working = 1, Finished = 2, NoWorkCycle = 3, ClockFailure = 4, ScenarioNotLoaded = 5 };

} // namespace

ExchangeSequencer::ExchangeSequencer(CommandChannel *channel, SequencerView *view) : m_channel(channel), m_view(view) {}

void ExchangeSequencer::timeoutTick()
{
    ExchangeState &ex = exchange();
    if (ex.stepTimeout == 0 || --ex.stepTimeout != 0)
        return;
    switch (ex.exchangeStep) {
    case ReadingImage:
        ex.exchangeStep = Start;
        break;
    case Polling:
    case CommandSent:
        ex.exchangeStep = Idle;
        break;
    case Uploading:
        ex.exchangeStep = Idle;
        controllerState().uploadRequest = true;
        break;
    case ReadingLog:
        // silence during the log read: give up; the history page can ask again
        ex.exchangeStep = Idle;
        break;
    default:
        return;
    }
    ex.pendingReply = NoReply;
}

void ExchangeSequencer::linkLost()
{
    if (m_uploadUnconfirmed) {
        controllerState().uploadRequest = true;
        m_uploadUnconfirmed = false;
    }
}

void ExchangeSequencer::step()
{
    switch (exchange().exchangeStep) {
    case Start:
        stepStart();
        break;
    case ImageRead:
        stepImageRead();
        break;
    case LogReceived:
        m_view->logTaken(exchange().logBuffer);
        exchange().exchangeStep = Idle;
        break;
    case StatusReceived:
        stepStatusReceived();
        break;
    case Idle:
        stepIdle();
        break;
    default:
        break; // a transfer or command is under way: the reply handlers or the timeout move on
    }
}

void ExchangeSequencer::stepStart()
{
    ExchangeState &ex = exchange();
    if (ex.imageLength == 0) {
        ex.exchangeStep = ImageRead;
        ex.imageBuffer.clear();
        m_view->setScenarioButtonVisible(false);
        return;
    }
    startImageRead();
}

void ExchangeSequencer::startImageRead()
{
    ExchangeState &ex = exchange();
    ex.stepTimeout = Timeouts::ImageRead;
    ex.exchangeStep = ReadingImage;
    ex.transferEnd = ex.imageLength;
    const BlockRange range = imageReadRange(ex.imageLength);
    ex.imageBuffer.clear();
    m_channel->sendCommand(Opcode::ReadBlocks, readBlocksPayload(range.start, range.end));
    m_view->setScenarioButtonVisible(false);
}

void ExchangeSequencer::stepImageRead()
{
    ExchangeState &ex = exchange();
    ControllerState &state = controllerState();
    if (ex.heldBody.isEmpty()) {
        // Until something was uploaded in this connection, an image counts once two reads agree.
        if (ex.imageBuffer == ex.lastImage || ex.imageLength == 0) {
            if (imageRead && !state.loadedFromFile && !ex.restoring)
                imageRead(ex.imageBuffer.left(qMax(0, int(ex.imageLength) - ImageHeaderSize)));
            takeImage();
        } else {
            ex.lastImage = ex.imageBuffer;
            startImageRead();
        }
        return;
    }
    // The read-back of an upload.
    const bool equal = ex.imageBuffer.size() >= ex.heldBody.size()
                       && ex.imageBuffer.left(ex.heldBody.size()) == ex.heldBody;
    if (!equal || state.uploadRequest) {
        // Written wrongly: the same body goes again, unless the user changed something meanwhile;
        // then the body is built anew so that the change is not lost.
        state.imageIsCurrent = !state.uploadRequest;
        state.uploadRequest = true;
        ex.exchangeStep = Idle;
        return;
    }
    m_channel->sendCommand(Opcode::CommitImage);
    m_uploadUnconfirmed = false;
    if (imageWritten)
        imageWritten(ex.heldBody);
    ex.lastImage = ex.imageBuffer;
    takeImage();
}

void ExchangeSequencer::takeImage()
{
    ExchangeState &ex = exchange();
    ControllerState &state = controllerState();
    if (state.uploadRequest) {
        // Changed while the image was read: the upload follows, nothing is decoded.
        ex.exchangeStep = Idle;
        return;
    }
    state.imageIsCurrent = false;
    state.scenarios.clear();
    state.resetToEmptyForm();
    ex.startStopChecked = 4;
    const DecodeResult result = decodeConfigImage(state, ex.imageBuffer);
    linkTimerRows(state);

    state.editedDayHours = state.dayHours;
    state.editedNightHours = state.nightHours;
    state.editedCycleCount = state.cycleCount;
    state.editedStartTime = state.startTime;

    const bool fallback = state.scenarios.isEmpty() || state.scenarios.first().name.isEmpty();
    if (fallback) {
        // The controller holds no usable scenario: start from the base scenario and write it.
        state.cycleCount = state.editedCycleCount = 0;
        state.startTime = state.editedStartTime = Clock::now();
        state.scenarios.clear();
        createBaseScenario(state);
        state.editedScenarios = state.scenarios;
        state.dayHours = state.editedDayHours = 24;
        state.nightHours = state.editedNightHours = 0;
        state.days.clear();
        state.editedDays.clear();
        ex.cycleDayStates.clear();
        state.uploadRequest = true;
        m_view->setScenarioButtonVisible(false);
        m_view->configurationTaken(result, true);
    } else {
        ex.cycleDayStates = QList<int>(state.cycleCount, 2);
        state.editedScenarios = state.scenarios;
        const qint64 cycleSeconds = qint64(state.dayHours + state.nightHours) * 3600;
        for (int k = 0; k < state.days.size(); ++k)
            state.days[k].time = state.startTime.addSecs(cycleSeconds * k);
        state.editedDays = state.days;
        m_view->configurationTaken(result, false);
        ex.refreshHistory = false;
        m_view->setScenarioButtonVisible(state.scenarios.size() > 1 && state.cycleCount != 0);
        ex.setClockRequest = 2;
    }
    if (state.loadedFromFile || ex.restoring) {
        state.loadedFromFile = false;
        ex.restoring = false;
        state.uploadRequest = true;
    }
    ex.exchangeStep = Idle;
}

void ExchangeSequencer::stepStatusReceived()
{
    ExchangeState &ex = exchange();
    const ControllerState &state = controllerState();
    const QByteArray &status = ex.statusBytes;
    const quint8 flags = replyByte(status, 0);
    const int running = statusWorkRuns(status) ? Frame::WorkRunsBit : 0;

    if (running == ex.startStopChecked) {
        ex.exchangeStep = Idle;
    } else {
        m_channel->sendCommand(Opcode::SetRunState, setRunStatePayload(quint8(ex.startStopChecked)));
        ex.stepTimeout = Timeouts::RunState;
        ex.exchangeStep = CommandSent;
    }

    const bool daysLeft = replyByte(status, 6) != 0 || replyByte(status, 7) != 0;
    const bool minutesToStart = replyByte(status, 3) != 0 || replyByte(status, 4) != 0 || replyByte(status, 5) != 0;
    int active = 0;
    int kind = Waiting;
    int button = -1;
    if (flags & ClockFailedBit) {
        kind = ClockFailure;
    } else if ((flags & ScenarioFailedBit) && daysLeft) {
        kind = ScenarioNotLoaded;
    } else if (state.cycleCount == 0) {
        kind = NoWorkCycle;
        button = 0;
    } else if (minutesToStart || Clock::now() < state.startTime) {
        active = 1;
        kind = Waiting;
        if (running)
            button = 0;
    } else if (!daysLeft) {
        active = running;
        kind = Finished;
        if (running)
            button = 0;
    } else {
        active = running;
        kind = Working;
        button = 1;
    }
    m_view->statusTaken(status, active, kind, button);
    updateDayBar(replyU16(status, 6));
}

void ExchangeSequencer::updateDayBar(int remainingDays)
{
    ExchangeState &ex = exchange();
    const int k = controllerState().cycleCount - remainingDays;
    if (k < 1 || k > ex.cycleDayStates.size() || ex.cycleDayStates.at(k - 1) != 2)
        return;
    for (int i = 0; i < k; ++i)
        ex.cycleDayStates[i] = 0;
    m_view->dayBarChanged(ex.cycleDayStates, remainingDays);
}

bool ExchangeSequencer::startUpload()
{
    ExchangeState &ex = exchange();
    ControllerState &state = controllerState();
    if (ex.editorRefresh) {
        m_view->refreshEditorForUpload();
        ex.editorRefresh = false;
    }
    QWidget *parent = m_view->noteParent();
    const NoteFn note = [parent](const QString &text) { showNote(parent, text, NoteClose::Popup, 10); };
    if (!commitWorkCycle(state, note, false))
        return false;
    const QByteArray header = encodeConfigImage(state, ex.heldBody);
    if (ex.heldBody.isEmpty())
        return false;
    ex.uploadData = header + ex.heldBody;
    ex.imageLength = quint16(ex.uploadData.size());
    closeNote();
    showNote(parent, QStringLiteral("Сохранение настроек"), NoteClose::OnIdle, 10);
    const QByteArray chunk = takeUploadChunk(ex.uploadData);
    m_channel->sendCommand(Opcode::WriteImage, writeImagePayload(0, chunk));
    ex.stepTimeout = Timeouts::Upload;
    ex.exchangeStep = Uploading;
    ex.refreshHistory = true;
    m_uploadUnconfirmed = true;
    return true;
}

void ExchangeSequencer::stepIdle()
{
    ExchangeState &ex = exchange();
    ControllerState &state = controllerState();

    if (state.uploadRequest) {
        startUpload();
        // A failed check has shown its message and is not retried.
        state.uploadRequest = false;
        return;
    }
    if (ex.switchOnRequest != 0 || ex.switchOffRequest != 0) {
        // One command per step; a request for another output waits for the next idle step.
        const bool on = ex.switchOnRequest != 0;
        const int output = on ? ex.switchOnRequest : ex.switchOffRequest;
        (on ? ex.switchOnRequest : ex.switchOffRequest) = 0;
        QList<int> channels;
        if (output >= FirstRelayOutput && output <= LastOutput)
            channels = state.sensors.value(output - FirstRelayOutput).channels;
        const QByteArray payload = setOutputPayload(output, on, channels);
        if (!payload.isEmpty()) {
            m_channel->sendCommand(Opcode::SetOutput, payload);
            ex.stepTimeout = Timeouts::Command;
            ex.exchangeStep = CommandSent;
        }
        return;
    }
    if (ex.setClockRequest != 0) {
        ex.setClockRequest = 0;
        m_channel->sendCommand(Opcode::SetClock, setClockPayload());
        ex.stepTimeout = Timeouts::Command;
        ex.exchangeStep = CommandSent;
        return;
    }
    if (ex.logReadRequest) {
        ex.logReadRequest = false;
        ex.exchangeStep = ReadingLog;
        showNote(m_view->noteParent(), QStringLiteral("Вычитывание лога 0%"), NoteClose::OnIdle, 10);
        const BlockRange range = logReadRange(ex.imageLength);
        ex.logLength = logReadLength(ex.imageLength);
        ex.transferEnd = Frame::LogAreaEnd;
        ex.logProgress = 0;
        ex.logBuffer.clear();
        ex.stepTimeout = Timeouts::LogRead;
        m_channel->sendCommand(Opcode::ReadBlocks, readBlocksPayload(range.start, range.end));
        return;
    }
    m_channel->sendCommand(Opcode::GetStatus);
    ex.stepTimeout = Timeouts::Command;
    ex.exchangeStep = Polling;
}
