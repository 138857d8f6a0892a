#pragma once

#include "model/log/historytable.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

// What the history chart shows, widget-free: one panel per quantity on a shared time axis, the
// series of every channel with its out-of-limit runs, the day and night bands and the power events.
// Times are milliseconds since the epoch.

struct ChartBand
{
    qint64 fromMs = 0;
    qint64 toMs = 0;
    bool night = false;
};

struct ChartPowerMark
{
    qint64 ms = 0;
    bool on = false;
};

// A stretch of records whose minimum or maximum lay outside the scenario's limits.
struct ChartRun
{
    qint64 fromMs = 0;
    qint64 toMs = 0;
};

struct ChartPanel
{
    QString title;          // the quantity, or the sensor's name for a two-state input
    QString unit;           // empty for a two-state input
    bool contact = false;   // two-state: drawn as steps between the two states
    double low = 0;         // value range the panel shows
    double high = 1;
    QList<double> ticks;
    QStringList tickLabels;  // one per tick
    QString caption() const { return unit.isEmpty() ? title : QStringLiteral("%1, %2").arg(title, unit); }
};

struct ChartSeries
{
    QString name;     // sensor name and value name, as the table's per-channel header
    QString legendName;  // in its panel's caption row: the sensor, or a contact's value name under its own caption
    int panel = 0;
    int format = 0;   // display-format code of the channel
    QList<qint64> times;
    QList<float> min, avg, max;
    QList<bool> hit;  // per record: minimum or maximum out of limits
    QList<ChartRun> runs;
    bool contact() const { return format == ContactFormat; }
    static constexpr int ContactFormat = -1;
};

struct HistoryChartData
{
    qint64 fromMs = 0;
    qint64 toMs = 1;
    QList<ChartPanel> panels;  // top to bottom
    QList<ChartSeries> series;
    QList<ChartBand> bands;
    QList<ChartPowerMark> power;
};

// The chart of the records between two local times, both included.
HistoryChartData buildHistoryChartData(const ControllerState &state, const HistoryColumns &columns,
                                       const QDateTime &from, const QDateTime &to);

// The time a record stands for: half-way to its neighbours, at most an hour either side and never
// across a power event; its out-of-limit runs and its minimum..maximum bar cover that.
ChartRun recordSpan(const HistoryChartData &data, const ChartSeries &series, int record);

// Every panel gets one unit-high lane of a shared vertical scale, the top panel highest; a value
// of a panel as a height on that scale, and the lane's plotted part.
double laneHeight(const HistoryChartData &data, int panel, double value);
double laneBottom(const HistoryChartData &data, int panel);
double laneTop(const HistoryChartData &data, int panel);

// About maxCount round values covering low..high.
QList<double> roundTicks(double low, double high, int maxCount);

// The two states of a contact input; a logged level of 0 is closed.
QString contactStateText(bool open);

// The hover read-out at a time: the nearest logging moment of the shown series, the part of the
// cycle day, then a line per shown series that logged then. Empty when no record lies within reach.
QString chartHoverText(const HistoryChartData &data, qint64 ms, qint64 reach, const QList<bool> &shown,
                       const QLocale &locale);
