#include "link/linkcontroller.h"
#include "model/codec/statusrecord.h"

#include "link/exchangestate.h"
#include "link/frames.h"
#include "link/loginfile.h"
#include "model/controllerstate.h"
#include "model/files/workfolders.h"

#include <QEventLoop>
#include <QTimer>

namespace {
// The 16-bit UUID of the service that normally holds the command characteristic.
constexpr quint16 CommandServiceUuid = 0xFFF0;
// One discovery period in ticks: how long a failed scan waits before the next try.
constexpr int DiscoveryPeriodTicks = 50;
// How long closing the window waits for the link to close.
constexpr int CloseWaitMs = 1000;

bool nameMarksController(const QString &name)
{
    return name.contains(QLatin1String("REZ"));
}

QByteArray advertisedLogin(const BleDeviceInfo &device)
{
    return device.manufacturerData.value(1) + device.manufacturerData.value(2);
}
} // namespace

LinkController::LinkController(Transport *transport, LinkNotes *notes, QObject *parent)
    : QObject(parent), m_transport(transport), m_notes(notes)
{
    m_channel.setListener(this);
    if (m_transport) {
        m_discoveryAgent = m_transport->createScanner(this);
        connect(m_discoveryAgent, &BleScanner::deviceDiscovered, this, &LinkController::onDeviceDiscovered);
        connect(m_discoveryAgent, &BleScanner::deviceUpdated, this, &LinkController::onDeviceUpdated);
        connect(m_discoveryAgent, &BleScanner::finished, this, &LinkController::onDiscoveryFinished);
        connect(m_discoveryAgent, &BleScanner::errorOccurred, this, &LinkController::onScannerError);
    }
}

LinkController::~LinkController()
{
    m_closing = true;
    if (m_controller) {
        m_controller->disconnect(this);
        m_controller->disconnectFromDevice();
    }
}

void LinkController::note(const QString &text, int flags, int ticks)
{
    m_notes->note(text, flags, ticks);
}

// ---- tick steps ---------------------------------------------------------------------------------

void LinkController::connectStep()
{
    switch (exchange().linkState) {
    case LinkState::StartDiscovery:
        stepStartDiscovery();
        break;
    case LinkState::DiscoveryFinished:
        stepDiscoveryFinished();
        break;
    case LinkState::Discovering:
        stepDiscovering();
        break;
    case LinkState::ConnectRequested:
        stepConnectRequested();
        break;
    case LinkState::Connecting:
        stepConnecting();
        break;
    case LinkState::ServicesDiscovered:
        stepServicesDiscovered();
        break;
    default:
        break;
    }
}

void LinkController::stepStartDiscovery()
{
    m_foundDevices.clear();
    m_scannerFailed = false;
    exchange().linkState = LinkState::Discovering;
    if (m_discoveryAgent)
        m_discoveryAgent->start();
    m_notes->closeUntimedNote();
}

void LinkController::stepDiscovering()
{
    ExchangeState &ex = exchange();
    if (m_controller && m_controller->state() == BleLink::ConnectedState) {
        m_controller->disconnectFromDevice();
        setFormMode(SignInMode::SignIn, QString(), QString());
    }
    if (!m_foundDevices.isEmpty() && m_currentAddress == 0)
        selectDevice(m_foundDevices.first());

    // A failed scan (no adapter, adapter off) counts as a run without devices after one period.
    if (m_scannerFailed && --m_errorWaitTicks <= 0) {
        m_scannerFailed = false;
        m_foundDevices.clear();
        ex.linkState = LinkState::DiscoveryFinished;
    }
}

