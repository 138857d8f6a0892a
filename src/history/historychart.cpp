#include "history/historychart.h"

#include "history/historychartpalette.h"

#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegend>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <QWheelEvent>

#include <cmath>

namespace {

constexpr int LabelMargin = 84;        // left of the plot: the panels' value labels
constexpr int CaptionInset = 6;        // a panel's caption from the plot's left edge
constexpr int EntryGap = 18;           // after the caption and between legend entries
constexpr int Swatch = 10;
constexpr int HoverReach = 24;         // pixels from the pointer to a record it reads out
constexpr qint64 MinViewMs = 20 * 60 * 1000;
constexpr double WheelStep = 0.8;      // view width per wheel notch towards the pointer
constexpr int TimeLabelWidth = 110;    // room per label of the time axis

QPointF point(qint64 ms, double height)
{
    return QPointF(qreal(ms), height);
}

} // namespace

HistoryChart::HistoryChart(QWidget *parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("historyChart"));
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    setDragMode(QGraphicsView::NoDrag);
    // the view's own chart: setChart() would release that one, not delete it
    QChart *c = chart();
    c->setBackgroundVisible(false);
    c->setPlotAreaBackgroundVisible(false);
    c->setMargins(QMargins(LabelMargin, 8, 16, 4));
    c->layout()->setContentsMargins(0, 0, 0, 0);
    // the legend sits in the panels' caption rows, where an entry never gets cut to the chart's width
    c->legend()->hide();
    setBackgroundBrush(HistoryChartPalette::background());

    m_timeAxis = new QDateTimeAxis(c);
    m_timeAxis->setFormat(QStringLiteral("dd.MM hh:mm"));
    m_timeAxis->setLabelsColor(HistoryChartPalette::text());
    m_timeAxis->setGridLineColor(HistoryChartPalette::grid());
    c->addAxis(m_timeAxis, Qt::AlignBottom);
    // one shared vertical scale, a unit-high lane per panel; the panels label their own values
    m_laneAxis = new QValueAxis(c);
    m_laneAxis->setVisible(false);
    c->addAxis(m_laneAxis, Qt::AlignLeft);
    // the chart lays itself out later than a range or size change: its frame is stale then too
    connect(scene(), &QGraphicsScene::changed, this, [this] {
        m_frameStale = true;
        viewport()->update();
    });
}

void HistoryChart::clearChart()
{
    chart()->removeAllSeries();
    m_lines.clear();
    m_shown.clear();
    m_hoverText.clear();
}

void HistoryChart::showPeriod(const ControllerState &state, const HistoryColumns &columns, const QDateTime &from,
                              const QDateTime &to)
{
    clearChart();
    m_data = buildHistoryChartData(state, columns, from, to);
    m_laneAxis->setRange(0, qMax<qsizetype>(1, m_data.panels.size()));
    for (int i = 0; i < m_data.series.size(); ++i)
        addChannel(i);
    resetView();
}

void HistoryChart::addChannel(int channel)
{
    const ChartSeries &s = m_data.series.at(channel);
    int inPanel = 0;
    for (int i = 0; i < channel; ++i)
        inPanel += m_data.series.at(i).panel == s.panel ? 1 : 0;
    QList<QPointF> line;
    line.reserve(s.times.size() * (s.contact() ? 2 : 1));
    for (int k = 0; k < s.times.size(); ++k) {
        if (s.contact()) {
            // a contact holds its state until the next record: steps, not slopes
            const double y = laneHeight(m_data, s.panel, s.avg.at(k) >= 0.5f ? 1 : 0);
            if (k > 0)
                line << QPointF(qreal(s.times.at(k)), line.last().y());
            line << point(s.times.at(k), y);
        } else {
            line << point(s.times.at(k), laneHeight(m_data, s.panel, s.avg.at(k)));
        }
    }
    auto *avg = new QLineSeries;
    avg->replace(line);
    avg->setName(s.name);
    avg->setPen(QPen(HistoryChartPalette::series(inPanel), 2));
    chart()->addSeries(avg);
    avg->attachAxis(m_timeAxis);
    avg->attachAxis(m_laneAxis);
    m_lines.append(avg);
    m_shown.append(true);
}

