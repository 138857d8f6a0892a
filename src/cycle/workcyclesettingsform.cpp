#include "cycle/workcyclesettingsform.h"

#include "cycle/calendarlayout.h"
#include "cycle/calendartext.h"
#include "cycle/comment.h"
#include "cycle/daycard.h"
#include "link/requests.h"
#include "model/clock.h"
#include "model/controllerstate.h"
#include "model/files/daycomments.h"
#include "model/wallclock.h"
#include "model/plan/workcyclecommit.h"
#include "widgets/dialogs.h"
#include "widgets/foldingrow.h"
#include "widgets/infonote.h"
#include "widgets/switchbuttononly.h"
#include "widgets/theme.h"
#include "widgets/viewstate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QString pageStyle()
{
    using namespace Theme;
    return QStringLiteral(
               "QWidget#WorkCycleSettingsForm { background-color: %1; }"
               "QLabel { color: %2; font-family: %3; }"
               "QLabel[caption=\"true\"] { color: %4; font-size: 12px; }"
               "QLabel#unsavedMark { color: %5; font-size: 13px; font-weight: 600; }"
               "QLineEdit { background-color: %6; color: %2; border: 1px solid %6;"
               " border-radius: 6px; padding: 4px 8px; font-family: %7; font-size: 15px; }"
               "QLineEdit:focus { border-color: %8; }"
               "QLineEdit[edited=\"true\"] { border-color: %5; }"
               "QPushButton#selectall, QPushButton#setsc, QPushButton#createcomment, QPushButton#loadscenario,"
               " QPushButton#uploadscenario, QPushButton#snapshotsButton, QPushButton#cancelButton, QPushButton#acceptButton, QPushButton#infoButton,"
               " QPushButton#previousButton, QPushButton#nextButton {"
               " background-color: %6; color: %2; border: 1px solid %6; border-radius: 6px;"
               " padding: 6px 14px; font-family: %3; font-size: 13px; }"
               "QPushButton#acceptButton { background-color: %9; border-color: %10; }"
               "QPushButton:hover { border-color: %8; }")
        .arg(css(PageBackground), css(Text), TextFont, css(MutedText), css(Attention), css(CardBackground), NumberFont,
             css(Focus), css(SelectedCard))
        .arg(css(Done));
}

constexpr int MaxNumber = 999;

// A text that reads as an integer from 1 to 999 (digits only).
bool readsAsNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 3)
        return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    const int value = text.toInt();
    return value >= 1 && value <= MaxNumber;
}

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setProperty("caption", true);
    return label;
}

QPushButton *pageButton(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    // reached by Tab, but a click leaves the focus where it is (a field being edited is not left)
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QLineEdit *numberEdit(const QString &objectName, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setFixedWidth(90);
    return edit;
}

QString startText(const QDateTime &t)
{
    return t.toString(startTimeFormat());
}

} // namespace

WorkCycleSettingsForm::WorkCycleSettingsForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WorkCycleSettingsForm"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(pageStyle());
    buildUi();
}

