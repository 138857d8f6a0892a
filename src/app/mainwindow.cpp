#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/closequestion.h"
#include "app/notepopup.h"
#include "app/pagerouter.h"
#include "cycle/snapshotlist.h"
#include "cycle/workcyclesettingsform.h"
#include "devices/devicesform.h"
#include "help/openhelp.h"
#include "history/settingsform.h"
#include "link/exchangesequencer.h"
#include "link/exchangetick.h"
#include "link/exchangestate.h"
#include "model/controllerstate.h"
#include "model/files/daycomments.h"
#include "model/plan/pendingplan.h"
#include "model/files/workfolders.h"
#include "scenario/scenarioform.h"
#include "scenario/scenariotimetablewidget.h"
#include "signin/regform.h"
#include "widgets/infonote.h"
#include "widgets/leftmenupanel.h"
#include "widgets/slidingstackedwidget.h"
#include "widgets/theme.h"
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
constexpr int CloseWaitTicks = 300; // how long a close waits for a plan being written

// A plan is on its way to the controller and not yet acknowledged.
bool writingUnderWay()
{
    const ExchangeState &ex = exchange();
    if (ex.linkState != LinkState::SignedIn || !ex.uploadUnconfirmed)
        return false;
    switch (ex.exchangeStep) {
    case ExchangeStep::Start:
    case ExchangeStep::Uploading:
    case ExchangeStep::ReadingImage:
    case ExchangeStep::ImageRead:
    case ExchangeStep::Committing:
    case ExchangeStep::CommitConfirmed:
        return true;
    default:
        return controllerState().uploadRequest;
    }
}
}

MainWindow::MainWindow(Transport *transport, QWidget *parent)
    : QMainWindow(parent), tickTimer(nullptr), ui(std::make_unique<Ui::MainWindow>()),
      m_notes(std::make_unique<NotePopup>(this)), m_transport(transport)
{
    ui->setupUi(this);
    // pop-ups, menus and scroll bars are windows or parts of their own: they take the look here
    qApp->setStyleSheet(Theme::applicationStyle());
    setStyleSheet(QStringLiteral("QMainWindow { background-color: %1; }"
                                 " QFrame#leftPanelFrame, QFrame#frame { background-color: %2; border-radius: 12px; }"
                                 " QStackedWidget#mainStackedWidget { background: transparent; }"
                                 " QMenuBar { background-color: %1; color: %3; }")
                      .arg(Theme::css(Theme::WindowBackground), Theme::css(Theme::CardBackground), Theme::css(Theme::MutedText)));
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
    connect(m_workCycle, &WorkCycleSettingsForm::setBlurEffect, this, &MainWindow::setBlurEffect);
    const auto help = [this](int page) { openHelp(this, page); };
    connect(m_devices, &DevicesForm::helpRequested, this, help);
    connect(m_settings, &SettingsForm::helpRequested, this, help);
    connect(m_workCycle, &WorkCycleSettingsForm::helpRequested, this, help);
    connect(m_scenario, &ScenarioForm::helpRequested, this, help);
    m_regform->setFormMode(regform::Offline);

    m_link = new LinkController(m_transport, m_notes.get(), this);
    m_sequencer = new ExchangeSequencer(m_link->channel(), m_notes.get(), this);
    connect(m_link, &LinkController::formModeChanged, m_regform, &regform::setFormMode);
    connect(m_link, &LinkController::controllerIdChanged, m_regform, &regform::setDeviceId);
    connect(m_link, &LinkController::controllerIdChanged, m_leftMenu, &LeftMenuPanel::setId);
    connect(m_link, &LinkController::adapterProblemChanged, m_regform, &regform::setAdapterProblem);
    connect(m_link, &LinkController::signInViewWanted, this, &MainWindow::showSignInView);
    connect(m_link, &LinkController::workViewWanted, this, &MainWindow::showWorkView);
    connect(m_link, &LinkController::accountDeleted, this, &MainWindow::accountDeleted);
    // what was read from the controller goes first, then what the pages show of it
    connect(m_link, &LinkController::linkGone, m_sequencer, &ExchangeSequencer::linkLost);
    connect(m_link, &LinkController::linkGone, m_workCycle, &WorkCycleSettingsForm::clearCycle);
    connect(m_sequencer, &ExchangeSequencer::imageRead, this, &MainWindow::keepSnapshot);
    connect(m_sequencer, &ExchangeSequencer::imageWritten, this, &MainWindow::keepSnapshot);
    connect(m_workCycle, &WorkCycleSettingsForm::snapshotsRequested, this, &MainWindow::openSnapshotList);
    connect(m_regform, &regform::LoadAccount, m_link, &LinkController::sendAccountCommand);
    connect(m_regform, &regform::createAccountRequested, this, [] { exchange().saveLoginOnSuccess = true; });
    connect(m_sequencer, &ExchangeSequencer::configurationDecoded, m_devices, &DevicesForm::takeConfiguration);
    connect(m_sequencer, &ExchangeSequencer::statusReceived, m_devices, &DevicesForm::takeStatusRecord);
    connect(m_sequencer, &ExchangeSequencer::statusReceived, m_leftMenu, &LeftMenuPanel::takeStatus);
    connect(m_sequencer, &ExchangeSequencer::dayBarChanged, m_leftMenu, &LeftMenuPanel::setDayBar);
    connect(m_sequencer, &ExchangeSequencer::cycleDatesChanged, m_leftMenu, &LeftMenuPanel::setDates);
    connect(m_sequencer, &ExchangeSequencer::scenarioButtonWanted, m_leftMenu, &LeftMenuPanel::setScenariosButtonVisible);
    connect(m_sequencer, &ExchangeSequencer::configurationDecoded, m_settings, &SettingsForm::takeConfiguration);
    connect(m_sequencer, &ExchangeSequencer::configurationDecoded, m_scenario, &ScenarioForm::takeConfiguration);
    connect(m_sequencer, &ExchangeSequencer::editorRefreshWanted, m_scenario, &ScenarioForm::refreshEditorForUpload);
    connect(m_sequencer, &ExchangeSequencer::configurationDecoded, m_workCycle, &WorkCycleSettingsForm::takeDecodedCycle);
    connect(m_sequencer, &ExchangeSequencer::logTaken, m_settings, &SettingsForm::logTaken);
    connect(m_sequencer, &ExchangeSequencer::logReadTimedOut, m_settings, &SettingsForm::logReadTimedOut);
    m_router = std::make_unique<PageRouter>(
        PageRouter::Pages{ui->mainStackedWidget, m_leftMenu, m_devices, m_scenario, m_workCycle}, m_link);
    // a plan chosen for this controller and still waiting is cancelled, never written to the next one
    connect(m_link, &LinkController::linkGone, this, [this] { m_router->linkLost(); });
    connect(m_sequencer, &ExchangeSequencer::waitingPlanStranded, this, [this] { m_router->linkLost(); });
    // a loaded file's notes follow its plan once the controller confirmed it
    connect(m_sequencer, &ExchangeSequencer::imageWritten, this, [this](const QByteArray &body) { m_router->planWritten(body); });
    m_tick = std::make_unique<ExchangeTick>(m_link, m_sequencer, m_notes.get());
    m_tick->setPageRequestHandler([this] { m_router->handle(); });

    tickTimer = new QTimer(this);
    tickTimer->setInterval(TickMs);
    connect(tickTimer, &QTimer::timeout, this, &MainWindow::exchangeTick);
    tickTimer->start();

    // A folder that cannot be made (read-only current directory) is reported once the window is up;
    // the link and the live pages still work, only saving files is impossible.
    // no controller's notes until one is signed in to (showWorkView), no plan on its way
    m_folderNoticePending = !workFolders().prepare();
    pendingPlan().reset();
    dayComments().load();
    m_workCycle->refreshDescriptionButton();

    connect(m_workCycle, &WorkCycleSettingsForm::ChangeDayPhase, m_devices, &DevicesForm::daysymena);
    connect(m_workCycle, &WorkCycleSettingsForm::ChangeDayPhase, m_scenario->editor(), &ScenarioTimetableWidget::dayPhaseChanged);
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
    carouselStep();
    const bool ran = m_tick->run();
    finishClosingAfterWriting();
    if (!ran)
        return;
    // after the link step, whose start of discovery closes notes
    if (m_folderNoticePending) {
        m_folderNoticePending = false;
        showNote(this, QStringLiteral("Нет доступа к рабочей папке<p>Файлы не будут сохраняться"), NoteClose::Popup, 10);
    }
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
    m_scenario->openFromMenu();
}

