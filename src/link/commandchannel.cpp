#include "link/commandchannel.h"
#include "model/codec/statusrecord.h"

#include "link/exchangestate.h"
#include "ble/transport.h"

Q_LOGGING_CATEGORY(lcLink, "vireosant.link", QtInfoMsg)

namespace {

constexpr int LoggedBytes = 16;

QString frameLine(const char *direction, quint8 opcode, const QByteArray &bytes)
{
    return QStringLiteral("%1 op 0x%2 len %3: %4")
        .arg(QLatin1String(direction))
        .arg(opcode, 2, 16, QLatin1Char('0'))
        .arg(bytes.size())
        .arg(QString::fromLatin1(bytes.left(LoggedBytes).toHex(' ')));
}

} // namespace

CommandChannel::CommandChannel(QObject *parent)
    : QObject(parent)
{
}

void CommandChannel::setService(BleService *service)
{
    if (m_service == service)
        return;
    if (m_service)
        disconnect(m_service, nullptr, this, nullptr);
    m_service = service;
    if (!service)
        return;
    connect(service, &BleService::characteristicWritten, this, &CommandChannel::onCharacteristicWritten);
    connect(service, &BleService::characteristicRead, this, &CommandChannel::onCharacteristicRead);
}

BleService *CommandChannel::service() const
{
    return m_service;
}

void CommandChannel::setListener(ReplyListener *listener)
{
    m_listener = listener;
}

bool CommandChannel::sendCommand(Opcode opcode, const QByteArray &payload)
{
    if (!m_service)
        return false;
    const QByteArray frame = buildFrame(opcode, payload);
    m_lastOpcode = quint8(opcode);
    qCDebug(lcLink).noquote() << frameLine("write", m_lastOpcode, frame);
    m_service->writeCommand(frame);
    return true;
}

void CommandChannel::readAgain()
{
    if (m_service)
        m_service->readCommand();
}

// A controller that never gets ready is not asked for ever: after a bound the reads stop. It
// answers, so its silence is not waited for either: the step ends on the next tick as on a timeout
// (the next attempt, or giving up), not after the rest of a timeout meant for a silent link.
void CommandChannel::readAgainWhileNotReady()
{
    ExchangeState &ex = exchange();
    if (++ex.notReadyReads <= Attempts::NotReadyReads)
        readAgain();
    else if (ex.stepTimeout > 1)
        ex.stepTimeout = 1;
}

void CommandChannel::onCharacteristicWritten(quint16 characteristic, const QByteArray &value)
{
    if (characteristic != CommandCharacteristicUuid || value.size() < 2 || replyByte(value, 0) != Frame::StartByte)
        return;

    ExchangeState &ex = exchange();
    switch (Opcode(replyByte(value, 1))) {
    case Opcode::DeleteAccount:
        ex.pendingReply = ReplyKind::DeleteReply;
        break;
    case Opcode::SignIn:
        ex.pendingReply = ReplyKind::SignInReply;
        break;
    case Opcode::ReadBlocks:
        ex.pendingReply = ReplyKind::BlockReply;
        ex.blockAddress = replyU16(value, 2);
        ex.notReadyReads = 0;
        break;
    case Opcode::WriteImage:
        ex.pendingReply = ReplyKind::UploadAck;
        ex.blockAddress = replyU16(value, 2) + Frame::MaxChunk;
        ex.notReadyReads = 0;
        break;
    case Opcode::GetStatus:
        ex.pendingReply = ReplyKind::StatusReply;
        break;
    case Opcode::CommitImage:
        // the controller took it: only now is the written plan the one it runs
        if (ex.exchangeStep == ExchangeStep::Committing)
            ex.exchangeStep = ExchangeStep::CommitConfirmed;
        return;
    default:
        // Commands without a reply complete with their confirmation.
        if (ex.exchangeStep == ExchangeStep::CommandSent)
            ex.exchangeStep = ExchangeStep::Idle;
        return;
    }
    readAgain();
}