void WorkCycleSettingsForm::buildUi()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);

    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("Настройка цикла работы"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setStyleSheet(Theme::titleStyle(22));
    titleRow->addWidget(title);
    // the title row has room to spare at any width; the rows of buttons have not
    m_unsaved = new QLabel(QStringLiteral("● Изменения не сохранены"), this);
    m_unsaved->setObjectName(QStringLiteral("unsavedMark"));
    m_unsaved->setToolTip(QStringLiteral("«Сохранить» запишет их на контроллер, «Отмена» вернёт прежние"));
    m_unsaved->hide();
    titleRow->addSpacing(16);
    titleRow->addWidget(m_unsaved);
    titleRow->addStretch(1);
    QPushButton *info = pageButton(QStringLiteral("infoButton"), QString(), this);
    info->setIcon(QIcon(QStringLiteral(":/pict/info.png")));
    info->setToolTip(QStringLiteral("Справка"));
    info->setAccessibleName(info->toolTip());
    titleRow->addWidget(info);
    layout->addLayout(titleRow);

    m_start = new QLineEdit(this);
    m_start->setObjectName(QStringLiteral("starttime"));
    m_start->setInputMask(QStringLiteral("00.00.0000   00:00;_"));
    m_start->setFixedWidth(190);
    m_count = numberEdit(QStringLiteral("lenday"), this);
    m_dayHours = numberEdit(QStringLiteral("dayHoursEdit"), this);
    m_nightHours = numberEdit(QStringLiteral("nightHoursEdit"), this);
    m_phase = new switchbuttononly(this);
    m_phase->setObjectName(QStringLiteral("phaseena"));
    m_phase->setFixedSize(52, 26);
    m_nightLabel = caption(QStringLiteral("ДЛИТЕЛЬНОСТЬ НОЧИ, в часах"), this);

    // Each field under its caption; long captions wrap, and a narrow window puts the day and night
    // fields under the cycle's start and count.
    auto *fields = new FoldingRow;
    fields->setSpacing(18);
    auto *cycleFields = new QHBoxLayout;
    auto *phaseFields = new QHBoxLayout;
    for (QHBoxLayout *group : {cycleFields, phaseFields})
        group->setSpacing(18);
    auto addField = [this](QHBoxLayout *group, QLabel *label, QWidget *field, QWidget *extra = nullptr) {
        auto *box = new QVBoxLayout;
        box->setSpacing(4);
        label->setWordWrap(true);
        label->setFixedWidth(qMax(field->width(), 120));
        // all the lines of the caption at its own width (a layout would ask for the width it offers)
        label->ensurePolished();
        label->setMinimumHeight(label->heightForWidth(label->width()));
        box->addWidget(label, 0, Qt::AlignBottom);
        label->setBuddy(field);  // the caption names the field for assistive technologies
        auto *row = new QHBoxLayout;
        row->addWidget(field);
        if (extra)
            row->addWidget(extra);
        row->addStretch(1);
        box->addLayout(row);
        group->addLayout(box);
    };
    addField(cycleFields, caption(QStringLiteral("НАЧАЛО РАБОТЫ"), this), m_start);
    addField(cycleFields, caption(QStringLiteral("КОЛИЧЕСТВО ЦИКЛОВ"), this), m_count);
    addField(phaseFields, caption(QStringLiteral("РАЗДЕЛИТЬ ЦИКЛ НА ФАЗЫ ДНЯ И НОЧИ"), this), m_phase);
    addField(phaseFields, caption(QStringLiteral("ДЛИТЕЛЬНОСТЬ ДНЯ, в часах"), this), m_dayHours);
    addField(phaseFields, m_nightLabel, m_nightHours);
    cycleFields->addStretch(1);
    phaseFields->addStretch(1);
    fields->addLayout(cycleFields);
    fields->addLayout(phaseFields);
    fields->addStretch(1);
    layout->addLayout(fields);

    m_selectAll = pageButton(QStringLiteral("selectall"), QStringLiteral("Выбрать все дни"), this);
    QPushButton *createScenario = pageButton(QStringLiteral("setsc"), QStringLiteral("Создать сценарий"), this);
    m_commentIcon = new QLabel(this);
    m_commentIcon->setObjectName(QStringLiteral("commlbl"));
    m_commentIcon->setText(QStringLiteral("✎"));
    m_comment = pageButton(QStringLiteral("createcomment"), QStringLiteral("Создать описание сценария"), this);
    auto *selection = new QHBoxLayout;
    selection->addWidget(m_selectAll);
    selection->addWidget(createScenario);
    selection->addSpacing(12);
    selection->addWidget(m_commentIcon);
    selection->addWidget(m_comment);
    selection->addStretch(1);
    layout->addLayout(selection);

    auto *header = new QHBoxLayout;
    m_month1 = new QLabel(this);
    m_month1->setObjectName(QStringLiteral("mounth1"));
    m_month1->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: 600;"));
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summaryLabel"));
    m_summary->setStyleSheet(QStringLiteral("font-family: 'IBM Plex Mono'; font-size: 14px;"));
    m_previous = pageButton(QStringLiteral("previousButton"), QStringLiteral("‹"), this);
    m_next = pageButton(QStringLiteral("nextButton"), QStringLiteral("›"), this);
    header->addWidget(m_month1);
    header->addStretch(1);
    header->addWidget(m_summary);
    header->addWidget(m_previous);
    header->addWidget(m_next);
    layout->addLayout(header);

    m_calendar = new QWidget(this);
    m_calendar->setObjectName(QStringLiteral("calendarArea"));
    m_calendar->setMinimumSize(CalendarPage::CellWidth, CalendarPage::CellHeight + 5);
    m_month2 = new QLabel(m_calendar);
    m_month2->setObjectName(QStringLiteral("mounth2"));
    m_month2->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: 600;"));
    m_month2->hide();
    m_calendar->installEventFilter(this);
    layout->addWidget(m_calendar, 1);

    m_legend = new QLabel(this);
    m_legend->setObjectName(QStringLiteral("calendarLegend"));
    m_legend->setTextFormat(Qt::RichText);
    m_legend->setWordWrap(true);
    layout->addWidget(m_legend);

    auto *actions = new QHBoxLayout;
    QPushButton *load = pageButton(QStringLiteral("loadscenario"), QStringLiteral("Загрузить"), this);
    QPushButton *upload = pageButton(QStringLiteral("uploadscenario"), QStringLiteral("Выгрузить"), this);
    QPushButton *snapshots = pageButton(QStringLiteral("snapshotsButton"), QStringLiteral("Снимки настроек"), this);
    QPushButton *cancel = pageButton(QStringLiteral("cancelButton"), QStringLiteral("Отмена"), this);
    QPushButton *accept = pageButton(QStringLiteral("acceptButton"), QStringLiteral("Сохранить"), this);
    actions->addWidget(load);
    actions->addWidget(upload);
    actions->addWidget(snapshots);
    actions->addStretch(1);
    actions->addWidget(cancel);
    actions->addWidget(accept);
    layout->addLayout(actions);

    // Tab follows the page from top to bottom, each row from left to right
    const QList<QWidget *> order = {info, m_start, m_count, m_phase, m_dayHours, m_nightHours, m_selectAll, createScenario, m_comment,
                                    m_previous, m_next, load, upload, snapshots, cancel, accept};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    connect(info, &QPushButton::released, this, &WorkCycleSettingsForm::on_infoButton_released);
    connect(m_comment, &QPushButton::released, this, &WorkCycleSettingsForm::on_createcomment_released);
    connect(load, &QPushButton::released, this, &WorkCycleSettingsForm::on_loadscenario_released);
    connect(upload, &QPushButton::released, this, &WorkCycleSettingsForm::on_uploadscenario_released);
    connect(snapshots, &QPushButton::released, this, &WorkCycleSettingsForm::snapshotsRequested);
    connect(m_selectAll, &QPushButton::released, this, &WorkCycleSettingsForm::selectAllPressed);
    connect(createScenario, &QPushButton::released, this, &WorkCycleSettingsForm::createScenarioPressed);
    connect(accept, &QPushButton::released, this, &WorkCycleSettingsForm::savePressed);
    connect(cancel, &QPushButton::released, this, &WorkCycleSettingsForm::cancelPressed);
    connect(m_previous, &QPushButton::released, this, [this] { movePage(false); });
    connect(m_next, &QPushButton::released, this, [this] { movePage(true); });
    connect(m_phase, &SwitchBase::switchClicked, this, &WorkCycleSettingsForm::phaseSwitched);

    ControllerState &state = controllerState();
    connect(m_count, &QLineEdit::textEdited, this, [this, &state] { numberEdited(m_count, &state.editedCycleCount); });
    connect(m_dayHours, &QLineEdit::textEdited, this, [this, &state] { numberEdited(m_dayHours, &state.editedDayHours); });
    connect(m_nightHours, &QLineEdit::textEdited, this, [this, &state] { numberEdited(m_nightHours, &state.editedNightHours); });
    connect(m_count, &QLineEdit::editingFinished, this, &WorkCycleSettingsForm::countLeft);
    connect(m_dayHours, &QLineEdit::editingFinished, this,
            [this, &state] { hoursLeft(m_dayHours, &state.editedDayHours, state.dayHours); });
    connect(m_nightHours, &QLineEdit::editingFinished, this,
            [this, &state] { hoursLeft(m_nightHours, &state.editedNightHours, state.nightHours); });
    connect(m_start, &QLineEdit::editingFinished, this, &WorkCycleSettingsForm::startLeft);

    showNightFields(false);
    m_previous->hide();
    m_next->hide();
}

