#include "scenario/scenarioform.h"

#include "link/exchangestate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ScenarioForm::ScenarioForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ScenarioForm"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    auto *title = new QLabel(QStringLiteral("Сценарии"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setStyleSheet(QStringLiteral("color: rgb(230, 232, 233); font-family: Inter; font-size: 22px; font-weight: 700;"));
    layout->addWidget(title);
    layout->addStretch(1);

    // Leaving the page hands back to the work-cycle page, which shows the menu again.
    auto *cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setFlat(true);
    cancel->setCursor(Qt::PointingHandCursor);
    cancel->setStyleSheet(QStringLiteral("color: rgb(183, 192, 197); font-family: Inter; font-size: 15px; padding: 10px;"));
    connect(cancel, &QPushButton::clicked, this, [] { exchange().pageRequest = 3; });
    auto *row = new QHBoxLayout;
    row->addWidget(cancel);
    row->addStretch(1);
    layout->addLayout(row);
}
