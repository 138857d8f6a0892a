#pragma once

#include <QWidget>

// Page of the main window's stack; its content is built by the page's own subsystem.
class DevicesForm : public QWidget
{
    Q_OBJECT
public:
    explicit DevicesForm(QWidget *parent = nullptr);

signals:
    void setBlurEffect(bool on);

public slots:
    void daysymena(int st);
};
