#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "cycle/snapshotlist.h"
#include "cycle/workcyclesettingsform.h"
#include "devices/devicesform.h"
#include "devices/powersocketelement.h"
#include "history/settingsform.h"
#include "link/exchangestate.h"
#include "link/frames.h"
#include "link/regform.h"
#include "model/controllerstate.h"
#include "model/wallclock.h"
#include "model/workfolders.h"
#include "scenario/scenarioform.h"
#include "widgets/infonote.h"
#include "widgets/leftmenupanel.h"
#include "widgets/slidingstackedwidget.h"
#include "widgets/viewstate.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QGraphicsBlurEffect>
#include <QMenuBar>
#include <QPropertyAnimation>
#include <QTimer>
#include <utility>

namespace {
constexpr int TickMs = 100;
constexpr int CarouselPeriodTicks = 32;
constexpr int CarouselSlideMs = 1500;
constexpr int PanelSlideMs = 250;
}

MainWindow::MainWindow(Transport *transport, QWidget *parent)
    : QMainWindow(parent), tickTimer(nullptr), ui(new Ui::MainWindow), m_transport(transport)
{
    ui->setupUi(this);
    ui->carousel->setSpeed(CarouselSlideMs);
    ui->carousel->setAnimation(QEasingCurve::OutQuart);
    ui->carousel->setCurrentIndex(0);

    setWindowTitle(QStringLiteral("Vireosant"));
    setWindowIcon(QIcon(QStringLiteral(":/pict/progicon.png")));

    m_regform = new regform(this);
    ui->mainStackedWidget->addWidget(m_regform);
    ui->mainStackedWidget->setCurrentWidget(m_regform);

    m_leftMenu = new LeftMenuPanel(ui->leftPanelFrame);
    m_leftMenu->hide();
    // The frame also changes size through the layout alone (minimum widths of the two views).
    ui->leftPanelFrame->installEventFilter(this);

    m_devices = new DevicesForm(this);
    ui->mainStackedWidget->addWidget(m_devices);
    for (int port = 1; port <= 4; ++port)
        m_devices->socketTile(port)->powerlabel->setText(port == 4 ? QStringLiteral("1500 Вт") : QStringLiteral("200 Вт"));
    m_scenario = new ScenarioForm(this);
    ui->mainStackedWidget->addWidget(m_scenario);
    m_settings = new SettingsForm(this);
    ui->mainStackedWidget->addWidget(m_settings);
    m_workCycle = new WorkCycleSettingsForm(this);
    ui->mainStackedWidget->addWidget(m_workCycle);

    connect(m_leftMenu, &LeftMenuPanel::openDevicesPage, this, &MainWindow::openDevicesPage);
    connect(m_leftMenu, &LeftMenuPanel::openScenarioPage, this, &MainWindow::openScenarioPage);
    connect(m_leftMenu, &LeftMenuPanel::openSettingsPage, this, &MainWindow::openSettingsPage);
    connect(m_leftMenu, &LeftMenuPanel::openWorkCycleSettingsPage, this, &MainWindow::openWorkCycleSettingsPage);
    connect(m_workCycle, &WorkCycleSettingsForm::openDevicesPage, this, &MainWindow::openDevicesPage);
    connect(m_regform, &regform::setBlurEffect, this, &MainWindow::setBlurEffect);
    connect(m_devices, &DevicesForm::setBlurEffect, this, &MainWindow::setBlurEffect);
    m_regform->setFormMode(regform::Offline);

    m_link = new LinkController(m_transport, m_regform, this, this);
    m_sequencer = new ExchangeSequencer(m_link->channel(), this);
    m_sequencer->imageRead = [this](const QByteArray &body) { keepSnapshot(body); };
    m_sequencer->imageWritten = [this](const QByteArray &body) { keepSnapshot(body); };
    connect(ui->menubar->addAction(QStringLiteral("Снимки настроек")), &QAction::triggered, this,
            &MainWindow::openSnapshotList);
    connect(m_regform, &regform::LoadAccount, m_link, &LinkController::sendAccountCommand);
    connect(m_regform, &regform::createAccountRequested, this, [] { exchange().saveLoginOnSuccess = true; });

    tickTimer = new QTimer(this);
    tickTimer->setInterval(TickMs);
    connect(tickTimer, &QTimer::timeout, this, &MainWindow::exchangeTick);
    tickTimer->start();

    // A folder that cannot be made (read-only current directory) is reported once the window is up;
    // the link and the live pages still work, only saving files is impossible.
    m_folderNoticePending = !workFolders().prepare();

    connect(m_workCycle, &WorkCycleSettingsForm::ChangeDayPhase, m_devices, &DevicesForm::daysymena);
}

MainWindow::~MainWindow()
{
    closeNote();
    delete m_sequencer;
    m_sequencer = nullptr;
    delete m_link;
    m_link = nullptr;
    delete m_devices;
    m_devices = nullptr;
    delete ui;
}

