#include "cycle/comment.h"

#include "model/files/daycomments.h"
#include "widgets/infonote.h"
#include "widgets/theme.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPushButton *dialogButton(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    b->setMinimumHeight(36);
    return b;
}
} // namespace

comment::comment(QWidget *parent, int day) : QDialog(parent), m_day(day)
{
    setModal(true);
    resize(520, 380);
    auto *layout = new QVBoxLayout(Theme::dialogFrame(this, QStringLiteral("Комментарий")));
    auto *heading = new QLabel(QStringLiteral("Комментарий"), this);
    heading->setObjectName(QStringLiteral("heading"));
    heading->setProperty("role", QStringLiteral("title"));
    layout->addWidget(heading);
    layout->addWidget(new QLabel(QStringLiteral("Текст комментария"), this));
    plainTextEdit = new QPlainTextEdit(this);
    plainTextEdit->setObjectName(QStringLiteral("plainTextEdit"));
    plainTextEdit->setAccessibleName(QStringLiteral("Текст комментария"));
    layout->addWidget(plainTextEdit, 1);

    auto *buttons = new QHBoxLayout;
    QPushButton *cancel = dialogButton(QStringLiteral("cancelbut"), QStringLiteral("Отмена"), this);
    QPushButton *remove = dialogButton(QStringLiteral("delete_2"), QStringLiteral("Удалить"), this);
    QPushButton *save = dialogButton(QStringLiteral("save"), QStringLiteral("Сохранить"), this);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    buttons->addWidget(remove);
    buttons->addWidget(save);
    layout->addLayout(buttons);

    connect(cancel, &QPushButton::released, this, &QDialog::reject);
    connect(save, &QPushButton::released, this, &comment::on_save_released);
    connect(remove, &QPushButton::released, this, &comment::on_delete_2_released);

    const DayComments &comments = dayComments();
    plainTextEdit->setPlainText(m_day < 0 ? comments.descriptionText : comments.commentText(m_day));
}

void comment::on_save_released()
{
    const QString text = plainTextEdit->toPlainText();
    DayComments &comments = dayComments();
    finish(m_day < 0 ? comments.saveDescription(text) : comments.saveComment(m_day, text));
}

void comment::on_delete_2_released()
{
    DayComments &comments = dayComments();
    finish(m_day < 0 ? comments.deleteDescription() : comments.deleteComment(m_day));
}

void comment::finish(const QString &failedPath)
{
    if (!failedPath.isEmpty()) {
        closeNote();
        showNote(parentWidget() ? parentWidget()->window() : nullptr,
                 QStringLiteral("Не удалось записать файл<p>") + QFileInfo(failedPath).fileName(), NoteClose::Popup, 10);
    }
    accept();
}
