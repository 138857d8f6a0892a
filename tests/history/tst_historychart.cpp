#include <QChart>
#include <QLineSeries>
#include <QTest>
#include <QWheelEvent>

#include "eventlogbytes.h"
#include "history/historychart.h"
#include "model/codec/sensorcatalogue.h"
#include "model/log/eventlog.h"
#include "model/log/historytable.h"
#include "richstate.h"

namespace {

const QDate Day(2026, 3, 3);  // cycle day 1: its scenario stops the lamp above 28 °C by day
const QDateTime Now(QDate(2026, 3, 10), QTime(12, 0));
const QDateTime From(Day, QTime(0, 0));
const QDateTime To(Day.addDays(1), QTime(0, 0));

QDateTime at(int hour, int minute = 0)
{
    return QDateTime(Day, QTime(hour, minute));
}

// The rich plan with a root thermometer and a light input beside its climate probe and tank level.
ControllerState fixtureState()
{
    ControllerState s = RichState::build();
    s.sensors[1].type = SensorOneWireTemperature;
    s.sensors[1].name = QStringLiteral("Корни");
    s.sensors[1].channels = {1};
    s.sensors[4].type = SensorVoltage;
    s.sensors[4].name = QStringLiteral("Свет");
    s.sensors[4].channels = {2};
    return s;
}

// Hourly records 10:00..15:00; an 'X' in the pattern makes that hour's air temperature too warm.
// The tank opens at 12:00 and 13:00; the power is cut from 13:20 to 13:40.
QByteArray fixtureLog(const QString &warm = QStringLiteral("......"))
{
    const QList<float> tank{0, 0, 1, 1, 0, 0};
    QByteArray log;
    for (int i = 0; i < 6; ++i) {
        const QDateTime t = at(10 + i);
        const float air = warm.at(i) == QLatin1Char('X') ? 29.0f : 25.0f;
        log += LogBytes::measurement(t, 0, 0, 49, 50 + i, 52);
        log += LogBytes::measurement(t, 0, 1, air - 1, air, air + 1);
        log += LogBytes::measurement(t, 1, 0, 19, 20, 21);
        log += LogBytes::measurement(t, 3, 0, tank.at(i), tank.at(i), tank.at(i));
        log += LogBytes::measurement(t, 4, 0, 1150, 1200, 1250);
    }
    log += LogBytes::marker(at(13, 20), 0, 0);
    log += LogBytes::marker(at(13, 40), 1, 1);
    return log;
}

struct Shown
{
    ControllerState state = fixtureState();
    HistoryChart chart;

