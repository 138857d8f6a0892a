#include "link/exchangesequencer.h"

#include "link/commandchannel.h"
#include "link/exchangestate.h"
#include "link/frames.h"
#include "model/plan/basescenario.h"
#include "model/clock.h"
#include "model/controllerstate.h"
#include "model/log/eventlog.h"
#include "model/wallclock.h"
#include "model/plan/pendingplan.h"
#include "model/plan/workcyclecommit.h"
#include "link/linknotes.h"

namespace {

const QString PartialImageNote = QStringLiteral("Конфигурация контроллера прочитана не полностью<p>");
const QString ControllerSilentNote = QStringLiteral("Контроллер не отвечает");

} // namespace

ExchangeSequencer::ExchangeSequencer(CommandChannel *channel, LinkNotes *notes, QObject *parent)
    : QObject(parent), m_channel(channel), m_notes(notes)
{
}

void ExchangeSequencer::timeoutTick()
{
    ExchangeState &ex = exchange();
    if (ex.stepTimeout == 0 || --ex.stepTimeout != 0)
        return;
    switch (ex.exchangeStep) {
    case ExchangeStep::ReadingImage:
        ex.exchangeStep = ExchangeStep::Start;
        break;
    case ExchangeStep::Polling:
        // a status asked for the image length is asked again before anything else happens
        ex.exchangeStep = ex.imageLengthKnown ? ExchangeStep::Idle : ExchangeStep::Start;
        break;
    case ExchangeStep::CommandSent:
        ex.exchangeStep = ExchangeStep::Idle;
        break;
    case ExchangeStep::Uploading:
    case ExchangeStep::Committing:
        // a chunk or the commit was not acknowledged: the same bytes go again
        ex.exchangeStep = ExchangeStep::Idle;
        retryUpload();
        break;
    case ExchangeStep::ReadingLog:
        // silence during the log read: give up; the history page says so and can ask again, and
        // the part read is no log to fill rows from
        ex.exchangeStep = ExchangeStep::Idle;
        ex.logBuffer.clear();
        ex.pendingReply = ReplyKind::NoReply;
        emit logReadTimedOut();
        return;
    default:
        return;
    }
    ex.pendingReply = ReplyKind::NoReply;
}

// The upload under way failed: it is repeated with the body already sent (so a moved start shifts
// the timers once), unless the user changed something meanwhile and a new body is due anyway.
void ExchangeSequencer::retryUpload()
{
    ExchangeState &ex = exchange();
    ControllerState &state = controllerState();
    state.imageIsCurrent = !state.uploadRequest && !ex.heldBody.isEmpty();
    state.uploadRequest = true;
    ex.uploadRetry = true;
}

// The controller stopped answering: the modal note goes, one line says so, and the link is given up
// (the next sign-in starts over; an unconfirmed upload is repeated then).
void ExchangeSequencer::giveUpLink()
{
    ExchangeState &ex = exchange();
    ex.imageReadAttempts = 0;
    ex.statusAttempts = 0;
    ex.pendingReply = ReplyKind::NoReply;
    ex.stepTimeout = 0;
    m_notes->closeNote();
    m_notes->note(ControllerSilentNote, NoteClose::AfterTicks, 30);
    emit controllerSilent();
}

void ExchangeSequencer::linkLost()
{
    ControllerState &state = controllerState();
    state.workCycleKnown = false;
    state.events.clear();
    // An upload that was not confirmed is repeated after the next sign-in to the same controller;
    // signing in to another one drops it (LinkController).
    ExchangeState &ex = exchange();
    if (ex.uploadUnconfirmed) {
        state.uploadRequest = true;
        ex.uploadUnconfirmed = false;
    }
    ex.restoring = false;
}

void ExchangeSequencer::takeWaitingPlan()
{
    ExchangeState &ex = exchange();
    PendingPlan &plan = pendingPlan();
    if (ex.linkState != LinkState::SignedIn)
        return;
    // the upload that writes a taken plan (the latest one, should a change made meanwhile have
    // rebuilt it): the body whose confirmation the plan's notes wait for
    plan.uploadSeen(ex.linkAddress, ex.heldBody);

    // A plan is taken as if read from the controller. Only between exchanges, so that no reply
    // under way overwrites the step or the buffer, and after a pending upload, which would
    // otherwise skip decoding it.
    if (!plan.isWaiting() || ex.exchangeStep != ExchangeStep::Idle || controllerState().uploadRequest)
        return;
    if (plan.waitingAddress() != ex.linkAddress) {
        // chosen for another controller (the link went and came back unseen): never written here
        emit waitingPlanStranded();
        return;
    }
    bool keepsStart = false;
    ex.imageBuffer = plan.take(&keepsStart);
    if (keepsStart)
        ex.restoring = true;  // a snapshot of this controller's own plan: restored as it was, start included
    else
        controllerState().loadedFromFile = true;
    ex.exchangeStep = ExchangeStep::ImageRead;
    ex.lastImage = ex.imageBuffer;
    ex.heldBody.clear();
}

