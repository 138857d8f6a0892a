#pragma once

// Request frames for the command characteristic and the few reply fields the link reads.
// Pure functions: no state, no I/O.

#include <QByteArray>
#include <QList>
#include <QString>

enum class Opcode : quint8 {
    DeleteAccount = 0x01,
    ReadBlocks = 0x04,
    WriteImage = 0x05,
    CommitImage = 0x06,
    SetOutput = 0x09,
    SetRunState = 0x0A,
    SetClock = 0x0C,
    SignIn = 0x0E,
    GetStatus = 0x0F,
};

namespace Frame {
constexpr int Size = 1028;          // every request frame, whatever its payload
constexpr quint8 StartByte = 0x5A;
constexpr int MaxPayload = Size - 2;
constexpr int BlockSize = 1024;     // data bytes of one block reply
constexpr int BlockReplySize = 1028; // data, address u16, FF FF marker
constexpr int MaxChunk = 960;       // data bytes of one WriteImage frame
constexpr int LoginBytes = 80;
constexpr int CredentialBytes = 120;
constexpr int ImageBodyStart = 0x40; // the image body follows the 64-byte header
constexpr int LogAreaEnd = 0x7F00;
constexpr int LogAreaMinStart = 4000;
constexpr int LogRecordSize = 20;
constexpr quint8 UploadTakenBit = 0x02;
constexpr quint8 AccountExistsBit = 0x01;
constexpr int AcceptedByte = 144;
}

// 0x5A, opcode, payload, zeros up to 1028 bytes. A payload longer than 1026 bytes is cut.
QByteArray buildFrame(Opcode opcode, const QByteArray &payload = QByteArray());

// Login UTF-8 cut and zero-padded to 80 bytes, then the password; the whole cut to 120 bytes.
QByteArray signInPayload(const QString &login, const QString &password);

// Start and end address, both u16.
QByteArray readBlocksPayload(quint16 start, quint16 end);

struct BlockRange
{
    quint16 start = 0;
    quint16 end = 0;
};

// The image body: from the end of the header up to the total image length.
BlockRange imageReadRange(quint16 imageLength);
// Length of the log area read: a whole number of records reaching from just below the end of the
// image (never below 4000) up to 0x7F00. Never negative, even for an image that claims the memory.
int logReadLength(quint16 imageLength);
BlockRange logReadRange(quint16 imageLength);

// Address u16, length u16 (the chunk's size), then the chunk (at most 960 bytes; longer is cut).
QByteArray writeImagePayload(quint16 address, const QByteArray &chunk);
// Removes and returns up to 960 bytes from the front of the upload data.
QByteArray takeUploadChunk(QByteArray &uploadData);

// Output 1..4 is a socket (index 0..3); 5..10 is a sensor input, switched by the first channel id of
// that input's channel list. Empty for an input without channels or an output out of range: then
// nothing is to be sent.
QByteArray setOutputPayload(int output, bool on, const QList<int> &inputChannels = QList<int>());

// 4 = run, 0 = pause.
QByteArray setRunStatePayload(quint8 runState);

// Local wall-clock seconds as i64; the no-argument form takes the current time of Clock.
QByteArray setClockPayload(qint64 localWallSeconds);
QByteArray setClockPayload();

// Reply readers. Replies are never trusted for their length: missing bytes read as 0, a short block
// reply has no marker.
quint8 replyByte(const QByteArray &reply, int index);
quint16 replyU16(const QByteArray &reply, int index);
bool blockReplyHasMarker(const QByteArray &reply);
quint16 blockReplyAddress(const QByteArray &reply);
bool uploadChunkTaken(const QByteArray &reply);
bool replyAccepted(const QByteArray &reply);        // byte 144 = 0xFF
bool deleteReplyAccepted(const QByteArray &reply);  // accepted and no account left
// Zero-pads a short status record to its full length so that readers find 0 for missing fields.
QByteArray paddedStatusRecord(const QByteArray &reply);
