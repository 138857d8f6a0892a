#pragma once

#include <QTimer>
#include <memory>

#include "app/mainwindow.h"
#include "link/exchangestate.h"
#include "model/clock.h"
#include "programstate.h"
#include "testsupport.h"
#include "widgets/infonote.h"
#include "widgets/viewstate.h"

// A main window driven by hand: its timer is stopped and the test calls the tick.
struct WindowFixture
{
    std::unique_ptr<MainWindow> window;
    bool timerWasActive = false;

    WindowFixture() : window(new MainWindow(nullptr))
    {
        timerWasActive = window->tickTimer->isActive();
        window->tickTimer->stop();
    }
    ~WindowFixture()
    {
        closeNote();
        window.reset();
        drainEvents(0);
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            window->exchangeTick();
            drainEvents(0);
        }
    }
};
