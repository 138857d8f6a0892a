#include "fakedevice.h"

#include "bluezdbustypes.h"
#include "objecttree.h"
#include "sim/simlink.h"
#include "sim/simtransport.h"
#include "sim/simulatedcontroller.h"

namespace {

constexpr int ConnectTimeoutMs = 10000;
constexpr quint16 CommandCharacteristic = 0xFFF1;
constexpr quint16 UserDescription = 0x2901;
constexpr quint16 DeviceInformation = 0x180A;
constexpr quint16 ManufacturerName = 0x2A29;

// Object paths numbered by attribute handle, as BlueZ names them.
const QString CommandServiceNode = QStringLiteral("/service0010");
const QString CommandCharNode = QStringLiteral("/service0010/char0011");
const QString CommandDescNode = QStringLiteral("/service0010/char0011/desc0013");
const QString ExtraServiceNode = QStringLiteral("/service0020");
const QString ExtraCharNode = QStringLiteral("/service0020/char0021");

const QString ErrorFailed = QStringLiteral("org.bluez.Error.Failed");

QString uuidText(quint16 uuid16)
{
    return bleUuidFrom16(uuid16).toString(QUuid::WithoutBraces);
}

QDBusObjectPath objectPath(const QString &path)
{
    return QDBusObjectPath(path);
}

ManufacturerMap manufacturerMap(const QHash<quint16, QByteArray> &data)
{
    ManufacturerMap map;
    for (auto it = data.cbegin(); it != data.cend(); ++it)
        map.insert(it.key(), QDBusVariant(QVariant(it.value())));
    return map;
}

} // namespace

FakeDevice::FakeDevice(ObjectTree *tree, SimTransport *transport, SimulatedController *controller,
                       const QString &adapterPath, QObject *parent)
    : QObject(parent)
    , m_tree(tree)
    , m_transport(transport)
    , m_controller(controller)
    , m_adapterPath(adapterPath)
    , m_path(pathFor(adapterPath, controller->address()))
{
    m_connectTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        failPending(m_pendingConnects, QStringLiteral("le-connection-abort-by-local"));
        dropLink();
    });
}

FakeDevice::~FakeDevice()
{
    const QString text = QStringLiteral("Device removed");
    failPending(m_pendingConnects, text);
    failPending(m_pendingReads, text);
    failPending(m_pendingWrites, text);
    for (const QDBusMessage &call : std::exchange(m_pendingDisconnects, {}))
        m_tree->reply(call);
}

QString FakeDevice::pathFor(const QString &adapterPath, quint64 address)
{
    BleDeviceInfo info;
    info.address = address;
    return adapterPath + QStringLiteral("/dev_") + info.addressText().replace(QLatin1Char(':'), QLatin1Char('_'));
}

bool FakeDevice::isPresent() const
{
    return m_tree->contains(m_path);
}

void FakeDevice::appear(qint16 rssi)
{
    if (isPresent()) {
        m_tree->setProperty(m_path, BluezNames::device(), QStringLiteral("RSSI"), QVariant::fromValue(rssi));
        refreshAdvertisement();
        return;
    }
    const BleDeviceInfo ad = m_controller->advertisement();
    m_advertised = ad.manufacturerData;
    QVariantMap device{
        {QStringLiteral("Address"), ad.addressText()},
        {QStringLiteral("AddressType"), QStringLiteral("public")},
        {QStringLiteral("Name"), ad.name},
        {QStringLiteral("Alias"), ad.name},
        {QStringLiteral("Adapter"), QVariant::fromValue(objectPath(m_adapterPath))},
        {QStringLiteral("Paired"), false},
        {QStringLiteral("Trusted"), false},
        {QStringLiteral("Blocked"), false},
        {QStringLiteral("LegacyPairing"), false},
        {QStringLiteral("Connected"), false},
        {QStringLiteral("ServicesResolved"), false},
        {QStringLiteral("UUIDs"), QStringList()},
        {QStringLiteral("RSSI"), QVariant::fromValue(rssi)},
        {QStringLiteral("ManufacturerData"), QVariant::fromValue(manufacturerMap(m_advertised))},
    };
    m_tree->add(m_path, {{BluezNames::device(), device}});
}

void FakeDevice::vanish()
{
    dropLink();
    m_tree->remove(m_path);
}

void FakeDevice::refreshAdvertisement()
{
    if (!isPresent())
        return;
    const QHash<quint16, QByteArray> data = m_controller->advertisement().manufacturerData;
    if (data == m_advertised)
        return;
    m_advertised = data;
    m_tree->setProperty(m_path, BluezNames::device(), QStringLiteral("ManufacturerData"),
                        QVariant::fromValue(manufacturerMap(data)));
}

