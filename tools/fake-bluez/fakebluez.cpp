#include "fakebluez.h"

#include "fakedevice.h"
#include "sim/simtransport.h"
#include "sim/simulatedcontroller.h"

namespace {

const QString AdapterPath = QStringLiteral("/org/bluez/hci0");
constexpr int ReappearMs = 100;

QString powered() { return QStringLiteral("Powered"); }
QString discovering() { return QStringLiteral("Discovering"); }

} // namespace

FakeBluez::FakeBluez(const QDBusConnection &connection, QObject *parent)
    : QDBusVirtualObject(parent)
    , m_tree(connection)
{
    registerBluezTypes();
    connect(&m_rssiTimer, &QTimer::timeout, this, &FakeBluez::updateRssi);
    reset();
}

FakeBluez::~FakeBluez()
{
    deleteDevices();
}

void FakeBluez::deleteDevices()
{
    for (FakeDevice *d : std::as_const(m_devices)) {
        d->vanish();
        delete d;
    }
    m_devices.clear();
}

void FakeBluez::reset()
{
    deleteDevices();
    m_transport = std::make_unique<SimTransport>();
    m_rssiTimer.stop();
    m_tree.remove(AdapterPath);
    m_tree.add(AdapterPath, {{BluezNames::adapter(), {
        {QStringLiteral("Address"), QStringLiteral("00:1A:7D:DA:71:13")},
        {QStringLiteral("AddressType"), QStringLiteral("public")},
        {QStringLiteral("Name"), QStringLiteral("vireosant-test")},
        {QStringLiteral("Alias"), QStringLiteral("vireosant-test")},
        {QStringLiteral("Class"), 0u},
        {powered(), true},
        {QStringLiteral("Discoverable"), false},
        {QStringLiteral("DiscoverableTimeout"), 180u},
        {QStringLiteral("Pairable"), false},
        {QStringLiteral("PairableTimeout"), 0u},
        {discovering(), false},
        {QStringLiteral("UUIDs"), QStringList()},
        {QStringLiteral("Modalias"), QStringLiteral("usb:v1D6Bp0246d0542")},
    }}});
}

SimulatedController *FakeBluez::addController(const QString &name, quint64 address)
{
    SimulatedController *c = m_transport->addController(name, address);
    adoptControllers();
    return c;
}

void FakeBluez::adoptControllers()
{
    for (SimulatedController *c : m_transport->controllers()) {
        if (!m_devices.contains(c->address()))
            m_devices.insert(c->address(), new FakeDevice(&m_tree, m_transport.get(), c, AdapterPath, this));
    }
    showDevices();
}

bool FakeBluez::handleMessage(const QDBusMessage &message, const QDBusConnection &)
{
    const QString interface = message.interface();
    const QString member = message.member();
    if (interface == BluezNames::objectManager() && member == QLatin1String("GetManagedObjects")) {
        m_tree.reply(message, {QVariant::fromValue(m_tree.managedObjects())});
    } else if (interface == BluezNames::properties()) {
        handleProperties(message);
    } else if (interface == BluezNames::adapter() && message.path() == AdapterPath) {
        handleAdapter(message);
    } else if (interface == BluezNames::control() && message.path() == BluezNames::controlPath()) {
        handleControl(message);
    } else if (FakeDevice *d = deviceAt(message.path())) {
        if (interface == BluezNames::device() && member == QLatin1String("Connect")) {
            if (m_tree.property(AdapterPath, BluezNames::adapter(), powered()).toBool())
                d->connectCall(message);
            else
                m_tree.replyError(message, QStringLiteral("org.bluez.Error.NotReady"), QStringLiteral("Resource Not Ready"));
        } else if (interface == BluezNames::device() && member == QLatin1String("Disconnect")) {
            d->disconnectCall(message);
        } else if (interface == BluezNames::gattCharacteristic() || interface == BluezNames::gattDescriptor()) {
            d->gattCall(message);
        } else {
            m_tree.replyError(message, QStringLiteral("org.bluez.Error.NotSupported"), QStringLiteral("Not supported"));
        }
    } else {
        return false;
    }
    return true;
}

QString FakeBluez::introspect(const QString &) const
{
    return QString();
}

FakeDevice *FakeBluez::deviceAt(const QString &path) const
{
    for (FakeDevice *d : m_devices) {
        if ((path == d->path() || path.startsWith(d->path() + QLatin1Char('/'))) && d->isPresent())
            return d;
    }
    return nullptr;
}

