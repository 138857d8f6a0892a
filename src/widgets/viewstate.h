#pragma once

// Program-wide view flags shared by the main window, the navigation panel and the pages.
struct ViewState
{
    bool signInViewShown = true;
    int carouselCounter = 0;
    bool carouselForward = false;
    int workRunning = 0;          // 1 while the navigation panel shows the status "работа"
    int lastRemainingShown = -1;  // last days-remaining number written to the panel
    int statusErrorShown = 0;     // 1 while the panel's status label shows an error
    bool openedFromMenu = false;  // the scenario page was last opened from the navigation panel

    void reset() { *this = ViewState(); }
};

ViewState &viewState();
