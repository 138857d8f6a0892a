#pragma once

#include <QByteArray>
#include <QString>

class SimTransport;

// The simulated controller of the demo: a grow box with several sensors (one input drives a
// relay), named sockets, two scenarios over a running 30-day cycle and two weeks of history.
namespace DemoSeed {

// The configuration image body the demo controller starts with.
QByteArray imageBody();

// Adds the demo controller to the transport. Its state is kept in stateFolder between runs (the
// account made in one run is there in the next); a missing or unreadable folder starts afresh.
void prepare(SimTransport &transport, const QString &stateFolder);
void save(SimTransport &transport, const QString &stateFolder);

} // namespace DemoSeed
