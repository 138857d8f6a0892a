#include "widgets/dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QQueue>

namespace {
QQueue<QString> g_fileNames;
struct ScriptedExec
{
    int result;
    std::function<void(QDialog *)> inspect;
};
QQueue<ScriptedExec> g_execResults;
QString g_lastFolder;
}

namespace Dialogs {

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    g_lastFolder = dir;
    if (!g_fileNames.isEmpty())
        return g_fileNames.dequeue();
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    g_lastFolder = dir;
    if (!g_fileNames.isEmpty())
        return g_fileNames.dequeue();
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

int exec(QDialog *dialog)
{
    if (!g_execResults.isEmpty()) {
        const ScriptedExec scripted = g_execResults.dequeue();
        if (scripted.inspect)
            scripted.inspect(dialog);
        dialog->setResult(scripted.result);
        return scripted.result;
    }
    return dialog->exec();
}

void scriptFileName(const QString &answer)
{
    g_fileNames.enqueue(answer);
}

void scriptExecResult(int result)
{
    g_execResults.enqueue({result, {}});
}

void scriptExecResult(int result, const std::function<void(QDialog *)> &inspect)
{
    g_execResults.enqueue({result, inspect});
}

void clearScript()
{
    g_fileNames.clear();
    g_execResults.clear();
}

QString lastFolder()
{
    return g_lastFolder;
}

} // namespace Dialogs