void LinkController::selectDevice(const BleDeviceInfo &device)
{
    m_selectedDevice = device;
    const QByteArray adLogin = advertisedLogin(device);
    if (adLogin.isEmpty() || adLogin.at(0) == '\0') {
        setFormMode(SignInMode::CreateAccount, QString(), QString());
    } else {
        QByteArray trimmed = adLogin;
        bool hadZero = false;
        while (!trimmed.isEmpty() && trimmed.back() == '\0') {
            trimmed.chop(1);
            hadZero = true;
        }
        QString login = QString::fromUtf8(trimmed);
        if (!hadZero)
            login += QStringLiteral("...");
        QString password;
        QString storedLogin;
        if (LoginFile::read(device.address, trimmed, &storedLogin, &password))
            login = storedLogin;
        else
            password.clear();
        setFormMode(SignInMode::SignIn, login, password);
    }
    const QString id = device.addressText();
    emit controllerIdChanged(id);
    m_currentAddress = device.address;
}

void LinkController::stepDiscoveryFinished()
{
    bool selectedSeen = false;
    for (const BleDeviceInfo &d : std::as_const(m_foundDevices))
        selectedSeen = selectedSeen || d.address == m_currentAddress;
    if (m_foundDevices.isEmpty() || (m_currentAddress != 0 && !selectedSeen)) {
        setFormMode(SignInMode::Offline);
        m_currentAddress = 0;
    }
    exchange().linkState = LinkState::StartDiscovery;
}

void LinkController::stepConnectRequested()
{
    ExchangeState &ex = exchange();
    if (m_discoveryAgent)
        m_discoveryAgent->stop();
    ex.lastImage.clear();
    ex.heldBody.clear();
    ex.uploadData.clear();
    ex.refreshHistory = true;
    ex.exchangeStep = ExchangeStep::Start;
    ex.imageLengthKnown = false;
    ex.uploadRetry = false;
    ex.uploadAttempts = 0;
    ex.imageReadAttempts = 0;
    ex.statusAttempts = 0;
    m_accountReplyAwaited = false;
    bindPendingChanges(m_selectedDevice.address);

    dropService();
    dropController();
    if (m_transport) {
        m_controller = m_transport->createLink(m_selectedDevice, this);
        connect(m_controller, &BleLink::serviceDiscovered, this, &LinkController::onServiceDiscovered);
        connect(m_controller, &BleLink::discoveryFinished, this, &LinkController::onServicesDiscovered);
        connect(m_controller, &BleLink::connected, this, &LinkController::onConnected);
        connect(m_controller, &BleLink::disconnected, this, &LinkController::onDisconnected);
        connect(m_controller, &BleLink::errorOccurred, this, &LinkController::onControllerError);
    }
    ex.logBuffer.clear();
    ex.linkState = LinkState::Connecting;
    ex.connectTimeout = Timeouts::Connect;
    m_serviceUuids.clear();
    if (m_controller)
        m_controller->connectToDevice();
    m_foundDevices.clear();
}

// Pending changes belong to the controller whose plan the state holds. Connecting to another one
// drops them with that plan, so that nothing of one box is ever written to another.
void LinkController::bindPendingChanges(quint64 address)
{
    ExchangeState &ex = exchange();
    ex.linkAddress = address;
    if (ex.stateAddress == address)
        return;
    ControllerState &state = controllerState();
    state.reset();
    ex.stateAddress = 0;
    ex.uploadUnconfirmed = false;
    ex.switchOnRequest = 0;
    ex.switchOffRequest = 0;
    ex.startStopChecked = RunRequest::FollowController;
    ex.cycleDayStates.clear();
}

void LinkController::stepConnecting()
{
    ExchangeState &ex = exchange();
    if (--ex.connectTimeout > 0)
        return;
    const bool connected = m_controller && m_controller->state() != BleLink::UnconnectedState
                           && m_controller->state() != BleLink::ConnectingState;
    if (connected)
        return;
    endLink();
}

void LinkController::waitStep()
{
    ExchangeState &ex = exchange();
    // after a refused password the link rests in ServiceReady until the user tries again; a
    // command whose write is never confirmed is waited for no longer than any other answer
    if (ex.linkState == LinkState::ServiceReady && ex.pendingReply == ReplyKind::NoReply && !m_accountReplyAwaited)
        return;
    if (ex.connectTimeout > 0 && --ex.connectTimeout > 0)
        return;
    endLink();
    note(QStringLiteral("Контроллер не отвечает"), NoteClose::AfterTicks, 30);
}