    explicit Shown(const QString &warm = QStringLiteral("......"))
    {
        parseEventLog(state, fixtureLog(warm), Now);
        chart.resize(1000, 700);
        chart.showPeriod(state, buildHistoryColumns(state), From, To);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
    }
    int channel(const QString &name) const
    {
        for (int i = 0; i < chart.data().series.size(); ++i)
            if (chart.data().series.at(i).name == name)
                return i;
        return -1;
    }
    // The pointer over a point; a move to where the pointer already is would never arrive.
    void hover(const QPoint &pos)
    {
        QTest::mouseMove(chart.viewport(), pos + QPoint(1, 1));
        QTest::mouseMove(chart.viewport(), pos);
    }
    // Whether the top of a panel's plotted part, where no band reaches, shows the out-of-limit shade.
    bool outOfLimits(const QDateTime &t, int panel) const
    {
        const QRectF plot = chart.chart()->plotArea();
        const qreal lane = plot.height() / chart.data().panels.size();
        const QPoint p = pointAt(t, panel);
        const int y = int(plot.top() + lane * (panel + 0.2)) + 4;
        const QColor c = chart.viewport()->grab().toImage().pixelColor(p.x(), y);
        return c.red() - c.green() > 40;
    }
    // A viewport point at a time, in the middle of a panel.
    QPoint pointAt(const QDateTime &t, int panel) const
    {
        const QRectF plot = chart.chart()->plotArea();
        const qreal laneHeight = plot.height() / chart.data().panels.size();
        return chart.mapFromScene(chart.chart()->mapToScene(
            QPointF(chart.xOf(t.toMSecsSinceEpoch()), plot.top() + laneHeight * (panel + 0.5))));
    }
};

QString span(const ChartRun &r)
{
    return QDateTime::fromMSecsSinceEpoch(r.fromMs).toString(QStringLiteral("hh:mm")) + QLatin1Char('-')
        + QDateTime::fromMSecsSinceEpoch(r.toMs).toString(QStringLiteral("hh:mm"));
}

void wheel(HistoryChart &chart, const QPoint &pos, int notches)
{
    QWheelEvent event(pos, chart.viewport()->mapToGlobal(pos), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(chart.viewport(), &event);
}

} // namespace

class TestHistoryChart : public QObject
{
    Q_OBJECT

private slots:
    // One panel per quantity with its unit; both thermometers share one; a contact gets its own.
    void panelsPerQuantity()
    {
        Shown f;
        QStringList captions;
        for (const ChartPanel &p : f.chart.data().panels)
            captions << p.caption();
        QCOMPARE(captions, QStringList({QStringLiteral("Влажность, %"), QStringLiteral("Температура, °C"),
                                        QStringLiteral("Напряжение, мВ"), QStringLiteral("Уровень")}));
        const QList<QPair<QString, int>> expected{{QStringLiteral("Климат Влажность"), 0},
                                                  {QStringLiteral("Климат Температура"), 1},
                                                  {QStringLiteral("Корни Температура"), 1},
                                                  {QStringLiteral("Свет Напряжение"), 2},
                                                  {QStringLiteral("Уровень Состояние"), 3}};
        QCOMPARE(f.chart.data().series.size(), expected.size());
        for (const auto &e : expected)
            QCOMPARE(f.chart.data().series.at(f.channel(e.first)).panel, e.second);

        // every panel's labels lie within its range and cover its values
        const ChartPanel &light = f.chart.data().panels.at(2);
        QVERIFY(light.low < 1150 && light.high > 1250);
        QVERIFY(light.ticks.size() >= 2);
        for (double t : light.ticks)
            QVERIFY(t >= light.low && t <= light.high);
        QCOMPARE(light.tickLabels.size(), light.ticks.size());

        // a legend entry per channel in its panel's caption row, side by side, none cut off
        const QRect plot = f.chart.mapFromScene(f.chart.chart()->mapToScene(f.chart.chart()->plotArea())).boundingRect();
        for (int c = 0; c < expected.size(); ++c) {
            const QRect entry = f.chart.legendEntryRect(c);
            QVERIFY(plot.contains(entry));
            QVERIFY(entry.width() > QFontMetrics(f.chart.font()).horizontalAdvance(f.chart.data().series.at(c).legendName));
        }
        const QRect air = f.chart.legendEntryRect(f.channel(QStringLiteral("Климат Температура")));
        const QRect roots = f.chart.legendEntryRect(f.channel(QStringLiteral("Корни Температура")));
        QCOMPARE(air.top(), roots.top());
        QVERIFY(air.right() < roots.left());

        // the panels stack without overlapping, top panel highest
        for (int p = 0; p + 1 < f.chart.data().panels.size(); ++p)
            QVERIFY(laneBottom(f.chart.data(), p) > laneTop(f.chart.data(), p + 1));
    }

