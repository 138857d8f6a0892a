#include "scenario/scenarioform.h"

#include <QLabel>
#include <QVBoxLayout>

ScenarioForm::ScenarioForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ScenarioForm"));
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Сценарии"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    layout->addWidget(title, 0, Qt::AlignTop);
}
