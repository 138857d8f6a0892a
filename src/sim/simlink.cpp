#include "sim/simlink.h"

#include "sim/simeventqueue.h"
#include "sim/simtransport.h"
#include "sim/simulatedcontroller.h"

#include <utility>

Q_LOGGING_CATEGORY(lcSim, "vireosant.sim", QtInfoMsg)

namespace {

QString hexHead(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.left(16).toHex(' '));
}

} // namespace

QUuid SimLink::commandServiceUuid()
{
    return bleUuidFrom16(0xFFF0);
}

QUuid SimLink::extraServiceUuid()
{
    return bleUuidFrom16(0x180A);
}

SimLink::SimLink(SimTransport *transport, SimulatedController *controller, QObject *parent)
    : BleLink(parent)
    , m_transport(transport)
    , m_controller(controller)
    , m_queue(new SimEventQueue(this))
{
    connect(transport, &SimTransport::rangeChanged, this, [this](SimulatedController *c, bool inRange) {
        if (!inRange && c == m_controller)
            drop();
    });
}

SimTransport *SimLink::transport() const
{
    return m_transport;
}

SimLink::~SimLink()
{
    if (m_controller && isConnected())
        m_controller->endSession();
}

bool SimLink::isConnected() const
{
    return m_state == ConnectedState || m_state == DiscoveringState || m_state == DiscoveredState;
}

SimulatedController *SimLink::controller() const
{
    return m_controller;
}

void SimLink::post(std::function<void()> action)
{
    m_queue->post(m_controller ? m_controller->faults().replyDelayMs : 0, std::move(action));
}

void SimLink::connectToDevice()
{
    if (m_state != UnconnectedState)
        return;
    m_state = ConnectingState;
    if (!m_controller || !m_transport || !m_transport->isInRange(m_controller))
        return; // never answers; the caller's timeout gives up
    post([this] {
        if (m_state != ConnectingState || !m_controller)
            return;
        m_state = ConnectedState;
        m_controller->beginSession();
        emit connected();
    });
}

void SimLink::disconnectFromDevice()
{
    drop();
}

void SimLink::drop()
{
    if (m_state == UnconnectedState || m_state == ClosingState)
        return;
    if (m_controller && isConnected())
        m_controller->endSession();
    m_state = ClosingState;
    m_queue->clear();
    emit dropped();
    m_queue->post(0, [this] {
        m_state = UnconnectedState;
        emit disconnected();
    });
}

void SimLink::discoverServices()
{
    if (m_state != ConnectedState)
        return;
    m_state = DiscoveringState;
    if (m_controller && m_controller->faults().stallServiceDiscovery)
        return;
    post([this] {
        if (m_state != DiscoveringState)
            return;
        emit serviceDiscovered(commandServiceUuid());
        if (m_state == DiscoveringState && m_controller && m_controller->hasExtraService())
            emit serviceDiscovered(extraServiceUuid());
        if (m_state != DiscoveringState)
            return;
        m_state = DiscoveredState;
        emit discoveryFinished();
    });
}

BleService *SimLink::createServiceObject(const QUuid &service, QObject *parent)
{
    if (m_state != DiscoveredState || !m_controller)
        return nullptr;
    if (service == commandServiceUuid())
        return new SimService(this, service, true, parent);
    if (service == extraServiceUuid() && m_controller->hasExtraService())
        return new SimService(this, service, false, parent);
    return nullptr;
}

SimService::SimService(SimLink *link, const QUuid &uuid, bool holdsCommand, QObject *parent)
    : BleService(parent)
    , m_link(link)
    , m_uuid(uuid)
    , m_holdsCommand(holdsCommand)
{
    connect(link, &SimLink::dropped, this, [this] {
        m_state = InvalidService;
        later([this] { emit stateChanged(InvalidService); });
    });
}

// The client may delete the service while answers are still on their way.
void SimService::later(std::function<void()> action)
{
    if (!m_link)
        return;
    QPointer<SimService> self(this);
    m_link->post([self, action] {
        if (self)
            action();
    });
}

void SimService::discoverDetails(bool readValues)
{
    if (m_state != RemoteService || !m_link || !m_link->isConnected())
        return;
    m_state = RemoteServiceDiscovering;
    later([this] { emit stateChanged(RemoteServiceDiscovering); });
    if (m_link->controller() && m_link->controller()->faults().stallDetailsDiscovery)
        return;
    later([this, readValues] {
        if (m_state != RemoteServiceDiscovering)
            return;
        SimulatedController *c = m_link ? m_link->controller() : nullptr;
        if (readValues && c)
            c->countValueRead();
        if (m_holdsCommand && c && readValues)
            m_cached = c->linkStatusValue();
        m_state = RemoteServiceDiscovered;
        emit stateChanged(RemoteServiceDiscovered);
    });
}

bool SimService::hasCommandCharacteristic() const
{
    return m_holdsCommand && m_state == RemoteServiceDiscovered;
}

QByteArray SimService::cachedCommandValue() const
{
    return hasCommandCharacteristic() ? m_cached : QByteArray();
}

bool SimService::usable() const
{
    return hasCommandCharacteristic() && m_link && m_link->isConnected() && m_link->controller();
}

void SimService::writeCommand(const QByteArray &value)
{
    if (!usable())
        return;
    SimulatedController *c = m_link->controller();
    // Replies held back arrive now, before anything the new frame brings.
    for (const QByteArray &late : std::exchange(m_lateReplies, {}))
        later([this, late] { emit characteristicRead(CommandCharacteristicUuid, late); });
    if (SimTransport *transport = m_link->transport())
        emit transport->frameWritten(c, value);
    const bool taken = c->receiveFrame(value);
    qCDebug(lcSim).noquote() << QStringLiteral("frame op 0x%1 len %2 %3: %4")
                                    .arg(quint8(value.size() > 1 ? value.at(1) : 0), 2, 16, QLatin1Char('0'))
                                    .arg(value.size())
                                    .arg(taken ? QStringLiteral("taken") : QStringLiteral("refused"))
                                    .arg(hexHead(value));
    SimFaults &faults = c->faults();
    if (faults.disconnectAfterFrames > 0 && --faults.disconnectAfterFrames == 0) {
        m_link->drop();
        return;
    }
    if (taken && faults.dropConfirmations > 0) {
        --faults.dropConfirmations;
        qCDebug(lcSim) << "confirmation dropped";
        return;
    }
    if (taken)
        later([this, value] { emit characteristicWritten(CommandCharacteristicUuid, value); });
}

void SimService::readCommand()
{
    if (!usable())
        return;
    SimulatedController *c = m_link->controller();
    if (c->faults().dropReplies > 0) {
        --c->faults().dropReplies;
        qCDebug(lcSim) << "reply dropped";
        return;
    }
    const QByteArray value = c->readReply();
    if (c->faults().lateReplies > 0) {
        --c->faults().lateReplies;
        qCDebug(lcSim) << "reply held back";
        m_lateReplies << value;
        return;
    }
    qCDebug(lcSim).noquote() << QStringLiteral("reply len %1: %2").arg(value.size()).arg(hexHead(value));
    later([this, value] { emit characteristicRead(CommandCharacteristicUuid, value); });
}
