#pragma once

// A simulated controller's state in a folder: account.bin (120 bytes, absent without account),
// image.bin, log.bin (records, oldest first) and device.json (run state, clock, outputs). Missing
// files give the defaults; malformed ones are cut to what fits.

#include "sim/simdevicestate.h"

#include <QString>

namespace SimStorage {

bool save(const SimDeviceState &state, const QString &folder);
// False when the folder does not exist.
bool load(const QString &folder, SimDeviceState *state);

} // namespace SimStorage