// ---- fields ----

void WorkCycleSettingsForm::note(const QString &text)
{
    showNote(window(), text, NoteClose::Popup, 10);
}

void WorkCycleSettingsForm::numberEdited(QLineEdit *edit, int *target)
{
    if (m_inNumberEdit)
        return;
    m_inNumberEdit = true;
    QString text = edit->text();
    while (!text.isEmpty() && !readsAsNumber(text))
        text.chop(1);
    if (text != edit->text())
        edit->setText(text);
    *target = text.isEmpty() ? 0 : text.toInt();
    m_inNumberEdit = false;
    if (!m_filling)
        rebuildCalendar();
}

void WorkCycleSettingsForm::hoursLeft(QLineEdit *edit, int *edited, int live)
{
    if (m_filling)
        return;
    bool changed = false;
    if (*edited == 0) {
        edit->setText(QStringLiteral("1"));
        *edited = 1;
        changed = true;
    }
    const NoteFn show = [this](const QString &text) { note(text); };
    if (!commitWorkCycle(controllerState(), show, true)) {
        changed = changed || *edited != live;
        *edited = live;
        edit->setText(QString::number(live));
    }
    if (changed)
        rebuildCalendar();
}

void WorkCycleSettingsForm::countLeft()
{
    if (m_filling)
        return;
    ControllerState &state = controllerState();
    if (state.editedCycleCount > ControllerState::MaxCycleDays) {
        state.editedCycleCount = ControllerState::MaxCycleDays;
        m_count->setText(QString::number(ControllerState::MaxCycleDays));
        rebuildCalendar();
    }
}

