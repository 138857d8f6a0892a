#pragma once

#include <QtGlobal>

class LeftMenuPanel;
class LinkController;
class QByteArray;
class QStackedWidget;
class QWidget;
class ScenarioForm;
class WorkCycleSettingsForm;

// Carries out the deferred page requests (exchange().pageRequest) once per tick: which page shows,
// what the navigation panel checks, and the few link actions a page may ask for. It also lets a
// loaded file's notes follow only when the controller confirmed its plan, and cancels with a
// note a plan that can no longer go.
class PageRouter
{
public:
    struct Pages
    {
        QStackedWidget *stack = nullptr;
        LeftMenuPanel *panel = nullptr;
        QWidget *devices = nullptr;
        ScenarioForm *scenario = nullptr;
        WorkCycleSettingsForm *workCycle = nullptr;
    };

    PageRouter(const Pages &pages, LinkController *link);

    // One tick: acts on the pending page request and clears it (CalendarTakesSelection and
    // CalendarTakesScenario become ShowCalendar for the next tick).
    void handle();

    // The controller confirmed writing body: the notes of the plan written, if they waited for
    // it, replace the controller's.
    void planWritten(const QByteArray &body);
    // The link is gone: a plan still waiting is cancelled, with a note naming it. Notes of a plan
    // already on its way keep waiting: its upload is redone after the next sign-in to the same
    // controller.
    void linkLost();

private:
    Pages m_pages;
    LinkController *m_link;
};
