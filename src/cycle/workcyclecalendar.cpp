// The calendar of the work-cycle page: building the cards, laying out a page of them, paging,
// and the selection with its bookkeeping for the scenario page.

#include "cycle/workcyclesettingsform.h"

#include "cycle/calendarlayout.h"
#include "cycle/calendartext.h"
#include "cycle/daycard.h"
#include "model/controllerstate.h"
#include "model/files/daycomments.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace {

int monthKey(const QDateTime &t)
{
    return t.date().year() * 12 + t.date().month() - 1;
}

} // namespace

QList<int> WorkCycleSettingsForm::monthKeys() const
{
    QList<int> keys;
    keys.reserve(m_cards.size());
    for (const DayCard *card : m_cards)
        keys.append(monthKey(card->dateTime()));
    return keys;
}

void WorkCycleSettingsForm::rebuildCalendar()
{
    ControllerState &state = controllerState();
    clearSelection(false);
    m_cards.clear();

    const int cycleHours = state.editedDayHours + state.editedNightHours;
    const int count = qMin(state.editedCycleCount, ControllerState::MaxCycleDays);
    if (cycleHours <= 0 || count <= 0 || !state.editedStartTime.isValid()) {
        m_pageFirst = 0;
        layoutPage();
        updateCommentButton();
        m_legend->clear();
        refreshUnsavedMark();
        return;
    }

    const qint64 cycleSeconds = qint64(cycleHours) * 3600;
    const DayComments &comments = dayComments();
    QList<int> scenarios;
    m_cards.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QDateTime t = state.editedStartTime.addSecs(cycleSeconds * i);
        const QDateTime e = t.addSecs(cycleSeconds - 1);
        // Cards are kept and reused: making 80 widgets anew on every change costs a tick.
        if (i == m_cardPool.size()) {
            auto *made = new DayCard(i, false, m_calendar);
            made->hide();
            connect(made, &QPushButton::clicked, this, &WorkCycleSettingsForm::Daypushed);
            m_cardPool.append(made);
        }
        DayCard *card = m_cardPool.at(i);
        card->setDateTime(t);
        card->setCardText(CalendarText::cardText(i, t, e, comments.hasComment(i)));
        card->setToolTip(comments.preview(i));
        card->scenarioIndex = i < state.days.size() ? state.days.at(i).scenarioIndex : 0;
        card->selectState = 0;
        scenarios.append(card->scenarioIndex);
        m_cards.append(card);
    }

    for (Scenario &scenario : state.scenarios)
        scenario.usage = 0;
    for (int k = 0; k < state.days.size(); ++k) {
        const int s = state.days.at(k).scenarioIndex;
        if (s >= 0 && s < state.scenarios.size())
            ++state.scenarios[s].usage;
        if (k < m_cards.size())
            state.days[k].time = m_cards.at(k)->dateTime();
    }
    state.editedDays = state.days;

    const QList<int> colours = CalendarText::colourNumbers(scenarios);
    for (int i = 0; i < m_cards.size(); ++i) {
        m_cards[i]->colour = colours.at(i);
        restyle(m_cards[i]);
    }
    if (m_pageFirst >= m_cards.size())
        m_pageFirst = 0;
    layoutPage();
    updateCommentButton();
    m_legend->setText(CalendarText::legendHtml(CalendarText::legend(state.days.mid(0, count), state.scenarios)));
    refreshUnsavedMark();
}

void WorkCycleSettingsForm::layoutPage()
{
    for (DayCard *card : std::as_const(m_cardPool))
        card->hide();
    for (DayCard *placeholder : std::as_const(m_placeholders))
        placeholder->hide();
    m_month2->hide();
    if (m_cards.isEmpty()) {
        m_month1->clear();
        m_summary->clear();
        m_previous->hide();
        m_next->hide();
        return;
    }

    const CalendarPage page = CalendarPage::compute(monthKeys(), m_pageFirst, m_calendar->width(), m_calendar->height());
    const int cellW = CalendarPage::CellWidth;
    const int cellH = CalendarPage::CellHeight;
    int placeholders = 0;
    auto place = [this, &page, &placeholders, cellW, cellH](int from, int shown, int rows, int top) {
        for (int cell = 0; cell < rows * page.columns; ++cell) {
            DayCard *card = nullptr;
            if (cell < shown) {
                card = m_cards.at(from + cell);
            } else {
                if (placeholders == m_placeholders.size())
                    m_placeholders.append(new DayCard(-1, true, m_calendar));
                card = m_placeholders.at(placeholders++);
            }
            card->setGeometry((cell % page.columns) * cellW, top + (cell / page.columns) * cellH, cellW - 3, cellH - 4);
            card->show();
        }
    };
    place(page.first, page.shown1, page.rows1, 0);
    const QDateTime firstStart = m_cards.at(page.first)->dateTime();
    const int firstMonth = firstStart.date().month();
    const int secondMonth = firstMonth % 12 + 1;
    m_month1->setText(CalendarText::monthName(firstMonth));
    m_month2->setText(CalendarText::monthName(secondMonth));
    if (page.twoMonths) {
        const int labelTop = page.rows1 * cellH;
        m_month2->setGeometry(0, labelTop + 10, 300, CalendarPage::MonthLabelHeight - 15);
        m_month2->show();
        place(page.first + page.shown1, page.shown2, page.rows2, labelTop + CalendarPage::MonthLabelHeight);
    }
    m_month1->setVisible(page.twoMonths);

    const ControllerState &state = controllerState();
    m_summary->setText(CalendarText::summary(int(m_cards.size()), state.editedStartTime,
                                             state.editedDayHours + state.editedNightHours));
    m_previous->setVisible(page.first > 0);
    m_next->setVisible(page.end() < m_cards.size());
}

