#pragma once

#include <QDateTime>
#include <QString>

// Texts of the timer fields of the scenario editor: durations "hh:mm" (hours may reach 99) and
// clock times relative to the work cycle's start.

// Minutes as "hh:mm", clamped to 0..5940 (99:00).
QString formatDuration(qint64 minutes);

// "hh:mm" to minutes. Minutes above 59 give 0 and count as accepted; text that is not a number
// gives 0 and not ok.
int parseDuration(const QString &text, bool *ok);

// Minutes from the time of day of start to the clock time "hh:mm", 0..1439; not ok (and 0) for
// text that is no time of day.
int parseClockMinutes(const QString &text, const QDateTime &start, bool *ok);

// The clock time "hh:mm" that lies the given minutes after start.
QString clockText(const QDateTime &start, qint64 minutes);
