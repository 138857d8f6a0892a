#pragma once

#include "cycle/comment.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// Runs the next modal comment dialog: types the text and presses the named button.
inline void answerCommentDialog(const QString &text, const char *buttonName)
{
    QTimer::singleShot(0, [text, buttonName] {
        auto *dialog = qobject_cast<comment *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->plainTextEdit->setPlainText(text);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QString::fromLatin1(buttonName)), Qt::LeftButton);
    });
}
