#include "devices/powersocketsettings.h"

#include <QPushButton>
#include <QVBoxLayout>

PowerSocketSettings::PowerSocketSettings(const QString &name_, QWidget *parent)
    : QDialog(parent), name(name_), m_cancelButton(new QPushButton(QStringLiteral("Отмена"), this))
{
    setObjectName(QStringLiteral("PowerSocketSettings"));
    setWindowTitle(QStringLiteral("Переименовать оборудование"));
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_cancelButton);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}
