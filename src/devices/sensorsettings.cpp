#include "devices/sensorsettings.h"

#include <QPushButton>
#include <QVBoxLayout>

SensorSettings::SensorSettings(QWidget *parent)
    : QDialog(parent), m_cancelButton(new QPushButton(QStringLiteral("Отмена"), this))
{
    setObjectName(QStringLiteral("SensorSettings"));
    setWindowTitle(QStringLiteral("Калибровка датчика"));
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_cancelButton);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}
