#pragma once

#include "model/codec/configimage.h"

#include <QByteArray>

// The plan an image body holds, decoded as the program takes an image from a controller: timer
// rows linked, the edited copy equal to the live plan and each cycle day's start time filled in.
// With movesStart the decode moves the start as it does for a loaded scenario file.
ControllerState planOfImage(const QByteArray &body, bool movesStart = false);

// The controller's image within bytes read as whole 1024-byte blocks (what a scenario file of
// another writer holds): the records up to the end of the first whole day map and their zero
// padding. The image ends there, as the controller's decoding does at its first padding zero;
// what fills the rest of the last block (erased flash, a longer earlier plan, log records) is
// not part of it. Empty when no day map is read whole, or when the day map is followed inside
// its 64-byte granule by anything but a padding zero (the image goes on, so it is damaged).
QByteArray controllerImageIn(const QByteArray &blocks);
