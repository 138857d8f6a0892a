#include "devices/devicesform.h"

#include <QLabel>
#include <QVBoxLayout>

DevicesForm::DevicesForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DevicesForm"));
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Оборудование & Датчики"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    layout->addWidget(title, 0, Qt::AlignTop);
}

void DevicesForm::daysymena(int) {}
