#pragma once

// A work-cycle page over a plan put straight into the controller state, in a working folder of
// its own and at a fixed "now".

#include "mockclock.h"
#include "cycle/daycard.h"
#include "cycle/workcyclesettingsform.h"
#include "model/plan/basescenario.h"
#include "model/clock.h"
#include "model/controllerstate.h"
#include "model/files/daycomments.h"
#include "model/wallclock.h"
#include "model/files/workfolders.h"
#include "programstate.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

struct CycleFixture
{
    static inline const QDateTime Now{QDate(2026, 3, 10), QTime(12, 0)};
    // the controller whose notes the page shows
    static constexpr quint64 Address = 0x0A0B0C0D0E01ULL;

    TempWorkDir dir;
    std::unique_ptr<WorkCycleSettingsForm> page;

    CycleFixture()
    {
        resetTestProgramState();
        MockClock::set(Now);
        workFolders().prepare();
        workFolders().selectController(Address);
        dayComments().reset();
        page.reset(new WorkCycleSettingsForm);
        page->resize(1400, 700);
        page->show();
    }
    ~CycleFixture()
    {
        closeNote();
        page.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        MockClock::clear();
    }

    // A live plan of the given days (scenario index per day) as a decode leaves it, shown on the page.
    void setPlan(int dayHours, int nightHours, const QDateTime &start, const QList<int> &days, int scenarioCount = 3)
    {
        ControllerState &s = controllerState();
        s.scenarios.clear();
        createBaseScenario(s);
        for (int n = 1; n < scenarioCount; ++n) {
            Scenario sc = s.scenarios.first();
            sc.name = QStringLiteral("Сценарий %1").arg(n);
            s.scenarios.append(sc);
        }
        s.dayHours = dayHours;
        s.nightHours = nightHours;
        s.startTime = start;
        s.startSeconds = wallSecondsOf(start);
        s.workCycleKnown = true;
        s.cycleCount = int(days.size());
        s.days.clear();
        for (int k = 0; k < days.size(); ++k)
            s.days.append({start.addSecs(qint64(k) * (dayHours + nightHours) * 3600), days.at(k)});
        s.editedScenarios = s.scenarios;
        s.editedDays = s.days;
        s.editedDayHours = dayHours;
        s.editedNightHours = nightHours;
        s.editedCycleCount = s.cycleCount;
        s.editedStartTime = start;
        page->takeDecodedCycle();
    }
    void setPlan(int days) { setPlan(16, 8, QDateTime(QDate(2026, 3, 28), QTime(20, 0)), QList<int>(days, 0)); }

    template<class T = QWidget>
    T *child(const char *name) const
    {
        return page->findChild<T *>(QString::fromLatin1(name));
    }
    QLineEdit *edit(const char *name) const { return child<QLineEdit>(name); }
    QPushButton *button(const char *name) const { return child<QPushButton>(name); }
    void press(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void click(int card, bool ctrl = false) const
    {
        QTest::mouseClick(page->cards().at(card), Qt::LeftButton, ctrl ? Qt::ControlModifier : Qt::NoModifier);
    }
    // Focus leaves the field as when the user tabs on.
    static void leave(QLineEdit *e) { QMetaObject::invokeMethod(e, "editingFinished"); }
    static QString noteText() { return currentNote() ? currentNote()->text() : QString(); }
};
