#pragma once

class LeftMenuPanel;
class LinkController;
class QStackedWidget;
class QWidget;
class ScenarioForm;
class WorkCycleSettingsForm;

// Carries out the deferred page requests (exchange().pageRequest) once per tick: which page shows,
// what the navigation panel checks, and the few link actions a page may ask for.
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

    // One tick: acts on the pending request and clears it (1 and 2 become 3 for the next tick).
    void handle();

private:
    Pages m_pages;
    LinkController *m_link;
};
