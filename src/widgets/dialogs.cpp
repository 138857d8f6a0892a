#include "widgets/dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QQueue>

namespace {
QQueue<QString> g_fileNames;
QQueue<int> g_execResults;
}

namespace Dialogs {

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    if (!g_fileNames.isEmpty())
        return g_fileNames.dequeue();
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    if (!g_fileNames.isEmpty())
        return g_fileNames.dequeue();
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

int exec(QDialog *dialog)
{
    if (!g_execResults.isEmpty()) {
        const int result = g_execResults.dequeue();
        dialog->setResult(result);
        return result;
    }
    return dialog->exec();
}

void scriptFileName(const QString &answer)
{
    g_fileNames.enqueue(answer);
}

void scriptExecResult(int result)
{
    g_execResults.enqueue(result);
}

void clearScript()
{
    g_fileNames.clear();
    g_execResults.clear();
}

} // namespace Dialogs
