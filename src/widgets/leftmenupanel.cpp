#include "widgets/leftmenupanel.h"

#include "ui_leftmenupanel.h"
#include "model/codec/statusrecord.h"
#include "widgets/buttonaccessibility.h"
#include "widgets/theme.h"
#include "widgets/viewstate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <algorithm>


namespace {

const auto StatusNormalStyle = QStringLiteral(
    "color: %1; border: 2px solid %1; border-radius: 6px; font-family: %2;  font-size: 16px; font-weight: 600;")
    .arg(Theme::css(Theme::Brand), Theme::TextFont);
const auto StatusErrorStyle = QStringLiteral(
    "color: %1; border: 2px solid %1; border-radius: 6px; font-family: %2;  font-size: 12px; font-weight: 600;")
    .arg(Theme::css(Theme::Alert), Theme::TextFont);

const auto BarEmptyStyle = QStringLiteral("border: 2px solid %1;").arg(Theme::css(Theme::Shadow));
const auto BarFlaggedStyle = QStringLiteral("background-color: %1;").arg(Theme::css(Theme::Alert));
const auto BarBegunStyle = QStringLiteral("background-color: %1;").arg(Theme::css(Theme::Done));
const auto BarAheadStyle = QStringLiteral("background-color: %1;").arg(Theme::css(Theme::Ahead));

QString panelStyle()
{
    using namespace Theme;
    return QStringLiteral(
               "#LeftMenuPanel { background-color: %1; border-radius: 12px; }"
               " #menuFrame, #barframe { background: transparent; }"
               " #infoFrame { background-color: %2; border-radius: 12px; }"
               " QLabel { color: %3; font-family: %4; font-size: 13px; }"
               " #datestart, #datestop, #dateDash { font-size: 15px; font-weight: 500; }"
               " #daysLeftLabel { color: %5; font-family: %6; font-size: 12px; font-weight: 600; }"
               " #statusCaptionLabel { color: %7; font-family: %6; font-size: 12px; }"
               " #idLabel { color: %7; font-size: 12px; }"
               " #menuFrame QPushButton { color: %3; background-color: transparent; border: none; border-radius: 12px;"
               " padding: 10px 8px; text-align: left; font-family: %6; font-size: 15px; font-weight: 500; }"
               " #menuFrame QPushButton:hover { background-color: %2; }"
               " #menuFrame QPushButton:checked { color: %5; background-color: %2; }"
               " #closeAppButton { color: %3; background-color: %2; border: 1px solid %8; border-radius: 12px;"
               " padding: 10px; font-family: %6; font-size: 15px; font-weight: 500; }"
               " #closeAppButton:hover { border-color: %5; color: %5; }")
        .arg(css(WindowBackground), css(CardBackground), css(Text), NumberFont, css(Brand), TextFont, css(DimText),
             css(Border));
}

constexpr int MaxSegments = 20;
constexpr int MinBarLabels = 15;
constexpr int MaxRemainingShown = 99;

// A segment shows the most telling state among its days.
QString segmentStyle(bool flagged, bool begun, bool ahead)
{
    if (flagged)
        return BarFlaggedStyle;
    if (begun)
        return BarBegunStyle;
    if (ahead)
        return BarAheadStyle;
    return BarEmptyStyle;
}

} // namespace

LeftMenuPanel::LeftMenuPanel(QWidget *parent)
    : QFrame(parent)
    , ui(std::make_unique<Ui::LeftMenuPanel>())
{
    ui->setupUi(this);
    setStyleSheet(panelStyle());
    installButtonAccessibility();

    menuGroup = new QButtonGroup(this);
    menuGroup->setExclusive(true);
    for (QAbstractButton *b : {ui->deviceButton, ui->scenariosButton, ui->settingsButton, ui->workCycleSettingsButton})
        menuGroup->addButton(b);

    connect(ui->deviceButton, &QAbstractButton::clicked, this, &LeftMenuPanel::openDevicesPage);
    connect(ui->scenariosButton, &QAbstractButton::clicked, this, &LeftMenuPanel::openScenarioPage);
    connect(ui->settingsButton, &QAbstractButton::clicked, this, &LeftMenuPanel::openSettingsPage);
    connect(ui->workCycleSettingsButton, &QAbstractButton::clicked, this,
            &LeftMenuPanel::openWorkCycleSettingsPage);

    ui->statusLabel->setStyleSheet(StatusNormalStyle);
}

LeftMenuPanel::~LeftMenuPanel() = default;

QString LeftMenuPanel::remainingDaysText(int days)
{
    const int r = std::clamp(days, 0, MaxRemainingShown);
    const int f = r % 10;
    const int tail = r % 100;
    const char16_t *suffix;
    if (f == 0 || f > 4 || (tail >= 5 && tail <= 20))
        suffix = u" ДНЕЙ";
    else if (f == 1)
        suffix = u" ДЕНЬ";
    else
        suffix = u" ДНЯ";
    return QStringLiteral("РАБОТА В ДНЯХ • ОСТАЛОСЬ ") + QString::number(r) + QString::fromUtf16(suffix);
}

