#include "history/settingsform.h"

#include <QLabel>
#include <QVBoxLayout>

SettingsForm::SettingsForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SettingsForm"));
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("История"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    layout->addWidget(title, 0, Qt::AlignTop);
}
