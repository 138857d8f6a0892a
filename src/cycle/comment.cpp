#include "cycle/comment.h"

#include "model/files/daycomments.h"
#include "widgets/infonote.h"

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
    setWindowTitle(QStringLiteral("Комментарий"));
    setModal(true);
    resize(520, 380);
    setStyleSheet(QStringLiteral(
        "QDialog { background-color: #1F2325; }"
        "QLabel { color: rgb(230, 232, 233); font-family: Inter; }"
        "QLabel#heading { font-size: 20px; font-weight: 700; }"
        "QPlainTextEdit { background-color: #2A2E30; color: rgb(230, 232, 233); border: 1px solid #3E90F0;"
        " border-radius: 6px; font-size: 14px; }"
        "QPushButton { background-color: #2A2E30; color: rgb(230, 232, 233); border: 1px solid #1F2325;"
        " border-radius: 6px; padding: 4px 16px; }"
        "QPushButton:hover { border-color: #3E90F0; }"
        "QPushButton#save { background-color: rgba(63, 144, 120, 62); border-color: #3FDD78; }"));

    auto *layout = new QVBoxLayout(this);
    auto *heading = new QLabel(QStringLiteral("Комментарий"), this);
    heading->setObjectName(QStringLiteral("heading"));
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
