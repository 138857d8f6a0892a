#pragma once

#include "model/codec/statusrecord.h"
#include "model/daystate.h"

#include <QFrame>
#include <QList>
#include <QString>
#include <memory>

namespace Ui {
class LeftMenuPanel;
}
class QButtonGroup;
class StatusRecord;
struct PanelStatus;

// The navigation and status panel of the work view: page buttons, work-cycle dates, a bar of the
// cycle's days, the days remaining, the controller's status and ID, and the exit button.
class LeftMenuPanel : public QFrame
{
    Q_OBJECT

public:
    explicit LeftMenuPanel(QWidget *parent = nullptr);
    ~LeftMenuPanel() override;

    // "РАБОТА В ДНЯХ • ОСТАЛОСЬ <n> <ДЕНЬ|ДНЯ|ДНЕЙ>" with n clamped to 0..99.
    static QString remainingDaysText(int days);


public slots:
    void checkWorkCycleButton();
    void checkDevicesButton();

    void hideMenu();
    void showMenu();
    void setScenariosButtonVisible(bool visible);

    void setDates(const QString &start, const QString &stop);
    void setId(const QString &id);
    // One state per cycle day; remainingDays is clamped to 0..99 for display.
    void setDayBar(const QList<DayState> &dayStates, int remainingDays);
    // active is the controller's run flag.
    void setStatus(int active, WorkKind kind);
    // A status record as the exchange sequencer reads it.
    void takeStatus(const StatusRecord &record, const PanelStatus &status);

    void on_closeAppButton_clicked();

signals:
    void openDevicesPage();
    void openScenarioPage();
    void openSettingsPage();
    void openWorkCycleSettingsPage();

private:
    void rebuildBarLabels(int count);

    std::unique_ptr<Ui::LeftMenuPanel> ui;
    QButtonGroup *menuGroup = nullptr;
    int scenariosVisible = 1;
    bool menuHidden = false;
};