void FakeBluez::handleProperties(const QDBusMessage &call)
{
    const QList<QVariant> args = call.arguments();
    const QString path = call.path();
    const QString interface = args.value(0).toString();
    if (!m_tree.hasInterface(path, interface)) {
        m_tree.replyError(call, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("No such interface"));
        return;
    }
    const QString member = call.member();
    if (member == QLatin1String("GetAll")) {
        m_tree.reply(call, {m_tree.properties(path, interface)});
    } else if (member == QLatin1String("Get")) {
        const QVariant value = m_tree.property(path, interface, args.value(1).toString());
        if (value.isValid())
            m_tree.reply(call, {QVariant::fromValue(QDBusVariant(value))});
        else
            m_tree.replyError(call, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("No such property"));
    } else if (member == QLatin1String("Set") && path == AdapterPath && args.value(1).toString() == powered()) {
        setPowered(qvariant_cast<QDBusVariant>(args.value(2)).variant().toBool());
        m_tree.reply(call);
    } else {
        m_tree.replyError(call, QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"), QStringLiteral("Read only"));
    }
}

void FakeBluez::handleAdapter(const QDBusMessage &call)
{
    const QString member = call.member();
    const bool on = m_tree.property(AdapterPath, BluezNames::adapter(), powered()).toBool();
    if (member == QLatin1String("StartDiscovery")) {
        if (!on) {
            m_tree.replyError(call, QStringLiteral("org.bluez.Error.NotReady"), QStringLiteral("Resource Not Ready"));
            return;
        }
        m_tree.reply(call);
        startDiscovery();
    } else if (member == QLatin1String("StopDiscovery")) {
        m_tree.setProperty(AdapterPath, BluezNames::adapter(), discovering(), false);
        m_tree.reply(call);
    } else if (member == QLatin1String("SetDiscoveryFilter")) {
        m_tree.reply(call);
    } else if (member == QLatin1String("GetDiscoveryFilters")) {
        m_tree.reply(call, {QStringList{QStringLiteral("UUIDs"), QStringLiteral("RSSI"), QStringLiteral("Transport"),
                                        QStringLiteral("DuplicateData")}});
    } else if (member == QLatin1String("RemoveDevice")) {
        FakeDevice *d = deviceAt(qvariant_cast<QDBusObjectPath>(call.arguments().value(0)).path());
        if (!d) {
            m_tree.replyError(call, QStringLiteral("org.bluez.Error.DoesNotExist"), QStringLiteral("Does Not Exist"));
            return;
        }
        d->vanish();
        m_tree.reply(call);
        // a controller still advertising is found again by the running scan
        QTimer::singleShot(ReappearMs, this, &FakeBluez::showDevices);
    } else {
        m_tree.replyError(call, QStringLiteral("org.bluez.Error.NotSupported"), QStringLiteral("Not supported"));
    }
}

void FakeBluez::startDiscovery()
{
    m_tree.setProperty(AdapterPath, BluezNames::adapter(), discovering(), true);
    // advertisements arrive a moment after the scan starts
    QTimer::singleShot(0, this, &FakeBluez::showDevices);
}

// While a scan runs, every controller in range is known to the adapter.
void FakeBluez::showDevices()
{
    if (!m_tree.property(AdapterPath, BluezNames::adapter(), discovering()).toBool())
        return;
    for (FakeDevice *d : std::as_const(m_devices)) {
        if (m_transport->isInRange(d->controller()) && !d->isPresent())
            d->appear(nextRssi());
    }
}

void FakeBluez::setPowered(bool on)
{
    if (!on) {
        for (FakeDevice *d : std::as_const(m_devices))
            d->dropLink();
        m_tree.setProperties(AdapterPath, BluezNames::adapter(), {{powered(), false}, {discovering(), false}});
        return;
    }
    m_tree.setProperty(AdapterPath, BluezNames::adapter(), powered(), true);
}

void FakeBluez::setInRange(SimulatedController *controller, bool inRange)
{
    // out of range the simulator drops an open link by itself
    m_transport->setInRange(controller, inRange);
    FakeDevice *d = device(controller->address());
    if (!d)
        return;
    if (inRange)
        showDevices();
    else
        d->vanish();
}

void FakeBluez::setRssiInterval(int ms)
{
    if (ms > 0)
        m_rssiTimer.start(ms);
    else
        m_rssiTimer.stop();
}

void FakeBluez::updateRssi()
{
    if (!m_tree.property(AdapterPath, BluezNames::adapter(), discovering()).toBool())
        return;
    for (FakeDevice *d : std::as_const(m_devices)) {
        if (d->isPresent() && m_transport->isInRange(d->controller()))
            d->appear(nextRssi());
    }
}

// A signal strength that moves a little with every report, as a real one does.
qint16 FakeBluez::nextRssi()
{
    m_rssiStep = (m_rssiStep + 1) % 7;
    return qint16(-58 - m_rssiStep);
}
