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

// The summary line of the calendar: the count, the start and the end of the work (after count
// cycles of cycleHours) with months in the genitive, and the end's year:
// "40 ЦИКЛОВ•25 НОЯБРЯ – 04 ЯНВАРЯ 2027", "5 ЦИКЛОВ•20 – 25 МАРТА 2026".
QString summary(int count, const QDateTime &start, int cycleHours);

} // namespace CalendarText
