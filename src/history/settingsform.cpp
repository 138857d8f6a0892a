#include "history/settingsform.h"

#include "widgets/theme.h"
#include "history/historychart.h"
#include "history/historytablemodel.h"
#include "history/logicsavedialog.h"
#include "link/requests.h"
#include "model/controllerstate.h"
#include "model/wallclock.h"
#include "model/files/workfolders.h"
#include "widgets/dialogs.h"
#include "widgets/foldingrow.h"
#include "widgets/infonote.h"
#include "widgets/myheaderview.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSaveFile>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int HelpPage = 3;
constexpr int NoteTicks = 10;
constexpr int TimeoutNoteTicks = 40;

QString toggleStyle()
{
    return Theme::actionButtonStyle()
        + QStringLiteral(" QPushButton:checked { background-color: %1; border-color: %2; }")
              .arg(Theme::css(Theme::withAlpha(Theme::Brand, 90)), Theme::css(Theme::Brand));
}

} // namespace

SettingsForm::SettingsForm(QWidget *parent)
    : QWidget(parent), helpButton(new QPushButton(QStringLiteral("Справка"), this)),
      titleLabel(new QLabel(QStringLiteral("История"), this)),
      updatebutt(new QPushButton(QStringLiteral("   Выбрать период"), this)), startdata(new QLabel(this)),
      stopdata(new QLabel(this)), loadbutt(new QPushButton(QStringLiteral("Выгрузка в CSV"), this)),
      logtd(new QTableView(this)), tableButton(new QPushButton(QStringLiteral("Таблица"), this)),
      chartButton(new QPushButton(QStringLiteral("График"), this)), chart(new HistoryChart(this)),
      m_model(new HistoryTableModel(this)), m_views(new QStackedWidget(this))
{
    setObjectName(QStringLiteral("SettingsForm"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QWidget#SettingsForm { background-color: %1; }").arg(Theme::css(Theme::PageBackground)));

    logtd->setObjectName(QStringLiteral("logtd"));
    logtd->setModel(m_model);
    logtd->setItemDelegate(new RichCellDelegate(logtd));
    logtd->setStyleSheet(QStringLiteral("QTableView { background-color: %1; border: none; }"
                                        " QHeaderView::section { background-color: %2; padding: 6px 10px; }")
                             .arg(Theme::css(Theme::PageBackground), Theme::css(Theme::CardBackground)));
    logtd->setFont(QFont(QStringLiteral("IBM Plex Mono"), 11));
    auto *header = new MyHeaderView(Qt::Horizontal, logtd);
    header->setObjectName(QStringLiteral("logtdHeader"));
    logtd->setHorizontalHeader(header);

    logtd->viewport()->installEventFilter(this);
    m_views->addWidget(logtd);
    m_views->addWidget(chart);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(14);
    layout->addWidget(buildHeader());
    layout->addWidget(buildPeriodBar());
    // reading order: the title row's view switch and help, then the period bar
    setTabOrder(tableButton, chartButton);
    setTabOrder(chartButton, helpButton);
    setTabOrder(helpButton, updatebutt);
    setTabOrder(updatebutt, loadbutt);
    layout->addWidget(m_views, 1);

    connect(helpButton, &QPushButton::released, this, &SettingsForm::on_helpButton_released);
    connect(updatebutt, &QPushButton::released, this, &SettingsForm::on_updatebutt_released);
    connect(loadbutt, &QPushButton::released, this, &SettingsForm::on_loadbutt_released);
    buildColumns();
}

QWidget *SettingsForm::buildHeader()
{
    // the table / chart switch sits by the title: the period bar has no room for it at 1024 px
    QWidget *header = Theme::pageHeader(this, titleLabel, helpButton);
    if (auto *row = qobject_cast<QHBoxLayout *>(header->layout())) {
        row->insertSpacing(1, 24);
        row->insertWidget(2, tableButton);
        row->insertSpacing(3, 8);
        row->insertWidget(4, chartButton);
    }
    return header;
}

QWidget *SettingsForm::buildPeriodBar()
{
    auto *bar = new QFrame(this);
    bar->setObjectName(QStringLiteral("periodFrame"));
    bar->setStyleSheet(Theme::cardStyle(bar->objectName()));
    auto *row = new FoldingRow(bar);
    row->setContentsMargins(16, 10, 16, 10);
    row->setSpacing(12);

    updatebutt->setObjectName(QStringLiteral("updatebutt"));
    updatebutt->setIcon(QIcon(QStringLiteral(":/pict/refresh.svg")));
    loadbutt->setObjectName(QStringLiteral("loadbutt"));
    tableButton->setObjectName(QStringLiteral("tableButton"));
    chartButton->setObjectName(QStringLiteral("chartButton"));
    for (QPushButton *b : {updatebutt, loadbutt}) {
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(Theme::actionButtonStyle());
    }
    auto *group = new QButtonGroup(this);
    for (QPushButton *b : {tableButton, chartButton}) {
        b->setCheckable(true);
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(toggleStyle());
        group->addButton(b);
    }
    tableButton->setChecked(true);
    connect(tableButton, &QPushButton::clicked, this, [this] { showView(0); });
    connect(chartButton, &QPushButton::clicked, this, [this] { showView(1); });

    const QString dateStyle = QStringLiteral("color: %1; background: transparent; border: none;"
                                             " font-family: %2; font-size: 16px; font-weight: 500;")
                                  .arg(Theme::css(Theme::Text), Theme::NumberFont);
    startdata->setObjectName(QStringLiteral("startdata"));
    stopdata->setObjectName(QStringLiteral("stopdata"));
    auto *dash = new QLabel(QStringLiteral("—"), bar);
    dash->setObjectName(QStringLiteral("dashLabel"));
    for (QLabel *l : {startdata, stopdata, dash})
        l->setStyleSheet(dateStyle);

    // the period and the export each keep together; a narrow page puts the export under the period
    auto *period = new QHBoxLayout;
    period->setSpacing(12);
    period->addWidget(updatebutt);
    period->addSpacing(8);
    period->addWidget(startdata);
    period->addWidget(dash);
    period->addWidget(stopdata);
    period->addStretch(1);
    auto *views = new QHBoxLayout;
    views->setSpacing(12);
    views->addWidget(loadbutt);
    views->addStretch(1);
    row->addLayout(period);
    row->addStretch(1);
    row->addLayout(views);
    return bar;
}

logicsavedialog *SettingsForm::periodDialog() const
{
    return m_dialog.data();
}

void SettingsForm::on_helpButton_released()
{
    emit helpRequested(HelpPage);
}

void SettingsForm::on_updatebutt_released()
{
    if (m_dialog)
        return;  // one period dialog at a time
    m_dialog = new logicsavedialog(this);
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->setModal(true);
    connect(m_dialog, &logicsavedialog::contin, this, &SettingsForm::applyPeriod);
    m_dialog->show();
}

void SettingsForm::applyPeriod()
{
    const ControllerState &state = controllerState();
    HistoryPeriod &period = historyPeriod();
    const QDate start = QDate::fromString(period.periodStartText, dateFormat());
    if (start.isValid() && state.startTime.isValid() && start < state.startTime.date())
        period.periodStartText = state.startTime.toString(dateFormat());
    const QDate first = QDate::fromString(period.periodStartText, dateFormat());
    const QDate last = QDate::fromString(period.periodEndText, dateFormat());
    if (first.isValid() && last.isValid() && last < first)
        period.periodEndText = period.periodStartText;
    startdata->setText(period.periodStartText);
    stopdata->setText(period.periodEndText);
    if (!readLog().isEmpty())
        fillRows();
    else
        requestLogRead();
}

void SettingsForm::takeConfiguration(const DecodeResult &, bool fallback)
{
    if (!fallback && historyRefreshDue())
        buildColumns();
}

void SettingsForm::buildColumns()
{
    m_columns = buildHistoryColumns(controllerState());
    csvHeader = m_columns.csvHeader;
    m_model->setHeaders(m_columns.headers);

    logtd->verticalHeader()->hide();
    logtd->setShowGrid(false);
    logtd->setEditTriggers(QAbstractItemView::NoEditTriggers);
    logtd->setFocusPolicy(Qt::NoFocus);
    logtd->setSelectionMode(QAbstractItemView::NoSelection);
    QHeaderView *header = logtd->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter | Qt::Alignment(Qt::TextWordWrap));
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(0);
    header->setSectionsClickable(false);
    header->setStyleSheet(QStringLiteral("color: %1; font: 100 12pt \"IBM Plex Mono Medium\";  border: 0px solid %2;"
                                         " border-top: 1px solid %2; border-bottom: 1px solid %2; border-radius: 0px;")
                              .arg(Theme::css(Theme::OnColourLight), Theme::css(Theme::Shadow)));
    logtd->resizeRowsToContents();
    fitColumns();
    m_chartStale = true;
}

void SettingsForm::fitColumns()
{
    QHeaderView *header = logtd->horizontalHeader();
    // the header sections' padding of the table's style sheet, and a pixel for the border
    constexpr int HeaderPadding = 2 * 10 + 2;
    QList<int> widths = m_model->columnWidths(logtd->font(), header->font(), HeaderPadding);
    if (widths.isEmpty())
        return;
    int spare = logtd->viewport()->width();
    for (int width : std::as_const(widths))
        spare -= width;
    const int first = widths.size() > 2 ? 2 : int(widths.size()) - 1;  // the sensor columns take the spare width
    const int shares = int(widths.size()) - first;
    for (int column = 0; column < widths.size(); ++column) {
        int width = widths.at(column);
        if (spare > 0 && column >= first)
            width += spare / shares + (column - first < spare % shares ? 1 : 0);
        header->resizeSection(column, width);
    }
    // the header's height follows the new widths of its wrapped captions
    emit m_model->headerDataChanged(Qt::Horizontal, 0, int(widths.size()) - 1);
}

bool SettingsForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == logtd->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return QWidget::eventFilter(watched, event);
}