void ExchangeSequencer::step()
{
    switch (exchange().exchangeStep) {
    case ExchangeStep::Start:
        stepStart();
        break;
    case ExchangeStep::ImageRead:
        stepImageRead();
        break;
    case ExchangeStep::LogReceived:
        parseEventLog(controllerState(), exchange().logBuffer);
        emit logTaken(exchange().logBuffer);
        exchange().exchangeStep = ExchangeStep::Idle;
        break;
    case ExchangeStep::StatusReceived:
        stepStatusReceived();
        break;
    case ExchangeStep::Idle:
        stepIdle();
        break;
    case ExchangeStep::CommitConfirmed:
        stepCommitConfirmed();
        break;
    default:
        break; // a transfer or command is under way: the reply handlers or the timeout move on
    }
}

void ExchangeSequencer::stepStart()
{
    ExchangeState &ex = exchange();
    if (!ex.imageLengthKnown) {
        // The status record cached at discovery was short or missing: its image length is no
        // reason to write the base plan over a controller's plan. The status is asked for again.
        if (++ex.statusAttempts > Attempts::StatusRead) {
            giveUpLink();
            return;
        }
        m_channel->sendCommand(Opcode::GetStatus);
        ex.stepTimeout = Timeouts::Command;
        ex.exchangeStep = ExchangeStep::Polling;
        return;
    }
    if (ex.imageLength == 0) {
        ex.exchangeStep = ExchangeStep::ImageRead;
        ex.imageBuffer.clear();
        emit scenarioButtonWanted(false);
        return;
    }
    startImageRead();
}

void ExchangeSequencer::startImageRead()
{
    ExchangeState &ex = exchange();
    // two reads that agree are the normal case; a controller whose reads never complete or never
    // agree is given up after a few
    if (++ex.imageReadAttempts > Attempts::ImageRead) {
        giveUpLink();
        return;
    }
    ex.stepTimeout = Timeouts::ImageRead;
    ex.exchangeStep = ExchangeStep::ReadingImage;
    ex.transferEnd = ex.imageLength;
    const BlockRange range = imageReadRange(ex.imageLength);
    ex.imageBuffer.clear();
    m_channel->sendCommand(Opcode::ReadBlocks, readBlocksPayload(range.start, range.end));
    emit scenarioButtonWanted(false);
}

