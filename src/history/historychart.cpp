#include "history/historychart.h"

#include "model/log/eventlog.h"
#include "model/codec/sensorcatalogue.h"

#include <QAreaSeries>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <cmath>

namespace {

const QColor Background(0x2A, 0x2E, 0x30);
const QColor DayBand(255, 236, 140, 22);
const QColor NightBand(90, 110, 200, 38);
const QColor TextColour(0xE6, 0xE8, 0xE9);
const QColor HitColour(0xF8, 0x21, 0x61);
const QColor PowerOnColour(0xFF, 0xFF, 0x7F);
const QColor PowerOffColour(0xFF, 0x27, 0x00);
const QList<QColor> SeriesColours = {QColor(0x3C, 0xCF, 0x91), QColor(0x4F, 0xA3, 0xF7), QColor(0xF5, 0xA6, 0x23),
                                     QColor(0xB3, 0x88, 0xFF), QColor(0x7F, 0xE7, 0xE7), QColor(0xE8, 0xE8, 0x6A)};

struct ChannelPoints
{
    QString name;
    QString unit;
    QList<QPointF> min, avg, max, hits;
};

} // namespace

HistoryChart::HistoryChart(QWidget *parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("historyChart"));
    setRenderHint(QPainter::Antialiasing);
    // the view's own chart: setChart() would release that one, not delete it
    QChart *c = chart();
    c->setBackgroundVisible(false);
    c->setPlotAreaBackgroundVisible(false);
    c->legend()->setLabelColor(TextColour);
    c->legend()->setAlignment(Qt::AlignBottom);
    setBackgroundBrush(Background);
}

