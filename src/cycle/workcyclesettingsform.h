#pragma once

#include <QWidget>

// Page of the main window's stack; its content is built by the page's own subsystem.
class WorkCycleSettingsForm : public QWidget
{
    Q_OBJECT
public:
    explicit WorkCycleSettingsForm(QWidget *parent = nullptr);

signals:
    void ChangeDayPhase(int st);
    void openDevicesPage();
};
