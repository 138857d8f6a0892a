#pragma once

#include <QWidget>

// Page of the main window's stack; its content is built by the page's own subsystem.
class ScenarioForm : public QWidget
{
    Q_OBJECT
public:
    explicit ScenarioForm(QWidget *parent = nullptr);
};