void WorkCycleSettingsForm::movePage(bool forward)
{
    if (m_cards.isEmpty())
        return;
    if (forward) {
        const CalendarPage page = CalendarPage::compute(monthKeys(), m_pageFirst, m_calendar->width(), m_calendar->height());
        if (page.end() < m_cards.size())
            m_pageFirst = page.end();
    } else {
        m_pageFirst = CalendarPage::previousFirst(monthKeys(), m_pageFirst, m_calendar->width(), m_calendar->height());
    }
    layoutPage();
}

bool WorkCycleSettingsForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_calendar && event->type() == QEvent::Resize)
        layoutPage();
    return QWidget::eventFilter(watched, event);
}

void WorkCycleSettingsForm::restyle(DayCard *card)
{
    const CalendarText::CardLook look = card->selectState == DayCard::Selected ? CalendarText::selectedLook()
                                                                               : CalendarText::colourLook(card->colour);
    card->setLook(look.background, look.border);
}

void WorkCycleSettingsForm::setSelected(DayCard *card, bool selected)
{
    if ((card->selectState == DayCard::Selected) == selected)
        return;
    ControllerState &state = controllerState();
    const int s = card->scenarioIndex;
    Scenario *scenario = s >= 0 && s < state.scenarios.size() ? &state.scenarios[s] : nullptr;
    card->selectState = selected ? DayCard::Selected : 0;
    if (selected) {
        if (scenario)
            ++scenario->selectedUsage;
        if (!state.selectedDayScenarios.contains(s))
            state.selectedDayScenarios.insert(s, int(state.selectedDayScenarios.size()));
    } else {
        if (scenario && scenario->selectedUsage > 0)
            --scenario->selectedUsage;
        if (!scenario || scenario->selectedUsage == 0)
            state.selectedDayScenarios.remove(s);
    }
    restyle(card);
}

QList<int> WorkCycleSettingsForm::selectedIndexes() const
{
    QList<int> indexes;
    for (const DayCard *card : m_cards) {
        if (card->selectState == DayCard::Selected)
            indexes.append(card->index());
    }
    return indexes;
}

void WorkCycleSettingsForm::clearSelection(bool showDescription)
{
    ControllerState &state = controllerState();
    for (DayCard *card : std::as_const(m_cards)) {
        if (card->selectState != 0) {
            card->selectState = 0;
            restyle(card);
        }
    }
    for (Scenario &scenario : state.scenarios)
        scenario.selectedUsage = 0;
    state.selectedDayScenarios.clear();
    m_mode = 0;
    m_anchor = -1;
    m_selectAll->setText(QStringLiteral("Выбрать все дни"));
    if (showDescription)
        updateCommentButton();
}

void WorkCycleSettingsForm::Daypushed()
{
    auto *card = qobject_cast<DayCard *>(sender());
    if (!card || card->isPlaceholder())
        return;
    pushDay(card->index(), card->clickModifiers().testFlag(Qt::ControlModifier));
}

void WorkCycleSettingsForm::pushDay(int index, bool ctrl)
{
    if (index < 0 || index >= m_cards.size())
        return;
    DayCard *card = m_cards.at(index);
    if (ctrl) {
        setSelected(card, card->selectState != DayCard::Selected);
        m_mode = 2;
    } else if (m_mode == 1 && index == m_anchor) {
        setSelected(card, false);
        m_mode = 0;
        m_anchor = -1;
    } else if (m_mode == 1) {
        const int from = qMin(index, m_anchor);
        const int to = qMax(index, m_anchor);
        for (int i = from; i <= to; ++i)
            setSelected(m_cards.at(i), true);
        m_mode = 2;
    } else {
        clearSelection(false);
        setSelected(card, true);
        m_anchor = index;
        m_mode = 1;
    }
    m_selectAll->setText(QStringLiteral("Выбрать все дни"));
    updateCommentButton();
}

void WorkCycleSettingsForm::selectAllPressed()
{
    if (m_selectAll->text() == QStringLiteral("Выбрать все дни") && !m_cards.isEmpty()) {
        for (DayCard *card : std::as_const(m_cards))
            setSelected(card, true);
        m_mode = 2;
        m_selectAll->setText(QStringLiteral("Сбросить выбор"));
        updateCommentButton();
    } else {
        clearSelection(true);
    }
}

void WorkCycleSettingsForm::updateCommentButton()
{
    const QList<int> selected = selectedIndexes();
    const bool visible = selected.size() <= 1;
    if (selected.size() == 1) {
        m_comment->setText(dayComments().hasComment(selected.first()) ? QStringLiteral("Просмотр комментария")
                                                                      : QStringLiteral("Создать комментарий"));
    } else if (selected.isEmpty()) {
        m_comment->setText(dayComments().hasDescription ? QStringLiteral("Описание сценария")
                                                        : QStringLiteral("Создать описание сценария"));
    }
    m_comment->setVisible(visible);
    m_commentIcon->setVisible(visible);
}

void WorkCycleSettingsForm::refreshDescriptionButton()
{
    updateCommentButton();
}

void WorkCycleSettingsForm::refreshCommentMark()
{
    const ControllerState &state = controllerState();
    const qint64 cycleSeconds = qint64(state.editedDayHours + state.editedNightHours) * 3600;
    const DayComments &comments = dayComments();
    for (DayCard *card : std::as_const(m_cards)) {
        const QDateTime t = card->dateTime();
        card->setCardText(CalendarText::cardText(card->index(), t, t.addSecs(cycleSeconds - 1), comments.hasComment(card->index())));
        card->setToolTip(comments.preview(card->index()));
    }
    updateCommentButton();
}