void CommandChannel::onCharacteristicRead(quint16 characteristic, const QByteArray &value)
{
    if (characteristic != CommandCharacteristicUuid)
        return;

    ExchangeState &ex = exchange();
    qCDebug(lcLink).noquote() << frameLine("read", m_lastOpcode, value);

    switch (ex.pendingReply) {
    case ReplyKind::DeleteReply:
        ex.pendingReply = ReplyKind::NoReply;
        if (m_listener)
            m_listener->deleteReplied(value);
        break;
    case ReplyKind::SignInReply:
        ex.pendingReply = ReplyKind::NoReply;
        if (m_listener)
            m_listener->signInReplied(value);
        break;
    case ReplyKind::BlockReply:
        handleBlockReply(value);
        break;
    case ReplyKind::UploadAck:
        handleUploadAck(value);
        break;
    case ReplyKind::StatusReply:
        ex.statusWhole = StatusRecord(value).isWhole();
        ex.statusBytes = paddedStatusRecord(value);
        ex.pendingReply = ReplyKind::NoReply;
        ex.exchangeStep = ExchangeStep::StatusReceived;
        break;
    default:
        // Stale or unasked: the step it belonged to has timed out.
        break;
    }
}

void CommandChannel::handleBlockReply(const QByteArray &reply)
{
    ExchangeState &ex = exchange();
    if (!blockReplyHasMarker(reply)) {
        readAgainWhileNotReady(); // not ready yet: fetch the same block again
        return;
    }
    if (blockReplyAddress(reply) != ex.blockAddress
        || (ex.exchangeStep != ExchangeStep::ReadingImage && ex.exchangeStep != ExchangeStep::ReadingLog)) {
        abandonBlockTransfer();
        return;
    }

    const QByteArray data = reply.left(Frame::BlockSize);
    ex.notReadyReads = 0;
    if (ex.exchangeStep == ExchangeStep::ReadingImage) {
        ex.imageBuffer.append(data);
        ex.stepTimeout = Timeouts::ImageRead; // the timeout measures silence, not total length
    } else {
        ex.logBuffer.append(data);
        ex.stepTimeout = Timeouts::LogRead;
        noteLogProgress();
    }

    ex.blockAddress += Frame::BlockSize;
    if (ex.blockAddress < ex.transferEnd) {
        readAgain();
        return;
    }
    ex.pendingReply = ReplyKind::NoReply;
    if (ex.exchangeStep == ExchangeStep::ReadingImage) {
        ex.exchangeStep = ExchangeStep::ImageRead;
    } else {
        ex.exchangeStep = ExchangeStep::LogReceived;
        if (m_listener)
            m_listener->setNoteText(QStringLiteral("Обработка данных"));
    }
}

void CommandChannel::abandonBlockTransfer()
{
    ExchangeState &ex = exchange();
    ex.pendingReply = ReplyKind::NoReply;
    if (ex.exchangeStep == ExchangeStep::ReadingImage) {
        ex.exchangeStep = ExchangeStep::Start;
    } else if (ex.exchangeStep == ExchangeStep::ReadingLog) {
        ex.logReadRequest = true; // starts over from the first block
        ex.exchangeStep = ExchangeStep::Idle;
    }
}

void CommandChannel::noteLogProgress()
{
    ExchangeState &ex = exchange();
    if (ex.logLength <= 0)
        return;
    // The last block may run past the log area; the note never shows more than 100 %.
    const int percent = int(qMin<qint64>(100, qint64(100) * ex.logBuffer.size() / ex.logLength));
    if (percent <= ex.logProgress + 10)
        return;
    ex.logProgress = percent;
    if (m_listener)
        m_listener->setNoteText(QStringLiteral("Вычитывание лога %1%").arg(percent));
}

void CommandChannel::handleUploadAck(const QByteArray &reply)
{
    ExchangeState &ex = exchange();
    if (!uploadChunkTaken(reply)) {
        readAgainWhileNotReady(); // still storing
        return;
    }
    ex.pendingReply = ReplyKind::NoReply;
    ex.notReadyReads = 0;
    if (ex.uploadData.isEmpty()) {
        ex.exchangeStep = ExchangeStep::Start; // read the image back
        return;
    }
    ex.stepTimeout = Timeouts::Upload;
    const QByteArray chunk = takeUploadChunk(ex.uploadData);
    sendCommand(Opcode::WriteImage, writeImagePayload(quint16(ex.blockAddress), chunk));
}
