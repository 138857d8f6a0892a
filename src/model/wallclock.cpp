#include "model/wallclock.h"

#include "model/clock.h"

QDateTime nowCutToMinute()
{
    const QString text = Clock::now().toString(startTimeFormat());
    return QDateTime::fromString(text, startTimeFormat());
}

qint64 wallSecondsOf(const QDateTime &t)
{
    return t.isValid() ? Clock::localWallSeconds(t) : 0;
}

QDateTime dateTimeFromLocalWallSeconds(qint64 wallSeconds)
{
    // Years 1 to 9999; anything beyond is not a start time but noise.
    constexpr qint64 earliest = -62135596800LL;
    constexpr qint64 latest = 253402300799LL;
    if (wallSeconds < earliest || wallSeconds > latest)
        return QDateTime();
    const QDateTime wall = QDateTime::fromSecsSinceEpoch(wallSeconds, Qt::UTC);
    QDateTime local(wall.date(), wall.time(), Qt::LocalTime);
    if (!local.isValid()) // a wall time skipped by a clock change
        local = QDateTime::fromSecsSinceEpoch(wallSeconds - Clock::utcOffsetSeconds(), Qt::LocalTime);
    return local;
}
