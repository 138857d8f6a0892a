#pragma once

#include <QDateTime>

// The one source of "now" for the program and the simulator. By default it reads the system
// clock; a test (or a tool that needs a fixed "now") installs a clock of its own, so nothing
// depends on the real date.
class Clock
{
public:
    virtual ~Clock() = default;

    static QDateTime now();                 // local time
    static qint64 utcOffsetSeconds();       // current offset of local time from UTC
    // Local wall-clock seconds of a moment: seconds since the epoch plus its offset from UTC.
    static qint64 localWallSeconds(const QDateTime &t);
    static qint64 nowLocalWallSeconds() { return localWallSeconds(now()); }

protected:
    Clock() = default;
    virtual QDateTime currentTime() const = 0;
    // Makes clock the source of now() until another is installed; null returns to the system
    // clock. The caller keeps ownership.
    static void install(Clock *clock);
};
