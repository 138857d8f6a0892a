#include "model/clock.h"

namespace {
Clock *g_installed = nullptr;
}

QDateTime Clock::now()
{
    return g_installed ? g_installed->currentTime() : QDateTime::currentDateTime();
}

qint64 Clock::utcOffsetSeconds()
{
    return now().offsetFromUtc();
}

qint64 Clock::localWallSeconds(const QDateTime &t)
{
    return t.toSecsSinceEpoch() + t.offsetFromUtc();
}

void Clock::install(Clock *clock)
{
    g_installed = clock;
}