void LeftMenuPanel::checkWorkCycleButton()
{
    ui->workCycleSettingsButton->setChecked(true);
}

void LeftMenuPanel::checkDevicesButton()
{
    ui->deviceButton->setChecked(true);
}

void LeftMenuPanel::hideMenu()
{
    menuHidden = true;
    for (QAbstractButton *b : ui->menuFrame->findChildren<QAbstractButton *>())
        b->hide();
}

void LeftMenuPanel::showMenu()
{
    menuHidden = false;
    for (QAbstractButton *b : ui->menuFrame->findChildren<QAbstractButton *>())
        b->show();
    ui->scenariosButton->setVisible(scenariosVisible != 0);
}

void LeftMenuPanel::setScenariosButtonVisible(bool visible)
{
    scenariosVisible = visible ? 1 : 0;
    // While the menu is hidden the flag waits for showMenu(); a lone button must not pop up.
    if (!menuHidden)
        ui->scenariosButton->setVisible(visible);
}

void LeftMenuPanel::setDates(const QString &start, const QString &stop)
{
    ui->datestart->setText(start);
    ui->datestop->setText(stop);
}

void LeftMenuPanel::setId(const QString &id)
{
    ui->idLabel->setText(QStringLiteral("ID %1").arg(id));
}

void LeftMenuPanel::rebuildBarLabels(int count)
{
    QLayout *bar = ui->barframe->layout();
    while (QLayoutItem *item = bar->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (int i = 0; i < count; ++i) {
        auto *label = new QLabel(ui->barframe);
        label->setObjectName(QStringLiteral("dayBarLabel_%1").arg(i));
        label->setMinimumWidth(12);
        label->setStyleSheet(BarEmptyStyle);
        bar->addWidget(label);
    }
}

void LeftMenuPanel::setDayBar(const QList<DayState> &dayStates, int remainingDays)
{
    const int n = int(dayStates.size());
    if (n == 0) {
        // no cycle days: nothing of an earlier plan may stay on the bar
        rebuildBarLabels(0);
        viewState().lastRemainingShown = -1;
        ui->daysLeftLabel->setText(QStringLiteral("РАБОТА В ДНЯХ • "));
        return;
    }
    const int segments = std::min(n, MaxSegments);
    QLayout *bar = ui->barframe->layout();
    if (bar->count() != segments)
        rebuildBarLabels(std::max(segments, MinBarLabels));

    bool flagged = false, begun = false, ahead = false;
    for (int i = 0; i < n; ++i) {
        const DayState state = dayStates.at(i);
        flagged |= state == DayState::Flagged;
        begun |= state == DayState::Begun;
        ahead |= state == DayState::Ahead || state == DayState::AheadOther;

        // Style a segment once its last day has been seen; for the last day the next index is
        // `segments`, so the final segment is styled too.
        const int segment = int(qint64(i) * segments / n);
        if (int(qint64(i + 1) * segments / n) == segment)
            continue;
        if (QWidget *label = bar->itemAt(segment)->widget())
            label->setStyleSheet(segmentStyle(flagged, begun, ahead));
        flagged = begun = ahead = false;
    }

    const int remaining = std::clamp(remainingDays, 0, MaxRemainingShown);
    ViewState &view = viewState();
    if (remaining != view.lastRemainingShown) {
        view.lastRemainingShown = remaining;
        ui->daysLeftLabel->setText(remainingDaysText(remaining));
    }
}

void LeftMenuPanel::takeStatus(const StatusRecord &record, const PanelStatus &status)
{
    Q_UNUSED(record)
    setStatus(status.active, status.kind);
}

void LeftMenuPanel::setStatus(int active, WorkKind kind)
{
    ViewState &view = viewState();

    if (kind == WorkKind::ClockFailure || kind == WorkKind::ScenarioNotLoaded) {
        view.workRunning = 0;
        // The first error stays on screen until a normal status replaces it.
        if (view.statusErrorShown)
            return;
        view.statusErrorShown = 1;
        ui->statusLabel->setStyleSheet(StatusErrorStyle);
        ui->statusLabel->setText(kind == WorkKind::ClockFailure ? QStringLiteral("Не работает таймер текущего времени")
                                                      : QStringLiteral("Не удалось загрузить сенарий"));
        return;
    }

    QString text;
    if (kind == WorkKind::NoWorkCycle)
        text = QStringLiteral("сценарий не задан");
    else if (kind != WorkKind::Waiting && kind != WorkKind::Working && kind != WorkKind::Finished)
        return; // no kind of this line: leave the status as it is
    else if (!active)
        text = QStringLiteral("работа остановлена");
    else if (kind == WorkKind::Working)
        text = QStringLiteral("работа");
    else if (kind == WorkKind::Finished)
        text = QStringLiteral("работа завершена");
    else
        text = QStringLiteral("ожидание");

    if (view.statusErrorShown) {
        view.statusErrorShown = 0;
        ui->statusLabel->setStyleSheet(StatusNormalStyle);
    }
    ui->statusLabel->setText(text);
    view.workRunning = (active && kind == WorkKind::Working) ? 1 : 0;
}

void LeftMenuPanel::on_closeAppButton_clicked()
{
    QApplication::quit();
}
