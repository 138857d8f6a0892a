#pragma once

#include "history/historychartdata.h"

#include <QChartView>
#include <QList>
#include <QPixmap>

class QLineSeries;
class QDateTimeAxis;
class QValueAxis;

// The chosen period as stacked panels on one time axis, one per quantity with its own unit: per
// channel the average as a line and minimum..maximum as a band (a contact input as steps between
// its two states), out-of-limit runs shaded, the day and night parts of the cycle days as bands and
// the power events as marks. Hovering reads out the values under the pointer; the wheel zooms the
// time axis, dragging pans it, a double click shows the whole period again and a legend entry hides
// or shows its channel.
class HistoryChart : public QChartView
{
    Q_OBJECT
public:
    explicit HistoryChart(QWidget *parent = nullptr);

    void showPeriod(const ControllerState &state, const HistoryColumns &columns, const QDateTime &from,
                    const QDateTime &to);

    using Band = ChartBand;
    using PowerMark = ChartPowerMark;
    const HistoryChartData &data() const { return m_data; }
    const QList<Band> &bands() const { return m_data.bands; }
    const QList<PowerMark> &powerMarks() const { return m_data.power; }

    // A channel's average line; its band and runs are painted beneath the lines.
    QLineSeries *lineOf(int channel) const;
    // A channel's legend entry, in its panel's caption row (viewport coordinates); a click on it
    // hides or shows the channel.
    QRect legendEntryRect(int channel) const;
    bool isShown(int channel) const { return m_shown.value(channel, false); }
    void setShown(int channel, bool shown);

    // The shown time range; zooming keeps the time under the pointer in place.
    qint64 viewFromMs() const { return m_viewFrom; }
    qint64 viewToMs() const { return m_viewTo; }
    void zoomAt(qint64 ms, double factor);
    void panBy(qint64 ms);
    void resetView();

    // The read-out at a viewport position; empty outside the panels.
    QString hoverTextAt(const QPoint &pos) const;
    QString hoverText() const { return m_hoverText; }
    qint64 timeAt(qreal x) const;
    qreal xOf(qint64 ms) const;

protected:
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void clearChart();
    void addChannel(int channel);
    void setViewRange(qint64 from, qint64 to);
    void fitTimeTicks();
    void drawPanels(QPainter *painter) const;
    void drawRanges(QPainter *painter) const;
    QRectF legendEntry(int channel) const;  // chart coordinates
    int legendEntryAt(const QPoint &pos) const;
    void drawHover(QPainter *painter) const;
    qreal yOf(double height) const;

    HistoryChartData m_data;
    QList<QLineSeries *> m_lines;  // per channel
    QPixmap m_frame;               // the chart as last painted, under the hover read-out
    bool m_frameStale = true;
    QList<bool> m_shown;
    QDateTimeAxis *m_timeAxis = nullptr;
    QValueAxis *m_laneAxis = nullptr;
    qint64 m_viewFrom = 0;
    qint64 m_viewTo = 1;
    bool m_dragging = false;
    QPoint m_dragFrom;
    qint64 m_dragViewFrom = 0;
    QPoint m_hoverPos;
    QString m_hoverText;
};
