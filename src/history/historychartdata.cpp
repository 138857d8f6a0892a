#include "history/historychartdata.h"

#include "model/codec/sensorcatalogue.h"
#include "model/log/eventlog.h"

#include <QMap>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double LaneFloor = 0.06;    // gap under a panel's plotted part
constexpr double LaneCeiling = 0.80;  // above it the panel's caption
constexpr qint64 MaxRunReachMs = 3600 * 1000;  // how far a run reaches past its outer records
constexpr qint64 SameMomentMs = 60 * 1000;     // records this close were logged together

struct Placed
{
    int column = 0;
    int position = 0;
    int channel = 0;
    int format = 0;
};

// Power events between two record times: the first and the last one, or -1.
QPair<qint64, qint64> powerBetween(const QList<ChartPowerMark> &power, qint64 after, qint64 upTo)
{
    auto it = std::upper_bound(power.cbegin(), power.cend(), after,
                               [](qint64 ms, const ChartPowerMark &m) { return ms < m.ms; });
    if (it == power.cend() || it->ms > upTo)
        return {-1, -1};
    qint64 last = it->ms;
    for (auto next = it; next != power.cend() && next->ms <= upTo; ++next)
        last = next->ms;
    return {it->ms, last};
}

// Consecutive out-of-limit records make one run unless a power event lies between them.
void findRuns(const HistoryChartData &d, ChartSeries &s)
{
    const int n = int(s.times.size());
    for (int i = 0; i < n; ++i) {
        if (!s.hit.at(i))
            continue;
        int last = i;
        while (last + 1 < n && s.hit.at(last + 1) && powerBetween(d.power, s.times.at(last), s.times.at(last + 1)).first < 0)
            ++last;
        s.runs.append(ChartRun{recordSpan(d, s, i).fromMs, recordSpan(d, s, last).toMs});
        i = last;
    }
}

int decimalsOf(double step)
{
    return step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
}

void fitPanel(ChartPanel &panel, const QList<ChartSeries> &series, int index, const QLocale &locale)
{
    if (panel.contact) {
        panel.low = -0.25;
        panel.high = 1.25;
        panel.ticks = {0, 1};
        panel.tickLabels = {contactStateText(false), contactStateText(true)};
        return;
    }
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (const ChartSeries &s : series) {
        if (s.panel != index)
            continue;
        for (int k = 0; k < s.times.size(); ++k) {
            low = qMin(low, double(s.min.at(k)));
            high = qMax(high, double(s.max.at(k)));
        }
    }
    const double margin = qMax(0.5, (high - low) * 0.06);
    panel.low = low - margin;
    panel.high = high + margin;
    panel.ticks = roundTicks(panel.low, panel.high, 4);
    const int decimals = panel.ticks.size() > 1 ? decimalsOf(panel.ticks.at(1) - panel.ticks.at(0)) : 0;
    for (double t : std::as_const(panel.ticks))
        panel.tickLabels.append(locale.toString(t, 'f', decimals));
}

// The channel's decimals, but never cut to its table width: a read-out has the room.
QString valueText(float value, int format, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(double(value), 'f', qMax(0, format % 10));
}

} // namespace

ChartRun recordSpan(const HistoryChartData &data, const ChartSeries &s, int i)
{
    // a lone record reaches half an hour either side
    const int n = int(s.times.size());
    const qint64 t = s.times.at(i);
    const qint64 before = i > 0 ? t - s.times.at(i - 1) : (n > 1 ? s.times.at(1) - t : MaxRunReachMs);
    const qint64 after = i + 1 < n ? s.times.at(i + 1) - t : (n > 1 ? t - s.times.at(i - 1) : MaxRunReachMs);
    qint64 from = t - qMin(MaxRunReachMs, before / 2);
    qint64 to = t + qMin(MaxRunReachMs, after / 2);
    if (i > 0) {
        const qint64 cut = powerBetween(data.power, s.times.at(i - 1), t).second;
        from = cut >= 0 ? cut : from;
    }
    if (i + 1 < n) {
        const qint64 cut = powerBetween(data.power, t, s.times.at(i + 1)).first;
        to = cut >= 0 ? cut : to;
    }
    return ChartRun{qMax(data.fromMs, from), qMin(data.toMs, to)};
}

