#pragma once

#include <QDateTime>

// The one source of "now" for the program and the simulator. Tests replace it with a fake time
// that they set and advance, so nothing depends on the real date.
class Clock
{
public:
    static QDateTime now();                 // local time
    static qint64 utcOffsetSeconds();       // current offset of local time from UTC
    // Local wall-clock seconds of a moment: seconds since the epoch plus its offset from UTC.
    static qint64 localWallSeconds(const QDateTime &t);
    static qint64 nowLocalWallSeconds() { return localWallSeconds(now()); }

    static void setFake(const QDateTime &t);
    static void advanceFake(qint64 msecs);
    static void clearFake();
    static bool isFake();
};