void ExchangeSequencer::stepImageRead()
{
    ExchangeState &ex = exchange();
    ControllerState &state = controllerState();
    if (ex.heldBody.isEmpty()) {
        // Until something was uploaded in this connection, an image counts once two reads agree.
        if (ex.imageBuffer == ex.lastImage || ex.imageLength == 0) {
            if (!state.loadedFromFile && !ex.restoring)
                emit imageRead(ex.readImageBody());
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
    ex.exchangeStep = ExchangeStep::Idle;
    if (!equal) {
        retryUpload(); // written wrongly
        return;
    }
    if (state.uploadRequest) {
        // the user changed something meanwhile: the body is built anew so that the change is not lost
        state.imageIsCurrent = false;
        return;
    }
    ex.imageReadAttempts = 0;
    m_channel->sendCommand(Opcode::CommitImage);
    ex.lastImage = ex.imageBuffer;
    ex.stepTimeout = Timeouts::Command;
    ex.exchangeStep = ExchangeStep::Committing;
}

// The controller acknowledged CommitImage: the plan it runs is the one written.
void ExchangeSequencer::stepCommitConfirmed()
{
    ExchangeState &ex = exchange();
    ex.stepTimeout = 0;
    ex.uploadUnconfirmed = false;
    ex.uploadAttempts = 0;
    emit imageWritten(ex.heldBody);
    takeImage();
}

void ExchangeSequencer::takeImage()
{
    ExchangeState &ex = exchange();
    ControllerState &state = controllerState();
    if (state.uploadRequest) {
        if (ex.stateAddress != 0 && ex.stateAddress == ex.linkAddress) {
            // Changed while the image was read: the upload follows, nothing is decoded.
            ex.exchangeStep = ExchangeStep::Idle;
            return;
        }
        // Raised against a state that was not read from this controller: it must not be written.
        state.uploadRequest = false;
    }
    state.imageIsCurrent = false;
    state.scenarios.clear();
    state.resetToEmptyForm();
    ex.imageReadAttempts = 0;
    const bool fromController = !state.loadedFromFile && !ex.restoring;
    const QByteArray body = fromController ? ex.readImageBody() : ex.imageBuffer;
    const DecodeResult result = decodeConfigImage(state, body);
    linkTimerRows(state);
    state.timersStartTime = state.startTime;

    state.editedDayHours = state.dayHours;
    state.editedNightHours = state.nightHours;
    state.editedCycleCount = state.cycleCount;
    state.editedStartTime = state.startTime;

    ex.stateAddress = ex.linkAddress;
    const bool fallback = state.scenarios.isEmpty() || state.scenarios.first().name.isEmpty();
    ex.imagePartial = !fallback && !result.complete;
    if (ex.imagePartial && fromController)
        m_notes->note(PartialImageNote + QStringLiteral("Она не изменится: изменения здесь не записываются"), NoteClose::Popup, 30);
    if (fallback) {
        // The controller holds no usable scenario: start from the base scenario and write it.
        state.cycleCount = state.editedCycleCount = 0;
        state.startTime = state.editedStartTime = Clock::now();
        state.scenarios.clear();
        createBaseScenario(state);
        state.editedScenarios = state.scenarios;
        state.dayHours = state.editedDayHours = 24;
        state.nightHours = state.editedNightHours = 0;
        state.timersStartTime = state.startTime;
        state.days.clear();
        state.editedDays.clear();
        ex.cycleDayStates.clear();
        if (ex.imageLength == 0) {
            // an empty controller gets the base plan at once, and is started: the one time the
            // program asks for the work to run without the user
            state.uploadRequest = true;
            ex.startStopChecked = RunRequest::Running;
        } else {
            // A plan the program cannot read stays on the controller until the user changes
            // something here.
            m_notes->note(QStringLiteral("Конфигурация контроллера не распознана<p>Она не изменится, пока вы не сохраните свою"),
                          NoteClose::Popup, 30);
        }
        emit scenarioButtonWanted(false);
        emit configurationDecoded(result, true);
        emit dayBarChanged(ex.cycleDayStates, 0);
        emit cycleDatesChanged(QString(), QString());
    } else {
        ex.cycleDayStates = QList<DayState>(state.cycleCount, DayState::Ahead);
        state.editedScenarios = state.scenarios;
        const qint64 cycleSeconds = qint64(state.dayHours + state.nightHours) * 3600;
        for (int k = 0; k < state.days.size(); ++k)
            state.days[k].time = state.startTime.addSecs(cycleSeconds * k);
        state.editedDays = state.days;
        emit configurationDecoded(result, false);
        emit dayBarChanged(ex.cycleDayStates, state.cycleCount);
        // the work ends after cycleCount cycles of day plus night, which need not be whole days
        emit cycleDatesChanged(state.startTime.toString(QStringLiteral("dd.MM.yyyy")),
                               state.startTime.addSecs(cycleSeconds * state.cycleCount).toString(QStringLiteral("dd.MM.yyyy")));
        ex.refreshHistory = false;
        emit scenarioButtonWanted(state.scenarios.size() > 1 && state.cycleCount != 0);
        ex.setClockRequest = ClockRequest::AfterDecode;
    }
    if (state.loadedFromFile || ex.restoring) {
        state.loadedFromFile = false;
        ex.restoring = false;
        state.uploadRequest = true;
    }
    ex.exchangeStep = ExchangeStep::Idle;
}

void ExchangeSequencer::stepStatusReceived()
{
    ExchangeState &ex = exchange();
    const ControllerState &state = controllerState();
    const StatusRecord record(ex.statusBytes);
    if (!ex.imageLengthKnown) {
        // asked for at the start: only a whole record tells the image length
        if (ex.statusWhole) {
            ex.imageLength = record.imageLength();
            ex.imageLengthKnown = true;
            ex.statusAttempts = 0;
        }
        ex.exchangeStep = ExchangeStep::Start;
        return;
    }
    const RunRequest running = record.workRuns() ? RunRequest::Running : RunRequest::Paused;
    if (ex.startStopChecked == RunRequest::FollowController && ex.statusWhole)
        ex.startStopChecked = running; // nothing asked yet: keep what the controller does

    if (running == ex.startStopChecked || ex.startStopChecked == RunRequest::FollowController) {
        ex.exchangeStep = ExchangeStep::Idle;
    } else {
        m_channel->sendCommand(Opcode::SetRunState, setRunStatePayload(quint8(ex.startStopChecked)));
        ex.stepTimeout = Timeouts::RunState;
        ex.exchangeStep = ExchangeStep::CommandSent;
    }
    emit statusReceived(record, panelStatusOf(record, state.cycleCount, state.startTime, Clock::now()));
    updateDayBar(record.daysLeft());
}

void ExchangeSequencer::updateDayBar(int remainingDays)
{
    ExchangeState &ex = exchange();
    const int k = controllerState().cycleCount - remainingDays;
    if (k < 1 || k > ex.cycleDayStates.size() || ex.cycleDayStates.at(k - 1) != DayState::Ahead)
        return;
    for (int i = 0; i < k; ++i)
        ex.cycleDayStates[i] = DayState::Begun;
    emit dayBarChanged(ex.cycleDayStates, remainingDays);
}

bool ExchangeSequencer::startUpload()
{
    ExchangeState &ex = exchange();
    ControllerState &state = controllerState();
    if (ex.editorRefresh) {
        emit editorRefreshWanted();
        ex.editorRefresh = false;
    }
    if (ex.uploadRetry) {
        ex.uploadRetry = false;
        if (ex.uploadAttempts >= Attempts::Upload) {
            // the controller does not take it: nothing is committed, the box keeps its plan
            ex.uploadAttempts = 0;
            state.imageIsCurrent = false;
            m_notes->closeNote();
            m_notes->note(ControllerSilentNote + QStringLiteral("<p>Запись настроек не подтверждена: она повторится при следующем подключении"),
                          NoteClose::AfterTicks, 40);
            return false;
        }
    } else {
        ex.uploadAttempts = 0;
    }
    if (ex.imagePartial) {
        // Written from the state, the image would lose what could not be read.
        m_notes->note(PartialImageNote + QStringLiteral("Изменения не записаны. Загрузите сценарий из файла"),
                      NoteClose::Popup, 30);
        return false;
    }
    const NoteFn note = [this](const QString &text) { m_notes->note(text, NoteClose::Popup, 10); };
    if (!commitWorkCycle(state, note, false))
        return false;
    const QByteArray header = encodeConfigImage(state, ex.heldBody);
    if (ex.heldBody.isEmpty())
        return false;
    if (header.isEmpty()) {
        // Larger than the controller's memory: nothing is sent, the plan stays here to be cut down.
        ex.heldBody.clear();
        m_notes->note(QStringLiteral("План слишком велик для памяти контроллера<p>Сократите сценарии: ничего не записано"),
                      NoteClose::Popup, 30);
        return false;
    }
    ex.uploadData = header + ex.heldBody;
    ex.imageLength = quint16(ex.uploadData.size());
    m_notes->closeNote();
    m_notes->note(QStringLiteral("Сохранение настроек"), NoteClose::OnIdle, 10);
    const QByteArray chunk = takeUploadChunk(ex.uploadData);
    m_channel->sendCommand(Opcode::WriteImage, writeImagePayload(0, chunk));
    ex.stepTimeout = Timeouts::Upload;
    ex.exchangeStep = ExchangeStep::Uploading;
    ex.refreshHistory = true;
    ex.uploadUnconfirmed = true;
    ++ex.uploadAttempts;
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
            ex.exchangeStep = ExchangeStep::CommandSent;
        }
        return;
    }
    if (ex.setClockRequest != ClockRequest::None) {
        ex.setClockRequest = ClockRequest::None;
        m_channel->sendCommand(Opcode::SetClock, setClockPayload());
        ex.stepTimeout = Timeouts::Command;
        ex.exchangeStep = ExchangeStep::CommandSent;
        return;
    }
    if (ex.logReadRequest) {
        ex.logReadRequest = false;
        ex.exchangeStep = ExchangeStep::ReadingLog;
        m_notes->note(QStringLiteral("Вычитывание лога 0%"), NoteClose::OnIdle, 10);
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
    ex.exchangeStep = ExchangeStep::Polling;
}