SlidingStackedWidget *MainWindow::carousel() const
{
    return ui->carousel;
}

QWidget *MainWindow::currentPage() const
{
    return ui->mainStackedWidget->currentWidget();
}

void MainWindow::exchangeTick()
{
    ExchangeState &ex = exchange();
    carouselStep();
    if (ex.skipTicks != 0) {
        --ex.skipTicks;
        return;
    }
    if (ex.tickBusy)
        return;
    ex.tickBusy = true;

    if (ex.sensorInUseNotice) {
        showNote(this, QStringLiteral("Данный датчик используется в условиях<p>Изменения не будут сохранены"), NoteClose::Popup, 10);
        ex.sensorInUseNotice = false;
    }
    m_sequencer->timeoutTick();
    handlePageRequest();
    tickNote(ex.linkState == StartDiscovery, ex.exchangeStep == Idle);

    switch (ex.linkState) {
    case StartDiscovery:
    case DiscoveryFinished:
    case Discovering:
    case ConnectRequested:
    case Connecting:
    case ServicesDiscovered:
        m_link->connectStep();
        break;
    case SignedIn:
        m_sequencer->step();
        break;
    default:
        break;
    }
    // after the link step, whose start of discovery closes notes
    if (m_folderNoticePending) {
        m_folderNoticePending = false;
        showNote(this, QStringLiteral("Нет доступа к рабочей папке<p>Файлы не будут сохраняться"), NoteClose::Popup, 10);
    }

    ex.tickBusy = false;
}

void MainWindow::carouselStep()
{
    ViewState &view = viewState();
    if (!view.signInViewShown) {
        view.carouselCounter = 0;
        return;
    }
    if (++view.carouselCounter < CarouselPeriodTicks)
        return;
    view.carouselCounter = 0;
    SlidingStackedWidget *c = ui->carousel;
    if (!view.carouselForward) {
        if (!c->slideInPrev()) {
            c->slideInNext();
            view.carouselForward = true;
        }
    } else if (!c->slideInNext()) {
        c->slideInPrev();
        view.carouselForward = false;
    }
}

void MainWindow::handlePageRequest()
{
    ExchangeState &ex = exchange();
    switch (ex.pageRequest) {
    case 1:
    case 2:
        // the scenario page saved: the calendar takes the plan (its page is not built yet);
        // the next tick shows it
        ex.pageRequest = 3;
        break;
    case 3:
        showPage(m_workCycle);
        m_leftMenu->showMenu();
        m_leftMenu->checkWorkCycleButton();
        ex.pageRequest = 0;
        break;
    case 4:
        showPage(m_devices);
        m_leftMenu->showMenu();
        m_leftMenu->checkDevicesButton();
        ex.pageRequest = 0;
        break;
    case 6:
        // a scenario file was loaded or a snapshot is restored: its image is taken as if read from
        // the controller. A snapshot waits while a command is under way (its reply would overwrite
        // the step and a block read would append to the buffer) or an upload is pending (it goes
        // first).
        if (!ex.restoreImage.isEmpty()) {
            if (ex.exchangeStep != Idle || controllerState().uploadRequest)
                break;
            ex.imageBuffer = std::exchange(ex.restoreImage, QByteArray());
            ex.restoring = true;
        }
        ex.exchangeStep = ImageRead;
        ex.lastImage = ex.imageBuffer;
        ex.heldBody.clear();
        ex.pageRequest = 0;
        break;
    case 9:
        m_link->disconnectController();
        ex.pageRequest = 0;
        break;
    default:
        // requests of pages that are not built yet are taken and cleared
        ex.pageRequest = 0;
        break;
    }
}

void MainWindow::showPage(QWidget *page)
{
    ui->mainStackedWidget->setCurrentWidget(page);
}

void MainWindow::openDevicesPage()
{
    showPage(m_devices);
    qDebug() << "Открытие Оборудования и устройства";
}

void MainWindow::openScenarioPage()
{
    m_leftMenu->hideMenu();
    showPage(m_scenario);
}

void MainWindow::openSettingsPage()
{
    showPage(m_settings);
    qDebug() << "Открытие Настройки";
}

void MainWindow::openWorkCycleSettingsPage()
{
    showPage(m_workCycle);
    qDebug() << "Открытие Настройка цикла работы";
}

void MainWindow::openSnapshotList()
{
    SnapshotList::open(&m_snapshots, exchange().linkState == SignedIn ? m_link->currentAddress() : 0, this);
}

void MainWindow::keepSnapshot(const QByteArray &body)
{
    QString file;
    if (!m_snapshots.keep(m_link->currentAddress(), body, &file)) {
        closeNote(); // the upload's own note would hide this one
        showNote(this, QStringLiteral("Не удалось сохранить снимок настроек<p>%1").arg(file.toHtmlEscaped()),
                 NoteClose::Popup | NoteClose::AfterTicks, 50);
    }
}

