// Figures of the history page: parsing a full log area and filling the page from it, side by side
// with a plain QTableWidget given the same cell texts and with a rich-text label in every cell; the
// chart of the same period built and hovered, side by side with a bare line series of its points.
#include <QApplication>
#include <QChartView>
#include <QLineSeries>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QTableView>
#include <QTableWidget>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "mockclock.h"
#include "eventlogbytes.h"
#include "app/demoseed.h"
#include "history/historychart.h"
#include "history/historytablemodel.h"
#include "history/settingsform.h"
#include "model/clock.h"
#include "model/codec/configimage.h"
#include "model/controllerstate.h"
#include "model/log/eventlog.h"
#include "model/log/historytable.h"
#include "model/codec/sensorcatalogue.h"

namespace {

constexpr int LogAreaBytes = 28520;  // 0x7F00 down to the lowest log start, in whole records
constexpr int Runs = 15;

// Median milliseconds of a few runs.
double medianMs(const std::function<void()> &work, int runs = Runs)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times << double(t.nsecsElapsed()) / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

// Measurements of every measuring channel each half hour back from now, a power cut now and
// then, until the area is full.
QByteArray fullLog(const ControllerState &s, const QDateTime &now)
{
    QByteArray log;
    QDateTime t = now.addSecs(-3600);
    int period = 0;
    while (log.size() + EventLog::RecordSize <= LogAreaBytes) {
        if (++period % 97 == 0)
            log += LogBytes::marker(t.addSecs(60), period % 2 == 0 ? 1 : 0, period % 2 == 0 ? 1 : 0);
        for (int sensor = 0; sensor < ControllerState::SensorCount; ++sensor) {
            const SensorSlot &slot = s.sensors.at(sensor);
            if (slot.type == SensorOff || slot.type == SensorRelayOutput)
                continue;
            for (int j = 0; j < slot.channels.size() && log.size() + EventLog::RecordSize <= LogAreaBytes; ++j) {
                const float v = 20.0f + float((period * 7 + j * 3) % 11);
                log += LogBytes::measurement(t, sensor, j, v - 1.5f, v, v + 2.5f);
            }
        }
        t = t.addSecs(-1800);
    }
    return log;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QDateTime now(QDate(2026, 3, 10), QTime(12, 0));
    MockClock::set(now);

    ControllerState &state = controllerState();
    state.resetToEmptyForm();
    decodeConfigImage(state, DemoSeed::imageBody());
    linkTimerRows(state);
    state.startTime = now.addDays(-40);  // the whole log inside the work period
    state.cycleCount = 80;
    state.days.clear();
    for (int d = 0; d < state.cycleCount; ++d)
        state.days << CycleDay{state.startTime.addDays(d), d % 2};
    const QByteArray log = fullLog(state, now);

    const double parseMs = medianMs([&] { parseEventLog(state, log); });
    std::printf("log area: %lld bytes, %lld records decoded\n", qint64(log.size()), qint64(state.events.size()));
    std::printf("parseEventLog, full area:                 %8.2f ms\n", parseMs);

    SettingsForm page;
    page.resize(1280, 800);
    page.show();
    page.buildColumns();
    const QString first = state.events.first().time.date().toString(QStringLiteral("dd.MM.yyyy"));
    const QString last = state.events.last().time.date().toString(QStringLiteral("dd.MM.yyyy"));
    page.startdata->setText(first);
    page.stopdata->setText(last);
    const double fillMs = medianMs([&] { page.fillRows(); });
    const int rows = page.logtd->model()->rowCount();
    const int columns = page.logtd->model()->columnCount();
    std::printf("page fill (rows, CSV, row heights):       %8.2f ms  (%d rows x %d columns)\n", fillMs, rows, columns);
    const double paintMs = medianMs([&] { page.grab(); });
    std::printf("page paint of the visible part:           %8.2f ms\n", paintMs);
    std::printf("parse + fill, one log read:               %8.2f ms  (tick: 100 ms)\n", parseMs + fillMs);

    // the same texts in a plain table widget
    const HistoryFill fill = fillHistory(buildHistoryColumns(state), state.events, QDate::fromString(first, QStringLiteral("dd.MM.yyyy")),
                                         QDate::fromString(last, QStringLiteral("dd.MM.yyyy")), QLocale::system());
    QTableWidget plain;
    plain.resize(1280, 700);
    plain.show();
    const double plainMs = medianMs([&] {
        plain.setRowCount(0);
        plain.setColumnCount(columns);
        plain.setRowCount(int(fill.rows.size()));
        for (int r = 0; r < fill.rows.size(); ++r)
            for (int c = 0; c < fill.rows.at(r).cells.size(); ++c)
                plain.setItem(r, c, new QTableWidgetItem(fill.rows.at(r).cells.at(c)));
        plain.resizeRowsToContents();
    });
    std::printf("plain QTableWidget, same texts:           %8.2f ms\n", plainMs);

    // what a styled rich-text label per cell costs
    QTableWidget labels;
    labels.resize(1280, 700);
    labels.show();
    const double labelMs = medianMs(
        [&] {
            labels.setRowCount(0);
            labels.setColumnCount(columns);
            labels.setRowCount(int(fill.rows.size()));
            for (int r = 0; r < fill.rows.size(); ++r)
                for (int c = 0; c < fill.rows.at(r).cells.size(); ++c) {
                    auto *label = new QLabel(fill.rows.at(r).cells.at(c));
                    label->setStyleSheet(QStringLiteral("padding: 10px; margin: 0px; background-color: #2A2E30;  border: none;"));
                    labels.setCellWidget(r, c, label);
                }
            labels.resizeRowsToContents();
        },
        3);
    std::printf("QTableWidget with a label per cell:       %8.2f ms\n", labelMs);

    // the chart of the period, built and painted, against a bare line series of the same points
    const QDateTime from(QDate::fromString(first, QStringLiteral("dd.MM.yyyy")), QTime(0, 0));
    const QDateTime to(QDate::fromString(last, QStringLiteral("dd.MM.yyyy")).addDays(1), QTime(0, 0));
    const HistoryColumns chartColumns = buildHistoryColumns(state);
    // a whole paint into an image: an offscreen window may not be exposed for repaint()
    QImage canvas(1280, 700, QImage::Format_ARGB32_Premultiplied);
    auto paint = [&canvas](QWidget &w) { w.render(&canvas); };
    HistoryChart chart;
    chart.resize(canvas.size());
    chart.show();
    const double chartMs = medianMs([&] {
        chart.showPeriod(state, chartColumns, from, to);
        paint(chart);
    });
    QList<QPointF> points;
    for (const EventRecord &e : std::as_const(state.events))
        if (e.sensor >= 0)
            points << QPointF(qreal(e.time.toMSecsSinceEpoch()), qreal(e.avg));
    QChartView bare;
    bare.resize(canvas.size());
    bare.show();
    const double bareMs = medianMs([&] {
        bare.chart()->removeAllSeries();
        auto *series = new QLineSeries;
        series->replace(points);
        bare.chart()->addSeries(series);
        bare.chart()->createDefaultAxes();
        paint(bare);
    });
    qsizetype drawn = 0;
    for (const ChartSeries &s : chart.data().series)
        drawn += s.times.size();
    std::printf("chart of the period, built and painted:   %8.2f ms  (%lld records in %lld panels; budget 100 ms)\n",
                chartMs, qint64(drawn), qint64(chart.data().panels.size()));
    std::printf("bare line series, same points:            %8.2f ms  (%lld points)\n", bareMs, qint64(points.size()));

    // a hover: the pointer moves over the plot and the view repaints with the read-out
    auto hoverMs = [&paint](QGraphicsView &view) {
        int step = 0;
        return medianMs(
            [&] {
                const QPointF pos(200 + (step++ % 40) * 20, 300);
                QMouseEvent move(QEvent::MouseMove, pos, view.viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                                 Qt::NoModifier);
                QCoreApplication::sendEvent(view.viewport(), &move);
                paint(view);
            },
            41);
    };
    const double chartHoverMs = hoverMs(chart);
    std::printf("chart hover (read-out and repaint):       %8.2f ms  (budget 16 ms; \"%s\")\n", chartHoverMs,
                qPrintable(chart.hoverText().section(QLatin1Char('\n'), 0, 0)));
    std::printf("bare line series hover (repaint):         %8.2f ms\n", hoverMs(bare));
    MockClock::clear();
    return 0;
}
