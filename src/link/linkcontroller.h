#pragma once

#include "ble/transport.h"
#include "link/commandchannel.h"
#include "link/linknotes.h"
#include "link/signinmode.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUuid>

// Finds the controller, connects to it, brings its command service up and runs the account
// commands (create, sign in, delete). Driven by the 100 ms tick through connectStep(). What the
// sign-in form, the navigation panel and the window show of it comes through its signals.
class LinkController : public QObject, public ReplyListener
{
    Q_OBJECT
public:
    LinkController(Transport *transport, LinkNotes *notes, QObject *parent = nullptr);
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
    // The sign-in form's mode as last announced (SignInMode).
    int formMode() const { return m_formMode; }

    // ReplyListener
    void signInReplied(const QByteArray &reply) override;
    void deleteReplied(const QByteArray &reply) override;
    void setNoteText(const QString &text) override;

public slots:
    void sendAccountCommand(const QString &login, const QString &password, int deleteFlag);

signals:
    // The sign-in form: its mode with the login and password to offer.
    void formModeChanged(int mode, const QString &login, const QString &password);
    // The controller's ID, for the form and the navigation panel.
    void controllerIdChanged(const QString &id);
    // The scanner cannot run (no adapter, or it is switched off); false once a scan runs again.
    void adapterProblemChanged(bool problem);
    void signInViewWanted();
    void workViewWanted();
    // The link is gone (lost or never made): what was read from the controller is forgotten.
    void linkGone();
    // The account was deleted: the day comments and descriptions of the old account go too.
    void accountDeleted();

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

    void setFormMode(int mode, const QString &login = QString(), const QString &password = QString());

    Transport *m_transport;
    int m_formMode = SignInMode::Offline;
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
