#pragma once

// The simulated backend of the transport seam: scanners and links that talk to in-process
// SimulatedController objects. It adds only what the air adds: asynchrony, range, scan timing,
// a missing adapter, and the link faults of each controller.

#include "ble/transport.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

class SimEventQueue;
class SimulatedController;
class SimTransport;

class SimScanner : public BleScanner
{
    Q_OBJECT
public:
    SimScanner(SimTransport *transport, QObject *parent);
    void start() override;
    void stop() override;
    bool isActive() const override { return m_active; }

    // Ends the run now (finished follows, queued); nothing when no run is going on.
    void finishRun();
    // Reports a controller once per run, when the run is going on and the controller is in range.
    void report(SimulatedController *controller);

private:
    QPointer<SimTransport> m_transport;
    SimEventQueue *m_queue;
    QTimer m_runTimer;
    bool m_active = false;
    QSet<quint64> m_reported;
};

class SimTransport : public QObject, public Transport
{
    Q_OBJECT
public:
    explicit SimTransport(QObject *parent = nullptr);

    // A new controller, owned by the transport, in range, last in scan order.
    SimulatedController *addController(const QString &name, quint64 address);
    // In the order a scan reports them.
    QList<SimulatedController *> controllers() const { return m_controllers; }
    SimulatedController *controller(quint64 address) const;
    // Controllers left out of the list keep their relative order after the given ones.
    void setScanOrder(const QList<SimulatedController *> &order);

    // Out of range: a scan does not see it, a connection attempt never completes, and an open link
    // to it drops.
    void setInRange(SimulatedController *controller, bool inRange);
    bool isInRange(const SimulatedController *controller) const;

    // How long a scan runs before it finishes by itself; 0 (the default): only finishScan() ends it.
    void setScanPeriod(int ms) { m_scanPeriodMs = ms; }
    int scanPeriod() const { return m_scanPeriodMs; }
    // Ends the scan that is going on (finished arrives queued).
    void finishScan();

    // Known to the adapter only from its cache: scans report it as cached, never as advertising.
    void setCachedOnly(SimulatedController *controller, bool cachedOnly);
    bool isCachedOnly(const SimulatedController *controller) const { return m_cachedOnly.contains(controller); }
    // The controller advertises anew (its account changed): a scan that reported it says so.
    void advertiseAgain(SimulatedController *controller) { emit advertisementChanged(controller); }

    // Without an adapter a scan fails at once with an error instead of running.
    void setAdapterAvailable(bool available) { m_adapterAvailable = available; }
    bool adapterAvailable() const { return m_adapterAvailable; }

    BleScanner *createScanner(QObject *parent) override;
    BleLink *createLink(const BleDeviceInfo &device, QObject *parent) override;

signals:
    void rangeChanged(SimulatedController *controller, bool inRange);
    void scanFinishRequested();
    void advertisementChanged(SimulatedController *controller);
    // Every frame the program writes to a controller, before the controller takes it.
    void frameWritten(SimulatedController *controller, const QByteArray &frame);

private:
    QList<SimulatedController *> m_controllers;
    QSet<const SimulatedController *> m_outOfRange;
    QSet<const SimulatedController *> m_cachedOnly;
    int m_scanPeriodMs = 0;
    bool m_adapterAvailable = true;
};