void SettingsForm::fillRows()
{
    m_model->setRows({});
    const QDate first = QDate::fromString(startdata->text(), dateFormat());
    const QDate last = QDate::fromString(stopdata->text(), dateFormat());
    QWidget *parent = window();
    if (!first.isValid()) {
        showNote(parent, QStringLiteral("Некорректно задана дата начала"), NoteClose::Popup, NoteTicks);
        return;
    }
    if (!last.isValid()) {
        showNote(parent, QStringLiteral("Некорректно задана дата окончания"), NoteClose::Popup, NoteTicks);
        return;
    }
    if (last < first) {
        showNote(parent, QStringLiteral("Ошибка! <p> Дата остановки раньше начала"), NoteClose::Popup, NoteTicks);
        return;
    }
    HistoryFill fill = fillHistory(m_columns, controllerState().events, first, last, QLocale::system());
    csvLines = std::move(fill.csvLines);
    m_model->setRows(std::move(fill.rows));
    logtd->resizeRowsToContents();
    fitColumns();

    m_chartFrom = QDateTime(first, QTime(0, 0));
    m_chartTo = QDateTime(last.addDays(1), QTime(0, 0));
    m_chartStale = true;
    if (m_views->currentWidget() == chart)
        refreshChart();
}

void SettingsForm::logTaken()
{
    fillRows();
}

