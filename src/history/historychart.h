#pragma once

#include "model/log/historytable.h"

#include <QChartView>
#include <QList>

// The chosen period as a picture: per channel the average as a line and minimum..maximum as a
// band, values that would have made a scenario act in the hit colour, the day and night parts of
// the cycle days as shaded bands and the power events as vertical markers; the time axis in local time.
class HistoryChart : public QChartView
{
    Q_OBJECT
public:
    explicit HistoryChart(QWidget *parent = nullptr);

    void showPeriod(const ControllerState &state, const HistoryColumns &columns, const QDateTime &from,
                    const QDateTime &to);

    struct Band
    {
        qint64 fromMs = 0;
        qint64 toMs = 0;
        bool night = false;
    };
    struct PowerMark
    {
        qint64 ms = 0;
        bool on = false;
    };
    const QList<Band> &bands() const { return m_bands; }
    const QList<PowerMark> &powerMarks() const { return m_power; }

protected:
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    qreal xOf(qint64 ms) const;

    QList<Band> m_bands;
    QList<PowerMark> m_power;
    qint64 m_fromMs = 0;
    qint64 m_toMs = 1;
};