QString contactStateText(bool open)
{
    return open ? QStringLiteral("Разомкнут") : QStringLiteral("Замкнут");
}

QList<double> roundTicks(double low, double high, int maxCount)
{
    QList<double> ticks;
    if (!(high > low) || maxCount < 1)
        return ticks;
    const double raw = (high - low) / maxCount;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double norm = raw / magnitude;
    const double step = (norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 5 ? 5 : 10) * magnitude;
    // counted, not summed: at a huge magnitude a step may vanish in rounding (a faulty reading)
    const double first = std::ceil(low / step) * step;
    for (int i = 0; i <= maxCount + 1; ++i) {
        const double t = first + i * step;
        if (t > high + step * 1e-9)
            break;
        if (ticks.isEmpty() || t > ticks.last())
            ticks.append(std::abs(t) < step * 1e-9 ? 0.0 : t);
    }
    return ticks;
}

double laneBottom(const HistoryChartData &data, int panel)
{
    return double(data.panels.size() - 1 - panel) + LaneFloor;
}

double laneTop(const HistoryChartData &data, int panel)
{
    return double(data.panels.size() - 1 - panel) + LaneCeiling;
}

double laneHeight(const HistoryChartData &data, int panel, double value)
{
    const ChartPanel &p = data.panels.at(panel);
    const double bottom = laneBottom(data, panel);
    return bottom + (value - p.low) / (p.high - p.low) * (laneTop(data, panel) - bottom);
}

HistoryChartData buildHistoryChartData(const ControllerState &state, const HistoryColumns &columns,
                                       const QDateTime &from, const QDateTime &to)
{
    HistoryChartData d;
    d.fromMs = from.toMSecsSinceEpoch();
    d.toMs = qMax(d.fromMs + 1, to.toMSecsSinceEpoch());
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);

    // channels in column order; measured quantities share a panel by unit, each contact has its own
    QList<Placed> placed;
    for (auto it = columns.columnChannels.cbegin(); it != columns.columnChannels.cend(); ++it)
        placed.append(Placed{it->column, it->position, it.key(), it->format});
    std::sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
        return a.column != b.column ? a.column < b.column : a.position < b.position;
    });
    QList<ChartPanel> panels;
    QList<ChartSeries> series;
    QMap<int, int> seriesOfChannel;
    QMap<QString, int> panelOfUnit;
    for (const bool contacts : {false, true}) {
        for (const Placed &p : std::as_const(placed)) {
            const int sensor = columns.columnSensors.value(p.column, -1);
            if (sensor < 0 || sensor >= state.sensors.size())
                continue;
            const SensorSlot &slot = state.sensors.at(sensor);
            if ((slot.type == SensorContact) != contacts)
                continue;
            const SensorTypeInfo &info = sensorTypeInfo(slot.type);
            ChartSeries s;
            s.name = QStringLiteral("%1 %2").arg(slot.name, info.valueNames.value(p.position));
            s.legendName = contacts ? info.valueNames.value(p.position) : slot.name;
            s.format = contacts ? ChartSeries::ContactFormat : p.format;
            if (contacts) {
                s.panel = int(panels.size());
                panels.append(ChartPanel{slot.name, QString(), true, 0, 1, {}, {}});
            } else {
                const QString unit = info.units.value(p.position);
                if (!panelOfUnit.contains(unit)) {
                    panelOfUnit.insert(unit, int(panels.size()));
                    panels.append(ChartPanel{info.valueNames.value(p.position), unit, false, 0, 1, {}, {}});
                }
                s.panel = panelOfUnit.value(unit);
            }
            seriesOfChannel.insert(p.channel, int(series.size()));
            series.append(s);
        }
    }

    for (const EventRecord &e : state.events) {
        const qint64 ms = e.time.toMSecsSinceEpoch();
        if (ms < d.fromMs || ms > d.toMs)
            continue;
        if (e.sensor == EventLog::PowerOn || e.sensor == EventLog::PowerOff) {
            d.power.append(ChartPowerMark{ms, e.sensor == EventLog::PowerOn});
            continue;
        }
        const int index = seriesOfChannel.value(historyChannelId(columns, e), -1);
        if (index < 0 || !std::isfinite(e.min) || !std::isfinite(e.avg) || !std::isfinite(e.max))
            continue;
        ChartSeries &s = series[index];
        s.times.append(ms);
        s.min.append(e.min);
        s.avg.append(e.avg);
        s.max.append(e.max);
        s.hit.append(e.minHit != 0 || e.maxHit != 0);
    }

    // only panels with something to show, in their order
    QList<int> newIndex(panels.size(), -1);
    for (const ChartSeries &s : std::as_const(series)) {
        if (!s.times.isEmpty())
            newIndex[s.panel] = 0;
    }
    for (int p = 0; p < panels.size(); ++p) {
        if (newIndex.at(p) < 0)
            continue;
        newIndex[p] = int(d.panels.size());
        d.panels.append(panels.at(p));
    }
    for (ChartSeries &s : series) {
        if (s.times.isEmpty())
            continue;
        s.panel = newIndex.at(s.panel);
        d.series.append(std::move(s));
    }
    for (ChartSeries &s : d.series)
        findRuns(d, s);
    for (int p = 0; p < d.panels.size(); ++p)
        fitPanel(d.panels[p], d.series, p, locale);

    // day and night parts of the cycle days that meet the period
    const int cycleHours = state.dayHours + state.nightHours;
    if (cycleHours > 0 && state.startTime.isValid()) {
        for (int day = 0; day < state.cycleCount; ++day) {
            const QDateTime dayStart = state.startTime.addSecs(qint64(day) * cycleHours * 3600);
            const qint64 dayFrom = dayStart.toMSecsSinceEpoch();
            const qint64 nightFrom = dayStart.addSecs(qint64(state.dayHours) * 3600).toMSecsSinceEpoch();
            const qint64 dayTo = dayStart.addSecs(qint64(cycleHours) * 3600).toMSecsSinceEpoch();
            if (dayTo <= d.fromMs || dayFrom >= d.toMs)
                continue;
            d.bands.append(ChartBand{dayFrom, nightFrom, false});
            if (state.nightHours > 0)
                d.bands.append(ChartBand{nightFrom, dayTo, true});
        }
    }
    return d;
}

