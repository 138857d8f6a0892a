#pragma once

#include "ble/transport.h"
#include "link/commandchannel.h"
#include "link/linknotes.h"
#include "link/signinmode.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUuid>

// What the link needs from the window around it.
class LinkView
{
public:
    virtual ~LinkView() = default;
    // The sign-in form: its mode with the login and password to offer, the controller's ID.
    virtual void setFormMode(int mode, const QString &login = QString(), const QString &password = QString()) = 0;
    virtual void setFormDeviceId(const QString &id) = 0;
    virtual int formMode() const = 0;
    // The scanner cannot run (no adapter, or it is switched off); false once a scan runs again.
    virtual void setAdapterProblem(bool problem) = 0;
    virtual void showSignInView() = 0;
    virtual void showWorkView() = 0;
    virtual void setControllerId(const QString &id) = 0;
    // The link is gone (lost or never made): forget what was read from the controller.
    virtual void linkLost() = 0;
    // The account was deleted: the day comments and descriptions of the old account go too.
    virtual void accountDeleted() = 0;
};

// Finds the controller, connects to it, brings its command service up and runs the account
// commands (create, sign in, delete). Driven by the 100 ms tick through connectStep().
class LinkController : public QObject, public ReplyListener
{
    Q_OBJECT
public:
    LinkController(Transport *transport, LinkView *view, LinkNotes *notes, QObject *parent = nullptr);
    ~LinkController() override;

    // One tick of the connection states (StartDiscovery, DiscoveryFinished, Discovering,
    // ConnectRequested, Connecting, ServicesDiscovered).
    void connectStep();
    // One tick of the states that wait for the controller (services, details, an account reply):
    // silence for a connection timeout ends the link, so no modal note stays up for ever.
    void waitStep();
    // Asks the controller to disconnect (the link-lost handling follows).
    void disconnectController();
    // Window closing: no link-lost handling any more; disconnects when connected.
    void closeLink();

    CommandChannel *channel() { return &m_channel; }
    BleLink *controller() const { return m_controller; }
    quint64 currentAddress() const { return m_currentAddress; }

    // ReplyListener
    void signInReplied(const QByteArray &reply) override;
    void deleteReplied(const QByteArray &reply) override;
    void setNoteText(const QString &text) override;

public slots:
    void sendAccountCommand(const QString &login, const QString &password, int deleteFlag);

private:
    void onDeviceDiscovered(const BleDeviceInfo &info);
    void onDeviceUpdated(const BleDeviceInfo &info);
    void onDiscoveryFinished();
    void onScannerError(const QString &text);
    void onConnected();
    void onDisconnected();
    void onServiceDiscovered(const QUuid &uuid);
    void onServicesDiscovered();
    void onServiceStateChanged(int state);

    void stepStartDiscovery();
    void stepDiscovering();
    void stepDiscoveryFinished();
    void stepConnectRequested();
    void stepConnecting();
    void stepServicesDiscovered();
    void selectDevice(const BleDeviceInfo &device);
    void bindPendingChanges(quint64 address);
    bool tryNextService();
    bool openService(const QUuid &uuid, bool readValues);
    void onServiceError(const QString &text);
    void onControllerError(const QString &text);
    void dropController();
    void dropService();
    void resetAfterLinkGone();
    void endLink();
    void note(const QString &text, int flags, int ticks);

    Transport *m_transport;
    LinkView *m_view;
    LinkNotes *m_notes;
    CommandChannel m_channel;

    BleScanner *m_discoveryAgent = nullptr;
    QPointer<BleLink> m_controller;
    QPointer<BleService> m_service;
    QList<BleDeviceInfo> m_foundDevices;
    BleDeviceInfo m_selectedDevice;
    quint64 m_currentAddress = 0;
    QList<QUuid> m_serviceUuids; // as reported; the last one is tried first
    bool m_serviceValuesRead = false; // m_service's details were discovered with values
    bool m_closing = false;
    bool m_scannerFailed = false;
    int m_errorWaitTicks = 0;
    bool m_accountReplyAwaited = false; // a sign-in was sent and not answered

    QString m_login;
    QString m_password;
    int m_deleteFlag = 0;
};