QLineSeries *HistoryChart::lineOf(int channel) const
{
    return m_lines.value(channel);
}

QRectF HistoryChart::legendEntry(int channel) const
{
    if (channel < 0 || channel >= m_data.series.size())
        return QRectF();
    const int panel = m_data.series.at(channel).panel;
    const QFontMetricsF metrics(font());
    const QRectF plot = chart()->plotArea();
    qreal x = plot.left() + CaptionInset + metrics.horizontalAdvance(m_data.panels.at(panel).caption()) + EntryGap;
    const qreal top = yOf(double(m_data.panels.size() - panel)) + 2;
    for (int i = 0; i < m_data.series.size(); ++i) {
        const ChartSeries &s = m_data.series.at(i);
        if (s.panel != panel)
            continue;
        const qreal width = qMin(Swatch + 5 + metrics.horizontalAdvance(s.legendName), qMax<qreal>(0, plot.right() - x));
        if (i == channel)
            return QRectF(x, top, width, metrics.height() + 2);
        x += width + EntryGap;
    }
    return QRectF();
}

QRect HistoryChart::legendEntryRect(int channel) const
{
    const QRectF entry = legendEntry(channel);
    return entry.isEmpty() ? QRect() : mapFromScene(chart()->mapToScene(entry)).boundingRect();
}

int HistoryChart::legendEntryAt(const QPoint &pos) const
{
    const QPointF at = chart()->mapFromScene(mapToScene(pos));
    for (int i = 0; i < m_data.series.size(); ++i) {
        if (legendEntry(i).contains(at))
            return i;
    }
    return -1;
}

void HistoryChart::setShown(int channel, bool shown)
{
    if (channel < 0 || channel >= m_shown.size())
        return;
    m_shown[channel] = shown;
    m_lines.at(channel)->setVisible(shown);
    m_frameStale = true;
    if (!m_hoverText.isEmpty())
        m_hoverText = hoverTextAt(m_hoverPos);
    viewport()->update();
}

void HistoryChart::setViewRange(qint64 from, qint64 to)
{
    const qint64 full = m_data.toMs - m_data.fromMs;
    const qint64 width = qBound(qMin(MinViewMs, full), to - from, full);
    from = qBound(m_data.fromMs, from, m_data.toMs - width);
    m_viewFrom = from;
    m_viewTo = from + width;
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(m_viewFrom), QDateTime::fromMSecsSinceEpoch(m_viewTo));
    fitTimeTicks();
    m_frameStale = true;
    viewport()->update();
}

void HistoryChart::zoomAt(qint64 ms, double factor)
{
    const double width = double(m_viewTo - m_viewFrom) * factor;
    const qint64 from = ms - qint64(std::llround(double(ms - m_viewFrom) * factor));
    setViewRange(from, from + qint64(std::llround(width)));
}

void HistoryChart::panBy(qint64 ms)
{
    setViewRange(m_viewFrom + ms, m_viewTo + ms);
}

void HistoryChart::resetView()
{
    setViewRange(m_data.fromMs, m_data.toMs);
}

void HistoryChart::fitTimeTicks()
{
    const int plotWidth = qMax(0, viewport()->width() - LabelMargin - 40);
    m_timeAxis->setTickCount(qBound(2, plotWidth / TimeLabelWidth + 1, 13));
}

qint64 HistoryChart::timeAt(qreal x) const
{
    const QRectF plot = chart()->plotArea();
    if (plot.width() <= 0)
        return m_viewFrom;
    return m_viewFrom + qint64(std::llround(double(x - plot.left()) / plot.width() * double(m_viewTo - m_viewFrom)));
}

qreal HistoryChart::xOf(qint64 ms) const
{
    const QRectF plot = chart()->plotArea();
    return plot.left() + plot.width() * qreal(ms - m_viewFrom) / qreal(m_viewTo - m_viewFrom);
}

