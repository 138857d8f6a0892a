#pragma once

// One simulated controller as a BlueZ client sees it: its Device1 object while it is known to the
// adapter, its link (the simulator's own SimLink, so every fault of the simulator acts here too)
// and, once connected, its GATT service, characteristic and descriptor objects.

#include <QByteArray>
#include <QDBusMessage>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class BleLink;
class BleService;
class ObjectTree;
class SimTransport;
class SimulatedController;

class FakeDevice : public QObject
{
    Q_OBJECT
public:
    FakeDevice(ObjectTree *tree, SimTransport *transport, SimulatedController *controller,
               const QString &adapterPath, QObject *parent);
    ~FakeDevice() override;

    static QString pathFor(const QString &adapterPath, quint64 address);
    QString path() const { return m_path; }
    SimulatedController *controller() const { return m_controller; }
    bool isPresent() const;
    bool isConnected() const { return m_resolved; }

    // Exports the device object as a scan finds it, or refreshes its signal strength.
    void appear(qint16 rssi);
    // Removes the device object; an open link drops first.
    void vanish();
    // The advertised login follows the controller's account.
    void refreshAdvertisement();
    // The link is lost (range, power, a knob): clients see Connected turn false.
    void dropLink();

    void connectCall(const QDBusMessage &call);
    void disconnectCall(const QDBusMessage &call);
    // Calls on the GATT objects below the device path.
    void gattCall(const QDBusMessage &call);

    // Knobs and counters.
    void setCommandService(quint16 uuid16) { m_commandService = uuid16; }
    void failWrites(int count, const QString &errorName);
    int disconnectCalls() const { return m_disconnectCalls; }
    int connectCalls() const { return m_connectCalls; }
    QByteArray opcodes() const { return m_opcodes; }
    void clearCounters();

private:
    void onLinkConnected();
    void onServicesFound();
    void onCommandState(int state);
    void onFrameTaken();
    void onLinkGone();
    void exportGatt();
    QStringList serviceUuids() const;
    void answerRead(const QByteArray &value);
    void failPending(QList<QDBusMessage> &calls, const QString &text);
    void readCall(const QDBusMessage &call);
    void writeCall(const QDBusMessage &call);

    ObjectTree *m_tree;
    SimTransport *m_transport;
    SimulatedController *m_controller; // the transport that owns it outlives this device
    QString m_adapterPath;
    QString m_path;

    QPointer<BleLink> m_link;
    QPointer<BleService> m_command;
    bool m_resolved = false;
    bool m_wroteSinceConnect = false;
    QTimer m_connectTimer;
    QHash<quint16, QByteArray> m_advertised;

    QList<QDBusMessage> m_pendingConnects;
    QList<QDBusMessage> m_pendingDisconnects;
    QList<QDBusMessage> m_pendingReads;
    QList<QDBusMessage> m_pendingWrites;

    quint16 m_commandService = 0xFFF0;
    int m_failWrites = 0;
    QString m_failError;
    int m_disconnectCalls = 0;
    int m_connectCalls = 0;
    QByteArray m_opcodes;
};
