#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;

// The one place where file dialogs and modal questions are asked, so that tests can script the
// answers ahead of time and never block on a modal loop.
namespace Dialogs {

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
// Runs a modal dialog; a scripted result, when one is queued, is returned without showing it.
int exec(QDialog *dialog);

// Test scripting: queued answers are used first, in order.
void scriptFileName(const QString &answer);
void scriptExecResult(int result);
// As above; inspect is first called with the dialog, so a test can read what it would have shown.
void scriptExecResult(int result, const std::function<void(QDialog *)> &inspect);
void clearScript();
// The folder the last file question started in.
QString lastFolder();

} // namespace Dialogs