qreal HistoryChart::yOf(double height) const
{
    const QRectF plot = chart()->plotArea();
    return plot.bottom() - plot.height() * height / m_laneAxis->max();
}

QString HistoryChart::hoverTextAt(const QPoint &pos) const
{
    const QPointF at = chart()->mapFromScene(mapToScene(pos));
    if (!chart()->plotArea().contains(at))
        return QString();
    // a record farther than this from the pointer is not "under" it: gaps in the log stay silent
    const qint64 reach = timeAt(at.x() + HoverReach) - timeAt(at.x());
    return chartHoverText(m_data, timeAt(at.x()), reach, m_shown, QLocale());
}

void HistoryChart::drawBackground(QPainter *painter, const QRectF &rect)
{
    painter->fillRect(rect, HistoryChartPalette::background());
    const QRectF plot = chart()->plotArea();
    for (const Band &b : std::as_const(m_data.bands)) {
        const qreal left = qMax(plot.left(), xOf(b.fromMs));
        const qreal right = qMin(plot.right(), xOf(b.toMs));
        if (right > left)
            painter->fillRect(QRectF(left, plot.top(), right - left, plot.height()),
                              b.night ? HistoryChartPalette::nightBand() : HistoryChartPalette::dayBand());
    }
    painter->save();
    painter->setPen(QPen(HistoryChartPalette::grid(), 1));
    for (int p = 0; p < m_data.panels.size(); ++p) {
        for (double tick : m_data.panels.at(p).ticks) {
            const qreal y = yOf(laneHeight(m_data, p, tick));
            painter->drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        }
    }
    painter->restore();
    drawRanges(painter);
}

// Runs and minimum..maximum bands as bars, one per record over the time it owns: whole pixels,
// so that a full log area fills in a few milliseconds where a smooth filled outline would not.
void HistoryChart::drawRanges(QPainter *painter) const
{
    const QRect plot = chart()->plotArea().toAlignedRect();
    painter->save();
    painter->setClipRect(plot);
    painter->setRenderHint(QPainter::Antialiasing, false);
    auto column = [&](qint64 fromMs, qint64 toMs) {
        const int left = qMax(plot.left(), int(std::lround(xOf(fromMs))));
        const int right = qMin(plot.right() + 1, int(std::lround(xOf(toMs))));
        return qMakePair(left, qMax(left + 1, right));
    };
    for (int i = 0; i < m_data.series.size(); ++i) {
        const ChartSeries &s = m_data.series.at(i);
        if (!m_shown.at(i))
            continue;
        const int top = int(std::lround(yOf(laneTop(m_data, s.panel))));
        const int bottom = int(std::lround(yOf(laneBottom(m_data, s.panel))));
        for (const ChartRun &r : s.runs) {
            if (r.toMs < m_viewFrom || r.fromMs > m_viewTo)
                continue;
            const auto x = column(r.fromMs, r.toMs);
            painter->fillRect(QRect(QPoint(x.first, top), QPoint(x.second - 1, bottom)), HistoryChartPalette::outOfLimits());
        }
        if (s.contact())
            continue;
        QColor fill = m_lines.at(i)->pen().color();
        fill.setAlpha(55);
        const auto first = std::lower_bound(s.times.cbegin(), s.times.cend(), m_viewFrom);
        for (int k = qMax(0, int(first - s.times.cbegin()) - 1); k < s.times.size(); ++k) {
            const ChartRun owned = recordSpan(m_data, s, k);
            if (owned.fromMs > m_viewTo)
                break;
            const auto x = column(owned.fromMs, owned.toMs);
            const int high = int(std::lround(yOf(laneHeight(m_data, s.panel, s.max.at(k)))));
            const int low = int(std::lround(yOf(laneHeight(m_data, s.panel, s.min.at(k)))));
            painter->fillRect(QRect(QPoint(x.first, high), QPoint(x.second - 1, qMax(high, low))), fill);
        }
    }
    painter->restore();
}

