#pragma once

#include "model/configimage.h"

#include <QByteArray>

// The plan an image body holds, decoded as the program takes an image from a controller: timer
// rows linked, the edited copy equal to the live plan and each cycle day's start time filled in.
// With movesStart the decode moves the start as it does for a loaded scenario file.
ControllerState planOfImage(const QByteArray &body, bool movesStart = false);
