#pragma once

// The Qt Bluetooth backend of the transport seam: each class wraps one Qt object one to one.

#include "ble/transport.h"

#include <QBluetoothDeviceInfo>
#include <QHash>
#include <QPointer>
#include <memory>

class QBluetoothDeviceDiscoveryAgent;
class QLowEnergyController;
class QLowEnergyService;

// Devices seen by the scanner, by address: the link needs the full device info (address type,
// core configuration) that discovery produced.
using SeenDevices = QHash<quint64, QBluetoothDeviceInfo>;

class BluetoothScanner : public BleScanner
{
    Q_OBJECT
public:
    BluetoothScanner(std::shared_ptr<SeenDevices> seen, QObject *parent);
    void start() override;
    void stop() override;
    bool isActive() const override;

private:
    QBluetoothDeviceDiscoveryAgent *m_agent;
    std::shared_ptr<SeenDevices> m_seen;
};

class BluetoothService : public BleService
{
    Q_OBJECT
public:
    // Takes ownership of the Qt service object.
    BluetoothService(QLowEnergyService *service, QObject *parent);
    QUuid uuid() const override;
    ServiceState state() const override;
    void discoverDetails(bool readValues) override;
    bool hasCommandCharacteristic() const override;
    QByteArray cachedCommandValue() const override;
    void writeCommand(const QByteArray &value) override;
    void readCommand() override;

private:
    void sendLastWrite();

    QLowEnergyService *m_service;
    bool m_refreshing = false; // the value of 0xFFF1 is read in place of a second discovery
    QByteArray m_lastWrite;    // until it is confirmed
    int m_writeRetries = 0;
};

class BluetoothLink : public BleLink
{
    Q_OBJECT
public:
    BluetoothLink(const QBluetoothDeviceInfo &device, QObject *parent);
    ControllerState state() const override;
    void connectToDevice() override;
    void disconnectFromDevice() override;
    void discoverServices() override;
    BleService *createServiceObject(const QUuid &service, QObject *parent) override;

private:
    QLowEnergyController *m_controller;
};

class BluetoothTransport : public Transport
{
public:
    BluetoothTransport();
    BleScanner *createScanner(QObject *parent) override;
    BleLink *createLink(const BleDeviceInfo &device, QObject *parent) override;

private:
    std::shared_ptr<SeenDevices> m_seen;
};