void HistoryChart::drawPanels(QPainter *painter) const
{
    const QRectF plot = chart()->plotArea();
    painter->setPen(QPen(HistoryChartPalette::text(), 1));
    const QFontMetricsF metrics(painter->font());
    for (int p = 0; p < m_data.panels.size(); ++p) {
        const ChartPanel &panel = m_data.panels.at(p);
        const qreal laneTopY = yOf(double(m_data.panels.size() - p));
        if (p > 0)
            painter->drawLine(QPointF(plot.left() - LabelMargin + 8, laneTopY), QPointF(plot.right(), laneTopY));
        painter->drawText(QPointF(plot.left() + CaptionInset, laneTopY + metrics.ascent() + 3), panel.caption());
        for (int t = 0; t < panel.ticks.size(); ++t) {
            const qreal y = yOf(laneHeight(m_data, p, panel.ticks.at(t)));
            const QRectF box(plot.left() - LabelMargin, y - metrics.height() / 2, LabelMargin - 6, metrics.height());
            painter->drawText(box, Qt::AlignRight | Qt::AlignVCenter, panel.tickLabels.value(t));
        }
    }
    // the legend: a swatch and the sensor's name per channel, dimmed while the channel is hidden
    for (int i = 0; i < m_data.series.size(); ++i) {
        const QRectF entry = legendEntry(i);
        if (entry.width() <= Swatch)
            continue;
        QColor colour = m_lines.at(i)->pen().color();
        QColor label = HistoryChartPalette::text();
        if (!m_shown.at(i)) {
            colour.setAlpha(60);
            label.setAlpha(90);
        }
        painter->fillRect(QRectF(entry.left(), entry.center().y() - Swatch / 2.0, Swatch, Swatch), colour);
        painter->setPen(label);
        const QRectF text = entry.adjusted(Swatch + 5, 0, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                          metrics.elidedText(m_data.series.at(i).legendName, Qt::ElideRight, text.width()));
    }
    if (m_data.panels.isEmpty())
        painter->drawText(plot, Qt::AlignCenter, QStringLiteral("Нет измерений за выбранный период"));
}

void HistoryChart::drawHover(QPainter *painter) const
{
    if (m_hoverText.isEmpty())
        return;
    const QRectF plot = chart()->plotArea();
    const QPointF at = chart()->mapFromScene(mapToScene(m_hoverPos));
    painter->setPen(QPen(HistoryChartPalette::text(), 1, Qt::DotLine));
    painter->drawLine(QPointF(at.x(), plot.top()), QPointF(at.x(), plot.bottom()));

    const QFontMetricsF metrics(painter->font());
    const QStringList lines = m_hoverText.split(QLatin1Char('\n'));
    qreal width = 0;
    for (const QString &line : lines)
        width = qMax(width, metrics.horizontalAdvance(line));
    QRectF box(0, 0, width + 16, metrics.lineSpacing() * lines.size() + 10);
    box.moveLeft(at.x() + 12 + box.width() <= plot.right() ? at.x() + 12 : qMax<qreal>(2, at.x() - 12 - box.width()));
    box.moveTop(qBound(plot.top(), at.y() - box.height() / 2, qMax(plot.top(), plot.bottom() - box.height())));
    QColor fill = HistoryChartPalette::nightBand();
    fill.setAlpha(235);
    painter->setPen(QPen(HistoryChartPalette::grid(), 1));
    painter->setBrush(fill);
    painter->drawRoundedRect(box, 4, 4);
    painter->setPen(HistoryChartPalette::text());
    for (int i = 0; i < lines.size(); ++i)
        painter->drawText(QPointF(box.left() + 8, box.top() + 5 + metrics.ascent() + i * metrics.lineSpacing()), lines.at(i));
}

