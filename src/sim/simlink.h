#pragma once

// A simulated connection to one SimulatedController and its services. The command service holds
// 0xFFF1; a controller with an extra service also reports one without it, after the command service.

#include "ble/transport.h"

#include <QList>
#include <QLoggingCategory>
#include <QPointer>
#include <functional>

class SimEventQueue;
class SimTransport;
class SimulatedController;

// Frames the simulated controller takes and the replies it gives; off by default.
Q_DECLARE_LOGGING_CATEGORY(lcSim)

class SimLink : public BleLink
{
    Q_OBJECT
public:
    static QUuid commandServiceUuid(); // 0xFFF0
    static QUuid extraServiceUuid();   // 0x180A

    // A link to a null controller never connects.
    SimLink(SimTransport *transport, SimulatedController *controller, QObject *parent);
    ~SimLink() override;

    ControllerState state() const override { return m_state; }
    void connectToDevice() override;
    void disconnectFromDevice() override;
    void discoverServices() override;
    BleService *createServiceObject(const QUuid &service, QObject *parent) override;

    bool isConnected() const;
    SimulatedController *controller() const;
    SimTransport *transport() const;
    // Posts an answer after the controller's reply delay; answers in flight are lost when the link
    // drops.
    void post(std::function<void()> action);
    // The link is lost: services become invalid, then disconnected arrives.
    void drop();

signals:
    void dropped();

private:
    QPointer<SimTransport> m_transport;
    QPointer<SimulatedController> m_controller;
    SimEventQueue *m_queue;
    ControllerState m_state = UnconnectedState;
};

class SimService : public BleService
{
    Q_OBJECT
public:
    SimService(SimLink *link, const QUuid &uuid, bool holdsCommand, QObject *parent);

    QUuid uuid() const override { return m_uuid; }
    ServiceState state() const override { return m_state; }
    void discoverDetails(bool readValues) override;
    bool hasCommandCharacteristic() const override;
    QByteArray cachedCommandValue() const override;
    void writeCommand(const QByteArray &value) override;
    void readCommand() override;

private:
    bool usable() const;
    void later(std::function<void()> action);

    QPointer<SimLink> m_link;
    QUuid m_uuid;
    bool m_holdsCommand;
    ServiceState m_state = RemoteService;
    QByteArray m_cached;
    QList<QByteArray> m_lateReplies; // answered when the next frame is written
};