void FakeDevice::dropLink()
{
    if (m_link)
        m_link->disconnectFromDevice();
}

void FakeDevice::failWrites(int count, const QString &errorName)
{
    m_failWrites = count;
    m_failError = errorName.isEmpty() ? ErrorFailed : errorName;
}

void FakeDevice::clearCounters()
{
    m_disconnectCalls = 0;
    m_connectCalls = 0;
    m_opcodes.clear();
}

// ---- connection ---------------------------------------------------------------------------------

void FakeDevice::connectCall(const QDBusMessage &call)
{
    ++m_connectCalls;
    if (m_resolved) {
        m_tree->reply(call);
        return;
    }
    m_pendingConnects << call;
    if (m_link)
        return;
    m_link = m_transport->createLink(m_controller->advertisement(), this);
    connect(m_link, &BleLink::connected, this, &FakeDevice::onLinkConnected);
    connect(m_link, &BleLink::discoveryFinished, this, &FakeDevice::onServicesFound);
    connect(m_link, &BleLink::disconnected, this, &FakeDevice::onLinkGone);
    m_connectTimer.start(ConnectTimeoutMs);
    m_link->connectToDevice();
}

void FakeDevice::disconnectCall(const QDBusMessage &call)
{
    ++m_disconnectCalls;
    if (!m_link) {
        m_tree->reply(call);
        return;
    }
    m_pendingDisconnects << call;
    m_link->disconnectFromDevice();
}

void FakeDevice::onLinkConnected()
{
    m_tree->setProperty(m_path, BluezNames::device(), QStringLiteral("Connected"), true);
    m_link->discoverServices();
}

void FakeDevice::onServicesFound()
{
    m_command = m_link->createServiceObject(SimLink::commandServiceUuid(), this);
    if (!m_command) {
        dropLink();
        return;
    }
    connect(m_command, &BleService::stateChanged, this, &FakeDevice::onCommandState);
    connect(m_command, &BleService::characteristicWritten, this, &FakeDevice::onFrameTaken);
    connect(m_command, &BleService::characteristicRead, this,
            [this](quint16, const QByteArray &value) { answerRead(value); });
    m_command->discoverDetails(true);
}

void FakeDevice::onCommandState(int state)
{
    if (state != BleService::RemoteServiceDiscovered || m_resolved)
        return;
    // the GATT objects are there before the client is told that services are resolved
    exportGatt();
    m_resolved = true;
    m_connectTimer.stop();
    m_tree->setProperty(m_path, BluezNames::device(), QStringLiteral("UUIDs"), serviceUuids());
    m_tree->setProperty(m_path, BluezNames::device(), QStringLiteral("ServicesResolved"), true);
    for (const QDBusMessage &call : std::exchange(m_pendingConnects, {}))
        m_tree->reply(call);
}

void FakeDevice::onLinkGone()
{
    m_connectTimer.stop();
    m_resolved = false;
    m_wroteSinceConnect = false;
    const QString text = QStringLiteral("Not connected");
    failPending(m_pendingReads, text);
    failPending(m_pendingWrites, text);
    failPending(m_pendingConnects, QStringLiteral("Software caused connection abort"));
    m_tree->remove(m_path + CommandServiceNode);
    m_tree->remove(m_path + ExtraServiceNode);
    m_tree->setProperty(m_path, BluezNames::device(), QStringLiteral("ServicesResolved"), false);
    m_tree->setProperty(m_path, BluezNames::device(), QStringLiteral("Connected"), false);
    for (const QDBusMessage &call : std::exchange(m_pendingDisconnects, {}))
        m_tree->reply(call);
    if (m_command)
        m_command->deleteLater();
    if (m_link)
        m_link->deleteLater();
    m_command = nullptr;
    m_link = nullptr;
}

