#include "app/closequestion.h"

#include "widgets/dialogs.h"
#include "widgets/theme.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

int ask(QWidget *parent, const QString &text, const QString &acceptText, const QString &rejectText)
{
    QDialog dialog(parent);
    auto *layout = new QVBoxLayout(Theme::dialogFrame(&dialog, QStringLiteral("Запись настроек")));
    auto *label = new QLabel(text, &dialog);
    label->setObjectName(QStringLiteral("closeQuestionText"));
    label->setWordWrap(true);
    layout->addWidget(label);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    if (!rejectText.isEmpty()) {
        auto *reject = new QPushButton(rejectText, &dialog);
        buttons->addWidget(reject);
        QObject::connect(reject, &QPushButton::clicked, &dialog, &QDialog::reject);
        reject->setDefault(true);
    }
    auto *accept = new QPushButton(acceptText, &dialog);
    buttons->addWidget(accept);
    QObject::connect(accept, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addLayout(buttons);
    return Dialogs::exec(&dialog);
}

} // namespace

namespace CloseQuestion {

bool askWhileWriting(QWidget *parent)
{
    return ask(parent,
               QStringLiteral("Идёт запись настроек в контроллер…<p>Дождаться её конца и закрыть программу?"),
               QStringLiteral("Дождаться и закрыть"), QStringLiteral("Отмена"))
           == QDialog::Accepted;
}

void tellUnwritten(QWidget *parent)
{
    ask(parent,
        QStringLiteral("Контроллер не подтвердил запись настроек.<p>Он работает по прежнему плану; "
                       "изменения, сделанные в программе, не записаны."),
        QStringLiteral("Закрыть"), QString());
}

} // namespace CloseQuestion
