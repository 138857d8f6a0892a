#pragma once

#include "model/log/historytable.h"

#include <QPointer>
#include <QWidget>

class HistoryChart;
class HistoryTableModel;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTableView;
class logicsavedialog;

// The history page: the controller's event log over a chosen period as a table of power events
// and minimum / average / maximum rows (values that would have made a scenario act highlighted),
// the same rows as CSV lines for export, and a chart of the period.
struct DecodeResult;

class SettingsForm : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsForm(QWidget *parent = nullptr);

    QPushButton *helpButton;
    QLabel *titleLabel;
    QPushButton *updatebutt;
    QLabel *startdata;
    QLabel *stopdata;
    QPushButton *loadbutt;
    QTableView *logtd;
    QPushButton *tableButton;
    QPushButton *chartButton;
    HistoryChart *chart;

    // Page state: the CSV text of the last fill (header first) and the columns' layout.
    QStringList csvLines;
    QString csvHeader;
    const QMap<int, HistoryChannelColumn> &columnChannels() const { return m_columns.columnChannels; }
    const QList<QList<int>> &columnFormats() const { return m_columns.columnFormats; }
    HistoryTableModel *tableModel() const { return m_model; }
    logicsavedialog *periodDialog() const;

    // After a configuration decode while the history is to be refreshed: header and columns.
    void buildColumns();
    // A decoded configuration, as the exchange sequencer announces it.
    void takeConfiguration(const DecodeResult &result, bool fallback);
    // Rows of the held records between the period's days shown on the page.
    void fillRows();
    // The log was read and parsed into the controller state.
    void logTaken();
    // The log read got no answer.
    void logReadTimedOut();
    // Shows the table (0) or the chart (1).
    void showView(int view);

signals:
    void helpRequested(int page);

public slots:
    void on_helpButton_released();
    void on_updatebutt_released();
    void on_loadbutt_released();
    void applyPeriod();

private:
    QWidget *buildHeader();
    QWidget *buildPeriodBar();
    // Each column as wide as its cells' lines and its header's longest word; the sensor columns
    // share what is left of the width, a table wider than the page scrolls.
    void fitColumns();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void refreshChart();

    HistoryColumns m_columns;
    HistoryTableModel *m_model;
    QStackedWidget *m_views;
    QPointer<logicsavedialog> m_dialog;
    QDateTime m_chartFrom;
    QDateTime m_chartTo;
    bool m_chartStale = false;
};
