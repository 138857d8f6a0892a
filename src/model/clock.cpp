#include "model/clock.h"

namespace {
bool g_fake = false;
QDateTime g_fakeNow;
}

QDateTime Clock::now()
{
    return g_fake ? g_fakeNow : QDateTime::currentDateTime();
}

qint64 Clock::utcOffsetSeconds()
{
    return now().offsetFromUtc();
}

qint64 Clock::localWallSeconds(const QDateTime &t)
{
    return t.toSecsSinceEpoch() + t.offsetFromUtc();
}

void Clock::setFake(const QDateTime &t)
{
    g_fake = true;
    g_fakeNow = t.toLocalTime();
}

void Clock::advanceFake(qint64 msecs)
{
    if (g_fake)
        g_fakeNow = g_fakeNow.addMSecs(msecs);
}

void Clock::clearFake()
{
    g_fake = false;
    g_fakeNow = QDateTime();
}

bool Clock::isFake()
{
    return g_fake;
}