void SettingsForm::logReadTimedOut()
{
    // the progress note would stay until the next idle step; the failure replaces it
    closeNote();
    showNote(window(), QStringLiteral("Лог контроллера не получен: нет ответа.<p>Выберите период ещё раз"),
             NoteClose::AfterTicks | NoteClose::Popup, TimeoutNoteTicks);
}

void SettingsForm::showView(int view)
{
    (view == 1 ? chartButton : tableButton)->setChecked(true);
    m_views->setCurrentIndex(view == 1 ? 1 : 0);
    if (view == 1 && m_chartStale)
        refreshChart();
}

void SettingsForm::refreshChart()
{
    m_chartStale = false;
    if (!m_chartFrom.isValid())
        return;
    chart->showPeriod(controllerState(), m_columns, m_chartFrom, m_chartTo);
}

void SettingsForm::on_loadbutt_released()
{
    QString name = Dialogs::getSaveFileName(this, QStringLiteral("Выгрузка в CSV"), workFolders().scenarioDir.path(),
                                            QStringLiteral("Таблица CSV (*.csv)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".csv");
    // Written in one step: a failed export never leaves half a file in place of an earlier one.
    QSaveFile file(name);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate);
    for (const QString &line : std::as_const(csvLines)) {
        if (!ok)
            break;
        ok = file.write(line.toLocal8Bit()) >= 0;
    }
    ok = ok && file.commit();
    if (!ok) {
        file.cancelWriting();
        showNote(window(), QStringLiteral("Не удалось сохранить файл %1").arg(QDir::toNativeSeparators(name)),
                 NoteClose::Popup, NoteTicks);
        return;
    }
    showNote(window(), QStringLiteral("История сохранена в файл %1").arg(QDir::toNativeSeparators(name)),
             NoteClose::Popup, NoteTicks);
}
