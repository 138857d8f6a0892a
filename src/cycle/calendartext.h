#pragma once

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>

// Texts and colours of the work-cycle calendar.
namespace CalendarText {

constexpr int ColourCount = 22;

QString monthName(int month);      // 1..12
QString weekdayName(int weekday);  // 1 = Monday .. 7

// HTML of a cycle card: the cycle number, the day(s) of month and weekday(s) from its start to
// its last second, and a green dot when the day has a comment.
QString cardText(int index, const QDateTime &start, const QDateTime &end, bool hasComment);

// Colour number (0 = none, 1..22) of each card given the scenario index of its day: scenario 0
// stays uncoloured; the colour moves on whenever a coloured card's scenario differs from the
// previous coloured card's.
QList<int> colourNumbers(const QList<int> &scenarioIndexes);

// Background and border of an unselected card of a colour number (0: the plain dark card), and of
// a selected card.
struct CardLook
{
    QColor background;
    QColor border;
};
CardLook colourLook(int colour);
CardLook selectedLook();

// The word after the cycle count in the summary (" ЦИКЛ•", " ЦИКЛА • ", " ЦИКЛОВ•").
QString cycleWord(int count);

// The summary line of the calendar: count, dates and the start's year. The months are those the
// page shows; the second is used only when two months are visible.
QString summary(int count, const QDateTime &start, const QDateTime &end, bool twoMonths, int firstMonth, int secondMonth);

} // namespace CalendarText
