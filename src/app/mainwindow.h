#pragma once

#include "link/linkcontroller.h"
#include "model/files/snapshotkeeper.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class DevicesForm;
class ExchangeSequencer;
class ExchangeTick;
class LeftMenuPanel;
class NotePopup;
class PageRouter;
class QPropertyAnimation;
class QTimer;
class ScenarioForm;
class SettingsForm;
class SlidingStackedWidget;
class Transport;
class WorkCycleSettingsForm;
class regform;

namespace Ui {
class MainWindow;
}

// The one window: the sign-in view (carousel + account form) and the work view (navigation panel
// + pages). Owns the pages, the link and the 100 ms tick that drives everything; the pages
// connect to what the link and the sequencer announce.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // The transport backend (Qt Bluetooth or simulated) is chosen by the caller and outlives the window.
    explicit MainWindow(Transport *transport, QWidget *parent = nullptr);
    ~MainWindow() override;

    QTimer *tickTimer;

    // pages (owned by the stack)
    regform *regForm() const { return m_regform; }
    LeftMenuPanel *leftMenu() const { return m_leftMenu; }
    DevicesForm *devicesForm() const { return m_devices; }
    ScenarioForm *scenarioForm() const { return m_scenario; }
    SettingsForm *settingsForm() const { return m_settings; }
    WorkCycleSettingsForm *workCycleForm() const { return m_workCycle; }
    SlidingStackedWidget *carousel() const;
    LinkController *link() const { return m_link; }
    ExchangeSequencer *sequencer() const { return m_sequencer; }
    QWidget *currentPage() const;
    SnapshotKeeper *snapshots() { return &m_snapshots; }

    bool closing = false;

public slots:
    void exchangeTick();
    void showWorkView();
    void showSignInView();
    void setBlurEffect(bool on);

    void openDevicesPage();
    void openScenarioPage();
    void openSettingsPage();
    void openWorkCycleSettingsPage();
    // The configuration snapshots of the controller signed in to (a button of the work-cycle page
    // or the menu bar leads here).
    void openSnapshotList();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The account was deleted: its notes go, and those waiting for a plan.
    void accountDeleted();

    void carouselStep();
    void showPage(QWidget *page);
    void slidePanel(bool in);
    void keepSnapshot(const QByteArray &body);
    // Signed in to the controller at address: its notes are the ones shown and written.
    void takeNotesOf(quint64 address);
    bool mayCloseNow();
    void finishClosingAfterWriting();

    std::unique_ptr<Ui::MainWindow> ui;
    std::unique_ptr<NotePopup> m_notes;
    std::unique_ptr<PageRouter> m_router;
    std::unique_ptr<ExchangeTick> m_tick;
    Transport *m_transport;
    regform *m_regform;
    LeftMenuPanel *m_leftMenu;
    DevicesForm *m_devices;
    ScenarioForm *m_scenario;
    SettingsForm *m_settings;
    WorkCycleSettingsForm *m_workCycle;
    LinkController *m_link = nullptr;
    ExchangeSequencer *m_sequencer = nullptr;
    bool m_folderNoticePending = false;
    int m_closeWaitTicks = 0;    // a close waits for the plan being written
    bool m_closeDecided = false; // the close was asked and answered
    SnapshotKeeper m_snapshots;
    QPointer<QPropertyAnimation> m_panelAnimation;
};