void MainWindow::openSettingsPage()
{
    showPage(m_settings);
    qDebug() << "Открытие Настройки";
}

void MainWindow::openWorkCycleSettingsPage()
{
    m_workCycle->showLiveCycle();
    showPage(m_workCycle);
    qDebug() << "Открытие Настройка цикла работы";
}

void MainWindow::openSnapshotList()
{
    SnapshotList::open(&m_snapshots, exchange().linkState == LinkState::SignedIn ? m_link->currentAddress() : 0, this);
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
    exchange().pageRequest = PageRequest::ShowDevices;
    takeNotesOf(exchange().linkAddress);
}

void MainWindow::takeNotesOf(quint64 address)
{
    // the notes kept for all controllers before they were kept apart go to the first one signed in to
    DayComments::moveSharedNotes(address);
    workFolders().selectController(address);
    // notes waiting for a plan written to another controller are dropped with its upload
    pendingPlan().keepOnlyFor(address);
    dayComments().load();
    m_workCycle->refreshCommentMark();
    m_workCycle->refreshDescriptionButton();
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

void MainWindow::accountDeleted()
{
    // the controller's notes went with the account, and so do those waiting for a plan
    pendingPlan().dropFor(m_link->currentAddress());
    dayComments().load();
    m_workCycle->refreshCommentMark();
    m_workCycle->refreshDescriptionButton();
}

// Closing while a plan is being written asks first; a yes waits for the end (bounded), then says
// what is left unwritten, if anything.
bool MainWindow::mayCloseNow()
{
    if (m_closeWaitTicks > 0)
        return false;
    const ExchangeState &ex = exchange();
    if (ex.linkState != LinkState::SignedIn || !ex.uploadUnconfirmed)
        return true;
    if (!writingUnderWay()) {
        CloseQuestion::tellUnwritten(this);
        return true;
    }
    if (CloseQuestion::askWhileWriting(this))
        m_closeWaitTicks = CloseWaitTicks;
    return false;
}

void MainWindow::finishClosingAfterWriting()
{
    if (m_closeWaitTicks == 0)
        return;
    if (writingUnderWay() && --m_closeWaitTicks > 0)
        return;
    m_closeWaitTicks = 0;
    if (exchange().uploadUnconfirmed)
        CloseQuestion::tellUnwritten(this);
    m_closeDecided = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!closing && !m_closeDecided && !mayCloseNow()) {
        event->ignore();
        return;
    }
    closing = true;
    tickTimer->stop();
    m_link->closeLink();
    QMainWindow::closeEvent(event);
}
