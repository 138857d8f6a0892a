#pragma once

#include "ble/transport.h"

#include <memory>

class QTextStream;

// The Qt Bluetooth backend, for the program's entry; its classes stay behind this one call so that
// nothing else sees Qt Bluetooth.
std::unique_ptr<Transport> createBluetoothTransport();

// What the program sees of Bluetooth, written for a support e-mail: whether the Bluetooth daemon
// answers and its version, the adapters and whether they are on, a scan of one discovery period
// with the controllers found, and what to do when something is missing. Needs a running
// QCoreApplication; returns the exit status: 0 when a controller was found.
int runBluetoothCheck(QTextStream &out);