// The attempt or the link is given up: back to discovery with the sign-in view, as after a loss.
void LinkController::endLink()
{
    ExchangeState &ex = exchange();
    m_notes->closeNote();
    emit signInViewWanted();
    setFormMode(SignInMode::Offline);
    ex.exchangeStep = ExchangeStep::Start;
    ex.pendingReply = ReplyKind::NoReply;
    // The failed attempt's object goes; a late signal from it must not touch the next one.
    dropService();
    dropController();
    resetAfterLinkGone();
}

void LinkController::stepServicesDiscovered()
{
    exchange().linkState = LinkState::DiscoveringDetails;
    exchange().connectTimeout = Timeouts::Connect;
    if (!tryNextService() && m_controller)
        m_controller->disconnectFromDevice();
}

// Creates the service object for the last reported service not tried yet. The command service is
// the one that holds 0xFFF1; others are passed over once their details are known. Only the likely
// command service is discovered with its values read; the others are probed without.
bool LinkController::tryNextService()
{
    dropService();
    while (!m_serviceUuids.isEmpty() && m_controller) {
        const QUuid uuid = m_serviceUuids.takeLast();
        if (openService(uuid, bleUuidTo16(uuid) == CommandServiceUuid))
            return true;
    }
    return false;
}

bool LinkController::openService(const QUuid &uuid, bool readValues)
{
    BleService *service = m_controller ? m_controller->createServiceObject(uuid, this) : nullptr;
    if (!service)
        return false;
    m_service = service;
    m_serviceValuesRead = readValues;
    exchange().connectTimeout = Timeouts::Connect;
    connect(service, &BleService::stateChanged, this, &LinkController::onServiceStateChanged);
    connect(service, &BleService::errorOccurred, this, &LinkController::onServiceError);
    service->discoverDetails(readValues);
    return true;
}

// ---- signal handlers -----------------------------------------------------------------------------

void LinkController::onDeviceDiscovered(const BleDeviceInfo &info)
{
    emit adapterProblemChanged(false);
    // a device only the adapter's cache knows may be long gone: it is not offered
    if (nameMarksController(info.name) && !info.cached)
        m_foundDevices.append(info);
}

void LinkController::onDeviceUpdated(const BleDeviceInfo &info)
{
    if (!nameMarksController(info.name) || info.cached)
        return;
    bool known = false;
    for (BleDeviceInfo &d : m_foundDevices) {
        if (d.address == info.address) {
            d = info;
            known = true;
        }
    }
    if (!known)
        m_foundDevices.append(info);
    // The form shows what the controller advertises now (a new or deleted account). Updates come
    // several times a second on a real adapter (signal strength): only a changed login counts,
    // so that what the user is typing stays.
    if (info.address == m_currentAddress && exchange().linkState == LinkState::Discovering
        && advertisedLogin(info) != advertisedLogin(m_selectedDevice))
        selectDevice(info);
}

void LinkController::onDiscoveryFinished()
{
    emit adapterProblemChanged(false);
    if (exchange().linkState == LinkState::Discovering)
        exchange().linkState = LinkState::DiscoveryFinished;
}

void LinkController::onScannerError(const QString &)
{
    emit adapterProblemChanged(true);
    m_scannerFailed = true;
    m_errorWaitTicks = DiscoveryPeriodTicks;
}

void LinkController::onConnected()
{
    ExchangeState &ex = exchange();
    ex.linkState = LinkState::DiscoveringServices;
    ex.connectTimeout = Timeouts::Connect;
    ex.lastImage.clear();
    ex.imageBuffer.clear();
    if (m_controller)
        m_controller->discoverServices();
}

void LinkController::onServiceDiscovered(const QUuid &uuid)
{
    m_serviceUuids.append(uuid);
}

