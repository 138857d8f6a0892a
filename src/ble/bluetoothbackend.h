#pragma once

#include "ble/transport.h"

#include <memory>

// The Qt Bluetooth backend, for the program's entry; its classes stay behind this one call so that
// nothing else sees Qt Bluetooth.
std::unique_ptr<Transport> createBluetoothTransport();
