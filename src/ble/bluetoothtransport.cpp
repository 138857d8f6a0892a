#include "ble/bluetoothtransport.h"
#include "ble/bluetoothbackend.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothUuid>
#include <QLowEnergyCharacteristic>
#include <QLowEnergyController>
#include <QLowEnergyService>
#include <QTimer>

namespace {

constexpr int LowEnergyDiscoveryTimeoutMs = 5000;
constexpr int MaxWriteRetries = 2;
constexpr int WriteRetryDelayMs = 100;

BleDeviceInfo toBleDeviceInfo(const QBluetoothDeviceInfo &info)
{
    BleDeviceInfo out;
    out.name = info.name();
    out.address = info.address().toUInt64();
    out.rssi = info.rssi();
    // a device the adapter remembers but did not hear in this scan carries no signal strength
    out.cached = info.isCached() || info.rssi() == 0;
    const QMultiHash<quint16, QByteArray> data = info.manufacturerData();
    for (auto it = data.cbegin(); it != data.cend(); ++it) {
        if (!out.manufacturerData.contains(it.key()))
            out.manufacturerData.insert(it.key(), it.value());
    }
    return out;
}

QBluetoothUuid commandCharacteristicUuid()
{
    return QBluetoothUuid(quint16(CommandCharacteristicUuid));
}

} // namespace

BluetoothScanner::BluetoothScanner(std::shared_ptr<SeenDevices> seen, QObject *parent)
    : BleScanner(parent)
    , m_agent(new QBluetoothDeviceDiscoveryAgent(this))
    , m_seen(std::move(seen))
{
    m_agent->setLowEnergyDiscoveryTimeout(LowEnergyDiscoveryTimeoutMs);
    connect(m_agent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this,
            [this](const QBluetoothDeviceInfo &info) {
                const BleDeviceInfo device = toBleDeviceInfo(info);
                m_seen->insert(device.address, info);
                emit deviceDiscovered(device);
            });
    connect(m_agent, &QBluetoothDeviceDiscoveryAgent::deviceUpdated, this,
            [this](const QBluetoothDeviceInfo &info, QBluetoothDeviceInfo::Fields fields) {
                if (!fields.testFlag(QBluetoothDeviceInfo::Field::ManufacturerData)
                    && !fields.testFlag(QBluetoothDeviceInfo::Field::RSSI))
                    return;
                const BleDeviceInfo device = toBleDeviceInfo(info);
                m_seen->insert(device.address, info);
                emit deviceUpdated(device);
            });
    connect(m_agent, &QBluetoothDeviceDiscoveryAgent::finished, this, &BleScanner::finished);
    connect(m_agent, &QBluetoothDeviceDiscoveryAgent::errorOccurred, this,
            [this](QBluetoothDeviceDiscoveryAgent::Error) { emit errorOccurred(m_agent->errorString()); });
}

void BluetoothScanner::start()
{
    m_agent->start();
}

void BluetoothScanner::stop()
{
    m_agent->stop();
}

bool BluetoothScanner::isActive() const
{
    return m_agent->isActive();
}

BluetoothService::BluetoothService(QLowEnergyService *service, QObject *parent)
    : BleService(parent)
    , m_service(service)
{
    m_service->setParent(this);
    connect(m_service, &QLowEnergyService::stateChanged, this,
            [this](QLowEnergyService::ServiceState state) { emit stateChanged(int(state)); });
    connect(m_service, &QLowEnergyService::errorOccurred, this, [this](QLowEnergyService::ServiceError error) {
        m_refreshing = false;
        // A write the daemon or the box refused never reached the controller: it goes again, a
        // bounded number of times, before the refusal is reported.
        if (error == QLowEnergyService::CharacteristicWriteError && !m_lastWrite.isEmpty()
            && m_writeRetries < MaxWriteRetries) {
            ++m_writeRetries;
            QTimer::singleShot(WriteRetryDelayMs, this, [this] { sendLastWrite(); });
            return;
        }
        m_lastWrite.clear();
        emit errorOccurred(QString::number(int(error)));
    });
    connect(m_service, &QLowEnergyService::characteristicWritten, this,
            [this](const QLowEnergyCharacteristic &c, const QByteArray &value) {
                m_lastWrite.clear();
                emit characteristicWritten(bleUuidTo16(c.uuid()), value);
            });
    connect(m_service, &QLowEnergyService::characteristicRead, this,
            [this](const QLowEnergyCharacteristic &c, const QByteArray &value) {
                if (m_refreshing && c.uuid() == commandCharacteristicUuid()) {
                    m_refreshing = false;
                    emit stateChanged(RemoteServiceDiscovered);
                    return;
                }
                emit characteristicRead(bleUuidTo16(c.uuid()), value);
            });
}

QUuid BluetoothService::uuid() const
{
    return m_service->serviceUuid();
}