void FakeDevice::exportGatt()
{
    const QString service = m_path + CommandServiceNode;
    const QString characteristic = m_path + CommandCharNode;
    m_tree->add(service, {{BluezNames::gattService(), {
        {QStringLiteral("UUID"), uuidText(m_commandService)},
        {QStringLiteral("Device"), QVariant::fromValue(objectPath(m_path))},
        {QStringLiteral("Primary"), true},
        {QStringLiteral("Includes"), QVariant::fromValue(QList<QDBusObjectPath>())},
    }}});
    m_tree->add(characteristic, {{BluezNames::gattCharacteristic(), {
        {QStringLiteral("UUID"), uuidText(CommandCharacteristic)},
        {QStringLiteral("Service"), QVariant::fromValue(objectPath(service))},
        {QStringLiteral("Value"), QByteArray()},
        {QStringLiteral("Notifying"), false},
        {QStringLiteral("Flags"), QStringList{QStringLiteral("read"), QStringLiteral("write")}},
    }}});
    m_tree->add(m_path + CommandDescNode, {{BluezNames::gattDescriptor(), {
        {QStringLiteral("UUID"), uuidText(UserDescription)},
        {QStringLiteral("Characteristic"), QVariant::fromValue(objectPath(characteristic))},
        {QStringLiteral("Value"), QByteArray()},
        {QStringLiteral("Flags"), QStringList{QStringLiteral("read")}},
    }}});
    if (!m_controller->hasExtraService())
        return;
    const QString extra = m_path + ExtraServiceNode;
    m_tree->add(extra, {{BluezNames::gattService(), {
        {QStringLiteral("UUID"), uuidText(DeviceInformation)},
        {QStringLiteral("Device"), QVariant::fromValue(objectPath(m_path))},
        {QStringLiteral("Primary"), true},
        {QStringLiteral("Includes"), QVariant::fromValue(QList<QDBusObjectPath>())},
    }}});
    m_tree->add(m_path + ExtraCharNode, {{BluezNames::gattCharacteristic(), {
        {QStringLiteral("UUID"), uuidText(ManufacturerName)},
        {QStringLiteral("Service"), QVariant::fromValue(objectPath(extra))},
        {QStringLiteral("Value"), QByteArray()},
        {QStringLiteral("Notifying"), false},
        {QStringLiteral("Flags"), QStringList{QStringLiteral("read")}},
    }}});
}

QStringList FakeDevice::serviceUuids() const
{
    QStringList uuids{uuidText(m_commandService)};
    if (m_controller->hasExtraService())
        uuids << uuidText(DeviceInformation);
    return uuids;
}

// ---- GATT ---------------------------------------------------------------------------------------

void FakeDevice::gattCall(const QDBusMessage &call)
{
    const QString node = call.path().mid(m_path.size());
    const QString member = call.member();
    if (!m_resolved || !m_tree->contains(call.path())) {
        m_tree->replyError(call, ErrorFailed, QStringLiteral("Not connected"));
        return;
    }
    if (node == CommandCharNode && member == QLatin1String("ReadValue"))
        readCall(call);
    else if (node == CommandCharNode && member == QLatin1String("WriteValue"))
        writeCall(call);
    else if (node == CommandDescNode && member == QLatin1String("ReadValue"))
        m_tree->reply(call, {QByteArray("Command")});
    else if (node == ExtraCharNode && member == QLatin1String("ReadValue"))
        m_tree->reply(call, {QByteArray("Vireosant")});
    else if (member == QLatin1String("StartNotify") || member == QLatin1String("StopNotify"))
        m_tree->replyError(call, QStringLiteral("org.bluez.Error.NotSupported"), QStringLiteral("Not supported"));
    else
        m_tree->replyError(call, QStringLiteral("org.bluez.Error.NotPermitted"), QStringLiteral("Not permitted"));
}

void FakeDevice::readCall(const QDBusMessage &call)
{
    m_pendingReads << call;
    if (m_wroteSinceConnect) {
        m_command->readCommand();
        return;
    }
    // Before any request the characteristic holds the status record.
    auto *link = qobject_cast<SimLink *>(m_link.data());
    const QByteArray status = m_controller->statusValue();
    QPointer<FakeDevice> self(this);
    link->post([self, status] {
        if (self)
            self->answerRead(status);
    });
}

void FakeDevice::writeCall(const QDBusMessage &call)
{
    const QByteArray value = call.arguments().value(0).toByteArray();
    if (m_failWrites > 0) {
        --m_failWrites;
        m_tree->replyError(call, m_failError, QStringLiteral("Operation failed with ATT error: 0x0e"));
        return;
    }
    if (value.size() != SimulatedController::FrameSize) {
        m_tree->replyError(call, QStringLiteral("org.bluez.Error.InvalidValueLength"), QStringLiteral("Invalid Length"));
        return;
    }
    m_opcodes.append(value.at(1));
    m_wroteSinceConnect = true;
    m_pendingWrites << call;
    m_command->writeCommand(value);
}

void FakeDevice::onFrameTaken()
{
    if (!m_pendingWrites.isEmpty())
        m_tree->reply(m_pendingWrites.takeFirst());
    refreshAdvertisement();
}

void FakeDevice::answerRead(const QByteArray &value)
{
    if (!m_pendingReads.isEmpty())
        m_tree->reply(m_pendingReads.takeFirst(), {value});
}

void FakeDevice::failPending(QList<QDBusMessage> &calls, const QString &text)
{
    for (const QDBusMessage &call : std::exchange(calls, {}))
        m_tree->replyError(call, ErrorFailed, text);
}
