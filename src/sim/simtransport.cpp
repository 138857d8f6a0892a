#include "sim/simtransport.h"

#include "sim/simeventqueue.h"
#include "sim/simlink.h"
#include "sim/simulatedcontroller.h"

SimScanner::SimScanner(SimTransport *transport, QObject *parent)
    : BleScanner(parent)
    , m_transport(transport)
    , m_queue(new SimEventQueue(this))
{
    m_runTimer.setSingleShot(true);
    connect(&m_runTimer, &QTimer::timeout, this, &SimScanner::finishRun);
    connect(transport, &SimTransport::scanFinishRequested, this, &SimScanner::finishRun);
    connect(transport, &SimTransport::rangeChanged, this, [this](SimulatedController *c, bool inRange) {
        if (inRange)
            report(c);
    });
    connect(transport, &SimTransport::advertisementChanged, this, [this](SimulatedController *controller) {
        if (!m_active || !m_reported.contains(controller->address()) || !m_transport->isInRange(controller))
            return;
        QPointer<SimulatedController> c(controller);
        m_queue->post(0, [this, c] {
            if (c && m_active)
                emit deviceUpdated(c->advertisement());
        });
    });
}

void SimScanner::start()
{
    m_queue->clear();
    m_reported.clear();
    if (!m_transport || !m_transport->adapterAvailable()) {
        m_active = false;
        m_queue->post(0, [this] { emit errorOccurred(QStringLiteral("No Bluetooth adapter is available")); });
        return;
    }
    m_active = true;
    for (SimulatedController *c : m_transport->controllers())
        report(c);
    if (m_transport->scanPeriod() > 0)
        m_runTimer.start(m_transport->scanPeriod());
}

void SimScanner::stop()
{
    m_active = false;
    m_runTimer.stop();
    m_queue->clear();
}

void SimScanner::finishRun()
{
    if (!m_active)
        return;
    m_active = false;
    m_runTimer.stop();
    m_queue->post(0, [this] { emit finished(); });
}

void SimScanner::report(SimulatedController *controller)
{
    if (!m_active || !m_transport || !m_transport->isInRange(controller) || m_reported.contains(controller->address()))
        return;
    m_reported.insert(controller->address());
    // What it advertises when the report arrives, so an account made meanwhile shows.
    QPointer<SimulatedController> c(controller);
    m_queue->post(0, [this, c] {
        if (!c || !m_active)
            return;
        BleDeviceInfo info = c->advertisement();
        if (m_transport && m_transport->isCachedOnly(c)) {
            // the adapter's memory of it: no fresh advertising data
            info.cached = true;
            info.manufacturerData.clear();
        }
        emit deviceDiscovered(info);
    });
}

void SimTransport::setCachedOnly(SimulatedController *controller, bool cachedOnly)
{
    if (cachedOnly)
        m_cachedOnly.insert(controller);
    else
        m_cachedOnly.remove(controller);
}

SimTransport::SimTransport(QObject *parent)
    : QObject(parent)
{
}

SimulatedController *SimTransport::addController(const QString &name, quint64 address)
{
    auto *c = new SimulatedController(name, address, this);
    m_controllers.append(c);
    emit rangeChanged(c, true);
    return c;
}

SimulatedController *SimTransport::controller(quint64 address) const
{
    for (SimulatedController *c : m_controllers)
        if (c->address() == address)
            return c;
    return nullptr;
}

void SimTransport::setScanOrder(const QList<SimulatedController *> &order)
{
    QList<SimulatedController *> sorted;
    for (SimulatedController *c : order)
        if (m_controllers.contains(c) && !sorted.contains(c))
            sorted.append(c);
    for (SimulatedController *c : m_controllers)
        if (!sorted.contains(c))
            sorted.append(c);
    m_controllers = sorted;
}

void SimTransport::setInRange(SimulatedController *controller, bool inRange)
{
    if (isInRange(controller) == inRange)
        return;
    if (inRange)
        m_outOfRange.remove(controller);
    else
        m_outOfRange.insert(controller);
    emit rangeChanged(controller, inRange);
}

bool SimTransport::isInRange(const SimulatedController *controller) const
{
    return controller && !m_outOfRange.contains(controller);
}

void SimTransport::finishScan()
{
    emit scanFinishRequested();
}

BleScanner *SimTransport::createScanner(QObject *parent)
{
    return new SimScanner(this, parent);
}

BleLink *SimTransport::createLink(const BleDeviceInfo &device, QObject *parent)
{
    return new SimLink(this, controller(device.address), parent);
}