void LinkController::onServiceError(const QString &)
{
    if (sender() != m_service || exchange().linkState != LinkState::DiscoveringDetails)
        return;  // during the exchange the step timeouts deal with it
    if (!tryNextService() && m_controller)
        m_controller->disconnectFromDevice();
}

void LinkController::onControllerError(const QString &)
{
    if (m_closing || sender() != m_controller)
        return;
    if (exchange().linkState == LinkState::SignedIn)
        m_controller->disconnectFromDevice();  // the link-lost path follows
    else
        endLink();
}

void LinkController::onServicesDiscovered()
{
    exchange().linkState = LinkState::ServicesDiscovered;
}

void LinkController::onServiceStateChanged(int state)
{
    if (state != BleService::RemoteServiceDiscovered || !m_service || sender() != m_service)
        return;
    if (!m_service->hasCommandCharacteristic()) {
        if (!tryNextService() && m_controller)
            m_controller->disconnectFromDevice();
        return;
    }
    if (!m_serviceValuesRead) {
        // found by a probe: its status value is needed, so it is discovered again with values
        const QUuid uuid = m_service->uuid();
        dropService();
        if (!openService(uuid, true) && m_controller)
            m_controller->disconnectFromDevice();
        return;
    }
    ExchangeState &ex = exchange();
    m_channel.setService(m_service);
    ex.statusBytes = m_service->cachedCommandValue();
    const StatusRecord record(ex.statusBytes);
    ex.saveLoginOnSuccess = !record.accountExists();
    ex.controllerSeen = true;
    // a short or missing record (a failed read) says nothing of the image: it is asked for again
    // after the sign-in
    ex.imageLengthKnown = record.isWhole();
    ex.imageLength = ex.imageLengthKnown ? record.imageLength() : 0;
    ex.linkState = LinkState::ServiceReady;
    sendAccountCommand(m_login, m_password, m_deleteFlag);
}

void LinkController::onDisconnected()
{
    if (m_closing || sender() != m_controller)
        return;
    dropService();
    dropController();
    // A timed note (for instance "Аккаунт удален") runs down by itself; waiting notes go now.
    m_notes->closeUntimedNote();
    emit signInViewWanted();
    setFormMode(SignInMode::Offline);
    exchange().exchangeStep = ExchangeStep::Start;
    resetAfterLinkGone();
}

void LinkController::resetAfterLinkGone()
{
    exchange().linkState = LinkState::StartDiscovery;
    m_currentAddress = 0;
    emit linkGone();
}

void LinkController::dropController()
{
    if (!m_controller)
        return;
    BleLink *old = m_controller;
    m_controller = nullptr;
    old->disconnect(this);
    if (old->state() != BleLink::UnconnectedState)
        old->disconnectFromDevice();
    old->deleteLater();
}

void LinkController::dropService()
{
    m_channel.setService(nullptr);
    if (!m_service)
        return;
    BleService *old = m_service;
    m_service = nullptr;
    old->disconnect(this);
    old->deleteLater();
}

void LinkController::disconnectController()
{
    if (m_controller)
        m_controller->disconnectFromDevice();
}

// One Disconnect, then a moment for the link to close before its object goes: deleted while still
// connected, the link would be told to disconnect a second time.
void LinkController::closeLink()
{
    m_closing = true;
    if (!m_controller || m_controller->state() == BleLink::UnconnectedState)
        return;
    QEventLoop wait;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &wait, &QEventLoop::quit);
    connect(m_controller, &BleLink::disconnected, &wait, &QEventLoop::quit);
    m_controller->disconnectFromDevice();
    if (m_controller && m_controller->state() != BleLink::UnconnectedState) {
        deadline.start(CloseWaitMs);
        wait.exec();
    }
}

void LinkController::setFormMode(int mode, const QString &login, const QString &password)
{
    m_formMode = mode;
    emit formModeChanged(mode, login, password);
}

// ---- account commands ----------------------------------------------------------------------------

