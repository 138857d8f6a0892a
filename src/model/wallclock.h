#pragma once

#include <QDateTime>
#include <QString>

// Text form of start times: date, three blanks, time of day.
inline QString startTimeFormat() { return QStringLiteral("dd.MM.yyyy   hh:mm"); }
// Text form of dates.
inline QString dateFormat() { return QStringLiteral("dd.MM.yyyy"); }

// Now, cut to the minute by a round trip through the start-time text.
QDateTime nowCutToMinute();

// Local wall-clock seconds of a moment (Clock::localWallSeconds); 0 for an invalid date-time,
// which the image reads as "no work cycle".
qint64 wallSecondsOf(const QDateTime &t);

// The local date-time whose wall-clock reading is the given local wall-clock seconds (the inverse
// of Clock::localWallSeconds). Invalid for values no calendar date can hold.
QDateTime dateTimeFromLocalWallSeconds(qint64 wallSeconds);
