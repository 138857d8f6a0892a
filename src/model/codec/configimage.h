#pragma once

#include "model/controllerstate.h"

#include <QByteArray>
#include <QList>

constexpr int ImageHeaderSize = 64;
constexpr int ImageBodyGranule = 64;  // the body is zero-padded to a multiple of this
// The controller keeps header and body below its event log area.
constexpr int MaxImageSize = 0x7F00;

// What a decode reports besides the state it filled.
struct DecodeResult
{
    // Where decoding stopped early, rounded up to the next multiple of 64; -1 when the data was
    // consumed whole or the stop is not to be reported.
    int usedLength = -1;
    // Body offset where decoding ended (the data's length when it was consumed whole).
    int stopPosition = 0;
    // The day map was read whole: the image holds a complete plan up to its end.
    bool dayMapRead = false;
    // Every record was read, the last of them a whole day map, and only zero bytes (padding)
    // follow it: nothing of the body was left unread.
    bool complete = false;
    // Inputs and sockets whose sections were accepted, in the order met; their tiles show the
    // new names.
    QList<int> acceptedSensors;
    QList<int> acceptedSockets;
};

// Builds the body into heldBody from the state (unless imageIsCurrent is set and a body is held)
// and returns the 64-byte header for it. Clears imageIsCurrent. Stores start seconds, scenario
// image offsets and timer slot numbers in the state, and drops night sensor rows when the cycle
// has no night. An image larger than MaxImageSize gets an empty header: it must not be sent.
QByteArray encodeConfigImage(ControllerState &state, QByteArray &heldBody);

// Whether the encoder writes a work-cycle section for the state: day hours 1..MaxCycleHours, night
// hours 0..MaxCycleHours, a start (a valid start time) and at least one cycle.
constexpr int MaxCycleHours = 999;
bool workCycleWritable(const ControllerState &state);

// Reads an image body into a state the caller has put into its empty form
// (ControllerState::resetToEmptyForm); empties the scenario list first. Malformed or truncated
// data ends decoding at that point; what came before is kept. Whole records the program cannot
// show (sensor sections it does not accept, rows on channels no input offers) are kept verbatim in
// the state and written back by the encoder.
DecodeResult decodeConfigImage(ControllerState &state, const QByteArray &body);

// Reads bytes that hold exactly one whole sensor section (of any type and input) as the decoder
// keeps a section it cannot show; false when they hold anything else.
bool readSensorSection(const QByteArray &bytes, KeptSensorSection *out);

// Gives every timer row of every scenario the values of the timer it names.
void linkTimerRows(ControllerState &state);
