#include "cycle/workcyclesettingsform.h"

#include <QLabel>
#include <QVBoxLayout>

WorkCycleSettingsForm::WorkCycleSettingsForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WorkCycleSettingsForm"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    auto *title = new QLabel(QStringLiteral("Настройка цикла работы"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setStyleSheet(QStringLiteral("color: rgb(230, 232, 233); font-family: Inter; font-size: 22px; font-weight: 700;"));
    layout->addWidget(title, 0, Qt::AlignTop);
}