    void valueLabels_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<QList<double>>("ticks");
        QTest::newRow("percent") << 47.0 << 73.0 << QList<double>{50, 60, 70};
        QTest::newRow("around zero") << -1.2 << 1.3 << QList<double>{-1, 0, 1};
        QTest::newRow("millivolts") << 80.0 << 2900.0 << QList<double>{1000, 2000};
        // a faulty sensor's huge reading: the step vanishes in rounding, the labels still end
        QTest::newRow("huge reading") << 1e20 << 1e20 + 16384 << QList<double>{1e20, 1e20 + 16384};
    }
    void valueLabels()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QList<double>, ticks);
        QCOMPARE(roundTicks(low, high, 4), ticks);
    }

    void emptyPeriodShowsNoPanels()
    {
        ControllerState state = fixtureState();
        HistoryChart chart;
        chart.showPeriod(state, buildHistoryColumns(state), From, To);
        QVERIFY(chart.data().panels.isEmpty());
        QVERIFY(chart.chart()->series().isEmpty());
        QCOMPARE(chart.hoverTextAt(QPoint(500, 300)), QString());
    }

    // The tank holds its state between records: vertical steps between the two labelled states.
    void tankAsSteps()
    {
        Shown f;
        const ChartPanel &tank = f.chart.data().panels.at(3);
        QVERIFY(tank.contact);
        QCOMPARE(tank.tickLabels, QStringList({QStringLiteral("Замкнут"), QStringLiteral("Разомкнут")}));
        const int c = f.channel(QStringLiteral("Уровень Состояние"));
        const QLineSeries *line = f.chart.lineOf(c);
        QVERIFY(line);
        const QList<QPointF> points = line->points();
        QCOMPARE(points.size(), 2 * 6 - 1);
        const double closed = laneHeight(f.chart.data(), 3, 0);
        const double open = laneHeight(f.chart.data(), 3, 1);
        const QList<double> levels{closed, closed, closed, closed, open, open, open, open, closed, closed, closed};
        for (int k = 0; k < points.size(); ++k)
            QCOMPARE(points.at(k).y(), levels.at(k));
        // each step rises or falls at its record's time
        QCOMPARE(points.at(3).x(), qreal(at(12).toMSecsSinceEpoch()));
        QCOMPARE(points.at(4).x(), points.at(3).x());
    }

    void bandsAndPowerMarks()
    {
        Shown f;
        // cycle day 0 reaches 03.03 00:00-08:00 as night, day 1 its day 08:00-24:00
        const QList<ChartBand> &bands = f.chart.bands();
        QCOMPARE(bands.size(), 4);
        QCOMPARE(bands.at(1).night, true);
        QCOMPARE(bands.at(1).toMs, at(8).toMSecsSinceEpoch());
        QCOMPARE(bands.at(2).night, false);
        QCOMPARE(bands.at(2).fromMs, at(8).toMSecsSinceEpoch());
        QCOMPARE(f.chart.powerMarks().size(), 2);
        QCOMPARE(f.chart.powerMarks().at(0).ms, at(13, 20).toMSecsSinceEpoch());
        QCOMPARE(f.chart.powerMarks().at(0).on, false);
        QCOMPARE(f.chart.powerMarks().at(1).on, true);
    }

    // Out-of-limit records are shaded as runs: each record owns the time half-way to its
    // neighbours, a power cut ends a run.
    void outOfLimitRuns_data()
    {
        QTest::addColumn<QString>("warm");
        QTest::addColumn<QStringList>("runs");
        QTest::newRow("none") << QStringLiteral("......") << QStringList();
        QTest::newRow("two in a row") << QStringLiteral(".XX...") << QStringList{QStringLiteral("10:30-12:30")};
        QTest::newRow("first record") << QStringLiteral("X.....") << QStringList{QStringLiteral("09:30-10:30")};
        QTest::newRow("last record") << QStringLiteral(".....X") << QStringList{QStringLiteral("14:30-15:30")};
        QTest::newRow("across the power cut")
            << QStringLiteral("...XX.") << QStringList{QStringLiteral("12:30-13:20"), QStringLiteral("13:40-14:30")};
        QTest::newRow("two runs") << QStringLiteral("XX.X.X")
                                  << QStringList{QStringLiteral("09:30-11:30"), QStringLiteral("12:30-13:20"),
                                                 QStringLiteral("14:30-15:30")};
    }
    void outOfLimitRuns()
    {
        QFETCH(QString, warm);
        QFETCH(QStringList, runs);
        Shown f(warm);
        const int c = f.channel(QStringLiteral("Климат Температура"));
        QStringList spans;
        for (const ChartRun &r : f.chart.data().series.at(c).runs)
            spans << span(r);
        QCOMPARE(spans, runs);

        // shaded over the run's whole time, never a dot per record: the chart holds only the lines
        for (const ChartRun &r : f.chart.data().series.at(c).runs) {
            QVERIFY(f.outOfLimits(QDateTime::fromMSecsSinceEpoch(r.fromMs + 600000), 1));
            QVERIFY(f.outOfLimits(QDateTime::fromMSecsSinceEpoch(r.toMs - 600000), 1));
        }
        QCOMPARE(f.outOfLimits(at(13, 30), 1), false);  // the power cut
        QCOMPARE(f.chart.chart()->series().size(), f.chart.data().series.size());
        for (QAbstractSeries *s : f.chart.chart()->series())
            QCOMPARE(s->type(), QAbstractSeries::SeriesTypeLine);
    }

    void hoverReadsOut()
    {
        Shown f(QStringLiteral(".X...."));
        const QLocale l;
        f.hover(f.pointAt(at(11, 10), 1));
        const QStringList lines = f.chart.hoverText().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("03.03.2026 11:00, день"));
        QVERIFY(lines.contains(QStringLiteral("Климат Температура: %1 °C (%2 … %3), вне пределов")
                                   .arg(l.toString(29.0, 'f', 1), l.toString(28.0, 'f', 1), l.toString(30.0, 'f', 1))));
        QVERIFY(lines.contains(QStringLiteral("Климат Влажность: %1 % (%2 … %3)")
                                   .arg(l.toString(51.0, 'f', 1), l.toString(49.0, 'f', 1), l.toString(52.0, 'f', 1))));
        QVERIFY(lines.contains(QStringLiteral("Свет Напряжение: 1200 мВ (1150 … 1250)")));
        QVERIFY(lines.value(5).startsWith(QStringLiteral("Уровень Состояние: Замкнут")));
        QCOMPARE(lines.size(), 6);

        // the next record is nearer past half-way
        f.hover(f.pointAt(at(11, 40), 3));
        QVERIFY(f.chart.hoverText().startsWith(QStringLiteral("03.03.2026 12:00, день")));
        QVERIFY(f.chart.hoverText().contains(QStringLiteral("Уровень Состояние: Разомкнут")));

        // off the panels, or hours away from any record, nothing
        f.hover(QPoint(4, 4));
        QCOMPARE(f.chart.hoverText(), QString());
        f.hover(f.pointAt(at(5), 1));
        QCOMPARE(f.chart.hoverText(), QString());
    }

    void zoomPanReset()
    {
        Shown f;
        const qint64 full = To.toMSecsSinceEpoch() - From.toMSecsSinceEpoch();
        const QPoint noon = f.pointAt(at(12), 0);
        const qint64 noonMs = f.chart.timeAt(f.chart.chart()->mapFromScene(f.chart.mapToScene(noon)).x());

        // the wheel narrows the time axis around the pointer
        wheel(f.chart, noon, 2);
        const qint64 zoomed = f.chart.viewToMs() - f.chart.viewFromMs();
        QVERIFY(qAbs(zoomed - qint64(full * 0.64)) < 1000);
        QVERIFY(qAbs(f.chart.timeAt(f.chart.chart()->mapFromScene(f.chart.mapToScene(noon)).x()) - noonMs) < 60000);

        // dragging to the right shows earlier times, by the dragged width
        const qint64 before = f.chart.viewFromMs();
        const qreal msPerPixel = double(zoomed) / f.chart.chart()->plotArea().width();
        QTest::mousePress(f.chart.viewport(), Qt::LeftButton, Qt::NoModifier, noon);
        QTest::mouseMove(f.chart.viewport(), noon + QPoint(100, 0));
        QTest::mouseRelease(f.chart.viewport(), Qt::LeftButton, Qt::NoModifier, noon + QPoint(100, 0));
        QVERIFY(qAbs(before - f.chart.viewFromMs() - qint64(100 * msPerPixel)) < 60000);
        QCOMPARE(f.chart.viewToMs() - f.chart.viewFromMs(), zoomed);

        // never past the period's ends, whatever the drag
        f.chart.panBy(-full);
        QCOMPARE(f.chart.viewFromMs(), From.toMSecsSinceEpoch());
        QCOMPARE(f.chart.viewToMs() - f.chart.viewFromMs(), zoomed);
        // zooming out stops at the whole period
        wheel(f.chart, noon, -10);
        QCOMPARE(f.chart.viewFromMs(), From.toMSecsSinceEpoch());
        QCOMPARE(f.chart.viewToMs(), To.toMSecsSinceEpoch());

        // a double click shows the whole period again
        wheel(f.chart, noon, 5);
        QVERIFY(f.chart.viewToMs() - f.chart.viewFromMs() < full / 2);
        QTest::mouseDClick(f.chart.viewport(), Qt::LeftButton, Qt::NoModifier, noon);
        QCOMPARE(f.chart.viewFromMs(), From.toMSecsSinceEpoch());
        QCOMPARE(f.chart.viewToMs(), To.toMSecsSinceEpoch());
    }

    // A legend entry hides its channel with its band and runs, and brings it back.
    void legendHidesItsChannel()
    {
        Shown f(QStringLiteral(".X...."));
        const int c = f.channel(QStringLiteral("Климат Температура"));
        const QRect entry = f.chart.legendEntryRect(c);
        const qint64 viewFrom = f.chart.viewFromMs();
        QTest::mouseClick(f.chart.viewport(), Qt::LeftButton, Qt::NoModifier, entry.center());
        QVERIFY(!f.chart.isShown(c));
        QVERIFY(!f.chart.lineOf(c)->isVisible());
        QVERIFY(!f.outOfLimits(at(11), 1));  // its run goes with it
        QCOMPARE(f.chart.legendEntryRect(c), entry);  // stays, to bring the channel back
        QCOMPARE(f.chart.viewFromMs(), viewFrom);     // a click on the legend is no drag
        QVERIFY(f.chart.lineOf(f.channel(QStringLiteral("Корни Температура")))->isVisible());
        const QString readOut = f.chart.hoverTextAt(f.pointAt(at(11), 1));
        QVERIFY(!readOut.contains(QStringLiteral("Климат Температура")));
        QVERIFY(readOut.contains(QStringLiteral("Корни Температура")));

        QTest::mouseClick(f.chart.viewport(), Qt::LeftButton, Qt::NoModifier, entry.center());
        QVERIFY(f.chart.isShown(c));
        QVERIFY(f.chart.lineOf(c)->isVisible());
        QVERIFY(f.outOfLimits(at(11), 1));
    }
};

QTEST_MAIN(TestHistoryChart)
#include "tst_historychart.moc"