QString chartHoverText(const HistoryChartData &data, qint64 ms, qint64 reach, const QList<bool> &shown,
                       const QLocale &locale)
{
    // the nearest logging moment of a shown series
    qint64 moment = -1;
    qint64 distance = std::numeric_limits<qint64>::max();
    QList<int> near(data.series.size(), -1);
    for (int i = 0; i < data.series.size(); ++i) {
        if (!shown.value(i, true))
            continue;
        const QList<qint64> &times = data.series.at(i).times;
        const auto it = std::lower_bound(times.cbegin(), times.cend(), ms);
        int k = int(it - times.cbegin());
        if (k > 0 && (k == times.size() || ms - times.at(k - 1) <= times.at(k) - ms))
            --k;
        if (k >= times.size())
            continue;
        near[i] = k;
        const qint64 dist = std::abs(times.at(k) - ms);
        if (dist < distance) {
            distance = dist;
            moment = times.at(k);
        }
    }
    if (moment < 0 || distance > reach)
        return QString();

    QString head = QDateTime::fromMSecsSinceEpoch(moment).toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    for (const ChartBand &b : data.bands) {
        if (moment >= b.fromMs && moment < b.toMs) {
            head += b.night ? QStringLiteral(", ночь") : QStringLiteral(", день");
            break;
        }
    }
    QStringList lines{head};
    for (int i = 0; i < data.series.size(); ++i) {
        const int k = near.at(i);
        const ChartSeries &s = data.series.at(i);
        if (k < 0 || std::abs(s.times.at(k) - moment) > SameMomentMs)
            continue;
        QString line;
        if (s.contact()) {
            line = QStringLiteral("%1: %2").arg(s.name, contactStateText(s.avg.at(k) >= 0.5f));
        } else {
            const QString unit = data.panels.at(s.panel).unit;
            line = QStringLiteral("%1: %2 %3 (%4 … %5)")
                       .arg(s.name, valueText(s.avg.at(k), s.format, locale), unit,
                            valueText(s.min.at(k), s.format, locale), valueText(s.max.at(k), s.format, locale));
        }
        if (s.hit.at(k))
            line += QStringLiteral(", вне пределов");
        lines.append(line);
    }
    return lines.join(QLatin1Char('\n'));
}
