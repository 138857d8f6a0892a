#pragma once

// What every fuzz target does once before the first input.

#include "mockclock.h"

#include <QDateTime>
#include <ctime>

// A fixed "now" and a fixed time zone: results do not depend on the day or the machine, and
// without TZ the C library looks for the zone file at every local-time conversion, which
// halved the executions per second.
inline void fuzzSetup()
{
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", "Europe/Moscow");
    tzset();
    MockClock::set(QDateTime(QDate(2026, 3, 1), QTime(12, 0)));
}

// Allocation stacks are not recorded: half the time went into them. A finding is replayed
// through the regression test (its corpus file), which reports them in full.
extern "C" const char *__asan_default_options()
{
    return "malloc_context_size=0";
}