void HistoryChart::showPeriod(const ControllerState &state, const HistoryColumns &columns, const QDateTime &from,
                              const QDateTime &to)
{
    QChart *c = chart();
    c->removeAllSeries();
    const QList<QAbstractAxis *> axes = c->axes();
    for (QAbstractAxis *axis : axes) {
        c->removeAxis(axis);
        delete axis;
    }
    m_bands.clear();
    m_power.clear();
    m_fromMs = from.toMSecsSinceEpoch();
    m_toMs = qMax(m_fromMs + 1, to.toMSecsSinceEpoch());

    // one entry per channel that has a column, in column order
    QMap<int, ChannelPoints> channels;
    for (auto it = columns.columnChannels.cbegin(); it != columns.columnChannels.cend(); ++it) {
        const int sensor = columns.columnSensors.value(it->column, -1);
        if (sensor < 0 || sensor >= state.sensors.size())
            continue;
        const SensorTypeInfo &info = sensorTypeInfo(state.sensors.at(sensor).type);
        ChannelPoints &p = channels[it->column * 16 + it->position];
        p.name = QStringLiteral("%1 %2").arg(state.sensors.at(sensor).name, info.valueNames.value(it->position));
        p.unit = info.units.value(it->position);
    }
    for (const EventRecord &e : state.events) {
        const qint64 ms = e.time.toMSecsSinceEpoch();
        if (ms < m_fromMs || ms > m_toMs)
            continue;
        if (e.sensor == EventLog::PowerOn || e.sensor == EventLog::PowerOff) {
            m_power.append(PowerMark{ms, e.sensor == EventLog::PowerOn});
            continue;
        }
        const auto at = columns.columnChannels.constFind(historyChannelId(columns, e));
        if (at == columns.columnChannels.cend())
            continue;
        auto p = channels.find(at->column * 16 + at->position);
        if (p == channels.end() || !std::isfinite(e.min) || !std::isfinite(e.avg) || !std::isfinite(e.max))
            continue;
        const qreal x = qreal(ms);
        p->min.append(QPointF(x, e.min));
        p->avg.append(QPointF(x, e.avg));
        p->max.append(QPointF(x, e.max));
        if (e.minHit)
            p->hits.append(QPointF(x, e.min));
        if (e.maxHit)
            p->hits.append(QPointF(x, e.max));
    }

    auto *timeAxis = new QDateTimeAxis;
    timeAxis->setFormat(QStringLiteral("dd.MM hh:mm"));
    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(m_fromMs), QDateTime::fromMSecsSinceEpoch(m_toMs));
    timeAxis->setLabelsColor(TextColour);
    timeAxis->setGridLineColor(QColor(255, 255, 255, 30));
    c->addAxis(timeAxis, Qt::AlignBottom);

    // one value axis per unit, alternating sides
    QMap<QString, QValueAxis *> unitAxes;
    QMap<QString, QPair<qreal, qreal>> unitRanges;
    int colour = 0;
    for (const ChannelPoints &p : std::as_const(channels)) {
        if (p.avg.isEmpty())
            continue;
        QValueAxis *&axis = unitAxes[p.unit];
        if (!axis) {
            axis = new QValueAxis;
            axis->setTitleText(p.unit);
            axis->setLabelsColor(TextColour);
            axis->setTitleBrush(TextColour);
            axis->setGridLineColor(QColor(255, 255, 255, 30));
            c->addAxis(axis, unitAxes.size() % 2 == 1 ? Qt::AlignLeft : Qt::AlignRight);
            unitRanges[p.unit] = qMakePair(p.min.first().y(), p.max.first().y());
        }
        QPair<qreal, qreal> &range = unitRanges[p.unit];
        for (int k = 0; k < p.avg.size(); ++k) {
            range.first = qMin(range.first, p.min.at(k).y());
            range.second = qMax(range.second, p.max.at(k).y());
        }
        const QColor base = SeriesColours.at(colour++ % SeriesColours.size());
        const QString title = p.unit.isEmpty() ? p.name : QStringLiteral("%1, %2").arg(p.name, p.unit);

        // an area series does not own its bounding lines: they are its children
        auto *band = new QAreaSeries;
        auto *upper = new QLineSeries(band);
        upper->replace(p.max);
        auto *lower = new QLineSeries(band);
        lower->replace(p.min);
        band->setUpperSeries(upper);
        band->setLowerSeries(lower);
        QColor fill = base;
        fill.setAlpha(60);
        band->setBrush(fill);
        band->setPen(Qt::NoPen);
        band->setName(title + QStringLiteral(" (минимум..максимум)"));
        auto *avg = new QLineSeries;
        avg->replace(p.avg);
        avg->setName(title);
        avg->setPen(QPen(base, 2));
        c->addSeries(band);
        c->addSeries(avg);
        QList<QAbstractSeries *> attached{band, avg};
        if (!p.hits.isEmpty()) {
            auto *hits = new QScatterSeries;
            hits->replace(p.hits);
            hits->setColor(HitColour);
            hits->setBorderColor(HitColour);
            hits->setMarkerSize(7);
            c->addSeries(hits);
            attached << hits;
            if (QLegendMarker *marker = c->legend()->markers(hits).value(0))
                marker->setVisible(false);
        }
        if (QLegendMarker *marker = c->legend()->markers(band).value(0))
            marker->setVisible(false);
        for (QAbstractSeries *s : attached) {
            s->attachAxis(timeAxis);
            s->attachAxis(axis);
        }
    }
    for (auto it = unitAxes.cbegin(); it != unitAxes.cend(); ++it) {
        const QPair<qreal, qreal> range = unitRanges.value(it.key());
        const qreal margin = qMax<qreal>(0.5, (range.second - range.first) * 0.05);
        it.value()->setRange(range.first - margin, range.second + margin);
    }

    // day and night parts of the cycle days that meet the period
    const int cycleHours = state.dayHours + state.nightHours;
    if (cycleHours > 0 && state.startTime.isValid()) {
        for (int d = 0; d < state.cycleCount; ++d) {
            const QDateTime dayStart = state.startTime.addSecs(qint64(d) * cycleHours * 3600);
            const qint64 dayFrom = dayStart.toMSecsSinceEpoch();
            const qint64 nightFrom = dayStart.addSecs(qint64(state.dayHours) * 3600).toMSecsSinceEpoch();
            const qint64 dayTo = dayStart.addSecs(qint64(cycleHours) * 3600).toMSecsSinceEpoch();
            if (dayTo <= m_fromMs || dayFrom >= m_toMs)
                continue;
            m_bands.append(Band{dayFrom, nightFrom, false});
            if (state.nightHours > 0)
                m_bands.append(Band{nightFrom, dayTo, true});
        }
    }
    viewport()->update();
}

qreal HistoryChart::xOf(qint64 ms) const
{
    const QRectF plot = chart()->plotArea();
    return plot.left() + plot.width() * qreal(ms - m_fromMs) / qreal(m_toMs - m_fromMs);
}

void HistoryChart::drawBackground(QPainter *painter, const QRectF &rect)
{
    painter->fillRect(rect, Background);
    const QRectF plot = chart()->plotArea();
    for (const Band &b : std::as_const(m_bands)) {
        const qreal left = qMax(plot.left(), xOf(b.fromMs));
        const qreal right = qMin(plot.right(), xOf(b.toMs));
        if (right > left)
            painter->fillRect(QRectF(left, plot.top(), right - left, plot.height()), b.night ? NightBand : DayBand);
    }
}

void HistoryChart::drawForeground(QPainter *painter, const QRectF &rect)
{
    QChartView::drawForeground(painter, rect);
    const QRectF plot = chart()->plotArea();
    painter->save();
    for (const PowerMark &m : std::as_const(m_power)) {
        const qreal x = xOf(m.ms);
        if (x < plot.left() || x > plot.right())
            continue;
        painter->setPen(QPen(m.on ? PowerOnColour : PowerOffColour, 2, Qt::DashLine));
        painter->drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    painter->restore();
}
