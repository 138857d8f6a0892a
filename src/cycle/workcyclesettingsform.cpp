#include "cycle/workcyclesettingsform.h"

#include <QLabel>
#include <QVBoxLayout>

WorkCycleSettingsForm::WorkCycleSettingsForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WorkCycleSettingsForm"));
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Настройка цикла работы"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    layout->addWidget(title, 0, Qt::AlignTop);
}