void MainWindow::showWorkView()
{
    showPage(ui->emptyPage);
    ui->carousel->hide();
    ui->leftPanelFrame->setMinimumWidth(300);
    m_leftMenu->setGeometry(ui->leftPanelFrame->rect());
    m_leftMenu->show();
    viewState().signInViewShown = false;
    slidePanel(true);
    exchange().pageRequest = 4;
}

void MainWindow::showSignInView()
{
    if (!viewState().signInViewShown)
        slidePanel(false);
    ui->leftPanelFrame->setMinimumWidth(400);
    ui->leftPanelFrame->setMaximumWidth(550);
    ui->carousel->show();
    showPage(m_regform);
    viewState().signInViewShown = true;
}

void MainWindow::slidePanel(bool in)
{
    const int w = m_leftMenu->width();
    const int h = m_leftMenu->height();
    const QRect shown(0, 0, w, h);
    const QRect hidden(-w, 0, w, h);
    if (m_panelAnimation)
        m_panelAnimation->stop();
    m_panelAnimation = new QPropertyAnimation(m_leftMenu, "geometry", m_leftMenu);
    m_panelAnimation->setDuration(PanelSlideMs);
    m_panelAnimation->setStartValue(in ? hidden : shown);
    m_panelAnimation->setEndValue(in ? shown : hidden);
    // the frame may have changed its width meanwhile: end exactly over it, or out of sight
    connect(m_panelAnimation, &QPropertyAnimation::finished, this, [this, in] {
        m_leftMenu->setGeometry(ui->leftPanelFrame->rect());
        m_leftMenu->setVisible(in);
    });
    m_panelAnimation->start(QAbstractAnimation::DeleteWhenStopped);
}

void MainWindow::setBlurEffect(bool on)
{
    if (on) {
        auto *effect = new QGraphicsBlurEffect(this);
        effect->setBlurRadius(6);
        setGraphicsEffect(effect);
    } else {
        setGraphicsEffect(nullptr);
    }
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (m_leftMenu)
        m_leftMenu->setGeometry(ui->leftPanelFrame->rect());
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->leftPanelFrame && event->type() == QEvent::Resize && m_leftMenu && !m_panelAnimation)
        m_leftMenu->setGeometry(ui->leftPanelFrame->rect());
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::setControllerId(const QString &id)
{
    m_leftMenu->setId(id);
}

void MainWindow::linkLost()
{
    ControllerState &state = controllerState();
    state.workCycleKnown = false;
    state.events.clear();
    m_sequencer->linkLost();
    // a snapshot chosen for this controller is never written to the next one
    if (!exchange().restoreImage.isEmpty() && exchange().pageRequest == 6)
        exchange().pageRequest = 0;
    exchange().restoreImage.clear();
    exchange().restoring = false;
}

void MainWindow::accountDeleted()
{
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    closing = true;
    tickTimer->stop();
    m_link->closeLink();
    QMainWindow::closeEvent(event);
}

void MainWindow::setScenarioButtonVisible(bool visible)
{
    m_leftMenu->setScenariosButtonVisible(visible);
}

void MainWindow::configurationTaken(const DecodeResult &result, bool fallback)
{
    const ControllerState &state = controllerState();
    m_devices->resetTiles();
    for (int index : result.acceptedSensors)
        m_devices->applyDecodedSensor(index);
    for (int index : result.acceptedSockets)
        m_devices->applyDecodedSocket(index);
    m_devices->updateRelaySwitches();
    // the day/night symbol follows whether the cycle has a night
    m_devices->daysymena(state.nightHours != 0 ? 1 : 0);
    if (fallback)
        return;
    m_leftMenu->setDayBar(exchange().cycleDayStates, state.cycleCount);
    m_leftMenu->setDates(state.startTime.toString(QStringLiteral("dd.MM.yyyy")),
                         state.startTime.addDays(state.cycleCount).toString(QStringLiteral("dd.MM.yyyy")));
}

void MainWindow::statusTaken(const QByteArray &status, int running, int kind, int buttonVisibility)
{
    m_devices->takeStatus(status);
    m_leftMenu->setStatus(running, kind);
    if (buttonVisibility >= 0)
        m_devices->setStartStopVisible(buttonVisibility == 1);
    m_devices->setStartStopText(statusWorkRuns(status));
}

void MainWindow::dayBarChanged(const QList<int> &dayStates, int remainingDays)
{
    m_leftMenu->setDayBar(dayStates, remainingDays);
}

void MainWindow::logTaken(const QByteArray &log)
{
    Q_UNUSED(log)
}

void MainWindow::refreshEditorForUpload()
{
}
