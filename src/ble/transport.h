#pragma once

// The transport seam: a thin mirror of exactly the Qt Bluetooth calls and signals the program uses.
// Two backends implement it: Qt Bluetooth (the real adapter) and the in-process simulated
// controller. Only Qt Core types appear here so that the simulator backend stays widget- and
// Bluetooth-free.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

// What discovery reports of one device.
struct BleDeviceInfo
{
    QString name;
    quint64 address = 0;                        // 48-bit Bluetooth address as a number
    QHash<quint16, QByteArray> manufacturerData; // by manufacturer id
    bool cached = false;  // known only from the adapter's cache: not advertised in this scan
    qint16 rssi = 0;      // signal strength in dBm; 0 when not known
    QString addressText() const;                 // "AA:BB:CC:DD:EE:FF"
};

// The 16-bit UUID of the command characteristic.
constexpr quint16 CommandCharacteristicUuid = 0xFFF1;

class BleScanner : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

signals:
    void deviceDiscovered(const BleDeviceInfo &info);
    // A device reported earlier in this scan advertises anew (its data may have changed).
    void deviceUpdated(const BleDeviceInfo &info);
    void finished();
    void errorOccurred(const QString &text);
};

class BleService : public QObject
{
    Q_OBJECT
public:
    // Mirrors the states of a remote service that the program looks at.
    enum ServiceState { InvalidService = 0, RemoteService, RemoteServiceDiscovering, RemoteServiceDiscovered };

    using QObject::QObject;
    virtual QUuid uuid() const = 0;
    virtual ServiceState state() const = 0;
    // readValues false: characteristics only, no value is read (enough to probe a service).
    virtual void discoverDetails(bool readValues = true) = 0;
    // True once details are discovered and the service holds characteristic 0xFFF1.
    virtual bool hasCommandCharacteristic() const = 0;
    // The value of 0xFFF1 cached by the details discovery; no read request is made.
    virtual QByteArray cachedCommandValue() const = 0;
    // Write with response to 0xFFF1; confirmation comes as characteristicWritten.
    virtual void writeCommand(const QByteArray &value) = 0;
    // Read request to 0xFFF1; the value comes as characteristicRead.
    virtual void readCommand() = 0;

signals:
    void stateChanged(int state);
    // The 16-bit UUID of the characteristic (0 when it has no 16-bit form) and the value.
    void characteristicWritten(quint16 characteristic, const QByteArray &value);
    void characteristicRead(quint16 characteristic, const QByteArray &value);
    void errorOccurred(const QString &text);
};

class BleLink : public QObject
{
    Q_OBJECT
public:
    // Mirrors QLowEnergyController::ControllerState.
    enum ControllerState { UnconnectedState = 0, ConnectingState, ConnectedState, DiscoveringState, DiscoveredState, ClosingState };

    using QObject::QObject;
    virtual ControllerState state() const = 0;
    virtual void connectToDevice() = 0;
    virtual void disconnectFromDevice() = 0;
    virtual void discoverServices() = 0;
    // Null when the link has no such service.
    virtual BleService *createServiceObject(const QUuid &service, QObject *parent) = 0;

signals:
    void connected();
    void disconnected();
    void serviceDiscovered(const QUuid &service);
    void discoveryFinished();
    void errorOccurred(const QString &text);
};

// Creates the objects of one backend.
class Transport
{
public:
    virtual ~Transport() = default;
    virtual BleScanner *createScanner(QObject *parent) = 0;
    virtual BleLink *createLink(const BleDeviceInfo &device, QObject *parent) = 0;
};

// Expands a 16-bit Bluetooth UUID to its full form (xxxx-0000-1000-8000-00805F9B34FB).
QUuid bleUuidFrom16(quint16 value);
// The 16-bit form of a full Bluetooth UUID, or 0 when it has none.
quint16 bleUuidTo16(const QUuid &uuid);
