#include "devices/powersocketsettings.h"

#include "widgets/theme.h"
#include "devices/namefield.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PowerSocketSettings::PowerSocketSettings(const QString &name_, QWidget *parent)
    : QDialog(parent),
      name(name_),
      nameEdit(new QLineEdit(this)),
      acceptButton(new QPushButton(QStringLiteral("Сохранить"), this)),
      cancelButton(new QPushButton(QStringLiteral("Отмена"), this))
{
    setObjectName(QStringLiteral("PowerSocketSettings"));
    QFrame *frame = Theme::dialogFrame(this, QStringLiteral("Переименовать оборудование"));

    auto *caption = new QLabel(QStringLiteral("Переименовать оборудование"), frame);
    caption->setObjectName(QStringLiteral("captionLabel"));
    caption->setProperty("role", QStringLiteral("title"));
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    nameEdit->setAccessibleName(QStringLiteral("Имя оборудования"));
    nameEdit->setParent(frame);
    nameEdit->setMinimumWidth(320);
    acceptButton->setObjectName(QStringLiteral("acceptButton"));
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    acceptButton->setParent(frame);
    cancelButton->setParent(frame);
    // Return in the field accepts by itself; the buttons must not take it as a default.
    acceptButton->setAutoDefault(false);
    cancelButton->setAutoDefault(false);

    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(14);
    layout->addWidget(caption);
    layout->addWidget(nameEdit);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancelButton);
    buttons->addWidget(acceptButton);
    layout->addLayout(buttons);

    limitNameField(nameEdit);
    nameEdit->setText(name);
    nameEdit->selectAll();
    nameEdit->setFocus();

    connect(acceptButton, &QPushButton::clicked, this, &PowerSocketSettings::on_acceptButton_clicked);
    connect(cancelButton, &QPushButton::clicked, this, &PowerSocketSettings::on_cancelButton_clicked);
    connect(nameEdit, &QLineEdit::returnPressed, this, &PowerSocketSettings::on_acceptButton_clicked);
}

void PowerSocketSettings::on_acceptButton_clicked()
{
    name = nameEdit->text();
    accept();
}

void PowerSocketSettings::on_cancelButton_clicked()
{
    reject();
}