void LinkController::sendAccountCommand(const QString &login, const QString &password, int deleteFlag)
{
    ExchangeState &ex = exchange();
    m_login = login;
    m_password = password;
    m_deleteFlag = deleteFlag;

    const LinkState state = ex.linkState;
    const bool ready = state == LinkState::ServiceReady;
    const bool connecting = state >= LinkState::ConnectRequested && state <= LinkState::DiscoveringDetails;
    if (!ready && !connecting && m_currentAddress == 0) {
        // Nothing to connect to: the form is offline.
        m_notes->noteOrShorten(QStringLiteral("Нет связи с устройством"), NoteClose::AfterTicks, 10);
        return;
    }

    if (!password.isEmpty()) {
        if (ready) {
            ex.connectTimeout = Timeouts::Connect;
            m_accountReplyAwaited = true;
            m_channel.sendCommand(Opcode::SignIn, signInPayload(login, password));
        } else if (!connecting) {
            ex.linkState = LinkState::ConnectRequested;
        }
        if (deleteFlag)
            note(QStringLiteral("Удаление аккаунта"), NoteClose::OnDiscovery, 10);
        else if (m_formMode == SignInMode::CreateAccount)
            note(QStringLiteral("Сохранение аккаунта"), NoteClose::OnIdle, 10);
        else
            note(QStringLiteral("Авторизация"), NoteClose::OnIdle, 10);
        return;
    }
    if (!deleteFlag)
        return;
    if (ready) {
        ex.linkState = LinkState::DeletingAccount;
        ex.connectTimeout = Timeouts::Connect;
        m_channel.sendCommand(Opcode::DeleteAccount);
        m_deleteFlag = 0;
    } else {
        if (!connecting)
            ex.linkState = LinkState::ConnectRequested;
        note(QStringLiteral("Удаление аккаунта"), NoteClose::OnDiscovery, 10);
    }
}

void LinkController::signInReplied(const QByteArray &reply)
{
    ExchangeState &ex = exchange();
    m_accountReplyAwaited = false;
    if (!replyAccepted(reply)) {
        m_notes->closeNote();
        note(QStringLiteral("Неверный пароль"), NoteClose::AfterTicks, 10);
        ex.linkState = LinkState::ServiceReady;
        return;
    }
    if (m_deleteFlag) {
        ex.linkState = LinkState::DeletingAccount;
        ex.connectTimeout = Timeouts::Connect;
        m_channel.sendCommand(Opcode::DeleteAccount);
        return;
    }
    emit workViewWanted();
    ex.linkState = LinkState::SignedIn;
    m_notes->closeNote();
    if (ex.saveLoginOnSuccess) {
        // The image length stays as the controller reported it: a configuration it still holds
        // (an account reset by the jumpered inputs) is read, not overwritten by an empty plan.
        LoginFile::save(m_selectedDevice.address, reply);
        ex.saveLoginOnSuccess = false;
    }
    note(QStringLiteral("Загрузка конфигурации"), NoteClose::OnIdle, 10);
}

void LinkController::deleteReplied(const QByteArray &reply)
{
    ExchangeState &ex = exchange();
    m_accountReplyAwaited = false;
    if (!deleteReplyAccepted(reply)) {
        m_notes->closeNote();
        note(QStringLiteral("Не удалось удалить аккаунт"), NoteClose::AfterTicks, 20);
    } else {
        setFormMode(SignInMode::CreateAccount, QString(), QString());
        m_notes->closeNote();
        LoginFile::remove(m_selectedDevice.address);
        // this controller's notes in the data folder, nothing else
        workFolders().removeControllerNotes(m_selectedDevice.address);
        emit accountDeleted();
        note(QStringLiteral("Аккаунт удален"), NoteClose::AfterTicks, 20);
        ex.imageLength = 0;
    }
    // Refused or not, the link is dropped so that the next attempt starts from discovery.
    ex.pageRequest = PageRequest::DisconnectAfterDeletion;
    ex.linkState = LinkState::Discovering;
}

void LinkController::setNoteText(const QString &text)
{
    m_notes->setNoteText(text);
}