void WorkCycleSettingsForm::startLeft()
{
    if (m_filling)
        return;
    ControllerState &state = controllerState();
    const QDateTime live = state.startTime.isValid() ? state.startTime : nowCutToMinute();
    const QString liveText = startText(live);
    const QDateTime before = state.editedStartTime;
    // Leaving the field unchanged is no new start: a running cycle's start lies in the past.
    if (m_start->text() != liveText) {
        const QDateTime typed = QDateTime::fromString(m_start->text(), startTimeFormat());
        if (!typed.isValid()) {
            m_start->setText(liveText);
        } else if (typed < Clock::now()) {
            note(QStringLiteral("Дата старта уже прошла"));
            m_start->setText(liveText);
        }
    }
    state.editedStartTime = QDateTime::fromString(m_start->text(), startTimeFormat());
    const NoteFn show = [this](const QString &text) { note(text); };
    if (!commitWorkCycle(state, show, true)) {
        state.editedStartTime = live;
        m_start->setText(liveText);
        m_dayHours->setText(QString::number(state.dayHours));
    }
    if (state.editedStartTime != before)
        rebuildCalendar();
}

void WorkCycleSettingsForm::showNightFields(bool on)
{
    m_nightHours->setVisible(on);
    m_nightLabel->setVisible(on);
}

void WorkCycleSettingsForm::phaseSwitched()
{
    ControllerState &state = controllerState();
    const bool on = m_phase->isOn();
    showNightFields(on);
    m_filling = true;
    if (on) {
        // A split with no night is no split: offer an even one.
        const bool even = state.nightHours == 0;
        state.editedDayHours = even ? 12 : state.dayHours;
        state.editedNightHours = even ? 12 : state.nightHours;
    } else {
        state.editedDayHours = 24;
        state.editedNightHours = 0;
    }
    m_dayHours->setText(QString::number(state.editedDayHours));
    m_nightHours->setText(QString::number(state.editedNightHours));
    m_filling = false;
    emit ChangeDayPhase(on ? 1 : 0);
    rebuildCalendar();
}

void WorkCycleSettingsForm::takeDecodedCycle()
{
    const ControllerState &state = controllerState();
    m_filling = true;
    m_dayHours->setText(QString::number(state.dayHours));
    m_nightHours->setText(QString::number(state.nightHours));
    m_start->setText(startText(state.startTime));
    m_count->setText(QString::number(state.cycleCount));
    m_phase->setCurrentState(state.nightHours != 0 ? SWITCHBUTTONONLY::ON : SWITCHBUTTONONLY::OFF);
    showNightFields(state.nightHours != 0);
    m_filling = false;
    m_holdsCycle = true;
    clearSelection(false);
    m_pageFirst = 0;
    rebuildCalendar();
    refreshDescriptionButton();
}

void WorkCycleSettingsForm::showLiveCycle()
{
    if (!m_holdsCycle)
        return;
    ControllerState &state = controllerState();
    const bool liveNight = state.nightHours != 0;
    const bool phaseEdited = m_phase->isOn() != liveNight;
    if (!phaseEdited && !editedDiffersFromLive() && m_dayHours->text() == QString::number(state.dayHours)
        && m_nightHours->text() == QString::number(state.nightHours) && m_count->text() == QString::number(state.cycleCount)
        && m_start->text() == startText(state.startTime))
        return;
    state.editedDayHours = state.dayHours;
    state.editedNightHours = state.nightHours;
    state.editedCycleCount = state.cycleCount;
    state.editedStartTime = state.startTime;
    takeDecodedCycle();
    if (phaseEdited)
        emit ChangeDayPhase(liveNight ? 1 : 0);
}

