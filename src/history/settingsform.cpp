#include "history/settingsform.h"

#include <QLabel>
#include <QVBoxLayout>

SettingsForm::SettingsForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SettingsForm"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    auto *title = new QLabel(QStringLiteral("История"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setStyleSheet(QStringLiteral("color: rgb(230, 232, 233); font-family: Inter; font-size: 22px; font-weight: 700;"));
    layout->addWidget(title, 0, Qt::AlignTop);
}
