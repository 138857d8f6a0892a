#pragma once

// A stand-in for the Bluetooth daemon on a private message bus: one adapter (hci0) and the
// simulated controllers in range as its devices, served through the BlueZ D-Bus API that Qt's
// BlueZ backend uses, plus a small control interface for tests.

#include "objecttree.h"

#include <QDBusVirtualObject>
#include <QMap>
#include <QTimer>
#include <memory>

class FakeDevice;
class SimTransport;
class SimulatedController;

class FakeBluez : public QDBusVirtualObject
{
    Q_OBJECT
public:
    static constexpr const char *Version = "5.66";

    explicit FakeBluez(const QDBusConnection &connection, QObject *parent = nullptr);
    ~FakeBluez() override;

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;
    QString introspect(const QString &path) const override;

    SimTransport *transport() const { return m_transport.get(); }
    // A new controller in range (the scan finds it while discovery runs).
    SimulatedController *addController(const QString &name, quint64 address);
    // Devices for controllers added to the transport directly (the demo seed does that).
    void adoptControllers();
    // Back to one powered adapter without controllers or faults.
    void reset();

    void setPowered(bool powered);
    void setInRange(SimulatedController *controller, bool inRange);
    // Signal strength updates of every device in sight; 0 stops them.
    void setRssiInterval(int ms);
    FakeDevice *device(quint64 address) const { return m_devices.value(address); }

private:
    void handleProperties(const QDBusMessage &call);
    void handleAdapter(const QDBusMessage &call);
    void handleControl(const QDBusMessage &call);
    FakeDevice *deviceAt(const QString &path) const;
    void startDiscovery();
    void showDevices();
    void updateRssi();
    qint16 nextRssi();
    void deleteDevices();

    ObjectTree m_tree;
    std::unique_ptr<SimTransport> m_transport;
    QMap<quint64, FakeDevice *> m_devices;
    QTimer m_rssiTimer;
    int m_rssiStep = 0;
};
