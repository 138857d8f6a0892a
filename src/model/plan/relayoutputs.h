#pragma once

#include "model/controllerstate.h"

#include <QSet>

// Output numbers (5..10) of the sensor inputs configured as relay outputs, ascending.
QList<int> relayOutputs(const ControllerState &state);

// Program a new relay output starts with: on by day, off by night.
SocketProgram defaultRelayProgram();

// Brings one socket map in line with the relay outputs: keys of inputs that are no longer relays
// go (but for the kept outputs), rows that read the relay channels go, missing relay outputs get
// the default program.
void syncRelayProgram(QMap<int, SocketProgram> &sockets, const QList<int> &relays, const QSet<int> &relayChannels,
                      const QList<int> &kept = {});

// Output numbers of the inputs that hold a sensor section the program keeps without showing: their
// programs are the controller's and stay as read.
QList<int> keptOutputs(const ControllerState &state);

// Channel ids of the relay inputs.
QSet<int> relayChannels(const ControllerState &state);

// Brings every live scenario in line with the inputs that are relay outputs now: outputs of
// inputs that are no longer relays go, new relays get the default program, and rows that read a
// relay's channels (a relay is no condition source) are dropped. The edited scenarios are brought
// in line the same way.
void syncRelayPrograms(ControllerState &state);
