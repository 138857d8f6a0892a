#include "devices/namefield.h"

#include "model/codec/textlimit.h"

#include <QLineEdit>

void limitNameField(QLineEdit *edit)
{
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString &text) {
        const QString kept = cutToUtf8Bytes(text);
        if (kept.size() == text.size())
            return;
        const int cursor = edit->cursorPosition();
        edit->setText(kept);
        edit->setCursorPosition(qMin(cursor, int(kept.size())));
        edit->setToolTip(QStringLiteral("Имя не длиннее 255 байт: лишнее отброшено"));
    });
}
