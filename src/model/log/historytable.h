#pragma once

#include "model/controllerstate.h"

#include <QDate>
#include <QList>
#include <QLocale>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

// The history table as text: its columns, its rows as rich-text cells and the same rows as CSV
// lines. Widget-free; the history page shows what this builds.

// Where a channel's values go: the sensor column, the channel's position in it, its format code.
struct HistoryChannelColumn
{
    int column = 0;
    int position = 0;
    int format = 0;
};

struct HistoryColumns
{
    QStringList headers;  // table header labels
    QString csvHeader;    // ends with a line feed
    QMap<int, HistoryChannelColumn> columnChannels;  // channel id -> its place
    QList<QList<int>> columnFormats;                 // per sensor column, a format code per channel
    QList<int> columnSensors;                        // per sensor column, the sensor index 0..5
    QMap<QPair<int, int>, int> channelIds;           // (sensor, channel position) -> channel id
};

struct HistoryRow
{
    QDateTime time;
    int event = 0;       // 0 measurement row; else the power record's sensor (-1 on, -2 off)
    QStringList cells;   // rich text, one per table column
};

struct HistoryFill
{
    QList<HistoryRow> rows;
    QStringList csvLines;  // header first; each line ends with a line feed
};

namespace HistoryText {
QString timeText(const QDateTime &t);       // "dd.MM.yyyy  hh:mm"
QString legend();                           // Минимум / Среднее / Максимум
QString eventLegend();                      // Событие
QString powerText(int sensor);              // plain text of a power record
QString powerCell(int sensor);              // rich text of a power record
extern const char *const HitColour;
}

// Every sensor input that measures (not off, not a relay) gets one column with one value per channel.
HistoryColumns buildHistoryColumns(const ControllerState &state);

// A value as its format code shows it: fixed decimals in the locale, cut to the code's width,
// padded with non-breaking blanks.
QString historyCellText(float value, int formatCode, const QLocale &locale);
// The same value without the padding, as the CSV holds it.
QString historyValueText(float value, int formatCode, const QLocale &locale);

// Rows of the records from the first day 00:00 to the day after the last, 00:00, both included.
HistoryFill fillHistory(const HistoryColumns &columns, const QList<EventRecord> &events, QDate first, QDate last,
                        const QLocale &locale);

// The channel id of a measurement record, whether or not it lay inside the work period; -1 when
// its sensor offers no such channel.
int historyChannelId(const HistoryColumns &columns, const EventRecord &record);
