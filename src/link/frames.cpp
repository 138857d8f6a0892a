#include "link/frames.h"
#include "model/codec/statusrecord.h"

#include "model/clock.h"

#include <QtEndian>

namespace {

void appendU16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void appendU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray zeroPadded(const QByteArray &bytes, int size)
{
    QByteArray out = bytes.left(size);
    out.append(size - out.size(), '\0');
    return out;
}

} // namespace

QByteArray buildFrame(Opcode opcode, const QByteArray &payload)
{
    QByteArray frame;
    frame.reserve(Frame::Size);
    frame.append(char(Frame::StartByte));
    frame.append(char(opcode));
    frame.append(payload.left(Frame::MaxPayload));
    frame.append(Frame::Size - frame.size(), '\0');
    return frame;
}

QByteArray signInPayload(const QString &login, const QString &password)
{
    QByteArray payload = zeroPadded(login.toUtf8(), Frame::LoginBytes);
    payload.append(password.toUtf8());
    return payload.left(Frame::CredentialBytes);
}

QByteArray readBlocksPayload(quint16 start, quint16 end)
{
    QByteArray payload;
    appendU16(payload, start);
    appendU16(payload, end);
    return payload;
}

BlockRange imageReadRange(quint16 imageLength)
{
    return {quint16(Frame::ImageBodyStart), imageLength};
}

int logReadLength(quint16 imageLength)
{
    // An image reaching into the log area leaves room for one record at most.
    const int base = qMin(qMax(int(imageLength), Frame::LogAreaMinStart), Frame::LogAreaEnd);
    return Frame::LogRecordSize * ((Frame::LogAreaEnd - base) / Frame::LogRecordSize + 1);
}

BlockRange logReadRange(quint16 imageLength)
{
    return {quint16(Frame::LogAreaEnd - logReadLength(imageLength)), quint16(Frame::LogAreaEnd)};
}

QByteArray writeImagePayload(quint16 address, const QByteArray &chunk)
{
    const QByteArray data = chunk.left(Frame::MaxChunk);
    QByteArray payload;
    appendU16(payload, address);
    appendU16(payload, quint16(data.size()));
    payload.append(data);
    return payload;
}

QByteArray takeUploadChunk(QByteArray &uploadData)
{
    const QByteArray chunk = uploadData.left(Frame::MaxChunk);
    uploadData.remove(0, chunk.size());
    return chunk;
}

QByteArray setOutputPayload(int output, bool on, const QList<int> &inputChannels)
{
    int index = -1;
    if (output >= 1 && output <= 4)
        index = output - 1;
    else if (output >= 5 && output <= 10 && !inputChannels.isEmpty())
        index = inputChannels.first();
    if (index < 0 || index > 0xFF)
        return QByteArray();

    QByteArray payload;
    payload.append(char(index));
    appendU32(payload, on ? 100 : 0);
    return payload;
}

QByteArray setRunStatePayload(quint8 runState)
{
    return QByteArray(1, char(runState));
}

QByteArray setClockPayload(qint64 localWallSeconds)
{
    char bytes[8];
    qToLittleEndian(localWallSeconds, bytes);
    return QByteArray(bytes, 8);
}

QByteArray setClockPayload()
{
    return setClockPayload(Clock::nowLocalWallSeconds());
}

quint8 replyByte(const QByteArray &reply, int index)
{
    return index >= 0 && index < reply.size() ? quint8(reply.at(index)) : 0;
}

quint16 replyU16(const QByteArray &reply, int index)
{
    return quint16(replyByte(reply, index) | (replyByte(reply, index + 1) << 8));
}

bool blockReplyHasMarker(const QByteArray &reply)
{
    return reply.size() >= Frame::BlockReplySize && quint8(reply.at(1026)) == 0xFF
        && quint8(reply.at(1027)) == 0xFF;
}

quint16 blockReplyAddress(const QByteArray &reply)
{
    return replyU16(reply, Frame::BlockSize);
}

bool uploadChunkTaken(const QByteArray &reply)
{
    return replyByte(reply, 0) & Frame::UploadTakenBit;
}

bool replyAccepted(const QByteArray &reply)
{
    return replyByte(reply, Frame::AcceptedByte) == 0xFF;
}

bool deleteReplyAccepted(const QByteArray &reply)
{
    return replyAccepted(reply) && !(replyByte(reply, 0) & Frame::AccountExistsBit);
}

QByteArray paddedStatusRecord(const QByteArray &reply)
{
    QByteArray out = reply;
    if (out.size() < StatusRecord::WholeSize)
        out.append(StatusRecord::WholeSize - out.size(), '\0');
    return out;
}