void HistoryChart::drawForeground(QPainter *painter, const QRectF &rect)
{
    QChartView::drawForeground(painter, rect);
    const QRectF plot = chart()->plotArea();
    painter->save();
    painter->setFont(font());
    for (const PowerMark &m : std::as_const(m_data.power)) {
        const qreal x = xOf(m.ms);
        if (x < plot.left() || x > plot.right())
            continue;
        painter->setPen(QPen(m.on ? HistoryChartPalette::powerOn() : HistoryChartPalette::powerOff(), 2, Qt::DashLine));
        painter->drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    drawPanels(painter);
    painter->restore();
}

void HistoryChart::paintEvent(QPaintEvent *)
{
    // The chart is painted once into a frame; pointer moves only lay the read-out over it.
    const qreal ratio = viewport()->devicePixelRatioF();
    const QSize pixels = viewport()->size() * ratio;
    if (m_frameStale || m_frame.size() != pixels) {
        m_frame = QPixmap(pixels);
        m_frame.setDevicePixelRatio(ratio);
        m_frame.fill(HistoryChartPalette::background());
        QPainter frame(&m_frame);
        frame.setRenderHints(renderHints());
        render(&frame, QRectF(QPointF(0, 0), QSizeF(viewport()->size())), viewport()->rect());
        m_frameStale = false;
    }
    QPainter painter(viewport());
    painter.drawPixmap(0, 0, m_frame);
    painter.setTransform(viewportTransform());
    painter.setFont(font());
    drawHover(&painter);
}

void HistoryChart::resizeEvent(QResizeEvent *event)
{
    QChartView::resizeEvent(event);
    m_frameStale = true;
    fitTimeTicks();
}

void HistoryChart::wheelEvent(QWheelEvent *event)
{
    const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    if (!chart()->plotArea().contains(at) || event->angleDelta().y() == 0) {
        QChartView::wheelEvent(event);
        return;
    }
    zoomAt(timeAt(at.x()), std::pow(WheelStep, event->angleDelta().y() / 120.0));
    m_hoverText = hoverTextAt(event->position().toPoint());
    event->accept();
}

void HistoryChart::mousePressEvent(QMouseEvent *event)
{
    QChartView::mousePressEvent(event);
    const int entry = event->button() == Qt::LeftButton ? legendEntryAt(event->position().toPoint()) : -1;
    if (entry >= 0) {
        setShown(entry, !isShown(entry));
        event->accept();
        return;
    }
    const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    if (event->button() == Qt::LeftButton && chart()->plotArea().contains(at)) {
        m_dragging = true;
        m_dragFrom = event->position().toPoint();
        m_dragViewFrom = m_viewFrom;
        viewport()->setCursor(Qt::ClosedHandCursor);
        event->accept();
    }
}

void HistoryChart::mouseMoveEvent(QMouseEvent *event)
{
    QChartView::mouseMoveEvent(event);
    m_hoverPos = event->position().toPoint();
    if (m_dragging) {
        const qreal plotWidth = chart()->plotArea().width();
        if (plotWidth > 0) {
            const double msPerPixel = double(m_viewTo - m_viewFrom) / plotWidth;
            const qint64 width = m_viewTo - m_viewFrom;
            const qint64 from = m_dragViewFrom - qint64(std::llround((m_hoverPos.x() - m_dragFrom.x()) * msPerPixel));
            setViewRange(from, from + width);
        }
    }
    m_hoverText = hoverTextAt(m_hoverPos);
    if (legendEntryAt(m_hoverPos) >= 0)
        viewport()->setCursor(Qt::PointingHandCursor);
    else if (!m_dragging)
        viewport()->unsetCursor();
    viewport()->update();
}

void HistoryChart::mouseReleaseEvent(QMouseEvent *event)
{
    QChartView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        viewport()->unsetCursor();
    }
}

void HistoryChart::mouseDoubleClickEvent(QMouseEvent *event)
{
    QChartView::mouseDoubleClickEvent(event);
    const QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
    if (chart()->plotArea().contains(at)) {
        resetView();
        event->accept();
    }
}

void HistoryChart::leaveEvent(QEvent *event)
{
    QChartView::leaveEvent(event);
    m_hoverText.clear();
    viewport()->update();
}