void WorkCycleSettingsForm::clearCycle()
{
    m_filling = true;
    for (QLineEdit *edit : {m_start, m_count, m_dayHours, m_nightHours})
        edit->clear();
    m_filling = false;
    m_holdsCycle = false;
    clearSelection(false);
    m_cards.clear();
    m_pageFirst = 0;
    layoutPage();
    m_legend->clear();
    refreshUnsavedMark();
}

void WorkCycleSettingsForm::refreshUnsavedMark()
{
    const ControllerState &s = controllerState();
    const bool known = m_holdsCycle;
    const QList<QPair<QLineEdit *, bool>> fields = {
        {m_start, known && s.editedStartTime != s.startTime},
        {m_count, known && s.editedCycleCount != s.cycleCount},
        {m_dayHours, known && s.editedDayHours != s.dayHours},
        {m_nightHours, known && s.editedNightHours != s.nightHours}};
    for (const auto &[edit, edited] : fields) {
        if (edit->property("edited").toBool() == edited)
            continue;
        edit->setProperty("edited", edited);
        // a dynamic property only restyles once the style is applied again
        edit->style()->unpolish(edit);
        edit->style()->polish(edit);
    }
    m_unsaved->setVisible(known && editedDiffersFromLive());
}

bool WorkCycleSettingsForm::editedDiffersFromLive() const
{
    const ControllerState &s = controllerState();
    return s.editedDayHours != s.dayHours || s.editedNightHours != s.nightHours || s.editedCycleCount != s.cycleCount
           || s.editedStartTime != s.startTime;
}

void WorkCycleSettingsForm::cancelPressed()
{
    ControllerState &state = controllerState();
    m_filling = true;
    m_dayHours->setText(QString::number(state.dayHours));
    m_nightHours->setText(QString::number(state.nightHours));
    m_count->setText(QString::number(state.cycleCount));
    const QDateTime start = dateTimeFromLocalWallSeconds(state.startSeconds);
    m_start->setText(startText(start.isValid() ? start : state.startTime));
    m_filling = false;
    state.editedDayHours = state.dayHours;
    state.editedNightHours = state.nightHours;
    state.editedCycleCount = state.cycleCount;
    state.editedStartTime = QDateTime::fromString(m_start->text(), startTimeFormat());
    clearSelection(true);
    rebuildCalendar();
}

// ---- actions ----

void WorkCycleSettingsForm::createScenarioPressed()
{
    if (selectedIndexes().isEmpty()) {
        note(QStringLiteral("Выберите дни/день для которого задается сценарий"));
        return;
    }
    viewState().openedFromMenu = false;
    requestPage(PageRequest::OpenScenarioForDays);
}

void WorkCycleSettingsForm::savePressed()
{
    if (editedDiffersFromLive())
        applyScenarioSave(PageRequest::None);
}

void WorkCycleSettingsForm::applyScenarioSave(PageRequest request)
{
    ControllerState &state = controllerState();
    const bool takesSave = request == PageRequest::CalendarTakesSelection || request == PageRequest::CalendarTakesScenario;
    if (!takesSave && !editedDiffersFromLive())
        return;
    state.editedDays.clear();
    for (const DayCard *card : std::as_const(m_cards)) {
        CycleDay day;
        day.time = card->dateTime();
        day.scenarioIndex = request == PageRequest::CalendarTakesSelection && card->selectState == DayCard::Selected ? state.chosenScenario : card->scenarioIndex;
        state.editedDays.append(day);
    }
    state.uploadRequest = true;
}

void WorkCycleSettingsForm::on_createcomment_released()
{
    openComment();
}

void WorkCycleSettingsForm::openComment()
{
    const QList<int> selected = selectedIndexes();
    if (selected.size() > 1) {
        note(QStringLiteral("Только один день доступен для создания/редактирования комментария"));
        return;
    }
    const int day = selected.isEmpty() ? -1 : selected.first();
    comment dialog(this, day);
    emit setBlurEffect(true);
    Dialogs::exec(&dialog);
    emit setBlurEffect(false);
    if (day < 0)
        refreshDescriptionButton();
    else
        refreshCommentMark();
}

void WorkCycleSettingsForm::on_infoButton_released()
{
    emit helpRequested(0);
}
