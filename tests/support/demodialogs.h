#pragma once

#include <QApplication>
#include <functional>
#include <memory>

#include "app/closequestion.h"
#include "cycle/planchangequestion.h"
#include "demowindow.h"
#include "devices/powersocketelement.h"
#include "devices/sensorelement.h"
#include "help/infoclass.h"
#include "help/openhelp.h"
#include "widgets/dialogs.h"

// The dialogs the program opens from the signed-in demo window, each opened the way the program
// opens it. visit() sees each dialog shown, before it is answered (modal questions are answered
// "no" / closed) or closed.
namespace DemoDialogs {

inline QStringList names()
{
    return {QStringLiteral("period"),          QStringLiteral("comment"),         QStringLiteral("snapshots"),
            QStringLiteral("plan change"),     QStringLiteral("closing"),         QStringLiteral("socket settings"),
            QStringLiteral("sensor settings"), QStringLiteral("help 0"),          QStringLiteral("help 1"),
            QStringLiteral("help 2"),          QStringLiteral("help 3")};
}

using Visit = std::function<void(QDialog *)>;

// The next modal dialog is shown to visit and answered with result; returns whether one came.
inline std::shared_ptr<bool> visitNextModal(const Visit &visit, int result = QDialog::Rejected)
{
    auto came = std::make_shared<bool>(false);
    Dialogs::scriptExecResult(result, [visit, came](QDialog *dialog) {
        *came = true;
        dialog->show();
        drainEvents(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        visit(dialog);
        dialog->hide();
    });
    return came;
}

// Opens the named dialog; false when it did not open.
inline bool open(DemoWindow *d, const QString &name, const Visit &visit)
{
    MainWindow *window = d->f.window.get();
    if (name == QStringLiteral("period")) {
        auto *page = static_cast<SettingsForm *>(d->open(QStringLiteral("history")));
        QTest::mouseClick(page->updatebutt, Qt::LeftButton);
        logicsavedialog *dialog = page->periodDialog();
        if (!dialog)
            return false;
        drainEvents(0);
        visit(dialog);
        QTest::mouseClick(dialog->cancel, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return true;
    }
    if (name.startsWith(QStringLiteral("help "))) {
        infoclass *help = openHelp(window, name.section(QLatin1Char(' '), 1).toInt());
        drainEvents(0);
        visit(help);
        help->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return true;
    }
    std::shared_ptr<bool> came = visitNextModal(visit);
    if (name == QStringLiteral("comment")) {
        static_cast<WorkCycleSettingsForm *>(d->open(QStringLiteral("workcycle")))->openComment();
    } else if (name == QStringLiteral("snapshots")) {
        window->openSnapshotList();
    } else if (name == QStringLiteral("plan change")) {
        PlanChangeQuestion::confirmScenarioFile(window, exchange().lastImage, DemoSeed::imageBody());
    } else if (name == QStringLiteral("closing")) {
        CloseQuestion::askWhileWriting(window);
        const bool first = *came;
        came = visitNextModal(visit);
        CloseQuestion::tellUnwritten(window);
        *came = *came && first;
    } else if (name == QStringLiteral("socket settings")) {
        window->devicesForm()->socketTile(1)->openPowerSocketSettings();
    } else if (name == QStringLiteral("sensor settings")) {
        window->devicesForm()->sensorTile(1)->openSensorSettings();
    }
    // an answer the program did not take is not left for the next case
    Dialogs::clearScript();
    return *came;
}

} // namespace DemoDialogs