BleService::ServiceState BluetoothService::state() const
{
    switch (m_service->state()) {
    case QLowEnergyService::RemoteService:
        return RemoteService;
    case QLowEnergyService::RemoteServiceDiscovering:
        return RemoteServiceDiscovering;
    case QLowEnergyService::RemoteServiceDiscovered:
        return RemoteServiceDiscovered;
    default:
        return InvalidService;
    }
}

// The service objects of one link share their details in Qt: a service a probe already discovered
// without values does not discover again (no state change would ever come), so the value of 0xFFF1
// is read instead and the discovery reported when it is there.
void BluetoothService::discoverDetails(bool readValues)
{
    if (m_service->state() == QLowEnergyService::RemoteServiceDiscovered) {
        const QLowEnergyCharacteristic c = m_service->characteristic(commandCharacteristicUuid());
        if (readValues && c.isValid()) {
            m_refreshing = true;
            m_service->readCharacteristic(c);
        } else {
            QMetaObject::invokeMethod(this, [this] { emit stateChanged(RemoteServiceDiscovered); }, Qt::QueuedConnection);
        }
        return;
    }
    m_service->discoverDetails(readValues ? QLowEnergyService::FullDiscovery : QLowEnergyService::SkipValueDiscovery);
}

bool BluetoothService::hasCommandCharacteristic() const
{
    return m_service->state() == QLowEnergyService::RemoteServiceDiscovered
        && m_service->characteristic(commandCharacteristicUuid()).isValid();
}

QByteArray BluetoothService::cachedCommandValue() const
{
    return m_service->characteristic(commandCharacteristicUuid()).value();
}

// The characteristic is looked up afresh for every write and read: a handle kept across a
// rediscovery would be stale.
void BluetoothService::writeCommand(const QByteArray &value)
{
    m_lastWrite = value;
    m_writeRetries = 0;
    sendLastWrite();
}

void BluetoothService::sendLastWrite()
{
    const QLowEnergyCharacteristic c = m_service->characteristic(commandCharacteristicUuid());
    if (c.isValid() && !m_lastWrite.isEmpty())
        m_service->writeCharacteristic(c, m_lastWrite);
}

void BluetoothService::readCommand()
{
    const QLowEnergyCharacteristic c = m_service->characteristic(commandCharacteristicUuid());
    if (c.isValid())
        m_service->readCharacteristic(c);
}

BluetoothLink::BluetoothLink(const QBluetoothDeviceInfo &device, QObject *parent)
    : BleLink(parent)
    , m_controller(QLowEnergyController::createCentral(device, this))
{
    connect(m_controller, &QLowEnergyController::connected, this, &BleLink::connected);
    connect(m_controller, &QLowEnergyController::disconnected, this, &BleLink::disconnected);
    connect(m_controller, &QLowEnergyController::serviceDiscovered, this,
            [this](const QBluetoothUuid &uuid) { emit serviceDiscovered(uuid); });
    connect(m_controller, &QLowEnergyController::discoveryFinished, this, &BleLink::discoveryFinished);
    connect(m_controller, &QLowEnergyController::errorOccurred, this,
            [this](QLowEnergyController::Error) { emit errorOccurred(m_controller->errorString()); });
}

BleLink::ControllerState BluetoothLink::state() const
{
    const int state = int(m_controller->state());
    return state <= ClosingState ? ControllerState(state) : UnconnectedState;
}

void BluetoothLink::connectToDevice()
{
    m_controller->connectToDevice();
}

// One Disconnect per closing: a second one while the first is under way only races it.
void BluetoothLink::disconnectFromDevice()
{
    const QLowEnergyController::ControllerState state = m_controller->state();
    if (state != QLowEnergyController::UnconnectedState && state != QLowEnergyController::ClosingState)
        m_controller->disconnectFromDevice();
}

void BluetoothLink::discoverServices()
{
    m_controller->discoverServices();
}

BleService *BluetoothLink::createServiceObject(const QUuid &service, QObject *parent)
{
    QLowEnergyService *qtService = m_controller->createServiceObject(QBluetoothUuid(service));
    return qtService ? new BluetoothService(qtService, parent) : nullptr;
}

BluetoothTransport::BluetoothTransport()
    : m_seen(std::make_shared<SeenDevices>())
{
}

BleScanner *BluetoothTransport::createScanner(QObject *parent)
{
    return new BluetoothScanner(m_seen, parent);
}

BleLink *BluetoothTransport::createLink(const BleDeviceInfo &device, QObject *parent)
{
    QBluetoothDeviceInfo info = m_seen->value(device.address);
    if (!info.isValid()) {
        info = QBluetoothDeviceInfo(QBluetoothAddress(device.address), device.name, 0);
        info.setCoreConfigurations(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
    }
    return new BluetoothLink(info, parent);
}

std::unique_ptr<Transport> createBluetoothTransport()
{
    return std::make_unique<BluetoothTransport>();
}
